#include "Commands.h"
#include "DataSet.h"
#include "Sounds.h"
#include "TankModels.h"

#include "image/BmpWriter.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {
// A whole number from kMinMapSide to kMaxMapSide, or 0.
int MapSize(const char* text) {
    long value = 0;
    for (const char* c = text; *c != '\0'; ++c) {
        if (*c < '0' || *c > '9' || value > kMaxMapSide)
            return 0;
        value = value * 10 + (*c - '0');
    }
    return value >= kMinMapSide && value <= kMaxMapSide ? static_cast<int>(value) : 0;
}
} // namespace

// generate DIR [--map-size N]: writes the default data set into DIR. The same
// bytes on every run: the pictures are painted and the sounds synthesised from
// our own deterministic noise.
int RunGenerate(int argc, char** argv) {
    std::string dir;
    int mapSize = kDefaultMapSize;
    bool usage = false;
    for (int i = 0; i < argc; ++i) {
        if (std::strcmp(argv[i], "--map-size") == 0 && i + 1 < argc) {
            mapSize = MapSize(argv[++i]);
            if (mapSize == 0) {
                std::fprintf(stderr,
                             "zezivoze-data: --map-size takes a whole number from %d to %d, "
                             "not '%s'\n",
                             kMinMapSide, kMaxMapSide, argv[i]);
                return 1;
            }
        } else {
            usage = usage || !dir.empty() || argv[i][0] == '-';
            dir = argv[i];
        }
    }
    if (usage || dir.empty()) {
        std::fprintf(stderr, "usage: zezivoze-data generate DIR [--map-size N]\n");
        return 2;
    }
    std::vector<DataFile> files = MakeDefaultPictures(mapSize);
    AddTankModels(files);
    AddDefaultSounds(files);
    int failures = 0;
    for (const DataFile& file : files) {
        const std::string path = dir + "/" + file.path;
        if (!WriteBinaryFile(path, file.bytes)) {
            std::fprintf(stderr, "zezivoze-data: cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    if (failures != 0)
        return 1;
    std::printf("%zu files written to %s (a %d x %d map)\n", files.size(), dir.c_str(), mapSize,
                mapSize);
    return 0;
}
