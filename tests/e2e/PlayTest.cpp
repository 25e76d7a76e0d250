#include "e2e/ProgramRun.h"

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <gtest/gtest.h>
#include <iterator>
#include <string>
#include <thread>
#include <vector>

// Playing the real program in a window: keys held as a person holds them (the
// game polls the keyboard once a frame, so a tap shorter than a frame may pass
// unseen), the mouse, the picture on the screen.

namespace {
const std::string kLogEnd = "Log file closed\n";

void Pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// The game's 640 x 480 picture (the window sits at the screen's top-left), RGB.
std::vector<uint8_t> Picture(ProgramRun& run) {
    const std::string file = (run.dir() / "grab.rgb").string();
    const std::string command =
        "import -window root -crop 640x480+0+0 -depth 8 rgb:" + file + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return {};
    std::ifstream in(file, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in), {});
}

// The share of pixels that differ clearly between two pictures, the panel left out.
double Changed(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != 640 * 480 * 3 || b.size() != a.size())
        return -1;
    int changed = 0, counted = 0;
    for (int y = 0; y < 480; ++y)
        for (int x = 0; x < 640; ++x) {
            if (x < 130 && y < 130)
                continue;
            const size_t i = (size_t(y) * 640 + x) * 3;
            int difference = std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) +
                             std::abs(a[i + 2] - b[i + 2]);
            changed += difference > 60;
            ++counted;
        }
    return double(changed) / counted;
}

// Fire: strong red, middling green, little blue.
int FirePixels(const std::vector<uint8_t>& picture) {
    int count = 0;
    for (size_t i = 0; i + 2 < picture.size(); i += 3)
        count +=
            picture[i] > 220 && picture[i + 1] > 60 && picture[i + 1] < 210 && picture[i + 2] < 110;
    return count;
}

void Hold(ProgramRun& run, unsigned long window, const std::string& key, double seconds) {
    ASSERT_TRUE(run.Focus(window));
    ASSERT_TRUE(run.Xdo("keydown " + key));
    Pause(seconds);
    ASSERT_TRUE(run.Xdo("keyup " + key));
}

void QuitWithEscape(ProgramRun& run, unsigned long window) {
    Hold(run, window, "Escape", 0.3);
    int exitCode = -1;
    ASSERT_TRUE(run.WaitForExit(exitCode)) << run.Describe();
    EXPECT_EQ(exitCode, 0) << run.Describe();
    const std::string log = run.Log();
    EXPECT_EQ(log.compare(log.size() - kLogEnd.size(), kLogEnd.size(), kLogEnd), 0) << log;
    EXPECT_EQ(log.find("FATAL"), std::string::npos) << log;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}
} // namespace

TEST(Play, EnterStartsTheGameAndEscapeEndsItWithTheLogInStartUpOrder) {
    ProgramRun run;
    unsigned long main = run.StartGame(true);
    ASSERT_NE(main, 0u) << run.Describe();
    Pause(1.0);
    QuitWithEscape(run, main);

    std::string expected =
        "Log file 'error.out' opened.\nZezivoze error log\nUsing fullscreen mode.\n";
    for (const char* name :
         {"landscpt", "landscpt2", "landscpt3", "star", "info", "water", "trail"})
        expected += std::string("Texture 'textures/") + name + ".bmp' loaded\n";
    const std::string log = run.Log();
    ASSERT_EQ(log.compare(0, expected.size(), expected), 0) << log;
    EXPECT_NE(log.find("Texture 'textures/cobra/trukrearbumper.bmp' loaded\n"
                       "BMP File 'textures/landscp.bmp' opened (32,32,24)\n"),
              std::string::npos)
        << log;
    EXPECT_EQ(Count(log, "Texture '"), 33u + 1u) << log; // the table, then one terrain tile
}

