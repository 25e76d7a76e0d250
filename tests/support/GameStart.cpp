#include "support/GameStart.h"

#include "app/Frame.h"
#include "app/TextureTable.h"
#include "app/WindowProc.h"
#include "image/TextureManager.h"
#include "platform/ErrorLog.h"
#include "platform/GLWindow.h"
#include "platform/InputDevices.h"
#include "state/AppState.h"

void StartGameWithoutDialog() {
    errorLog.Open("error.out");
    errorLog.Write("Zezivoze error log\n");
    glWindow.SetFullscreen(0);
    glWindow.SetWindowProc(WindowProc);
    appState.fineTerrain = 1;
    appState.largeTerrainTexture = 1;
    glWindow.Create(640, 480, nullptr, "Zezivoze", 32, nullptr);
    glWindow.frameCallback = RenderFrame;
    inputDevices = new InputDevices;
    LoadTextureTable(textureManager);
    InitScene();
}
