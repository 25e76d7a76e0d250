#include "platform/GLWindow.h"
#include "support/TestSupport.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cmath>
#include <gtest/gtest.h>

namespace {
GLWindow* windowUnderTest = nullptr;
int sizeMessages = 0;

intptr_t TestWindowProc(WindowHandle handle, uint32_t message, uintptr_t, intptr_t longParam) {
    if (message == WM_CREATE) {
        EXPECT_EQ(windowUnderTest->window, nullptr); // not set until Create returns
        windowUnderTest->CreateContext(handle);
    } else if (message == WM_SIZE) {
        ++sizeMessages;
        windowUnderTest->Resize(longParam & 0xFFFF, (longParam >> 16) & 0xFFFF);
    }
    return 0;
}
} // namespace

TEST(GLWindow, WindowedCreateGivesA640By480ContextThatDestroyReleasesOnce) {
    GLWindow window;
    EXPECT_FALSE(window.IsLive());
    windowUnderTest = &window;
    window.SetFullscreen(0);
    window.SetWindowProc(TestWindowProc);
    window.Create(640, 480, nullptr, "Zezivoze", 32, nullptr);
    ASSERT_TRUE(window.window != nullptr && window.IsLive());
    EXPECT_EQ(sizeMessages, 1);

    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window.window, &w, &h);
    GLint viewport[4], depthBits = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_TRUE(w == 640 && h == 480 && viewport[2] == 640 && viewport[3] == 480)
        << w << "x" << h << ", viewport " << viewport[2] << "x" << viewport[3];
    EXPECT_GE(depthBits, 16);
    EXPECT_TRUE(doubleBuffered);

    // A size message with height 0 keeps height 1 and a finite projection.
    window.Resize(320, 0);
    EXPECT_EQ(window.width, 320);
    EXPECT_EQ(window.height, 1);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (float element : projection)
        EXPECT_TRUE(std::isfinite(element));

    window.Destroy();
    EXPECT_FALSE(window.IsLive());
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    window.Destroy(); // releases nothing the second time
    EXPECT_FALSE(window.IsLive());
    SDL_DestroyWindow(window.window); // the window itself is SDL's to take back
    window.window = nullptr;
}
