#pragma once

#include "support/TestSupport.h"

#include <gtest/gtest.h>

// After gtest: the X headers define short macros (None, Status).
#include <X11/Xlib.h>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

inline void Pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// One run of the real program under the current X display, driven as a person
// would: it starts in a fresh copy of the default data, its windows are found
// by title, keys and clicks go through xdotool (the pointer is moved over a
// window and the window focused first: Xvfb has no window manager to do it),
// and a close is the WM_DELETE_WINDOW request a window manager's close button
// sends. Afterwards: the exit code, "error.out". Pictures are of the screen. The
// runs take turns on the display, so every window on it is the run's.
class ProgramRun {
  public:
    static constexpr const char* kDialogTitle = "Zezivoze Options";
    static constexpr const char* kMainTitle = "Zezivoze";

    ProgramRun() : workDir(root.path() / "run") {
        std::filesystem::copy(std::filesystem::path(ZEZIVOZE_BINARY_DIR) / "data", workDir,
                              std::filesystem::copy_options::recursive);
        // Windows come and go while we look at them: a request on one just gone is no failure.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        display = XOpenDisplay(nullptr);
        if (display == nullptr)
            throw std::runtime_error("no X display (set DISPLAY)");
    }

    // Ends a program that still runs, with the message box SDL shows from a
    // process of its own.
    ~ProgramRun() {
        if (Running()) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        XCloseDisplay(display);
    }

    // The program's working directory, a copy of the default data set.
    const std::filesystem::path& dir() const { return workDir; }

    // Starts the program and waits for its options dialog (0 if it never comes).
    unsigned long StartToDialog() {
        Launch(ZEZIVOZE_PROGRAM, {}, workDir);
        return pid > 0 ? WaitForWindow(kDialogTitle) : 0;
    }

    // Starts a program (this one, or an installed copy) with these arguments in
    // the folder `from`; its output goes to the test's.
    void Launch(const std::string& program, const std::vector<std::string>& arguments,
                const std::filesystem::path& from) {
        std::vector<char*> argv{const_cast<char*>(program.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        pid = fork();
        if (pid == 0) {
            setpgid(0, 0);
            if (chdir(from.c_str()) == 0)
                execv(program.c_str(), argv.data());
            _exit(127);
        }
    }

    // Starts it and answers the dialog as a person would: Enter for the
    // defaults (full screen), or a click on "No" and one on OK for a window
    // (dialog units are two pixels; "No" sits at (98, 32), OK at (25, 119), 50 x 14).
    // Returns the main window, or 0.
    unsigned long StartGame(bool fullscreen) {
        unsigned long dialog = StartToDialog();
        bool answered = dialog != 0 && (fullscreen ? Key(dialog, "Return")
                                                   : Click(dialog, 98 * 2 + 8, 32 * 2 + 7) &&
                                                         Click(dialog, 50 * 2, 126 * 2));
        return answered ? WaitForWindow(kMainTitle) : 0;
    }

    // A viewable window with exactly this title, or 0. With no window manager
    // the program's windows and message boxes are the root's own children.
    unsigned long FindWindow(const std::string& title) {
        Window root = 0, parent = 0, *children = nullptr, found = 0;
        unsigned int count = 0;
        XQueryTree(display, DefaultRootWindow(display), &root, &parent, &children, &count);
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                attributes.map_state == IsViewable && TitleOf(children[i]) == title)
                found = children[i];
        }
        if (children != nullptr)
            XFree(children);
        return found;
    }

    // Waits until such a window is there (0 on timeout or when the program ended).
    unsigned long WaitForWindow(const std::string& title) {
        for (int i = 0; i < 600 && Running(); ++i, Pause(0.05))
            if (unsigned long window = FindWindow(title))
                return window;
        return 0;
    }

    // The window's position on the screen (no window manager puts it in a
    // frame) and its size: x, y, width, height.
    std::array<int, 4> Geometry(unsigned long window) {
        XWindowAttributes a{};
        XGetWindowAttributes(display, window, &a);
        return {a.x, a.y, a.width, a.height};
    }

    // Any xdotool command line. A pointer held by a grab could keep a
    // synchronous move waiting forever, hence the time limit.
    bool Xdo(const std::string& arguments) {
        return std::system(("timeout 20 xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
    }

    // Pointer over the window, then the focus to it. No --sync on the move:
    // once the game holds the mouse it puts the pointer back, and a synchronous
    // move would wait for a position it never keeps; the server handles the
    // requests in order, so the focus still follows it.
    bool Focus(unsigned long window) {
        const std::string id = std::to_string(window);
        return window != 0 && Xdo("mousemove --window " + id + " 20 20 windowfocus --sync " + id);
    }

    // Focuses the window, then presses and releases the keys (xdotool names).
    bool Key(unsigned long window, const std::string& keys) {
        return Focus(window) && Xdo("key --clearmodifiers " + keys);
    }

    // Focuses the window, then clicks at (x, y) inside it.
    bool Click(unsigned long window, int x, int y) {
        return Focus(window) && Xdo("mousemove --window " + std::to_string(window) + " " +
                                    std::to_string(x) + " " + std::to_string(y) + " click 1");
    }

    // What a window manager's close button does: WM_DELETE_WINDOW.
    bool RequestClose(unsigned long window) {
        Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
        long close = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        XEvent event{};
        event.xclient = {ClientMessage, 0,         True, display,
                         window,        protocols, 32,   {.l = {close, CurrentTime}}};
        Status sent = XSendEvent(display, window, False, NoEventMask, &event);
        XSync(display, False);
        return sent != 0;
    }

    bool Running() {
        exited = exited || (pid > 0 && waitpid(pid, &status, WNOHANG) == pid);
        return pid > 0 && !exited;
    }

    // Waits up to 30 seconds for the end; its exit code, or 128 + signal when
    // a signal ended it, or -1 when it still runs.
    int ExitCode() {
        for (int i = 0; i < 600 && Running(); ++i)
            Pause(0.05);
        if (!exited)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    // For failure messages: whether it runs, and its log.
    std::string Describe() {
        return "program " + std::to_string(pid) + (Running() ? " running" : " ended") +
               ", error.out:\n" + Log();
    }

    // "error.out" as the program left it.
    std::string Log() const { return ReadFileText((workDir / "error.out").string()); }

    // The screen's top-left 640 x 480 (where the game's window sits) as RGB,
    // top row first; empty when it could not be taken.
    std::vector<uint8_t> Picture() {
        const std::string grab = (root.path() / "grab.rgb").string();
        const std::string command =
            "import -window root -crop 640x480+0+0 -depth 8 rgb:" + grab + " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0 ? ReadFileBytes(grab) : std::vector<uint8_t>();
    }

  private:
    // The title as SDL sets it, on its windows and its message boxes alike.
    std::string TitleOf(Window window) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        // Not kept between connections: Xvfb forgets its atoms when its last client leaves.
        XGetWindowProperty(display, window, XInternAtom(display, "_NET_WM_NAME", False), 0, 1024,
                           False, AnyPropertyType, &type, &format, &count, &after, &data);
        std::string title = data != nullptr && format == 8 ? std::string((char*)data, count) : "";
        if (data != nullptr)
            XFree(data);
        return title;
    }

    TempDir root; // removed with the run
    std::filesystem::path workDir;
    Display* display = nullptr; // the test's own X connection
    pid_t pid = -1;
    int status = 0;
    bool exited = false;
};
