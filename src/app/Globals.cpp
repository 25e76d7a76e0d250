#include "app/GameSounds.h"
#include "effects/Shot.h"
#include "image/TextureManager.h"
#include "platform/ErrorLog.h"
#include "platform/GLWindow.h"
#include "platform/InputDevices.h"
#include "state/AppState.h"
#include "terrain/Landscape.h"
#include "vehicle/Vehicle.h"

// The program's global objects, each declared with its own class. C++ orders
// construction only within one translation unit, so they are defined together
// here, in this order, and destroyed in reverse at exit (the log last).
ErrorLog errorLog;
GLWindow glWindow;
TextureManager textureManager;
AppState appState;
Landscape landscape;
Vehicle firstTank;
Vehicle secondTank;
Shot shot;
// The sound comes last: built after the others, it goes first at exit and stops
// the audio thread before the tanks and the shot it reads are gone.
GameSounds gameSounds;

InputDevices* inputDevices = nullptr;
