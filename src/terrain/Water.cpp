#include "terrain/Landscape.h"

#include "image/TextureManager.h"
#include "terrain/TerrainBlend.h"

#include <GL/gl.h>

namespace {
constexpr float kWaterLevel = 128.0f;
}

// Terrain first, then the half-transparent water plane over the terrain's whole
// rectangle: it adds half the water texture onto the ground below 128, and the
// depth test hides it where the ground is higher. Blending stays on afterwards
// for the translucent drawing that follows.
void Landscape::DrawTerrain() {
    if (loaded != 1)
        return;
    if (!grid.Built())
        return TerrainNode::Draw();
    int32_t sources[3];
    for (int i = 0; i < 3; ++i)
        sources[i] = textureManager.FindByName(kTerrainSourceNames[i]);
    grid.Draw(sources);
}

void Landscape::Draw() {
    DrawTerrain();
    glEnable(GL_BLEND);
    if (loaded != 1)
        return;

    Vector4 p00, p01, p11, p10;
    SampleVertex(0.0f, 0.0f, p00);
    SampleVertex(0.0f, 1.0f, p01);
    SampleVertex(1.0f, 1.0f, p11);
    SampleVertex(1.0f, 0.0f, p10);
    textureManager.Bind(textureManager.FindByName("textures/water.bmp"));
    // Stretched once over the map; on a map drawn cell by cell, once every 32
    // cells, as the ground's own texture repeats on the small map.
    const float repeats[2] = {grid.Built() ? p11.x * 0.01f / 32.0f : 1.0f,
                              grid.Built() ? p11.z * 0.01f / 32.0f : 1.0f};

    const struct {
        const Vector4& point;
        float s, t;
    } strip[4] = {
        {p00, 0, 0}, {p01, 0, repeats[1]}, {p10, repeats[0], 0}, {p11, repeats[0], repeats[1]}};
    glBegin(GL_TRIANGLE_STRIP);
    for (const auto& corner : strip) {
        glColor4ub(255, 255, 255, 128);
        glTexCoord2f(corner.s, corner.t);
        glVertex3f(corner.point.x, kWaterLevel, corner.point.z);
    }
    glEnd();
}
