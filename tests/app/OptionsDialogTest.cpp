#include "app/OptionsDialog.h"
#include "state/AppState.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

namespace {
// The three settings back at their start values (windowed, no depth, 256).
void ResetSettings() {
    appState.bitsPerPixel = appState.fullscreen = appState.largeTerrainTexture = 0;
}

std::vector<int> Settings() {
    return {appState.bitsPerPixel, appState.fullscreen, appState.largeTerrainTexture};
}
} // namespace

// Each opening starts from 32 bits, full screen and 1024, whatever the one
// before chose; only OK ends the dialog and stores the pairs' checked buttons.
TEST(OptionsDialog, OpensWithTheDefaultsEveryTimeAndOnlyOkStoresTheChoice) {
    ResetSettings();
    SetDialogBoxFunction(nullptr); // no window to show it in: start-up goes on as it was
    EXPECT_EQ(DialogBox(nullptr, "Options", OptionsDialogProc), -1);
    OptionsDialog other(OptionsDialogProc);
    EXPECT_EQ(other.Send(WM_INITDIALOG), 1);
    other.ClickRadio(IDC_BITS_16); // the pair's other button goes out
    EXPECT_TRUE(other.IsDlgButtonChecked(IDC_BITS_16) && !other.IsDlgButtonChecked(IDC_BITS_32));
    // Anything but OK and Cancel is left to the default handling.
    EXPECT_EQ(other.Send(WM_COMMAND, IDC_BITS_16) + other.Send(WM_COMMAND, 0xFFFF) +
                  other.Send(WM_SIZE),
              0);
    EXPECT_FALSE(other.ended);
    EXPECT_EQ(Settings(), (std::vector<int>{0, 0, 0}));

    const struct {
        std::vector<int> clicks;
        uintptr_t command;
        std::vector<int> settings;
    } cases[] = {{{}, IDOK, {32, 1, 1}},
                 // Only the low 16 bits of the word parameter name the control.
                 {{IDC_BITS_16, IDC_FULLSCREEN_NO, IDC_TEXTURE_256}, (1u << 16) | IDOK, {16, 0, 0}},
                 // A pair's other button and back again.
                 {{IDC_TEXTURE_256, IDC_TEXTURE_1024, IDC_TEXTURE_1024}, IDOK, {32, 1, 1}}};
    for (const auto& choice : cases) {
        OptionsDialog dialog(OptionsDialogProc);
        dialog.Send(WM_INITDIALOG);
        for (int id : choice.clicks)
            dialog.ClickRadio(id);
        EXPECT_EQ(dialog.Send(WM_COMMAND, choice.command), 1);
        EXPECT_TRUE(dialog.ended && dialog.result == 1);
        EXPECT_EQ(Settings(), choice.settings) << "after " << choice.clicks.size() << " clicks";
    }
}

TEST(OptionsDialog, ClosingFromTheTitleBarEndsItWithoutReadingTheButtons) {
    // In a child process: a Cancel run by mistake would end it with code 0.
    EXPECT_EXIT(
        {
            ResetSettings();
            OptionsDialog dialog(OptionsDialogProc);
            dialog.Send(WM_INITDIALOG);
            // The close posts a destroy, and the standard handling a Cancel behind
            // it; the destroy ends the dialog first, so the Cancel never runs.
            bool leftToDefault = dialog.Send(WM_CLOSE) == 0 && !dialog.ended;
            dialog.DeliverPosted();
            bool startValues = (Settings() == std::vector<int>{0, 0, 0});
            std::exit(leftToDefault && dialog.ended && dialog.result == 1 && startValues ? 7 : 8);
        },
        testing::ExitedWithCode(7), "");
}
