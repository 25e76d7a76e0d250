#include "e2e/ProgramRun.h"
#include "image/BmpWriter.h"

#include <cmath>

// Height maps a player brings, played with the real program: the tank stays on the ground
// wherever it is driven and stops at the map's edge; a damaged map ends the game clearly.

namespace {
// Rolling hills, water in the valleys.
std::vector<uint8_t> Hills(int width, int height) {
    std::vector<uint8_t> heights;
    for (int r = 0; r < height; ++r)
        for (int c = 0; c < width; ++c)
            heights.push_back(
                uint8_t(std::clamp(140 + 60 * std::sin(c * 0.05) * std::cos(r * 0.04) +
                                       30 * std::sin(c * 0.13 + r * 0.07),
                                   0.0, 255.0)));
    return heights;
}

// The share of pixels beside the tank at the bottom of the picture that are not black: the
// ground around the tank's rear, on the map even when the tank faces out over the edge. A tank
// fallen through the ground sees only black there.
// At the edge, one side may look out over it: the better side counts.
double GroundShare(const std::vector<uint8_t>& picture) {
    if (picture.size() != 640 * 480 * 3)
        return -1;
    int lit[2] = {0, 0};
    for (int y = 430; y < 480; ++y)
        for (int x = 0; x < 150; ++x)
            for (int side = 0; side < 2; ++side) { // left of the tank, right of it
                const uint8_t* p = &picture[(size_t(y) * 640 + (side ? 639 - x : x)) * 3];
                lit[side] += p[0] + p[1] + p[2] > 30;
            }
    return std::max(lit[0], lit[1]) / (50 * 150.0);
}

// The share of pixels of the picture's lower half that differ between two pictures.
double Moved(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b) {
    if (a.size() != b.size() || a.size() != 640 * 480 * 3)
        return 1;
    int changed = 0;
    for (size_t i = a.size() / 2; i < a.size(); i += 3)
        changed +=
            std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) >
            30;
    return changed / (640 * 240.0);
}

class World : public testing::Test {
  protected:
    void SetUp() override { setenv("XDG_CACHE_HOME", (run.dir() / "cache").c_str(), 1); }
    void TearDown() override { unsetenv("XDG_CACHE_HOME"); }

    // Plays the map (the small data set's own when empty) and returns the game's window.
    unsigned long Start(const std::string& map) {
        std::vector<std::string> arguments = {"--mute", "--texture-size=256"};
        if (!map.empty())
            arguments.insert(arguments.end(), {"--height-map", map});
        return run.StartWithoutDialog(arguments);
    }

    std::string WriteMap(int width, int height) {
        const std::string path = (run.dir() / "my map.bmp").string();
        WriteBinaryFile(path, EncodeHeightMapBmp(width, height, Hills(width, height)));
        return path;
    }

    // Holds a key for the seconds (in one xdotool call: no frame lost between press and release).
    void Hold(unsigned long window, const char* key, double seconds) {
        ASSERT_TRUE(run.Focus(window)) << run.Describe();
        ASSERT_TRUE(Xdo(std::string("keydown ") + key + " sleep " + std::to_string(seconds) +
                        " keyup " + key))
            << key;
    }

    // Four times ahead and a quarter turn left, in 15 s: on the ground at every corner.
    void DriveSquare(unsigned long window, const std::string& what) {
        ASSERT_NE(window, 0u) << run.Describe();
        Pause(1); // the tank lands
        for (int corner = 0; corner < 4; ++corner) {
            Hold(window, "Up", 2.5);
            Hold(window, "Left", 1.25);
            EXPECT_GT(GroundShare(run.Picture(window)), 0.5) << what << " corner " << corner;
        }
    }

    ProgramRun run;
};
} // namespace

TEST_F(World, LargeMapsHoldTheTankOnTheGround) {
    DriveSquare(Start(WriteMap(1024, 1024)), "1024 x 1024");
    ASSERT_TRUE(run.Key(run.FindWindow(ProgramRun::kMainTitle), "Escape"));
    ExpectCleanEnd(run);
    // Its own cache, outside the data folder.
    EXPECT_TRUE(std::filesystem::exists(run.dir() / "cache/zezivoze/maps")) << run.Log();
}

TEST_F(World, ARectangularMapHoldsTheTankOnTheGround) {
    DriveSquare(Start(WriteMap(512, 256)), "512 x 256");
}

TEST_F(World, TheDefaultWorldHoldsTheTank) {
    DriveSquare(Start(ZEZIVOZE_BINARY_DIR "/data/textures/landscp.bmp"), "512 x 512");
}

TEST_F(World, TheSmallMapsEdgeHoldsTheTank) {
    DriveSquare(Start(""), "32 x 32");
}

// Backwards from the start, the edge is near: after 19 s the tank stands still there, on the
// ground, the key still held.
TEST_F(World, ATankDrivenIntoTheEdgeStandsThere) {
    const unsigned long window = Start(WriteMap(64, 64));
    ASSERT_NE(window, 0u) << run.Describe();
    ASSERT_TRUE(run.Focus(window) && Xdo("keydown Down sleep 18"));
    const std::vector<uint8_t> before = run.Picture(window);
    Pause(1);
    const std::vector<uint8_t> after = run.Picture(window);
    ASSERT_TRUE(Xdo("keyup Down"));
    EXPECT_GT(GroundShare(after), 0.5);
    EXPECT_LT(Moved(before, after), 0.01); // the tank stands
}

// A header that promises more than the file holds, or a map too large: the game says which
// file and what size, and ends with exit code 1.
TEST_F(World, ADamagedOrHugeMapEndsTheGameClearly) {
    std::vector<uint8_t> map = EncodeHeightMapBmp(4, 4, std::vector<uint8_t>(16, 100));
    const std::string path = (run.dir() / "bad.bmp").string();
    for (auto [width, text] : {std::pair{9000, "' is 9000 x 4 pixels; a height map may be at most "
                                               "8192 x 8192\n"},
                               {400, "' is cut short: its 400 x 4 pixels do not fit the file\n"}}) {
        for (int i = 0; i < 4; ++i) // the width field at offset 18
            map[18 + i] = uint8_t(width >> (8 * i));
        WriteBinaryFile(path, map);
        Start(path);
        ASSERT_TRUE(run.Key(run.WaitForWindow("FATAL ERROR"), "Return")) << run.Describe();
        EXPECT_EQ(run.ExitCode(), 1) << run.Describe();
        EXPECT_TRUE(run.Log().ends_with("FATAL ERROR: BMP FILE ERROR: '" + path + text))
            << run.Log();
    }
    // One that cannot be read: said at once, before any window.
    run.Launch(ZEZIVOZE_PROGRAM, {"--height-map", "nowhere.bmp"}, run.dir());
    EXPECT_EQ(run.ExitCode(), 1);
}
