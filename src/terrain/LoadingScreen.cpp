#include "terrain/LoadingScreen.h"

#include "image/TextureManager.h"
#include "platform/GLWindow.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <chrono>

namespace {
LoadingScreenPacer pacer;
int32_t screensDrawn = 0;

double NowMs() {
    using namespace std::chrono;
    return duration<double, std::milli>(steady_clock::now().time_since_epoch()).count();
}

struct Corner {
    float x, y, s, t;
};

void Quad(const Corner (&corners)[4]) {
    glBegin(GL_QUADS);
    for (const Corner& c : corners) {
        glTexCoord2f(c.s, c.t);
        glVertex2f(c.x, c.y);
    }
    glEnd();
}
} // namespace

bool LoadingScreenPacer::Due(double nowMs, bool force) {
    if (!force && drawn && nowMs - last < interval)
        return false;
    drawn = true;
    last = nowMs;
    return true;
}

void ResetLoadingScreen() {
    pacer.Reset();
}

int32_t LoadingScreensDrawn() {
    return screensDrawn;
}

void DrawLoadingScreen(float progress, bool force) {
    if (!pacer.Due(NowMs(), force))
        return;
    ++screensDrawn;

    // A fixed 640 x 480 screen, origin at the bottom left, whatever the window.
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 640, 0, 480);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    glEnable(GL_BLEND);
    glEnable(GL_TEXTURE_2D);

    textureManager.Bind(textureManager.FindByName("textures/info.bmp"));
    glColor4ub(255, 255, 255, 255);
    Quad({{0, 352, 0, 0}, {128, 352, 1, 0}, {128, 480, 1, 1}, {0, 480, 0, 1}});

    glDisable(GL_TEXTURE_2D);
    glColor4ub(0, 96, 96, 255);
    Quad({{35, 215, 0, 0}, {605, 215, 1, 0}, {605, 265, 1, 1}, {35, 265, 0, 1}});

    // The bar grows from nothing at 0 to the frame's inner span 40-600 at 1.
    glEnable(GL_TEXTURE_2D);
    textureManager.Bind(textureManager.FindByName("textures/trail.bmp"));
    const float right = 600.0f - (1.0f - progress) * 560.0f;
    glColor4ub(0, 160, 160, 255);
    Quad({{40, 220, 0, 0}, {right, 220, 1, 0}, {right, 260, 1, 1}, {40, 260, 0, 1}});

    glWindow.SwapBuffers();
}
