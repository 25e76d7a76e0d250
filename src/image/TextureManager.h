#pragma once

#include "image/RgbImage.h"

#include <cstdint>

// One slot of the texture table.
struct TextureEntry {
    const char* Name() const { return name; }

    RgbImage* image = nullptr; // kept after upload
    unsigned char loaded = 0;
    char* name = nullptr; // heap copy of the name it was loaded under
};

// Owns every OpenGL texture of the program in a fixed table; a texture is named
// by its slot, which is its load order. Slots are never given back.
class TextureManager {
  public:
    TextureManager() = default;
    ~TextureManager();
    TextureManager(const TextureManager&) = delete;
    TextureManager& operator=(const TextureManager&) = delete;

    void Create(int32_t capacity);
    int32_t LoadFromFile(const char* fileName);
    // Uploads a copy of width x height RGB bytes under name.
    int32_t LoadFromMemory(const char* name, const uint8_t* pixels, int16_t width, int16_t height);
    // Binds nothing for -1 or any index outside the used slots.
    void Bind(int32_t index);
    // First slot loaded under exactly this name, or -1.
    int32_t FindByName(const char* name) const;

    uint32_t* ids = nullptr;
    TextureEntry* slots = nullptr;
    int32_t capacity = 0;
    int32_t count = 0;

  private:
    void FreeTable();
    bool BeginLoad();
    int32_t FinishLoad();
};

// The program's texture table.
extern TextureManager textureManager;
