#pragma once

#include <atomic>

struct Mix_Chunk;

// The audio output through SDL_mixer: opens the device, holds decoded sounds
// and plays them on numbered channels, each with its own left and right gain
// and, for loops, a pitch. Knows nothing of what the sounds mean.
//
// Gains and pitch are read by the audio thread; setting them takes no lock and
// allocates nothing, so it may be done every frame.
class SoundDevice {
  public:
    static constexpr int kMaxSounds = 8;
    static constexpr int kChannels = 8;

    SoundDevice() = default;
    ~SoundDevice();
    SoundDevice(const SoundDevice&) = delete;
    SoundDevice& operator=(const SoundDevice&) = delete;

    // Starts the audio output. False when there is none; Error says why.
    bool Open();
    // Stops every channel, frees the sounds and closes the output.
    void Close();
    bool IsOpen() const { return open; }

    // Decodes a WAV file into the next sound number; -1 when it cannot (Error says why).
    int Load(const char* path);

    // Plays the sound over and over; its pitch follows SetPitch. Its loop
    // point must be seamless: the samples are read round and round.
    void Loop(int channel, int sound);
    // Plays the sound once from its start, cutting what the channel played.
    void PlayOnce(int channel, int sound);
    void SetGains(int channel, float left, float right);
    // Playback speed of a loop: 1 as recorded, 2 an octave up.
    void SetPitch(int channel, float pitch);
    bool Playing(int channel) const;

    // What the last failing call met, for the log.
    const char* Error() const { return error; }

    int rate = 0;           // output sample frames per second
    int outputChannels = 0; // interleaved samples per frame (2 for stereo)
    char driver[32] = {};

    // One channel's settings and the audio thread's own state for it.
    struct Voice {
        std::atomic<float> left{0};
        std::atomic<float> right{0};
        std::atomic<float> pitch{1};
        // Audio thread only (set before the channel starts).
        const Mix_Chunk* loop = nullptr; // read round and round; null: the channel's own samples
        double position = 0;             // in the loop, sample frames
        float appliedLeft = 0;
        float appliedRight = 0;
        int frameBytes = 0;
    };

  private:
    bool StartChannel(int channel, int sound, bool looped);
    void SetError(const char* what);

    bool open = false;
    bool audioStarted = false;
    Mix_Chunk* sounds[kMaxSounds] = {};
    int soundCount = 0;
    Voice voices[kChannels];
    char error[256] = {};
};
