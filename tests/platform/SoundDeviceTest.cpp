#include "platform/SoundDevice.h"
#include "support/TestSupport.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>

// The device mixing into a file through SDL's disk audio driver, as fast as
// the driver plays: 16-bit stereo frames, left first.
TEST(SoundDevice, EachEarGetsItsGainAStalledPitchStillPlaysAndTheTableHoldsEight) {
    TempDir dir;
    const std::string raw = dir.File("mix.raw"),
                      engine = ZEZIVOZE_BINARY_DIR "/data/sounds/engine.wav";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    SoundDevice device;
    ASSERT_TRUE(device.Open()) << device.Error();
    const int sound = device.Load(engine.c_str());
    for (int i = 1; i < SoundDevice::kMaxSounds; ++i)
        ASSERT_GE(device.Load(engine.c_str()), 0) << i;
    EXPECT_TRUE(sound >= 0 && device.Load(engine.c_str()) < 0); // a ninth is refused
    device.SetGains(0, 0, 1);
    device.SetPitch(0, 0); // held at its floor, not stalled
    device.Loop(0, sound);
    for (Uint32 start = SDL_GetTicks(); ReadFileBytes(raw).size() < 65536;) { // some 0.4 s
        ASSERT_LT(SDL_GetTicks() - start, 30000u);
        SDL_Delay(50);
    }
    device.Close();
    unsetenv("SDL_AUDIODRIVER"), unsetenv("SDL_DISKAUDIOFILE");

    // The second half, past the gains' ramp: left and right sums of squares, the right's range.
    const std::vector<uint8_t> mix = ReadFileBytes(raw);
    const size_t first = mix.size() / 2 & ~size_t(3), frames = (mix.size() - first) / 4;
    double sum[2] = {0, 0};
    int low = 32767, high = -32768;
    for (size_t i = first; i + 3 < mix.size(); i += 2) {
        const int v = int16_t(mix[i] | mix[i + 1] << 8), ear = i / 2 % 2;
        sum[ear] += double(v) * v;
        if (ear == 1)
            low = std::min(low, v), high = std::max(high, v);
    }
    const double left = std::sqrt(sum[0] / frames) / 32768,
                 right = std::sqrt(sum[1] / frames) / 32768;
    EXPECT_TRUE(left < 1e-4 && right > 0.01 && high - low > 1000)
        << mix.size() << " bytes: " << left << ", " << right << ", " << low << " to " << high;
}
