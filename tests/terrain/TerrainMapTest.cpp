#include "TerrainTestSupport.h"
#include "app/AppState.h"
#include "app/Globals.h"
#include "vehicle/Vehicle.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <limits>
#include <vector>

namespace {
// The leaves depth first (children 0 to 3), and how many nodes the tree has.
struct Tree {
    std::vector<TerrainNode*> leaves;
    int nodes = 0;
};

void Walk(TerrainNode& node, Tree& tree) {
    ++tree.nodes;
    for (TerrainNode* child : node.children)
        if (node.children[0] == nullptr)
            EXPECT_EQ(child, nullptr); // all four children or none
        else if (child != nullptr)
            Walk(*child, tree);
        else
            ADD_FAILURE() << "missing child";
    if (node.children[0] == nullptr)
        tree.leaves.push_back(&node);
}

bool Same(const Vector4& a, const Vector4& b) {
    return a.x == b.x && a.y == b.y && a.z == b.z;
}

class Quadtree : public testing::Test {
  protected:
    void TearDown() override { appState.fineTerrain = savedFine; }
    unsigned char savedFine = appState.fineTerrain;
};
} // namespace

TEST(HeightSampling, HeightAtInsideOutsideAndAtTheEdges) {
    Landscape land;
    // A bilinear surface, which bilinear sampling reproduces exactly.
    FillHeightMap(land, 16, 12, [](int32_t r, int32_t c) { return uint8_t(r * c + c + 7); });
    EXPECT_FLOAT_EQ(land.HeightAt(0, 0), 7.0f); // the top-left sample
    for (int i = 0; i < 144; ++i) {
        const float u = float(i % 12) * 0.09f - 0.04f, v = float(i / 12) * 0.09f - 0.03f;
        const double x = 16 * double(u) * 0.952381, z = 12 * double(v) * 0.952381;
        // The last column (15) and row (11) have no neighbours beyond: height 0.
        const bool inside = x >= 0 && x < 15 && z >= 0 && z < 11;
        EXPECT_NEAR(land.HeightAt(u, v), inside ? z * x + x + 7 : 0, 2e-3) << u << ", " << v;
    }
    const float lastColumn = 15.0f / 16.0f / 0.952381f, lastRow = 11.0f / 12.0f / 0.952381f;
    EXPECT_EQ(land.HeightAt(lastColumn + 1e-4f, 0.5f), 0.0f);
    EXPECT_EQ(land.HeightAt(0.5f, lastRow + 1e-4f), 0.0f);
    EXPECT_GT(land.HeightAt(lastColumn - 1e-3f, 0.5f), 0.0f);
    EXPECT_GT(land.HeightAt(0.5f, lastRow - 1e-3f), 0.0f);
    for (float u : {-0.001f, 1.2f, 1e30f, std::numeric_limits<float>::quiet_NaN()}) {
        EXPECT_EQ(land.HeightAt(u, 0.5f), 0.0f) << u;
        EXPECT_EQ(land.HeightAt(0.5f, u), 0.0f) << u;
    }

    // 129 wide: u = 0.5 gives 61.428..., between columns 61 and 62.
    FillHeightMap(land, 129, 3, [](int32_t r, int32_t c) { return uint8_t(r == 0 ? c : 250); });
    EXPECT_NEAR(land.HeightAt(0.5f, 0.0f), 129 * 0.5 * 0.952381, 1e-3);

    FillHeightMap(land, 40, 30, [](int32_t, int32_t) { return uint8_t(200); });
    for (float u : {0.0f, 0.3f, 0.77f, 1.0f})
        for (float v : {0.0f, 0.5f, 1.0f}) {
            Vector4 vertex;
            land.SampleVertex(u, v, vertex);
            EXPECT_EQ(land.HeightAt(u, v), 200.0f);
            EXPECT_EQ(vertex.y, 200.0f);
        }
    // Fewer than 2 x 2 samples: nothing has four neighbours.
    for (auto [w, h] : {std::pair{1, 1}, std::pair{1, 5}, std::pair{5, 1}, std::pair{0, 0}}) {
        FillHeightMap(land, w, h, [](int32_t, int32_t) { return uint8_t(99); });
        EXPECT_EQ(land.HeightAt(0, 0), 0.0f);
        EXPECT_EQ(land.HeightAt(0.5f, 0.5f), 0.0f);
    }
}

