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

// The share of pixels that are not black at the bottom of the picture beside the tank, on the
// side that shows more: the ground around the tank's rear, on the map even when the tank faces
// out over the edge. A tank fallen through the ground sees only black there.
double GroundShare(const std::vector<uint8_t>& picture) {
    if (picture.size() != 640 * 480 * 3)
        return -1;
    int lit[2] = {0, 0};
    for (int y = 430; y < 480; ++y)
        for (int x = 0; x < 150; ++x)
            for (int side = 0; side < 2; ++side) {
                const uint8_t* p = &picture[(size_t(y) * 640 + (side ? 639 - x : x)) * 3];
                lit[side] += p[0] + p[1] + p[2] > 30;
            }
    return std::max(lit[0], lit[1]) / (50 * 150.0);
}

class World : public testing::Test {
  protected:
    void SetUp() override { setenv("XDG_CACHE_HOME", (run.dir() / "cache").c_str(), 1); }
    void TearDown() override { unsetenv("XDG_CACHE_HOME"); }

    // Plays the map (the small data set's own when empty; else written when given a size).
    unsigned long Start(std::string map, int width = 0, int height = 0) {
        if (width > 0)
            WriteBinaryFile(map = (run.dir() / "my map.bmp").string(),
                            EncodeHeightMapBmp(width, height, Hills(width, height)));
        std::vector<std::string> arguments = {"--mute", "--texture-size=256"};
        if (!map.empty())
            arguments.insert(arguments.end(), {"--height-map", map});
        return run.StartWithoutDialog(arguments);
    }

    // Holds a key for the seconds (in one xdotool call: no frame lost between press and release).
    void Hold(unsigned long window, const std::string& key, double seconds) {
        ASSERT_TRUE(run.Focus(window)) << run.Describe();
        ASSERT_TRUE(Xdo("keydown " + key + " sleep " + std::to_string(seconds) + " keyup " + key));
    }

    ProgramRun run;
};
} // namespace

// Four times ahead and a quarter turn left, in 15 s, on a large, a rectangular, the default and
// the small map: on the ground at every corner. A map of one's own keeps its cache outside the
// data folder.
TEST_F(World, SquareDrivesStayOnTheGround) {
    for (auto [map, width, height] : {std::tuple<std::string, int, int>{"", 1024, 1024},
                                      {"", 512, 256},
                                      {ZEZIVOZE_BINARY_DIR "/data/textures/landscp.bmp", 0, 0},
                                      {"", 0, 0}}) {
        const unsigned long window = Start(map, width, height);
        ASSERT_NE(window, 0u) << run.Describe();
        Pause(1); // the tank lands
        for (int corner = 0; corner < 4; ++corner) {
            Hold(window, "Up", 2.5);
            Hold(window, "Left", 1.25);
            EXPECT_GT(GroundShare(run.Picture(window)), 0.5)
                << map << width << " corner " << corner;
        }
        ASSERT_TRUE(run.Key(window, "Escape"));
        ExpectCleanEnd(run);
    }
    EXPECT_TRUE(std::filesystem::exists(run.dir() / "cache/zezivoze/maps"));
}

// Backwards from the start the edge is near: after 19 s the tank stands still there, on the
// ground, the key still held.
TEST_F(World, EdgeStopsTheTank) {
    const unsigned long window = Start("", 64, 64);
    ASSERT_TRUE(run.Focus(window) && Xdo("keydown Down sleep 18")) << run.Describe();
    const std::vector<uint8_t> before = run.Picture(window);
    Pause(1);
    const std::vector<uint8_t> after = run.Picture(window);
    ASSERT_TRUE(Xdo("keyup Down"));
    EXPECT_GT(GroundShare(after), 0.5);
    EXPECT_LT(Changed(before, after, 240), 0.01); // the ground below the horizon stands
}

// A header that promises more than the file holds, or a map too large: the game says which
// file and what size, and ends with exit code 1; one that cannot be read, at once.
TEST_F(World, BadMapIsFatal) {
    std::vector<uint8_t> map = EncodeHeightMapBmp(4, 4, std::vector<uint8_t>(16, 100));
    const std::string path = (run.dir() / "bad.bmp").string();
    for (auto [width, text] :
         {std::pair{9000, "' is 9000 x 4 pixels; a height map may be at most 8192 x 8192\n"},
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
    run.Launch(ZEZIVOZE_PROGRAM, {"--height-map", "nowhere.bmp"}, run.dir());
    EXPECT_EQ(run.ExitCode(), 1);
}
