#pragma once

#include "math/Vector4.h"

#include <cstdint>

// One rigid mesh of textured quadrilaterals read from a sectioned model file.
class Model {
  public:
    Model();
    ~Model();
    Model(const Model&) = delete;
    Model& operator=(const Model&) = delete;

    void Load(const char* fileName);
    void Release();
    void Draw();

    unsigned char loaded;
    uint16_t vertexCount;
    uint16_t faceCount;
    uint16_t textureCount;
    uint16_t frameCount;
    uint16_t mountCount;
    float** frames;        // frameCount arrays of vertexCount x (x, y, z)
    float* faceTexCoords;  // faceCount x 4 corners x (u, v)
    float* mountPositions; // mountCount x (x, y, z), or null without a mounts section
    uint16_t* faceIndices; // faceCount x 4
    int32_t* textureIds;   // textureCount, -1 where no texture matched
    char** textureNames;   // textureCount base names
    char** mountNames;     // mountCount names as stored
    Vector4 position;
    Vector4 rotation; // degrees about x, y, z
};