TEST(HeightSampling, SampleVertexAndWorldToMap) {
    FillHeightMap(landscape, 128, 128, [](int32_t, int32_t) { return uint8_t(10); });
    Vector4 vertex;
    vertex.w = 7.0f;
    float texCoord[2] = {-1.0f, -1.0f};
    landscape.SampleVertex(1.0f, 1.0f, vertex, texCoord);
    EXPECT_NEAR(vertex.x, 12190.48f, 0.01f);
    EXPECT_NEAR(vertex.z, 12190.48f, 0.01f);
    EXPECT_EQ(vertex.y, 10.0f);
    EXPECT_EQ(vertex.w, 7.0f);                            // w is left alone
    EXPECT_NEAR(texCoord[0], 121.9048f * 0.03125f, 1e-4); // one repeat per 32 cells
    EXPECT_NEAR(texCoord[1], 121.9048f * 0.03125f, 1e-4);
    // Outside: y = 0, x and z still written, the texture coordinate untouched.
    landscape.SampleVertex(-0.5f, 0.25f, vertex, texCoord);
    EXPECT_EQ(vertex.y, 0.0f);
    EXPECT_NEAR(vertex.x, -6095.24f, 0.01f);
    EXPECT_NEAR(vertex.z, 3047.62f, 0.01f);
    EXPECT_NEAR(texCoord[0], 121.9048f * 0.03125f, 1e-4);

    // WorldToMap reads the global landscape's size and leaves the map scale in.
    FillHeightMap(landscape, 128, 64, [](int32_t, int32_t) { return uint8_t(0); });
    float x = 12190.48f, z = 6400.0f;
    Landscape::WorldToMap(x, z);
    EXPECT_NEAR(x, 0.952381f, 1e-6);
    EXPECT_FLOAT_EQ(z, 1.0f);
    x = 5000.0f, z = 2000.0f; // the vertex drawn there lies at x * 0.952381
    Landscape::WorldToMap(x, z);
    landscape.SampleVertex(x, z, vertex);
    EXPECT_NEAR(vertex.x, 5000.0f * 0.952381f, 0.01f);
    landscape.Unload();
    landscape.Unload(); // twice is harmless
    EXPECT_EQ(landscape.heightMap, nullptr);
    EXPECT_EQ(landscape.loaded, 0);
    // The sizes stay, the samples are gone: heights read as 0, nothing is read.
    EXPECT_EQ(landscape.HeightAt(0.5f, 0.5f), 0.0f);
}

TEST_F(Quadtree, ShapeSamplesBoxesAndTilesAtBothDepths) {
    struct Depth {
        unsigned char fine;
        int nodes, leaves, perSide;
        std::vector<int> firstOfTile; // leaf column (and row) that starts each tile
    };
    // Nodes of size 0.125 (coarse) or 0.0625 (fine) still split: the test is size < minimum.
    // The map scale is applied twice, so the tiles do not divide the leaves evenly.
    for (const Depth& depth :
         {Depth{0, 341, 256, 16, {0, 5, 9, 14}}, Depth{1, 1365, 1024, 32, {0, 9, 18, 27}}}) {
        appState.fineTerrain = depth.fine;
        Landscape land;
        FillHeightMap(
            land, 65, 65, [](int32_t r, int32_t c) { return uint8_t((r * 7 + c * 3) % 251); },
            true);
        Tree tree;
        Walk(land, tree);
        EXPECT_EQ(tree.nodes, depth.nodes);
        ASSERT_EQ(int(tree.leaves.size()), depth.leaves);
        auto tileOf = [&](int k) {
            return int(std::upper_bound(depth.firstOfTile.begin(), depth.firstOfTile.end(), k) -
                       depth.firstOfTile.begin()) -
                   1;
        };
        for (TerrainNode* leaf : tree.leaves) {
            const float s = leaf->size, h = s * 0.5f;
            EXPECT_EQ(s, 1.0f / float(depth.perSide));
            // Centre, then the corners in order; the box bounds the five heights.
            const float points[5][2] = {{leaf->x0 + h, leaf->z0 + h},
                                        {leaf->x0, leaf->z0},
                                        {leaf->x0 + s, leaf->z0},
                                        {leaf->x0 + s, leaf->z0 + s},
                                        {leaf->x0, leaf->z0 + s}};
            float lowest = 1e9f, highest = -1e9f;
            for (int i = 0; i < 5; ++i) {
                Vector4 v;
                float tc[2] = {0, 0};
                land.SampleVertex(points[i][0], points[i][1], v, tc);
                EXPECT_TRUE(Same(v, leaf->vertices[i]));
                EXPECT_TRUE(tc[0] == leaf->texCoords[i][0] && tc[1] == leaf->texCoords[i][1]);
                lowest = std::min(lowest, v.y), highest = std::max(highest, v.y);
            }
            EXPECT_FLOAT_EQ(leaf->boxCentre.y, (lowest + highest) * 0.5f);
            EXPECT_FLOAT_EQ(leaf->boxHalf.y, (highest - lowest) * 0.5f);
            EXPECT_FLOAT_EQ(leaf->boxCentre.x, (leaf->vertices[1].x + leaf->vertices[3].x) * 0.5f);
            EXPECT_FLOAT_EQ(leaf->boxHalf.z, (leaf->vertices[3].z - leaf->vertices[1].z) * 0.5f);

            const int column = int(leaf->x0 * depth.perSide + 0.5f);
            const int row = int(leaf->z0 * depth.perSide + 0.5f);
            land.tileSize = 256;
            EXPECT_EQ(leaf->TileIndex(), tileOf(row) * 4 + tileOf(column))
                << "leaf " << row << ", " << column;
            land.tileSize = 1024; // one tile: every leaf binds it
            EXPECT_EQ(leaf->TileIndex(), 0);
        }
        land.Unload();
        EXPECT_EQ(land.children[0], nullptr);
    }
}

