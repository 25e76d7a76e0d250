#include "app/Frame.h"

#include "app/GameSounds.h"
#include "effects/Shot.h"
#include "image/TextureManager.h"
#include "math/Matrix4.h"
#include "platform/GLWindow.h"
#include "platform/GameControllers.h"
#include "platform/InputDevices.h"
#include "state/AppState.h"
#include "terrain/Landscape.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <SDL.h>
#include <algorithm>
#include <cmath>

unsigned char effectActive = 0;
unsigned char turretView = 0;
float secondTankToggle = 0.0f;

namespace {
void RebuildScene() {
    landscape.Unload();
    firstTank.Release();
    InitScene();
}

void SwitchFineTerrain() {
    appState.fineTerrain = appState.fineTerrain != 1 ? 1 : 0;
    RebuildScene();
}

void PutTankBack() {
    firstTank.body.position.x = 5;
    firstTank.body.position.y = 50;
    firstTank.body.position.z = 5;
}

void Fire() {
    effectActive = 1;
    shot.Spawn(firstTank.muzzlePoint, firstTank.shotVelocity, 60);
    shot.colour[0] = shot.colour[1] = shot.colour[2] = 255;
    gameSounds.ShotSpawned();
}

void HandleKeyboard() {
    inputDevices->ReadKeyboard();
    if (inputDevices->KeyDown(DIK_ESCAPE))
        PostWindowMessage(glWindow.window, WM_CLOSE); // handled after this frame
    if (inputDevices->KeyDown(DIK_UP))
        firstTank.Accelerate(true);
    if (inputDevices->KeyDown(DIK_DOWN))
        firstTank.Accelerate(false);
    if (inputDevices->KeyDown(DIK_LEFT))
        firstTank.Steer(true);
    if (inputDevices->KeyDown(DIK_RIGHT))
        firstTank.Steer(false);
    // A switch: once a press, however long it is held.
    if (inputDevices->KeyPressed(DIK_H))
        SwitchFineTerrain();
    if (inputDevices->KeyDown(DIK_R))
        RebuildScene();
    if (inputDevices->KeyDown(DIK_Q))
        PutTankBack();
}

void HandleMouse() {
    inputDevices->ReadMouse();
    firstTank.turret.rotation.z -= static_cast<float>(inputDevices->mouseDeltaX);
    firstTank.barrel.rotation.y += static_cast<float>(inputDevices->mouseDeltaY);
    if (inputDevices->leftButton == 1)
        Fire();
    if (inputDevices->ButtonPressed(1)) // a switch, like H
        turretView = !turretView;
}

// A stick's position past the dead zone, scaled back to 0 to 1 beyond it.
float PastDeadZone(float position) {
    constexpr float deadZone = 0.25f;
    const float beyond = std::fabs(position) - deadZone;
    return beyond > 0 ? std::copysign(beyond / (1 - deadZone), position) : 0.0f;
}

// The controller does what the keys and the mouse do: the left stick or the
// d-pad as the arrows, the right stick as the mouse at a rate, the buttons as
// the keys and mouse buttons beside them on the info panel.
void HandleController() {
    using Pad = GameControllers;
    gameControllers.Read();
    if (gameControllers.Count() == 0)
        return;
    const Pad& pad = gameControllers;
    if (pad.Down(Pad::kBack))
        PostWindowMessage(glWindow.window, WM_CLOSE);
    const float driveX = PastDeadZone(pad.Position(Pad::kLeftX));
    const float driveY = PastDeadZone(pad.Position(Pad::kLeftY));
    if (driveY < 0 || pad.Down(Pad::kDpadUp))
        firstTank.Accelerate(true);
    if (driveY > 0 || pad.Down(Pad::kDpadDown))
        firstTank.Accelerate(false);
    if (driveX < 0 || pad.Down(Pad::kDpadLeft))
        firstTank.Steer(true);
    if (driveX > 0 || pad.Down(Pad::kDpadRight))
        firstTank.Steer(false);
    if (pad.Pressed(Pad::kY))
        SwitchFineTerrain();
    if (pad.Down(Pad::kX))
        PutTankBack();
    // Full deflection turns 120 degrees a second; a stall does not swing the gun round.
    constexpr float degreesPerMs = 0.12f, longestStepMs = 100.0f;
    const float turn = degreesPerMs * std::min(float(appState.elapsedMs), longestStepMs);
    firstTank.turret.rotation.z -= PastDeadZone(pad.Position(Pad::kRightX)) * turn;
    firstTank.barrel.rotation.y += PastDeadZone(pad.Position(Pad::kRightY)) * turn;
    if (pad.Down(Pad::kRightTrigger) || pad.Down(Pad::kA))
        Fire();
    if (pad.Pressed(Pad::kB) || pad.Pressed(Pad::kRightShoulder))
        turretView = !turretView;
}

} // namespace

