#pragma once

// The program's global objects, constructed in this order before WinMain and
// destroyed in reverse at exit (the log last, so every destructor may still log).
class ErrorLog;
class GLWindow;
class TextureManager;
struct AppState;
class Landscape;
class Vehicle;
class Shot;
class InputDevices;

extern ErrorLog errorLog;
extern GLWindow glWindow;
extern TextureManager textureManager;
extern AppState appState;
extern Landscape landscape;
extern Vehicle firstTank;  // driven by the user
extern Vehicle secondTank; // drives in circles by itself
extern Shot shot;

// Created by WinMain, deleted by the window procedure when the window closes.
extern InputDevices* inputDevices;
