#include <epoxy/gl.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <string>
#include <utility>

#include "assets/shader_program.h"
#include "platform/console.h"
#include "scenes/scene_resources.h"
#include "support/gl_context.h"
#include "support/text.h"

namespace {

const std::string SHADERS = std::string(DEMO_TEST_DATA) + "/shaders/";

struct Build {
    GLuint program;
    std::string out, err;
    GLuint fragment = 0, vertex = 0;  // the attached shaders, in attachment order
    std::string programLog;
};

// Builds from one fixture directory as the working directory, with both streams captured. The
// console stays out of the way, so the streams are the test's own.
Build buildIn(const std::string& dir) {
    consoleDevice.path = "/nonexistent/console";
    char here[4096];
    if (!getcwd(here, sizeof(here)) || chdir((SHADERS + dir).c_str()) != 0)
        ADD_FAILURE() << "no fixture " << dir;
    glUseProgram(0);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    Build b{buildShaderProgram(sceneFiles.vertexShader, sceneFiles.fragmentShader),
            testing::internal::GetCapturedStdout(),
            testing::internal::GetCapturedStderr(),
            0,
            0,
            ""};
    if (chdir(here) != 0) ADD_FAILURE() << "cannot return to " << here;
    if (b.program) {
        GLuint shaders[2] = {0, 0};
        GLsizei count = 0;
        glGetAttachedShaders(b.program, 2, &count, shaders);
        EXPECT_EQ(count, 2);
        b.fragment = shaders[0];
        b.vertex = shaders[1];
        b.programLog = shaderLog(b.program);
    }
    return b;
}

// A log as printed: a last line without its line feed gets one, so that the next line printed
// does not run on from it.
std::string printed(const std::string& log) {
    return log.empty() || log.back() == '\n' ? log : log + '\n';
}

std::string shaderSource(GLuint shader) {
    char text[8192] = {};
    glGetShaderSource(shader, sizeof(text), nullptr, text);
    return text;
}

GLint shaderType(GLuint shader) {
    GLint type = 0;
    glGetShaderiv(shader, GL_SHADER_TYPE, &type);
    return type;
}

class ShaderProgram : public ::testing::Test {
protected:
    void SetUp() override { ASSERT_TRUE(requireGlContext()); }
};

TEST_F(ShaderProgram, EachTextGoesToItsOwnKindAlthoughTheFragmentShaderComesFirst) {
    Build b = buildIn("good");
    ASSERT_NE(b.program, 0u);
    GLint current = 0, linked = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), b.program);
    glGetProgramiv(b.program, GL_LINK_STATUS, &linked);
    EXPECT_TRUE(linked);
    if (shaderType(b.fragment) != GL_FRAGMENT_SHADER) std::swap(b.fragment, b.vertex);
    ASSERT_EQ(shaderType(b.fragment), GL_FRAGMENT_SHADER);
    ASSERT_EQ(shaderType(b.vertex), GL_VERTEX_SHADER);
    EXPECT_EQ(shaderSource(b.fragment), fileBytes(SHADERS + "good/" + sceneFiles.fragmentShader));
    EXPECT_EQ(shaderSource(b.vertex), fileBytes(SHADERS + "good/" + sceneFiles.vertexShader));
    EXPECT_EQ(b.err, "");
}

TEST_F(ShaderProgram, LogsArePrintedAsGivenFragmentVertexProgramWithPercentAndCarriageReturns) {
    const Build b = buildIn("percent");
    ASSERT_NE(b.program, 0u);
    ASSERT_EQ(shaderType(b.fragment), GL_FRAGMENT_SHADER)
        << "the fragment shader is attached first";
    ASSERT_NE(shaderLog(b.fragment).find('%'), std::string::npos) << shaderLog(b.fragment);
    EXPECT_EQ(b.out, printed(shaderLog(b.fragment)) + printed(shaderLog(b.vertex)) +
                         printed(b.programLog));
    // The program does not compile, yet is made current as always; one line names its files.
    EXPECT_EQ(b.err, std::string("demo: ") + sceneFiles.vertexShader + ", " +
                         sceneFiles.fragmentShader +
                         ": the program does not compile or link; drawing without shaders\n");
    // The vertex file has CRLF line ends; they reach the compiler unchanged.
    EXPECT_NE(shaderSource(b.vertex).find("\r\n"), std::string::npos);
    EXPECT_EQ(shaderSource(b.vertex), fileBytes(SHADERS + "percent/" + sceneFiles.vertexShader));
}

TEST_F(ShaderProgram, EmptyFileIsHandedOverAsAnEmptyText) {
    const Build b = buildIn("empty");
    ASSERT_NE(b.program, 0u);
    ASSERT_EQ(shaderType(b.vertex), GL_VERTEX_SHADER);
    EXPECT_EQ(shaderSource(b.vertex), "");
    EXPECT_EQ(b.out, printed(shaderLog(b.fragment)) + printed(shaderLog(b.vertex)) +
                         printed(b.programLog));
}

TEST_F(ShaderProgram, MissingOrUnreadableFileIsReportedByteForByteAndBuildsNothing) {
    const std::string cannot =
        ": cannot read the shader (No such file or directory); "
        "drawing without shaders\n";
    const std::string vertex = std::string("demo: ") + sceneFiles.vertexShader;
    const std::string fragment = std::string("demo: ") + sceneFiles.fragmentShader;
    const struct {
        const char* dir;
        std::string out, err;
    } cases[] = {
        {"missing_vertex", "Error opening shader.", vertex + cannot},
        // The fragment file's message goes to stderr; the line naming the file follows on its own.
        {"missing_fragment", "", "Error opening shader.\n" + fragment + cannot},
        // A directory of the vertex file's name opens like a file and gives a nonsense size.
        {"dir_as_file", "Error opening shader.",
         vertex + ": cannot read the shader (Is a directory); drawing without shaders\n"},
    };
    for (const auto& c : cases) {
        const Build b = buildIn(c.dir);
        EXPECT_EQ(b.program, 0u) << c.dir;
        EXPECT_EQ(b.out, c.out) << c.dir;
        EXPECT_EQ(b.err, c.err) << c.dir;
        GLint current = -1;
        glGetIntegerv(GL_CURRENT_PROGRAM, &current);
        EXPECT_EQ(current, 0) << c.dir;
    }
}

}  // namespace
