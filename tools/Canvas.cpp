#include "Canvas.h"

#include <algorithm>
#include <cmath>

Colour Mix(Colour a, Colour b, float t) {
    return {a.r + (b.r - a.r) * t, a.g + (b.g - a.g) * t, a.b + (b.b - a.b) * t};
}

Colour Scale(Colour c, float k) {
    return {c.r * k, c.g * k, c.b * k};
}

float Clamp01(float v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

float SmoothStep(float edge0, float edge1, float v) {
    float t = Clamp01((v - edge0) / (edge1 - edge0));
    return t * t * (3 - 2 * t);
}

float Lattice(int32_t x, int32_t y, uint32_t seed) {
    uint32_t h = seed * 0x9E3779B1u ^ static_cast<uint32_t>(x) * 0x85EBCA77u ^
                 static_cast<uint32_t>(y) * 0xC2B2AE3Du;
    h ^= h >> 15;
    h *= 0x2C1B3C6Du;
    h ^= h >> 12;
    h *= 0x297A2D39u;
    h ^= h >> 15;
    return static_cast<float>(h >> 8) * (1.0f / 16777215.0f);
}

float Noise(float x, float y, int period, uint32_t seed) {
    float fx = std::floor(x), fy = std::floor(y);
    int32_t ix = static_cast<int32_t>(fx), iy = static_cast<int32_t>(fy);
    float tx = x - fx, ty = y - fy;
    tx = tx * tx * (3 - 2 * tx);
    ty = ty * ty * (3 - 2 * ty);
    auto at = [&](int32_t lx, int32_t ly) {
        if (period > 0) {
            lx = ((lx % period) + period) % period;
            ly = ((ly % period) + period) % period;
        }
        return Lattice(lx, ly, seed);
    };
    float top = at(ix, iy) + (at(ix + 1, iy) - at(ix, iy)) * tx;
    float bottom = at(ix, iy + 1) + (at(ix + 1, iy + 1) - at(ix, iy + 1)) * tx;
    return top + (bottom - top) * ty;
}

float Fbm(float x, float y, int period, int octaves, uint32_t seed) {
    float sum = 0, weight = 1, total = 0;
    for (int i = 0; i < octaves; ++i) {
        sum += weight * Noise(x, y, period, seed + static_cast<uint32_t>(i) * 101u);
        total += weight;
        weight *= 0.5f;
        x *= 2;
        y *= 2;
        period *= 2;
    }
    return sum / total;
}

Canvas::Canvas(int w, int h, Colour fill)
    : width(w), height(h), pixels(static_cast<size_t>(w) * h, fill) {}

Colour Canvas::Get(int x, int y) const {
    x = std::clamp(x, 0, width - 1);
    y = std::clamp(y, 0, height - 1);
    return pixels[static_cast<size_t>(y) * width + x];
}

void Canvas::Set(int x, int y, Colour c) {
    if (x >= 0 && y >= 0 && x < width && y < height)
        pixels[static_cast<size_t>(y) * width + x] = c;
}

void Canvas::Blend(int x, int y, Colour c, float alpha) {
    if (x >= 0 && y >= 0 && x < width && y < height) {
        Colour& p = pixels[static_cast<size_t>(y) * width + x];
        p = Mix(p, c, Clamp01(alpha));
    }
}

void Canvas::Shade(int x, int y, float factor) {
    if (x >= 0 && y >= 0 && x < width && y < height) {
        Colour& p = pixels[static_cast<size_t>(y) * width + x];
        p = Scale(p, factor);
    }
}

void Canvas::FillRect(int x0, int y0, int x1, int y1, Colour c) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            Set(x, y, c);
}

void Canvas::ShadeRect(int x0, int y0, int x1, int y1, float factor) {
    for (int y = y0; y < y1; ++y)
        for (int x = x0; x < x1; ++x)
            Shade(x, y, factor);
}

