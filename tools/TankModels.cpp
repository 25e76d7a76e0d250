#include "TankModels.h"

#include "ModelLoading.h"
#include "model/Model.h"

#include <cmath>
#include <cstdio>

namespace {
struct Point {
    float x, y, z;
};

std::string TexturePath(const char* name) {
    return std::string("c:/art/cobra/") + name + ".tga";
}

// Adds quads with corners given counter-clockwise as seen from outside,
// starting at the lower left of the picture; u and v run across and up.
class Shape {
  public:
    explicit Shape(ModelWriter& writer_) : writer(writer_) {}

    void Quad(const char* texture, Point a, Point b, Point c, Point d, float u0 = 0, float v0 = 0,
              float u1 = 1, float v1 = 1) {
        const float corners[4][3] = {
            {a.x, a.y, a.z}, {b.x, b.y, b.z}, {c.x, c.y, c.z}, {d.x, d.y, d.z}};
        const float uv[8] = {u0, v0, u1, v0, u1, v1, u0, v1};
        writer.AddQuad(TexturePath(texture), corners, uv);
    }

    // A quad with its own texture coordinates for each corner.
    void QuadUv(const char* texture, const Point (&p)[4], const float (&uv)[8]) {
        const float corners[4][3] = {{p[0].x, p[0].y, p[0].z},
                                     {p[1].x, p[1].y, p[1].z},
                                     {p[2].x, p[2].y, p[2].z},
                                     {p[3].x, p[3].y, p[3].z}};
        writer.AddQuad(TexturePath(texture), corners, uv);
    }

    // An axis-aligned box; a null texture leaves that face out. Side pictures
    // stand upright; the top picture's up points forward (+x).
    struct BoxTextures {
        const char* front;
        const char* back;
        const char* left; // +y
        const char* right;
        const char* top;
        const char* bottom;
    };
    void Box(const BoxTextures& t, Point lo, Point hi, float repeat = 1) {
        const float x0 = lo.x, y0 = lo.y, z0 = lo.z, x1 = hi.x, y1 = hi.y, z1 = hi.z;
        if (t.front)
            Quad(t.front, {x1, y0, z0}, {x1, y1, z0}, {x1, y1, z1}, {x1, y0, z1}, 0, 0, repeat);
        if (t.back)
            Quad(t.back, {x0, y1, z0}, {x0, y0, z0}, {x0, y0, z1}, {x0, y1, z1}, 0, 0, repeat);
        if (t.left)
            Quad(t.left, {x1, y1, z0}, {x0, y1, z0}, {x0, y1, z1}, {x1, y1, z1}, 0, 0, repeat);
        if (t.right)
            Quad(t.right, {x0, y0, z0}, {x1, y0, z0}, {x1, y0, z1}, {x0, y0, z1}, 0, 0, repeat);
        if (t.top)
            Quad(t.top, {x0, y1, z1}, {x0, y0, z1}, {x1, y0, z1}, {x1, y1, z1}, 0, 0, repeat);
        if (t.bottom)
            Quad(t.bottom, {x0, y0, z0}, {x0, y1, z0}, {x1, y1, z0}, {x1, y0, z0}, 0, 0, repeat);
    }

    // A prism of `sides` faces along x, round a line at height 0 and y = 0.
    // The pictures of the barrel are shaded for a cylinder lit from above, top
    // at the picture's top: v follows the angle down from the top on either side.
    void Prism(const char* texture, float x0, float x1, float radius, int sides, float u0,
               float u1) {
        const float pi = 3.14159265f;
        for (int k = 0; k < sides; ++k) {
            const float a0 = 2 * pi * float(k) / float(sides);
            const float a1 = 2 * pi * float(k + 1) / float(sides);
            auto at = [&](float x, float a) {
                return Point{x, radius * std::sin(a), radius * std::cos(a)};
            };
            auto v = [&](float a) { return 1 - std::fabs(std::remainder(a, 2 * pi)) / pi; };
            QuadUv(texture, {at(x0, a0), at(x1, a0), at(x1, a1), at(x0, a1)},
                   {u0, v(a0), u1, v(a0), u1, v(a1), u0, v(a1)});
        }
    }

    // The end of such a prism at x, facing +x (or -x), all in one colour of
    // the picture at (u, v).
    void PrismCap(const char* texture, float x, float radius, int sides, float u, float v,
                  bool forward) {
        const float pi = 3.14159265f;
        // As a fan of quads, two rim points each, from the rim's first point.
        auto rim = [&](int k) {
            const float a = 2 * pi * float(k) / float(sides);
            return Point{x, radius * std::sin(a), radius * std::cos(a)};
        };
        const float uv[8] = {u, v, u, v, u, v, u, v};
        for (int k = 1; k + 1 < sides; k += 2) {
            const int k2 = k + 2 < sides ? k + 2 : 0;
            if (forward)
                QuadUv(texture, {rim(0), rim(k), rim(k + 1), rim(k2)}, uv);
            else
                QuadUv(texture, {rim(k2), rim(k + 1), rim(k), rim(0)}, uv);
        }
    }

