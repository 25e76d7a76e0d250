#pragma once

// Every message box of the program goes through here, so that tests can take
// the boxes instead of blocking on them.
using MessageBoxSink = void (*)(const char* caption, const char* text);

// Shows a modal box with one OK button and waits until it is closed. Without a
// display the text goes to standard error instead. A termination request
// (SIGTERM, SIGINT) while the box is up closes it as OK would; the request is
// then passed on, unless the caller says that it ends the program itself.
// Returns that signal, or 0.
int ShowMessageBox(const char* caption, const char* text, bool callerEndsProgram = false);

// The box as standard error shows it: "caption: text".
void PrintMessageBox(const char* caption, const char* text);

// Routes every later box to sink (null restores the real boxes).
void SetMessageBoxSink(MessageBoxSink sink);
