#include "TerrainTestSupport.h"
#include "state/AppState.h"
#include "support/TestSupport.h"
#include "terrain/LoadingScreen.h"
#include "terrain/TerrainBlend.h"
#include "terrain/TerrainCache.h"
#include "vehicle/Vehicle.h"

#include <limits>
#include <thread>

namespace fs = std::filesystem;

namespace {
// Gathers the leaves depth first (children 0 to 3; a node has all four or none).
void Walk(TerrainNode& node, std::vector<TerrainNode*>& leaves) {
    if (node.children[0] == nullptr)
        return leaves.push_back(&node);
    for (TerrainNode* child : node.children)
        Walk(*child, leaves);
}

const uint8_t* TileTexel(const std::vector<uint8_t>& tiles, int size, int x, int y) {
    const size_t tile = size_t(y / size) * (1024 / size) + size_t(x / size);
    return &tiles[(tile * size * size + size_t(y % size) * size + x % size) * 3];
}
} // namespace

// HeightAt follows the samples' plane, 0 at the edges; SampleVertex and Unload too.
TEST(HeightSampling, FollowsThePlane) {
    Landscape land; // heights rise 10 a row and 1 a column
    FillHeightMap(land, 23, 19, [](int32_t r, int32_t c) { return uint8_t(r * 10 + c); });
    std::vector<float> at = {-0.01f, 1e30f, std::numeric_limits<float>::quiet_NaN()};
    for (int k = 0; k <= 150; ++k)
        at.push_back(float(k) / 140.0f);
    for (float u : at)
        for (float v : at) {
            const float fx = 23 * u * 0.952381f, fz = 19 * v * 0.952381f;
            // The last column and row have no neighbours beyond: 0, as outside.
            const bool inside = fx >= 0 && fz >= 0 && fx < 22 && fz < 18;
            EXPECT_NEAR(land.HeightAt(u, v), inside ? fz * 10 + fx : 0, 1e-3f) << u << ", " << v;
        }
    // Fewer than 2 x 2 samples: nothing has four neighbours.
    for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 5}, std::pair{5, 1}, std::pair{0, 0}}) {
        FillHeightMap(land, w, h, [](int32_t, int32_t) { return uint8_t(99); });
        for (float at : {0.0f, 0.5f})
            EXPECT_EQ(land.HeightAt(at, at), 0.0f) << w << " x " << h << " at " << at;
    }
    // One texture repeat per 32 cells.
    FillHeightMap(land, 128, 64, [](int32_t, int32_t) { return uint8_t(10); });
    Vector4 vertex;
    float texCoord[2];
    land.SampleVertex(1.0f, 0.5f, vertex, texCoord);
    EXPECT_TRUE(Near(vertex, Vector4(12190.48f, 10, 3047.62f), 0.01f));
    EXPECT_TRUE(Near(Vector4(texCoord[0], texCoord[1], 0), Vector4(3.80952f, 0.952381f, 0), 1e-4f));
    land.Unload();
    land.Unload(); // twice is harmless
    // The sizes stay, the samples are gone: heights read as 0, nothing is read.
    EXPECT_EQ(std::tuple(land.heightMap == nullptr, int(land.loaded), land.HeightAt(0.5f, 0.5f)),
              std::tuple(true, 0, 0.0f));
}

