#include "app/PlayerCommands.h"

#include "platform/GameControllers.h"
#include "platform/InputDevices.h"

#include <algorithm>
#include <cmath>

namespace {
// A stick's position past the dead zone, scaled back to 0 to 1 beyond it.
float PastDeadZone(float position) {
    constexpr float deadZone = 0.25f;
    const float beyond = std::fabs(position) - deadZone;
    return beyond > 0 ? std::copysign(beyond / (1 - deadZone), position) : 0.0f;
}
} // namespace

PlayerCommands ReadKeyboardAndMouse(InputDevices& input) {
    input.ReadKeyboard();
    input.ReadMouse();
    return {
        .quit = input.KeyDown(DIK_ESCAPE) != 0,
        .forward = input.KeyDown(DIK_UP) != 0,
        .backward = input.KeyDown(DIK_DOWN) != 0,
        .steerLeft = input.KeyDown(DIK_LEFT) != 0,
        .steerRight = input.KeyDown(DIK_RIGHT) != 0,
        .switchTerrain = input.KeyPressed(DIK_H) != 0,
        .rebuild = input.KeyDown(DIK_R) != 0,
        .resetTank = input.KeyDown(DIK_Q) != 0,
        .turretTurn = static_cast<float>(input.mouseDeltaX),
        .gunTurn = static_cast<float>(input.mouseDeltaY),
        .fire = input.leftButton == 1,
        .switchCamera = input.ButtonPressed(1) != 0,
    };
}

PlayerCommands ReadControllers(GameControllers& pads, int32_t elapsedMs) {
    using Pad = GameControllers;
    pads.Read();
    if (pads.Count() == 0)
        return {};
    const float driveX = PastDeadZone(pads.Position(Pad::kLeftX));
    const float driveY = PastDeadZone(pads.Position(Pad::kLeftY));
    // A stall does not swing the gun round.
    constexpr float degreesPerMs = 0.12f, longestStepMs = 100.0f;
    const float turn = degreesPerMs * std::min(float(elapsedMs), longestStepMs);
    return {
        .quit = pads.Down(Pad::kBack),
        .forward = driveY < 0 || pads.Down(Pad::kDpadUp),
        .backward = driveY > 0 || pads.Down(Pad::kDpadDown),
        .steerLeft = driveX < 0 || pads.Down(Pad::kDpadLeft),
        .steerRight = driveX > 0 || pads.Down(Pad::kDpadRight),
        .switchTerrain = pads.Pressed(Pad::kY),
        .resetTank = pads.Down(Pad::kX),
        .turretTurn = PastDeadZone(pads.Position(Pad::kRightX)) * turn,
        .gunTurn = PastDeadZone(pads.Position(Pad::kRightY)) * turn,
        .fire = pads.Down(Pad::kRightTrigger) || pads.Down(Pad::kA),
        .switchCamera = pads.Pressed(Pad::kB) || pads.Pressed(Pad::kRightShoulder),
    };
}

PlayerCommands Merge(const PlayerCommands& a, const PlayerCommands& b) {
    return {
        .quit = a.quit || b.quit,
        .forward = a.forward || b.forward,
        .backward = a.backward || b.backward,
        .steerLeft = a.steerLeft || b.steerLeft,
        .steerRight = a.steerRight || b.steerRight,
        .switchTerrain = a.switchTerrain || b.switchTerrain,
        .rebuild = a.rebuild || b.rebuild,
        .resetTank = a.resetTank || b.resetTank,
        .turretTurn = a.turretTurn + b.turretTurn,
        .gunTurn = a.gunTurn + b.gunTurn,
        .fire = a.fire || b.fire,
        .switchCamera = a.switchCamera || b.switchCamera,
    };
}
