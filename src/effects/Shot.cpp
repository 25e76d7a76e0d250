#include "effects/Shot.h"

#include "image/TextureManager.h"
#include "state/AppState.h"
#include "terrain/Landscape.h"

#include <GL/gl.h>
#include <algorithm>

namespace {
// A texture that is not loaded binds nothing.
void BindByName(const char* name) {
    int32_t index = textureManager.FindByName(name);
    if (index >= 0)
        textureManager.Bind(index);
}
} // namespace

void Shot::Spawn(const Vector4& origin_, const Vector4& velocity_, int pairCount_) {
    exploded = 0;
    int n = std::max(pairCount_, 0);
    points.assign(2 * static_cast<size_t>(n), Vector4());
    alphas.assign(n, 0);
    origin = origin_;
    velocity = velocity_;
    pairCount = pairCount_;
    if (pairCount < 1)
        return;

    // A shot with no speed has no direction: its ribbon collapses onto the origin.
    Vector4 direction = velocity;
    Normalize(direction);
    for (int i = 0; i < n; ++i) {
        float s = 60.0f / static_cast<float>(n) * static_cast<float>(i);
        Vector4 d = direction * s;
        Vector4& a = points[2 * i];
        Vector4& b = points[2 * i + 1];
        a = origin;
        a.x -= 5.0f;
        b = origin;
        b.x += 5.0f;
        for (Vector4* p : {&a, &b}) {
            p->x -= d.x;
            p->y -= d.y;
            p->z -= d.z;
        }
        alphas[i] =
            static_cast<uint8_t>(static_cast<float>(n - i) / static_cast<float>(n) * 255.0f);
    }
}

void Shot::Update(float elapsedMs) {
    if (pairCount < 1)
        return; // never spawned, or spawned without a head

    float dt = elapsedMs * 0.02f;
    Vector4 step = velocity * dt;
    points[0] += step;
    points[1] += step;
    velocity += appState.gravity * (40.0f * dt);
    // Every pair takes its predecessor's place: pair k holds the head of k - 1 updates ago.
    std::copy_backward(points.begin(), points.end() - 2, points.end());

    const Vector4& head = points[0];
    float u = head.x;
    float v = head.z;
    Landscape::WorldToMap(u, v);
    if (landscape.HeightAt(u, v) > head.y && !exploded) {
        exploded = 1;
        Vector4 impact(head.x, head.y, head.z);
        burst.Start(impact, 16, 8);
        plume.Start(impact, 100);
    }
    if (!exploded)
        return;

    BindByName("textures/star.bmp");
    burst.Update(elapsedMs);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    burst.Draw();
    glPopMatrix();
    plume.Update(elapsedMs);
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    plume.Draw();
    glPopMatrix();
}

void Shot::DrawTrail() const {
    glMatrixMode(GL_MODELVIEW);
    glPushMatrix();
    // The segment from pair 0 to pair 1 is left out: after an update they coincide.
    for (int i = 2; i < pairCount; ++i) {
        const Vector4& a0 = points[2 * (i - 1)];
        const Vector4& b0 = points[2 * (i - 1) + 1];
        const Vector4& a1 = points[2 * i];
        const Vector4& b1 = points[2 * i + 1];
        LoadCameraTransform();
        glColor4ub(colour[0], colour[1], colour[2], alphas[i]);
        glBegin(GL_TRIANGLES);
        glTexCoord2f(0, 0);
        glVertex3f(a0.x, a0.y, a0.z);
        glTexCoord2f(0, 1);
        glVertex3f(b0.x, b0.y, b0.z);
        glTexCoord2f(1, 0);
        glVertex3f(a1.x, a1.y, a1.z);
        glTexCoord2f(1, 1);
        glVertex3f(b1.x, b1.y, b1.z);
        glTexCoord2f(0, 1);
        glVertex3f(b0.x, b0.y, b0.z);
        glTexCoord2f(1, 0);
        glVertex3f(a1.x, a1.y, a1.z);
        glEnd();
    }
    glPopMatrix();
}
