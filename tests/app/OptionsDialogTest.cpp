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

// The dialog's keys: the focus starts on OK and moves over OK, Cancel and the
// three pairs (into a pair on its checked button); arrows pick within a pair.
TEST(OptionsDialog, AnswersTheStandardDialogKeys) {
    using enum DialogKey;
    const struct {
        std::vector<DialogKey> keys;
        int focus;
        std::vector<int> settings; // stored by OK; the start values while open
    } cases[] = {
        {{}, IDOK, {0, 0, 0}},
        {{Tab, Tab}, IDC_BITS_32, {0, 0, 0}},
        {{Tab, Tab, Tab, Tab, Tab}, IDOK, {0, 0, 0}},
        {{ShiftTab, ShiftTab}, IDC_FULLSCREEN_YES, {0, 0, 0}},
        {{ShiftTab, ShiftTab, Next, Next, Previous}, IDC_FULLSCREEN_NO, {0, 0, 0}},
        {{ShiftTab, Next, Tab, Previous}, IDOK, {0, 0, 0}}, // no arrows on push buttons
        {{Space}, IDOK, {32, 1, 1}},
        {{ShiftTab, Previous, Enter}, IDOK, {32, 1, 0}}, // Enter on a pair is OK
        {{Tab, Tab, Next, Space, Tab, Tab, Tab, Space}, IDOK, {16, 1, 1}},
    };
    for (const auto& test : cases) {
        ResetSettings();
        OptionsDialog dialog(OptionsDialogProc);
        dialog.Send(WM_INITDIALOG);
        for (DialogKey key : test.keys)
            dialog.PressKey(key);
        EXPECT_EQ(dialog.focus, test.focus) << test.keys.size() << " keys";
        EXPECT_EQ(dialog.ended, test.settings[0] != 0);
        EXPECT_EQ(Settings(), test.settings);
    }
    // In child processes: Cancel ends the program with code 0. Alt+F4 is the
    // title-bar close, which posts a destroy, and the standard handling a
    // Cancel behind it; the destroy ends the dialog first, without reading the
    // buttons, so the Cancel never runs.
    const std::vector<DialogKey> endings[] = {{Escape}, {Tab, Enter}, {Tab, Space}, {AltF4}};
    for (const auto& keys : endings)
        EXPECT_EXIT(
            {
                ResetSettings();
                OptionsDialog dialog(OptionsDialogProc);
                dialog.Send(WM_INITDIALOG);
                for (DialogKey key : keys)
                    dialog.PressKey(key);
                const bool leftToDefault = !dialog.ended;
                dialog.DeliverPosted();
                std::exit(leftToDefault && dialog.ended && dialog.result == 1 &&
                                  Settings() == std::vector<int>{0, 0, 0}
                              ? 7
                              : 8);
            },
            testing::ExitedWithCode(keys[0] == AltF4 ? 7 : 0), "");
}
