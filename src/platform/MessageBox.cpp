#include "platform/MessageBox.h"

#include <SDL.h>
#include <cstdio>

namespace {
MessageBoxSink messageBoxSink = nullptr;
}

void SetMessageBoxSink(MessageBoxSink sink) {
    messageBoxSink = sink;
}

void ShowMessageBox(const char* caption, const char* text) {
    if (messageBoxSink != nullptr) {
        messageBoxSink(caption, text);
        return;
    }
    if (SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) != 0)
        std::fprintf(stderr, "%s: %s\n", caption, text);
}
