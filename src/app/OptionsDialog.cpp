#include "app/OptionsDialog.h"

#include "state/AppState.h"

#include <cstdlib>
#include <cstring>
#include <utility>

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

constexpr int kFirstRadio = IDC_BITS_16;
constexpr int kRadioCount = 6;

bool IsRadio(int id) {
    return id >= kFirstRadio && id < kFirstRadio + kRadioCount;
}

DialogBoxFunction dialogBoxFunction = nullptr;
} // namespace

const DialogTemplate optionsDialogTemplate = {
    "Options",
    "Zezivoze Options",
    156,
    140,
    kOptionsControls,
    static_cast<int>(sizeof kOptionsControls / sizeof kOptionsControls[0])};

namespace {
// Tab stops in template order: each push button, and each run of radio
// buttons (a pair) as one.
const DialogControl& ControlAt(int index) {
    return optionsDialogTemplate.controls[index];
}

bool IsPushButton(const DialogControl& control) {
    return control.kind == ControlKind::PushButton ||
           control.kind == ControlKind::DefaultPushButton;
}

bool StartsTabStop(int index) {
    const ControlKind kind = ControlAt(index).kind;
    return IsPushButton(ControlAt(index)) ||
           (kind == ControlKind::RadioButton &&
            (index == 0 || ControlAt(index - 1).kind != ControlKind::RadioButton));
}

// The template index of a control that can hold the focus, or -1.
int IndexOf(int id) {
    for (int i = 0; i < optionsDialogTemplate.controlCount; ++i)
        if (ControlAt(i).id == id && id != IDC_STATIC)
            return i;
    return -1;
}

// The first and one past the last index of the tab stop holding the index.
std::pair<int, int> StopAround(int index) {
    int first = index, end = index + 1;
    while (!StartsTabStop(first))
        --first;
    while (end < optionsDialogTemplate.controlCount && !StartsTabStop(end) &&
           ControlAt(end).kind == ControlAt(index).kind)
        ++end;
    return {first, end};
}
} // namespace

OptionsDialog::OptionsDialog(Procedure procedure_)
    : x(0), y(0), positioned(false), ended(false), result(0), checks{}, focus(0),
      procedure(procedure_) {}

intptr_t OptionsDialog::Send(uint32_t message, uintptr_t wordParam, intptr_t longParam) {
    intptr_t handled = procedure(this, message, wordParam, longParam);
    // A true answer to the initialisation lets the system focus the first tab stop.
    if (message == WM_INITDIALOG && handled)
        focus = ControlAt(0).id;
    // The standard handling of a close that the procedure left alone: Cancel,
    // queued behind whatever the procedure posted.
    if (!handled && message == WM_CLOSE)
        Post(WM_COMMAND, IDCANCEL);
    return handled;
}

void OptionsDialog::Post(uint32_t message, uintptr_t wordParam, intptr_t longParam) {
    posted.push_back({message, wordParam, longParam});
}

void OptionsDialog::DeliverPosted() {
    while (!ended && !posted.empty()) {
        Message next = posted.front();
        posted.pop_front();
        Send(next.message, next.wordParam, next.longParam);
    }
}

void OptionsDialog::ClickRadio(int id) {
    if (!IsRadio(id))
        return;
    int first = kFirstRadio + (id - kFirstRadio) / 2 * 2; // the pairs start at even offsets
    CheckRadioButton(first, first + 1, id);
    focus = id;
}

void OptionsDialog::ClickButton(int id) {
    focus = id;
    Send(WM_COMMAND, static_cast<uintptr_t>(id));
}

int OptionsDialog::EnterButton() const {
    const int index = IndexOf(focus);
    return index >= 0 && IsPushButton(ControlAt(index)) ? focus : IDOK;
}

void OptionsDialog::PressKey(DialogKey key) {
    const int index = IndexOf(focus);
    switch (key) {
    case DialogKey::Tab:
    case DialogKey::ShiftTab: {
        const int count = optionsDialogTemplate.controlCount;
        const int step = key == DialogKey::Tab ? 1 : count - 1;
        int next = index < 0 ? 0 : StopAround(index).first;
        do
            next = (next + step) % count;
        while (!StartsTabStop(next));
        // A pair gives the focus to its checked button.
        auto [first, end] = StopAround(next);
        focus = ControlAt(first).id;
        for (int i = first; i < end; ++i)
            if (IsDlgButtonChecked(ControlAt(i).id) == BST_CHECKED)
                focus = ControlAt(i).id;
        break;
    }
    case DialogKey::Previous:
    case DialogKey::Next:
        if (index >= 0 && IsRadio(focus)) {
            auto [first, end] = StopAround(index);
            const int size = end - first;
            const int step = key == DialogKey::Next ? 1 : size - 1;
            ClickRadio(ControlAt(first + (index - first + step) % size).id);
        }
        break;
    case DialogKey::Enter:
        ClickButton(EnterButton());
        break;
    case DialogKey::Space:
        if (IsRadio(focus))
            ClickRadio(focus);
        else
            ClickButton(EnterButton());
        break;
    case DialogKey::Escape:
        ClickButton(IDCANCEL);
        break;
    case DialogKey::AltF4:
        Send(WM_CLOSE);
        break;
    }
}

void OptionsDialog::SetPosition(int32_t left, int32_t top) {
    x = left;
    y = top;
    positioned = true;
}

void OptionsDialog::CheckRadioButton(int first, int last, int check) {
    for (int id = first; id <= last; ++id)
        if (IsRadio(id))
            checks[id - kFirstRadio] = id == check ? BST_CHECKED : BST_UNCHECKED;
}

unsigned OptionsDialog::IsDlgButtonChecked(int id) const {
    return IsRadio(id) ? checks[id - kFirstRadio] : BST_UNCHECKED;
}

void OptionsDialog::EndDialog(intptr_t dialogResult) {
    ended = true;
    result = dialogResult;
}

intptr_t OptionsDialogProc(OptionsDialog* dialog, uint32_t message, uintptr_t wordParam,
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

void SetDialogBoxFunction(DialogBoxFunction function) {
    dialogBoxFunction = function;
}

intptr_t DialogBox(void* instance, const char* templateName, OptionsDialog::Procedure procedure) {
    return DialogBoxParam(instance, templateName, procedure, 0);
}

intptr_t DialogBoxParam(void* instance, const char* templateName,
                        OptionsDialog::Procedure procedure, intptr_t initParam) {
    if (dialogBoxFunction == nullptr || templateName == nullptr ||
        std::strcmp(templateName, optionsDialogTemplate.name) != 0)
        return -1;
    return dialogBoxFunction(instance, optionsDialogTemplate, procedure, initParam);
}

intptr_t AcceptDialogUnshown(OptionsDialog::Procedure procedure, intptr_t initParam) {
    OptionsDialog dialog(procedure);
    dialog.Send(WM_INITDIALOG, 0, initParam);
    dialog.DeliverPosted();
    if (!dialog.ended) {
        dialog.ClickButton(IDOK);
        dialog.DeliverPosted();
    }
    return dialog.result;
}
