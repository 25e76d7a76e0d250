#include "Pictures.h"

#include <algorithm>
#include <cmath>

namespace {
float Fx(int v) {
    return static_cast<float>(v);
}
} // namespace

Canvas PaintGrass() {
    Canvas c(256, 256);
    const Colour dark = {46, 78, 28}, light = {98, 124, 46}, dry = {138, 134, 70};
    const Colour earth = {104, 80, 54}, darkEarth = {70, 54, 38};
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float patches = Fbm(Fx(x) / 64, Fx(y) / 64, 4, 4, 11);
            float dryness = Fbm(Fx(x) / 32, Fx(y) / 32, 8, 3, 12);
            float blades = Noise(Fx(x) / 1.5f, Fx(y) / 5, 0, 13) * 0.6f + Lattice(x, y, 14) * 0.4f;
            Colour grass = Mix(dark, light, SmoothStep(0.3f, 0.7f, patches));
            grass = Mix(grass, dry, 0.5f * SmoothStep(0.55f, 0.75f, dryness));
            grass = Scale(grass, 0.78f + 0.42f * blades);
            // Bare earth where a second noise field is high, with pebbles.
            float soil = Fbm(Fx(x) / 32, Fx(y) / 32, 8, 4, 16);
            float bare = SmoothStep(0.6f, 0.68f, soil);
            Colour ground = Mix(darkEarth, earth, Fbm(Fx(x) / 8, Fx(y) / 8, 32, 3, 17));
            ground = Scale(ground, 0.85f + 0.3f * Lattice(x, y, 18));
            if (Lattice(x / 2, y / 2, 19) > 0.97f)
                ground = Mix(ground, Colour{132, 122, 106}, 0.5f);
            c.Set(x, y, Mix(grass, ground, bare));
        }
    return c;
}

Canvas PaintRock() {
    Canvas c(256, 256);
    const Colour grey = {118, 112, 104}, brown = {112, 92, 72}, pale = {160, 154, 144};
    // Relief lit from the top left: the slope of a rough height field.
    auto relief = [](int x, int y) {
        return Fbm(Fx(x) / 32, Fx(y) / 32, 8, 5, 20) +
               0.5f * std::fabs(Fbm(Fx(x) / 16, Fx(y) / 16, 16, 3, 28) - 0.5f);
    };
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float body = Fbm(Fx(x) / 64, Fx(y) / 64, 4, 5, 21);
            // Strata: bands across the rock, bent by noise.
            float bend = Fbm(Fx(x) / 64, Fx(y) / 64, 4, 3, 22) * 24;
            float band = Noise(0.5f, (Fx(y) + bend) / 6, 0, 23);
            band = std::fabs(band - 0.5f) * 2;
            Colour rock = Mix(grey, brown, SmoothStep(0.35f, 0.65f, body));
            rock = Mix(rock, pale, 0.3f * SmoothStep(0.5f, 1.0f, band));
            float slope =
                relief((x + 255) % 256, (y + 255) % 256) - relief((x + 1) % 256, (y + 1) % 256);
            // Fine cracks where a ridged field peaks.
            float crack = 1 - std::fabs(Fbm(Fx(x) / 16, Fx(y) / 16, 16, 3, 24) - 0.5f) * 2;
            float cracks = SmoothStep(0.95f, 0.99f, crack);
            float grain = Lattice(x, y, 25) * 0.5f + Noise(Fx(x) / 3, Fx(y) / 3, 0, 26) * 0.5f;
            rock = Scale(rock, (0.82f + 0.3f * grain) * (1 + 7 * slope) * (1 - 0.35f * cracks));
            // Lichen here and there.
            float lichen = SmoothStep(0.68f, 0.75f, Fbm(Fx(x) / 16, Fx(y) / 16, 16, 3, 27));
            rock = Mix(rock, Colour{104, 112, 76}, 0.45f * lichen);
            c.Set(x, y, rock);
        }
    return c;
}

