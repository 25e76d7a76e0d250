#include "app/WinMain.h"
#include "app/WindowProc.h"
#include "platform/ErrorLog.h"
#include "platform/GLWindow.h"
#include "platform/InputDevices.h"
#include "support/TestSupport.h"

#include <SDL.h>
#include <gtest/gtest.h>

// The real loop, window procedure and devices; the frame floods SDL's queue as a fast mouse or
// a burst of window events would, then posts a close as Escape does.
namespace {
struct Flood {
    bool input; // else size changes, each a message the loop hands on
    int count;  // at most; SDL may take fewer
    int frames = 0;
    bool frameAfterClose = false;
};
Flood flood;

void FloodThenClose() {
    // The close closes the log.
    flood.frameAfterClose = flood.frameAfterClose || errorLog.file == nullptr;
    if (++flood.frames == 1) {
        const Uint32 input[] = {SDL_MOUSEMOTION,     SDL_KEYDOWN,    SDL_KEYUP,
                                SDL_MOUSEBUTTONDOWN, SDL_MOUSEWHEEL, SDL_TEXTINPUT};
        SDL_Event event{};
        event.window.windowID = SDL_GetWindowID(glWindow.window);
        event.window.event = SDL_WINDOWEVENT_SIZE_CHANGED;
        for (int i = 0; i < flood.count; ++i) {
            event.type = flood.input ? input[i % 6] : Uint32(SDL_WINDOWEVENT);
            if (SDL_PeepEvents(&event, 1, SDL_ADDEVENT, 0, 0) != 1)
                break;
        }
        PostWindowMessage(glWindow.window, WM_CLOSE);
    } else if (flood.frames == 50) { // ends a loop that never takes the close
        WindowProc(glWindow.window, WM_CLOSE, 0, 0);
    }
}
} // namespace

TEST(MessageLoop, CloseWithinTwoFrames) {
    // 10,000 input events, a queue full of input, a queue full of messages.
    for (const Flood& tried : {Flood{true, 10000}, Flood{true, 1 << 30}, Flood{false, 1 << 30}}) {
        flood = tried;
        LogCapture log;
        glWindow.SetWindowProc(WindowProc);
        glWindow.Create(640, 480, nullptr, "Zezivoze", 32, nullptr);
        glWindow.frameCallback = FloodThenClose;
        inputDevices = new InputDevices;
        inputDevices->Open(nullptr);
        inputDevices->CreateKeyboard(glWindow.window);
        inputDevices->CreateMouse(glWindow.window);
        RunMessageLoop();
        EXPECT_LE(flood.frames, 2) << tried.input << " " << tried.count;
        EXPECT_EQ(std::tuple(flood.frameAfterClose, inputDevices), std::tuple(false, nullptr));
        EXPECT_TRUE(log.Finish().ends_with("Log file closed\n"));
        SDL_FlushEvents(SDL_FIRSTEVENT, SDL_LASTEVENT);
        SDL_DestroyWindow(glWindow.window);
        glWindow.window = nullptr;
    }
}
