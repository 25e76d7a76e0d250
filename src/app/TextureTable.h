#pragma once

#include <cstdint>

class TextureManager;

// The pictures loaded at start, in order: a texture's number is its position
// here, and every other part relies on that numbering.
constexpr int32_t kTextureTableSize = 33;
constexpr int32_t kTextureCapacity = 256;
extern const char* const kTextureTable[kTextureTableSize];

// Creates the table with its 256 slots and loads the pictures above in order
// (a missing or unreadable one ends the program).
void LoadTextureTable(TextureManager& manager);
