#include "GameScene.h"
#include "support/GameStart.h"

#include "app/AppState.h"
#include "app/Frame.h"
#include "app/Globals.h"
#include "app/TextureTable.h"
#include "app/WindowProc.h"
#include "image/TextureManager.h"
#include "platform/ErrorLog.h"
#include "platform/GLWindow.h"
#include "platform/InputDevices.h"
#include "terrain/Landscape.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <filesystem>
#include <fstream>

namespace fs = std::filesystem;

void GameScene::SetUp() {
    fs::copy(fs::path(ZEZIVOZE_BINARY_DIR) / "data", dir.path(), fs::copy_options::recursive);
    PrepareData();
    StartGameWithoutDialog();
    ASSERT_TRUE(glWindow.IsLive());
}

void GameScene::TearDown() {
    landscape.Unload();
    firstTank.Release();
    secondTank.Release();
    if (inputDevices != nullptr)
        WindowProc(glWindow.window, WM_CLOSE, 0, 0);
}

// The picture is read from the back buffer, so the swap is left to the next frame.
void GameScene::Frame() {
    if (drawn)
        glWindow.SwapBuffers();
    RenderFrame();
    drawn = true;
}

void GameScene::HoldKey(int scanCode, bool down) {
    inputDevices->keyState[scanCode] = down ? 0x80 : 0;
}

std::vector<uint8_t> GameScene::Pixels() const {
    std::vector<uint8_t> pixels(640 * 480 * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(0, 0, 640, 480, GL_RGB, GL_UNSIGNED_BYTE, pixels.data());
    return pixels;
}

void GameScene::SavePicture(const std::string& name) const {
    std::vector<uint8_t> pixels = Pixels();
    fs::create_directories(fs::path(ZEZIVOZE_BINARY_DIR) / "test-pictures");
    std::ofstream out(fs::path(ZEZIVOZE_BINARY_DIR) / "test-pictures" / (name + ".ppm"),
                      std::ios::binary);
    out << "P6\n640 480\n255\n";
    for (int row = 479; row >= 0; --row)
        out.write(reinterpret_cast<const char*>(&pixels[size_t(row) * 640 * 3]), 640 * 3);
}

std::string GameScene::Log() const {
    return ReadFileText(dir.File("error.out"));
}