TEST_F(Quadtree, ContactsOnAFlatMapLeafByLeafDepthFirst) {
    appState.fineTerrain = 0;
    Landscape land;
    FillHeightMap(
        land, 64, 64, [](int32_t, int32_t) { return uint8_t(100); }, true);
    Tree tree;
    Walk(land, tree);
    auto contacts = [&](Vector4 centre, Vector4 size) {
        Vehicle vehicle;
        vehicle.boxCentre = centre, vehicle.boxSize = size;
        const bool touched = land.CollectContacts(vehicle);
        std::vector<GroundTriangle> list;
        for (const GroundTriangle* t = vehicle.groundTriangles; t && t->next; t = t->next)
            list.push_back(*t);
        EXPECT_EQ(touched, !list.empty());
        return list;
    };
    // Each touched leaf gives its fan of four triangles around the centre.
    auto expectFans = [](const std::vector<GroundTriangle>& got,
                         const std::vector<TerrainNode*>& leaves) {
        ASSERT_EQ(got.size(), leaves.size() * 4);
        for (size_t i = 0; i < got.size(); ++i) {
            const TerrainNode& leaf = *leaves[i / 4];
            EXPECT_TRUE(Same(got[i].p0, leaf.vertices[0]) &&
                        Same(got[i].p1, leaf.vertices[1 + i % 4]) &&
                        Same(got[i].p2, leaf.vertices[1 + (i + 1) % 4]))
                << "triangle " << i;
        }
    };
    // A small box over one leaf, its centre exactly boxSize.y above the flat
    // ground: touching. The leaf's half-extents add to the full edge lengths.
    TerrainNode& target = *tree.leaves[37];
    EXPECT_EQ(target.boxHalf.y, 0.0f);
    const Vector4 small(1.0f, 12.0f, 1.0f);
    expectFans(contacts(Vector4(target.boxCentre.x, 112.0f, target.boxCentre.z), small), {&target});
    EXPECT_TRUE(contacts(Vector4(target.boxCentre.x, 112.01f, target.boxCentre.z), small).empty());
    EXPECT_TRUE(contacts(Vector4(-1e6f, 100.0f, -1e6f), Vector4(50, 50, 50)).empty());
    // A box over the whole map touches every leaf, in depth-first order: the
    // first leaf of child 1 comes after all of child 0's.
    expectFans(contacts(Vector4(3000, 92, 3000), Vector4(4000, 50, 4000)), tree.leaves);
    EXPECT_TRUE(tree.leaves[64]->x0 == 0.5f && tree.leaves[64]->z0 == 0.0f);
}
