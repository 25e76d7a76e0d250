#include "e2e/ProgramRun.h"

// The program installed as a player gets it, as the Debian package, and its command line.

namespace fs = std::filesystem;

// The Debian package holds the programs, the data, the menu entry and the icon and names its
// libraries; unpacked, its programs run: the game tells its version, or, given a bad option in
// its data folder, its usage with exit code 2 and no log; the data tool finds the data whole.
// Started from an empty folder, the game keeps its log and terrain cache in the XDG folders,
// and the second start uses that cache.
TEST(Installed, PackageRunsAnywhere) {
    TempDir temp;
    const int status = std::system(
        ("cd " + temp.path().string() +
         " && " ZEZIVOZE_CPACK " -G DEB --config " ZEZIVOZE_BINARY_DIR "/CPackConfig.cmake"
         " >/dev/null && dpkg-deb -c *.deb >listing && "
         "dpkg-deb -f *.deb Depends >depends && dpkg-deb -x *.deb r && mkdir empty && "
         "desktop-file-validate r/usr/share/applications/*.desktop && "
         "r/usr/bin/zezivoze --version >version && "
         "r/usr/bin/zezivoze-data check r/usr/share/zezivoze >/dev/null && "
         "cd r/usr/share/zezivoze && ../../bin/zezivoze --bogus 2>../../../usage")
            .c_str());
    ASSERT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2) << status;
    const std::string listing = ReadFileText(temp.File("listing"));
    for (const char* path :
         {"bin/zezivoze", "bin/zezivoze-data", "share/zezivoze/textures/landscp.bmp",
          "share/zezivoze/models/cobra_body.rozi", "share/zezivoze/sounds/engine.wav",
          "share/applications/zezivoze.desktop", "share/icons/hicolor/scalable/apps/zezivoze.svg"})
        EXPECT_NE(listing.find(std::string(" ./usr/") + path + "\n"), std::string::npos) << path;
    // Nothing that a run in the build's data folder writes there.
    EXPECT_TRUE(listing.find("error.out") == listing.find("landscpf")) << listing;
    const std::string depends = ReadFileText(temp.File("depends"));
    for (const char* library : {"libsdl2-2.0-0", "libsdl2-mixer-2.0-0", "libgl1", "libglu1-mesa"})
        EXPECT_NE(depends.find(library), std::string::npos) << depends;
    EXPECT_TRUE(ReadFileText(temp.File("version")).starts_with("zezivoze 1."));
    EXPECT_TRUE(ReadFileText(temp.File("r/usage"))
                    .starts_with("zezivoze: unrecognized option '--bogus'\nUsage: zezivoze"));
    EXPECT_FALSE(fs::exists(temp.File("r/usr/share/zezivoze/error.out")));

    unsetenv("ZEZIVOZE_DATA");
    setenv("XDG_STATE_HOME", (temp.path() / "state").c_str(), 1);
    setenv("XDG_CACHE_HOME", (temp.path() / "cache").c_str(), 1);
    const std::string log = temp.File("state/zezivoze/error.out");
    const std::string cache = temp.File("cache/zezivoze/landscpf.dat");
    fs::file_time_type made;
    for (bool first : {true, false}) {
        ProgramRun run;
        const unsigned long main =
            run.StartWithoutDialog({}, temp.File("r/usr/bin/zezivoze"), temp.path() / "empty");
        ASSERT_NE(main, 0u) << run.Describe();
        ASSERT_TRUE(run.RequestClose(main));
        EXPECT_EQ(run.ExitCode(), 0) << run.Describe();
        const std::string text = ReadFileText(log);
        EXPECT_TRUE(text.starts_with("Log file '" + log + "' opened.\nZezivoze error log\n"))
            << text;
        EXPECT_TRUE(text.ends_with("Log file closed\n")) << text;
        // Only the first start looks for the cache in vain, and makes it.
        EXPECT_EQ(text.find("Unable to open file (" + cache + ")") != std::string::npos, first);
        EXPECT_EQ(text.find("landscpf") == std::string::npos, !first) << text;
        made = first ? fs::last_write_time(cache) : made;
        EXPECT_EQ(fs::last_write_time(cache), made);
        EXPECT_TRUE(fs::is_empty(temp.path() / "empty"));
    }
}
