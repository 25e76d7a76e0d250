// The tank's pictures: olive armour plates with seams and rivets, vents,
// treads, hatches, stowage and camouflage.
#include "Pictures.h"

#include <cmath>
#include <map>

namespace {
const Colour kOlive = {90, 98, 60};
const Colour kDarkOlive = {62, 70, 42};
const Colour kSand = {170, 156, 112};
const Colour kSteel = {104, 104, 98};
const Colour kDarkSteel = {50, 52, 50};
const Colour kRubber = {34, 34, 32};
const Colour kCanvas = {128, 116, 82};
const Colour kGlass = {30, 70, 84};

float Fx(int v) {
    return static_cast<float>(v);
}

// Painted steel: mottled paint, fine grain, grime gathering towards the
// bottom, a few bright scratches.
void Armour(Canvas& c, Colour base, uint32_t seed) {
    for (int y = 0; y < c.height; ++y)
        for (int x = 0; x < c.width; ++x) {
            float mottle = Fbm(Fx(x) / 24, Fx(y) / 24, 0, 4, seed);
            float grain = Lattice(x, y, seed + 1);
            Colour p = Scale(base, 0.86f + 0.22f * mottle + 0.08f * grain);
            float grime = SmoothStep(0.55f, 1.0f, Fx(y) / Fx(c.height)) *
                          Fbm(Fx(x) / 8, Fx(y) / 16, 0, 3, seed + 2);
            p = Mix(p, Colour{52, 46, 36}, 0.5f * grime);
            c.Set(x, y, p);
        }
    const int scratches = c.width * c.height / 1500;
    for (int i = 0; i < scratches; ++i) {
        int x = static_cast<int>(Lattice(i, 1, seed + 3) * Fx(c.width));
        int y = static_cast<int>(Lattice(i, 2, seed + 3) * Fx(c.height));
        int length = 3 + static_cast<int>(Lattice(i, 3, seed + 3) * 8);
        int slope = Lattice(i, 4, seed + 3) > 0.5f ? 1 : -1;
        for (int k = 0; k < length; ++k)
            c.Blend(x + k, y + slope * k / 3, Colour{170, 168, 150}, 0.55f);
    }
}

// A plate bolted on: sunk seam around it, rivets inside the seam.
void Plate(Canvas& c, int x0, int y0, int x1, int y1, int rivetSpacing = 0) {
    c.SeamH(x0, x1, y0);
    c.SeamH(x0, x1, y1 - 2);
    c.SeamV(x0, y0, y1);
    c.SeamV(x1 - 2, y0, y1);
    if (rivetSpacing > 0) {
        c.RivetRow(x0 + 4, y0 + 4, x1 - 5, y0 + 4, rivetSpacing, 1.2f);
        c.RivetRow(x0 + 4, y1 - 5, x1 - 5, y1 - 5, rivetSpacing, 1.2f);
    }
}

// Slats across a sunk frame: each slat lit on top, in shadow below.
void Slats(Canvas& c, int x0, int y0, int x1, int y1, int pitch, bool vertical) {
    c.ShadeRect(x0, y0, x1, y1, 0.35f);
    for (int y = y0 + 1; y < y1 - 1; ++y)
        for (int x = x0 + 1; x < x1 - 1; ++x) {
            int along = vertical ? x - x0 : y - y0;
            float phase = Fx(along % pitch) / Fx(pitch);
            if (phase < 0.7f) {
                float t = phase / 0.7f;
                c.Set(x, y, Scale(kOlive, 1.35f - 0.75f * t));
            }
        }
    c.Bevel(x0, y0, x1, y1, -1, 2);
}

// A round grille: a sunk rim, a fine mesh and a hub.
void Fan(Canvas& c, float cx, float cy, float r) {
    for (int y = static_cast<int>(cy - r); y <= static_cast<int>(cy + r); ++y)
        for (int x = static_cast<int>(cx - r); x <= static_cast<int>(cx + r); ++x) {
            float dx = Fx(x) + 0.5f - cx, dy = Fx(y) + 0.5f - cy;
            if (dx * dx + dy * dy > r * r)
                continue;
            bool wire = (x + y) % 4 == 0 || (x - y + 1024) % 4 == 0;
            c.Set(x, y, wire ? Scale(kSteel, 0.9f) : Colour{16, 16, 16});
        }
    c.Ring(cx, cy, r, 1.8f, 0.55f);
    c.Ring(cx, cy, r + 2, 1.2f, 1.3f);
    c.Ring(cx, cy, r * 0.5f, 1.0f, 0.7f);
    c.Disc(cx, cy, r * 0.22f, kDarkSteel, true);
    // Bolts around the rim, at the hours of a clock.
    const float s = std::sqrt(3.0f) / 2;
    const float dirs[12][2] = {{1, 0},  {s, 0.5f},   {0.5f, s},   {0, 1},  {-0.5f, s}, {-s, 0.5f},
                               {-1, 0}, {-s, -0.5f}, {-0.5f, -s}, {0, -1}, {0.5f, -s}, {s, -0.5f}};
    for (const auto& d : dirs)
        c.Rivet(static_cast<int>(cx + d[0] * (r + 4)), static_cast<int>(cy + d[1] * (r + 4)), 1.3f);
}

// A round hatch: raised lid, hinge, handle.
void Hatch(Canvas& c, float cx, float cy, float r) {
    c.Ring(cx, cy, r + 1.5f, 1.5f, 0.5f);
    c.Disc(cx, cy, r, Scale(kOlive, 1.05f), true);
    c.Ring(cx, cy, r - 3, 1.0f, 0.8f);
    const int x = static_cast<int>(cx), y = static_cast<int>(cy), ir = static_cast<int>(r);
    c.FillRect(x - 6, y - ir - 3, x + 6, y - ir + 3, kDarkSteel); // hinge
    c.Bevel(x - 6, y - ir - 3, x + 6, y - ir + 3, 1);
    c.FillRect(x - ir / 3, y + ir / 2, x + ir / 3, y + ir / 2 + 2, kSteel); // handle
    c.Bevel(x - ir / 3, y + ir / 2, x + ir / 3, y + ir / 2 + 2, 1);
    c.Rivet(x - ir / 3 - 1, y + ir / 2 + 1, 1.3f);
    c.Rivet(x + ir / 3, y + ir / 2 + 1, 1.3f);
}

// A box with a lid seam and two latches.
void StowageBox(Canvas& c, int x0, int y0, int x1, int y1) {
    c.FillRect(x0, y0, x1, y1, Scale(kOlive, 0.95f));
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            c.Shade(x, y, 0.92f + 0.12f * Lattice(x, y, 71));
    c.Bevel(x0, y0, x1, y1, 1, 2);
    const int lid = y0 + (y1 - y0) / 4;
    c.SeamH(x0 + 2, x1 - 2, lid);
    for (int k = 1; k <= 2; ++k) {
        int lx = x0 + (x1 - x0) * k / 3;
        c.FillRect(lx - 2, lid - 1, lx + 2, lid + 5, kSteel);
        c.Bevel(lx - 2, lid - 1, lx + 2, lid + 5, 1);
    }
    // Its shadow on the plate below and to the right.
    c.ShadeRect(x0 + 2, y1, x1 + 2, y1 + 2, 0.6f);
    c.ShadeRect(x1, y0 + 2, x1 + 2, y1, 0.6f);
}

// Glass set in a frame.
void VisionBlock(Canvas& c, int x0, int y0, int x1, int y1) {
    c.FillRect(x0 - 2, y0 - 2, x1 + 2, y1 + 2, kDarkSteel);
    c.Bevel(x0 - 2, y0 - 2, x1 + 2, y1 + 2, 1);
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x) {
            float sheen = 1 - Fx(y - y0) / Fx(y1 - y0);
            c.Set(x, y, Mix(kGlass, Colour{120, 180, 190}, 0.5f * sheen * sheen));
        }
}

