#include "Commands.h"
#include "PictureCheck.h"

#include "image/DibImage.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

namespace {
// Binary PPM (P6, RGB) or PGM (P5, grey); rows top first.
bool WriteNetpbm(const std::string& path, bool grey, int width, int height,
                 const std::vector<uint8_t>& topFirst) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    out << (grey ? "P5\n" : "P6\n") << width << ' ' << height << "\n255\n";
    out.write(reinterpret_cast<const char*>(topFirst.data()),
              static_cast<std::streamsize>(topFirst.size()));
    return static_cast<bool>(out);
}
} // namespace

// decode FILE OUT [--heightmap]: a picture through the texture loader to PPM,
// or with --heightmap through the height-map reader to PGM.
int RunDecode(int argc, char** argv) {
    std::vector<std::string> paths;
    bool heightMap = false;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--heightmap") == 0)
            heightMap = true;
        else
            paths.push_back(argv[i]);
    }
    if (paths.size() != 2) {
        std::fprintf(stderr, "usage: zezivoze-data decode FILE OUT.ppm [--heightmap]\n");
        return 2;
    }
    std::string problem;
    bool written = false;
    if (heightMap) {
        int width = 0, height = 0;
        std::vector<uint8_t> heights;
        if (!ReadHeightMapFile(paths[0], width, height, heights, problem)) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 1;
        }
        written = WriteNetpbm(paths[1], true, width, height, heights);
    } else {
        RgbImage* image = DecodePictureFile(paths[0], problem);
        if (image == nullptr) {
            std::fprintf(stderr, "%s\n", problem.c_str());
            return 1;
        }
        // The image is bottom row first; viewers want the top row first.
        const size_t row = static_cast<size_t>(image->width) * 3;
        std::vector<uint8_t> topFirst(row * image->height);
        for (int y = 0; y < image->height; ++y)
            std::memcpy(&topFirst[row * (image->height - 1 - y)], image->pixels + row * y, row);
        written = WriteNetpbm(paths[1], false, image->width, image->height, topFirst);
        DeleteRgbImage(image);
    }
    if (!written) {
        std::fprintf(stderr, "zezivoze-data: cannot write %s\n", paths[1].c_str());
        return 1;
    }
    return 0;
}
