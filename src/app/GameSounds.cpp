#include "app/GameSounds.h"

#include "effects/Shot.h"
#include "platform/ErrorLog.h"
#include "state/AppState.h"
#include "vehicle/Vehicle.h"

#include <cmath>
#include <cstdlib>
#include <cstring>

namespace {
constexpr float kHearing = 100.0f;     // world units within which a sound is at full level
constexpr float kFullSpeed = 0.15f;    // world units per ms: a tank at full throttle, 60 frames/s
constexpr float kTeleport = 5.0f;      // world units per ms: faster is a jump (Q, a rebuild)
constexpr float kTurnJump = 90.0f;     // degrees in one frame
constexpr float kFullTurn = 0.12f;     // degrees per ms of turret and gun together
constexpr float kExplosionGapMs = 150; // a shot held in the ground bursts every frame
constexpr float kLaunchVolume = 0.7f;  // under the burst's, the loudest sound
constexpr float kBurstVolume = 1.0f;

// The share of the way to a new value that smoothing with this time constant
// covers in one step.
float Approach(float stepMs, float timeConstantMs) {
    return 1.0f - std::exp(-stepMs / timeConstantMs);
}

bool MutedByEnvironment() {
    const char* value = std::getenv("ZEZIVOZE_MUTE");
    return value != nullptr && *value != 0 && std::strcmp(value, "0") != 0;
}

// Across the ground, in world units per ms, since the last update; 0 for a jump.
float GroundSpeed(const Vector4& now, Vector4& last, float stepMs) {
    const float dx = 9 * (now.x - last.x), dz = 9 * (now.z - last.z);
    last = now;
    const float speed = std::sqrt(dx * dx + dz * dz) / stepMs;
    return speed < kTeleport ? std::fmin(speed / kFullSpeed, 1.0f) : 0.0f;
}
} // namespace

void GameSounds::Start() {
    if (muted || MutedByEnvironment()) {
        errorLog.Write("Sound muted (--mute or ZEZIVOZE_MUTE): the game runs without sound.\n");
        return;
    }
    if (!device.Open()) {
        errorLog.Write("No sound (%s): the game runs without sound.\n", device.Error());
        return;
    }
    errorLog.Write("Sound on: %d Hz, %d channels, driver '%s'.\n", device.rate,
                   device.outputChannels, device.driver);
    for (int i = 0; i < kFileCount; ++i) {
        sounds[i] = device.Load(kFiles[i]);
        if (sounds[i] < 0)
            errorLog.Write("Sound '%s' not loaded (%s): it stays silent.\n", kFiles[i],
                           device.Error());
    }
    // The loops run from now on; Update sets their levels, silent until then.
    for (Channel channel : {kFirstEngine, kSecondEngine, kServo})
        device.SetGains(channel, 0, 0);
    device.Loop(kFirstEngine, sounds[kEngineSound]);
    device.Loop(kSecondEngine, sounds[kEngineSound]);
    device.Loop(kServo, sounds[kServoSound]);
    started = false;
}

void GameSounds::Stop() {
    device.Close();
}

GameSounds::Gains GameSounds::Place(const Vector4& point, const Vector4& cameraPosition,
                                    float yawDegrees) {
    // cameraPosition is the negated eye.
    const float dx = point.x + cameraPosition.x, dy = point.y + cameraPosition.y,
                dz = point.z + cameraPosition.z;
    const float distance = std::sqrt(dx * dx + dy * dy + dz * dz);
    // Half as steep as the inverse distance: a burst across the map is faint, not lost.
    const float level =
        distance > kHearing ? kHearing / (kHearing + 0.5f * (distance - kHearing)) : 1.0f;
    // Into the view's frame, as its yaw turns the world: x to the right, -z ahead.
    const float yaw = yawDegrees * 0.017453292f;
    const float right = std::cos(yaw) * dx + std::sin(yaw) * dz;
    const float ahead = std::sin(yaw) * dx - std::cos(yaw) * dz;
    const float across = std::sqrt(right * right + ahead * ahead);
    const float pan = across > 1e-3f ? right / across : 0.0f; // -1 left to 1 right
    // The far ear keeps a little, as a room would give it.
    return {level * (pan > 0 ? 1 - 0.8f * pan : 1), level * (pan < 0 ? 1 + 0.8f * pan : 1)};
}

