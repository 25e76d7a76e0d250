#include "platform/SoundDevice.h"
#include "support/TestSupport.h"

#include <SDL.h>
#include <algorithm>

// Mixed into a file by SDL's disk audio driver, as fast as it plays: 16-bit stereo, left first.
TEST(SoundDevice, GainsPitchFloorAndTable) {
    TempDir dir;
    const std::string raw = dir.File("mix.raw"),
                      engine = ZEZIVOZE_BINARY_DIR "/data/sounds/engine.wav";
    setenv("SDL_AUDIODRIVER", "disk", 1);
    setenv("SDL_DISKAUDIOFILE", raw.c_str(), 1);
    SoundDevice device;
    ASSERT_TRUE(device.Open()) << device.Error();
    for (int i = 0; i < SoundDevice::kMaxSounds; ++i)
        ASSERT_EQ(device.Load(engine.c_str()), i);
    EXPECT_LT(device.Load(engine.c_str()), 0); // a ninth is refused
    device.SetGains(0, 0, 1);
    device.SetPitch(0, 0); // held at its floor, not stalled
    device.Loop(0, 0);
    for (Uint32 start = SDL_GetTicks(); ReadFileBytes(raw).size() < 65536;) { // some 0.4 s
        ASSERT_LT(SDL_GetTicks() - start, 30000u);
        SDL_Delay(50);
    }
    device.Close();
    unsetenv("SDL_AUDIODRIVER"), unsetenv("SDL_DISKAUDIOFILE");

    // The second half, past the gains' ramp: each ear's range, the left silent.
    const std::vector<uint8_t> mix = ReadFileBytes(raw);
    int low[2] = {32767, 32767}, high[2] = {-32768, -32768};
    for (size_t i = mix.size() / 2 & ~size_t(3); i + 3 < mix.size(); i += 2) {
        const int v = int16_t(mix[i] | mix[i + 1] << 8), ear = i / 2 % 2;
        low[ear] = std::min(low[ear], v), high[ear] = std::max(high[ear], v);
    }
    EXPECT_LT(high[0] - low[0], 8) << low[0] << ".." << high[0];
    EXPECT_GT(high[1] - low[1], 1000) << low[1] << ".." << high[1];
}
