// Reads arbitrary bytes as the terrain texture cache, for both tile sizes; the
// reader must accept only a whole cache and never read outside its buffer.
#include "terrain/TerrainCache.h"
#include "terrain/TerrainBlend.h"

#include <cstdint>
#include <cstdio>
#include <memory>
#include <string>
#include <unistd.h>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const std::string file = "/tmp/zezivoze-fuzz-cache-" + std::to_string(getpid());
    std::FILE* out = std::fopen(file.c_str(), "wb");
    if (out == nullptr)
        return 0;
    std::fwrite(data, 1, size, out);
    // Small inputs stand for caches of full length: they are padded to it, so
    // that the checks past the tiles are reached too.
    const size_t whole = 8 + kTerrainBytes + 4;
    if (size > 0 && size < whole && (data[0] & 1) != 0) {
        std::unique_ptr<uint8_t[]> pad(new uint8_t[whole - size]());
        std::fwrite(pad.get(), 1, whole - size - (data[0] & 2 ? 0 : 1), out);
    }
    std::fclose(out);

    static std::unique_ptr<uint8_t[]> tiles(new uint8_t[kTerrainBytes]);
    uint32_t check = 0;
    for (size_t i = 0; i < 4 && i < size; ++i)
        check |= uint32_t(data[size - 1 - i]) << (8 * (3 - i));
    for (int32_t tileSize : {256, 1024})
        ReadTerrainCache(file.c_str(), tileSize, check, tiles.get());
    std::remove(file.c_str());
    return 0;
}
