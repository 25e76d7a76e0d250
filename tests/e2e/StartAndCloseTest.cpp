#include "e2e/ProgramRun.h"

#include <gtest/gtest.h>
#include <string>

// The real program from its options dialog to its end, under the X server the
// tests run on.

namespace {
const char* const kDialogTitle = ProgramRun::kDialogTitle;
const char* const kMainTitle = ProgramRun::kMainTitle;
const std::string kLogStart = "Log file 'error.out' opened.\nZezivoze error log\n";
const std::string kLogEnd = "Log file closed\n";

bool EndsWith(const std::string& text, const std::string& end) {
    return text.size() >= end.size() &&
           text.compare(text.size() - end.size(), end.size(), end) == 0;
}

// Waits for the main window, lets it run a moment and closes it as a window
// manager's close button would; the program must end cleanly.
void CloseMainWindowAndExpectCleanEnd(ProgramRun& run, int expectedWidth, int expectedHeight) {
    unsigned long main = run.WaitForWindow(kMainTitle);
    ASSERT_NE(main, 0u) << run.Describe();
    EXPECT_EQ(run.FindWindow(kDialogTitle), 0u); // the dialog is gone before the window comes
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(run.Geometry(main, x, y, width, height));
    EXPECT_EQ(width, expectedWidth);
    EXPECT_EQ(height, expectedHeight);
    run.Focus(main);
    EXPECT_NE(run.Screenshot("main"), "");
    EXPECT_TRUE(run.Running());

    ASSERT_TRUE(run.RequestClose(main));
    int exitCode = -1;
    ASSERT_TRUE(run.WaitForExit(exitCode)) << run.Describe();
    EXPECT_EQ(exitCode, 0) << run.Describe();
    std::string log = run.Log();
    EXPECT_EQ(log.rfind(kLogStart, 0), 0u) << log;
    EXPECT_TRUE(EndsWith(log, kLogEnd)) << log;
    EXPECT_EQ(log.find("FATAL ERROR"), std::string::npos) << log;
}
} // namespace

TEST(StartAndClose, CancelInTheDialogEndsWithExitCodeZeroBeforeAnyWindow) {
    ProgramRun run;
    unsigned long dialog = run.StartToDialog();
    ASSERT_NE(dialog, 0u) << run.Describe();
    int x = 0, y = 0, width = 0, height = 0;
    ASSERT_TRUE(run.Geometry(dialog, x, y, width, height));
    EXPECT_EQ(x, 160);
    EXPECT_EQ(y, 140);
    EXPECT_NE(run.Screenshot("dialog"), "");

    ASSERT_TRUE(run.Key(dialog, "Escape"));
    int exitCode = -1;
    ASSERT_TRUE(run.WaitForExit(exitCode)) << run.Describe();
    EXPECT_EQ(exitCode, 0) << run.Describe();
    EXPECT_EQ(run.Log(), kLogStart + kLogEnd);
    EXPECT_FALSE(run.Seen(kMainTitle));
}

TEST(StartAndClose, EnterInTheDialogStartsFullScreenAndTheCloseButtonEndsTheProgram) {
    ProgramRun run;
    unsigned long dialog = run.StartToDialog();
    ASSERT_NE(dialog, 0u) << run.Describe();
    ASSERT_TRUE(run.Key(dialog, "Return"));
    CloseMainWindowAndExpectCleanEnd(run, 640, 480);
    EXPECT_EQ(run.Log().rfind(kLogStart + "Using fullscreen mode.\n", 0), 0u) << run.Log();
}

TEST(StartAndClose, ClosingTheDialogFromItsTitleBarStartsWindowed) {
    ProgramRun run;
    unsigned long dialog = run.StartToDialog();
    ASSERT_NE(dialog, 0u) << run.Describe();
    ASSERT_TRUE(run.RequestClose(dialog));
    CloseMainWindowAndExpectCleanEnd(run, 640, 480);
    EXPECT_EQ(run.Log().rfind(kLogStart + "Using windowed mode.\n", 0), 0u) << run.Log();
}

TEST(StartAndClose, ChoosingNoForFullScreenAndClickingOkStartsWindowed) {
    ProgramRun run;
    unsigned long dialog = run.StartToDialog();
    ASSERT_NE(dialog, 0u) << run.Describe();
    // The "No" button sits at (98, 32) dialog units, two pixels each; then OK
    // at (25, 119), 50 x 14 units.
    ASSERT_TRUE(run.Click(dialog, 98 * 2 + 8, 32 * 2 + 7));
    EXPECT_NE(run.Screenshot("no-chosen"), "");
    ASSERT_TRUE(run.Click(dialog, (25 + 25) * 2, (119 + 7) * 2));
    CloseMainWindowAndExpectCleanEnd(run, 640, 480);
    EXPECT_EQ(run.Log().rfind(kLogStart + "Using windowed mode.\n", 0), 0u) << run.Log();
}

TEST(StartAndClose, StartGameAnswersTheDialogForAWindowOrTheFullScreen) {
    for (bool fullscreen : {false, true}) {
        ProgramRun run;
        ASSERT_NE(run.StartGame(fullscreen), 0u) << run.Describe();
        CloseMainWindowAndExpectCleanEnd(run, 640, 480);
        std::string mode = fullscreen ? "Using fullscreen mode.\n" : "Using windowed mode.\n";
        EXPECT_EQ(run.Log().rfind(kLogStart + mode, 0), 0u) << run.Log();
    }
}
