#include "terrain/TerrainNode.h"

#include "app/Globals.h"
#include "image/TextureManager.h"
#include "platform/ErrorLog.h"
#include "terrain/Landscape.h"

#include <GL/gl.h>
#include <algorithm>
#include <cmath>

namespace {
// Tile row or column under a map coordinate; a coordinate off the texture is
// held to the nearest tile rather than indexing outside the tile table.
int32_t TileIndex(float coordinate, int32_t tileSize, int32_t tilesPerSide) {
    if (!(coordinate >= 0.0f))
        return 0;
    const float scaled = coordinate * 1024.0f / static_cast<float>(tileSize);
    if (scaled >= static_cast<float>(tilesPerSide))
        return tilesPerSide - 1;
    return static_cast<int32_t>(scaled);
}
} // namespace

void TerrainNode::Draw() {
    if (children[0] != nullptr) {
        for (TerrainNode* child : children)
            if (child != nullptr)
                child->Draw();
        return;
    }
    if (owner == nullptr)
        return;

    // The tile is chosen from the first corner, with the map scale applied twice,
    // so the tiles do not divide the leaves evenly.
    const Landscape& land = *owner;
    const float a = vertices[1].x * 0.01f / static_cast<float>(land.width) * kMapToSample;
    const float b = vertices[1].z * 0.01f / static_cast<float>(land.height) * kMapToSample;
    if (a < 0.0f || a > 1.0f || std::isnan(a))
        errorLog.Write("Error: %d\n", static_cast<int>(x0 * 1024.0f));
    const int32_t tileSize = land.tileSize > 0 ? land.tileSize : 1024;
    const int32_t tilesPerSide = std::max(1024 / tileSize, 1);
    const int32_t row = TileIndex(b, tileSize, tilesPerSide);
    const int32_t column = TileIndex(a, tileSize, tilesPerSide);
    textureManager.Bind(land.tiles[row * tilesPerSide + column]);

    glBegin(GL_TRIANGLE_FAN);
    for (int i = 0; i < 6; ++i) {
        const int point = i < 5 ? i : 1; // closes the fan on the first corner
        glColor4ub(255, 255, 255, 255);
        glTexCoord2f(texCoords[point][0], texCoords[point][1]);
        glVertex3f(vertices[point].x, vertices[point].y, vertices[point].z);
    }
    glEnd();
}