void Canvas::Bevel(int x0, int y0, int x1, int y1, float depth, int thickness) {
    const float light = 1 + 0.45f * depth, dark = 1 - 0.4f * depth;
    for (int t = 0; t < thickness; ++t) {
        const float fade = 1 - 0.3f * static_cast<float>(t) / static_cast<float>(thickness);
        const float l = 1 + (light - 1) * fade, d = 1 + (dark - 1) * fade;
        for (int x = x0 + t; x < x1 - t; ++x) {
            Shade(x, y0 + t, l);
            Shade(x, y1 - 1 - t, d);
        }
        for (int y = y0 + t + 1; y < y1 - t - 1; ++y) {
            Shade(x0 + t, y, l);
            Shade(x1 - 1 - t, y, d);
        }
    }
}

void Canvas::SeamH(int x0, int x1, int y) {
    for (int x = x0; x < x1; ++x) {
        Shade(x, y, 0.45f);
        Shade(x, y + 1, 1.25f);
    }
}

void Canvas::SeamV(int x, int y0, int y1) {
    for (int y = y0; y < y1; ++y) {
        Shade(x, y, 0.45f);
        Shade(x + 1, y, 1.25f);
    }
}

void Canvas::Rivet(int cx, int cy, float radius) {
    const int r = static_cast<int>(radius) + 2;
    for (int y = cy - r; y <= cy + r; ++y)
        for (int x = cx - r; x <= cx + r; ++x) {
            float dx = static_cast<float>(x - cx), dy = static_cast<float>(y - cy);
            float d = std::sqrt(dx * dx + dy * dy);
            if (d <= radius) {
                // Lit from the top left: brighter where the dome faces up-left.
                float facing = -(dx + dy) / (radius * 1.5f + 0.5f);
                Shade(x, y, 1.05f + 0.45f * facing);
            } else if (d <= radius + 1.2f && dx + dy > 0) {
                Shade(x, y, 0.65f); // its shadow
            }
        }
}

void Canvas::RivetRow(int x0, int y0, int x1, int y1, int spacing, float radius) {
    int steps = std::max(std::abs(x1 - x0), std::abs(y1 - y0)) / spacing;
    for (int i = 0; i <= steps; ++i) {
        int x = steps == 0 ? x0 : x0 + (x1 - x0) * i / steps;
        int y = steps == 0 ? y0 : y0 + (y1 - y0) * i / steps;
        Rivet(x, y, radius);
    }
}

void Canvas::Disc(float cx, float cy, float radius, Colour c, bool dome) {
    const int x0 = static_cast<int>(std::floor(cx - radius - 1));
    const int x1 = static_cast<int>(std::ceil(cx + radius + 1));
    const int y0 = static_cast<int>(std::floor(cy - radius - 1));
    const int y1 = static_cast<int>(std::ceil(cy + radius + 1));
    for (int y = y0; y <= y1; ++y)
        for (int x = x0; x <= x1; ++x) {
            float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
            float d = std::sqrt(dx * dx + dy * dy);
            float alpha = Clamp01(radius + 0.5f - d);
            if (alpha <= 0)
                continue;
            Colour fill = c;
            if (dome) {
                float facing = -(dx + dy) / (radius * 1.6f);
                fill = Scale(c, 0.95f + 0.35f * facing - 0.25f * (d / radius) * (d / radius));
            }
            Blend(x, y, fill, alpha);
        }
}

void Canvas::Ring(float cx, float cy, float radius, float ringWidth, float factor) {
    const int r = static_cast<int>(radius + ringWidth) + 2;
    for (int y = static_cast<int>(cy) - r; y <= static_cast<int>(cy) + r; ++y)
        for (int x = static_cast<int>(cx) - r; x <= static_cast<int>(cx) + r; ++x) {
            float dx = static_cast<float>(x) + 0.5f - cx, dy = static_cast<float>(y) + 0.5f - cy;
            float d = std::sqrt(dx * dx + dy * dy);
            float inside = Clamp01(1 - std::fabs(d - radius) / ringWidth);
            if (inside > 0)
                Shade(x, y, 1 + (factor - 1) * inside);
        }
}

