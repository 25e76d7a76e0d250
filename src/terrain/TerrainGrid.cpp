#include "terrain/TerrainGrid.h"

#include "image/RgbImage.h"
#include "image/TextureManager.h"
#include "terrain/GroundTriangleSink.h"
#include "terrain/TerrainBlend.h"

#include <GL/gl.h>
#include <GL/glu.h>
#include <algorithm>
#include <cmath>

namespace {
// The sources repeat as often over the ground as on the 32 x 32 map, where the
// terrain texture holds four of them across its 30.5 cells.
constexpr float kSourceRepeat = 0.13125f;

// Six planes (a, b, c, d), inside where a x + b y + c z + d >= 0, of the view
// that the current OpenGL matrices make.
struct Frustum {
    float planes[6][4];

    static Frustum FromOpenGL() {
        float p[16], m[16], c[16];
        glGetFloatv(GL_PROJECTION_MATRIX, p);
        glGetFloatv(GL_MODELVIEW_MATRIX, m);
        for (int col = 0; col < 4; ++col)
            for (int row = 0; row < 4; ++row) {
                float sum = 0;
                for (int k = 0; k < 4; ++k)
                    sum += p[k * 4 + row] * m[col * 4 + k];
                c[col * 4 + row] = sum;
            }
        Frustum f;
        for (int i = 0; i < 6; ++i) {
            const int row = i / 2;
            const float sign = i % 2 == 0 ? 1.0f : -1.0f;
            for (int k = 0; k < 4; ++k)
                f.planes[i][k] = c[k * 4 + 3] + sign * c[k * 4 + row];
        }
        return f;
    }

    // Whether any of the box may be inside: no plane has all its corners outside.
    bool MaySee(const float low[3], const float high[3]) const {
        for (const float* plane : planes) {
            float distance = plane[3];
            for (int k = 0; k < 3; ++k)
                distance += plane[k] * (plane[k] >= 0 ? high[k] : low[k]);
            if (distance < 0)
                return false;
        }
        return true;
    }
};

uint8_t Byte(float weight) {
    return static_cast<uint8_t>(std::lround(std::clamp(weight, 0.0f, 1.0f) * 255.0f));
}
} // namespace

// The sources repeat hundreds of times towards the far plane: smaller copies of
// them keep the distance from shimmering.
void TerrainGrid::FilterSources(const int32_t sourceSlots[3]) {
    sourcesFiltered = true;
    for (int i = 0; i < 3; ++i) {
        const int32_t slot = sourceSlots[i];
        if (slot < 0 || slot >= textureManager.count)
            continue;
        const RgbImage* image = textureManager.slots[slot].image;
        if (image == nullptr || image->pixels == nullptr)
            continue;
        textureManager.Bind(slot);
        gluBuild2DMipmaps(GL_TEXTURE_2D, 3, image->width, image->height, GL_RGB, GL_UNSIGNED_BYTE,
                          image->pixels);
        glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR_MIPMAP_LINEAR);
    }
}

void TerrainGrid::Release() {
    sourcesFiltered = false;
    for (std::vector<SamplePosition>& axis : lines)
        axis.clear();
    patchRange.clear();
    blockRange.clear();
    patches[0] = patches[1] = blocks[0] = blocks[1] = 0;
    drawnPatches.clear();
    drawnTriangles = 0;
}

