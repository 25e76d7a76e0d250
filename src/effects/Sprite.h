#pragma once

#include "math/Vector4.h"

#include <cstdint>

// A small textured square that always faces the viewer.
struct Sprite {
    // Draws on the current matrix, which the caller has made the modelview
    // matrix and pushed.
    void Draw() const;

    uint32_t displayList = 0; // the square, shared by all sprites of one effect
    Vector4 position;         // centre, world units
    Vector4 velocity;         // world units per 50 ms step
    uint8_t colour[4] = {0, 0, 0, 0};
    float angle = 0; // roll about the viewing axis, degrees; nothing sets it yet
};

// Loads the camera's view (pitch, yaw, then the negated eye position) into the
// current matrix.
void LoadCameraTransform();

// Compiles the 30 x 30 sprite square into a new display list and returns it.
uint32_t CompileSpriteSquare();
// Deletes a list made by CompileSpriteSquare (0 means none) and clears it.
void DeleteSpriteSquare(uint32_t& displayList);

// The direction of v: x, y, z divided by sqrt(Dot(v, v)) taken in single
// precision, as the ribbons and streaks are laid out. A zero vector has no
// direction and stays zero (no NaN).
Vector4 EffectDirection(const Vector4& v);