namespace {
// 5 x 7 glyphs, one byte per row, the low 5 bits left to right.
struct Glyph {
    char c;
    uint8_t rows[7];
};
constexpr Glyph kFont[] = {
    {'A', {14, 17, 17, 31, 17, 17, 17}}, {'B', {30, 17, 17, 30, 17, 17, 30}},
    {'C', {14, 17, 16, 16, 16, 17, 14}}, {'D', {30, 17, 17, 17, 17, 17, 30}},
    {'E', {31, 16, 16, 30, 16, 16, 31}}, {'F', {31, 16, 16, 30, 16, 16, 16}},
    {'G', {14, 17, 16, 23, 17, 17, 15}}, {'H', {17, 17, 17, 31, 17, 17, 17}},
    {'I', {14, 4, 4, 4, 4, 4, 14}},      {'J', {7, 2, 2, 2, 2, 18, 12}},
    {'K', {17, 18, 20, 24, 20, 18, 17}}, {'L', {16, 16, 16, 16, 16, 16, 31}},
    {'M', {17, 27, 21, 21, 17, 17, 17}}, {'N', {17, 17, 25, 21, 19, 17, 17}},
    {'O', {14, 17, 17, 17, 17, 17, 14}}, {'P', {30, 17, 17, 30, 16, 16, 16}},
    {'Q', {14, 17, 17, 17, 21, 18, 13}}, {'R', {30, 17, 17, 30, 20, 18, 17}},
    {'S', {15, 16, 16, 14, 1, 1, 30}},   {'T', {31, 4, 4, 4, 4, 4, 4}},
    {'U', {17, 17, 17, 17, 17, 17, 14}}, {'V', {17, 17, 17, 17, 17, 10, 4}},
    {'W', {17, 17, 17, 21, 21, 21, 10}}, {'X', {17, 17, 10, 4, 10, 17, 17}},
    {'Y', {17, 17, 10, 4, 4, 4, 4}},     {'Z', {31, 1, 2, 4, 8, 16, 31}},
    {'0', {14, 17, 19, 21, 25, 17, 14}}, {'1', {4, 12, 4, 4, 4, 4, 14}},
    {'2', {14, 17, 1, 2, 4, 8, 31}},     {'3', {31, 2, 4, 2, 1, 17, 14}},
    {'4', {2, 6, 10, 18, 31, 2, 2}},     {'5', {31, 16, 30, 1, 1, 17, 14}},
    {'6', {6, 8, 16, 30, 17, 17, 14}},   {'7', {31, 1, 2, 4, 8, 8, 8}},
    {'8', {14, 17, 17, 14, 17, 17, 14}}, {'9', {14, 17, 17, 15, 1, 2, 12}},
    {'/', {1, 2, 2, 4, 8, 8, 16}},       {'-', {0, 0, 0, 31, 0, 0, 0}},
    {':', {0, 12, 12, 0, 12, 12, 0}},    {'.', {0, 0, 0, 0, 0, 12, 12}},
    {'+', {0, 4, 4, 31, 4, 4, 0}},       {'<', {2, 4, 8, 16, 8, 4, 2}},
    {'>', {8, 4, 2, 1, 2, 4, 8}},        {'^', {4, 10, 17, 0, 0, 0, 0}},
};

const Glyph* FindGlyph(char c) {
    for (const Glyph& g : kFont)
        if (g.c == c)
            return &g;
    return nullptr; // blank
}
} // namespace

