#include "terrain/TerrainNode.h"

#include "image/TextureManager.h"
#include "platform/ErrorLog.h"
#include "terrain/Landscape.h"

#include <GL/gl.h>
#include <cmath>

void TerrainNode::Draw() {
    if (children[0] != nullptr) {
        for (TerrainNode* child : children)
            if (child != nullptr)
                child->Draw();
        return;
    }
    if (owner == nullptr)
        return;

    float a, b;
    TileCoordinates(a, b);
    if (a < 0.0f || a > 1.0f || std::isnan(a))
        errorLog.Write("Error: %d\n", static_cast<int>(x0 * 1024.0f)); // the leaf's texel column
    textureManager.Bind(owner->tiles[TileIndex()]);

    glBegin(GL_TRIANGLE_FAN);
    for (int i = 0; i < 6; ++i) {
        const int point = i < 5 ? i : 1; // closes the fan on the first corner
        glColor4ub(255, 255, 255, 255);
        glTexCoord2f(texCoords[point][0], texCoords[point][1]);
        glVertex3f(vertices[point].x, vertices[point].y, vertices[point].z);
    }
    glEnd();
}
