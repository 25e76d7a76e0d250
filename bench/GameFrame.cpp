// The whole program's costs on this machine: start-up to the first frame on
// the screen (with and without the terrain cache), one frame of the full
// scene against a frame that only clears and swaps, heap allocations per frame
// (with the sound playing through SDL's dummy output),
// and resident memory over many rebuilds.
//
//   bench_GameFrame                  everything below (needs an X display)
//   bench_GameFrame --start DIR      one start-up in DIR; prints its times

#include "BenchClock.h"
#include "app/Frame.h"
#include "app/GameSounds.h"
#include "app/TextureTable.h"
#include "app/WindowProc.h"
#include "effects/Shot.h"
#include "image/TextureManager.h"
#include "platform/ErrorLog.h"
#include "platform/GLWindow.h"
#include "platform/InputDevices.h"
#include "state/AppState.h"
#include "support/GameStart.h"
#include "support/counting/AllocationCounter.h"
#include "terrain/Landscape.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
double ResidentMiB() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * double(sysconf(_SC_PAGESIZE)) / (1024.0 * 1024.0);
}

// One start-up in its own process, as the program would make it: prints the
// time to the first presented frame, measured from the process's exec.
int StartChild(const char* dir, double spawned) {
    fs::current_path(dir);
    StartGameWithoutDialog();
    glWindow.Frame();
    glFinish();
    std::printf("%.3f\n", (Now() - spawned) * 1000.0);
    return 0;
}

double TimeStart(const fs::path& self, const fs::path& dir) {
    const double spawned = Now();
    std::string command =
        self.string() + " --start " + dir.string() + " " + std::to_string(spawned) + " 2>/dev/null";
    FILE* child = popen(command.c_str(), "r");
    double ms = -1;
    if (child == nullptr || std::fscanf(child, "%lf", &ms) != 1)
        ms = -1;
    if (child != nullptr)
        pclose(child);
    return ms;
}

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v[v.size() / 2];
}

void StartUpTimes(const fs::path& self) {
    const fs::path data = fs::path(ZEZIVOZE_BINARY_DIR) / "data";
    const fs::path dir = fs::temp_directory_path() / ("zezivoze-bench-" + std::to_string(getpid()));
    std::vector<double> cold, warm;
    for (int i = 0; i < 5; ++i) {
        fs::remove_all(dir);
        fs::copy(data, dir, fs::copy_options::recursive);
        fs::remove(dir / "textures/landscpf.dat");
        cold.push_back(TimeStart(self, dir)); // makes the cache
        warm.push_back(TimeStart(self, dir)); // reads it
    }
    fs::remove_all(dir);
    std::printf("start-up to the first frame presented (median of 5):\n");
    std::printf("  without a terrain cache  %8.1f ms\n", Median(cold));
    std::printf("  with the terrain cache   %8.1f ms\n", Median(warm));
}

double MillisecondsPerFrame(void (*frame)(), int frames) {
    frame();
    glFinish();
    const double start = Now();
    for (int i = 0; i < frames; ++i)
        frame();
    glFinish();
    return (Now() - start) * 1000.0 / frames;
}

void ClearAndSwap() {
    glClear(GL_COLOR_BUFFER_BIT | GL_DEPTH_BUFFER_BIT);
    glWindow.SwapBuffers();
}

void FullFrame() {
    glWindow.Frame();
}

// Parts of the frame on their own, each from the frame's projection and view.
void DrawLandscape() {
    SetProjectionAndView();
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    landscape.Draw();
    glWindow.SwapBuffers();
}

void DrawTanks() {
    SetProjectionAndView();
    glDisable(GL_BLEND);
    glDepthMask(GL_TRUE);
    glEnable(GL_TEXTURE_2D);
    glEnable(GL_DEPTH_TEST);
    firstTank.Draw();
    secondTank.Draw();
    glWindow.SwapBuffers();
}

void DrawShot() {
    SetProjectionAndView();
    glEnable(GL_BLEND);
    glDepthMask(GL_FALSE);
    shot.Update(16.0f);
    shot.DrawTrail();
    glDepthMask(GL_TRUE);
    glWindow.SwapBuffers();
}

void InGame() {
    const fs::path dir = fs::temp_directory_path() / ("zezivoze-bench-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::copy(fs::path(ZEZIVOZE_BINARY_DIR) / "data", dir, fs::copy_options::recursive);
    fs::current_path(dir);
    StartGameWithoutDialog();
    setenv("SDL_AUDIODRIVER", "dummy", 0); // the sound is mixed, nobody hears it
    gameSounds.Start();

    // A shot fired down at the ground next to the tank, updated until it bursts.
    for (int i = 0; i < 30; ++i)
        glWindow.Frame();
    firstTank.barrel.rotation.y = 25;
    firstTank.UpdateGeometry();
    effectActive = 1;
    shot.Spawn(firstTank.muzzlePoint, firstTank.shotVelocity, 60);
    gameSounds.ShotSpawned();
    for (int i = 0; i < 200 && !shot.exploded; ++i)
        glWindow.Frame();
    std::printf("\none frame, fine terrain, both tanks, %s shot, no pacing (640 x 480):\n",
                shot.exploded ? "an exploded" : "a flying (did not explode!)");
    const double clear = MillisecondsPerFrame(ClearAndSwap, 200);
    const double full = MillisecondsPerFrame(FullFrame, 200);
    std::printf("  clear and swap only      %8.2f ms\n", clear);
    std::printf("  the whole frame          %8.2f ms\n", full);
    std::printf("  the scene's own share    %8.2f ms\n", full - clear);
    std::printf("  of which, drawn alone after the frame's view (each with its swap):\n");
    std::printf("    terrain and water      %8.2f ms\n", MillisecondsPerFrame(DrawLandscape, 200));
    std::printf("    both tanks             %8.2f ms\n", MillisecondsPerFrame(DrawTanks, 200));
    std::printf("    the shot               %8.2f ms\n", MillisecondsPerFrame(DrawShot, 200));

    long before = AllocationCount();
    for (int i = 0; i < 500; ++i)
        glWindow.Frame();
    std::printf("\nheap allocations (operator new) per frame in steady state, sound %s: %.2f\n",
                gameSounds.device.IsOpen() ? "playing" : "off (no output!)",
                double(AllocationCount() - before) / 500.0);

    // Rebuilds, as holding R does: one per frame; read at a few points on the
    // way, and on to 1000, to tell a slow leak from a pool that has settled.
    inputDevices->keyState[DIK_R] = 0x80;
    glWindow.Frame();
    const double first = ResidentMiB();
    std::printf("\nresident memory over rebuilds (first: %.1f MiB):\n", first);
    double at500 = first;
    for (int i = 2; i <= 1000; ++i) {
        glWindow.Frame();
        if (i == 100 || i == 250 || i == 500 || i == 1000) {
            const double now = ResidentMiB();
            std::printf("  after %4d               %8.1f MiB (%+.2f MiB)\n", i, now, now - first);
            if (i == 500)
                at500 = now;
        }
    }
    inputDevices->keyState[DIK_R] = 0;
    std::printf("  goal: after 500 within 1 MiB of the first: %s; texture slots used: %d\n",
                at500 - first <= 1.0 ? "met" : "NOT met", textureManager.count);
    WindowProc(glWindow.window, WM_CLOSE, 0, 0);
    gameSounds.Stop();
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--start") == 0)
        return StartChild(argv[2], std::atof(argv[3]));
    StartUpTimes(fs::canonical("/proc/self/exe"));
    InGame();
    return 0;
}
