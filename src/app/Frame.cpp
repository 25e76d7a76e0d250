#include "app/Frame.h"

#include "app/GameSounds.h"
#include "app/PlayerCommands.h"
#include "effects/Shot.h"
#include "image/TextureManager.h"
#include "math/Matrix4.h"
#include "platform/GLWindow.h"
#include "platform/GameControllers.h"
#include "platform/InputDevices.h"
#include "platform/OperatingSystem.h"
#include "state/AppState.h"
#include "terrain/Landscape.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <GL/glu.h>

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

// What the player asked for, in the frame's order: the keys' table, then the
// mouse's turn, fire and camera switch.
void Apply(const PlayerCommands& commands) {
    if (commands.quit)
        PostWindowMessage(glWindow.window, WM_CLOSE); // handled after this frame
    if (commands.forward)
        firstTank.Accelerate(true);
    if (commands.backward)
        firstTank.Accelerate(false);
    if (commands.steerLeft)
        firstTank.Steer(true);
    if (commands.steerRight)
        firstTank.Steer(false);
    if (commands.switchTerrain)
        SwitchFineTerrain();
    if (commands.rebuild)
        RebuildScene();
    if (commands.resetTank)
        PutTankBack();
    firstTank.turret.rotation.z -= commands.turretTurn;
    firstTank.barrel.rotation.y += commands.gunTurn;
    if (commands.fire)
        Fire();
    if (commands.switchCamera)
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
    uint32_t now = TickCount();
    appState.elapsedMs = static_cast<int32_t>(now - appState.lastTick);
    // Two frame ends in one tick would make a zero time step, which the motion divides by.
    if (appState.elapsedMs < 1)
        appState.elapsedMs = 1;
    appState.lastTick = TickCount();
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

    appState.lastTick = TickCount();
}

void RenderFrame() {
    // Every device read, in this order, then what they ask for applied once.
    const PlayerCommands keysAndMouse = ReadKeyboardAndMouse(*inputDevices);
    Apply(Merge(keysAndMouse, ReadControllers(gameControllers, appState.elapsedMs)));
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
