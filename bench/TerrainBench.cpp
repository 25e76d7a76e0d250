#include "image/BmpWriter.h"
#include "image/TextureManager.h"
#include "platform/GLWindow.h"
#include "state/AppState.h"
#include "support/TestSupport.h"
#include "terrain/Landscape.h"
#include "terrain/LoadingScreen.h"
#include "terrain/TerrainBlend.h"
#include "terrain/TerrainCache.h"

#include <SDL.h>
#include <benchmark/benchmark.h>
#include <cmath>
#include <cstdio>
#include <memory>
#include <vector>

namespace {
// A 256 x 256 map with hills and valleys through every band, and three busy sources.
struct BlendInput {
    std::vector<uint8_t> map, low, middle, high;
    HeightField field;
    TerrainSources sources;
    BlendInput() : map(256 * 256), low(256 * 256 * 3), middle(low.size()), high(low.size()) {
        for (int r = 0; r < 256; ++r)
            for (int c = 0; c < 256; ++c)
                map[r * 256 + c] =
                    uint8_t(127.5 + 127.0 * std::sin(r * 0.05) * std::cos(c * 0.037));
        for (size_t i = 0; i < low.size(); ++i) {
            low[i] = uint8_t(i * 7), middle[i] = uint8_t(i * 13 + 5), high[i] = uint8_t(i * 29 + 1);
        }
        field = HeightField{map.data(), 256, 256};
        sources = TerrainSources{low.data(), middle.data(), high.data()};
    }
};

void Blend(benchmark::State& state) {
    static const BlendInput input;
    std::vector<uint8_t> tiles(kTerrainBytes);
    const int32_t tileSize = int32_t(state.range(0));
    const int threads = int(state.range(1));
    for (auto _ : state) {
        BlendTerrainTiles(input.field, input.sources, tileSize, tiles.data(), {}, threads);
        benchmark::DoNotOptimize(tiles.data());
    }
}

// A data folder (the working directory) with the height map and the pictures,
// a real window and context whose loading screens are presented, and the
// terrain's textures in the global table.
struct LoadScene {
    TempDir dir{true};
    GLTestContext gl;
    Landscape land;

    LoadScene() {
        static const BlendInput input;
        std::vector<uint8_t> grey(input.map.begin(), input.map.end());
        WriteBinaryFile("textures/landscp.bmp", EncodeHeightMapBmp(256, 256, grey));
        auto rgb = [](const std::vector<uint8_t>& pixels) { return pixels; };
        WriteBinaryFile("textures/landscpt.bmp", EncodeBmp24(256, 256, rgb(input.low)));
        WriteBinaryFile("textures/landscpt2.bmp", EncodeBmp24(256, 256, rgb(input.middle)));
        WriteBinaryFile("textures/landscpt3.bmp", EncodeBmp24(256, 256, rgb(input.high)));
        for (const char* name : {"textures/info.bmp", "textures/water.bmp", "textures/trail.bmp"})
            WriteBinaryFile(name, EncodeBmp24(4, 4, std::vector<uint8_t>(48, 200)));
        glWindow.deviceContext = static_cast<WindowHandle>(SDL_GL_GetCurrentWindow());
        textureManager.Create(256);
        for (const char* name :
             {"textures/landscpt.bmp", "textures/landscpt2.bmp", "textures/landscpt3.bmp",
              "textures/info.bmp", "textures/water.bmp", "textures/trail.bmp"})
            textureManager.LoadFromFile(name);
        appState.fineTerrain = 1;
    }
};

LoadScene& Scene() {
    static LoadScene scene;
    return scene;
}

// A whole landscape load (height map, quadtree, tiles) with the cache missing
// (blend, loading screens, upload, cache written) or matching (read, upload).
void Load(benchmark::State& state, bool cold) {
    LoadScene& scene = Scene();
    appState.largeTerrainTexture = state.range(0) == 1024;
    scene.land.Unload();
    scene.land.Load("textures/landscp.bmp"); // the slots exist and the cache matches
    for (auto _ : state) {
        state.PauseTiming();
        scene.land.Unload();
        if (cold)
            std::remove(kTerrainCacheFile);
        state.ResumeTiming();
        scene.land.Load("textures/landscp.bmp");
    }
}

void ColdLoad(benchmark::State& state) {
    Load(state, true);
}

void WarmLoad(benchmark::State& state) {
    Load(state, false);
}

// One loading screen, drawn and presented.
void LoadingScreen(benchmark::State& state) {
    Scene();
    for (auto _ : state)
        DrawLoadingScreen(0.5f, true);
}
} // namespace

// The 1024 x 1024 picture; threads 0 = every core, 1 = one.
BENCHMARK(Blend)
    ->ArgNames({"tile", "threads"})
    ->Args({1024, 0})
    ->Args({256, 0})
    ->Args({1024, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

// Tile size 1024 or 256; the height map is 256 x 256.
BENCHMARK(ColdLoad)
    ->ArgName("tile")
    ->Arg(1024)
    ->Arg(256)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();
BENCHMARK(WarmLoad)
    ->ArgName("tile")
    ->Arg(1024)
    ->Arg(256)
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK(LoadingScreen)->Unit(benchmark::kMillisecond)->UseRealTime();

BENCHMARK_MAIN();