// Painted stencil numbers, worn in places.
void Marking(Canvas& c, int x, int y, const std::string& text, int scale, uint32_t seed) {
    Canvas ink(c.width, c.height, Colour{0, 0, 0});
    ink.Text(x, y, text, Colour{255, 255, 255}, scale);
    for (int py = 0; py < c.height; ++py)
        for (int px = 0; px < c.width; ++px)
            if (ink.Get(px, py).r > 0 && Fbm(Fx(px) / 3, Fx(py) / 3, 0, 2, seed) > 0.22f)
                c.Blend(px, py, Scale(kSand, 1.05f), 0.85f);
}

// A smoke grenade launcher: a row of tube mouths.
void SmokeLaunchers(Canvas& c, int x, int y, int count, bool vertical) {
    for (int i = 0; i < count; ++i) {
        float cx = Fx(vertical ? x : x + i * 11), cy = Fx(vertical ? y + i * 11 : y);
        c.Disc(cx, cy, 5, kDarkSteel, true);
        c.Disc(cx, cy, 3, Colour{14, 14, 14});
    }
}

// A gun barrel along x: round in section, lit from above.
void Barrel(Canvas& c, Colour base, uint32_t seed) {
    for (int y = 0; y < c.height; ++y) {
        float v = (Fx(y) + 0.5f) / Fx(c.height) * 2 - 1; // -1 top, 1 bottom
        float normal = std::sqrt(1 - v * v);
        float light = 0.3f + 0.75f * normal * (0.75f - 0.35f * v);
        float gloss = SmoothStep(0.75f, 1.0f, 1 - std::fabs(v + 0.45f) * 3);
        for (int x = 0; x < c.width; ++x) {
            float paint = 0.92f + 0.12f * Fbm(Fx(x) / 16, Fx(y) / 4, 0, 3, seed);
            Colour p = Scale(base, light * paint);
            c.Set(x, y, Mix(p, Colour{200, 204, 190}, 0.35f * gloss));
        }
    }
}