void GameSounds::Follow(Channel channel, const Vector4& point, float volume) {
    const Gains g = Place(point, appState.cameraPosition, appState.cameraAngles.y);
    device.SetGains(channel, g.left * volume, g.right * volume);
}

void GameSounds::Play(Channel channel, const Vector4& point, float volume) {
    Follow(channel, point, volume);
    device.PlayOnce(channel, sounds[channel == kLaunch ? kLaunchSound : kExplosionSound]);
}

void GameSounds::Update() {
    const bool spawned = spawnedThisFrame;
    spawnedThisFrame = false;
    if (!device.IsOpen())
        return;
    const float stepMs = std::fmin(std::fmax(float(appState.elapsedMs), 1.0f), 100.0f);
    if (!started) {
        firstPosition = firstTank.body.position;
        secondPosition = secondTank.body.position;
        turretAngle = firstTank.turret.rotation.z;
        barrelAngle = firstTank.barrel.rotation.y;
        started = true;
    }

    // Engines: from a soft tick-over when standing to a loud, high run at full speed.
    const float smooth = Approach(stepMs, 150);
    firstSpeed +=
        (GroundSpeed(firstTank.body.position, firstPosition, stepMs) - firstSpeed) * smooth;
    secondSpeed +=
        (GroundSpeed(secondTank.body.position, secondPosition, stepMs) - secondSpeed) * smooth;
    Follow(kFirstEngine, firstTank.boxCentre, 0.05f + 0.55f * firstSpeed);
    device.SetPitch(kFirstEngine, 0.7f + 1.0f * firstSpeed);
    Follow(kSecondEngine, secondTank.boxCentre, 0.05f + 0.55f * secondSpeed);
    device.SetPitch(kSecondEngine, 0.7f + 1.0f * secondSpeed);

    // Servo: while the turret or the gun turns; quick to start, a little slower to stop.
    const float turned = std::fabs(firstTank.turret.rotation.z - turretAngle) +
                         std::fabs(firstTank.barrel.rotation.y - barrelAngle);
    turretAngle = firstTank.turret.rotation.z;
    barrelAngle = firstTank.barrel.rotation.y;
    // A rebuild puts both back to 0: a jump no hand makes in one frame.
    const float turn = turned < kTurnJump ? std::fmin(turned / stepMs / kFullTurn, 1.0f) : 0.0f;
    turning += (turn - turning) * Approach(stepMs, turn > turning ? 15 : 60);
    Follow(kServo, firstTank.boxCentre, 0.5f * turning);
    device.SetPitch(kServo, 0.85f + 0.35f * turning);

    // The shot: launched on the first frame of a press (a held button keeps
    // the shot at the muzzle), burst where its head met the ground.
    if (spawned && !spawnedLastFrame) {
        launchPoint = shot.origin;
        Play(kLaunch, launchPoint, kLaunchVolume);
    } else if (device.Playing(kLaunch)) {
        Follow(kLaunch, launchPoint, kLaunchVolume);
    }
    spawnedLastFrame = spawned;
    explosionAgeMs = std::fmin(explosionAgeMs + stepMs, 1e6f);
    const bool burst = shot.exploded && (!wasExploded || spawned) && !shot.points.empty();
    wasExploded = shot.exploded;
    if (burst && (explosionAgeMs > kExplosionGapMs || !device.Playing(kExplosion))) {
        burstPoint = shot.points[0];
        explosionAgeMs = 0;
        Play(kExplosion, burstPoint, kBurstVolume);
    } else if (device.Playing(kExplosion)) {
        Follow(kExplosion, burstPoint, kBurstVolume);
    }
}