void TerrainGrid::Build(const HeightField& heights, float extentX, float extentZ, int32_t every,
                        const std::function<void(float)>& progress) {
    Release();
    field = heights;
    step = std::max(every, 1);
    const float extent[2] = {extentX, extentZ};
    const int32_t counts[2] = {field.width, field.height};
    for (int axis = 0; axis < 2; ++axis) {
        if (!(extent[axis] > 0))
            return Release();
        for (int32_t i = 0; float(i) < extent[axis]; i += step)
            lines[axis].push_back(LocateSampleCoordinate(counts[axis], float(i)));
        lines[axis].push_back(LocateSampleCoordinate(counts[axis], extent[axis]));
        const int32_t cells = int32_t(lines[axis].size()) - 1;
        patches[axis] = (cells + kPatchCells - 1) / kPatchCells;
        blocks[axis] = (patches[axis] + kBlockPatches - 1) / kBlockPatches;
    }
    if (field.samples == nullptr)
        return Release();

    patchRange.assign(size_t(patches[0]) * patches[1] * 2, 0);
    blockRange.assign(size_t(blocks[0]) * blocks[1] * 2, 0);
    for (size_t b = 0; b < blockRange.size(); b += 2)
        blockRange[b] = 255;
    const int32_t lastLine[2] = {int32_t(lines[0].size()) - 1, int32_t(lines[1].size()) - 1};
    for (int32_t pz = 0; pz < patches[1]; ++pz) {
        if (progress)
            progress(float(pz) / float(patches[1]));
        for (int32_t px = 0; px < patches[0]; ++px) {
            float low = 255, high = 0;
            const int32_t x1 = std::min((px + 1) * kPatchCells, lastLine[0]);
            const int32_t z1 = std::min((pz + 1) * kPatchCells, lastLine[1]);
            for (int32_t iz = pz * kPatchCells; iz <= z1; ++iz)
                for (int32_t ix = px * kPatchCells; ix <= x1; ++ix) {
                    const float h = VertexHeight(ix, iz);
                    low = std::min(low, h);
                    high = std::max(high, h);
                }
            uint8_t* range = &patchRange[(size_t(pz) * patches[0] + px) * 2];
            range[0] = uint8_t(std::floor(low));
            range[1] = uint8_t(std::ceil(high));
            uint8_t* block =
                &blockRange[(size_t(pz / kBlockPatches) * blocks[0] + px / kBlockPatches) * 2];
            block[0] = std::min(block[0], range[0]);
            block[1] = std::max(block[1], range[1]);
        }
    }
    if (progress)
        progress(1.0f);
}

float TerrainGrid::VertexHeight(int32_t ix, int32_t iz) const {
    return SampleHeight(field, lines[0][size_t(ix)], lines[1][size_t(iz)]);
}

bool TerrainGrid::SurfaceHeight(float fx, float fz, float& y) const {
    if (!Built() || !(fx >= 0 && fz >= 0) || fx > lines[0].back().f || fz > lines[1].back().f)
        return false;
    const int32_t ix = std::min(int32_t(fx) / step, int32_t(lines[0].size()) - 2);
    const int32_t iz = std::min(int32_t(fz) / step, int32_t(lines[1].size()) - 2);
    const float x0 = lines[0][ix].f, z0 = lines[1][iz].f;
    const float tx = (fx - x0) / (lines[0][ix + 1].f - x0);
    const float tz = (fz - z0) / (lines[1][iz + 1].f - z0);
    const float h00 = VertexHeight(ix, iz), h10 = VertexHeight(ix + 1, iz);
    const float h01 = VertexHeight(ix, iz + 1), h11 = VertexHeight(ix + 1, iz + 1);
    // The cell's two triangles meet on its diagonal from (x0, z0).
    y = tx >= tz ? h00 + tx * (h10 - h00) + tz * (h11 - h10)
                 : h00 + tz * (h01 - h00) + tx * (h11 - h01);
    return true;
}

bool TerrainGrid::LinesWithin(int axis, float low, float high, int32_t& first,
                              int32_t& last) const {
    const std::vector<SamplePosition>& axisLines = lines[axis];
    const float from = low * 0.01f, to = high * 0.01f;
    if (!Built() || !(to >= 0) || !(from <= axisLines.back().f))
        return false;
    const int32_t lastCell = int32_t(axisLines.size()) - 2;
    first = from <= 0 ? 0 : std::min(int32_t(from) / step, lastCell);
    last = to >= axisLines.back().f ? lastCell : std::min(int32_t(to) / step, lastCell);
    return true;
}

bool TerrainGrid::CollectTriangles(const Vector4& centre, const Vector4& size,
                                   GroundTriangleSink& sink) const {
    int32_t x0, x1, z0, z1;
    if (!LinesWithin(0, centre.x - size.x, centre.x + size.x, x0, x1) ||
        !LinesWithin(1, centre.z - size.z, centre.z + size.z, z0, z1))
        return false;
    auto corner = [&](int32_t ix, int32_t iz) {
        return Vector4(lines[0][ix].f / 0.01f, VertexHeight(ix, iz), lines[1][iz].f / 0.01f);
    };
    for (int32_t iz = z0; iz <= z1; ++iz)
        for (int32_t ix = x0; ix <= x1; ++ix) {
            const Vector4 a = corner(ix, iz), b = corner(ix + 1, iz);
            const Vector4 c = corner(ix + 1, iz + 1), d = corner(ix, iz + 1);
            sink.AddGroundTriangle(a, b, c);
            sink.AddGroundTriangle(a, c, d);
        }
    return true;
}

