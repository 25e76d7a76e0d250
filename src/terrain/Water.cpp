#include "terrain/Landscape.h"

#include "image/TextureManager.h"

#include <GL/gl.h>

namespace {
constexpr float kWaterLevel = 128.0f;
}

// Terrain first, then the half-transparent water plane over the terrain's whole
// rectangle: it adds half the water texture onto the ground below 128, and the
// depth test hides it where the ground is higher. Blending stays on afterwards
// for the translucent drawing that follows.
void Landscape::Draw() {
    if (loaded == 1)
        TerrainNode::Draw();
    glEnable(GL_BLEND);
    if (loaded != 1)
        return;

    Vector4 p00, p01, p11, p10;
    SampleVertex(0.0f, 0.0f, p00);
    SampleVertex(0.0f, 1.0f, p01);
    SampleVertex(1.0f, 1.0f, p11);
    SampleVertex(1.0f, 0.0f, p10);
    textureManager.Bind(textureManager.FindByName("textures/water.bmp"));

    const struct {
        const Vector4& point;
        float s, t;
    } strip[4] = {{p00, 0, 0}, {p01, 0, 1}, {p10, 1, 0}, {p11, 1, 1}};
    glBegin(GL_TRIANGLE_STRIP);
    for (const auto& corner : strip) {
        glColor4ub(255, 255, 255, 128);
        glTexCoord2f(corner.s, corner.t);
        glVertex3f(corner.point.x, kWaterLevel, corner.point.z);
    }
    glEnd();
}
