#include "Sounds.h"

#include "app/GameSounds.h"

#include <SDL.h>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <functional>

namespace {
constexpr double kTwoPi = 6.283185307179586;

// Our own noise, so that the files come out the same everywhere: -1 to 1.
class Noise {
  public:
    explicit Noise(uint32_t seed) : state(seed) {}
    double Next() {
        state = state * 1664525u + 1013904223u;
        return ((state >> 8) & 0xFFFF) / 32768.0 - 1.0;
    }
    double Unit() { return (Next() + 1.0) * 0.5; }

  private:
    uint32_t state;
};

// The signal at each sample time t (seconds), scaled so that its largest
// swing reaches peak.
std::vector<int16_t> Render(double seconds, double peak, const std::function<double(double)>& at) {
    std::vector<double> wave(static_cast<size_t>(seconds * kSoundRate));
    for (size_t i = 0; i < wave.size(); ++i)
        wave[i] = at(double(i) / kSoundRate);
    double top = 1e-9;
    for (double v : wave)
        top = std::max(top, std::fabs(v));
    std::vector<int16_t> samples(wave.size());
    for (size_t i = 0; i < wave.size(); ++i)
        samples[i] = static_cast<int16_t>(std::lround(wave[i] / top * peak * 32767.0));
    return samples;
}

struct Partial {
    double frequency, amplitude, phase;
};

// Partials at whole multiples of 1 / loop length, so the loop closes on itself.
double Sum(const std::vector<Partial>& partials, double t) {
    double v = 0;
    for (const Partial& p : partials)
        v += p.amplitude * std::sin(kTwoPi * p.frequency * t + p.phase);
    return v;
}

// A one-second loop: a 40 Hz firing note rich in harmonics, an uneven 20 Hz
// beat and a rough mechanical hiss.
std::vector<int16_t> Engine() {
    Noise noise(11);
    std::vector<Partial> tone, hiss;
    tone.push_back({20, 0.35, 0});
    for (int k = 1; k <= 40; ++k) {
        const double f = 40.0 * k;
        const double body = f < 400 ? 1.0 : 400 / f; // most of it below 400 Hz
        tone.push_back({f, body / std::pow(k, 0.6), kTwoPi * noise.Unit()});
    }
    for (int i = 0; i < 120; ++i) {
        const double f = std::floor(150 + 1850 * noise.Unit());
        hiss.push_back({f, 0.04 * 300 / (150 + f), kTwoPi * noise.Unit()});
    }
    return Render(1.0, 0.7, [&](double t) {
        const double rumble = 1.0 + 0.25 * std::sin(kTwoPi * 10 * t);
        return Sum(tone, t) * rumble + Sum(hiss, t);
    });
}

// A half-second loop: a geared motor's whine at 180 Hz with a 24 Hz ripple.
std::vector<int16_t> Servo() {
    Noise noise(23);
    std::vector<Partial> whine, hiss;
    for (int k = 1; k <= 8; ++k)
        whine.push_back({180.0 * k, 1.0 / k, kTwoPi * noise.Unit()});
    for (int i = 0; i < 60; ++i)
        hiss.push_back({2 * std::floor(500 + 1000 * noise.Unit()), 0.03, kTwoPi * noise.Unit()});
    return Render(0.5, 0.6, [&](double t) {
        return Sum(whine, t) * (1.0 + 0.4 * std::sin(kTwoPi * 24 * t)) + Sum(hiss, t);
    });
}

// Low-passed noise, one pole: the smaller the share, the darker.
class DarkNoise {
  public:
    DarkNoise(uint32_t seed, double share) : noise(seed), share(share) {}
    double Next() { return value += (noise.Next() - value) * share; }

