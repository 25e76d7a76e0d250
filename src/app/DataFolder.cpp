#include "app/DataFolder.h"

#include "platform/OperatingSystem.h"
#include "terrain/TerrainCache.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace fs = std::filesystem;

namespace {
bool HoldsData(const fs::path& folder) {
    std::error_code error;
    return fs::is_directory(folder / "textures", error);
}

// The log goes into the folder itself, the cache into its textures/.
bool Writable(const fs::path& folder) {
    return access(folder.c_str(), W_OK) == 0 &&
           (!HoldsData(folder) || access((folder / "textures").c_str(), W_OK) == 0);
}

// An XDG base folder: the variable when it names an absolute path (a relative
// one is to be ignored), otherwise its default below the home folder.
fs::path BaseFolder(const std::string& variable, const std::string& home, const char* fallback) {
    if (fs::path(variable).is_absolute())
        return variable;
    return fs::path(home) / fallback;
}

std::string Variable(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr ? value : "";
}

void Complain(const std::string& what, const std::error_code& error) {
    std::fprintf(stderr, "zezivoze: %s: %s\n", what.c_str(), error.message().c_str());
}

// Makes the folder a writable file goes into; the base folder above it, when
// missing, only for its owner, as the base directory convention asks.
bool MakeFolderOf(const std::string& file) {
    const fs::path folder = fs::path(file).parent_path();
    if (!folder.is_absolute())
        return true; // inside the data folder, which is there
    std::error_code error;
    const fs::path base = folder.parent_path();
    if (!fs::exists(base, error) && fs::create_directories(base, error))
        fs::permissions(base, fs::perms::owner_all, error);
    fs::create_directories(folder, error);
    if (error)
        Complain("cannot make the folder '" + folder.string() + "'", error);
    return !error;
}
} // namespace

DataFolder::Surroundings DataFolder::Current() {
    Surroundings surroundings{Variable("ZEZIVOZE_DATA"), ExecutableFolder(),
                              Variable("XDG_STATE_HOME"), Variable("XDG_CACHE_HOME"),
                              Variable("HOME")};
    if (surroundings.home.empty()) {
        const passwd* user = getpwuid(getuid());
        if (user != nullptr && user->pw_dir != nullptr)
            surroundings.home = user->pw_dir;
    }
    return surroundings;
}

void DataFolder::Find(const Surroundings& surroundings) {
    folder.clear();
    warning.clear();
    logFile = "error.out";
    cacheFile = kTerrainCacheFile;

    bool writable = true;
    if (!HoldsData(".")) {
        const std::string& variable = surroundings.dataVariable;
        const fs::path installed =
            (fs::path(surroundings.executableFolder) / ".." / "share" / "zezivoze")
                .lexically_normal();
        std::error_code error;
        if (!variable.empty() && HoldsData(variable)) {
            folder = fs::absolute(variable, error).lexically_normal().string();
        } else {
            if (!variable.empty())
                warning = "ZEZIVOZE_DATA names '" + variable + "', which holds no textures/ folder";
            if (!surroundings.executableFolder.empty() && HoldsData(installed))
                folder = installed.string();
        }
        writable = folder != installed.string();
    }
    if (!writable || !Writable(folder.empty() ? "." : folder)) {
        logFile = (BaseFolder(surroundings.stateHome, surroundings.home, ".local/state") /
                   "zezivoze" / "error.out")
                      .string();
        cacheFile = (BaseFolder(surroundings.cacheHome, surroundings.home, ".cache") / "zezivoze" /
                     fs::path(kTerrainCacheFile).filename())
                        .string();
    }
}

bool DataFolder::UseHeightMap(const std::string& file, const Surroundings& surroundings) {
    std::error_code error;
    const fs::path path = fs::canonical(file, error);
    std::ifstream readable;
    if (!error)
        readable.open(path, std::ios::binary);
    if (error || !readable || fs::is_directory(path, error)) {
        warning = "cannot read the height map '" + file + "'" +
                  (error ? ": " + error.message() : std::string());
        return false;
    }
    // FNV-1a over what tells one map from another.
    const std::string key =
        path.string() + "|" + std::to_string(fs::file_size(path, error)) + "|" +
        std::to_string(fs::last_write_time(path, error).time_since_epoch().count());
    uint64_t hash = 14695981039346656037ull;
    for (unsigned char c : key)
        hash = (hash ^ c) * 1099511628211ull;
    char name[32];
    std::snprintf(name, sizeof name, "-%016llx.dat", static_cast<unsigned long long>(hash));
    heightMapFile = path.string();
    cacheFile = (BaseFolder(surroundings.cacheHome, surroundings.home, ".cache") / "zezivoze" /
                 "maps" / (path.stem().string() + name))
                    .string();
    return true;
}

bool DataFolder::Enter() const {
    bool entered = true;
    if (!warning.empty())
        std::fprintf(stderr, "zezivoze: %s\n", warning.c_str());
    if (!folder.empty()) {
        std::error_code error;
        fs::current_path(folder, error);
        if (error)
            Complain("cannot enter the data folder '" + folder + "'", error);
        entered = !error;
    }
    const bool logFolder = MakeFolderOf(logFile);
    const bool cacheFolder = MakeFolderOf(cacheFile);
    return entered && logFolder && cacheFolder;
}
