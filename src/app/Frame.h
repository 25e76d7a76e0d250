#pragma once

// Sets the scene to its start state: GL state, camera, tanks, landscape, tick base.
void InitScene();

// One frame: input, camera, drawing, updates, chase camera and timing.
void RenderFrame();
