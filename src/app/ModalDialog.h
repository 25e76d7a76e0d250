#pragma once

#include "platform/WindowMessages.h"

#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

// The dialog messages, with the numbers dialog procedures are written for.
enum DialogMessage : uint32_t {
    WM_INITDIALOG = 0x0110,
    WM_COMMAND = 0x0111,
};

// The control ids every dialog shares.
enum StandardControl : int {
    IDOK = 1,
    IDCANCEL = 2,
    IDC_STATIC = -1,
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

// The keys a dialog answers by itself, as the platform's dialog manager does.
enum class DialogKey { Tab, ShiftTab, Previous, Next, Enter, Space, Escape, AltF4 };

// A modal dialog made from its template, as its procedure sees it: its
// position, the check states of its radio buttons (each run of radio buttons
// in the template is a group of its own), the focus, the messages posted to it
// and whether it has ended. The window that shows it feeds it messages and
// draws from it.
class ModalDialog {
  public:
    using Procedure = intptr_t (*)(ModalDialog* dialog, uint32_t message, uintptr_t wordParam,
                                   intptr_t longParam);
    ModalDialog(const DialogTemplate& dialogTemplate, Procedure procedure);

    // Hands a message to the procedure now; what the procedure leaves
    // unhandled gets the standard dialog handling (a close becomes Cancel).
    intptr_t Send(uint32_t message, uintptr_t wordParam = 0, intptr_t longParam = 0);
    // Queues a message for DeliverPosted.
    void Post(uint32_t message, uintptr_t wordParam = 0, intptr_t longParam = 0);
    // Delivers queued messages in order until none is left or the dialog ended.
    void DeliverPosted();

    // What the user does: a click on a radio button checks it and unchecks
    // the others of its group; a push button sends its command.
    void ClickRadio(int id);
    void ClickButton(int id);
    // The standard dialog keys: Tab and Shift+Tab move the focus between the
    // tab stops (each push button and each radio group, where it sits on the
    // checked button), the arrows pick a button within a group; Enter presses
    // the focused push button (on a group: the default one, OK), Space the
    // focused button; Escape is Cancel, Alt+F4 the title-bar close.
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
    int focus; // the control with the keyboard focus

  private:
    struct Message {
        uint32_t message;
        uintptr_t wordParam;
        intptr_t longParam;
    };
    const DialogTemplate& dialogTemplate;
    Procedure procedure;
    std::vector<unsigned> checks; // by template index
    std::deque<Message> posted;

    const DialogControl& ControlAt(int index) const { return dialogTemplate.controls[index]; }
    int IndexOf(int id) const; // of a control that can hold the focus, or -1
    bool IsRadio(int id) const;
    bool StartsTabStop(int index) const;
    // The first and one past the last index of the tab stop holding the index.
    std::pair<int, int> StopAround(int index) const;
};

// Showing a dialog needs a user-interface toolkit, which only the program
// links; it installs its dialog box function here at start. initParam goes to
// the procedure with the initialise message.
using DialogBoxFunction = intptr_t (*)(void* instance, const DialogTemplate& dialogTemplate,
                                       ModalDialog::Procedure procedure, intptr_t initParam);
void SetDialogBoxFunction(DialogBoxFunction function);

// Runs a dialog from its template modally and returns its result; -1 when
// nothing is installed to show it.
intptr_t DialogBoxIndirectParam(void* instance, const DialogTemplate& dialogTemplate,
                                ModalDialog::Procedure procedure, intptr_t initParam);
// Runs a dialog without showing it: initialised with initParam, then OK at once.
intptr_t AcceptDialogUnshown(const DialogTemplate& dialogTemplate, ModalDialog::Procedure procedure,
                             intptr_t initParam);
