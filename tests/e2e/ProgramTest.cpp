#include "e2e/ProgramRun.h"

// The real program from its options dialog to its end under the X server the
// tests run on, played as a person plays it: keys held (the game polls the
// keyboard once a frame, so a tap shorter than a frame may pass unseen), the
// mouse, the picture on the screen.

namespace {
const std::string kLogStart = "Log file 'error.out' opened.\nZezivoze error log\n";
const std::string kLogEnd = "Log file closed\n";

void ExpectCleanEnd(ProgramRun& run) {
    EXPECT_EQ(run.ExitCode(), 0) << run.Describe();
    const std::string log = run.Log();
    EXPECT_TRUE(log.ends_with(kLogEnd)) << log;
    EXPECT_EQ(log.find("FATAL"), std::string::npos) << log;
}

// The game's window is there, the dialog gone, 640 x 480 at the screen's top-left.
void ExpectMainWindow(ProgramRun& run, unsigned long main) {
    ASSERT_NE(main, 0u) << run.Describe();
    EXPECT_EQ(run.FindWindow(ProgramRun::kDialogTitle), 0u);
    EXPECT_EQ(run.Geometry(main), (std::array<int, 4>{0, 0, 640, 480}));
}

void Hold(ProgramRun& run, unsigned long window, const std::string& key, double seconds) {
    ASSERT_TRUE(run.Focus(window) &&
                run.Xdo("keydown " + key + " sleep " + std::to_string(seconds) + " keyup " + key));
}

// The share of pixels that differ clearly between two pictures.
double Changed(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != 640 * 480 * 3 || b.size() != a.size())
        return -1;
    int changed = 0;
    for (size_t i = 0; i < a.size(); i += 3)
        changed +=
            std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) >
            60;
    return changed / (640 * 480.0);
}

// Fire: strong red, middling green, little blue.
int FirePixels(const std::vector<uint8_t>& picture) {
    int count = 0;
    for (size_t i = 0; i + 2 < picture.size(); i += 3)
        count +=
            picture[i] > 220 && picture[i + 1] > 60 && picture[i + 1] < 210 && picture[i + 2] < 110;
    return count;
}

size_t Count(const std::string& text, const std::string& what) {
    size_t count = 0;
    for (size_t at = text.find(what); at != std::string::npos; at = text.find(what, at + 1))
        ++count;
    return count;
}
} // namespace

TEST(StartAndClose, CancelInTheDialogEndsWithExitCodeZeroBeforeAnyWindow) {
    ProgramRun run;
    unsigned long dialog = run.StartToDialog();
    ASSERT_NE(dialog, 0u) << run.Describe();
    auto [x, y, width, height] = run.Geometry(dialog);
    EXPECT_TRUE(x == 160 && y == 140) << x << ", " << y;
    ASSERT_TRUE(run.Key(dialog, "Escape"));
    EXPECT_EQ(run.ExitCode(), 0) << run.Describe();
    EXPECT_EQ(run.Log(), kLogStart + kLogEnd); // no mode line: no window was made
}

// Escape and the window's close button end the game alike, the log holding
// the start-up in its order.
TEST(Play, EnterStartsTheGameFullScreenAndEscapeOrTheCloseButtonEndIt) {
    for (bool escape : {true, false}) {
        ProgramRun run;
        unsigned long main = run.StartGame(true);
        ExpectMainWindow(run, main);
        Pause(1.0);
        if (escape)
            Hold(run, main, "Escape", 0.3);
        else
            ASSERT_TRUE(run.RequestClose(main));
        ExpectCleanEnd(run);

        std::string expected = kLogStart + "Using fullscreen mode.\n";
        for (const char* name :
             {"landscpt", "landscpt2", "landscpt3", "star", "info", "water", "trail"})
            expected += std::string("Texture 'textures/") + name + ".bmp' loaded\n";
        const std::string log = run.Log();
        ASSERT_TRUE(log.starts_with(expected)) << log;
        EXPECT_EQ(Count(log, "Texture '"), 33u + 1u) << log; // the table, then one terrain tile
    }
}

