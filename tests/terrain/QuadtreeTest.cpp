#include "TerrainTestSupport.h"
#include "app/AppState.h"
#include "app/Globals.h"
#include "vehicle/Vehicle.h"

#include <gtest/gtest.h>
#include <vector>

namespace {
struct TreeCount {
    int nodes = 0;
    int leaves = 0;
    float leafSize = 0;
};

void Count(const TerrainNode& node, TreeCount& count) {
    ++count.nodes;
    if (node.children[0] == nullptr) {
        ++count.leaves;
        count.leafSize = node.size;
        for (TerrainNode* child : node.children)
            EXPECT_EQ(child, nullptr);
        return;
    }
    for (TerrainNode* child : node.children) {
        ASSERT_NE(child, nullptr);
        Count(*child, count);
    }
}

void CollectLeaves(TerrainNode& node, std::vector<TerrainNode*>& leaves) {
    if (node.children[0] == nullptr) {
        leaves.push_back(&node);
        return;
    }
    for (TerrainNode* child : node.children)
        CollectLeaves(*child, leaves);
}

std::vector<GroundTriangle> Triangles(const Vehicle& vehicle) {
    std::vector<GroundTriangle> list;
    for (const GroundTriangle* t = vehicle.groundTriangles; t != nullptr && t->next != nullptr;
         t = t->next)
        list.push_back(*t);
    return list;
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

TEST_F(Quadtree, DepthFollowsFineTerrain) {
    Landscape land;
    struct Shape {
        unsigned char fine;
        int nodes, leaves;
        float leafSize;
    };
    // Nodes of size 0.125 (coarse) or 0.0625 (fine) still split: the test is size < minimum.
    for (const Shape& shape : {Shape{0, 341, 256, 0.0625f}, Shape{1, 1365, 1024, 0.03125f}}) {
        appState.fineTerrain = shape.fine;
        FillHeightMap(
            land, 65, 65, [](int32_t r, int32_t c) { return uint8_t(r + c); }, true);
        TreeCount count;
        Count(land, count);
        EXPECT_EQ(count.nodes, shape.nodes);
        EXPECT_EQ(count.leaves, shape.leaves);
        EXPECT_EQ(count.leafSize, shape.leafSize);
    }
    land.Unload();
    EXPECT_EQ(land.children[0], nullptr);
    EXPECT_EQ(land.heightMap, nullptr);
}

TEST_F(Quadtree, NodesSampleTheirSquareAndBoundIt) {
    appState.fineTerrain = 0;
    Landscape land;
    FillHeightMap(
        land, 80, 60, [](int32_t r, int32_t c) { return uint8_t((r * 7 + c * 3) % 251); }, true);
    // Children in order: (x0, z0), (x0 + half, z0), (x0 + half, z0 + half), (x0, z0 + half).
    const float expected[4][2] = {{0, 0}, {0.5f, 0}, {0.5f, 0.5f}, {0, 0.5f}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_EQ(land.children[i]->x0, expected[i][0]);
        EXPECT_EQ(land.children[i]->z0, expected[i][1]);
        EXPECT_EQ(land.children[i]->size, 0.5f);
    }
    std::vector<TerrainNode*> leaves;
    CollectLeaves(land, leaves);
    for (TerrainNode* leaf : leaves) {
        const float h = leaf->size * 0.5f;
        const float points[5][2] = {{leaf->x0 + h, leaf->z0 + h},
                                    {leaf->x0, leaf->z0},
                                    {leaf->x0 + leaf->size, leaf->z0},
                                    {leaf->x0 + leaf->size, leaf->z0 + leaf->size},
                                    {leaf->x0, leaf->z0 + leaf->size}};
        float lowest = 1e9f, highest = -1e9f;
        for (int i = 0; i < 5; ++i) {
            Vector4 v;
            float tc[2] = {0, 0};
            land.SampleVertex(points[i][0], points[i][1], v, tc);
            EXPECT_TRUE(Same(v, leaf->vertices[i]));
            EXPECT_EQ(tc[0], leaf->texCoords[i][0]);
            EXPECT_EQ(tc[1], leaf->texCoords[i][1]);
            lowest = std::min(lowest, v.y);
            highest = std::max(highest, v.y);
        }
        EXPECT_FLOAT_EQ(leaf->boxCentre.y, (lowest + highest) * 0.5f);
        EXPECT_FLOAT_EQ(leaf->boxHalf.y, (highest - lowest) * 0.5f);
        EXPECT_FLOAT_EQ(leaf->boxCentre.x, (leaf->vertices[1].x + leaf->vertices[3].x) * 0.5f);
        EXPECT_FLOAT_EQ(leaf->boxHalf.z, (leaf->vertices[3].z - leaf->vertices[1].z) * 0.5f);
        EXPECT_EQ(leaf->boxCentre.w, 1.0f);
        EXPECT_EQ(leaf->boxHalf.w, 1.0f);
    }
}

TEST_F(Quadtree, LeavesSplitOverTheTilesUnevenly) {
    for (unsigned char fine : {0, 1}) {
        appState.fineTerrain = fine;
        Landscape land;
        FillHeightMap(
            land, 100, 70, [](int32_t, int32_t) { return uint8_t(50); }, true);
        land.tileSize = 256;
        std::vector<TerrainNode*> leaves;
        CollectLeaves(land, leaves);
        const int perSide = fine ? 32 : 16;
        // Tile column (and row) by leaf column: the map scale is applied twice.
        const std::vector<int> firstOfTile =
            fine ? std::vector<int>{0, 9, 18, 27} : std::vector<int>{0, 5, 9, 14};
        auto tileOf = [&](int k) {
            int t = 0;
            while (t + 1 < 4 && k >= firstOfTile[t + 1])
                ++t;
            return t;
        };
        for (TerrainNode* leaf : leaves) {
            const int column = int(leaf->x0 * perSide + 0.5f), row = int(leaf->z0 * perSide + 0.5f);
            EXPECT_EQ(leaf->TileIndex(), tileOf(row) * 4 + tileOf(column))
                << "leaf " << row << ", " << column;
        }
        land.tileSize = 1024; // one tile: every leaf binds it
        for (TerrainNode* leaf : leaves)
            EXPECT_EQ(leaf->TileIndex(), 0);
    }
}

TEST_F(Quadtree, ContactsOnAFlatMap) {
    appState.fineTerrain = 0;
    Landscape land;
    FillHeightMap(
        land, 64, 64, [](int32_t, int32_t) { return uint8_t(100); }, true);
    std::vector<TerrainNode*> leaves;
    CollectLeaves(land, leaves);
    for (TerrainNode* leaf : leaves)
        EXPECT_EQ(leaf->boxHalf.y, 0.0f);

    // A small box over the middle of one leaf, its centre exactly boxSize.y above
    // the ground: touching. The leaf's half-extents add to the full edge lengths.
    TerrainNode& target = *leaves[37];
    Vehicle vehicle;
    vehicle.boxSize = Vector4(1.0f, 12.0f, 1.0f);
    vehicle.boxCentre = Vector4(target.boxCentre.x, 100.0f + 12.0f, target.boxCentre.z);
    EXPECT_TRUE(land.CollectContacts(vehicle));
    std::vector<GroundTriangle> got = Triangles(vehicle);
    ASSERT_EQ(got.size(), 4u);
    const int order[4][3] = {{0, 1, 2}, {0, 2, 3}, {0, 3, 4}, {0, 4, 1}};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Same(got[i].p0, target.vertices[order[i][0]]));
        EXPECT_TRUE(Same(got[i].p1, target.vertices[order[i][1]]));
        EXPECT_TRUE(Same(got[i].p2, target.vertices[order[i][2]]));
    }