void BarrelBand(Canvas& c, int x0, int x1, float factor) {
    c.ShadeRect(x0, 0, x1, c.height, factor);
    for (int y = 0; y < c.height; ++y) {
        c.Shade(x0, y, 1.3f);
        c.Shade(x1 - 1, y, 0.55f);
    }
}

Canvas MainBarrelSides() {
    Canvas c(256, 64);
    Barrel(c, kOlive, 101);
    BarrelBand(c, 30, 38, 0.85f);
    BarrelBand(c, 110, 116, 0.85f);
    BarrelBand(c, 140, 184, 1.1f); // fume extractor
    BarrelBand(c, 200, 206, 0.85f);
    // Muzzle brake: a steel end with two rows of ports.
    Canvas steel(256, 64);
    Barrel(steel, kDarkSteel, 102);
    for (int y = 0; y < 64; ++y)
        for (int x = 222; x < 256; ++x)
            c.Set(x, y, steel.Get(x, y));
    for (int k = 0; k < 2; ++k)
        c.FillRect(228 + k * 13, 22, 236 + k * 13, 42, Colour{10, 10, 10});
    BarrelBand(c, 222, 226, 0.8f);
    return c;
}

Canvas MainBarrel() {
    Canvas c(128, 64);
    Barrel(c, kOlive, 111);
    // Thermal sleeve: segments held by straps.
    for (int x = 8; x < 128; x += 30)
        BarrelBand(c, x, x + 4, 0.75f);
    return c;
}

Canvas MaingunLaser() {
    Canvas c(64, 64, kDarkSteel);
    Armour(c, kDarkSteel, 121);
    c.Bevel(0, 0, 64, 64, 1, 3);
    c.Disc(32, 32, 22, Scale(kSteel, 0.8f), true);
    c.Ring(32, 32, 22, 1.5f, 0.5f);
    c.Disc(32, 32, 15, Colour{20, 10, 10});
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 64; ++x) {
            float dx = Fx(x) + 0.5f - 32, dy = Fx(y) + 0.5f - 32;
            float r = std::sqrt(dx * dx + dy * dy) / 14;
            if (r >= 1)
                continue;
            float glow = (1 - r) * (1 - r);
            Colour lens = Mix(Colour{150, 20, 16}, Colour{255, 236, 200}, glow * glow);
            c.Blend(x, y, lens, 0.4f + 0.6f * glow);
        }
    c.Disc(27, 27, 2.5f, Colour{255, 255, 255}); // a glint
    for (int k : {6, 57})
        for (int j : {6, 57})
            c.Rivet(k, j, 2);
    return c;
}

