#include "state/AppState.h"

AppState::AppState()
    : cameraPosition(0, 0, 0), cameraAngles(0, 0, 0), fineTerrain(0), fullscreen(0),
      largeTerrainTexture(0), bitsPerPixel(0), lastTick(0), elapsedMs(50), gravity(0, 0, 0),
      wind(0, 0, 0) {}
