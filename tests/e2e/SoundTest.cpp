#include "e2e/ProgramRun.h"

#include <algorithm>
#include <cmath>
#include <cstdlib>

// The real program's sound as SDL's disk audio driver writes it, mixed in real time: 16-bit stereo
// at 44100 Hz. Levels come from the samples between marks (the file's size at a moment).

namespace {
constexpr double kBytesPerSecond = 44100 * 4;
const std::string kLastTexture = "Texture 'textures/cobra/trukrearbumper.bmp' loaded\n";

size_t After(size_t mark, double seconds) {
    return (mark + static_cast<size_t>(seconds * kBytesPerSecond)) & ~size_t(3);
}

// Root mean square of both channels between two marks, full scale 1.
double Level(const std::string& mix, size_t from, size_t to) {
    to = std::min(to, mix.size()) & ~size_t(1);
    double sum = 0;
    for (size_t i = from; i < to; i += 2) {
        const double v = int16_t(uint8_t(mix[i]) | uint8_t(mix[i + 1]) << 8) / 32768.0;
        sum += v * v;
    }
    return to > from ? std::sqrt(sum / double((to - from) / 2)) : -1;
}

// The levels of the 50 ms windows between two marks, loudest (the peak) last.
std::vector<double> Windows(const std::string& mix, size_t from, size_t to) {
    std::vector<double> levels;
    for (size_t at = from; After(at, 0.05) <= std::min(to, mix.size()); at = After(at, 0.05))
        levels.push_back(Level(mix, at, After(at, 0.05)));
    std::sort(levels.begin(), levels.end());
    return levels.empty() ? std::vector<double>{-1} : levels;
}

} // namespace

// The engine follows the throttle, a shot launches, its burst is louder near than far.
TEST(Sound, EngineShotAndBurstLevels) {
    ProgramRun run;
    const std::string raw = (run.dir() / "mix.raw").string();
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    const unsigned long main = run.StartWithoutDialog();
    ASSERT_TRUE(run.Focus(main)) << run.Describe();
    Pause(1.5); // the tank settles on the ground
    const size_t still = ReadFileText(raw).size();
    ASSERT_TRUE(Xdo("sleep 1 keydown Up sleep 1"));
    const size_t driving = ReadFileText(raw).size();
    ASSERT_TRUE(Xdo("sleep 1.5 keyup Up sleep 1 mousemove_relative -- 0 -90 sleep 1"));
    const size_t upwards =
        ReadFileText(raw).size(); // the gun points up: the shot falls back by the tank
    ASSERT_TRUE(Xdo("mousedown 1 sleep 0.1 mouseup 1 sleep 8 mousemove_relative -- 0 45 sleep 1"));
    const size_t aslant = ReadFileText(raw).size(); // 45 degrees up: it bursts some 1500 units away
    ASSERT_TRUE(Xdo("mousedown 1 sleep 0.1 mouseup 1 sleep 6.5"));
    ASSERT_TRUE(run.Focus(main) && Xdo("keydown Escape sleep 0.3 keyup Escape"));
    ExpectCleanEnd(run);
    EXPECT_NE(run.Log().find(kLastTexture + "Sound on: 44100 Hz, 2 channels, driver 'disk'.\n"),
              std::string::npos)
        << run.Log();

    const std::string mix = ReadFileText(raw);
    const double standing = Level(mix, still, After(still, 1));
    EXPECT_LT(standing, 0.03); // near silence: a soft tick-over
    EXPECT_GT(Level(mix, After(driving, 0.5), After(driving, 1.5)), 4 * standing);
    const double launch = Windows(mix, upwards, After(upwards, 0.6)).back();
    EXPECT_GT(launch, 5 * standing);
    const double nearBurst = Windows(mix, After(upwards, 2), aslant).back();
    EXPECT_GT(nearBurst, 1.5 * launch);
    const std::vector<double> far = Windows(mix, After(aslant, 2), mix.size());
    EXPECT_GT(far.back(), 1.5 * far[far.size() / 2]) << "heard above the engines";
    EXPECT_LT(far.back(), nearBurst / 3);
}

// No output, muted, or no files: a silent game, its reason in the log after the textures.
TEST(Sound, SilentWithoutOutput) {
    const std::string muted =
        "Sound muted (--mute or ZEZIVOZE_MUTE): the game runs without sound.\n";
    std::string missing = "Sound on: 44100 Hz, 2 channels, driver 'disk'.\n";
    for (const char* name : {"engine", "servo", "launch", "explosion"})
        missing += std::string("Sound 'sounds/") + name +
                   ".wav' not loaded (Couldn't open sounds/" + name + ".wav): it stays silent.\n";
    // Environment variable and value, or the sounds folder removed; argument; log.
    const std::tuple<const char*, const char*, std::vector<std::string>, std::string> cases[] = {
        {"SDL_AUDIODRIVER",
         "nonexistent",
         {},
         "No sound (Audio target 'nonexistent' not available): the game runs without sound.\n"},
        {"ZEZIVOZE_MUTE", "1", {}, muted},
        {"", "", {"--mute"}, muted},
        {"", "", {}, missing + "BMP File"},
    };
    for (const auto& [variable, value, arguments, lines] : cases) {
        ProgramRun run;
        const std::string raw = (run.dir() / "mix.raw").string();
        setenv("SDL_AUDIODRIVER", "disk", 1);
        setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
        if (*variable != 0)
            setenv(variable, value, 1);
        else if (arguments.empty())
            std::filesystem::remove_all(run.dir() / "sounds");
        const unsigned long main = run.StartWithoutDialog(arguments);
        ASSERT_TRUE(run.Focus(main)) << run.Describe();
        Pause(1.0);
        ASSERT_TRUE(run.Focus(main) && Xdo("keydown Escape sleep 0.3 keyup Escape"));
        ExpectCleanEnd(run);
        EXPECT_NE(run.Log().find(kLastTexture + lines), std::string::npos) << run.Log();
        EXPECT_EQ(std::filesystem::exists(raw), lines == missing + "BMP File") << lines;
        unsetenv("ZEZIVOZE_MUTE");
    }
}
