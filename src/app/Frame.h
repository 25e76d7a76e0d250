#pragma once

// Sets the scene to its start state: GL state, camera, tanks, landscape, tick base.
void InitScene();

// One frame: input, camera, drawing, updates, chase camera and timing.
void RenderFrame();

// Frame step: perspective projection for the window, cleared buffers, and the
// view from the camera of the previous frame.
void SetProjectionAndView();

// The frame's own switches: zero at start, never reset by InitScene.
extern unsigned char effectActive; // set by the first left click, never cleared
extern unsigned char turretView;   // the chase camera follows the turret, not the hull
extern float secondTankToggle;     // the second tank accelerates when it flips to 1
