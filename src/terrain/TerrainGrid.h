#pragma once

#include "math/Vector4.h"
#include "terrain/HeightField.h"

#include <cstdint>
#include <functional>
#include <vector>

class GroundTriangleSink;

// A map larger than the quadtree's leaves, drawn at its own resolution: a grid
// over every step-th sample, up to the terrain's edge, each cell two triangles.
// The grid is cut into square patches of kPatchCells cells; only a patch's
// lowest and highest height are kept (two bytes), and a coarser level over
// blocks of patches, so that the patches in view are found without visiting
// every one. What is drawn is built each frame from the samples.
class TerrainGrid {
  public:
    static constexpr int32_t kPatchCells = 16;
    static constexpr int32_t kBlockPatches = 8;

    // Lays the grid over the samples from 0 to extent (sample coordinates) on
    // each axis; progress is told 0 to 1 while the patches' heights are found.
    void Build(const HeightField& field, float extentX, float extentZ, int32_t step,
               const std::function<void(float)>& progress = {});
    void Release();
    bool Built() const { return !lines[0].empty(); }
    int32_t PatchesX() const { return patches[0]; }
    int32_t PatchesZ() const { return patches[1]; }

    // The drawn surface's height at sample coordinates (fx, fz); false off the grid.
    bool SurfaceHeight(float fx, float fz, float& y) const;
    // Hands the triangles of the cells under a box (centre and full edge lengths,
    // world units, the edges added as the quadtree's contact search does) to the
    // sink; true if there were any.
    bool CollectTriangles(const Vector4& centre, const Vector4& size,
                          GroundTriangleSink& sink) const;

    // One patch as drawn: world positions, and three indices a triangle.
    void PatchMesh(int32_t px, int32_t pz, std::vector<Vector4>& vertices,
                   std::vector<uint32_t>& indices) const;

    // Draws the patches in view of the current OpenGL matrices: the three
    // sources (texture slots, low to high) added up, each weighted per vertex by
    // height as the terrain texture's blend weighs them; a triangle is drawn
    // once for each source that shows on it.
    void Draw(const int32_t sourceSlots[3]);
    // What the last Draw drew: patch indices (pz * PatchesX() + px) and triangles
    // (each counted once, however many passes drew it).
    const std::vector<int32_t>& DrawnPatches() const { return drawnPatches; }
    int64_t DrawnTriangles() const { return drawnTriangles; }

    // Patches' lowest and highest heights; kept for the benchmarks' count.
    size_t HeightRangeBytes() const { return patchRange.size() + blockRange.size(); }

  private:
    float VertexHeight(int32_t ix, int32_t iz) const;
    // Lines [first, last] of an axis within world [low, high], or false.
    bool LinesWithin(int axis, float low, float high, int32_t& first, int32_t& last) const;
    void AddPatch(int32_t px, int32_t pz);
    float Shade(int32_t ix, int32_t iz) const;
    void FilterSources(const int32_t sourceSlots[3]);

    HeightField field;
    int32_t step = 1;
    std::vector<SamplePosition> lines[2]; // the grid's sample coordinates on each axis
    int32_t patches[2] = {0, 0};
    int32_t blocks[2] = {0, 0};
    std::vector<uint8_t> patchRange; // lowest, highest per patch, row by row
    std::vector<uint8_t> blockRange; // the same over blocks of patches

    // Built anew each frame, kept to save allocations.
    std::vector<float> positions;
    std::vector<float> texCoords;
    std::vector<uint8_t> weights[3];
    std::vector<uint32_t> firstIndices[3]; // triangles each source draws first
    std::vector<uint32_t> addedIndices[3]; // and those it adds onto another's
    std::vector<Vector4> meshVertices;
    std::vector<uint32_t> meshIndices;
    bool sourcesFiltered = false;
    std::vector<int32_t> drawnPatches;
    int64_t drawnTriangles = 0;
};
