#include "Commands.h"

#include <cstdio>
#include <filesystem>

// Not built yet: the pictures and models land with their modules.
int RunGenerate(int argc, char** argv) {
    if (argc < 1) {
        std::fprintf(stderr, "usage: zezivoze-data generate DIR\n");
        return 2;
    }
    std::filesystem::create_directories(argv[0]);
    return 0;
}