  private:
    ModelWriter& writer;
};

// One track: links below and round the ends, road wheels along the side, a
// skirt over the upper run. s is +1 for the left track, -1 for the right.
void Track(Shape& shape, float s) {
    const float in = 0.78f * s, out = 1.2f * s;
    // The profile in x and z: flat run on the ground, sloped at both ends.
    const Point a{-1.75f, 0, 0}, b{1.75f, 0, 0}, c{2.12f, 0, 0.3f}, d{2.02f, 0, 0.55f},
        e{-2.02f, 0, 0.55f}, f{-2.1f, 0, 0.3f};
    auto at = [](Point p, float y) { return Point{p.x, y, p.z}; };
    const float wheel = 3.5f / 6; // one road wheel picture per 0.58 units

    // The outer side. Corner order keeps the face turned outward on both sides.
    auto side = [&](const char* texture, Point p0, Point p1, Point p2, Point p3, float uScale,
                    float uOrigin, float zBase, float zSpan) {
        Point q[4] = {at(p0, out), at(p1, out), at(p2, out), at(p3, out)};
        float uv[8];
        for (int k = 0; k < 4; ++k) {
            Point p = (k == 0 ? p0 : k == 1 ? p1 : k == 2 ? p2 : p3);
            uv[2 * k] = (p.x - uOrigin) / uScale;
            uv[2 * k + 1] = (p.z - zBase) / zSpan;
        }
        if (s < 0) {
            shape.QuadUv(texture, q, uv);
        } else {
            const Point r[4] = {q[3], q[2], q[1], q[0]};
            const float ruv[8] = {uv[6], uv[7], uv[4], uv[5], uv[2], uv[3], uv[0], uv[1]};
            shape.QuadUv(texture, r, ruv);
        }
    };
    const Point b30{1.75f, 0, 0.3f}, a30{-1.75f, 0, 0.3f};
    side("cobra_treads_front", a, b, b30, a30, wheel, -1.75f, 0, 0.3f);
    side("cobra_treads_front", b, c, c, b30, wheel, -1.75f, 0, 0.3f); // idler end
    side("cobra_treads_front", f, a, a30, f, wheel, -1.75f, 0, 0.3f);
    side("cobra_long_middle", f, c, d, e, 1.05f, -2.1f, 0.3f, 0.25f); // skirt

    // The links: across the track u, along it v, one picture every 0.5 units.
    auto run = [&](Point p0, Point p1, float& along) {
        const float length = std::hypot(p1.x - p0.x, p1.z - p0.z) / 0.5f;
        const float lo = s > 0 ? in : out, hi = s > 0 ? out : in;
        shape.Quad("cobra_treads", at(p0, hi), at(p0, lo), at(p1, lo), at(p1, hi), 0, along, 1,
                   along + length);
        along += length;
    };
    float along = 0;
    run(e, f, along);
    run(f, a, along);
    run(a, b, along);
    run(b, c, along);
    run(c, d, along);
}

// The faces of a solid given by its bottom and top outlines, each as points
// counter-clockwise seen from above: one side face per edge.
void Walls(Shape& shape, const Point* bottom, const Point* top, int count,
           const char* const* textures, const float* repeats) {
    for (int i = 0; i < count; ++i) {
        const int j = (i + 1) % count;
        if (textures[i] != nullptr)
            shape.Quad(textures[i], bottom[i], bottom[j], top[j], top[i], 0, 0, repeats[i]);
    }
}
} // namespace

