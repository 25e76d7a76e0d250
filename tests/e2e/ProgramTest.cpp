#include "e2e/ProgramRun.h"

// The real program, dialog to end, played as a person would (sub-frame taps, keys held seconds,
// mouse bursts, clicks, screen pictures), on bare X and under a WM (scripts/with-openbox).

namespace {
const std::string kLogStart = "Log file 'error.out' opened.\nZezivoze error log\n";

// The game's window is there, the dialog gone. A window manager frames a window with a title
// bar and lets a full-screen one cover the screen; bare Xvfb leaves either at 0, 0, 640 x 480.
void ExpectMainWindow(ProgramRun& run, unsigned long main, bool fullscreen) {
    ASSERT_NE(main, 0u) << run.Describe();
    EXPECT_EQ(run.FindWindow(ProgramRun::kDialogTitle), 0u);
    const bool managed = run.Managed();
    auto [x0, y0, width, height] =
        fullscreen && managed ? run.Geometry(0) : std::array<int, 4>{0, 0, 640, 480};
    const bool placed = PollFor(10, [&] {
        auto [x, y, w, h] = run.Geometry(main);
        return w == width && h == height && (managed || (x == 0 && y == 0));
    });
    EXPECT_TRUE(placed) << run.Geometry(main)[2] << " x " << run.Geometry(main)[3];
    EXPECT_EQ(run.FrameExtents(main)[2] > 0, managed && !fullscreen); // the title bar
}

// Holds the key for the seconds and then, on a slow machine, on until `until` says yes.
void Hold(ProgramRun& run, unsigned long window, const std::string& key, double seconds,
          const std::function<bool()>& until) {
    ASSERT_TRUE(run.Focus(window) && Xdo("keydown " + key + " sleep " + std::to_string(seconds)));
    PollFor(10, until);
    ASSERT_TRUE(Xdo("keyup " + key));
}

int FirePixels(const std::vector<uint8_t>& picture) { // strong red, middling green, little blue
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

bool FocusElsewhere(ProgramRun& run) { // another window in front: the game lets the mouse go
    return run.Focus(run.OtherWindow()) && PollFor(10, [&] { return !run.PointerTaken(); });
}

size_t Rebuilds(ProgramRun& run) { // each landscape load after the first
    return std::max<size_t>(Count(run.Log(), "BMP File 'textures/landscp.bmp' opened"), 1) - 1;
}
} // namespace

// Dialog at (160, 140) (WM: frame corner), OK focused: Escape, and Tab then Enter, cancel before
// any window; arrows in a pair change what OK stores; Alt+F4 and title-bar close shut it unread
// (windowed, 16 x 256 tiles); display options preset what OK stores. Escape, Alt+F4 end the game.
TEST(Dialog, KeysAndCloses) {
    const struct {
        std::vector<std::string> arguments;
        const char* keys; // none: the title bar's close button
        size_t tiles;     // 0: cancelled
    } cases[] = {{{}, "Escape", 0},
                 {{}, "Tab Return", 0},
                 {{}, "shift+Tab shift+Tab Right Return", 1}, // the full-screen pair: "No"; OK
                 {{}, "alt+F4", 16},
                 {{}, "", 16},
                 {{"--bpp", "16", "--windowed", "--texture-size=256"}, "Return", 16}};
    for (const auto& test : cases) {
        ProgramRun run;
        unsigned long dialog = run.StartToDialog(test.arguments);
        ASSERT_NE(dialog, 0u) << run.Describe();
        auto [x, y, width, height] = run.Geometry(dialog);
        auto [left, right, top, bottom] = run.FrameExtents(dialog);
        EXPECT_EQ(std::tuple(x - left, y - top), std::tuple(160, 140));
        EXPECT_EQ(top > 0, run.Managed()) << top; // its title bar
        ASSERT_TRUE(*test.keys ? run.Key(dialog, test.keys) : run.CloseFromTitleBar(dialog));
        if (test.tiles == 0) {
            EXPECT_EQ(run.ExitCode(), 0) << run.Describe();
            EXPECT_EQ(run.Log(),
                      kLogStart + "Log file closed\n"); // no mode line: no window was made
            continue;
        }
        unsigned long main = run.WaitForWindow(ProgramRun::kMainTitle);
        ExpectMainWindow(run, main, false);
        ASSERT_TRUE(run.Key(main, test.tiles == 1 ? "Escape" : "alt+F4"));
        ExpectCleanEnd(run);
        EXPECT_TRUE(run.Log().starts_with(kLogStart + "Using windowed mode.\n")) << test.keys;
        EXPECT_EQ(Count(run.Log(), "Texture '"), 33 + test.tiles) << test.keys;
    }
}

// Full screen, mouse taken; 5,000 motions in a burst (one event a frame would keep a close waiting
// for minutes); each quick R tap rebuilds the scene once, same slot; H held over a second switches
// detail and rebuilds once; an Escape tap ends the game, the log holding start-up in order.
TEST(Play, FullScreenBurstsAndTaps) {
    ProgramRun run;
    unsigned long main = run.StartGame(true);
    ExpectMainWindow(run, main, true);
    ASSERT_TRUE(run.Focus(main));
    ASSERT_TRUE(PollFor(10, [&] { return run.PointerTaken(); }));
    std::string burst;
    for (int i = 0; i < 5000; ++i)
        burst += i % 2 == 0 ? "mousemove_relative 3 2\n" : "mousemove_relative -- -3 -2\n";
    std::ofstream((run.dir() / "burst.xdo").string()) << burst; // one xdotool for them all
    ASSERT_TRUE(Xdo((run.dir() / "burst.xdo").string()));
    for (size_t tap = 1; tap <= 12; ++tap) {
        ASSERT_TRUE(Xdo("key --delay 0 r")); // down and up at once
        ASSERT_TRUE(PollFor(10, [&] { return Rebuilds(run) >= tap; })) << "tap " << tap;
    }
    Hold(run, main, "h", 1.2, [] { return true; });
    ASSERT_TRUE(run.Key(main, "Escape"));
    ExpectCleanEnd(run);

    std::string expected = kLogStart + "Using fullscreen mode.\n";
    for (const char* name :
         {"landscpt", "landscpt2", "landscpt3", "star", "info", "water", "trail"})
        expected += std::string("Texture 'textures/") + name + ".bmp' loaded\n";
    const std::string log = run.Log();
    ASSERT_TRUE(log.starts_with(expected)) << log;
    EXPECT_EQ(Rebuilds(run), 12u + 1u) << log.substr(0, 2000);
    EXPECT_EQ(Count(log, "Texture '"), 33u + 1u + 13u) << log; // the table, then one tile a load
}

// Windowed: a window in front takes the mouse, the game runs on; back in front, it has it again.
// With the turret turned, right clicks switch the camera to the turret's direction and back. Arrows
// steer and drive, a left click fires a shot bursting on ground, the title-bar close ends it.
TEST(Play, WindowedMouseArrowsAndClicks) {
    ProgramRun run;
    unsigned long main = run.StartGame(false);
    ExpectMainWindow(run, main, false);
    EXPECT_NE(run.Log().find("Using windowed mode.\n"), std::string::npos) << run.Log();
    ASSERT_TRUE(FocusElsewhere(run) && run.Focus(main) && run.Running());
    EXPECT_TRUE(PollFor(10, [&] { return run.PointerTaken(); }));

    // Waits until the picture differs from `from` by a share in [low, high]; the last share.
    std::vector<uint8_t> still = run.Picture(main);
    auto changeTo = [&](const std::vector<uint8_t>& from, double low, double high) {
        double change = -1;
        PollFor(10, [&] {
            return (change = Changed(from, run.Picture(main))) >= low && change <= high;
        });
        return change;
    };
    // The tank settles on the ground; then, nothing held, the view stays.
    ASSERT_TRUE(Xdo("mousemove_relative -- 90 0"));
    double idle = 1;
    PollFor(10, [&] {
        Pause(0.3);
        std::vector<uint8_t> next = run.Picture(main);
        idle = Changed(still, next);
        still = next;
        return idle >= 0 && idle < 0.05;
    });
    ASSERT_GE(idle, 0);
    ASSERT_LT(idle, 0.05);
    for (int round = 1; round <= 3; ++round) {
        ASSERT_TRUE(Xdo("click 3"));
        EXPECT_GE(changeTo(still, idle + 0.3, 1), idle + 0.3) << round << ": no turn to the turret";
        ASSERT_TRUE(Xdo("click 3"));
        EXPECT_LE(changeTo(still, 0, idle + 0.1), idle + 0.1) << round << ": not back";
    }
    ASSERT_TRUE(Xdo("mousemove_relative -- -90 0"));

    Pause(0.3);
    const std::vector<uint8_t> before = run.Picture(main);
    // Steering turns the chase camera, into the map: the tanks start at its corner.
    Hold(run, main, "Right", 0.6, [&] { return Changed(before, run.Picture(main)) > idle + 0.2; });
    const std::vector<uint8_t> turned = run.Picture(main);
    EXPECT_GT(Changed(before, turned), idle + 0.2);
    Hold(run, main, "Up", 1.5, [&] { return Changed(turned, run.Picture(main)) > idle + 0.05; });
    EXPECT_GT(changeTo(turned, idle + 0.05, 1), idle + 0.05);

    ASSERT_TRUE(Xdo("mousemove_relative -- 0 30")); // the gun down towards the ground
    Pause(0.3);
    EXPECT_LT(FirePixels(run.Picture(main)), 200);
    ASSERT_TRUE(Xdo("click 1"));
    EXPECT_TRUE(PollFor(10, [&] { return FirePixels(run.Picture(main)) > 2000; }));

    ASSERT_TRUE(FocusElsewhere(run)); // the pointer free to reach the title bar
    ASSERT_TRUE(run.CloseFromTitleBar(main));
    ExpectCleanEnd(run);
}

// Its box answered, or a termination request while it is up (a logout, Ctrl+C): exit code 1.
TEST(Play, MissingTextureIsFatal) {
    for (int signal : {0, SIGTERM, SIGINT}) {
        ProgramRun run;
        std::filesystem::remove(run.dir() / "textures/water.bmp");
        run.StartGame(false); // the window may come and go before the box
        const unsigned long box = run.WaitForWindow("FATAL ERROR");
        ASSERT_TRUE(signal != 0 ? box != 0 && kill(run.Id(), signal) == 0 : run.Key(box, "Return"))
            << run.Describe();
        EXPECT_EQ(run.ExitCode(), 1) << run.Describe();
        EXPECT_TRUE(PollFor(10, [&] { return run.FindWindow("FATAL ERROR") == 0; })) << signal;
        EXPECT_TRUE(run.Log().ends_with("Texture 'textures/info.bmp' loaded\n"
                                        "Unable to open file (textures/water.bmp)"
                                        "FATAL ERROR: Unable to load texture 'textures/water.bmp'"))
            << run.Log();
    }
}
