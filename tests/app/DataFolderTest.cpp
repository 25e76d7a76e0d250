#include "app/DataFolder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

namespace fs = std::filesystem;

TEST(DataFolder, FindsDataAndWritablePlaces) {
    TempDir temp(true);
    const fs::path root = temp.path();
    for (const char* folder : {"prefix/share/zezivoze/textures", "mine/textures", "work"})
        fs::create_directories(root / folder);
    const std::string bin = (root / "prefix/bin/").string(), state = (root / "state").string();
    const std::string local = "error.out textures/landscpf.dat";
    const struct {
        const char* from;
        DataFolder::Surroundings around;
        std::string folder, files;
    } cases[] = {
        {"mine", {"../mine", bin, state, "", "/h"}, "", local},
        {"work", {"../mine", bin, state, "", "/h"}, (root / "mine").string(), local},
        {"work", // a variable naming no data folder is unused (warning), nor a relative XDG one
         {"../work", bin, "state", "", "/h"},
         (root / "prefix/share/zezivoze").string(),
         "/h/.local/state/zezivoze/error.out /h/.cache/zezivoze/landscpf.dat"},
        {"work", {"", "", state, "", "/h"}, "", local},
    };
    DataFolder data;
    for (const auto& c : cases) {
        fs::current_path(root / c.from);
        data.Find(c.around);
        EXPECT_EQ(data.folder + " " + data.logFile + " " + data.cacheFile, c.folder + " " + c.files)
            << c.from << " " << c.around.dataVariable;
        EXPECT_EQ(data.warning.empty(), c.around.dataVariable != "../work");
    }
    fs::current_path(root / "mine"); // a data folder that cannot be written (root writes anywhere)
    chmod("textures", 0555);
    data.Find(cases[0].around);
    chmod("textures", 0755);
    EXPECT_EQ(data.logFile, geteuid() == 0 ? data.logFile : state + "/zezivoze/error.out");
}