Canvas MainTurretBack() {
    Canvas c(128, 128);
    Armour(c, kOlive, 131);
    Plate(c, 2, 2, 126, 126, 12);
    // A bustle rack of bars over the top half, its shadow on the plate.
    for (int x = 10; x < 118; x += 12) {
        c.ShadeRect(x + 2, 12, x + 5, 62, 0.6f);
        c.FillRect(x, 10, x + 3, 60, kDarkSteel);
        c.Bevel(x, 10, x + 3, 60, 1);
    }
    for (int y : {10, 34, 58}) {
        c.FillRect(8, y, 120, y + 3, kDarkSteel);
        c.Bevel(8, y, 120, y + 3, 1);
    }
    StowageBox(c, 14, 72, 60, 112);
    StowageBox(c, 68, 72, 114, 112);
    return c;
}

Canvas MainTurretFront() {
    Canvas c(128, 128);
    Armour(c, kOlive, 141);
    // Two heavy cheek plates beside the gun mantlet.
    c.Bevel(0, 0, 44, 128, 1, 3);
    c.Bevel(84, 0, 128, 128, 1, 3);
    c.FillRect(46, 20, 82, 108, Scale(kOlive, 0.8f));
    c.Bevel(46, 20, 82, 108, 1, 3);
    c.FillRect(56, 48, 72, 108, Colour{14, 14, 12}); // the gun's slot
    c.Bevel(56, 48, 72, 108, -1, 2);
    VisionBlock(c, 12, 14, 32, 22);
    VisionBlock(c, 96, 14, 116, 22);
    SmokeLaunchers(c, 14, 44, 3, false);
    SmokeLaunchers(c, 92, 44, 3, false);
    c.RivetRow(8, 118, 36, 118, 7, 1.4f);
    c.RivetRow(92, 118, 120, 118, 7, 1.4f);
    return c;
}

Canvas Treads() {
    Canvas c(128, 128, kRubber);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            int link = y % 16;
            float grain = 0.85f + 0.3f * Lattice(x, y, 151);
            Colour p = Scale(kRubber, grain);
            if (link >= 2 && link < 12) {
                // The link's steel shoe with a raised cleat across the middle.
                p = Scale(kSteel, 0.6f * grain);
                if (link >= 5 && link < 9)
                    p = Scale(kSteel, (link == 5 ? 1.25f : (link == 8 ? 0.55f : 0.95f)) * grain);
            }
            // The guide horns in the middle of the track.
            if (x >= 56 && x < 72 && link >= 1 && link < 13)
                p = Scale(kSteel, (x == 56 ? 1.2f : (x == 71 ? 0.5f : 0.8f)) * grain);
            // Mud and dust.
            float mud = SmoothStep(0.55f, 0.8f, Fbm(Fx(x) / 12, Fx(y) / 12, 0, 3, 152));
            p = Mix(p, Colour{92, 74, 52}, 0.6f * mud);
            c.Set(x, y, p);
        }
    for (int y = 0; y < 128; y += 16)
        for (int x : {10, 46, 82, 118})
            c.Rivet(x, y + 7, 1.5f);
    return c;
}

Canvas TreadsFront() {
    Canvas c(128, 64, kRubber);
    Canvas links = Treads();
    for (int y = 0; y < 64; ++y)
        for (int x = 0; x < 128; ++x)
            c.Set(x, y, links.Get(y * 2 % 128, x)); // the same links, turned across
    // The drive sprocket over the track.
    c.Disc(64, 32, 28, kDarkSteel, true);
    c.Ring(64, 32, 26, 2, 1.4f);
    c.Disc(64, 32, 18, Scale(kOlive, 0.9f), true);
    c.Disc(64, 32, 7, kDarkSteel, true);
    const float s = std::sqrt(3.0f) / 2;
    const float dirs[6][2] = {{1, 0}, {0.5f, s}, {-0.5f, s}, {-1, 0}, {-0.5f, -s}, {0.5f, -s}};
    for (const auto& d : dirs)
        c.Rivet(static_cast<int>(64 + d[0] * 12), static_cast<int>(32 + d[1] * 12), 1.6f);
    return c;
}

