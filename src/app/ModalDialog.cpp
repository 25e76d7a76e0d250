#include "app/ModalDialog.h"

#include <cstddef>

namespace {
DialogBoxFunction dialogBoxFunction = nullptr;

bool IsPushButton(const DialogControl& control) {
    return control.kind == ControlKind::PushButton ||
           control.kind == ControlKind::DefaultPushButton;
}
} // namespace

ModalDialog::ModalDialog(const DialogTemplate& dialogTemplate_, Procedure procedure_)
    : x(0), y(0), positioned(false), ended(false), result(0), focus(0),
      dialogTemplate(dialogTemplate_), procedure(procedure_),
      checks(static_cast<size_t>(dialogTemplate_.controlCount), BST_UNCHECKED) {}

int ModalDialog::IndexOf(int id) const {
    for (int i = 0; i < dialogTemplate.controlCount; ++i)
        if (ControlAt(i).id == id && id != IDC_STATIC)
            return i;
    return -1;
}

bool ModalDialog::IsRadio(int id) const {
    const int index = IndexOf(id);
    return index >= 0 && ControlAt(index).kind == ControlKind::RadioButton;
}

// Tab stops in template order: each push button, and each run of radio
// buttons (a group) as one.
bool ModalDialog::StartsTabStop(int index) const {
    const ControlKind kind = ControlAt(index).kind;
    return IsPushButton(ControlAt(index)) ||
           (kind == ControlKind::RadioButton &&
            (index == 0 || ControlAt(index - 1).kind != ControlKind::RadioButton));
}

std::pair<int, int> ModalDialog::StopAround(int index) const {
    int first = index, end = index + 1;
    while (!StartsTabStop(first))
        --first;
    while (end < dialogTemplate.controlCount && !StartsTabStop(end) &&
           ControlAt(end).kind == ControlAt(index).kind)
        ++end;
    return {first, end};
}

intptr_t ModalDialog::Send(uint32_t message, uintptr_t wordParam, intptr_t longParam) {
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

void ModalDialog::Post(uint32_t message, uintptr_t wordParam, intptr_t longParam) {
    posted.push_back({message, wordParam, longParam});
}

void ModalDialog::DeliverPosted() {
    while (!ended && !posted.empty()) {
        Message next = posted.front();
        posted.pop_front();
        Send(next.message, next.wordParam, next.longParam);
    }
}

void ModalDialog::ClickRadio(int id) {
    if (!IsRadio(id))
        return;
    const auto [first, end] = StopAround(IndexOf(id));
    CheckRadioButton(ControlAt(first).id, ControlAt(end - 1).id, id);
    focus = id;
}

void ModalDialog::ClickButton(int id) {
    focus = id;
    Send(WM_COMMAND, static_cast<uintptr_t>(id));
}

int ModalDialog::EnterButton() const {
    const int index = IndexOf(focus);
    return index >= 0 && IsPushButton(ControlAt(index)) ? focus : IDOK;
}

void ModalDialog::PressKey(DialogKey key) {
    const int index = IndexOf(focus);
    switch (key) {
    case DialogKey::Tab:
    case DialogKey::ShiftTab: {
        const int count = dialogTemplate.controlCount;
        const int step = key == DialogKey::Tab ? 1 : count - 1;
        int next = index < 0 ? 0 : StopAround(index).first;
        do
            next = (next + step) % count;
        while (!StartsTabStop(next));
        // A group gives the focus to its checked button.
        auto [first, end] = StopAround(next);
        focus = ControlAt(first).id;
        for (int i = first; i < end; ++i)
            if (checks[i] == BST_CHECKED)
                focus = ControlAt(i).id;
        break;
    }
    case DialogKey::Previous:
    case DialogKey::Next:
        if (IsRadio(focus)) {
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

void ModalDialog::SetPosition(int32_t left, int32_t top) {
    x = left;
    y = top;
    positioned = true;
}

void ModalDialog::CheckRadioButton(int first, int last, int check) {
    for (int i = 0; i < dialogTemplate.controlCount; ++i) {
        const DialogControl& control = ControlAt(i);
        if (control.kind == ControlKind::RadioButton && control.id >= first && control.id <= last)
            checks[i] = control.id == check ? BST_CHECKED : BST_UNCHECKED;
    }
}

unsigned ModalDialog::IsDlgButtonChecked(int id) const {
    return IsRadio(id) ? checks[IndexOf(id)] : BST_UNCHECKED;
}

void ModalDialog::EndDialog(intptr_t dialogResult) {
    ended = true;
    result = dialogResult;
}

void SetDialogBoxFunction(DialogBoxFunction function) {
    dialogBoxFunction = function;
}

intptr_t DialogBoxIndirectParam(void* instance, const DialogTemplate& dialogTemplate,
                                ModalDialog::Procedure procedure, intptr_t initParam) {
    if (dialogBoxFunction == nullptr)
        return -1;
    return dialogBoxFunction(instance, dialogTemplate, procedure, initParam);
}

intptr_t AcceptDialogUnshown(const DialogTemplate& dialogTemplate, ModalDialog::Procedure procedure,
                             intptr_t initParam) {
    ModalDialog dialog(dialogTemplate, procedure);
    dialog.Send(WM_INITDIALOG, 0, initParam);
    dialog.DeliverPosted();
    if (!dialog.ended) {
        dialog.ClickButton(IDOK);
        dialog.DeliverPosted();
    }
    return dialog.result;
}
