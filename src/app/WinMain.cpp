#include "app/WinMain.h"

#include "app/CommandLine.h"
#include "app/DataFolder.h"
#include "app/Frame.h"
#include "app/GameSounds.h"
#include "app/OptionsDialog.h"
#include "app/SavedChoices.h"
#include "app/TextureTable.h"
#include "app/WindowProc.h"
#include "image/TextureManager.h"
#include "platform/DisplayConnection.h"
#include "platform/ErrorLog.h"
#include "platform/FramePacer.h"
#include "platform/GLWindow.h"
#include "platform/GameControllers.h"
#include "platform/InputDevices.h"
#include "platform/MessageBox.h"
#include "state/AppState.h"
#include "terrain/Landscape.h"

#include <cstdio>
#include <string>

int32_t WinMain(void* instance, void* /*previousInstance*/, char** commandLine,
                int /*showCommand*/) {
    // Help, the version and a bad command line end here, before any file or window.
    CommandLine options;
    options.Parse(commandLine);
    if (options.action != CommandLine::Action::Run)
        return options.Answer(stdout, stderr);

    DataFolder data;
    const DataFolder::Surroundings surroundings = DataFolder::Current();
    data.Find(surroundings);
    if (!options.heightMap.empty() && !data.UseHeightMap(options.heightMap, surroundings)) {
        std::fprintf(stderr, "zezivoze: %s\n", data.warning.c_str());
        return 1;
    }
    data.Enter();
    landscape.cacheFile = data.cacheFile;
    landscape.heightMapFile = data.heightMapFile;

    errorLog.Open(data.logFile.c_str());
    errorLog.Write("Zezivoze error log\n");

    // Nothing can be seen without a display, a fatal box neither: say why at once.
    if (std::string reason; !OpenDisplay(reason)) {
        SetMessageBoxSink(PrintMessageBox);
        errorLog.Fatal("Unable to open a display: %s", reason.c_str());
    }

    // Fills the three settings of appState; Cancel does not come back. The dialog
    // opens on the choices of its last OK, under those of the command line.
    SavedChoices saved(SavedChoices::DefaultFile());
    OptionsPreset preset = saved.Under(options.preset);
    if (!saved.problem.empty())
        std::fprintf(stderr, "zezivoze: %s\n", saved.problem.c_str());
    if (options.noDialog) {
        AcceptDialogUnshown(optionsDialogTemplate, OptionsDialogProc,
                            reinterpret_cast<intptr_t>(&preset));
    } else {
        DialogBoxParam(instance, "Options", OptionsDialogProc, reinterpret_cast<intptr_t>(&preset));
        // OK always stores a colour depth; a close leaves it at 0, and nothing is kept.
        if (appState.bitsPerPixel != 0 &&
            !saved.Save(appState.bitsPerPixel, appState.fullscreen != 0,
                        appState.largeTerrainTexture != 0))
            std::fprintf(stderr, "zezivoze: %s\n", saved.problem.c_str());
    }

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
    gameControllers.Open();         // none, or no support for them: the game plays as without

    LoadTextureTable(textureManager);
    gameSounds.muted = options.mute;
    gameSounds.Start(); // after the textures, so that their log lines keep their place
    InitScene();
    RunMessageLoop();
    gameSounds.Stop();
    gameControllers.Close();
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
