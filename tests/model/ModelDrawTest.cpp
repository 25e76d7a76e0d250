#include "model/ModelFiles.h"

#include "model/Model.h"
#include "support/TestSupport.h"

#include <GL/gl.h>
#include <gtest/gtest.h>

namespace {
// Looks down -z at x from -4 to 4 and y from -3 to 3: 80 pixels per unit.
class ModelDraw : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        LoadTestTextures();
        glMatrixMode(GL_PROJECTION);
        glLoadIdentity();
        glOrtho(-4, 4, -3, 3, -10, 10);
        glMatrixMode(GL_MODELVIEW);
        glLoadIdentity();
        glClearColor(0, 0, 0, 0);
        glClear(GL_COLOR_BUFFER_BIT);
        glDisable(GL_DEPTH_TEST);
        glEnable(GL_TEXTURE_2D);
        WriteFileBytes(dir.File("small.rozi"), SmallModel().Bytes());
        model.Load(dir.File("small.rozi").c_str());
        ASSERT_EQ(model.loaded, 1);
    }

    void ExpectColour(float x, float y, uint8_t r, uint8_t g, uint8_t b) {
        ExpectPixel(gl, int((x + 4) * 80), int((y + 3) * 80), r, g, b);
    }

    static void ExpectMatrix(const GLfloat expected[16]) {
        GLfloat actual[16];
        glGetFloatv(GL_MODELVIEW_MATRIX, actual);
        for (int i = 0; i < 16; ++i)
            EXPECT_NEAR(actual[i], expected[i], 1e-6f) << i;
    }

    GLTestContext gl;
    TempDir dir;
    Model model;
};
} // namespace

TEST_F(ModelDraw, FacesTexturedWhereThePositionPutsThem) {
    model.position = Vector4(-1.5f, 0, 0);
    model.Draw();
    ExpectColour(-1, 0.5f, 0, 0, 255);    // treads
    ExpectColour(0, 0.5f, 255, 0, 0);     // camouflage
    ExpectColour(1, 0.5f, 255, 255, 255); // no texture: plain white
    ExpectColour(0, -1, 0, 0, 0);
    ExpectColour(2, 0.5f, 0, 0, 0);
    // Drawing turned no state on or off.
    EXPECT_TRUE(glIsEnabled(GL_TEXTURE_2D));
    EXPECT_EQ(glGetError(), GLenum(GL_NO_ERROR));

    // Without texturing every face is white.
    glClear(GL_COLOR_BUFFER_BIT);
    glLoadIdentity();
    glDisable(GL_TEXTURE_2D);
    model.Draw();
    EXPECT_FALSE(glIsEnabled(GL_TEXTURE_2D));
    ExpectColour(-1, 0.5f, 255, 255, 255);
    ExpectColour(0, 0.5f, 255, 255, 255);
}

TEST_F(ModelDraw, LeavesItsTransformOnTheMatrix) {
    model.position = Vector4(1, 2, 3);
    model.rotation = Vector4(10, 20, 30);
    glLoadIdentity();
    glTranslatef(1, 2, 3);
    glRotatef(10, 1, 0, 0);
    glRotatef(30, 0, 0, 1);
    glRotatef(20, 0, 1, 0);
    GLfloat once[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, once);
    glMultMatrixf(once);
    GLfloat twice[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, twice);

    glLoadIdentity();
    model.Draw();
    ExpectMatrix(once);
    model.Draw(); // no push and pop between: applied twice
    ExpectMatrix(twice);

    // A model without faces still applies its transform.
    Model empty;
    ModelWriter none;
    WriteFileBytes(dir.File("none.rozi"), none.Bytes());
    empty.Load(dir.File("none.rozi").c_str());
    ASSERT_EQ(empty.faceCount, 0);
    empty.rotation = Vector4(90, 0, 0); // its +y along the parent's +z
    glLoadIdentity();
    empty.Draw();
    GLfloat m[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[4], 0, 1e-6f);
    EXPECT_NEAR(m[5], 0, 1e-6f);
    EXPECT_NEAR(m[6], 1, 1e-6f);
    empty.rotation = Vector4(0, 90, 0); // its +z along +x
    glLoadIdentity();
    empty.Draw();
    glGetFloatv(GL_MODELVIEW_MATRIX, m);
    EXPECT_NEAR(m[8], 1, 1e-6f);
    EXPECT_NEAR(m[9], 0, 1e-6f);
    EXPECT_NEAR(m[10], 0, 1e-6f);
}
