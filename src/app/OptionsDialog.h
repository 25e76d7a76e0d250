#pragma once

#include "platform/WindowMessages.h"

#include <cstdint>
#include <deque>

// The dialog messages, with the numbers the dialog procedure was written for.
enum DialogMessage : uint32_t {
    WM_INITDIALOG = 0x0110,
    WM_COMMAND = 0x0111,
};

// Control ids of the options dialog.
enum OptionsControl : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDC_STATIC = -1,
    IDC_BITS_16 = 1000,
    IDC_BITS_32 = 1001,
    IDC_FULLSCREEN_YES = 1002,
    IDC_FULLSCREEN_NO = 1003,
    IDC_TEXTURE_1024 = 1004,
    IDC_TEXTURE_256 = 1005,
};

constexpr unsigned BST_UNCHECKED = 0;
constexpr unsigned BST_CHECKED = 1;

// One control of a dialog template; rectangles are in dialog units.
enum class ControlKind { PushButton, DefaultPushButton, StaticText, RadioButton };
struct DialogControl {
    int id;
    ControlKind kind;
    const char* text;
    int x, y, width, height;
};
struct DialogTemplate {
    const char* name;
    const char* caption;
    int width, height; // dialog units
    const DialogControl* controls;
    int controlCount;
};

// The options dialog's template, "Options".
extern const DialogTemplate optionsDialogTemplate;

// The keys a dialog answers by itself, as the platform's dialog manager does.
enum class DialogKey { Tab, ShiftTab, Previous, Next, Enter, Space, Escape, AltF4 };

// A modal dialog as its procedure sees it: its position, the check states of
// its three radio pairs, the messages posted to it and whether it has ended.
// The window that shows it feeds it messages and draws from it.
class OptionsDialog {
  public:
    using Procedure = intptr_t (*)(OptionsDialog* dialog, uint32_t message, uintptr_t wordParam,
                                   intptr_t longParam);
    explicit OptionsDialog(Procedure procedure);

    // Hands a message to the procedure now; what the procedure leaves
    // unhandled gets the standard dialog handling (a close becomes Cancel).
    intptr_t Send(uint32_t message, uintptr_t wordParam = 0, intptr_t longParam = 0);
    // Queues a message for DeliverPosted.
    void Post(uint32_t message, uintptr_t wordParam = 0, intptr_t longParam = 0);
    // Delivers queued messages in order until none is left or the dialog ended.
    void DeliverPosted();

    // What the user does: a click on a radio button checks it and unchecks
    // the other of its pair; a push button sends its command; Enter is the
    // default button (OK), Escape is Cancel.
    void ClickRadio(int id);
    void ClickButton(int id);
    // The standard dialog keys: Tab and Shift+Tab move the focus between the
    // tab stops (OK, Cancel and each radio pair, where it sits on the checked
    // button), the arrows pick a button within a pair; Enter presses the
    // focused push button (on a pair: the default one, OK), Space the focused
    // button; Escape is Cancel, Alt+F4 the title-bar close.
    void PressKey(DialogKey key);
    // The push button Enter presses: the focused one, else the default (OK).
    int EnterButton() const;

    // What the procedure does.
    void SetPosition(int32_t left, int32_t top);
    void CheckRadioButton(int first, int last, int check);
    unsigned IsDlgButtonChecked(int id) const;
    void EndDialog(intptr_t dialogResult);

    int32_t x, y; // screen position in pixels
    bool positioned;
    bool ended;
    intptr_t result;
    unsigned checks[6]; // check states of the radio buttons 1000 to 1005
    int focus;          // the control with the keyboard focus

  private:
    struct Message {
        uint32_t message;
        uintptr_t wordParam;
        intptr_t longParam;
    };
    Procedure procedure;
    std::deque<Message> posted;
};

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
intptr_t OptionsDialogProc(OptionsDialog* dialog, uint32_t message, uintptr_t wordParam,
                           intptr_t longParam);

// Showing a dialog needs a user-interface toolkit, which only the program
// links; it installs its dialog box function here at start. initParam goes to
// the procedure with the initialise message.
using DialogBoxFunction = intptr_t (*)(void* instance, const DialogTemplate& dialogTemplate,
                                       OptionsDialog::Procedure procedure, intptr_t initParam);
void SetDialogBoxFunction(DialogBoxFunction function);

// Runs the named dialog modally and returns its result; -1 when it cannot be
// shown (no such template, or nothing installed to show it).
intptr_t DialogBox(void* instance, const char* templateName, OptionsDialog::Procedure procedure);
// The same, handing initParam to the procedure with the initialise message.
intptr_t DialogBoxParam(void* instance, const char* templateName,
                        OptionsDialog::Procedure procedure, intptr_t initParam);
// Runs a dialog without showing it: initialised with initParam, then OK at once.
intptr_t AcceptDialogUnshown(OptionsDialog::Procedure procedure, intptr_t initParam);
