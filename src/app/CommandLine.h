#pragma once

#include "app/OptionsDialog.h"

#include <cstdio>
#include <string>

// The program's options, in the manner of GNU programs: long options only, a
// value either after "=" or as the next argument, any unambiguous beginning of
// an option's name, "--" ending the options. The program takes no other
// arguments. The display choices pre-select the options dialog's buttons.
class CommandLine {
  public:
    enum class Action { Run, Help, Version, Fail };

    // arguments as main gets them: the program's name first, a null pointer
    // last; null counts as no options. Stops at help, the version or a fault.
    void Parse(const char* const* arguments);
    // Prints what help, the version or a bad command line call for (help and
    // the version on out, a fault and the usage on err); the exit code.
    int Answer(std::FILE* out, std::FILE* err) const;
    static const char* Usage();

    Action action = Action::Run;
    OptionsPreset preset;
    bool noDialog = false;
    bool mute = false;
    std::string heightMap; // empty: the data's own
    std::string error;     // what was wrong, when action is Fail
};