Canvas LongMiddle() {
    Canvas c(256, 64);
    Armour(c, kOlive, 161);
    for (int x = 0; x < 256; x += 64)
        Plate(c, x, 0, x + 64, 64, 10);
    // Tool clamps along the plate.
    for (int x = 24; x < 256; x += 64) {
        c.FillRect(x, 26, x + 16, 36, kDarkSteel);
        c.Bevel(x, 26, x + 16, 36, 1);
    }
    return c;
}

Canvas LongMiddleEnd() {
    Canvas c(128, 64);
    Armour(c, kOlive, 171);
    Plate(c, 0, 0, 128, 64, 10);
    // An angled seam where the side plate turns to the end.
    for (int y = 2; y < 62; ++y) {
        c.Shade(96 + y / 3, y, 0.45f);
        c.Shade(97 + y / 3, y, 1.25f);
    }
    c.FillRect(20, 22, 34, 32, Colour{200, 120, 20}); // a reflector
    c.Bevel(20, 22, 34, 32, 1);
    return c;
}

Canvas ShortPanels() {
    Canvas c(128, 128);
    Armour(c, kOlive, 181);
    for (int y = 0; y < 128; y += 64)
        for (int x = 0; x < 128; x += 64) {
            c.Bevel(x + 2, y + 2, x + 62, y + 62, 1, 2);
            for (int k : {6, 56})
                for (int j : {6, 56})
                    c.Rivet(x + k, y + j, 1.6f);
        }
    // A bolted access cover on one of them.
    c.FillRect(80, 80, 112, 112, Scale(kOlive, 0.9f));
    c.Bevel(80, 80, 112, 112, 1, 2);
    c.RivetRow(84, 84, 108, 84, 8, 1.2f);
    c.RivetRow(84, 108, 108, 108, 8, 1.2f);
    return c;
}

Canvas TallVents() {
    Canvas c(64, 128);
    Armour(c, kOlive, 191);
    Slats(c, 8, 8, 56, 120, 6, false);
    c.RivetRow(4, 4, 4, 124, 12, 1.2f);
    c.RivetRow(59, 4, 59, 124, 12, 1.2f);
    return c;
}

Canvas Blowers() {
    Canvas c(128, 128);
    Armour(c, kOlive, 201);
    Plate(c, 0, 0, 128, 128, 16);
    Fan(c, 34, 64, 24);
    Fan(c, 94, 64, 24);
    return c;
}

Canvas BackVents() {
    Canvas c(128, 64);
    Armour(c, kOlive, 211);
    Slats(c, 6, 8, 122, 56, 5, false);
    // Soot above the louvres.
    for (int y = 0; y < 20; ++y)
        for (int x = 6; x < 122; ++x)
            c.Shade(x, y,
                    1 - 0.45f * Fbm(Fx(x) / 6, Fx(y) / 4, 0, 3, 212) * SmoothStep(20, 0, Fx(y)));
    return c;
}

Canvas VentsShort() {
    Canvas c(64, 64);
    Armour(c, kOlive, 221);
    Slats(c, 6, 6, 58, 58, 6, true);
    return c;
}

Canvas VentsLong() {
    Canvas c(256, 64);
    Armour(c, kOlive, 231);
    Slats(c, 8, 10, 248, 54, 5, false);
    c.RivetRow(4, 4, 252, 4, 16, 1.2f);
    c.RivetRow(4, 59, 252, 59, 16, 1.2f);
    return c;
}

Canvas TurretBack() {
    Canvas c(128, 64);
    Armour(c, kOlive, 241);
    Plate(c, 0, 0, 128, 64, 12);
    // A stowage basket of bars and a towing eye.
    for (int x = 8; x < 80; x += 8) {
        c.ShadeRect(x + 1, 10, x + 3, 52, 0.6f);
        c.FillRect(x, 8, x + 2, 50, kDarkSteel);
    }
    c.FillRect(8, 8, 82, 10, kDarkSteel);
    c.FillRect(8, 48, 82, 50, kDarkSteel);
    Marking(c, 94, 20, "07", 2, 242);
    return c;
}

Canvas LongPanels() {
    Canvas c(256, 64);
    Armour(c, kOlive, 251);
    for (int x = 0; x < 256; x += 85)
        Plate(c, x, 0, x + 85, 64, 0);
    for (int x = 36; x < 256; x += 85) {
        c.FillRect(x, 44, x + 14, 47, kSteel); // grab handles
        c.Bevel(x, 44, x + 14, 47, 1);
        c.ShadeRect(x + 1, 47, x + 15, 49, 0.6f);
    }
    c.RivetRow(6, 6, 250, 6, 14, 1.2f);
    return c;
}

