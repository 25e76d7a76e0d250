#include "app/WindowProc.h"

#include "platform/ErrorLog.h"
#include "platform/GLWindow.h"
#include "platform/InputDevices.h"

intptr_t WindowProc(WindowHandle window, uint32_t message, uintptr_t /*wordParam*/,
                    intptr_t longParam) {
    switch (message) {
    case WM_CREATE:
        glWindow.CreateContext(window);
        return 0;
    case WM_SIZE:
        glWindow.Resize(static_cast<int32_t>(longParam & 0xFFFF),
                        static_cast<int32_t>((longParam >> 16) & 0xFFFF));
        return 0;
    case WM_CLOSE:
    case WM_DESTROY:
        glWindow.Destroy();
        errorLog.Close();
        if (inputDevices != nullptr) {
            inputDevices->Release();
            delete inputDevices;
        }
        inputDevices = nullptr;
        PostWindowMessage(window, WM_QUIT);
        return 0;
    default:
        return 0; // the default handling of everything else does nothing here
    }
}