// A flat map splits to 32 x 32 leaves; contacts give each touched leaf's fan of triangles.
TEST(Quadtree, FlatMapContacts) {
    appState.fineTerrain = 1; // nodes of size 0.0625 still split: the test is size < minimum
    Landscape land;
    FillHeightMap(
        land, 64, 64, [](int32_t, int32_t) { return uint8_t(0); }, true);
    std::vector<TerrainNode*> leaves;
    Walk(land, leaves);
    ASSERT_EQ(leaves.size(), 32u * 32u);
    // The first leaf of child 1 comes after all of child 0's.
    EXPECT_EQ(std::tuple(leaves[256]->x0, leaves[256]->z0), std::tuple(0.5f, 0.0f));

    // Each touched leaf, depth first, gives a fan of four triangles from its centre over its
    // corners in order, at world positions (6095.24 units across the map).
    auto expectFans = [&](Vector4 centre, Vector4 size, std::vector<TerrainNode*> touched) {
        Vehicle vehicle;
        vehicle.boxCentre = centre, vehicle.boxSize = size;
        EXPECT_EQ(land.CollectContacts(centre, size, vehicle), !touched.empty());
        std::vector<Vector4> got;
        for (const GroundTriangle* t = vehicle.groundTriangles; t && t->next; t = t->next)
            got.insert(got.end(), {t->p0, t->p1, t->p2});
        ASSERT_EQ(got.size(), touched.size() * 12);
        const float at[6][2] = {{0.5f, 0.5f}, {0, 0}, {1, 0}, {1, 1}, {0, 1}, {0, 0}};
        for (size_t n = 0; n < got.size(); ++n) { // triangle n / 3, point n % 3
            const TerrainNode& leaf = *touched[n / 12];
            const float* c = at[n % 3 == 0 ? 0 : n / 3 % 4 + n % 3];
            EXPECT_TRUE(Near(got[n],
                             Vector4((leaf.x0 + c[0] * leaf.size) * 6095.238f, 0.0f,
                                     (leaf.z0 + c[1] * leaf.size) * 6095.238f),
                             0.01f))
                << "point " << n;
        }
    };
    // Centre exactly boxSize.y above flat ground touches (half-extents add to full edges).
    TerrainNode& target = *leaves[37];
    const Vector4 small(1.0f, 12.0f, 1.0f);
    expectFans(Vector4(target.boxCentre.x, 12.0f, target.boxCentre.z), small, {&target});
    expectFans(Vector4(target.boxCentre.x, 12.01f, target.boxCentre.z), small, {});
    expectFans(Vector4(3000, -8, 3000), Vector4(4000, 50, 4000), leaves);
}

// Weights, channels and tiles follow the texel rule at both tile sizes and on any thread count.
TEST(TerrainBlend, FollowsTheTexelRule) {
    // Half the height, then the low, middle and high weights there.
    // clang-format off
    const float weights[][4] = {{32.99f, 1, 0, 0}, {48, 0.5f, 0.5f, 0}, {63, 0, 1, 0},
        {87.99f, 0, 1, 0}, {98, 0, 0.5f, 0.5f}, {107.99f, 0, 0.0005f, 0.9995f}, {108, 0, 0, 1}};
    // clang-format on
    for (const auto& [h, low, middle, high] : weights) {
        const BlendWeights w = WeightsForHeight(h);
        EXPECT_TRUE(Near(Vector4(w.low, w.middle, w.high), Vector4(low, middle, high), 1e-6f))
            << "h = " << h;
    }
    EXPECT_EQ(BlendChannel(255, 9, 9, {1, 0, 0}), 254);               // 255 / 256 * 255 = 254.0039
    EXPECT_EQ(BlendChannel(200, 100, 40, {0.25f, 0.5f, 0.25f}), 109); // 110 / 256 * 255
    EXPECT_EQ(BlendChannel(255, 255, 255, {1, 1, 1}), 255);           // clamped, not wrapped
    EXPECT_EQ(BlendChannel(255, 0, 0, {-1, 0, 0}), 0);
    Landscape land;
    FillHeightMap(land, 150, 130, // heights sweep every band both ways, with a bumpy edge
                  [](int32_t r, int32_t c) { return uint8_t((c * 255 / 149 + r % 7 * 3) % 256); });
    const std::vector<uint8_t> a = Busy(256, 256, 1), b = Busy(256, 256, 2), c = Busy(256, 256, 3);
    const TerrainSources input{a.data(), b.data(), c.data()};
    std::vector<uint8_t> large(kTerrainBytes), small(kTerrainBytes), other(kTerrainBytes);
    BlendTerrainTiles(land.Field(), input, 1024, large.data());
    BlendTerrainTiles(land.Field(), input, 128, small.data()); // the smallest tiles, 64 of them
    int next = 0; // 3 threads: the same, each tile's rows reported in order on the calling thread
    auto report = [&, caller = std::this_thread::get_id()](int32_t tile, int32_t row) {
        EXPECT_EQ(std::tuple(std::this_thread::get_id(), tile * 128 + row),
                  std::tuple(caller, next++));
    };
    BlendTerrainTiles(land.Field(), input, 128, other.data(), report, 3);
    EXPECT_EQ(std::tuple(small, next), std::tuple(other, 64 * 128));
    int mismatches = 0; // texel (X, Y): half height at (X, Y) / 1024; sources repeat every 256
    for (int y = 0; y < 1024; ++y)
        for (int x = 0; x < 1024; ++x) {
            const BlendWeights w = WeightsForHeight(land.HeightAt(x / 1024.0f, y / 1024.0f) * 0.5f);
            const size_t s = (size_t(y % 256) * 256 + size_t(x % 256)) * 3;
            for (int k = 0; k < 3; ++k) {
                const uint8_t want = BlendChannel(a[s + k], b[s + k], c[s + k], w);
                mismatches += TileTexel(large, 1024, x, y)[k] != want ||
                              TileTexel(small, 128, x, y)[k] != want;
            }
        }
    EXPECT_EQ(mismatches, 0);
}

