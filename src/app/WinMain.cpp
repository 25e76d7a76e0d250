#include "app/WinMain.h"

#include "app/Frame.h"
#include "app/GameSounds.h"
#include "app/OptionsDialog.h"
#include "app/TextureTable.h"
#include "app/WindowProc.h"
#include "image/TextureManager.h"
#include "platform/ErrorLog.h"
#include "platform/FramePacer.h"
#include "platform/GLWindow.h"
#include "platform/InputDevices.h"
#include "state/AppState.h"

int32_t WinMain(void* instance, void* /*previousInstance*/, char* /*commandLine*/,
                int /*showCommand*/) {
    errorLog.Open("error.out");
    errorLog.Write("Zezivoze error log\n");

    // Fills the three settings of appState; Cancel does not come back.
    DialogBox(instance, "Options", OptionsDialogProc);

    glWindow.SetFullscreen(appState.fullscreen);
    glWindow.SetWindowProc(WindowProc);
    appState.fineTerrain = 1;
    glWindow.Create(640, 480, instance, "Zezivoze", appState.bitsPerPixel, nullptr);
    glWindow.frameCallback = RenderFrame;

    inputDevices = new InputDevices;
    inputDevices->Open(instance);
    inputDevices->CreateKeyboard(glWindow.window);
    inputDevices->CreateMouse(glWindow.window);
    glWindow.ShowCursorStep(false); // one more hide step, besides SetFullscreen's

    LoadTextureTable(textureManager);
    gameSounds.Start(); // after the textures, so that their log lines keep their place
    InitScene();
    RunMessageLoop();
    gameSounds.Stop();
    return 0;
}

void RunMessageLoop() {
    try {
        FramePacer pacer;
        for (;;) {
            TakenMessage taken;
            if (PeekWindowMessage(taken)) {
                if (taken.message == WM_QUIT)
                    break;
                if (taken.message != 0 && glWindow.windowProc != nullptr)
                    glWindow.windowProc(taken.window != nullptr ? taken.window : glWindow.window,
                                        taken.message, taken.wordParam, taken.longParam);
            }
            // The close handling deletes the input object: no frame after it.
            if (inputDevices != nullptr) {
                glWindow.Frame();
                pacer.Wait();
            }
        }
    } catch (...) {
        errorLog.Fatal("Exception Occurred\n");
    }
}
