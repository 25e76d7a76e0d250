#include "e2e/ProgramRun.h"

// The program installed as a player gets it, as the Debian package, and its command line.

namespace fs = std::filesystem;

// The Debian package passes lintian, holds programs in /usr/games, the data, a menu entry naming
// the game, AppStream data appstreamcli passes, the icon, man pages with what --help lists, names
// its libraries; unpacked, its programs run: the game tells its version, or, for a bad option in
// its data folder, its usage, exit 2, no log; the data tool finds it whole. From an empty folder,
// it keeps its log and a small map's terrain cache in XDG folders, used by the second start.
TEST(Installed, PackageRunsAnywhere) {
    TempDir temp;
    const int status = std::system(
        ("cd " + temp.path().string() +
         " && " ZEZIVOZE_CPACK " -G DEB --config " ZEZIVOZE_BINARY_DIR "/CPackConfig.cmake"
         " >/dev/null && { if command -v lintian >/dev/null; then (lintian *.deb >lintian "
         "2>/dev/null; touch linted) >/dev/null 2>&1 & else touch linted; fi; } && "
         "dpkg-deb -c *.deb >listing && dpkg-deb -f *.deb Depends >depends && "
         "dpkg-deb -x *.deb r && mkdir empty && "
         "desktop-file-validate r/usr/share/applications/*.desktop && "
         "grep -qx Exec=/usr/games/zezivoze r/usr/share/applications/*.desktop && "
         "appstreamcli validate-tree --no-net r >/dev/null && "
         "r/usr/games/zezivoze --version >version && for p in zezivoze zezivoze-data; do "
         "LC_ALL=C MANWIDTH=300 man --nh --nj -l r/usr/share/man/man6/$p.6.gz >page && "
         "r/usr/games/$p --help 2>&1 | grep -oE -- '--[a-z-]+|^ +[a-z]+ ' | while read -r w; do "
         "grep -qF -- \"$w\" page || echo \"$p: $w\" >>unshown; done; done; touch unshown && "
         "r/usr/games/zezivoze-data check r/usr/share/zezivoze >/dev/null && "
         "cd r/usr/share/zezivoze && ../../games/zezivoze --bogus 2>../../../usage")
            .c_str());
    ASSERT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2) << status;
    const std::string listing = ReadFileText(temp.File("listing"));
    for (const char* path :
         {"games/zezivoze", "games/zezivoze-data", "share/zezivoze/textures/landscp.bmp",
          "share/zezivoze/models/cobra_body.rozi", "share/zezivoze/sounds/engine.wav",
          "share/applications/org.example.zezivoze.desktop",
          "share/icons/hicolor/scalable/apps/zezivoze.svg"})
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
    EXPECT_EQ(ReadFileText(temp.File("unshown")), ""); // options and commands the pages lack
    unsetenv("ZEZIVOZE_DATA");
    setenv("XDG_STATE_HOME", (temp.path() / "state").c_str(), 1);
    setenv("XDG_CACHE_HOME", (temp.path() / "cache").c_str(), 1);
    const std::string log = temp.File("state/zezivoze/error.out");
    // The installed 512 x 512 world needs no terrain cache; a 32 x 32 map of one's own does.
    const std::string small = ZEZIVOZE_BINARY_DIR "/data32/textures/landscp.bmp";
    std::string cache;
    fs::file_time_type made;
    for (bool first : {true, false}) {
        ProgramRun run;
        const unsigned long main = run.StartWithoutDialog(
            {"--height-map", small}, temp.File("r/usr/games/zezivoze"), temp.path() / "empty");
        ASSERT_NE(main, 0u) << run.Describe();
        ASSERT_TRUE(run.RequestClose(main));
        EXPECT_EQ(run.ExitCode(), 0) << run.Describe();
        const std::string text = ReadFileText(log);
        EXPECT_TRUE(text.starts_with("Log file '" + log + "' opened.\nZezivoze error log\n"))
            << text;
        EXPECT_TRUE(text.ends_with("Log file closed\n")) << text;
        if (first)
            for (const auto& entry : fs::directory_iterator(temp.path() / "cache/zezivoze/maps"))
                cache = entry.path().string();
        ASSERT_NE(cache, "");
        // Only the first start looks for the cache in vain, and makes it.
        EXPECT_EQ(text.find("Unable to open file (" + cache + ")") != std::string::npos, first);
        EXPECT_EQ(text.find(cache) == std::string::npos, !first) << text;
        made = first ? fs::last_write_time(cache) : made;
        EXPECT_EQ(fs::last_write_time(cache), made);
        EXPECT_TRUE(fs::is_empty(temp.path() / "empty"));
    }
    ASSERT_TRUE(PollFor(120, [&] { return fs::exists(temp.File("linted")); }));
    if (!fs::exists(temp.File("lintian")))
        GTEST_SKIP() << "lintian is not installed (scripts/setup installs it)";
    EXPECT_EQ(ReadFileText(temp.File("lintian")), ""); // no error, no warning
}
