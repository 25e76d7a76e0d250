// Fires thousands of shots into the ground and reports whether memory and the
// number of display lists stay flat, and what one frame of an exploded shot
// costs (update, sprites and ribbon, drawn by the current OpenGL driver).

#include "effects/EffectsTestSupport.h"
#include "effects/Shot.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <malloc.h>
#include <unistd.h>

namespace {
// Bytes the heap has handed out and not had back.
size_t HeapInUse() {
    return mallinfo2().uordblks;
}

// Resident memory of the process in kilobytes.
long ResidentKb() {
    long pages = 0, resident = 0;
    if (FILE* f = std::fopen("/proc/self/statm", "r")) {
        if (std::fscanf(f, "%ld %ld", &pages, &resident) != 2)
            resident = 0;
        std::fclose(f);
    }
    return resident * (sysconf(_SC_PAGESIZE) / 1024);
}

void BM_ShotImpactSoak(benchmark::State& state) {
    GLTestContext gl;
    if (!gl.ok() || !PrepareEffectsScene()) {
        state.SkipWithError("no OpenGL context or no ground");
        return;
    }
    Shot shot;
    for (int i = 0; i < 1000; ++i) // let the driver's buffers settle
        FireShotIntoTheGround(shot, i);
    glFinish();
    const double heapBefore = static_cast<double>(HeapInUse());
    const double residentBefore = static_cast<double>(ResidentKb());
    uint32_t highestList = 0;
    int i = 0;
    for (auto _ : state) {
        FireShotIntoTheGround(shot, i++);
        highestList = std::max({highestList, shot.burst.displayList, shot.plume.displayList});
        if (i % 100 == 0)
            glFinish();
    }
    glFinish();
    state.counters["heap_kb_before"] = heapBefore / 1024;
    state.counters["heap_kb_after"] = static_cast<double>(HeapInUse()) / 1024;
    state.counters["rss_kb_before"] = residentBefore;
    state.counters["rss_kb_after"] = static_cast<double>(ResidentKb());
    state.counters["live_lists"] = LiveDisplayLists(highestList);
    state.counters["highest_list"] = highestList;
    shot.burst.Release();
    shot.plume.Release();
    landscape.Unload();
}
BENCHMARK(BM_ShotImpactSoak)->Iterations(20000)->Unit(benchmark::kMicrosecond);

void BM_ExplodedShotFrame(benchmark::State& state) {
    GLTestContext gl;
    if (!gl.ok() || !PrepareEffectsScene()) {
        state.SkipWithError("no OpenGL context or no ground");
        return;
    }
    appState.cameraAngles = Vector4(25, 0, 0);
    appState.cameraPosition = Vector4(-1000, -330, -2500);
    glMatrixMode(GL_PROJECTION);
    glLoadIdentity();
    glFrustum(-7.5, 7.5, -5.6, 5.6, 10, 20000);
    glMatrixMode(GL_MODELVIEW);
    Shot shot;
    FireShotIntoTheGround(shot, 0);
    for (auto _ : state) {
        shot.Update(16);
        shot.DrawTrail();
        glFinish();
    }
    shot.burst.Release();
    shot.plume.Release();
    landscape.Unload();
}
BENCHMARK(BM_ExplodedShotFrame)->Unit(benchmark::kMicrosecond);
} // namespace

BENCHMARK_MAIN();
