#include "app/SavedChoices.h"

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <sstream>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
// Each setting as a line "key=value"; the first value checks the pair's first button.
struct Setting {
    const char* key;
    const char* values[2];
    int OptionsPreset::*button;
    int firstButton;
};
const Setting kSettings[] = {
    {"bpp", {"16", "32"}, &OptionsPreset::bits, IDC_BITS_16},
    {"fullscreen", {"yes", "no"}, &OptionsPreset::fullscreen, IDC_FULLSCREEN_YES},
    {"texture-size", {"1024", "256"}, &OptionsPreset::texture, IDC_TEXTURE_1024},
};
constexpr std::streamsize kLargestFile = 4096; // anything larger is not ours

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}
} // namespace

std::string SavedChoices::DefaultFile() {
    fs::path base = Variable("XDG_CONFIG_HOME");
    if (!base.is_absolute()) { // a relative one is to be ignored
        std::string home = Variable("HOME");
        const passwd* user = home.empty() ? getpwuid(getuid()) : nullptr;
        if (user != nullptr && user->pw_dir != nullptr)
            home = user->pw_dir;
        base = fs::path(home) / ".config";
    }
    return (base / "zezivoze" / "options.conf").string();
}

OptionsPreset SavedChoices::Load() {
    problem.clear();
    std::ifstream in(file, std::ios::binary);
    if (!in) {
        std::error_code error;
        if (fs::exists(file, error))
            problem = "cannot read '" + file + "'";
        return {};
    }
    std::string text(kLargestFile + 1, '\0');
    in.read(text.data(), kLargestFile + 1);
    text.resize(static_cast<size_t>(in.gcount()));
    OptionsPreset preset;
    std::istringstream lines(text);
    bool whole = text.size() <= static_cast<size_t>(kLargestFile);
    for (std::string line; whole && std::getline(lines, line);) {
        if (line.empty() || line[0] == '#')
            continue;
        whole = false;
        for (const Setting& setting : kSettings)
            for (int i = 0; i < 2; ++i)
                if (line == std::string(setting.key) + "=" + setting.values[i] &&
                    preset.*setting.button == 0) {
                    preset.*setting.button = setting.firstButton + i;
                    whole = true;
                }
    }
    if (whole && preset.bits != 0 && preset.fullscreen != 0 && preset.texture != 0)
        return preset;
    problem = "'" + file + "' holds no choices of this program: the dialog's defaults are used";
    return {};
}

OptionsPreset SavedChoices::Under(const OptionsPreset& given) {
    OptionsPreset preset = Load();
    for (const Setting& setting : kSettings)
        if (given.*setting.button != 0)
            preset.*setting.button = given.*setting.button;
    return preset;
}

bool SavedChoices::Save(int bitsPerPixel, bool fullscreen, bool largeTerrainTexture) {
    const bool firsts[] = {bitsPerPixel == 16, fullscreen, largeTerrainTexture};
    std::string text = "# The options dialog's last choices, written by zezivoze at OK.\n";
    for (int i = 0; i < 3; ++i)
        text += std::string(kSettings[i].key) + "=" + kSettings[i].values[firsts[i] ? 0 : 1] + "\n";
    // A new file put in place whole: a run that ends midway leaves the old one.
    const fs::path path(file), temporary = file + ".new";
    std::error_code error;
    const fs::path base = path.parent_path().parent_path();
    if (!fs::exists(base, error) && fs::create_directories(base, error))
        fs::permissions(base, fs::perms::owner_all, error); // as the base folders ask
    fs::create_directories(path.parent_path(), error);
    std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
    const bool written = out && (out << text) && (out.close(), !out.fail());
    const int cause = errno;
    if (written)
        fs::rename(temporary, path, error);
    if (!written || error) {
        fs::remove(temporary, error);
        problem = "cannot keep the dialog's choices in '" + file +
                  "': " + (written ? error.message() : std::strerror(cause));
        return false;
    }
    problem.clear();
    return true;
}