TEST(Play, ArrowKeysMoveTheView) {
    ProgramRun run;
    unsigned long main = run.StartGame(false);
    ASSERT_NE(main, 0u) << run.Describe();
    ASSERT_TRUE(run.Focus(main));
    Pause(1.5); // the tank settles on the ground

    std::vector<uint8_t> before = Picture(run);
    Pause(0.5);
    std::vector<uint8_t> still = Picture(run);
    Hold(run, main, "Right", 0.6); // into the map: the tanks start at its corner
    std::vector<uint8_t> turned = Picture(run);
    Hold(run, main, "Up", 1.5);
    Pause(0.3);
    std::vector<uint8_t> driven = Picture(run);
    run.Screenshot("driven");

    const double idle = Changed(before, still);
    ASSERT_GE(idle, 0.0);
    EXPECT_LT(idle, 0.05);                         // nothing held: the view stays
    EXPECT_GT(Changed(still, turned), idle + 0.2); // steering turns the chase camera
    EXPECT_GT(Changed(turned, driven), idle + 0.05);
    QuitWithEscape(run, main);
}

TEST(Play, HoldingRAndHRebuildsManyTimesWithoutRunningOutOfTextures) {
    ProgramRun run;
    // The 256 texture size makes 16 tiles a load: without reusing their slots
    // the thirteenth rebuild would fill the texture table.
    unsigned long dialog = run.StartToDialog();
    ASSERT_NE(dialog, 0u) << run.Describe();
    ASSERT_TRUE(run.Click(dialog, 98 * 2 + 8, 48 * 2 + 7)); // "256"
    ASSERT_TRUE(run.Click(dialog, 98 * 2 + 8, 32 * 2 + 7)); // "No"
    ASSERT_TRUE(run.Key(dialog, "Return"));
    unsigned long main = run.WaitForWindow(ProgramRun::kMainTitle);
    ASSERT_NE(main, 0u) << run.Describe();
    Pause(1.0);
    Hold(run, main, "r", 3.0);
    Hold(run, main, "h", 1.0);
    ASSERT_TRUE(run.Running()) << run.Describe();
    QuitWithEscape(run, main);

    const std::string log = run.Log();
    const size_t loads = Count(log, "BMP File 'textures/landscp.bmp' opened");
    EXPECT_GT(loads, 20u) << log.substr(0, 2000);
    EXPECT_EQ(Count(log, "Texture '15' loaded"), loads);
}

TEST(Play, ALeftClickFiresAShotThatBurstsOnTheGround) {
    ProgramRun run;
    unsigned long main = run.StartGame(false);
    ASSERT_NE(main, 0u) << run.Describe();
    ASSERT_TRUE(run.Focus(main));
    Pause(1.0);
    ASSERT_TRUE(run.Xdo("mousemove_relative -- 0 30")); // the gun down towards the ground
    Pause(0.3);
    std::vector<uint8_t> before = Picture(run);
    ASSERT_TRUE(run.Xdo("mousedown 1"));
    Pause(0.1);
    ASSERT_TRUE(run.Xdo("mouseup 1"));
    int fire = 0;
    for (int i = 0; i < 10 && fire < 2000; ++i) {
        Pause(0.05);
        fire = std::max(fire, FirePixels(Picture(run)));
    }
    run.Screenshot("burst");
    EXPECT_LT(FirePixels(before), 200);
    EXPECT_GT(fire, 2000);
    QuitWithEscape(run, main);
}

TEST(Play, AMissingTextureEndsWithAFatalErrorAndExitCodeOne) {
    ProgramRun run;
    std::filesystem::remove(run.dir() / "textures/water.bmp");
    unsigned long main = run.StartGame(false);
    (void)main; // the window may come and go before the box
    ASSERT_TRUE(run.DismissMessageBox("FATAL ERROR")) << run.Describe();
    int exitCode = -1;
    ASSERT_TRUE(run.WaitForExit(exitCode)) << run.Describe();
    EXPECT_EQ(exitCode, 1) << run.Describe();
    const std::string log = run.Log();
    const std::string end = "Texture 'textures/info.bmp' loaded\n"
                            "Unable to open file (textures/water.bmp)"
                            "FATAL ERROR: Unable to load texture 'textures/water.bmp'";
    EXPECT_EQ(log.compare(log.size() - end.size(), end.size(), end), 0) << log;
}
