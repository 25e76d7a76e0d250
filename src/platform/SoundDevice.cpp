#include "platform/SoundDevice.h"

#include <SDL.h>
#include <SDL_mixer.h>
#include <cstdint>
#include <cstdio>
#include <cstring>
#include <dlfcn.h>

namespace {
constexpr auto kRelaxed = std::memory_order_relaxed;

int16_t Clip(float sample) {
    return static_cast<int16_t>(sample > 32767.0f    ? 32767.0f
                                : sample < -32768.0f ? -32768.0f
                                                     : sample);
}

// The gains go in a straight line from the last buffer's to the ones set now,
// so that a change every frame makes no steps that would click.
struct Ramp {
    Ramp(SoundDevice::Voice& v, int frames)
        : left(v.appliedLeft), right(v.appliedRight),
          stepLeft((v.left.load(kRelaxed) - left) / frames),
          stepRight((v.right.load(kRelaxed) - right) / frames) {}
    void Next() { left += stepLeft, right += stepRight; }
    float left, right, stepLeft, stepRight;
};

// One output frame from one mono sample: left and right get their gains,
// further channels of a surround layout stay silent.
void WriteFrame(int16_t* out, int channels, float sample, const Ramp& ramp) {
    if (channels == 1) {
        out[0] = Clip(sample * 0.5f * (ramp.left + ramp.right));
        return;
    }
    out[0] = Clip(sample * ramp.left);
    out[1] = Clip(sample * ramp.right);
    for (int c = 2; c < channels; ++c)
        out[c] = 0;
}

// The channel's effect, on the audio thread: a loop is read from its own
// samples at the pitch's speed (linear interpolation across the seamless loop
// point), whatever SDL_mixer handed in; a sound played once is the channel's
// own samples. Both leave with the channel's gains.
void SDLCALL ProcessVoice(int /*channel*/, void* stream, int length, void* data) {
    SoundDevice::Voice& v = *static_cast<SoundDevice::Voice*>(data);
    const int channels = v.frameBytes / 2;
    const int frames = v.frameBytes > 0 ? length / v.frameBytes : 0;
    if (frames <= 0)
        return;
    int16_t* out = static_cast<int16_t*>(stream);
    Ramp ramp(v, frames);
    if (v.loop != nullptr) {
        const int16_t* in = reinterpret_cast<const int16_t*>(v.loop->abuf);
        const int count = static_cast<int>(v.loop->alen) / v.frameBytes;
        float step = v.pitch.load(kRelaxed);
        step = step < 0.05f ? 0.05f : step > 8.0f ? 8.0f : step;
        double position = v.position;
        for (int f = 0; f < frames && count > 0; ++f, ramp.Next()) {
            const int i = static_cast<int>(position);
            const int j = i + 1 < count ? i + 1 : 0;
            const float a = in[i * channels], b = in[j * channels];
            WriteFrame(out + f * channels, channels, a + (b - a) * static_cast<float>(position - i),
                       ramp);
            position += step;
            while (position >= count)
                position -= count;
        }
        if (count == 0)
            std::memset(stream, 0, static_cast<size_t>(length));
        v.position = position;
    } else {
        for (int f = 0; f < frames; ++f, ramp.Next())
            WriteFrame(out + f * channels, channels, out[f * channels], ramp);
    }
    v.appliedLeft = ramp.left;
    v.appliedRight = ramp.right;
}

// Without a sound card ALSA prints eight lines of its own errors before SDL
// reports the failure, which the game logs in one. SDL loads the library
// itself; its error handler is set here through the same loaded copy.
void IgnoreAlsaError(const char*, int, const char*, int, const char*, ...) {}

void SilenceAlsa() {
    static void* const library = dlopen("libasound.so.2", RTLD_LAZY | RTLD_LOCAL);
    using Handler = decltype(&IgnoreAlsaError);
    auto set = library != nullptr
                   ? reinterpret_cast<int (*)(Handler)>(dlsym(library, "snd_lib_error_set_handler"))
                   : nullptr;
    if (set != nullptr)
        set(IgnoreAlsaError);
}
} // namespace

