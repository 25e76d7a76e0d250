#include "app/OptionsDialog.h"
#include "state/AppState.h"

#include <gtest/gtest.h>
#include <vector>

// Each opening starts from 32 bits, full screen and 1024 whatever was chosen before, focus on OK. A
// click picks within a pair and takes the focus (1005: 256, 1004: 1024); Tab and Shift+Tab move
// over OK, Cancel and the three pairs (into a pair on its checked button), arrows within a pair.
// Only OK ends the dialog and stores the checked buttons (Cancel, Escape, Alt+F4: e2e Dialog test).
TEST(OptionsDialog, OnlyOkStores) {
    SetDialogBoxFunction(nullptr); // no window to show it in: start-up goes on as it was
    EXPECT_EQ(DialogBox(nullptr, "Options", OptionsDialogProc), -1);
    using enum DialogKey;
    const struct {
        std::vector<int> clicks;
        std::vector<DialogKey> keys;
        uintptr_t command; // sent last, unless 0
        int focus;
        std::vector<int> settings; // stored by OK; the start values while open
    } cases[] = {
        // Commands but OK and Cancel are left to the default handling.
        {{IDC_BITS_16}, {}, IDC_BITS_16, IDC_BITS_16, {0, 0, 0}},
        {{}, {}, IDOK, IDOK, {32, 1, 1}},
        // Only the low 16 bits of the word parameter name the control.
        {{IDC_BITS_16, IDC_FULLSCREEN_NO, IDC_TEXTURE_256}, {}, 1 << 16 | IDOK, 1005, {16, 0, 0}},
        {{}, {Tab, Tab}, 0, IDC_BITS_32, {0, 0, 0}},
        {{}, {Tab, Tab, Tab, Tab, Tab}, 0, IDOK, {0, 0, 0}},
        {{}, {ShiftTab, ShiftTab, Next, Next, Previous}, 0, IDC_FULLSCREEN_NO, {0, 0, 0}},
        {{}, {ShiftTab, Next, Tab, Previous}, 0, IDOK, {0, 0, 0}}, // no arrows on push buttons
        {{}, {Space}, 0, IDOK, {32, 1, 1}},
        {{}, {ShiftTab, Previous, Enter}, 0, IDOK, {32, 1, 0}}, // Enter on a pair is OK
    };
    for (const auto& test : cases) {
        SCOPED_TRACE(&test - cases); // the row
        // The three settings start from values (windowed, no depth, 256) no opening picks.
        appState.bitsPerPixel = appState.fullscreen = appState.largeTerrainTexture = 0;
        ModalDialog dialog(optionsDialogTemplate, OptionsDialogProc);
        EXPECT_EQ(dialog.Send(WM_INITDIALOG), 1);
        for (int id : test.clicks)
            dialog.ClickRadio(id);
        for (DialogKey key : test.keys)
            dialog.PressKey(key);
        for (int id = IDC_BITS_16; id < IDC_TEXTURE_256; id += 2) // one button of each pair checked
            EXPECT_EQ(dialog.IsDlgButtonChecked(id) + dialog.IsDlgButtonChecked(id + 1), 1u) << id;
        const bool stored = test.settings[0] != 0;
        const intptr_t handled = test.command != 0 ? dialog.Send(WM_COMMAND, test.command) : stored;
        EXPECT_EQ(std::tuple(handled, dialog.focus, dialog.ended, dialog.result),
                  std::tuple(intptr_t(stored), test.focus, stored, intptr_t(stored)));
        EXPECT_EQ((std::vector<int>{appState.bitsPerPixel, appState.fullscreen,
                                    appState.largeTerrainTexture}),
                  test.settings);
    }
}
