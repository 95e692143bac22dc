#include <epoxy/gl.h>

#include <gtest/gtest.h>
#include <unistd.h>

#include <cstdio>
#include <fstream>
#include <sstream>
#include <string>

#include "assets/shader_program.h"
#include "platform/console.h"
#include "support/gl_context.h"

namespace {

const std::string SHADERS = std::string(DEMO_TEST_DATA) + "/shaders/";

std::string fileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

struct Build {
    GLuint program;
    std::string out;
    std::string err;
};

// Builds from one fixture directory as the working directory, with both streams captured. The
// console stays out of the way, so the streams are the test's own.
Build buildIn(const std::string& dir) {
    consoleDevice.path = "/nonexistent/console";
    char here[4096];
    if (!getcwd(here, sizeof(here))) here[0] = '\0';
    if (chdir((SHADERS + dir).c_str()) != 0) ADD_FAILURE() << "no fixture " << dir;
    glUseProgram(0);
    testing::internal::CaptureStdout();
    testing::internal::CaptureStderr();
    const GLuint program = buildShaderProgram();
    Build result{program, testing::internal::GetCapturedStdout(), testing::internal::GetCapturedStderr()};
    if (chdir(here) != 0) ADD_FAILURE() << "cannot return to " << here;
    return result;
}

std::string shaderLog(GLuint shader) {
    char log[8192] = {};
    glGetShaderInfoLog(shader, sizeof(log), nullptr, log);
    return log;
}

std::string shaderSource(GLuint shader) {
    char text[8192] = {};
    glGetShaderSource(shader, sizeof(text), nullptr, text);
    return text;
}

struct Attached {
    GLuint first;   // in attachment order
    GLuint second;
};

Attached attachedShaders(GLuint program) {
    GLuint shaders[2] = {0, 0};
    GLsizei count = 0;
    glGetAttachedShaders(program, 2, &count, shaders);
    EXPECT_EQ(count, 2);
    return Attached{shaders[0], shaders[1]};
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
    const Build b = buildIn("good");
    ASSERT_NE(b.program, 0u);
    GLint current = 0;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(static_cast<GLuint>(current), b.program);
    GLint linked = 0;
    glGetProgramiv(b.program, GL_LINK_STATUS, &linked);
    EXPECT_TRUE(linked);

    const Attached a = attachedShaders(b.program);
    GLuint fragment = a.first;
    GLuint vertex = a.second;
    if (shaderType(fragment) != GL_FRAGMENT_SHADER) std::swap(fragment, vertex);
    ASSERT_EQ(shaderType(fragment), GL_FRAGMENT_SHADER);
    ASSERT_EQ(shaderType(vertex), GL_VERTEX_SHADER);
    EXPECT_LT(fragment, vertex) << "the fragment shader is created first";
    EXPECT_EQ(shaderSource(fragment), fileBytes(SHADERS + "good/fragmentshader_offset.glsl"));
    EXPECT_EQ(shaderSource(vertex), fileBytes(SHADERS + "good/vertexshader_offset.glsl"));
    EXPECT_EQ(b.err, "");
}

TEST_F(ShaderProgram, LogsArePrintedAsGivenFragmentVertexProgramWithPercentAndCarriageReturns) {
    const Build b = buildIn("percent");
    ASSERT_NE(b.program, 0u);
    const Attached a = attachedShaders(b.program);
    ASSERT_EQ(shaderType(a.first), GL_FRAGMENT_SHADER) << "the fragment shader is attached first";
    const std::string fragmentLog = shaderLog(a.first);
    char programLog[8192] = {};
    glGetProgramInfoLog(b.program, sizeof(programLog), nullptr, programLog);

    ASSERT_NE(fragmentLog.find('%'), std::string::npos) << fragmentLog;
    EXPECT_EQ(b.out, fragmentLog + shaderLog(a.second) + programLog);
    EXPECT_EQ(b.err, "");
    // The vertex file has CRLF line ends; they reach the compiler unchanged.
    const std::string vertexText = shaderSource(a.second);
    EXPECT_NE(vertexText.find("\r\n"), std::string::npos);
    EXPECT_EQ(vertexText, fileBytes(SHADERS + "percent/vertexshader_offset.glsl"));
}

TEST_F(ShaderProgram, EmptyFileIsHandedOverAsAnEmptyText) {
    const Build b = buildIn("empty");
    ASSERT_NE(b.program, 0u);
    const Attached a = attachedShaders(b.program);
    ASSERT_EQ(shaderType(a.second), GL_VERTEX_SHADER);
    EXPECT_EQ(shaderSource(a.second), "");
    char programLog[8192] = {};
    glGetProgramInfoLog(b.program, sizeof(programLog), nullptr, programLog);
    EXPECT_EQ(b.out, shaderLog(a.first) + shaderLog(a.second) + programLog);
}

TEST_F(ShaderProgram, MissingVertexFileSaysSoOnStdoutNamesItOnStderrAndBuildsNothing) {
    const Build b = buildIn("missing_vertex");
    EXPECT_EQ(b.program, 0u);
    EXPECT_EQ(b.out, "Error opening shader.");
    EXPECT_EQ(b.err,
              "demo: vertexshader_offset.glsl: cannot read the shader (No such file or directory); "
              "drawing without shaders\n");
    GLint current = -1;
    glGetIntegerv(GL_CURRENT_PROGRAM, &current);
    EXPECT_EQ(current, 0);
}

TEST_F(ShaderProgram, MissingFragmentFileSaysSoOnStderrWithoutNewlineThenNamesIt) {
    const Build b = buildIn("missing_fragment");
    EXPECT_EQ(b.program, 0u);
    EXPECT_EQ(b.out, "");
    EXPECT_EQ(b.err,
              "Error opening shader.demo: fragmentshader_offset.glsl: cannot read the shader (No such "
              "file or directory); drawing without shaders\n");
}

TEST_F(ShaderProgram, DirectoryInPlaceOfAFileIsRefusedWithoutReadingIt) {
    // A directory of the vertex file's name opens like a file and reports a size of nonsense.
    const Build b = buildIn("dir_as_file");
    EXPECT_EQ(b.program, 0u);
    EXPECT_EQ(b.out, "Error opening shader.");
    EXPECT_NE(b.err.find("vertexshader_offset.glsl: cannot read the shader (Is a directory)"),
              std::string::npos)
        << b.err;
}

}  // namespace
