#pragma once

#include "TerrainTestSupport.h"
#include "app/AppState.h"
#include "app/Globals.h"
#include "image/BmpWriter.h"
#include "image/TextureManager.h"
#include "support/TestSupport.h"
#include "terrain/TerrainBlend.h"

#include <gtest/gtest.h>

// A data folder as the program reads it (working directory), a real OpenGL
// context, the global log on a scratch file and a fresh global texture table
// holding the pictures the terrain uses.
class TerrainScene : public testing::Test {
  protected:
    using Heights = std::function<uint8_t(int32_t row, int32_t column)>;

    static void WriteHeightMap(int width, int height, const Heights& heights) {
        std::vector<uint8_t> samples(size_t(width) * height);
        for (int r = 0; r < height; ++r)
            for (int c = 0; c < width; ++c)
                samples[size_t(r) * width + c] = heights(r, c);
        ASSERT_TRUE(
            WriteBinaryFile("textures/landscp.bmp", EncodeHeightMapBmp(width, height, samples)));
    }

    static void WritePicture(const char* name, int size, const std::vector<uint8_t>& rgb) {
        ASSERT_TRUE(WriteBinaryFile(name, EncodeBmp24(size, size, rgb)));
    }

    // Every picture the terrain reads; the three sources busy unless given a colour.
    static void WriteData(const Heights& heights, int width = 96, int height = 64,
                          const uint8_t* sourceColour = nullptr) {
        WriteHeightMap(width, height, heights);
        for (int i = 0; i < 3; ++i)
            WritePicture(kTerrainSourceNames[i], 256,
                         sourceColour
                             ? Solid(256, 256, sourceColour[0], sourceColour[1], sourceColour[2])
                             : Busy(256, 256, i + 1));
        WritePicture("textures/water.bmp", 8, Solid(8, 8, 0, 0, 200));
        WritePicture("textures/info.bmp", 16, Solid(16, 16, 200, 100, 50));
        WritePicture("textures/trail.bmp", 8, Solid(8, 8, 128, 128, 128));
    }

    // The table as start-up leaves it for the terrain: its pictures in slots 0 to 5.
    static void LoadTextures() {
        ResetTextureTable(256);
        for (const char* name :
             {kTerrainSourceNames[0], kTerrainSourceNames[1], kTerrainSourceNames[2],
              "textures/info.bmp", "textures/water.bmp", "textures/trail.bmp"})
            textureManager.LoadFromFile(name);
    }

    void SetUp() override { ASSERT_TRUE(gl.ok()); }

    void TearDown() override {
        appState.fineTerrain = fineTerrain;
        appState.largeTerrainTexture = largeTexture;
        ResetTextureTable(0);
    }

    GLTestContext gl;
    TempDir dir{true};
    LogCapture log;
    Landscape land;
    unsigned char fineTerrain = appState.fineTerrain;
    unsigned char largeTexture = appState.largeTerrainTexture;
};
