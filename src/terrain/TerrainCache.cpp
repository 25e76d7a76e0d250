#include "terrain/TerrainCache.h"

#include "platform/BinaryFile.h"
#include "terrain/TerrainBlend.h"

#include <algorithm>
#include <cstdio>
#include <filesystem>
#include <string>

TerrainCacheResult ReadTerrainCache(const char* fileName, int32_t tileSize, uint32_t check,
                                    uint8_t* tiles) {
    if (!ValidTileSize(tileSize))
        return TerrainCacheResult::Mismatch;
    const int32_t tilesPerSide = kTerrainTexels / tileSize;
    BinaryFile file;
    file.Open(fileName, "rb");
    if (file.stream == nullptr)
        return TerrainCacheResult::Missing;
    int32_t rows = 0, columns = 0;
    file.ReadInt32s(1, &rows);
    file.ReadInt32s(1, &columns);
    if (rows != tilesPerSide || columns != tilesPerSide)
        return TerrainCacheResult::Mismatch;
    unsigned char stored[4];
    if (file.ReadBlock(uint32_t(kTerrainBytes), tiles) != 1 || file.ReadBlock(4, stored) != 1)
        return TerrainCacheResult::Mismatch; // ends early
    unsigned char extra;
    if (file.ReadBlock(1, &extra) == 1)
        return TerrainCacheResult::Mismatch; // longer than a cache of this size
    const uint32_t value = uint32_t(stored[0]) | uint32_t(stored[1]) << 8 |
                           uint32_t(stored[2]) << 16 | uint32_t(stored[3]) << 24;
    return value == check ? TerrainCacheResult::Used : TerrainCacheResult::Mismatch;
}

namespace {
std::string TemporaryName(const char* fileName) {
    return std::string(fileName) + ".tmp";
}
} // namespace

bool WriteTerrainCache(const char* fileName, int32_t tileSize, uint32_t check, const uint8_t* tiles,
                       const std::function<bool()>& cancelled) {
    if (!ValidTileSize(tileSize))
        return false;
    const int32_t tilesPerSide = kTerrainTexels / tileSize;
    const std::string temporary = TemporaryName(fileName);
    // Opened without the log line of BinaryFile::Open: this may run beside the
    // main thread, and the caller reports a cache that was not saved itself.
    BinaryFile file;
    file.stream = std::fopen(temporary.c_str(), "wb");
    if (file.stream == nullptr)
        return false;
    file.WriteInt32s(1, &tilesPerSide);
    file.WriteInt32s(1, &tilesPerSide);
    // In pieces, so that a program that has to end need not wait for the rest.
    constexpr size_t kPiece = size_t(1) << 18;
    bool written = true;
    for (size_t at = 0; written && at < kTerrainBytes; at += kPiece)
        written = !(cancelled && cancelled()) &&
                  file.WriteBlock(uint32_t(std::min(kPiece, kTerrainBytes - at)), tiles + at) == 1;
    file.WriteInt32s(1, &check);
    written = written && std::fflush(file.stream) == 0 && !std::ferror(file.stream);
    file.Close();
    if (!written || std::rename(temporary.c_str(), fileName) != 0) {
        std::remove(temporary.c_str());
        return false;
    }
    return true;
}

void RemoveStaleTerrainCacheTemporary(const char* fileName) {
    const std::filesystem::path temporary = TemporaryName(fileName);
    std::error_code error;
    if (!std::filesystem::is_directory(temporary, error))
        std::filesystem::remove(temporary, error);
}