void Canvas::Text(int x, int y, const std::string& text, Colour c, int scale) {
    for (char ch : text) {
        if (const Glyph* g = FindGlyph(ch))
            for (int row = 0; row < 7; ++row)
                for (int col = 0; col < 5; ++col)
                    if (g->rows[row] & (16 >> col))
                        FillRect(x + col * scale, y + row * scale, x + (col + 1) * scale,
                                 y + (row + 1) * scale, c);
        x += 6 * scale;
    }
}

int Canvas::TextWidth(const std::string& text, int scale) {
    return text.empty() ? 0 : (static_cast<int>(text.size()) * 6 - 1) * scale;
}

std::vector<uint8_t> Canvas::Rgb() const {
    std::vector<uint8_t> out(pixels.size() * 3);
    auto byte = [](float v) {
        v = std::floor(v + 0.5f);
        return static_cast<uint8_t>(v < 0 ? 0 : (v > 255 ? 255 : v));
    };
    for (size_t i = 0; i < pixels.size(); ++i) {
        out[i * 3] = byte(pixels[i].r);
        out[i * 3 + 1] = byte(pixels[i].g);
        out[i * 3 + 2] = byte(pixels[i].b);
    }
    return out;
}

std::vector<uint32_t> FitPalette(const std::vector<uint8_t>& rgb, int count) {
    struct Box {
        std::vector<uint32_t> colours;
    };
    std::vector<Box> boxes(1);
    for (size_t i = 0; i + 2 < rgb.size(); i += 3)
        boxes[0].colours.push_back(static_cast<uint32_t>(rgb[i]) << 16 | rgb[i + 1] << 8 |
                                   rgb[i + 2]);
    // Few colours: take them exactly.
    std::vector<uint32_t> unique = boxes[0].colours;
    std::sort(unique.begin(), unique.end());
    unique.erase(std::unique(unique.begin(), unique.end()), unique.end());
    if (static_cast<int>(unique.size()) <= count)
        return unique;
    auto channel = [](uint32_t c, int k) { return static_cast<int>(c >> (16 - 8 * k) & 0xFF); };
    // Split the box with the widest channel range at its median until there are enough.
    while (static_cast<int>(boxes.size()) < count) {
        int best = -1, bestRange = 0, bestChannel = 0;
        for (size_t b = 0; b < boxes.size(); ++b) {
            if (boxes[b].colours.size() < 2)
                continue;
            for (int k = 0; k < 3; ++k) {
                auto [lo, hi] = std::minmax_element(
                    boxes[b].colours.begin(), boxes[b].colours.end(),
                    [&](uint32_t a, uint32_t c) { return channel(a, k) < channel(c, k); });
                int range = channel(*hi, k) - channel(*lo, k);
                if (range > bestRange) {
                    bestRange = range;
                    best = static_cast<int>(b);
                    bestChannel = k;
                }
            }
        }
        if (best < 0)
            break;
        std::vector<uint32_t>& colours = boxes[best].colours;
        std::stable_sort(colours.begin(), colours.end(), [&](uint32_t a, uint32_t c) {
            return channel(a, bestChannel) < channel(c, bestChannel);
        });
        Box upper;
        upper.colours.assign(colours.begin() + static_cast<std::ptrdiff_t>(colours.size() / 2),
                             colours.end());
        colours.resize(colours.size() / 2);
        boxes.push_back(std::move(upper));
    }
    std::vector<uint32_t> palette;
    for (const Box& box : boxes) {
        if (box.colours.empty())
            continue;
        uint64_t sum[3] = {0, 0, 0};
        for (uint32_t c : box.colours)
            for (int k = 0; k < 3; ++k)
                sum[k] += static_cast<uint64_t>(channel(c, k));
        uint32_t colour = 0;
        for (int k = 0; k < 3; ++k)
            colour |= static_cast<uint32_t>((sum[k] + box.colours.size() / 2) / box.colours.size())
                      << (16 - 8 * k);
        palette.push_back(colour);
    }
    std::sort(palette.begin(), palette.end());
    return palette;
}
