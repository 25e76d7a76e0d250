#include "model/Model.h"

Model::Model()
    : loaded(0), vertexCount(0), faceCount(0), textureCount(0), frameCount(0), mountCount(0),
      frames(nullptr), faceTexCoords(nullptr), mountPositions(nullptr), faceIndices(nullptr),
      textureIds(nullptr), textureNames(nullptr), mountNames(nullptr) {}

Model::~Model() {
    Release();
}

void Model::Release() {
    if (!loaded)
        return;
    loaded = 0;
    for (int i = 0; i < textureCount; ++i)
        delete[] textureNames[i];
    delete[] textureNames;
    delete[] textureIds;
    delete[] faceTexCoords;
    delete[] faceIndices;
    for (int i = 0; i < frameCount; ++i)
        delete[] frames[i];
    delete[] frames;
    if (mountPositions != nullptr) {
        delete[] mountPositions;
        for (int i = 0; i < mountCount; ++i)
            delete[] mountNames[i];
        delete[] mountNames;
    }
    textureNames = nullptr;
    textureIds = nullptr;
    faceTexCoords = nullptr;
    faceIndices = nullptr;
    frames = nullptr;
    mountPositions = nullptr;
    mountNames = nullptr;
    vertexCount = faceCount = textureCount = frameCount = mountCount = 0;
}