    Vehicle higher;
    higher.boxSize = vehicle.boxSize;
    higher.boxCentre = Vector4(target.boxCentre.x, 100.0f + 12.01f, target.boxCentre.z);
    EXPECT_FALSE(land.CollectContacts(higher));
    EXPECT_TRUE(Triangles(higher).empty());

    Vehicle far;
    far.boxSize = Vector4(50.0f, 50.0f, 50.0f);
    far.boxCentre = Vector4(-1e6f, 100.0f, -1e6f);
    EXPECT_FALSE(land.CollectContacts(far));
    EXPECT_TRUE(Triangles(far).empty());
}

TEST_F(Quadtree, ContactsArriveLeafByLeafDepthFirst) {
    appState.fineTerrain = 0;
    Landscape land;
    FillHeightMap(
        land, 64, 64, [](int32_t r, int32_t c) { return uint8_t(90 + (r + c) % 5); }, true);
    std::vector<TerrainNode*> leaves;
    CollectLeaves(land, leaves); // depth first, children 0 to 3
    // A box over the whole map touches every leaf.
    Vehicle vehicle;
    vehicle.boxCentre = Vector4(3000.0f, 92.0f, 3000.0f);
    vehicle.boxSize = Vector4(4000.0f, 50.0f, 4000.0f);
    EXPECT_TRUE(land.CollectContacts(vehicle));
    std::vector<GroundTriangle> got = Triangles(vehicle);
    ASSERT_EQ(got.size(), leaves.size() * 4);
    for (size_t i = 0; i < got.size(); ++i) {
        const TerrainNode& leaf = *leaves[i / 4];
        EXPECT_TRUE(Same(got[i].p0, leaf.vertices[0])) << i;
        EXPECT_TRUE(Same(got[i].p1, leaf.vertices[1 + i % 4])) << i;
    }
    // The leaves in order: the first leaf of child 1 comes after all of child 0's.
    EXPECT_EQ(leaves[0]->x0, 0.0f);
    EXPECT_EQ(leaves[64]->x0, 0.5f);
    EXPECT_EQ(leaves[64]->z0, 0.0f);
}