Canvas UnderHatches() {
    Canvas c(128, 128);
    Armour(c, kDarkOlive, 261);
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            float mud = SmoothStep(0.45f, 0.75f, Fbm(Fx(x) / 16, Fx(y) / 16, 0, 4, 262));
            c.Blend(x, y, Colour{78, 62, 44}, 0.7f * mud);
        }
    Hatch(c, 40, 44, 22);
    Hatch(c, 90, 88, 18);
    c.RivetRow(6, 120, 122, 120, 10, 1.3f);
    return c;
}

Canvas Straps() {
    Canvas c(64, 128);
    Armour(c, kOlive, 271);
    for (int x0 : {10, 38}) {
        for (int y = 0; y < 128; ++y)
            for (int x = x0; x < x0 + 16; ++x) {
                bool weave = ((x + y) & 1) == 0;
                c.Set(x, y,
                      Scale(kCanvas,
                            (weave ? 1.0f : 0.9f) * (0.9f + 0.15f * Lattice(x, y / 3, 272))));
            }
        c.ShadeRect(x0 + 16, 0, x0 + 18, 128, 0.6f);
        // A buckle.
        c.FillRect(x0 - 2, 56, x0 + 18, 70, kSteel);
        c.FillRect(x0 + 2, 59, x0 + 14, 67, kCanvas);
        c.Bevel(x0 - 2, 56, x0 + 18, 70, 1);
    }
    return c;
}

Canvas TurretSide() {
    Canvas c(128, 128);
    Armour(c, kOlive, 281);
    Plate(c, 0, 0, 128, 128, 14);
    Marking(c, 16, 20, "07", 3, 282);
    SmokeLaunchers(c, 100, 18, 4, true);
    StowageBox(c, 12, 76, 84, 112);
    return c;
}

Canvas Accessories() {
    Canvas c(128, 128);
    Armour(c, kOlive, 291);
    // A shovel: wooden shaft and a steel blade.
    c.FillRect(12, 12, 16, 70, Colour{120, 86, 52});
    c.Bevel(12, 12, 16, 70, 1);
    c.FillRect(8, 70, 20, 92, kSteel);
    c.Bevel(8, 70, 20, 92, 1, 2);
    // A pickaxe.
    c.FillRect(34, 16, 38, 92, Colour{120, 86, 52});
    c.Bevel(34, 16, 38, 92, 1);
    c.FillRect(24, 12, 48, 18, kSteel);
    c.Bevel(24, 12, 48, 18, 1);
    // Two jerry cans with the cross pressed into their sides.
    for (int x0 : {58, 92}) {
        c.FillRect(x0, 14, x0 + 28, 56, Scale(kDarkOlive, 1.1f));
        c.Bevel(x0, 14, x0 + 28, 56, 1, 2);
        for (int k = 0; k < 30; ++k) {
            c.Shade(x0 + 4 + k * 20 / 30, 20 + k, 0.7f);
            c.Shade(x0 + 24 - k * 20 / 30, 20 + k, 0.7f);
        }
        c.FillRect(x0 + 4, 10, x0 + 12, 14, kDarkSteel); // the cap
        c.ShadeRect(x0 + 28, 16, x0 + 30, 58, 0.6f);
    }
    // A coiled tow cable.
    for (float r = 8; r <= 22; r += 3.5f)
        c.Ring(88, 94, r, 1.4f, 0.55f);
    c.Disc(88, 94, 6, kDarkSteel, true);
    return c;
}

Canvas Camo() {
    Canvas c(128, 128);
    const Colour tones[4] = {kSand, kOlive, {96, 78, 52}, {44, 54, 34}};
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            float a = Fbm(Fx(x) / 32, Fx(y) / 32, 4, 4, 301);
            float b = Fbm(Fx(x) / 24, Fx(y) / 24, 0, 4, 302);
            int tone = a < 0.42f ? 0 : (a < 0.58f ? 1 : 2);
            if (b > 0.62f)
                tone = 3;
            c.Set(x, y, Scale(tones[tone], 0.9f + 0.14f * Lattice(x, y, 303)));
        }
    return c;
}

