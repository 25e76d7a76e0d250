#pragma once

#include "math/Vector4.h"
#include "platform/SoundDevice.h"

// What the game makes the sound do: the two tanks' engines, the turret's
// servo, the shot's launch and its explosion, each placed in the world as
// heard from the camera's eye. Sound is optional: without an output, muted, or
// with a file missing, the game plays on silently and says so in the log.
class GameSounds {
  public:
    // The files read at start, relative to the data folder.
    static constexpr const char* kFiles[] = {
        "sounds/engine.wav",    // seamless loop, both tanks
        "sounds/servo.wav",     // seamless loop, the turret and gun drive
        "sounds/launch.wav",    // once, at the muzzle
        "sounds/explosion.wav", // once, where the shot bursts
    };
    static constexpr int kFileCount = 4;

    // Opens the output and loads the files (after the textures, before the scene).
    void Start();
    // Closes the output; the game makes no sound after it.
    void Stop();

    // Frame hook: the frame has just spawned the shot at the muzzle.
    void ShotSpawned() { spawnedThisFrame = true; }
    // Frame hook, once a frame after the tanks and the shot have moved and the
    // chase camera is placed: follows what the frame did. Allocates nothing.
    void Update();

    // Gains for the left and right ear of a sound at a world point, heard from
    // the camera's eye (the negated cameraPosition) looking along its yaw:
    // falling with the distance, panned by the direction.
    struct Gains {
        float left;
        float right;
    };
    static Gains Place(const Vector4& point, const Vector4& cameraPosition, float yawDegrees);

    bool muted = false; // --mute on the command line
    SoundDevice device;

  private:
    enum Channel { kFirstEngine, kSecondEngine, kServo, kLaunch, kExplosion };
    enum Sound { kEngineSound, kServoSound, kLaunchSound, kExplosionSound };

    void Play(Channel channel, const Vector4& point, float volume);
    void Follow(Channel channel, const Vector4& point, float volume);

    int sounds[kFileCount] = {-1, -1, -1, -1};
    bool started = false;  // the last positions and angles are known
    Vector4 firstPosition; // vehicle units, at the last update
    Vector4 secondPosition;
    float turretAngle = 0, barrelAngle = 0;
    float firstSpeed = 0, secondSpeed = 0; // smoothed, 0 (standing) to 1 (full speed)
    float turning = 0;                     // smoothed, 0 to 1
    bool spawnedThisFrame = false, spawnedLastFrame = false;
    bool wasExploded = false;
    float explosionAgeMs = 0;
    Vector4 launchPoint, burstPoint;
};

// Lives with the program's other global objects, after them.
extern GameSounds gameSounds;
