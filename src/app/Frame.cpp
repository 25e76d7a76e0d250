#include "app/Frame.h"

#include "app/AppState.h"
#include "app/Globals.h"

#include <GL/gl.h>
#include <SDL.h>

void InitScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    appState.lastTick = SDL_GetTicks();
}

void RenderFrame() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
}
