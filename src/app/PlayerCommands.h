#pragma once

#include <cstdint>

class GameControllers;
class InputDevices;

// What the player asks for in one frame, from every device together. Each
// device has its reader; the frame merges what they read and applies it once,
// in the order of the fields. A control is added here, in the readers, in
// Merge and in the frame's apply step, and nowhere else.
struct PlayerCommands {
    bool quit = false;          // post a close, handled after the frame
    bool forward = false;       // accelerate the tank forward
    bool backward = false;      // and backward: both, when both are asked
    bool steerLeft = false;     // steer the tank
    bool steerRight = false;    //
    bool switchTerrain = false; // flip fine terrain and rebuild (once a press)
    bool rebuild = false;       // rebuild the scene (every frame while held)
    bool resetTank = false;     // put the tank back at its start
    float turretTurn = 0;       // degrees off the turret's angle: to the right
    float gunTurn = 0;          // degrees onto the gun's angle: downwards
    bool fire = false;          // spawn the shot (every frame while held)
    bool switchCamera = false;  // chase camera between hull and turret (once a press)
};

// Reads the keyboard and the mouse, then what they ask for: the arrows, R, Q,
// Escape and the left button while held, H and the right button once a press,
// a degree of turn a mouse count.
PlayerCommands ReadKeyboardAndMouse(InputDevices& input);

// Reads the controllers, then what they ask for: the left stick or the d-pad
// as the arrows, the right stick as the mouse (full deflection turns 120
// degrees a second over elapsedMs), the buttons as the keys and mouse buttons
// beside them on the info panel. Nothing without a controller.
PlayerCommands ReadControllers(GameControllers& pads, int32_t elapsedMs);

// Both devices' commands as one: a command asked by either is asked once; turns add up.
PlayerCommands Merge(const PlayerCommands& a, const PlayerCommands& b);
