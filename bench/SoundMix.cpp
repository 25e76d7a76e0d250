// What the sound costs the audio thread: its CPU time per second of sound
// mixed (the share of one core), through SDL's dummy output, which mixes in
// real time and throws the result away. Three mixes of the game's five
// channels: none playing, the game's own (two engine loops whose pitch moves,
// the servo, a launch and a burst retriggered), and the same sounds played as
// they are with SDL_mixer's own panning, as pre-pitched loops would play.
// Also the time the game's start spends opening the output and loading.
//
//   bench_SoundMix [SECONDS]    seconds of sound per mix, 4 unless given

#include "app/GameSounds.h"
#include "platform/SoundDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

namespace {
struct Meter {
    double cpuSeconds = 0; // the audio thread's, as of the last buffer
    long bytes = 0;        // mixed so far
};

double ThreadSeconds() {
    timespec t;
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}

// Runs last in every buffer, on the audio thread.
void SDLCALL Measure(void* data, Uint8* /*stream*/, int length) {
    Meter& meter = *static_cast<Meter*>(data);
    meter.cpuSeconds = ThreadSeconds();
    meter.bytes += length;
}

enum class Mix { Silence, Game, Plain };

// Share of one core the audio thread spends per second of sound.
double Share(SoundDevice& device, const int (&sounds)[4], Mix_Chunk* const (&plain)[4], Mix mix,
             double seconds) {
    Meter meter;
    Mix_SetPostMix(Measure, &meter);
    if (mix == Mix::Game) {
        for (int c = 0; c < 5; ++c)
            device.SetGains(c, 0.7f, 0.4f);
        device.Loop(0, sounds[0]);
        device.Loop(1, sounds[0]);
        device.Loop(2, sounds[1]);
    } else if (mix == Mix::Plain) {
        for (int c = 0; c < 3; ++c) {
            Mix_PlayChannel(c, plain[c < 2 ? 0 : 1], -1);
            Mix_SetPanning(c, 200, 120);
        }
    }
    SDL_Delay(200); // the first buffers, after the start
    const double cpu0 = meter.cpuSeconds;
    const long bytes0 = meter.bytes;
    for (int tick = 0; tick < seconds * 10; ++tick) {
        if (mix == Mix::Game) {
            device.SetPitch(0, 0.7f + 0.1f * (tick % 10)); // throttle moving
            device.SetPitch(1, 1.6f);
            device.SetPitch(2, 1.1f);
            if (tick % 10 == 0) {
                device.PlayOnce(3, sounds[2]);
                device.PlayOnce(4, sounds[3]);
            }
        } else if (mix == Mix::Plain && tick % 10 == 0) {
            for (int c = 3; c < 5; ++c) {
                Mix_PlayChannel(c, plain[c - 1], 0);
                Mix_SetPanning(c, 200, 120);
            }
        }
        SDL_Delay(100);
    }
    const double cpu = meter.cpuSeconds - cpu0;
    const double audio = double(meter.bytes - bytes0) / (device.rate * device.outputChannels * 2);
    Mix_HaltChannel(-1);
    Mix_SetPostMix(nullptr, nullptr);
    return audio > 0 ? cpu / audio : -1;
}
} // namespace

int main(int argc, char** argv) {
    const double seconds = argc > 1 ? std::atof(argv[1]) : 4.0;
    setenv("SDL_AUDIODRIVER", "dummy", 0);
    timespec start, loaded;
    clock_gettime(CLOCK_MONOTONIC, &start);
    SoundDevice device;
    if (!device.Open()) {
        std::printf("no sound output: %s\n", device.Error());
        return 1;
    }
    const std::string data = std::string(ZEZIVOZE_BINARY_DIR) + "/data/";
    int sounds[4];
    Mix_Chunk* plain[4]; // the same sounds, for SDL_mixer to play on its own
    for (int i = 0; i < 4; ++i) {
        const std::string path = data + GameSounds::kFiles[i];
        sounds[i] = device.Load(path.c_str());
        plain[i] = Mix_LoadWAV(path.c_str());
        if (sounds[i] < 0 || plain[i] == nullptr) {
            std::printf("%s: %s\n", path.c_str(), device.Error());
            return 1;
        }
    }
    clock_gettime(CLOCK_MONOTONIC, &loaded);
    std::printf("opening the output and decoding the %d files: %.1f ms\n", GameSounds::kFileCount,
                (loaded.tv_sec - start.tv_sec) * 1e3 + (loaded.tv_nsec - start.tv_nsec) * 1e-6);
    std::printf("audio thread's CPU per second of sound (share of one core), %d Hz, %d channels, "
                "driver '%s', %.0f s each:\n",
                device.rate, device.outputChannels, device.driver, seconds);
    const char* names[] = {"nothing playing", "the game's 5 channels, our effect",
                           "5 plain channels, SDL_mixer's panning"};
    for (Mix mix : {Mix::Silence, Mix::Game, Mix::Plain})
        std::printf("  %-40s %6.3f %%\n", names[int(mix)],
                    100.0 * Share(device, sounds, plain, mix, seconds));
    for (Mix_Chunk* chunk : plain)
        Mix_FreeChunk(chunk);
    device.Close();
    return 0;
}
