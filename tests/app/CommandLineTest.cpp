#include "app/CommandLine.h"
#include "state/AppState.h"

#include <cstring>
#include <gtest/gtest.h>
#include <vector>

// For a run, the settings OK stores at once on the buttons the dialog preselects, and the flags.
TEST(CommandLine, PresetsAndFaults) {
    using A = CommandLine::Action;
    const struct {
        const char* line;
        A action;
        std::vector<int> settings; // bits per pixel, full screen, large texture, no dialog, mute
    } cases[] = {
        {"", A::Run, {32, 1, 1, 0, 0}},
        {"--bpp=32 --fullscreen --texture-size 1024 --no-dialog --mute", A::Run, {32, 1, 1, 1, 1}},
        // The last choice counts, a name's beginning will do, "--" ends the options.
        {"--windowed --full --no --bpp=16 --", A::Run, {16, 1, 1, 1, 0}},
        {"--help --bogus", A::Help, {}},
        {"--vers", A::Version, {}},
        {"--bogus --help", A::Fail, {}},
        {"-w", A::Fail, {}},
        {"-- extra", A::Fail, {}},
        {"--bpp", A::Fail, {}},
        {"--bpp 24", A::Fail, {}},
        {"--windowed=yes", A::Fail, {}},
    };
    for (const auto& c : cases) {
        std::string text = std::string("zezivoze ") + c.line;
        std::vector<char*> argv;
        for (char* word = std::strtok(text.data(), " "); word; word = std::strtok(nullptr, " "))
            argv.push_back(word);
        argv.push_back(nullptr);
        CommandLine line;
        line.Parse(argv.data());
        EXPECT_EQ(line.action, c.action) << c.line;
        EXPECT_EQ(line.error.empty(), c.action != A::Fail) << c.line;
        if (c.action != A::Run)
            continue;
        AcceptDialogUnshown(optionsDialogTemplate, OptionsDialogProc,
                            reinterpret_cast<intptr_t>(&line.preset));
        EXPECT_EQ((std::vector<int>{appState.bitsPerPixel, appState.fullscreen,
                                    appState.largeTerrainTexture, line.noDialog, line.mute}),
                  c.settings)
            << c.line;
    }
}
