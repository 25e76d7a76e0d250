// libFuzzer target: the data tool's PNG height-map reader on arbitrary files.
// Whatever comes in, it decodes or refuses with a reason, within the sizes
// the game plays.
#include "PngHeightMap.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    PngHeightMap map;
    const bool decoded = map.Decode(data, size);
    if (decoded != map.problem.empty() ||
        map.heights.size() != static_cast<size_t>(map.width) * map.height ||
        (decoded && (map.width < 2 || map.height < 2 || map.width > 8192 || map.height > 8192)))
        std::abort();
    return 0;
}
