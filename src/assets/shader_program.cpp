#include <epoxy/gl.h>

#include "assets/shader_program.h"

#include <unistd.h>

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "platform/regular_file.h"

namespace {

const char OPEN_ERROR[] = "Error opening shader.";
constexpr uint64_t SHADER_MAX_BYTES = 16ull * 1024 * 1024;  // far beyond any real shader text

// The whole file, byte for byte, followed by one zero byte; null when it cannot be opened or
// read, with *error saying why (an errno or FILE_NOT_REGULAR). A file that shrank or failed
// part-way is cut at what arrived, never padded with whatever the allocation held.
char* readShaderText(const char* path, int* error) {
    RegularFile file;
    *error = openRegularFile(path, SHADER_MAX_BYTES, &file);
    if (*error != 0) return nullptr;
    char* text = static_cast<char*>(std::malloc(static_cast<size_t>(file.size) + 1));
    size_t got = 0;
    *error = text ? readRegularFile(file, text, &got) : ENOMEM;
    close(file.fd);
    if (*error != 0) {
        std::free(text);
        return nullptr;
    }
    text[got] = '\0';
    return text;
}

void warnUnreadable(const char* path, int error) {
    std::fprintf(stderr, "demo: %s: cannot read the shader (%s); drawing without shaders\n", path,
                 fileErrorText(error));
}

// Writes a log as plain text up to its zero byte: a "%" in it stays a "%", and no newline is
// added, so a log that does not end in one runs on into what follows.
void writeLog(const char* log, GLint length) {
    std::fwrite(log, 1, strnlen(log, static_cast<size_t>(length)), stdout);
}

// Shaders and programs keep their logs behind different entry points of the same shape.
void printInfoLog(GLuint object, bool isProgram) {
    GLint length = 0;
    if (isProgram) glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) return;
    char* log = static_cast<char*>(std::calloc(static_cast<size_t>(length), 1));
    if (!log) return;
    if (isProgram) glGetProgramInfoLog(object, length, nullptr, log);
    else glGetShaderInfoLog(object, length, nullptr, log);
    writeLog(log, length);
    std::free(log);
}

void sourceShader(GLuint shader, const char* text) {
    // No length array: the text ends at its zero byte.
    glShaderSource(shader, 1, &text, nullptr);
}

}  // namespace

void printShaderLog(uint32_t shader) { printInfoLog(shader, false); }

uint32_t buildShaderProgram(const char* vertexPath, const char* fragmentPath) {
    // Each file's message comes right after its own open, before anything else is printed.
    int error = 0;
    char* vertexText = readShaderText(vertexPath, &error);
    if (!vertexText) {
        std::fputs(OPEN_ERROR, stdout);
        std::fflush(stdout);  // keeps the order on a console that both streams share
        warnUnreadable(vertexPath, error);
    }
    char* fragmentText = readShaderText(fragmentPath, &error);
    if (!fragmentText) {
        // The message has no line end of its own; the warning naming the file starts a new line.
        std::fputs(OPEN_ERROR, stderr);
        std::fputc('\n', stderr);
        warnUnreadable(fragmentPath, error);
    }
    // Without both texts there is nothing to compile; the scenes then draw with program 0.
    if (!vertexText || !fragmentText) {
        std::free(vertexText);
        std::free(fragmentText);
        std::fflush(stdout);
        return 0;
    }

    // The fragment shader comes first at every step; only the texts decide which is which.
    const GLuint fragmentShader = glCreateShader(GL_FRAGMENT_SHADER);
    const GLuint vertexShader = glCreateShader(GL_VERTEX_SHADER);
    sourceShader(fragmentShader, fragmentText);
    sourceShader(vertexShader, vertexText);
    std::free(fragmentText);
    std::free(vertexText);
    glCompileShader(fragmentShader);
    glCompileShader(vertexShader);
    printShaderLog(fragmentShader);
    printShaderLog(vertexShader);

    const GLuint program = glCreateProgram();
    glAttachShader(program, fragmentShader);
    glAttachShader(program, vertexShader);
    glLinkProgram(program);
    glUseProgram(program);
    printInfoLog(program, true);
    std::fflush(stdout);
    return program;
}
