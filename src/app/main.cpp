#include "app/GameSounds.h"
#include "app/WinMain.h"

#include <cstring>

int main(int argc, char** argv) {
    // Sound's one option, read here until the program has a command-line parser.
    for (int i = 1; i < argc; ++i)
        if (std::strcmp(argv[i], "--mute") == 0)
            gameSounds.muted = true;

    static int instance; // stands in for the instance handle, which only needs to be unique
    return WinMain(&instance, nullptr, nullptr, 0);
}