TEST(Play, ArrowKeysMoveTheViewAndALeftClickFiresAShotThatBurstsOnTheGround) {
    ProgramRun run;
    unsigned long main = run.StartGame(false);
    ExpectMainWindow(run, main);
    EXPECT_NE(run.Log().find("Using windowed mode.\n"), std::string::npos) << run.Log();
    ASSERT_TRUE(run.Focus(main));
    Pause(1.5); // the tank settles on the ground
    std::vector<uint8_t> before = run.Picture();
    Pause(0.5);
    std::vector<uint8_t> still = run.Picture();
    Hold(run, main, "Right", 0.6); // into the map: the tanks start at its corner
    std::vector<uint8_t> turned = run.Picture();
    Hold(run, main, "Up", 1.5);
    Pause(0.3);
    const double idle = Changed(before, still);
    EXPECT_TRUE(idle >= 0 && idle < 0.05) << idle; // nothing held: the view stays
    EXPECT_GT(Changed(still, turned), idle + 0.2); // steering turns the chase camera
    EXPECT_GT(Changed(turned, run.Picture()), idle + 0.05);

    ASSERT_TRUE(run.Xdo("mousemove_relative -- 0 30")); // the gun down towards the ground
    Pause(0.3);
    EXPECT_LT(FirePixels(run.Picture()), 200);
    ASSERT_TRUE(run.Xdo("mousedown 1 sleep 0.1 mouseup 1"));
    int fire = 0;
    for (int i = 0; i < 10 && fire < 2000; ++i, Pause(0.05))
        fire = std::max(fire, FirePixels(run.Picture()));
    EXPECT_GT(fire, 2000);
    Hold(run, main, "Escape", 0.3);
    ExpectCleanEnd(run);
}

// Closed from its title bar, the dialog leaves the start values: a window and
// the 256 texture size, 16 tiles a load (without reusing their slots the
// thirteenth rebuild would fill the texture table).
TEST(Play, TheDialogClosedFromItsTitleBarStartsWindowedAndRAndHHeldRebuildOften) {
    ProgramRun run;
    unsigned long dialog = run.StartToDialog();
    ASSERT_NE(dialog, 0u) << run.Describe();
    ASSERT_TRUE(run.RequestClose(dialog));
    unsigned long main = run.WaitForWindow(ProgramRun::kMainTitle);
    ExpectMainWindow(run, main);
    Pause(1.0);
    Hold(run, main, "r", 3.0);
    Hold(run, main, "h", 1.0);
    ASSERT_TRUE(run.RequestClose(main));
    ExpectCleanEnd(run);
    const std::string log = run.Log();
    EXPECT_TRUE(log.starts_with(kLogStart + "Using windowed mode.\n")) << log;
    const size_t loads = Count(log, "BMP File 'textures/landscp.bmp' opened");
    EXPECT_GT(loads, 20u) << log.substr(0, 2000);
    EXPECT_EQ(Count(log, "Texture '15' loaded"), loads);
}

TEST(Play, AMissingTextureEndsWithAFatalErrorAndExitCodeOne) {
    ProgramRun run;
    std::filesystem::remove(run.dir() / "textures/water.bmp");
    run.StartGame(false); // the window may come and go before the box
    ASSERT_TRUE(run.Key(run.WaitForWindow("FATAL ERROR"), "Return")) << run.Describe();
    EXPECT_EQ(run.ExitCode(), 1) << run.Describe();
    EXPECT_TRUE(run.Log().ends_with("Texture 'textures/info.bmp' loaded\n"
                                    "Unable to open file (textures/water.bmp)"
                                    "FATAL ERROR: Unable to load texture 'textures/water.bmp'"))
        << run.Log();
}