void SetProjectionAndView() {
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glViewport(0, 0, glWindow.width, glWindow.height);
    gluPerspective(45.0, double(glWindow.width) / double(glWindow.height), 1.0, 3000.0);
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glRotatef(appState.cameraAngles.x, 1, 0, 0);
    glRotatef(appState.cameraAngles.y, 0, 1, 0);
    glTranslatef(appState.cameraPosition.x, appState.cameraPosition.y, appState.cameraPosition.z);
}

namespace {
void BindByName(const char* fileName) {
    textureManager.Bind(textureManager.FindByName(fileName));
}

// The 2D coordinates are those of the 640 x 480 picture whatever the window size.
void DrawPanel() {
    glDepthMask(GL_TRUE);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);
    glEnable(GL_BLEND);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    gluOrtho2D(0, 640, 0, 480);
    glMatrixMode(GL_MODELVIEW);
    glLoadIdentity();
    glDisable(GL_DEPTH_TEST);
    BindByName("textures/info.bmp");
    glBegin(GL_QUADS);
    glColor4ub(255, 255, 255, 255);
    glTexCoord2f(0, 0);
    glVertex2f(0, 352);
    glTexCoord2f(1, 0);
    glVertex2f(128, 352);
    glTexCoord2f(1, 1);
    glVertex2f(128, 480);
    glTexCoord2f(0, 1);
    glVertex2f(0, 480);
    glEnd();
}

void PlaceChaseCamera() {
    float heading = firstTank.body.rotation.z;
    if (turretView)
        heading += firstTank.turret.rotation.z;
    Matrix4 turn = Matrix4::Rotation(heading, Vector4(0, 1, 0));
    Vector4 eye = turn * Vector4(55.6f, -24.0f, 0.0f);
    const Vector4& position = firstTank.body.position;
    appState.cameraPosition.x = eye.x - 9 * position.x;
    appState.cameraPosition.y = eye.y - 9 * position.y;
    appState.cameraPosition.z = eye.z - 9 * position.z;
    appState.cameraPosition.w = eye.w;
    appState.cameraAngles.y = 89 - heading;
}

// Under water (eye above 512 world units means cameraPosition.y below -512).
void DrawTint() {
    if (!(appState.cameraPosition.y < -512.0f))
        return;
    glDisable(GL_TEXTURE_2D);
    glBegin(GL_QUADS);
    glColor4ub(0, 64, 128, 128);
    glVertex2f(0, 0);
    glVertex2f(0, 480);
    glVertex2f(640, 480);
    glVertex2f(640, 0);
    glEnd();
}

void MeasureFrameTime() {
    uint32_t now = SDL_GetTicks();
    appState.elapsedMs = static_cast<int32_t>(now - appState.lastTick);
    // Two frame ends in one tick would make a zero time step, which the motion divides by.
    if (appState.elapsedMs < 1)
        appState.elapsedMs = 1;
    appState.lastTick = SDL_GetTicks();
}
} // namespace

void InitScene() {
    glClearColor(0.0f, 0.0f, 0.0f, 0.0f);
    glClearDepth(1.0);
    glDepthFunc(GL_LESS);
    glShadeModel(GL_SMOOTH);
    glBlendFunc(GL_SRC_ALPHA, GL_ONE);

    appState.cameraPosition.x = 24.3f;
    appState.cameraPosition.y = -388.2f;
    appState.cameraPosition.z = -44.3f;
    appState.cameraAngles.x = 5;
    appState.cameraAngles.y = 89;
    appState.cameraAngles.z = 0;

    appState.gravity.y = -0.01f;
    appState.wind.x = 0.01f;
    appState.wind.z = -0.03f;

    firstTank.Load();
    firstTank.Rotate(270, 0, 0);
    secondTank.Load();
    secondTank.Rotate(270, 0, 0);
    secondTank.SetPosition(100, 100, 100);

    landscape.Load(landscape.heightMapFile.c_str());

    appState.lastTick = SDL_GetTicks();
}

void RenderFrame() {
    HandleKeyboard();
    HandleMouse();
    HandleController();
    SetProjectionAndView();

    // Opaque pass.
    glDisable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    firstTank.Draw();
    secondTank.Draw();
    glEnable(GL_TEXTURE_2D);
    landscape.Draw();

    // Translucent pass: the shot, added onto the scene.
    glEnable(GL_BLEND);
    glDisable(GL_CULL_FACE);
    glDepthMask(GL_FALSE);
    if (effectActive) {
        shot.Update(static_cast<float>(appState.elapsedMs));
        BindByName("textures/trail.bmp");
        shot.DrawTrail();
    }

    DrawPanel();

    const float step = static_cast<float>(appState.elapsedMs);
    firstTank.Update(step);
    secondTankToggle = 1.0f - secondTankToggle;
    if (secondTankToggle == 1.0f)
        secondTank.Accelerate(true);
    secondTank.Steer(true);
    secondTank.Update(step);

    PlaceChaseCamera();
    gameSounds.Update(); // hears the frame's moves from the camera just placed
    DrawTint();
    MeasureFrameTime();
}
