#include "Commands.h"

#include <cstdio>
#include <cstring>

namespace {
struct Command {
    const char* name;
    int (*run)(int, char**);
    const char* usage;
};

const Command kCommands[] = {
    {"generate", RunGenerate, "generate DIR [--map-size N]  write the default data set into DIR"},
    {"check", RunCheck, "check DIR [--json]           check every file the program reads at start"},
    {"decode", RunDecode,
     "decode FILE OUT [--heightmap] decode a picture to PPM (PGM for heights)"},
    {"heightmap", RunHeightMap,
     "heightmap IN.png OUT.bmp     turn a grey PNG into the height map the game reads"},
    {"model", RunModel, "model FILE [--json]          load a model and print what it holds"},
    {"terrain", RunTerrain, "terrain DIR [--tile 256|1024] write DIR's terrain texture cache"},
};

int Usage() {
    std::fprintf(stderr, "usage: zezivoze-data COMMAND ...\n");
    for (const Command& command : kCommands)
        std::fprintf(stderr, "  %s\n", command.usage);
    return 2;
}
} // namespace

int main(int argc, char** argv) {
    if (argc < 2)
        return Usage();
    for (const Command& command : kCommands)
        if (std::strcmp(argv[1], command.name) == 0)
            return command.run(argc - 2, argv + 2);
    return Usage();
}
