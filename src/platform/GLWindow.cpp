#include "platform/GLWindow.h"

#include "platform/ErrorLog.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>

namespace {
constexpr uint32_t kDrawToWindow = 0x04, kSupportOpenGL = 0x20, kDoubleBuffer = 0x01;

// SDL picks the framebuffer when the window is made, so the request is applied
// before creation: 16 bits as 5/6/5, 32 as 8/8/8, 0 asks for no particular depth.
void RequestFramebuffer(const PixelFormatDescriptor& descriptor) {
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, descriptor.depthBits);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    int red = 0, green = 0, blue = 0;
    if (descriptor.colourBits == 16) {
        red = 5, green = 6, blue = 5;
    } else if (descriptor.colourBits == 32 || descriptor.colourBits == 24) {
        red = green = blue = 8;
    }
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, red);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, green);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, blue);
}
} // namespace

GLWindow::GLWindow()
    : window(nullptr), context(nullptr), deviceContext(nullptr), pixelFormat(0), width(0),
      height(0), bitsPerPixel(0), fullscreen(0), releaseMarker(-1), windowProc(nullptr),
      frameCallback(nullptr), pixelFormatDescriptor{}, cursorDisplayCount(0) {}

GLWindow::~GLWindow() {
    Destroy();
}

void GLWindow::ShowCursorStep(bool show) {
    cursorDisplayCount += show ? 1 : -1;
    if (SDL_WasInit(SDL_INIT_VIDEO) != 0)
        SDL_ShowCursor(cursorDisplayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);
}

void GLWindow::SetFullscreen(unsigned char flag) {
    fullscreen = flag;
    if (fullscreen) {
        ShowCursorStep(false);
        errorLog.Write("Using fullscreen mode.\n");
    } else {
        ShowCursorStep(true);
        errorLog.Write("Using windowed mode.\n");
    }
}

void GLWindow::SetWindowProc(WindowProcedure procedure) {
    windowProc = procedure;
}

void GLWindow::Create(int32_t width_, int32_t height_, void* /*instance*/, const char* name,
                      int32_t bitsPerPixel_, const char* /*menuName*/) {
    width = width_;
    height = height_;
    bitsPerPixel = bitsPerPixel_;

    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        errorLog.Fatal("Unable to register window class '%s'", name);
    SDL_ShowCursor(cursorDisplayCount >= 0 ? SDL_ENABLE : SDL_DISABLE);

    if (!pixelFormatDescriptor.filled) {
        pixelFormatDescriptor.size = 40;
        pixelFormatDescriptor.version = 1;
        pixelFormatDescriptor.flags = kDrawToWindow | kSupportOpenGL | kDoubleBuffer;
        pixelFormatDescriptor.colourBits = static_cast<uint8_t>(bitsPerPixel & 0xFF);
        pixelFormatDescriptor.depthBits = 16;
        pixelFormatDescriptor.filled = true;
    }
    RequestFramebuffer(pixelFormatDescriptor);

    // SDL sizes the drawing area itself, so no frame margins are added.
    uint32_t flags = SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN;
    if (!fullscreen)
        flags |= SDL_WINDOW_RESIZABLE;
    WindowHandle created = SDL_CreateWindow(name, 0, 0, width, height, flags);
    if (created != nullptr && windowProc != nullptr) {
        windowProc(created, WM_CREATE, 0, 0);
        windowProc(created, WM_SIZE, 0, (width & 0xFFFF) | ((height & 0xFFFF) << 16));
    }
    window = created;
    if (window == nullptr)
        errorLog.Fatal("Unable to create window");

    if (fullscreen && window != nullptr) {
        SDL_DisplayMode mode{};
        mode.format = bitsPerPixel == 16 ? SDL_PIXELFORMAT_RGB565 : 0;
        mode.w = width;
        mode.h = height;
        if (SDL_SetWindowDisplayMode(window, &mode) != 0 ||
            SDL_SetWindowFullscreen(window, SDL_WINDOW_FULLSCREEN) != 0)
            errorLog.Fatal("Unable to set mode (%i,%i,%i)", width, height, bitsPerPixel);
    }
    if (window != nullptr) {
        SDL_ShowWindow(window);
        SDL_RaiseWindow(window);
    }
}

void GLWindow::CreateContext(WindowHandle handle) {
    deviceContext = handle;
    pixelFormat = static_cast<int32_t>(SDL_GetWindowPixelFormat(handle));
    if (pixelFormat == static_cast<int32_t>(SDL_PIXELFORMAT_UNKNOWN))
        errorLog.Fatal("Unable to find suitable pixel format");
    context = SDL_GL_CreateContext(handle);
    if (context == nullptr)
        errorLog.Fatal("Can't create a gl rendering context");
    if (SDL_GL_MakeCurrent(handle, context) != 0)
        errorLog.Fatal("Can't activate GLRC");
    releaseMarker = 0;
}

void GLWindow::Resize(int32_t width_, int32_t height_) {
    width = width_;
    height = height_ == 0 ? 1 : height_;
    glViewport(0, 0, width, height);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluPerspective(45.0, double(width) / double(height), 0.1, 100.0);
    glMatrixMode(GL_MODELVIEW);
}

void GLWindow::Destroy() {
    if (releaseMarker == -1)
        return;
    releaseMarker = -1;
    if (fullscreen && window != nullptr)
        SDL_SetWindowFullscreen(window, 0);
    SDL_GL_MakeCurrent(deviceContext, nullptr);
    SDL_GL_DeleteContext(context);
    context = nullptr;
}

void GLWindow::Frame() {
    frameCallback();
    SDL_GL_SwapWindow(deviceContext);
}

void GLWindow::SwapBuffers() {
    SDL_GL_SwapWindow(deviceContext);
}
