// The vehicles' per-frame work: the motion step over a full-size terrain (box,
// ground search through the quadtree, contact, catch) and the geometry alone.
#include "model/ModelFiles.h"

#include "state/AppState.h"
#include "support/TestSupport.h"
#include "terrain/Landscape.h"
#include "terrain/TerrainTestSupport.h"
#include "vehicle/Vehicle.h"

#include <benchmark/benchmark.h>
#include <cmath>

namespace {
// The triangles in a vehicle's ground list (the nodes before the end node).
int CountTriangles(const Vehicle& vehicle) {
    int count = 0;
    for (const GroundTriangle* node = vehicle.groundTriangles; node->next != nullptr;
         node = node->next)
        ++count;
    return count;
}

struct Scene {
    Scene() {
        appState.gravity = Vector4(0, -0.01f, 0);
        appState.fineTerrain = 1;
        FillHeightMap(
            landscape, 256, 256,
            [](int32_t r, int32_t c) {
                return uint8_t(128 + 60 * std::sin(r * 0.05) * std::cos(c * 0.07));
            },
            true);
        WriteTestTank(dir.path().string());
        tank.Load();
        tank.Rotate(270, 0, 0);
    }
    TempDir dir{true};
    Vehicle tank;
};

Scene& TheScene() {
    static Scene scene;
    return scene;
}

void BM_VehicleUpdate(benchmark::State& state) {
    Vehicle& tank = TheScene().tank;
    tank.SetPosition(1000, 20, 1000);
    int frame = 0;
    long triangles = 0;
    for (auto _ : state) {
        tank.Accelerate(true);
        tank.Steer(true);
        tank.Update(16);
        if (++frame % 2000 == 0)
            tank.SetPosition(1000, 20, 1000); // stay over the map
        triangles += CountTriangles(tank);
    }
    state.counters["triangles"] =
        benchmark::Counter(double(triangles), benchmark::Counter::kAvgIterations);
}
BENCHMARK(BM_VehicleUpdate);

void BM_VehicleGeometry(benchmark::State& state) {
    Vehicle& tank = TheScene().tank;
    for (auto _ : state) {
        tank.turret.rotation.z += 1;
        tank.UpdateGeometry();
        benchmark::DoNotOptimize(tank.muzzlePoint);
    }
}
BENCHMARK(BM_VehicleGeometry);
} // namespace

BENCHMARK_MAIN();
