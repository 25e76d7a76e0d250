#include "app/OptionsDialog.h"
#include "app/AppState.h"
#include "app/Globals.h"
#include "platform/ErrorLog.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <gtest/gtest.h>
#include <initializer_list>

namespace {
// The three settings back at their start values (windowed, no depth, 256).
void ResetSettings() {
    appState.bitsPerPixel = 0;
    appState.fullscreen = 0;
    appState.largeTerrainTexture = 0;
}

void ExpectChecked(const OptionsDialog& dialog, std::initializer_list<int> checked) {
    for (int id = IDC_BITS_16; id <= IDC_TEXTURE_256; ++id) {
        bool expected = std::find(checked.begin(), checked.end(), id) != checked.end();
        EXPECT_EQ(dialog.IsDlgButtonChecked(id), expected ? BST_CHECKED : BST_UNCHECKED) << id;
    }
}
} // namespace

TEST(OptionsDialog, OpensAt160By140With32BitsFullScreenAnd1024EveryTime) {
    for (int opening = 0; opening < 2; ++opening) {
        OptionsDialog dialog(OptionsDialogProc);
        ExpectChecked(dialog, {});
        EXPECT_EQ(dialog.Send(WM_INITDIALOG), 1);
        EXPECT_TRUE(dialog.positioned);
        EXPECT_EQ(dialog.x, 160);
        EXPECT_EQ(dialog.y, 140);
        EXPECT_FALSE(dialog.ended);
        ExpectChecked(dialog, {IDC_BITS_32, IDC_FULLSCREEN_YES, IDC_TEXTURE_1024});
        // A change in this opening is not remembered by the next.
        dialog.ClickRadio(IDC_BITS_16);
        dialog.ClickRadio(IDC_FULLSCREEN_NO);
        ExpectChecked(dialog, {IDC_BITS_16, IDC_FULLSCREEN_NO, IDC_TEXTURE_1024});
    }
}

TEST(OptionsDialog, OkStoresTheCheckedButtonOfEachPair) {
    ResetSettings();
    // Opens the dialog, clicks the radio buttons given, then sends the command.
    auto chooseAndConfirm = [](std::initializer_list<int> clicks, uintptr_t command) {
        OptionsDialog dialog(OptionsDialogProc);
        dialog.Send(WM_INITDIALOG);
        for (int id : clicks)
            dialog.ClickRadio(id);
        EXPECT_EQ(dialog.Send(WM_COMMAND, command), 1);
        EXPECT_TRUE(dialog.ended);
        EXPECT_EQ(dialog.result, 1);
        return dialog;
    };
    chooseAndConfirm({}, IDOK);
    EXPECT_EQ(appState.bitsPerPixel, 32);
    EXPECT_EQ(appState.fullscreen, 1);
    EXPECT_EQ(appState.largeTerrainTexture, 1);

    // Only the low 16 bits of the word parameter name the control.
    OptionsDialog chosen =
        chooseAndConfirm({IDC_BITS_16, IDC_FULLSCREEN_NO, IDC_TEXTURE_256}, (1u << 16) | IDOK);
    ExpectChecked(chosen, {IDC_BITS_16, IDC_FULLSCREEN_NO, IDC_TEXTURE_256});
    EXPECT_EQ(appState.bitsPerPixel, 16);
    EXPECT_EQ(appState.fullscreen, 0);
    EXPECT_EQ(appState.largeTerrainTexture, 0);

    // A pair's other button and back again.
    chooseAndConfirm({IDC_TEXTURE_256, IDC_TEXTURE_1024, IDC_TEXTURE_1024}, IDOK);
    EXPECT_EQ(appState.largeTerrainTexture, 1);
}

TEST(OptionsDialog, OtherCommandsAndMessagesAreLeftToTheDefaultHandling) {
    ResetSettings();
    OptionsDialog dialog(OptionsDialogProc);
    dialog.Send(WM_INITDIALOG);
    EXPECT_EQ(dialog.Send(WM_COMMAND, IDC_BITS_16), 0);
    EXPECT_EQ(dialog.Send(WM_COMMAND, 0xFFFF), 0);
    EXPECT_EQ(dialog.Send(WM_SIZE), 0);
    EXPECT_FALSE(dialog.ended);
    EXPECT_EQ(appState.bitsPerPixel, 0);
}

TEST(OptionsDialog, ClosingFromTheTitleBarEndsItWithoutReadingTheButtons) {
    // In a child process: a Cancel run by mistake would end it with code 0.
    EXPECT_EXIT(
        {
            ResetSettings();
            OptionsDialog dialog(OptionsDialogProc);
            dialog.Send(WM_INITDIALOG);
            // The close posts a destroy; the standard handling queues Cancel behind it.
            bool handled = dialog.Send(WM_CLOSE) != 0;
            bool endedAtOnce = dialog.ended;
            // The destroy ends the dialog first, so the Cancel never runs.
            dialog.DeliverPosted();
            bool startValues = appState.bitsPerPixel == 0 && appState.fullscreen == 0 &&
                               appState.largeTerrainTexture == 0;
            std::exit(!handled && !endedAtOnce && dialog.ended && dialog.result == 1 && startValues
                          ? 7
                          : 8);
        },
        testing::ExitedWithCode(7), "");
}

TEST(OptionsDialog, CancelEndsTheProgramWithExitCodeZeroAfterTheDestructors) {
    LogCapture log;
    EXPECT_EXIT(
        {
            OptionsDialog dialog(OptionsDialogProc);
            dialog.Send(WM_INITDIALOG);
            dialog.ClickButton(IDCANCEL);
            std::exit(3); // not reached
        },
        testing::ExitedWithCode(0), "");
    // The global log's destructor closed it in the ended process.
    EXPECT_EQ(log.Contents(), "Log file '" + log.path() + "' opened.\nLog file closed\n");
}

TEST(OptionsDialog, StartUpGoesOnWithTheStartValuesWhenNoDialogCanBeShown) {
    ResetSettings();
    SetDialogBoxFunction(nullptr);
    EXPECT_EQ(DialogBox(nullptr, "Options", OptionsDialogProc), -1);
    EXPECT_EQ(appState.bitsPerPixel, 0);

    // What the program's window does with the template, in short: opens it,
    // the user picks "No", then OK.
    SetDialogBoxFunction([](void*, const DialogTemplate& dialogTemplate,
                            OptionsDialog::Procedure procedure) -> intptr_t {
        EXPECT_STREQ(dialogTemplate.caption, "Zezivoze Options");
        OptionsDialog dialog(procedure);
        dialog.Send(WM_INITDIALOG);
        dialog.ClickRadio(IDC_FULLSCREEN_NO);
        dialog.ClickButton(IDOK);
        return dialog.ended ? dialog.result : 0;
    });
    EXPECT_EQ(DialogBox(nullptr, "Other", OptionsDialogProc), -1);
    EXPECT_EQ(DialogBox(nullptr, "Options", OptionsDialogProc), 1);
    EXPECT_EQ(appState.bitsPerPixel, 32);
    EXPECT_EQ(appState.fullscreen, 0);
    EXPECT_EQ(appState.largeTerrainTexture, 1);
    SetDialogBoxFunction(nullptr);
}