ModelWriter MakeTankHull() {
    ModelWriter hull;
    Shape shape(hull);
    Track(shape, 1);
    Track(shape, -1);

    // The lower hull between the tracks.
    const float w = 0.78f;
    shape.Quad("cobra_underhatches", {-1.95f, -w, 0.12f}, {-1.95f, w, 0.12f}, {1.85f, w, 0.12f},
               {1.85f, -w, 0.12f}, 0, 0, 1, 2.4f);
    shape.Quad("cobra_long_middlend", {1.85f, -w, 0.12f}, {1.85f, w, 0.12f}, {2.15f, w, 0.55f},
               {2.15f, -w, 0.55f}, 0, 0, 1.5f);
    shape.Quad("trukrearbumper", {-1.95f, w, 0.12f}, {-1.95f, -w, 0.12f}, {-2.0f, -w, 0.55f},
               {-2.0f, w, 0.55f});

    // The upper hull over the full width, from the tracks' top to the deck.
    const float h = 1.2f, deck = 0.98f, base = 0.55f;
    // Glacis: the driver's plate in the middle, armour either side.
    const float mid = 0.42f;
    shape.Quad("vehltopfrnt2sml", {2.15f, -mid, base}, {2.15f, mid, base}, {1.5f, mid, deck},
               {1.5f, -mid, deck});
    shape.Quad("cobra_shortpanels", {2.15f, mid, base}, {2.15f, h, base}, {1.5f, h, deck},
               {1.5f, mid, deck}, 0, 0, 0.6f, 0.6f);
    shape.Quad("cobra_shortpanels", {2.15f, -h, base}, {2.15f, -mid, base}, {1.5f, -mid, deck},
               {1.5f, -h, deck}, 0.4f, 0, 1, 0.6f);
    // Sides, with the wedge under the glacis.
    const Point front{1.5f, 0, 0}, back{-2.0f, 0, 0}, nose{2.15f, 0, 0};
    auto wall = [&](const char* texture, Point p0, Point p1, float y, float u0, float u1) {
        shape.Quad(texture, {p0.x, y, base}, {p1.x, y, base}, {p1.x, y, deck}, {p0.x, y, deck}, u0,
                   0, u1);
    };
    wall("cobra_longpanels", front, back, h, 0, 2); // seen from the left, front is left
    wall("cobra_longpanels", back, front, -h, 0, 2);
    // The wedges under the glacis' slope: quads with the top corner twice.
    shape.Quad("cobra_long_middlend", {nose.x, h, base}, {front.x, h, base}, {front.x, h, deck},
               {front.x, h, deck}, 0, 0, 0.5f);
    shape.Quad("cobra_long_middlend", {front.x, -h, base}, {nose.x, -h, base}, {front.x, -h, deck},
               {front.x, -h, deck}, 0.5f, 0, 1);
    // The rear plate: lights and exhaust in the middle, louvres either side.
    shape.Quad("vehlengback", {-2.0f, mid, base}, {-2.0f, -mid, base}, {-2.0f, -mid, deck},
               {-2.0f, mid, deck});
    shape.Quad("cobra_backvents", {-2.0f, h, base}, {-2.0f, mid, base}, {-2.0f, mid, deck},
               {-2.0f, h, deck});
    shape.Quad("cobra_backvents", {-2.0f, -mid, base}, {-2.0f, -h, base}, {-2.0f, -h, deck},
               {-2.0f, -mid, deck});

    // The deck: engine grilles at the back, panels round the turret ring,
    // the driver's hatches in front.
    auto deckQuad = [&](const char* texture, float x0, float x1, float y0, float y1, float u,
                        float v) {
        shape.Quad(texture, {x0, y1, deck}, {x0, y0, deck}, {x1, y0, deck}, {x1, y1, deck}, 0, 0, u,
                   v);
    };
    deckQuad("cobra_blowers", -2.0f, -0.8f, 0.45f, h, 1, 1.6f);
    deckQuad("cobra_vents_long", -2.0f, -0.8f, -0.45f, 0.45f, 1, 1);
    deckQuad("cobra_blowers", -2.0f, -0.8f, -h, -0.45f, 1, 1.6f);
    deckQuad("cobra_shortpanels", -0.8f, 0.95f, -h, h, 2, 1.5f);
    deckQuad("cobra_hatches", 0.95f, 1.5f, -h, h, 2, 0.5f);

    // Stowage bins on the front corners of the deck.
    for (float s : {1.0f, -1.0f}) {
        const float y0 = s > 0 ? 0.78f : -1.16f, y1 = s > 0 ? 1.16f : -0.78f;
        shape.Box({"cobra_accessories", "cobra_accessories", "cobra_straps", "cobra_straps",
                   "cobra_straps", nullptr},
                  {0.98f, y0, deck}, {1.42f, y1, deck + 0.14f});
    }
    // Tall intake vents on the rear corners.
    for (float s : {1.0f, -1.0f}) {
        const float y0 = s > 0 ? 0.95f : -1.17f, y1 = s > 0 ? 1.17f : -0.95f;
        shape.Box({"cobra_tallvents", "cobra_tallvents", "cobra_vents_short", "cobra_vents_short",
                   "cobra_vents_short", nullptr},
                  {-1.95f, y0, deck}, {-1.55f, y1, deck + 0.22f});
    }
    hull.AddMount("turret", 0.32f, 0, 0.98f);
    return hull;
}