Canvas PaintSnow() {
    Canvas c(256, 256);
    const Colour white = {240, 244, 250}, shadow = {188, 202, 226}, stone = {108, 104, 100};
    for (int y = 0; y < 256; ++y)
        for (int x = 0; x < 256; ++x) {
            float drift = Fbm(Fx(x) / 64, Fx(y) / 64, 4, 5, 31);
            float wind = Fbm(Fx(x) / 32, Fx(y) / 8, 8, 2, 33);
            Colour snow = Mix(shadow, white, SmoothStep(0.3f, 0.62f, drift * 0.8f + wind * 0.2f));
            snow = Scale(snow, 0.96f + 0.06f * Lattice(x, y, 34));
            // Rock showing through where the snow is thin.
            float bare = SmoothStep(0.26f, 0.22f, Fbm(Fx(x) / 32, Fx(y) / 32, 8, 4, 35));
            Colour rock = Scale(stone, 0.8f + 0.4f * Lattice(x, y, 36));
            c.Set(x, y, Mix(snow, rock, bare));
        }
    return c;
}

Canvas PaintStar() {
    const int size = 64;
    Canvas c(size, size);
    const float centre = Fx(size) / 2;
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float dx = Fx(x) + 0.5f - centre, dy = Fx(y) + 0.5f - centre;
            float r = std::sqrt(dx * dx + dy * dy) / centre;
            if (r >= 1)
                continue;
            float glow = (1 - r) * (1 - r);
            float core = Clamp01(1 - r * 3.5f);
            core *= core;
            float intensity = Clamp01(1.1f * glow * std::sqrt(1 - r) + 0.7f * core);
            // Hot white in the middle, warm yellow-orange towards the rim.
            Colour warm = {255, 200, 120};
            Colour colour = Mix(warm, Colour{255, 255, 250}, Clamp01(core * 1.5f));
            c.Set(x, y, Scale(colour, intensity));
        }
    return c;
}

Canvas PaintTrail() {
    const int size = 64;
    Canvas c(size, size);
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float across = 1 - std::fabs((Fx(y) + 0.5f) / Fx(size) * 2 - 1);
            float body = SmoothStep(0, 1, across);
            body *= body;
            float streak = Noise(Fx(x) / 16, Fx(y) / 2.5f, 4, 41);
            float intensity = Clamp01(body * (0.8f + 0.35f * streak));
            if (y == 0 || y == size - 1)
                intensity = 0; // the ribbon's edges fade out completely
            c.Set(x, y, Scale(Colour{225, 235, 255}, intensity));
        }
    return c;
}

Canvas PaintWater() {
    const int size = 256;
    Canvas c(size, size);
    const Colour deep = {14, 44, 86}, shallow = {34, 92, 132}, crest = {120, 170, 200};
    for (int y = 0; y < size; ++y)
        for (int x = 0; x < size; ++x) {
            float swell = Fbm(Fx(x) / 64, Fx(y) / 64, 4, 4, 51);
            float waves = Fbm((Fx(x) + Fx(y) * 0.3f) / 16, Fx(y) / 6, 16, 3, 52);
            float ridge = 1 - std::fabs(waves - 0.5f) * 2;
            Colour water = Mix(deep, shallow, SmoothStep(0.25f, 0.75f, swell));
            water = Mix(water, crest, 0.55f * SmoothStep(0.82f, 0.97f, ridge));
            water = Scale(water, 0.93f + 0.1f * Lattice(x, y, 53));
            c.Set(x, y, water);
        }
    return c;
}