void TerrainGrid::PatchMesh(int32_t px, int32_t pz, std::vector<Vector4>& vertices,
                            std::vector<uint32_t>& indices) const {
    vertices.clear();
    indices.clear();
    if (px < 0 || pz < 0 || px >= patches[0] || pz >= patches[1])
        return;
    const int32_t x0 = px * kPatchCells, z0 = pz * kPatchCells;
    const int32_t x1 = std::min(x0 + kPatchCells, int32_t(lines[0].size()) - 1);
    const int32_t z1 = std::min(z0 + kPatchCells, int32_t(lines[1].size()) - 1);
    const uint32_t across = uint32_t(x1 - x0 + 1);
    for (int32_t iz = z0; iz <= z1; ++iz)
        for (int32_t ix = x0; ix <= x1; ++ix)
            vertices.emplace_back(lines[0][ix].f / 0.01f, VertexHeight(ix, iz),
                                  lines[1][iz].f / 0.01f);
    for (uint32_t z = 0; z + 1 < uint32_t(z1 - z0 + 1); ++z)
        for (uint32_t x = 0; x + 1 < across; ++x) {
            const uint32_t a = z * across + x, b = a + 1, c = b + across, d = a + across;
            indices.insert(indices.end(), {a, b, c, a, c, d});
        }
}

// Without lighting the relief would only show where the pictures change: the
// slopes facing the light are drawn brighter, those away from it darker, level
// ground as it is; the relief is exaggerated for it, since a cell is 100 units
// across and rarely rises more than 30.
float TerrainGrid::Shade(int32_t ix, int32_t iz) const {
    constexpr float relief = 4.0f, lx = -0.5f, ly = 0.8f, lz = -0.33f;
    const int32_t lastX = int32_t(lines[0].size()) - 1, lastZ = int32_t(lines[1].size()) - 1;
    const int32_t xa = std::max(ix - 1, 0), xb = std::min(ix + 1, lastX);
    const int32_t za = std::max(iz - 1, 0), zb = std::min(iz + 1, lastZ);
    const float dx = (VertexHeight(xb, iz) - VertexHeight(xa, iz)) /
                     ((lines[0][xb].f - lines[0][xa].f) * 100.0f) * relief;
    const float dz = (VertexHeight(ix, zb) - VertexHeight(ix, za)) /
                     ((lines[1][zb].f - lines[1][za].f) * 100.0f) * relief;
    const float light = (-dx * lx + ly - dz * lz) / std::sqrt(dx * dx + 1.0f + dz * dz) /
                        std::sqrt(lx * lx + ly * ly + lz * lz);
    const float level = ly / std::sqrt(lx * lx + ly * ly + lz * lz);
    return std::clamp(light / level, 0.45f, 1.25f);
}

void TerrainGrid::AddPatch(int32_t px, int32_t pz) {
    std::vector<Vector4>& vertices = meshVertices;
    std::vector<uint32_t>& indices = meshIndices;
    PatchMesh(px, pz, vertices, indices);
    const uint32_t base = uint32_t(positions.size() / 3);
    const int32_t x0 = px * kPatchCells, z0 = pz * kPatchCells;
    const int32_t across = std::min(x0 + kPatchCells, int32_t(lines[0].size()) - 1) - x0 + 1;
    for (size_t k = 0; k < vertices.size(); ++k) {
        const Vector4& v = vertices[k];
        const float shade = Shade(x0 + int32_t(k) % across, z0 + int32_t(k) / across);
        positions.insert(positions.end(), {v.x, v.y, v.z});
        texCoords.insert(texCoords.end(),
                         {v.x * 0.01f * kSourceRepeat, v.z * 0.01f * kSourceRepeat});
        const BlendWeights w = WeightsForHeight(v.y * 0.5f);
        const float each[3] = {w.low, w.middle, w.high};
        for (int pass = 0; pass < 3; ++pass) {
            const uint8_t grey = Byte(each[pass] * shade);
            weights[pass].insert(weights[pass].end(), {grey, grey, grey, 255});
        }
    }
    for (size_t i = 0; i < indices.size(); i += 3) {
        const uint32_t t[3] = {base + indices[i], base + indices[i + 1], base + indices[i + 2]};
        // A triangle is drawn by each source that shows on it: opaque by the
        // first, which lays down its depth, added on by the others.
        bool drawn = false;
        for (int pass = 0; pass < 3; ++pass) {
            const std::vector<uint8_t>& w = weights[pass];
            if (!w[t[0] * 4] && !w[t[1] * 4] && !w[t[2] * 4])
                continue;
            std::vector<uint32_t>& list = drawn ? addedIndices[pass] : firstIndices[pass];
            list.insert(list.end(), t, t + 3);
            drawn = true;
        }
        if (!drawn) // black: shaded down to nothing
            firstIndices[0].insert(firstIndices[0].end(), t, t + 3);
    }
    drawnPatches.push_back(pz * patches[0] + px);
}