ModelWriter MakeTankTurret() {
    ModelWriter turret;
    Shape shape(turret);
    // Sloped armour: a wide base and a narrower roof, chamfered at the front.
    const float roof = 0.45f;
    const Point bottom[6] = {{0.95f, -0.45f, 0}, {0.95f, 0.45f, 0},  {0.7f, 0.9f, 0},
                             {-1.05f, 0.9f, 0},  {-1.05f, -0.9f, 0}, {0.7f, -0.9f, 0}};
    const Point top[6] = {{0.7f, -0.3f, roof},   {0.7f, 0.3f, roof},     {0.5f, 0.72f, roof},
                          {-0.95f, 0.72f, roof}, {-0.95f, -0.72f, roof}, {0.5f, -0.72f, roof}};
    const char* const walls[6] = {"cobra_mainturret_front", "cobra_turret_side",
                                  "cobra_turret_side",      "cobra_mainturret_back",
                                  "cobra_turret_side",      "cobra_turret_side"};
    const float repeats[6] = {1, 0.5f, 1, 1, 1, 0.5f};
    Walls(shape, bottom, top, 6, walls, repeats);
    // The roof: camouflage net over the front, the commander's hatches behind.
    shape.Quad("cobra_camo", top[5], top[0], top[1], top[2], 0, 0, 1, 0.5f);
    shape.Quad("cobra_hatches", top[4], top[5], top[2], top[3], 0, 0, 1, 1.2f);

    // The bustle at the back, with its basket and straps.
    shape.Box({nullptr, "cobra_turret_back", "cobra_straps", "cobra_straps", "cobra_accessories",
               "cobra_underhatches"},
              {-1.45f, -0.62f, 0.06f}, {-1.0f, 0.62f, 0.4f});
    // The gun mantlet round the barrel's mount at (1.0, 0, 0.22).
    shape.Box({"cobra_mainturret_back", nullptr, "cobra_long_middlend", "cobra_long_middlend",
               "cobra_vents_short", "cobra_vents_short"},
              {0.82f, -0.26f, 0.04f}, {1.08f, 0.26f, 0.4f});
    // The laser range finder on the roof.
    shape.Box({"cobra_maingun_laser", "cobra_vents_short", "cobra_vents_short", "cobra_vents_short",
               "cobra_vents_short", nullptr},
              {0.1f, -0.62f, roof}, {0.4f, -0.36f, roof + 0.2f});
    turret.AddMount("barrel", 1.0f, 0, 0.22f);
    return turret;
}

ModelWriter MakeTankBarrel() {
    ModelWriter barrel;
    Shape shape(barrel);
    // The tube from inside the mantlet to the muzzle at 2.7; its picture runs
    // the whole length, the muzzle brake's ports at the end.
    shape.Prism("cobra_mainbarrel_sides", -0.2f, 2.7f, 0.085f, 8, 0, 1);
    // The thermal sleeve's fume extractor, a thicker ring halfway.
    shape.Prism("cobra_mainbarrel", 1.45f, 1.9f, 0.125f, 8, 0, 1);
    shape.PrismCap("cobra_mainbarrel", 1.45f, 0.125f, 8, 0.5f, 0.2f, false);
    shape.PrismCap("cobra_mainbarrel", 1.9f, 0.125f, 8, 0.5f, 0.2f, true);
    // The bore: the picture's black port, every corner the same texel.
    shape.PrismCap("cobra_mainbarrel_sides", 2.7f, 0.085f, 8, 232.0f / 256, 0.5f, true);
    barrel.AddMount("muzzle", 2.7f, 0, 0);
    return barrel;
}

void AddTankModels(std::vector<DataFile>& files) {
    ModelWriter parts[3] = {MakeTankHull(), MakeTankTurret(), MakeTankBarrel()};
    for (int i = 0; i < 3; ++i) {
        parts[i].GroupFacesByTexture();
        files.push_back({kModelFiles[i], parts[i].Bytes()});
    }
}

bool CheckTankModel(const std::string& path, std::string& detail) {
    if (std::FILE* file = std::fopen(path.c_str(), "rb"))
        std::fclose(file);
    else {
        detail = "missing";
        return false;
    }
    Model model;
    if (!TryLoadModel(path.c_str(), model)) {
        detail = "damaged (the model loader's message is above)";
        return false;
    }
    if (model.faceCount == 0) {
        detail = "no faces";
        return false;
    }
    for (int f = 0; f < model.faceCount; ++f)
        if (model.textureIds[f] < 0) {
            detail = "face " + std::to_string(f) + " has no texture";
            if (f < model.textureCount)
                detail += std::string(" (") + model.textureNames[f] + ")";
            return false;
        }
    detail = std::to_string(model.faceCount) + " faces, " + std::to_string(model.vertexCount) +
             " vertices, " +
             (model.mountPositions == nullptr ? std::string("no mounts")
                                              : std::to_string(model.mountCount) + " mounts");
    for (int i = 0; model.mountPositions != nullptr && i < model.mountCount; ++i)
        detail += std::string(i == 0 ? ": " : ", ") + model.mountNames[i];
    return true;
}
