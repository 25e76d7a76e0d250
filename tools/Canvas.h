#pragma once

#include <cstdint>
#include <string>
#include <vector>

// Drawing helpers for the default pictures. Everything is deterministic: the
// noise is our own integer hash, and only +, -, *, / and sqrt touch floats, so
// the same bytes come out on every run and machine.

struct Colour {
    float r, g, b;
};

Colour Mix(Colour a, Colour b, float t);
Colour Scale(Colour c, float k);

float Clamp01(float v);
float SmoothStep(float edge0, float edge1, float v);

// Hash of a lattice point, 0 to 1.
float Lattice(int32_t x, int32_t y, uint32_t seed);
// Smooth value noise, 0 to 1; with period > 0 it repeats every period units.
float Noise(float x, float y, int period, uint32_t seed);
// Octaves of Noise, each twice the frequency and half the weight; 0 to 1.
float Fbm(float x, float y, int period, int octaves, uint32_t seed);

// An RGB picture of floats (0 to 255), top row first.
class Canvas {
  public:
    Canvas(int width, int height, Colour fill = {0, 0, 0});

    int width;
    int height;

    Colour Get(int x, int y) const;
    void Set(int x, int y, Colour c); // outside: ignored
    void Blend(int x, int y, Colour c, float alpha);
    void Shade(int x, int y, float factor); // multiplies, outside: ignored

    void FillRect(int x0, int y0, int x1, int y1, Colour c); // x1, y1 exclusive
    void ShadeRect(int x0, int y0, int x1, int y1, float factor);
    // A raised (or, with depth < 0, sunk) rectangle: lit top and left edges,
    // shadowed bottom and right ones.
    void Bevel(int x0, int y0, int x1, int y1, float depth, int thickness = 1);
    // A panel seam: a dark line with a lit line beside it.
    void SeamH(int x0, int x1, int y);
    void SeamV(int x, int y0, int y1);
    void Rivet(int cx, int cy, float radius);
    void RivetRow(int x0, int y0, int x1, int y1, int spacing, float radius);
    // A disc with soft edges; shaded like a dome when dome is set.
    void Disc(float cx, float cy, float radius, Colour c, bool dome = false);
    void Ring(float cx, float cy, float radius, float width, float factor);
    // Text in the 5 x 7 pixel font, scale pixels per font pixel.
    void Text(int x, int y, const std::string& text, Colour c, int scale = 1);
    static int TextWidth(const std::string& text, int scale = 1);

    std::vector<uint8_t> Rgb() const; // rounded and clamped bytes, top row first

  private:
    std::vector<Colour> pixels;
};

// A palette of up to count colours (0xRRGGBB) that fits the picture, by
// median cut; used for the 8-, 4- and 1-bit pictures.
std::vector<uint32_t> FitPalette(const std::vector<uint8_t>& rgb, int count);