void TerrainGrid::Draw(const int32_t sourceSlots[3]) {
    positions.clear();
    texCoords.clear();
    drawnPatches.clear();
    for (int pass = 0; pass < 3; ++pass) {
        weights[pass].clear();
        firstIndices[pass].clear();
        addedIndices[pass].clear();
    }
    drawnTriangles = 0;
    if (!Built())
        return;

    const Frustum view = Frustum::FromOpenGL();
    // World box of the patches [p0, p1) on each axis, with the heights given.
    auto seen = [&](int32_t px0, int32_t px1, int32_t pz0, int32_t pz1, const uint8_t* range) {
        const int32_t lastX = int32_t(lines[0].size()) - 1, lastZ = int32_t(lines[1].size()) - 1;
        const float low[3] = {lines[0][px0 * kPatchCells].f / 0.01f, float(range[0]),
                              lines[1][pz0 * kPatchCells].f / 0.01f};
        const float high[3] = {lines[0][std::min(px1 * kPatchCells, lastX)].f / 0.01f,
                               float(range[1]),
                               lines[1][std::min(pz1 * kPatchCells, lastZ)].f / 0.01f};
        return view.MaySee(low, high);
    };
    for (int32_t bz = 0; bz < blocks[1]; ++bz)
        for (int32_t bx = 0; bx < blocks[0]; ++bx) {
            const int32_t px0 = bx * kBlockPatches, pz0 = bz * kBlockPatches;
            const int32_t px1 = std::min(px0 + kBlockPatches, patches[0]);
            const int32_t pz1 = std::min(pz0 + kBlockPatches, patches[1]);
            if (!seen(px0, px1, pz0, pz1, &blockRange[(size_t(bz) * blocks[0] + bx) * 2]))
                continue;
            for (int32_t pz = pz0; pz < pz1; ++pz)
                for (int32_t px = px0; px < px1; ++px)
                    if (seen(px, px + 1, pz, pz + 1,
                             &patchRange[(size_t(pz) * patches[0] + px) * 2]))
                        AddPatch(px, pz);
        }
    for (const std::vector<uint32_t>& list : firstIndices)
        drawnTriangles += int64_t(list.size() / 3);
    if (positions.empty())
        return;

    if (!sourcesFiltered)
        FilterSources(sourceSlots);
    glEnableClientState(GL_VERTEX_ARRAY);
    glEnableClientState(GL_TEXTURE_COORD_ARRAY);
    glEnableClientState(GL_COLOR_ARRAY);
    glVertexPointer(3, GL_FLOAT, 0, positions.data());
    glTexCoordPointer(2, GL_FLOAT, 0, texCoords.data());
    glBlendFunc(GL_SRC_ALPHA, GL_ONE); // full alpha: the passes add up
    auto draw = [&](int pass, const std::vector<uint32_t>& list) {
        if (list.empty())
            return;
        textureManager.Bind(sourceSlots[pass]);
        glColorPointer(4, GL_UNSIGNED_BYTE, 0, weights[pass].data());
        glDrawElements(GL_TRIANGLES, GLsizei(list.size()), GL_UNSIGNED_INT, list.data());
    };
    for (int pass = 0; pass < 3; ++pass)
        draw(pass, firstIndices[pass]);
    // Onto exactly the surface drawn already.
    glEnable(GL_BLEND);
    glDepthFunc(GL_EQUAL);
    glDepthMask(GL_FALSE);
    for (int pass = 1; pass < 3; ++pass)
        draw(pass, addedIndices[pass]);
    glDepthFunc(GL_LESS);
    glDepthMask(GL_TRUE);
    glDisable(GL_BLEND);
    glDisableClientState(GL_COLOR_ARRAY);
    glDisableClientState(GL_TEXTURE_COORD_ARRAY);
    glDisableClientState(GL_VERTEX_ARRAY);
}