// The layout round-trips; only whole matching files are used; a failed write keeps the old.
TEST(TerrainCache, UsesOnlyWholeMatchingFiles) {
    LogCapture log;
    TempDir dir;
    const std::string file = dir.File("landscpf.dat");
    std::vector<uint8_t> back(kTerrainBytes);
    EXPECT_EQ(ReadTerrainCache(file.c_str(), 256, 7u, back.data()), TerrainCacheResult::Missing);
    const std::vector<uint8_t> tiles = Busy(1024, 1024, 3);
    ASSERT_TRUE(WriteTerrainCache(file.c_str(), 256, 0xA1B2C3D4u, tiles.data()));
    std::vector<uint8_t> good = ReadFileBytes(file);
    ASSERT_EQ(good.size(), 8 + kTerrainBytes + 4);
    EXPECT_EQ(std::tuple(Word(good, 0), Word(good, 4), Word(good, 8 + kTerrainBytes)),
              std::tuple(4u, 4u, 0xA1B2C3D4u));
    EXPECT_TRUE(std::equal(tiles.begin(), tiles.end(), good.begin() + 8));
    auto verdict = [&](const std::vector<uint8_t>& bytes, int32_t tileSize, uint32_t check) {
        WriteBinaryFile(file, bytes);
        return ReadTerrainCache(file.c_str(), tileSize, check, back.data());
    };
    EXPECT_EQ(verdict(good, 256, 0xA1B2C3D4u), TerrainCacheResult::Used);
    EXPECT_EQ(back, tiles);
    // No check value (the older layout), short, cut in the header, empty, a byte too long.
    for (size_t size : {good.size() - 4, size_t(1000), size_t(6), size_t(0), good.size() + 1}) {
        std::vector<uint8_t> bytes = good;
        bytes.resize(size);
        EXPECT_EQ(verdict(bytes, 256, 0xA1B2C3D4u), TerrainCacheResult::Mismatch) << size;
    }
    good[4] = 0xFF, good[7] = 0x7F; // columns (a changed tile count changes both)
    EXPECT_EQ(verdict(good, 256, 0xA1B2C3D4u), TerrainCacheResult::Mismatch);

    // A cancelled write, or one whose rename fails, leaves the old file and no temporary.
    EXPECT_FALSE(WriteTerrainCache(file.c_str(), 256, 1u, tiles.data(), [] { return true; }));
    EXPECT_EQ(std::tuple(ReadFileBytes(file), fs::exists(file + ".tmp")), std::tuple(good, false));
    const std::string blocked = dir.File("blocked.dat"); // a folder that is not empty:
    fs::create_directories(blocked + "/inside");         // the rename fails
    EXPECT_FALSE(WriteTerrainCache(blocked.c_str(), 256, 1u, tiles.data()));
    EXPECT_FALSE(fs::exists(blocked + ".tmp"));
}

// Draws at most once per 15 ms, besides forced screens.
TEST(LoadingScreenPacer, At15MsIntervals) {
    LoadingScreenPacer pacer;
    // The first one always; a forced one restarts the interval.
    const std::tuple<double, bool, bool> calls[] = {
        {1000, false, true},  {1001, false, false}, {1014.9, false, false}, {1015, false, true},
        {1020, false, false}, {1021, true, true},   {1035, false, false},   {1036, false, true}};
    for (auto [now, force, due] : calls)
        EXPECT_EQ(pacer.Due(now, force), due) << now;
}
