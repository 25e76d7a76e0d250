#include "app/Globals.h"

#include "app/AppState.h"
#include "app/GameSounds.h"
#include "effects/Shot.h"
#include "image/TextureManager.h"
#include "platform/ErrorLog.h"
#include "platform/GLWindow.h"
#include "platform/InputDevices.h"
#include "terrain/Landscape.h"
#include "vehicle/Vehicle.h"

// C++ orders construction only within one translation unit: keep these together.
ErrorLog errorLog;
GLWindow glWindow;
TextureManager textureManager;
AppState appState;
Landscape landscape;
Vehicle firstTank;
Vehicle secondTank;
Shot shot;
// Beyond the described eight: constructed last, so it goes first at exit and
// stops the audio thread before the tanks and the shot it reads are gone.
GameSounds gameSounds;

InputDevices* inputDevices = nullptr;
