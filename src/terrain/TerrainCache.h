#pragma once

#include <cstdint>
#include <functional>

// The terrain texture cache: tile rows and tiles per row (both N) as 32-bit
// integers, the N x N tiles as written by BlendTerrainTiles, then the 32-bit check
// value of the inputs they were made from. Little-endian throughout.

inline constexpr const char* kTerrainCacheFile = "textures/landscpf.dat";

// What a look at the cache found.
enum class TerrainCacheResult {
    Used,     // whole and matching: tiles holds it
    Missing,  // could not be opened
    Mismatch, // another tile count, another check value, or not whole
};

// Reads the cache for tileSize into tiles (kTerrainBytes) when it is whole and was
// made from inputs with this check value. tiles may be overwritten either way.
TerrainCacheResult ReadTerrainCache(const char* fileName, int32_t tileSize, uint32_t check,
                                    uint8_t* tiles);

// Writes the cache through a temporary file beside it (fileName + ".tmp"),
// renamed over the old one only once complete. False, with the old file left as
// it was and no temporary, when that fails or cancelled() turns true during the
// write. Writes nothing to the log, so it may run beside the main thread.
bool WriteTerrainCache(const char* fileName, int32_t tileSize, uint32_t check, const uint8_t* tiles,
                       const std::function<bool()>& cancelled = {});

// Removes the temporary that a run killed while writing the cache left behind
// (a folder of that name is not one of ours and stays).
void RemoveStaleTerrainCacheTemporary(const char* fileName);
