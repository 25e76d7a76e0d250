#include "Commands.h"
#include "PngHeightMap.h"

#include "image/BmpWriter.h"

#include <algorithm>
#include <cstdio>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

// heightmap IN.png OUT.bmp: turns a grey PNG into the 24-bit height map the
// game reads.
int RunHeightMap(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: zezivoze-data heightmap IN.png OUT.bmp\n");
        return 2;
    }
    std::ifstream in(argv[0], std::ios::binary);
    const std::vector<uint8_t> bytes{std::istreambuf_iterator<char>(in),
                                     std::istreambuf_iterator<char>()};
    if (!in) {
        std::fprintf(stderr, "zezivoze-data: cannot read %s\n", argv[0]);
        return 1;
    }
    PngHeightMap map;
    if (!map.Decode(bytes.data(), bytes.size())) {
        std::fprintf(stderr, "zezivoze-data: %s: %s\n", argv[0], map.problem.c_str());
        return 1;
    }
    if (!WriteBinaryFile(argv[1], EncodeHeightMapBmp(map.width, map.height, map.heights))) {
        std::fprintf(stderr, "zezivoze-data: cannot write %s\n", argv[1]);
        return 1;
    }
    const auto [lo, hi] = std::minmax_element(map.heights.begin(), map.heights.end());
    std::printf("%s: a %d x %d height map, heights %d to %d\n", argv[1], map.width, map.height, *lo,
                *hi);
    return 0;
}
