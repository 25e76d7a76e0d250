#include "app/OptionsDialog.h"
#include "e2e/ProgramRun.h"

#include <span>

namespace {
const std::string kLogStart = "Log file 'error.out' opened.\nZezivoze error log\n";

// The buttons the dialog shows checked (each and a blank): their dots on the screen.
std::string Checked(ProgramRun& run, unsigned long dialog) {
    const std::vector<uint8_t> picture = run.Picture(dialog);
    std::string checked;
    for (const DialogControl& b :
         std::span(optionsDialogTemplate.controls, optionsDialogTemplate.controlCount))
        if (const size_t at = ((b.y * 2 + 6) * 640 + b.x * 2 + 9) * 3; // 2 pixels a unit
            b.kind == ControlKind::RadioButton && picture.size() > at + 2 && picture[at] < 150 &&
            picture[at + 2] > 200)
            checked += b.text + std::string(" ");
    return checked;
}
} // namespace

// DISPLAY naming no server, or unset, with the dialog or without: exit code 1 at once (not an
// invisible run), the reason on the terminal and in the log.
TEST(Start, WithoutADisplayEndsAtOnceSayingWhy) {
    const std::string fatal = "FATAL ERROR: Unable to open a display: ";
    for (const std::string how : {"DISPLAY=:4321 ", "-u DISPLAY "})
        for (const std::string dialog : {"", " --no-dialog"}) {
            ProgramRun run;
            run.Shell("exec env -u WAYLAND_DISPLAY " + how + ZEZIVOZE_PROGRAM + dialog);
            EXPECT_EQ(run.ExitCode(), 1) << how << dialog << run.Describe();
            const std::string err = ReadFileText((run.dir() / "err").string());
            EXPECT_EQ(std::tuple(err.find(fatal) < err.size(), run.Log().find(kLogStart + fatal)),
                      std::tuple(true, 0u))
                << err << run.Describe();
        }
}

// OK on "No" and "256" is kept: the next dialog shows them, its OK starts windowed with 256
// tiles; --no-dialog uses them under the options given, keeping nothing. A damaged file means
// the defaults and is replaced at OK; an unusable config folder only a note. No sound card
// (ALSA told to use one not there): the game's log line, and no line of ALSA's on the terminal.
TEST(Start, TheDialogOpensOnTheChoicesOfItsLastOk) {
    const std::pair<int, int> no{204, 71}, s256{204, 103}, ok{100, 252};
    const std::string dflt = "32 Yes 1024 ", damaged = "bpp=16\nfullscreen=no\ntexture-size=256\n~";
    const struct {
        std::string arguments;
        std::string file; // written before the start, if any; "-": a file in the way
        std::vector<std::pair<int, int>> clicks;
        std::string checked;    // as the dialog opens
        bool small;             // 16 tiles of 256, not one of 1024
        std::string kept, note; // the texture size kept after the run; on the terminal
    } cases[] = {{"", "", {no, s256, ok}, dflt, true, "256", ""},
                 {"", "", {ok}, "32 No 256 ", true, "256", ""},
                 {" --no-dialog --texture-size=1024", "", {}, "", false, "256", ""},
                 {"", damaged, {no, ok}, dflt, false, "1024", "holds no choices"},
                 {"", "-", {no, ok}, dflt, false, "1024", "cannot keep the dialog's choices"}};
    ProgramRun run;
    const std::string file = (run.dir() / "config/zezivoze/options.conf").string();
    for (const auto& c : cases) {
        SCOPED_TRACE(&c - cases);
        const std::string home = run.dir() / (c.file == "-" ? "in-the-way" : "config");
        if (!c.file.empty())
            WriteFileText(c.file == "-" ? home : file, c.file);
        run.Shell("exec env SDL_AUDIODRIVER=alsa ALSA_CARD=99 XDG_CONFIG_HOME=" + home +
                  " " ZEZIVOZE_PROGRAM + c.arguments);
        const unsigned long dialog = c.clicks.empty() ? 0 : run.WaitForWindow(run.kDialogTitle);
        std::string checked; // once the dialog is drawn
        PollFor(10, [&] { return dialog == 0 || !(checked = Checked(run, dialog)).empty(); });
        for (auto [x, y] : c.clicks)
            ASSERT_TRUE(run.Click(dialog, x, y)) << run.Describe();
        ASSERT_TRUE(run.Key(run.WaitForWindow(run.kMainTitle), "Escape")) << run.Describe();
        ExpectCleanEnd(run);
        const std::string log = run.Log(), err = ReadFileText((run.dir() / "err").string());
        EXPECT_EQ(std::tuple(checked, log.starts_with(kLogStart + "Using windowed mode.\n"),
                             log.find("Texture '15' ") < log.size(),
                             log.find("No sound (ALSA: ") < log.size(),
                             ReadFileText(file).ends_with("no\ntexture-size=" + c.kept + "\n"),
                             err.empty(), err.find(c.note) != std::string::npos),
                  std::tuple(c.checked, true, c.small, true, true, c.note.empty(), true))
            << err;
    }
}

// Without a display, scripts/run ends the X server it started with the game (here a usage error).
TEST(Start, ScriptsRunEndsItsXServerWithTheGame) {
    ProgramRun run;
    run.Shell("exec env -u DISPLAY ZEZIVOZE_BUILD_DIR=" ZEZIVOZE_BINARY_DIR " " ZEZIVOZE_SOURCE_DIR
              "/scripts/run --bogus >/dev/null");
    EXPECT_EQ(run.ExitCode(), 2);
    EXPECT_TRUE(PollFor(10, [&] { return kill(-run.Id(), 0) != 0; })); // its process group empty
}
