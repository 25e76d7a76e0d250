#pragma once

#include "TerrainTestSupport.h"
#include "app/AppState.h"
#include "app/Globals.h"
#include "image/BmpWriter.h"
#include "image/TextureManager.h"
#include "support/TestSupport.h"

#include <functional>
#include <gtest/gtest.h>
#include <new>
#include <string>
#include <vector>

// A data folder as the program reads it (working directory), a real OpenGL
// context, the global log on a scratch file and a fresh global texture table
// holding the pictures the terrain uses.
class TerrainScene : public testing::Test {
  protected:
    using Heights = std::function<uint8_t(int32_t row, int32_t column)>;

    static std::vector<uint8_t> Solid(int width, int height, uint8_t r, uint8_t g, uint8_t b) {
        std::vector<uint8_t> rgb(size_t(width) * height * 3);
        for (size_t i = 0; i < rgb.size(); i += 3)
            rgb[i] = r, rgb[i + 1] = g, rgb[i + 2] = b;
        return rgb;
    }

    static std::vector<uint8_t> Busy(int width, int height, uint32_t seed) {
        std::vector<uint8_t> rgb(size_t(width) * height * 3);
        for (uint8_t& byte : rgb) {
            seed = seed * 1664525u + 1013904223u;
            byte = uint8_t(seed >> 24);
        }
        return rgb;
    }

    static void WriteHeightMap(int width, int height, const Heights& heights) {
        std::vector<uint8_t> samples(size_t(width) * height);
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                samples[size_t(r) * width + c] = heights(r, c);
        ASSERT_TRUE(
            WriteBinaryFile("textures/landscp.bmp", EncodeHeightMapBmp(width, height, samples)));
    }

    static void WritePicture(const char* name, int width, int height,
                             const std::vector<uint8_t>& rgb) {
        ASSERT_TRUE(WriteBinaryFile(name, EncodeBmp24(width, height, rgb)));
    }

    // Every picture the terrain reads: busy sources unless given, solid others.
    static void WriteData(const Heights& heights, int width = 96, int height = 64) {
        WriteHeightMap(width, height, heights);
        WritePicture("textures/landscpt.bmp", 256, 256, Busy(256, 256, 1));
        WritePicture("textures/landscpt2.bmp", 256, 256, Busy(256, 256, 2));
        WritePicture("textures/landscpt3.bmp", 256, 256, Busy(256, 256, 3));
        WritePicture("textures/water.bmp", 8, 8, Solid(8, 8, 0, 0, 200));
        WritePicture("textures/info.bmp", 16, 16, Solid(16, 16, 200, 100, 50));
        WritePicture("textures/trail.bmp", 8, 8, Solid(8, 8, 128, 128, 128));
    }

    // The table as start-up leaves it for the terrain: its pictures in slots 0 to 5.
    static void LoadTextures(int32_t capacity = 256) {
        ResetTextureTable(capacity);
        for (const char* name :
             {"textures/landscpt.bmp", "textures/landscpt2.bmp", "textures/landscpt3.bmp",
              "textures/info.bmp", "textures/water.bmp", "textures/trail.bmp"})
            textureManager.LoadFromFile(name);
    }

    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        fineTerrain = appState.fineTerrain;
        largeTexture = appState.largeTerrainTexture;
    }

    void TearDown() override {
        appState.fineTerrain = fineTerrain;
        appState.largeTerrainTexture = largeTexture;
        ResetTextureTable(0);
    }

    GLTestContext gl;
    TempDir dir{true};
    LogCapture log;
    unsigned char fineTerrain = 0;
    unsigned char largeTexture = 0;
};
