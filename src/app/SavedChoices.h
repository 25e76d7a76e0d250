#pragma once

#include "app/OptionsDialog.h"

#include <string>

// The options dialog's last choices, kept between runs in a small text file,
// $XDG_CONFIG_HOME/zezivoze/options.conf (~/.config/zezivoze/). A file that
// cannot be read or is not in its format counts as no choices and is replaced
// at the next save; one that cannot be written only means they are not kept.
class SavedChoices {
  public:
    // The file in the running process's configuration folder.
    static std::string DefaultFile();

    explicit SavedChoices(std::string fileName) : file(std::move(fileName)) {}

    // The buttons the kept choices check, 0 for each pair when there are none;
    // problem says why a file that is there was not used.
    OptionsPreset Load();
    // The preset with given's choices, and the kept ones where given has none.
    OptionsPreset Under(const OptionsPreset& given);
    // Keeps the three settings that OK stored; false (with problem) when they
    // could not be written.
    bool Save(int bitsPerPixel, bool fullscreen, bool largeTerrainTexture);

    std::string file;
    std::string problem;
};
