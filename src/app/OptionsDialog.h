#pragma once

#include "app/ModalDialog.h"

#include <cstdint>

// Control ids of the options dialog, besides OK and Cancel.
enum OptionsControl : int {
    IDC_BITS_16 = 1000,
    IDC_BITS_32 = 1001,
    IDC_FULLSCREEN_YES = 1002,
    IDC_FULLSCREEN_NO = 1003,
    IDC_TEXTURE_1024 = 1004,
    IDC_TEXTURE_256 = 1005,
};

// The options dialog's template, "Options": three radio pairs, OK and Cancel.
extern const DialogTemplate optionsDialogTemplate;

// Choices made before the dialog opens (on the command line, or kept from its last
// OK): for each radio pair, the button to check instead of the dialog's default; 0
// keeps the default.
struct OptionsPreset {
    int bits = 0;       // IDC_BITS_16 or IDC_BITS_32
    int fullscreen = 0; // IDC_FULLSCREEN_YES or IDC_FULLSCREEN_NO
    int texture = 0;    // IDC_TEXTURE_1024 or IDC_TEXTURE_256
};

// Reads and sets the three settings of AppState; Cancel ends the program. The
// initialise message's long parameter may point to an OptionsPreset.
intptr_t OptionsDialogProc(ModalDialog* dialog, uint32_t message, uintptr_t wordParam,
                           intptr_t longParam);

// Runs the named dialog modally and returns its result; -1 when it cannot be
// shown (no such template, or nothing installed to show it). The options
// dialog is the program's one dialog resource.
intptr_t DialogBox(void* instance, const char* templateName, ModalDialog::Procedure procedure);
// The same, handing initParam to the procedure with the initialise message.
intptr_t DialogBoxParam(void* instance, const char* templateName, ModalDialog::Procedure procedure,
                        intptr_t initParam);