Canvas PaintInfoPanel() {
    Canvas c(128, 128);
    const Colour ink = {180, 214, 240};
    // A thin frame, the name large, a rule, then the controls.
    for (int i = 1; i < 127; ++i) {
        c.Set(i, 1, ink);
        c.Set(i, 126, ink);
        c.Set(1, i, ink);
        c.Set(126, i, ink);
    }
    const std::string name = "ZEZIVOZE";
    c.Text((128 - Canvas::TextWidth(name, 2)) / 2, 6, name, ink, 2);
    // Three columns: keyboard and mouse, game controller, what they do.
    const int columns[] = {6, 46, 86};
    c.Text(columns[0], 24, "KEYS", ink);
    c.Text(columns[1], 24, "PAD", ink);
    c.FillRect(6, 33, 122, 34, ink);
    const char* lines[][3] = {
        {"ARROWS", "LSTICK", "DRIVE"}, {"MOUSE", "RSTICK", "AIM"}, {"LEFT", "RT/A", "FIRE"},
        {"RIGHT", "B/RB", "CAMERA"},   {"H", "Y", "DETAIL"},       {"R", "", "RELOAD"},
        {"Q", "X", "RESET"},           {"ESC", "BACK", "QUIT"},
    };
    int y = 38;
    for (const auto& line : lines) {
        for (int column = 0; column < 3; ++column)
            c.Text(columns[column], y, line[column], ink);
        y += 10;
    }
    return c;
}

std::vector<uint8_t> MakeSmallHeightMap() {
    // The relief is shaped on a fine 256 x 256 grid and averaged down to the
    // map's size, so that the coarse samples keep the large forms only.
    constexpr int fine = 256, step = fine / kSmallMapSize;
    std::vector<float> field(static_cast<size_t>(kSmallMapSize) * kSmallMapSize, 0.0f);
    for (int y = 0; y < fine; ++y)
        for (int x = 0; x < fine; ++x) {
            float fx = Fx(x), fy = Fx(y);
            float land = Fbm(fx / 96, fy / 96, 0, 5, 61);
            float ridge = 1 - std::fabs(Fbm(fx / 56, fy / 56, 0, 3, 62) - 0.5f) * 2;
            ridge = ridge * ridge * ridge;
            float mountains = SmoothStep(0.45f, 0.62f, Fbm(fx / 128, fy / 128, 0, 2, 63));
            float h = land * 1.6f + ridge * (0.35f + 0.75f * mountains);
            // A river valley winding from the top edge to the bottom one.
            float centre = 160 + 90 * (Fbm(fy / 80, 3.5f, 0, 3, 65) - 0.5f) * 2;
            float valley = 1 - SmoothStep(4, 26, std::fabs(fx - centre));
            h -= 0.55f * valley;
            field[static_cast<size_t>(y / step) * kSmallMapSize + x / step] +=
                h / float(step * step);
        }
    // Spread the levels so that the lowest parts lie under water and the
    // highest carry snow.
    std::vector<float> sorted(field);
    std::sort(sorted.begin(), sorted.end());
    const float lo = sorted[sorted.size() * 3 / 100], hi = sorted[sorted.size() * 985 / 1000];
    std::vector<uint8_t> heights(field.size());
    for (int y = 0; y < kSmallMapSize; ++y)
        for (int x = 0; x < kSmallMapSize; ++x) {
            float t = (field[static_cast<size_t>(y) * kSmallMapSize + x] - lo) / (hi - lo);
            float h = 82 + 168 * Clamp01(t);
            // The corner where both tanks start (out to sample 11): dry ground,
            // gentle near the first tank, the hills left standing further out.
            float cx = Fx(x * step + step / 2), cy = Fx(y * step + step / 2);
            float dx = cx - 6, dy = cy - 6;
            float distance = std::sqrt(dx * dx + dy * dy);
            float dry = 150 + 10 * Fbm(cx / 10, cy / 10, 0, 2, 66);
            float flat = 1 - SmoothStep(18, 60, distance);
            float lifted = 1 - SmoothStep(110, 150, distance);
            h = h + (std::max(h, dry) - h) * lifted;
            h = h + (dry - h) * flat;
            heights[static_cast<size_t>(y) * kSmallMapSize + x] =
                static_cast<uint8_t>(std::clamp(std::floor(h + 0.5f), 0.0f, 255.0f));
        }
    return heights;
}
