#include "Commands.h"

#include <cstdio>

// Not built yet: its module has not landed.
int RunModel(int, char**) {
    std::fprintf(stderr, "zezivoze-data: this command is not available yet\n");
    return 2;
}