Canvas Hatches() {
    Canvas c(128, 128);
    Armour(c, kOlive, 311);
    Hatch(c, 36, 40, 24);
    Hatch(c, 94, 86, 20);
    VisionBlock(c, 84, 20, 104, 26);
    return c;
}

Canvas VehLengBack() {
    Canvas c(128, 64);
    Armour(c, kOlive, 321);
    Plate(c, 0, 0, 128, 64, 12);
    Slats(c, 40, 10, 88, 40, 5, false); // exhaust grille
    for (int x0 : {8, 104}) {
        c.FillRect(x0, 12, x0 + 16, 22, Colour{150, 20, 14}); // tail lights
        c.FillRect(x0, 22, x0 + 16, 28, Colour{210, 150, 30});
        c.Bevel(x0 - 1, 11, x0 + 17, 29, 1);
    }
    for (int x0 : {20, 96}) { // tow hooks
        c.Disc(Fx(x0), 50, 6, kDarkSteel, true);
        c.Disc(Fx(x0), 50, 3, Colour{14, 14, 14});
    }
    return c;
}

Canvas VehLTopFront() {
    Canvas c(64, 64);
    Armour(c, kOlive, 331);
    Plate(c, 0, 0, 64, 64, 10);
    for (int x0 : {8, 26, 44})
        VisionBlock(c, x0, 14, x0 + 12, 20);
    Hatch(c, 32, 44, 12);
    return c;
}

Canvas TrukRearBumper() {
    Canvas c(128, 32);
    Armour(c, kDarkOlive, 341);
    c.Bevel(0, 0, 128, 32, 1, 2);
    // Black and yellow warning stripes at both ends.
    for (int y = 4; y < 28; ++y)
        for (int x = 0; x < 128; ++x) {
            if (x >= 28 && x < 100)
                continue;
            bool stripe = ((x + y) / 6) % 2 == 0;
            c.Blend(x, y, stripe ? Colour{210, 170, 30} : Colour{24, 24, 22}, 0.85f);
        }
    c.FillRect(56, 10, 72, 22, kDarkSteel); // the tow pintle
    c.Bevel(56, 10, 72, 22, 1, 2);
    c.Disc(64, 16, 3, Colour{12, 12, 12});
    return c;
}
} // namespace

Canvas PaintTankPicture(const std::string& name) {
    static const std::map<std::string, Canvas (*)()> painters = {
        {"cobra_mainbarrel_sides.bmp", MainBarrelSides},
        {"cobra_maingun_laser.bmp", MaingunLaser},
        {"cobra_mainbarrel.bmp", MainBarrel},
        {"cobra_mainturret_back.bmp", MainTurretBack},
        {"cobra_mainturret_front.bmp", MainTurretFront},
        {"cobra_treads.bmp", Treads},
        {"cobra_treads_front.bmp", TreadsFront},
        {"cobra_long_middle.bmp", LongMiddle},
        {"cobra_shortpanels.bmp", ShortPanels},
        {"cobra_tallvents.bmp", TallVents},
        {"cobra_blowers.bmp", Blowers},
        {"cobra_backvents.bmp", BackVents},
        {"cobra_long_middlend.bmp", LongMiddleEnd},
        {"cobra_vents_short.bmp", VentsShort},
        {"cobra_turret_back.bmp", TurretBack},
        {"cobra_longpanels.bmp", LongPanels},
        {"cobra_underhatches.bmp", UnderHatches},
        {"cobra_vents_long.bmp", VentsLong},
        {"cobra_straps.bmp", Straps},
        {"cobra_turret_side.bmp", TurretSide},
        {"cobra_accessories.bmp", Accessories},
        {"cobra_camo.bmp", Camo},
        {"cobra_hatches.bmp", Hatches},
        {"vehlengback.bmp", VehLengBack},
        {"vehltopfrnt2sml.bmp", VehLTopFront},
        {"trukrearbumper.bmp", TrukRearBumper},
    };
    auto found = painters.find(name);
    return found != painters.end() ? found->second() : Canvas(8, 8, kOlive);
}
