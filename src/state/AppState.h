#pragma once

#include "math/Vector4.h"

#include <cstdint>

// The values that the frame, the camera, the dialog and the timing share.
struct AppState {
    AppState();

    Vector4 cameraPosition; // negated eye position, world units
    Vector4 cameraAngles;   // x = pitch, y = yaw, degrees; z is never applied
    unsigned char fineTerrain;
    unsigned char fullscreen;
    unsigned char largeTerrainTexture;
    int32_t bitsPerPixel;
    uint32_t lastTick;
    int32_t elapsedMs; // time step of the next updates; 50 before the first frame is measured
    Vector4 gravity;
    Vector4 wind;
};

// The program's one state object.
extern AppState appState;
