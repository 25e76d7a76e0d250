#pragma once

#include <string>

// Where the program's files are. Started from a folder that holds textures/, it
// reads and writes there, as it always has. Started anywhere else, it reads from
// $ZEZIVOZE_DATA or from the installed ../share/zezivoze beside its executable,
// and enters that folder so that every relative path stays as it is. The log and
// the terrain cache stay in the data folder while it can be written; otherwise
// (and always for an installed data folder, which belongs to the installation)
// they go to the XDG state and cache folders.
class DataFolder {
  public:
    // What the decision depends on besides the file system.
    struct Surroundings {
        std::string dataVariable;     // ZEZIVOZE_DATA; empty when unset
        std::string executableFolder; // empty when unknown
        std::string stateHome;        // XDG_STATE_HOME
        std::string cacheHome;        // XDG_CACHE_HOME
        std::string home;             // HOME
    };
    // The running process's surroundings.
    static Surroundings Current();

    // Decides where the files are; changes nothing.
    void Find(const Surroundings& surroundings);
    // Prints the warning, if any, enters the folder and makes the folders that
    // the writable files go into. False when one of these steps failed (what
    // failed is printed on stderr); the program then goes on as far as it can.
    bool Enter() const;
    // Plays the height map `file` (relative to the folder we were started in)
    // instead of the data's own; its terrain cache goes to a file of its own in
    // the XDG cache folder, named after the map's path, size and time, so that
    // two maps never use each other's. False, with `warning` set, when the file
    // cannot be read.
    bool UseHeightMap(const std::string& file, const Surroundings& surroundings);

    std::string heightMapFile = "textures/landscp.bmp"; // relative to the data folder, or absolute

    std::string folder;    // the data folder to enter; empty: stay where we are
    std::string logFile;   // "error.out", or an absolute path
    std::string cacheFile; // the terrain cache's usual relative path, or an absolute one
    std::string warning;   // for the user, when $ZEZIVOZE_DATA could not be used
};
