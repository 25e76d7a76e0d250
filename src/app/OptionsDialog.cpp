#include "app/OptionsDialog.h"

#include "state/AppState.h"

#include <cstdlib>
#include <cstring>

namespace {
const DialogControl kOptionsControls[] = {
    {IDOK, ControlKind::DefaultPushButton, "OK", 25, 119, 50, 14},
    {IDCANCEL, ControlKind::PushButton, "Cancel", 80, 119, 50, 14},
    {IDC_STATIC, ControlKind::StaticText, "Bits per pixel:", 20, 15, 42, 8},
    {IDC_BITS_16, ControlKind::RadioButton, "16", 67, 15, 24, 10},
    {IDC_BITS_32, ControlKind::RadioButton, "32", 98, 15, 24, 10},
    {IDC_STATIC, ControlKind::StaticText, "Fullscreen:", 27, 32, 35, 8},
    {IDC_FULLSCREEN_YES, ControlKind::RadioButton, "Yes", 68, 32, 28, 10},
    {IDC_FULLSCREEN_NO, ControlKind::RadioButton, "No", 98, 32, 25, 10},
    {IDC_STATIC, ControlKind::StaticText,
     "If you just see a black screen after clicking ok, try running with using the same bpp "
     "as your desktop.  Also, if you can, try to run the program in 32 bit color",
     14, 69, 129, 36},
    {IDC_STATIC, ControlKind::StaticText, "Texture Size:", 20, 48, 42, 8},
    {IDC_TEXTURE_1024, ControlKind::RadioButton, "1024", 66, 48, 32, 10},
    {IDC_TEXTURE_256, ControlKind::RadioButton, "256", 98, 48, 25, 8},
};
} // namespace

const DialogTemplate optionsDialogTemplate = {
    "Options",
    "Zezivoze Options",
    156,
    140,
    kOptionsControls,
    static_cast<int>(sizeof kOptionsControls / sizeof kOptionsControls[0])};

intptr_t OptionsDialogProc(ModalDialog* dialog, uint32_t message, uintptr_t wordParam,
                           intptr_t longParam) {
    switch (message) {
    case WM_INITDIALOG: {
        // The defaults are set anew each time; choices kept from an earlier run come as a preset.
        const OptionsPreset none;
        const OptionsPreset& preset =
            longParam != 0 ? *reinterpret_cast<const OptionsPreset*>(longParam) : none;
        auto pick = [](int chosen, int fallback) { return chosen != 0 ? chosen : fallback; };
        dialog->SetPosition(160, 140);
        dialog->CheckRadioButton(IDC_BITS_16, IDC_BITS_32, pick(preset.bits, IDC_BITS_32));
        dialog->CheckRadioButton(IDC_FULLSCREEN_YES, IDC_FULLSCREEN_NO,
                                 pick(preset.fullscreen, IDC_FULLSCREEN_YES));
        dialog->CheckRadioButton(IDC_TEXTURE_1024, IDC_TEXTURE_256,
                                 pick(preset.texture, IDC_TEXTURE_1024));
        return 1;
    }
    case WM_COMMAND:
        switch (wordParam & 0xFFFF) {
        case IDOK:
            appState.bitsPerPixel =
                dialog->IsDlgButtonChecked(IDC_BITS_32) == BST_CHECKED ? 32 : 16;
            appState.fullscreen =
                dialog->IsDlgButtonChecked(IDC_FULLSCREEN_YES) == BST_CHECKED ? 1 : 0;
            appState.largeTerrainTexture =
                dialog->IsDlgButtonChecked(IDC_TEXTURE_1024) == BST_CHECKED ? 1 : 0;
            dialog->EndDialog(1);
            return 1;
        case IDCANCEL:
            dialog->EndDialog(1);
            std::exit(0); // the global objects' destructors still run: the log is closed
        default:
            return 0;
        }
    case WM_CLOSE:
        // Ends the dialog through its own destroy message, ahead of the Cancel
        // that the standard handling queues, so a close never ends the program.
        dialog->Post(WM_DESTROY);
        return 0;
    case WM_DESTROY:
        dialog->EndDialog(1);
        return 0;
    default:
        return 0;
    }
}

intptr_t DialogBox(void* instance, const char* templateName, ModalDialog::Procedure procedure) {
    return DialogBoxParam(instance, templateName, procedure, 0);
}

intptr_t DialogBoxParam(void* instance, const char* templateName, ModalDialog::Procedure procedure,
                        intptr_t initParam) {
    if (templateName == nullptr || std::strcmp(templateName, optionsDialogTemplate.name) != 0)
        return -1;
    return DialogBoxIndirectParam(instance, optionsDialogTemplate, procedure, initParam);
}
