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

int framesRun = 0;
void CountFrame() {
    ++framesRun;
    glClearColor(0, 1, 0, 1);
    glClear(GL_COLOR_BUFFER_BIT);
}
} // namespace

TEST(GLWindow, WindowedCreateGivesA640By480ContextThatDestroyReleasesOnce) {
    LogCapture log;
    GLWindow window;
    windowUnderTest = &window;
    EXPECT_FALSE(window.IsLive());
    window.SetFullscreen(0);
    window.SetWindowProc(TestWindowProc);
    window.Create(640, 480, nullptr, "Zezivoze", 32, nullptr);
    ASSERT_NE(window.window, nullptr);
    ASSERT_TRUE(window.IsLive());
    EXPECT_EQ(window.deviceContext, window.window);
    EXPECT_EQ(sizeMessages, 1);
    EXPECT_STREQ(SDL_GetWindowTitle(window.window), "Zezivoze");

    int w = 0, h = 0;
    SDL_GL_GetDrawableSize(window.window, &w, &h);
    EXPECT_EQ(w, 640);
    EXPECT_EQ(h, 480);
    GLint viewport[4];
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[2], 640);
    EXPECT_EQ(viewport[3], 480);
    GLint depthBits = 0;
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    EXPECT_GE(depthBits, 16);
    GLboolean doubleBuffered = GL_FALSE;
    glGetBooleanv(GL_DOUBLEBUFFER, &doubleBuffered);
    EXPECT_TRUE(doubleBuffered);
    EXPECT_EQ(window.pixelFormatDescriptor.colourBits, 32);
    EXPECT_EQ(window.pixelFormatDescriptor.depthBits, 16);
    EXPECT_EQ(window.pixelFormatDescriptor.flags, 0x25u);

    // The frame runs the callback, then presents.
    window.frameCallback = CountFrame;
    window.Frame();
    EXPECT_EQ(framesRun, 1);

    // A size message with height 0 keeps height 1 and a viewport of height 1.
    window.Resize(320, 0);
    EXPECT_EQ(window.width, 320);
    EXPECT_EQ(window.height, 1);
    glGetIntegerv(GL_VIEWPORT, viewport);
    EXPECT_EQ(viewport[3], 1);
    float projection[16];
    glGetFloatv(GL_PROJECTION_MATRIX, projection);
    for (float element : projection)
        EXPECT_TRUE(std::isfinite(element));
    GLint mode = 0;
    glGetIntegerv(GL_MATRIX_MODE, &mode);
    EXPECT_EQ(mode, GL_MODELVIEW);

    window.Destroy();
    EXPECT_FALSE(window.IsLive());
    EXPECT_EQ(SDL_GL_GetCurrentContext(), nullptr);
    window.Destroy(); // releases nothing the second time
    EXPECT_FALSE(window.IsLive());
    SDL_DestroyWindow(window.window);
    windowUnderTest = nullptr;

    EXPECT_NE(log.Finish().find("Using windowed mode.\n"), std::string::npos);
}

TEST(GLWindow, ThePixelFormatKeepsTheDepthOfTheFirstContext) {
    LogCapture log;
    GLWindow window;
    windowUnderTest = &window;
    window.SetWindowProc(TestWindowProc);
    window.Create(64, 64, nullptr, "first", 16, nullptr);
    window.Destroy();
    SDL_DestroyWindow(window.window);
    window.window = nullptr;
    window.Create(64, 64, nullptr, "second", 32, nullptr);
    EXPECT_EQ(window.bitsPerPixel, 32);
    EXPECT_EQ(window.pixelFormatDescriptor.colourBits, 16);
    window.Destroy();
    SDL_DestroyWindow(window.window);
    windowUnderTest = nullptr;
}