SoundDevice::~SoundDevice() {
    Close();
}

bool SoundDevice::Open() {
    Close();
    SilenceAlsa();
    if (SDL_InitSubSystem(SDL_INIT_AUDIO) != 0) {
        SetError(SDL_GetError());
        return false;
    }
    audioStarted = true;
    // 1024 frames: 23 ms of latency at 44100 Hz, few enough wake-ups.
    if (Mix_OpenAudio(44100, AUDIO_S16SYS, 2, 1024) != 0) {
        SetError(Mix_GetError());
        Close();
        return false;
    }
    uint16_t format = 0;
    Mix_QuerySpec(&rate, &format, &outputChannels);
    Mix_AllocateChannels(kChannels);
    const char* name = SDL_GetCurrentAudioDriver();
    std::snprintf(driver, sizeof driver, "%s", name != nullptr ? name : "?");
    open = true;
    return true;
}

void SoundDevice::Close() {
    if (open)
        Mix_HaltChannel(-1); // the effects go with the channels
    for (int i = 0; i < soundCount; ++i)
        if (sounds[i] != nullptr)
            Mix_FreeChunk(sounds[i]);
    soundCount = 0;
    if (open)
        Mix_CloseAudio();
    if (audioStarted)
        SDL_QuitSubSystem(SDL_INIT_AUDIO);
    open = audioStarted = false;
}

int SoundDevice::Load(const char* path) {
    if (!open || soundCount == kMaxSounds) {
        SetError(open ? "too many sounds" : "no audio output");
        return -1;
    }
    // Opened here, so that a missing file is told as such, not as a null source.
    SDL_RWops* file = SDL_RWFromFile(path, "rb");
    Mix_Chunk* chunk = file != nullptr ? Mix_LoadWAV_RW(file, 1) : nullptr;
    if (chunk == nullptr) {
        SetError(Mix_GetError());
        return -1;
    }
    sounds[soundCount] = chunk;
    return soundCount++;
}

bool SoundDevice::StartChannel(int channel, int sound, bool looped) {
    if (!open || channel < 0 || channel >= kChannels || sound < 0 || sound >= soundCount)
        return false;
    // Stopped, the channel runs no effect: its voice may be set up unlocked.
    Mix_HaltChannel(channel);
    Mix_UnregisterAllEffects(channel);
    Voice& v = voices[channel];
    v.loop = looped ? sounds[sound] : nullptr;
    v.position = 0;
    v.appliedLeft = v.left.load(kRelaxed);
    v.appliedRight = v.right.load(kRelaxed);
    v.frameBytes = 2 * outputChannels;
    // Registered before the start, so that not one buffer goes out without it.
    if (Mix_RegisterEffect(channel, ProcessVoice, nullptr, &v) == 0 ||
        Mix_PlayChannel(channel, sounds[sound], looped ? -1 : 0) < 0) {
        SetError(Mix_GetError());
        Mix_UnregisterAllEffects(channel);
        return false;
    }
    return true;
}

void SoundDevice::Loop(int channel, int sound) {
    StartChannel(channel, sound, true);
}

void SoundDevice::PlayOnce(int channel, int sound) {
    StartChannel(channel, sound, false);
}

void SoundDevice::SetGains(int channel, float left, float right) {
    if (channel >= 0 && channel < kChannels) {
        voices[channel].left.store(left, kRelaxed);
        voices[channel].right.store(right, kRelaxed);
    }
}

void SoundDevice::SetPitch(int channel, float pitch) {
    if (channel >= 0 && channel < kChannels)
        voices[channel].pitch.store(pitch, kRelaxed);
}

bool SoundDevice::Playing(int channel) const {
    return open && channel >= 0 && channel < kChannels && Mix_Playing(channel) != 0;
}

void SoundDevice::SetError(const char* what) {
    std::snprintf(error, sizeof error, "%s", what != nullptr && *what != 0 ? what : "unknown");
}
