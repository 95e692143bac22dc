#include <epoxy/gl.h>

#include "assets/shader_program.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "assets/shader_macros.h"
#include "system/regular_file.h"
#include "system/warning.h"

namespace {

const char OPEN_ERROR[] = "Error opening shader.";
const char DRAW_WITHOUT[] = "drawing without shaders";
const char KEEP_LAST[] = "keeping the last good program";
// Why a shader text is refused before the driver sees it; past every errno and FILE_NOT_REGULAR.
constexpr int SHADER_EXPANDS_TOO_FAR = FILE_NOT_REGULAR + 1;

// The whole file, byte for byte, followed by one zero byte; null when it cannot be read or its
// macros would expand too far, with *error saying why.
char* readShaderText(const char* path, int* error) {
    char* text = nullptr;
    size_t size = 0;
    *error = readWholeRegularFile(path, SHADER_MAX_BYTES, &text, &size);
    if (text && shaderExpansionTokens(text, size) > SHADER_MAX_EXPANDED_TOKENS) {
        std::free(text);
        *error = SHADER_EXPANDS_TOO_FAR;
        return nullptr;
    }
    return text;
}

void warnUnreadable(const char* path, int error, const char* consequence) {
    if (error != SHADER_EXPANDS_TOO_FAR) {
        warnFile(path, "cannot read the shader", fileErrorText(error), consequence);
        return;
    }
    char what[64];
    std::snprintf(what, sizeof what, "its macros expand past %.0f tokens",
                  SHADER_MAX_EXPANDED_TOKENS);
    warnFile(path, what, nullptr, consequence);
}

// A file that was not there prints the message it always printed, without a line end; a file
// that was there but is refused has only its warning line.
void reportUnreadable(const char* path, int error, FILE* stream) {
    if (error != SHADER_EXPANDS_TOO_FAR) {
        std::fputs(OPEN_ERROR, stream);
        // The message has no line end of its own: on stdout, the console both streams share
        // takes it before the warning; on stderr, the warning starts a new line.
        if (stream == stdout)
            std::fflush(stdout);
        else
            std::fputc('\n', stderr);
    }
    warnUnreadable(path, error, DRAW_WITHOUT);
}

// Writes a log as plain text up to its zero byte: a "%" in it stays a "%". A log that does not end
// its last line gets a line feed, so that what is printed next starts a line of its own.
void writeLog(const char* log, GLint length) {
    const size_t size = strnlen(log, static_cast<size_t>(length));
    std::fwrite(log, 1, size, stdout);
    if (size > 0 && log[size - 1] != '\n') std::fputc('\n', stdout);
}

// Shaders and programs keep their logs behind different entry points of the same shape.
void printInfoLog(GLuint object, bool isProgram) {
    GLint length = 0;
    if (isProgram)
        glGetProgramiv(object, GL_INFO_LOG_LENGTH, &length);
    else
        glGetShaderiv(object, GL_INFO_LOG_LENGTH, &length);
    if (length <= 0) return;
    char* log = static_cast<char*>(std::calloc(static_cast<size_t>(length), 1));
    if (!log) return;
    if (isProgram)
        glGetProgramInfoLog(object, length, nullptr, log);
    else
        glGetShaderInfoLog(object, length, nullptr, log);
    writeLog(log, length);
    std::free(log);
}

void sourceShader(GLuint shader, const char* text) {
    // No length array: the text ends at its zero byte.
    glShaderSource(shader, 1, &text, nullptr);
}

struct BuiltProgram {
    GLuint program;
    GLuint fragmentShader;
    GLuint vertexShader;
};

// Compiles both texts, prints the shaders' logs, links; frees the texts. The program's own log is
// left to the caller, which decides first whether to make it current.
BuiltProgram compileAndLink(char* vertexText, char* fragmentText) {
    // The fragment shader comes first at every step; only the texts decide which is which.
    BuiltProgram built = {0, glCreateShader(GL_FRAGMENT_SHADER), glCreateShader(GL_VERTEX_SHADER)};
    sourceShader(built.fragmentShader, fragmentText);
    sourceShader(built.vertexShader, vertexText);
    std::free(fragmentText);
    std::free(vertexText);
    glCompileShader(built.fragmentShader);
    glCompileShader(built.vertexShader);
    printInfoLog(built.fragmentShader, false);
    printInfoLog(built.vertexShader, false);

    built.program = glCreateProgram();
    glAttachShader(built.program, built.fragmentShader);
    glAttachShader(built.program, built.vertexShader);
    glLinkProgram(built.program);
    return built;
}

bool statusSays(GLuint object, GLenum status, bool isProgram) {
    GLint value = GL_FALSE;
    if (isProgram)
        glGetProgramiv(object, status, &value);
    else
        glGetShaderiv(object, status, &value);
    return value == GL_TRUE;
}

bool builtWell(const BuiltProgram& built) {
    return statusSays(built.fragmentShader, GL_COMPILE_STATUS, false) &&
           statusSays(built.vertexShader, GL_COMPILE_STATUS, false) &&
           statusSays(built.program, GL_LINK_STATUS, true);
}

// After the logs that say why: one line naming both files.
void warnNotBuilt(const char* vertexPath, const char* fragmentPath, const char* consequence) {
    char both[512];
    std::snprintf(both, sizeof both, "%s, %s", vertexPath, fragmentPath);
    warnFile(both, "the program does not compile or link", nullptr, consequence);
}

}  // namespace

uint32_t buildShaderProgram(const char* vertexPath, const char* fragmentPath) {
    // Each file's message comes right after its own open, before anything else is printed.
    int error = 0;
    char* vertexText = readShaderText(vertexPath, &error);
    if (!vertexText) reportUnreadable(vertexPath, error, stdout);
    char* fragmentText = readShaderText(fragmentPath, &error);
    if (!fragmentText) reportUnreadable(fragmentPath, error, stderr);
    // Without both texts there is nothing to compile; the scenes then draw with program 0.
    if (!vertexText || !fragmentText) {
        std::free(vertexText);
        std::free(fragmentText);
        std::fflush(stdout);
        return 0;
    }

    const BuiltProgram built = compileAndLink(vertexText, fragmentText);
    printInfoLog(built.program, true);
    std::fflush(stdout);
    // Kept and made current whatever the statuses say, as the run always did; a program that did
    // not link draws nothing of its own, so the line says what the picture shows.
    if (!builtWell(built)) warnNotBuilt(vertexPath, fragmentPath, DRAW_WITHOUT);
    glUseProgram(built.program);
    return built.program;
}

uint32_t buildCheckedShaderProgram(const char* vertexPath, const char* fragmentPath) {
    const char* const paths[] = {vertexPath, fragmentPath};
    char* texts[2] = {nullptr, nullptr};
    for (int i = 0; i < 2; ++i) {
        int error = 0;
        texts[i] = readShaderText(paths[i], &error);
        if (texts[i]) continue;
        warnUnreadable(paths[i], error, KEEP_LAST);
        std::free(texts[0]);
        return 0;
    }
    const BuiltProgram built = compileAndLink(texts[0], texts[1]);
    printInfoLog(built.program, true);
    std::fflush(stdout);
    const bool good = builtWell(built);
    // Attached shaders are deleted with their program; a good one keeps them until then.
    glDeleteShader(built.fragmentShader);
    glDeleteShader(built.vertexShader);
    if (good) {
        glUseProgram(built.program);
        return built.program;
    }
    glDeleteProgram(built.program);
    warnNotBuilt(vertexPath, fragmentPath, KEEP_LAST);
    return 0;
}
