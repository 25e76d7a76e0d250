#include "app/CommandLine.h"

#include <cstring>
#include <optional>

#ifndef ZEZIVOZE_VERSION
#define ZEZIVOZE_VERSION "unknown"
#endif

namespace {
enum class Name {
    Help,
    Version,
    Windowed,
    Fullscreen,
    Bpp,
    TextureSize,
    NoDialog,
    Mute,
    HeightMap
};

struct Option {
    const char* text;
    Name name;
    bool takesValue;
};

const Option kOptions[] = {
    {"help", Name::Help, false},
    {"version", Name::Version, false},
    {"windowed", Name::Windowed, false},
    {"fullscreen", Name::Fullscreen, false},
    {"bpp", Name::Bpp, true},
    {"texture-size", Name::TextureSize, true},
    {"no-dialog", Name::NoDialog, false},
    {"mute", Name::Mute, false},
    {"height-map", Name::HeightMap, true},
};

// The option of exactly this name, else the only one it begins.
const Option* Find(const std::string& name) {
    const Option* found = nullptr;
    int beginnings = 0;
    for (const Option& option : kOptions) {
        if (name == option.text)
            return &option;
        if (!name.empty() && std::strncmp(option.text, name.c_str(), name.size()) == 0) {
            found = &option;
            ++beginnings;
        }
    }
    return beginnings == 1 ? found : nullptr;
}

// The radio button that a value picks from a pair; 0 when it is neither.
int Button(const std::string& value, const char* first, int firstButton, const char* second,
           int secondButton) {
    return value == first ? firstButton : value == second ? secondButton : 0;
}
} // namespace

void CommandLine::Parse(const char* const* arguments) {
    if (arguments == nullptr || arguments[0] == nullptr)
        return;
    auto fail = [this](const std::string& why) {
        action = Action::Fail;
        error = why;
    };
    for (const char* const* next = arguments + 1; *next != nullptr; ++next) {
        const std::string argument = *next;
        if (argument == "--") {
            if (next[1] != nullptr)
                fail("unexpected argument '" + std::string(next[1]) + "'");
            return;
        }
        if (argument.rfind("--", 0) != 0) {
            fail(argument.rfind('-', 0) == 0 ? "unrecognized option '" + argument + "'"
                                             : "unexpected argument '" + argument + "'");
            return;
        }
        const size_t equals = argument.find('=');
        const std::string name =
            argument.substr(2, equals == std::string::npos ? equals : equals - 2);
        const Option* option = Find(name);
        if (option == nullptr) {
            fail("unrecognized option '--" + name + "'");
            return;
        }
        const std::string spelled = std::string("--") + option->text;
        std::optional<std::string> value;
        if (equals != std::string::npos)
            value = argument.substr(equals + 1);
        if (!option->takesValue && value) {
            fail("option '" + spelled + "' doesn't allow an argument");
            return;
        }
        if (option->takesValue && !value) {
            if (next[1] == nullptr) {
                fail("option '" + spelled + "' requires an argument");
                return;
            }
            value = *++next;
        }

        switch (option->name) {
        case Name::Help:
            action = Action::Help;
            return;
        case Name::Version:
            action = Action::Version;
            return;
        case Name::Windowed:
            preset.fullscreen = IDC_FULLSCREEN_NO;
            break;
        case Name::Fullscreen:
            preset.fullscreen = IDC_FULLSCREEN_YES;
            break;
        case Name::Bpp:
            preset.bits = Button(*value, "16", IDC_BITS_16, "32", IDC_BITS_32);
            break;
        case Name::TextureSize:
            preset.texture = Button(*value, "256", IDC_TEXTURE_256, "1024", IDC_TEXTURE_1024);
            break;
        case Name::NoDialog:
            noDialog = true;
            break;
        case Name::Mute:
            mute = true;
            break;
        case Name::HeightMap:
            heightMap = *value;
            break;
        }
        if ((option->name == Name::Bpp && preset.bits == 0) ||
            (option->name == Name::TextureSize && preset.texture == 0)) {
            fail("invalid argument '" + *value + "' for '" + spelled + "'");
            return;
        }
    }
}

int CommandLine::Answer(std::FILE* out, std::FILE* err) const {
    switch (action) {
    case Action::Help:
        std::fputs(Usage(), out);
        return 0;
    case Action::Version:
        std::fputs("zezivoze " ZEZIVOZE_VERSION "\n", out);
        return 0;
    case Action::Fail:
        std::fprintf(err, "zezivoze: %s\n", error.c_str());
        std::fputs(Usage(), err);
        return 2;
    case Action::Run:
        break;
    }
    return 0;
}

const char* CommandLine::Usage() {
    return "Usage: zezivoze [OPTION]...\n"
           "Drive a tank over a landscape and fire at the ground. The program first\n"
           "asks for its display settings in a small dialog, which opens on the\n"
           "choices of its last OK; the options below pre-select others.\n"
           "\n"
           "      --bpp=16|32              colour depth (default 32)\n"
           "      --fullscreen             full screen (the default)\n"
           "      --windowed               in a 640 x 480 window\n"
           "      --texture-size=256|1024  terrain texture tile size (default 1024)\n"
           "      --no-dialog              start at once, with the choices given, else the\n"
           "                                 last ones kept, else the defaults\n"
           "      --mute                   without sound (as ZEZIVOZE_MUTE=1 does)\n"
           "      --height-map=FILE        play this height map (a 24-bit BMP, 2 x 2 to\n"
           "                                 8192 x 8192) instead of the data's own\n"
           "      --help                   display this help and exit\n"
           "      --version                output version information and exit\n"
           "\n"
           "The data is read from the working folder when it holds textures/, else\n"
           "from $ZEZIVOZE_DATA, else from share/zezivoze of the installation. The log\n"
           "(error.out) and the terrain cache are written beside the data, or, when\n"
           "that folder is read-only or installed, under $XDG_STATE_HOME/zezivoze and\n"
           "$XDG_CACHE_HOME/zezivoze. The dialog's choices are kept in\n"
           "$XDG_CONFIG_HOME/zezivoze/options.conf.\n";
}
