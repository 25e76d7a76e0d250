#include "platform/MessageBox.h"

#include <SDL.h>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <fcntl.h>
#include <unistd.h>

namespace {
MessageBoxSink messageBoxSink = nullptr;

// SDL shows a box from a process of its own (X11) or runs a program for it
// (Wayland), a child of the thread that asked, and waits for it whatever
// signal comes. Ending that child ends the wait.
char childrenFile[64]; // /proc/self/task/<thread>/children
volatile sig_atomic_t endedBy = 0;

// In the signal handler: only calls that are safe there. The box's process
// inherits the handler, where the file names no thread of its own.
void CloseBox(int signal) {
    endedBy = signal;
    const int file = open(childrenFile, O_RDONLY | O_CLOEXEC);
    if (file < 0)
        return;
    char text[256];
    const ssize_t size = read(file, text, sizeof text);
    close(file);
    pid_t child = 0;
    for (ssize_t i = 0; i <= size; ++i) {
        if (i < size && text[i] >= '0' && text[i] <= '9') {
            child = child * 10 + (text[i] - '0');
        } else {
            if (child > 0)
                kill(child, SIGKILL);
            child = 0;
        }
    }
}
} // namespace

void SetMessageBoxSink(MessageBoxSink sink) {
    messageBoxSink = sink;
}

void PrintMessageBox(const char* caption, const char* text) {
    const size_t length = std::strlen(text);
    std::fprintf(stderr, "%s: %s%s", caption, text,
                 length > 0 && text[length - 1] == '\n' ? "" : "\n");
}

int ShowMessageBox(const char* caption, const char* text, bool callerEndsProgram) {
    if (messageBoxSink != nullptr) {
        messageBoxSink(caption, text);
        return 0;
    }
    std::snprintf(childrenFile, sizeof childrenFile, "/proc/self/task/%d/children",
                  static_cast<int>(gettid()));
    endedBy = 0;
    struct sigaction closing {
    }, term{}, interrupt{};
    closing.sa_handler = CloseBox;
    closing.sa_flags = SA_RESTART; // SDL's wait goes on until the child has gone
    sigemptyset(&closing.sa_mask);
    sigaddset(&closing.sa_mask, SIGTERM);
    sigaddset(&closing.sa_mask, SIGINT);
    sigaction(SIGTERM, &closing, &term);
    sigaction(SIGINT, &closing, &interrupt);
    const bool shown = SDL_ShowSimpleMessageBox(SDL_MESSAGEBOX_ERROR, caption, text, nullptr) == 0;
    sigaction(SIGTERM, &term, nullptr);
    sigaction(SIGINT, &interrupt, nullptr);
    const int signal = endedBy;
    if (!shown && signal == 0)
        PrintMessageBox(caption, text);
    if (signal != 0 && !callerEndsProgram)
        raise(signal);
    return signal;
}