  private:
    Noise noise;
    double share;
    double value = 0;
};

// The gun: a sharp crack, a blast of noise and a short falling thump.
std::vector<int16_t> Launch() {
    Noise crack(31);
    DarkNoise blast(37, 0.25);
    double phase = 0;
    constexpr double kLength = 0.6;
    return Render(kLength, 0.6, [&](double t) {
        phase += kTwoPi * (50 + 100 * std::exp(-t / 0.05)) / kSoundRate;
        const double attack = std::min(1.0, t / 0.002);
        const double fade = std::min(1.0, (kLength - t) / 0.05); // no click at the end
        return attack * fade *
               (0.6 * crack.Next() * std::exp(-t / 0.01) +
                1.0 * blast.Next() * std::exp(-t / 0.04) +
                0.8 * std::sin(phase) * std::exp(-t / 0.12));
    });
}

// The impact: a deep falling boom, a long dark rumble and crackle that thins out.
std::vector<int16_t> Explosion() {
    constexpr double kLength = 2.2;
    Noise crackle(41);
    DarkNoise rumble(43, 0.04), deep(47, 0.5);
    double phase = 0, spark = 0;
    return Render(kLength, 0.95, [&](double t) {
        phase += kTwoPi * (30 + 60 * std::exp(-t / 0.15)) / kSoundRate;
        if (crackle.Unit() < 0.004 * std::exp(-t / 0.4))
            spark = crackle.Next();
        spark *= 0.97;
        const double attack = std::min(1.0, t / 0.003);
        const double fade = std::min(1.0, (kLength - t) / 0.05);
        return attack * fade *
               (1.0 * std::sin(phase) * std::exp(-t / 0.5) +
                6.0 * deep.Next() * rumble.Next() * std::exp(-t / 0.6) +
                spark * std::exp(-t / 0.3));
    });
}

void Put16(std::vector<uint8_t>& out, uint32_t v) {
    out.push_back(v & 0xFF);
    out.push_back((v >> 8) & 0xFF);
}
void Put32(std::vector<uint8_t>& out, uint32_t v) {
    Put16(out, v & 0xFFFF);
    Put16(out, v >> 16);
}
void PutTag(std::vector<uint8_t>& out, const char* tag) {
    for (int i = 0; i < 4; ++i)
        out.push_back(static_cast<uint8_t>(tag[i]));
}
} // namespace

std::vector<uint8_t> EncodeWav(int rate, const std::vector<int16_t>& samples) {
    const uint32_t dataBytes = static_cast<uint32_t>(samples.size() * 2);
    std::vector<uint8_t> out;
    PutTag(out, "RIFF");
    Put32(out, 36 + dataBytes);
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 16);
    Put16(out, 1); // PCM
    Put16(out, 1); // mono
    Put32(out, static_cast<uint32_t>(rate));
    Put32(out, static_cast<uint32_t>(rate) * 2); // bytes a second
    Put16(out, 2);                               // bytes a frame
    Put16(out, 16);
    PutTag(out, "data");
    Put32(out, dataBytes);
    for (int16_t s : samples)
        Put16(out, static_cast<uint16_t>(s));
    return out;
}

void AddDefaultSounds(std::vector<DataFile>& files) {
    std::vector<int16_t> (*const makers[GameSounds::kFileCount])() = {Engine, Servo, Launch,
                                                                      Explosion};
    for (int i = 0; i < GameSounds::kFileCount; ++i)
        files.push_back({GameSounds::kFiles[i], EncodeWav(kSoundRate, makers[i]())});
}

bool CheckSound(const std::string& path, std::string& detail, int& rate, double& seconds) {
    SDL_AudioSpec spec{};
    Uint8* buffer = nullptr;
    Uint32 length = 0;
    if (SDL_LoadWAV(path.c_str(), &spec, &buffer, &length) == nullptr) {
        detail = SDL_GetError();
        return false;
    }
    SDL_FreeWAV(buffer);
    const int frameBytes = SDL_AUDIO_BITSIZE(spec.format) / 8 * spec.channels;
    rate = spec.freq;
    seconds = frameBytes > 0 && rate > 0 ? double(length / frameBytes) / rate : 0;
    char text[96];
    std::snprintf(text, sizeof text, "%.2f s at %d Hz, %d-bit %s", seconds, rate,
                  int(SDL_AUDIO_BITSIZE(spec.format)),
                  spec.channels == 1   ? "mono"
                  : spec.channels == 2 ? "stereo"
                                       : "multichannel");
    detail = text;
    if (length / std::max(frameBytes, 1) == 0) {
        detail = "no samples";
        return false;
    }
    return true;
}
