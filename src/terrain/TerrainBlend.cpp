#include "terrain/TerrainBlend.h"

#include "image/RgbImage.h"
#include "platform/ErrorLog.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstring>
#include <system_error>
#include <thread>
#include <vector>

namespace {
constexpr float kTexelToMap = 0.0009765625f; // 1 / 1024
constexpr float kByteToUnit = 0.00390625f;   // 1 / 256

// With a single source at full weight the byte is a pure function of the source
// byte; adding the zero terms of the other two changes nothing, so the table
// gives exactly what BlendChannel does.
struct PureTable {
    std::array<uint8_t, 256> bytes;
    PureTable() {
        for (int v = 0; v < 256; ++v)
            bytes[v] = BlendChannel(uint8_t(v), 0, 0, BlendWeights{1.0f, 0.0f, 0.0f});
    }
};

uint8_t Clamped(float value) {
    return static_cast<uint8_t>(std::min(std::max(value, 0.0f), 1.0f) * 255.0f);
}

// Texels of one row of one tile. Only two sources ever carry weight at once, and
// x + 0 is exactly x, so the zero-weight term is skipped.
void BlendRow(const HeightField& field, const TerrainSources& sources,
              const SamplePosition* columns, int32_t tileSize, int32_t firstColumn, int32_t y,
              const PureTable& pure, uint8_t* out) {
    const SamplePosition rowPosition = LocateSample(field.height, float(y) * kTexelToMap);
    const size_t sourceRow = size_t(y % kSourceTexels) * kSourceTexels;
    for (int32_t px = 0; px < tileSize; ++px) {
        const int32_t x = firstColumn + px;
        const float h = SampleHeight(field, columns[x], rowPosition) * 0.5f;
        const size_t s = (sourceRow + size_t(x % kSourceTexels)) * 3;
        uint8_t* texel = out + size_t(px) * 3;
        auto pureTexel = [&](const uint8_t* source) {
            for (int k = 0; k < 3; ++k)
                texel[k] = pure.bytes[source[s + k]];
        };
        auto mixedTexel = [&](const uint8_t* a, float wa, const uint8_t* b, float wb) {
            for (int k = 0; k < 3; ++k)
                texel[k] = Clamped(float(a[s + k]) * kByteToUnit * wa +
                                   float(b[s + k]) * kByteToUnit * wb);
        };
        if (h < 33.0f) {
            pureTexel(sources.low);
        } else if (h < 63.0f) {
            const BlendWeights w = WeightsForHeight(h);
            mixedTexel(sources.low, w.low, sources.middle, w.middle);
        } else if (h < 88.0f) {
            pureTexel(sources.middle);
        } else if (h < 108.0f) {
            const BlendWeights w = WeightsForHeight(h);
            mixedTexel(sources.middle, w.middle, sources.high, w.high);
        } else {
            pureTexel(sources.high);
        }
    }
}

uint64_t Mix(uint64_t h, uint64_t word) {
    h ^= word;
    h *= 0x9E3779B97F4A7C15ull;
    return h ^ (h >> 29);
}

uint64_t HashBytes(uint64_t h, const uint8_t* data, size_t size) {
    h = Mix(h, size);
    size_t i = 0;
    for (; i + 8 <= size; i += 8) {
        uint64_t word;
        std::memcpy(&word, data + i, 8);
        h = Mix(h, word);
    }
    uint64_t tail = 0;
    if (i < size)
        std::memcpy(&tail, data + i, size - i);
    return Mix(h, tail);
}
} // namespace

uint8_t BlendChannel(uint8_t low, uint8_t middle, uint8_t high, const BlendWeights& w) {
    return Clamped(float(low) * kByteToUnit * w.low + float(middle) * kByteToUnit * w.middle +
                   float(high) * kByteToUnit * w.high);
}

bool ValidTileSize(int32_t tileSize) {
    return tileSize > 0 && tileSize <= kTerrainTexels && kTerrainTexels % tileSize == 0 &&
           (kTerrainTexels / tileSize) * (kTerrainTexels / tileSize) <= 64;
}

void BlendTerrainTiles(const HeightField& field, const TerrainSources& sources, int32_t tileSize,
                       uint8_t* out, const BlendRowCallback& onRow, int threads) {
    if (!ValidTileSize(tileSize))
        return;
    static const PureTable pure;
    std::vector<SamplePosition> columns(kTerrainTexels);
    for (int32_t x = 0; x < kTerrainTexels; ++x)
        columns[x] = LocateSample(field.width, float(x) * kTexelToMap);

    const int32_t tilesPerSide = kTerrainTexels / tileSize;
    const int32_t rowCount = tilesPerSide * tilesPerSide * tileSize; // rows of all tiles
    const size_t rowBytes = size_t(tileSize) * 3;
    auto blendRow = [&](int32_t index) {
        const int32_t tile = index / tileSize, py = index % tileSize;
        const int32_t ty = tile / tilesPerSide, tx = tile % tilesPerSide;
        BlendRow(field, sources, columns.data(), tileSize, tx * tileSize, ty * tileSize + py, pure,
                 out + size_t(index) * rowBytes);
    };

    if (threads <= 0)
        threads = int(std::max(1u, std::thread::hardware_concurrency()));
    threads = std::min(threads, 16);
    // Rows are taken one at a time by whichever thread is free, so a busy core
    // slows only its own share. The calling thread reports every row in order and
    // makes sure that the row it reports has been taken before it goes on.
    // The first row is reported before any helper starts, so that what the
    // report draws does not compete with the blend.
    if (onRow)
        onRow(0, 0);
    std::atomic<int32_t> next{0};
    auto take = [&] {
        const int32_t index = next.fetch_add(1);
        if (index < rowCount)
            blendRow(index);
    };
    std::vector<std::thread> workers;
    for (int t = 1; t < threads; ++t) {
        try {
            workers.emplace_back([&] {
                while (next.load() < rowCount)
                    take();
            });
        } catch (const std::system_error&) {
            break; // fewer helpers: the calling thread does the rest
        }
    }
    for (int32_t index = 0; index < rowCount; ++index) {
        if (onRow && index > 0)
            onRow(index / tileSize, index % tileSize);
        while (next.load() <= index)
            take();
    }
    while (next.load() < rowCount)
        take();
    for (std::thread& worker : workers)
        worker.join();
}

uint32_t TerrainCheckValue(const HeightField& field, const TerrainSources& sources) {
    const size_t sourceBytes = size_t(kSourceTexels) * kSourceTexels * 3;
    uint64_t h = 0x5A5A2F2Dull;
    h = Mix(h, uint64_t(uint32_t(field.width)) << 32 | uint32_t(field.height));
    if (field.samples != nullptr && field.width > 0 && field.height > 0)
        h = HashBytes(h, field.samples, size_t(field.width) * size_t(field.height));
    for (const uint8_t* source : {sources.low, sources.middle, sources.high})
        h = source != nullptr ? HashBytes(h, source, sourceBytes) : Mix(h, 0);
    h = Mix(h, h >> 32);
    return uint32_t(h ^ (h >> 32));
}

const uint8_t* RequireTerrainSource(const char* name, const RgbImage* image) {
    if (image == nullptr || image->pixels == nullptr)
        errorLog.Fatal("Terrain source texture '%s' is not loaded\n", name);
    if (image->width != kSourceTexels || image->height != kSourceTexels)
        errorLog.Fatal("Terrain source texture '%s' is %ix%i, not %ix%i\n", name, image->width,
                       image->height, kSourceTexels, kSourceTexels);
    return image->pixels;
}
