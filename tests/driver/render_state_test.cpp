#include <epoxy/gl.h>

#include <gtest/gtest.h>

#include <cmath>

#include "driver/render_state.h"
#include "support/gl_context.h"

namespace {

// The projection gluPerspective gives for a 65-degree field, the aspect, near 100 and far 10000.
void expectPerspective(double aspect) {
    GLfloat m[16];
    glGetFloatv(GL_PROJECTION_MATRIX, m);
    const double f = 1.0 / std::tan(65.0 * M_PI / 360.0);
    EXPECT_NEAR(m[0], f / aspect, 1e-5);
    EXPECT_NEAR(m[5], f, 1e-5);
    EXPECT_NEAR(m[10], (10000.0 + 100.0) / (100.0 - 10000.0), 1e-5);
    EXPECT_NEAR(m[14], 2.0 * 10000.0 * 100.0 / (100.0 - 10000.0), 1e-2);
    EXPECT_FLOAT_EQ(m[11], -1.0f);
    EXPECT_FLOAT_EQ(m[15], 0.0f);
}

// What the pictures alone would not tell: the viewport and the aspect follow the size given (a
// height of 0 taken as 1), the matrix mode is left for the frame loop, the light sits at the eye.
TEST(RenderState, ViewportAndPerspectiveFollowTheSizeAndTheLightSitsAtTheEye) {
    ASSERT_TRUE(requireGlContext());
    const struct { int width, height, viewportHeight; } sizes[] = {{1024, 600, 600}, {1280, 0, 1}};
    for (const auto& size : sizes) {
        setRenderState(size.width, size.height);
        GLint viewport[4];
        glGetIntegerv(GL_VIEWPORT, viewport);
        EXPECT_EQ(viewport[0] + viewport[1], 0);
        EXPECT_EQ(viewport[2], size.width);
        EXPECT_EQ(viewport[3], size.viewportHeight);
        expectPerspective(static_cast<double>(size.width) / size.viewportHeight);
    }
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_PROJECTION);
    GLfloat position[4] = {-9, -9, -9, -9};
    glGetLightfv(GL_LIGHT0, GL_POSITION, position);
    for (int i = 0; i < 4; ++i) EXPECT_EQ(position[i], i == 3 ? 1.0f : 0.0f) << i;
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));
}

}  // namespace
