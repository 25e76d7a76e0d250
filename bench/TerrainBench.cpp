#include "terrain/TerrainBlend.h"

#include <benchmark/benchmark.h>
#include <cmath>
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
} // namespace

// The 1024 x 1024 picture; threads 0 = every core, 1 = one.
BENCHMARK(Blend)
    ->ArgNames({"tile", "threads"})
    ->Args({1024, 0})
    ->Args({256, 0})
    ->Args({1024, 1})
    ->Unit(benchmark::kMillisecond)
    ->UseRealTime();

BENCHMARK_MAIN();
