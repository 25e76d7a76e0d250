#include "platform/GLWindow.h"
#include "support/TestSupport.h"

#include <GL/gl.h>
#include <SDL.h>

namespace {
GLWindow* windowUnderTest = nullptr;
int sizeMessages = 0;

intptr_t TestWindowProc(WindowHandle handle, uint32_t message, uintptr_t, intptr_t longParam) {
    if (message == WM_CREATE)
        windowUnderTest->CreateContext(handle);
    else if (message == WM_SIZE) {
        ++sizeMessages;
        windowUnderTest->Resize(longParam & 0xFFFF, (longParam >> 16) & 0xFFFF);
    }
    return 0;
}
} // namespace

TEST(GLWindow, CreateResizeDestroy) {
    GLWindow window;
    windowUnderTest = &window;
    window.SetFullscreen(0);
    window.SetWindowProc(TestWindowProc);
    window.Create(640, 480, nullptr, "Zezivoze", 32, nullptr);
    ASSERT_EQ(std::tuple(window.window != nullptr, window.IsLive()), std::tuple(true, true));

    // One size message sets the viewport; a height of 0 keeps 1.
    GLint viewport[4], resized[4], depthBits = 0, doubleBuffered = 0;
    glGetIntegerv(GL_VIEWPORT, viewport);
    glGetIntegerv(GL_DEPTH_BITS, &depthBits);
    glGetIntegerv(GL_DOUBLEBUFFER, &doubleBuffered);
    window.Resize(320, 0);
    glGetIntegerv(GL_VIEWPORT, resized);
    EXPECT_EQ((std::vector<int>{sizeMessages, viewport[2], viewport[3], window.width, window.height,
                                resized[2], resized[3], depthBits >= 16, doubleBuffered}),
              (std::vector<int>{1, 640, 480, 320, 1, 320, 1, 1, 1}));
    // A size change reaches the procedure as a size message: width low, height high.
    SDL_Event event{.window = {SDL_WINDOWEVENT, 0, SDL_GetWindowID(window.window),
                               SDL_WINDOWEVENT_SIZE_CHANGED, 0, 0, 0, 800, 600}};
    SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
    ASSERT_EQ(SDL_PushEvent(&event), 1);
    TakenMessage taken{};
    EXPECT_TRUE(PeekWindowMessage(taken));
    EXPECT_EQ(std::tuple(taken.message, taken.longParam),
              std::tuple(uint32_t(WM_SIZE), intptr_t(800 | 600 << 16)));
    window.Destroy();
    EXPECT_EQ(std::tuple(window.IsLive(), SDL_GL_GetCurrentContext()), std::tuple(false, nullptr));
    GLTestContext other; // made current: a second Destroy releases nothing, this one neither
    SDL_GLContext current = SDL_GL_GetCurrentContext();
    window.Destroy();
    EXPECT_EQ(std::tuple(current != nullptr, SDL_GL_GetCurrentContext()),
              std::tuple(true, current));
    SDL_DestroyWindow(window.window); // the window itself is SDL's to take back
}
