#pragma once

#include "platform/WindowMessages.h"

#include <cstdint>

using GLContextHandle = void*; // SDL_GLContext

// What the program asks of the framebuffer; filled once, by the first context.
struct PixelFormatDescriptor {
    uint16_t size;
    uint16_t version;
    uint32_t flags;
    uint8_t colourBits;
    uint8_t depthBits;
    bool filled;
};

// The single top-level window, its display mode and its OpenGL context, and the
// frame callback: Frame runs the callback and presents the back buffer.
class GLWindow {
  public:
    GLWindow();
    ~GLWindow();
    GLWindow(const GLWindow&) = delete;
    GLWindow& operator=(const GLWindow&) = delete;

    void SetFullscreen(unsigned char flag);
    void SetWindowProc(WindowProcedure procedure);
    void Create(int32_t width, int32_t height, void* instance, const char* name,
                int32_t bitsPerPixel, const char* menuName);
    void CreateContext(WindowHandle handle);
    void Resize(int32_t width, int32_t height);
    void Destroy();
    void Frame();
    void SwapBuffers();
    // One step of the platform's cursor display count (shown while it is >= 0).
    void ShowCursorStep(bool show);
    bool IsLive() const { return releaseMarker != -1; }

    WindowHandle window;
    GLContextHandle context;
    WindowHandle deviceContext; // SDL draws to the window itself
    int32_t pixelFormat;
    int32_t width;
    int32_t height;
    int32_t bitsPerPixel;
    unsigned char fullscreen;
    int32_t releaseMarker; // -1 while nothing needs releasing
    WindowProcedure windowProc;
    void (*frameCallback)();
    PixelFormatDescriptor pixelFormatDescriptor;
    int32_t cursorDisplayCount;
};

// The program's one window.
extern GLWindow glWindow;
