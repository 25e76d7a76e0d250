#include "Commands.h"
#include "DataSet.h"
#include "PictureCheck.h"
#include "Sounds.h"
#include "TankModels.h"

#include "app/GameSounds.h"
#include "app/TextureTable.h"
#include "image/DibImage.h"

#include <algorithm>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <iterator>
#include <string>
#include <utility>
#include <vector>

namespace {
struct Result {
    explicit Result(std::string name) : file(std::move(name)) {}
    std::string file;
    bool ok = false;
    std::string detail; // what was found when ok, the problem otherwise
    int width = 0;
    int height = 0;
    int rate = 0; // sounds: sample frames a second, and the length
    double seconds = 0;
};

bool PowerOfTwo(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

bool ReadBytes(const std::string& path, std::vector<uint8_t>& bytes) {
    std::ifstream in(path, std::ios::binary);
    if (!in)
        return false;
    bytes.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return true;
}

Result CheckTexture(const std::string& dir, const char* file, bool terrainSource) {
    Result r(file);
    std::vector<uint8_t> bytes;
    const std::string path = dir + "/" + file;
    if (!ReadBytes(path, bytes)) {
        r.detail = "missing";
        return r;
    }
    std::string problem;
    RgbImage* image = DecodePictureFile(path, problem);
    if (image == nullptr) {
        r.detail = problem;
        return r;
    }
    r.width = image->width;
    r.height = image->height;
    DeleteRgbImage(image);
    const std::string size = std::to_string(r.width) + " x " + std::to_string(r.height);
    if (terrainSource && (r.width != 256 || r.height != 256))
        r.detail = size + ": the terrain blends its sources as 256 x 256";
    else if (!PowerOfTwo(r.width) || !PowerOfTwo(r.height))
        r.detail = size + ": OpenGL 1.1 needs a power of two on each side";
    else {
        r.ok = true;
        r.detail = size + ", " + DescribeDib(bytes);
    }
    return r;
}

Result CheckHeightMap(const std::string& dir) {
    Result r(kHeightMapFile);
    std::vector<uint8_t> heights;
    std::string problem;
    if (!ReadHeightMapFile(dir + "/" + kHeightMapFile, r.width, r.height, heights, problem)) {
        r.detail = problem;
        return r;
    }
    const std::string size = std::to_string(r.width) + " x " + std::to_string(r.height);
    if (r.width < 2 || r.height < 2) {
        r.detail = size + ": a height map needs at least 2 x 2 samples";
        return r;
    }
    auto [lo, hi] = std::minmax_element(heights.begin(), heights.end());
    r.ok = true;
    r.detail = size + ", heights " + std::to_string(*lo) + " to " + std::to_string(*hi);
    return r;
}

Result CheckSoundFile(const std::string& dir, const char* file) {
    Result r(file);
    std::vector<uint8_t> bytes;
    if (!ReadBytes(dir + "/" + file, bytes))
        r.detail = "missing";
    else
        r.ok = CheckSound(dir + "/" + file, r.detail, r.rate, r.seconds);
    return r;
}

std::string Json(const std::string& text) {
    std::string out = "\"";
    for (unsigned char c : text) {
        if (c == '"' || c == '\\') {
            out += '\\';
            out += static_cast<char>(c);
        } else if (c < 0x20) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", c);
            out += escaped;
        } else {
            out += static_cast<char>(c);
        }
    }
    return out + "\"";
}
} // namespace

// check DIR [--json]: reads every file the program reads at start, one line
// per file; exit code 0 when all are fine.
int RunCheck(int argc, char** argv) {
    std::string dir;
    bool json = false;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--json") == 0)
            json = true;
        else if (dir.empty())
            dir = argv[i];
        else
            dir.clear(), i = argc; // too many
    }
    if (dir.empty()) {
        std::fprintf(stderr, "usage: zezivoze-data check DIR [--json]\n");
        return 2;
    }
    std::vector<Result> results;
    for (int i = 0; i < kTextureTableSize; ++i)
        results.push_back(CheckTexture(dir, kTextureTable[i], i < 3));
    results.push_back(CheckHeightMap(dir));
    for (const char* model : kModelFiles) {
        Result r(model);
        r.ok = CheckTankModel(dir + "/" + model, r.detail);
        results.push_back(r);
    }
    for (const char* sound : GameSounds::kFiles)
        results.push_back(CheckSoundFile(dir, sound));

    int problems = 0;
    for (const Result& r : results) {
        problems += r.ok ? 0 : 1;
        if (json) {
            std::string line = "{\"file\":" + Json(r.file) + ",\"ok\":" + (r.ok ? "true" : "false");
            if (r.width > 0)
                line += ",\"width\":" + std::to_string(r.width) +
                        ",\"height\":" + std::to_string(r.height);
            if (r.rate > 0) {
                char numbers[64];
                std::snprintf(numbers, sizeof numbers, ",\"rate\":%d,\"seconds\":%.3f", r.rate,
                              r.seconds);
                line += numbers;
            }
            line += std::string(r.ok ? ",\"detail\":" : ",\"problem\":") + Json(r.detail) + "}";
            std::printf("%s\n", line.c_str());
        } else {
            std::printf("%-45s %s  %s\n", r.file.c_str(), r.ok ? "OK" : "PROBLEM",
                        r.detail.c_str());
        }
    }
    if (!json) {
        if (problems == 0)
            std::printf("all %zu files OK\n", results.size());
        else
            std::printf("%d of %zu files with problems\n", problems, results.size());
    }
    return problems == 0 ? 0 : 1;
}
