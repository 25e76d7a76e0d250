#pragma once

#include "support/TestSupport.h"

#include <gtest/gtest.h>

// After gtest: the X headers define short macros (None, Status).
#include <X11/Xlib.h>
#include <array>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <functional>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>

inline void Pause(double seconds) {
    std::this_thread::sleep_for(std::chrono::duration<double>(seconds));
}

// Asks until the answer is yes or the seconds are up; whether it was yes.
inline bool PollFor(double seconds, const std::function<bool()>& yes) {
    for (int i = 0; i < seconds * 20; ++i, Pause(0.05))
        if (yes())
            return true;
    return false;
}

// One run of the real program on the X display, driven as a person would: a fresh copy of the
// small-map data, windows found by title, keys and clicks via xdotool, title-bar closes by the WM's
// button or, with none, its WM_DELETE_WINDOW; runs take turns, owning the display's windows.
class ProgramRun {
  public:
    static constexpr const char* kDialogTitle = "Zezivoze Options";
    static constexpr const char* kMainTitle = "Zezivoze";

    explicit ProgramRun(std::string program = ZEZIVOZE_PROGRAM)
        : programPath(std::move(program)), workDir(root.path() / "run") {
        std::filesystem::copy(std::filesystem::path(ZEZIVOZE_BINARY_DIR) / "data32", workDir,
                              std::filesystem::copy_options::recursive);
        // Windows come and go while we look at them: a request on one just gone is no failure.
        XSetErrorHandler([](Display*, XErrorEvent*) { return 0; });
        display = XOpenDisplay(nullptr);
        if (display == nullptr)
            throw std::runtime_error("no X display (set DISPLAY)");
    }

    ~ProgramRun() { // ends a program still running, and SDL's message box (a process of its own)
        if (Running()) {
            kill(-pid, SIGKILL);
            waitpid(pid, &status, 0);
        }
        if (other != 0)
            XDestroyWindow(display, other);
        XCloseDisplay(display);
    }

    const std::filesystem::path& dir() const { return workDir; }

    unsigned long StartToDialog(const std::vector<std::string>& arguments = {}) { // dialog, or 0
        Launch(programPath, arguments, workDir);
        return WaitForWindow(kDialogTitle);
    }

    // Starts a program (this one unless named) windowed without its dialog; waits for its window.
    unsigned long StartWithoutDialog(std::vector<std::string> arguments = {},
                                     const std::string& executable = ZEZIVOZE_PROGRAM,
                                     const std::filesystem::path& from = {}) {
        arguments.insert(arguments.end(), {"--no-dialog", "--windowed"});
        Launch(executable, arguments, from.empty() ? workDir : from);
        return WaitForWindow(kMainTitle);
    }

    // Runs a command line in the run's folder, its standard error into the file "err" there.
    void Shell(const std::string& line) { Launch("/bin/sh", {"-c", line + " 2>err"}, workDir); }

    // Starts a program in the folder `from`; its output goes to the test's.
    void Launch(const std::string& executable, const std::vector<std::string>& arguments,
                const std::filesystem::path& from) {
        exited = false; // a run may start the program again
        std::vector<char*> argv{const_cast<char*>(executable.c_str())};
        for (const std::string& argument : arguments)
            argv.push_back(const_cast<char*>(argument.c_str()));
        argv.push_back(nullptr);
        exited = false;
        pid = fork();
        if (pid == 0) {
            setpgid(0, 0);
            setenv("XDG_CONFIG_HOME", root.path().c_str(), 1); // the dialog's choices: the run's
            if (chdir(from.c_str()) == 0)
                execv(executable.c_str(), argv.data());
            _exit(127);
        }
    }

    // Starts it and answers the dialog as a person would: Enter for full screen, or clicks "No", OK
    // for a window (units 2 px; "No" at (98, 32), OK at (25, 119), 50 x 14). Main window or 0.
    unsigned long StartGame(bool fullscreen) {
        unsigned long dialog = StartToDialog();
        bool answered = dialog != 0 && (fullscreen ? Key(dialog, "Return")
                                                   : Click(dialog, 98 * 2 + 8, 32 * 2 + 7) &&
                                                         Click(dialog, 50 * 2, 126 * 2));
        return answered ? WaitForWindow(kMainTitle) : 0;
    }

    // A viewable window with exactly this title, or 0; down the tree, inside any frames.
    unsigned long FindWindow(const std::string& title, Window under = 0) {
        Window root = 0, parent = 0, *children = nullptr, found = 0;
        unsigned int count = 0;
        XQueryTree(display, under != 0 ? under : DefaultRootWindow(display), &root, &parent,
                   &children, &count);
        for (unsigned int i = 0; i < count && found == 0; ++i) {
            XWindowAttributes attributes;
            if (XGetWindowAttributes(display, children[i], &attributes) != 0 &&
                attributes.map_state == IsViewable)
                found =
                    TitleOf(children[i]) == title ? children[i] : FindWindow(title, children[i]);
        }
        if (children != nullptr)
            XFree(children);
        return found;
    }

    unsigned long WaitForWindow(const std::string& title) { // 0 on timeout or program end
        unsigned long found = 0;
        PollFor(30, [&] { return (found = FindWindow(title)) != 0 || !Running(); });
        return found;
    }

    // The window's drawing area on the screen (window 0: the screen): x, y, width, height.
    std::array<int, 4> Geometry(unsigned long window) {
        window = window != 0 ? window : DefaultRootWindow(display);
        XWindowAttributes a{};
        XGetWindowAttributes(display, window, &a);
        int x = 0, y = 0;
        Window child = 0;
        XTranslateCoordinates(display, window, DefaultRootWindow(display), 0, 0, &x, &y, &child);
        return {x, y, a.width, a.height};
    }

    // The window manager's frame around the window: left, right, top (title bar), bottom.
    std::array<long, 4> FrameExtents(unsigned long window) {
        std::string bytes = Property(window, "_NET_FRAME_EXTENTS");
        bytes.resize(sizeof(std::array<long, 4>));
        std::array<long, 4> extents;
        std::memcpy(extents.data(), bytes.data(), bytes.size());
        return extents;
    }

    bool Managed() {
        return !Property(DefaultRootWindow(display), "_NET_SUPPORTING_WM_CHECK").empty();
    }

    // With a WM: activation, as by a click. Without: pointer over the window, then focus; no --sync
    // on the move, as a game holding the mouse puts the pointer back (requests stay in order). A
    // focused window is left alone: refocusing makes the game drop the mouse meanwhile.
    bool Focus(unsigned long window) {
        Window focused = 0;
        int revert = 0;
        XGetInputFocus(display, &focused, &revert);
        if (window != 0 && focused == window)
            return true;
        const std::string id = std::to_string(window);
        if (Managed())
            return window != 0 && Xdo("windowactivate --sync " + id);
        return window != 0 && Xdo("mousemove --window " + id + " 20 20 windowfocus --sync " + id);
    }

    bool Key(unsigned long window, const std::string& keys) { // focus first; xdotool key names
        return Focus(window) && Xdo("key --clearmodifiers " + keys);
    }

    bool Click(unsigned long window, int x, int y) {
        return Focus(window) && Xdo("mousemove --window " + std::to_string(window) + " " +
                                    std::to_string(x) + " " + std::to_string(y) + " click 1");
    }

    // The close button at the right end of openbox's title bar; while the game holds the
    // mouse the pointer cannot reach it: focus another window first.
    bool CloseFromTitleBar(unsigned long window) {
        if (!Managed())
            return RequestClose(window);
        auto [x, y, width, height] = Geometry(window);
        auto [left, right, top, bottom] = FrameExtents(window);
        return top > 0 && Xdo("mousemove " + std::to_string(x + width + right - 12) + " " +
                              std::to_string(y - top / 2) + " click 1");
    }

    bool RequestClose(unsigned long window) { // as a WM's close button: WM_DELETE_WINDOW
        Atom protocols = XInternAtom(display, "WM_PROTOCOLS", False);
        long close = static_cast<long>(XInternAtom(display, "WM_DELETE_WINDOW", False));
        XEvent event{};
        event.xclient = {ClientMessage, 0,         True, display,
                         window,        protocols, 32,   {.l = {close, CurrentTime}}};
        Status sent = XSendEvent(display, window, False, NoEventMask, &event);
        XSync(display, False);
        return sent != 0;
    }

    unsigned long OtherWindow() { // a window of the test's own beside the program's (made once)
        if (other == 0) {
            other = XCreateSimpleWindow(display, DefaultRootWindow(display), 700, 500, 200, 150, 0,
                                        0, 0xFFFFFF);
            XStoreName(display, other, "other window");
            XMapWindow(display, other);
            XSync(display, False);
            PollFor(10, [&] {
                XWindowAttributes a{};
                return XGetWindowAttributes(display, other, &a) != 0 && a.map_state == IsViewable;
            });
        }
        return other;
    }

    bool PointerTaken() { // whether a program holds the pointer (the game does while in front)
        int grab = XGrabPointer(display, DefaultRootWindow(display), False, ButtonPressMask,
                                GrabModeAsync, GrabModeAsync, None, None, CurrentTime);
        if (grab == GrabSuccess)
            XUngrabPointer(display, CurrentTime);
        XSync(display, False);
        return grab == AlreadyGrabbed;
    }

    pid_t Id() const { return pid; } // also its process group's

    bool Running() {
        exited = exited || (pid > 0 && waitpid(pid, &status, WNOHANG) == pid);
        return pid > 0 && !exited;
    }

    int ExitCode() { // waits up to 30 s: exit code, 128 + signal, or -1 while it runs
        PollFor(30, [&] { return !Running(); });
        if (!exited)
            return -1;
        return WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    }

    std::string Describe() { // for failure messages: whether it runs, and its log
        return "program " + std::to_string(pid) + (Running() ? " running" : " ended") +
               ", error.out:\n" + Log();
    }

    std::string Log() const { return ReadFileText((workDir / "error.out").string()); }

    // The window's top-left 640 x 480 as the screen shows it, RGB, top row first; or empty.
    std::vector<uint8_t> Picture(unsigned long window) {
        auto [x, y, width, height] = Geometry(window);
        const std::string grab = (root.path() / "grab.rgb").string();
        const std::string command = "import -window root -crop 640x480+" + std::to_string(x) + "+" +
                                    std::to_string(y) + " -depth 8 rgb:" + grab +
                                    " >/dev/null 2>&1";
        return std::system(command.c_str()) == 0 ? ReadFileBytes(grab) : std::vector<uint8_t>();
    }

  private:
    // The title as SDL sets it, on its windows and its message boxes alike.
    std::string TitleOf(Window window) { return Property(window, "_NET_WM_NAME"); }

    // A window's property as bytes (32-bit values as the C longs Xlib gives).
    std::string Property(Window window, const char* name) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        // Not kept between connections: Xvfb forgets its atoms when its last client leaves.
        XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False,
                           AnyPropertyType, &type, &format, &count, &after, &data);
        const size_t size = format == 32 ? sizeof(long) : format / 8;
        std::string bytes = data != nullptr ? std::string((char*)data, count * size) : "";
        if (data != nullptr)
            XFree(data);
        return bytes;
    }

    std::string programPath; // what StartToDialog starts (a benchmark may name another build)
    TempDir root;            // removed with the run
    std::filesystem::path workDir;
    Display* display = nullptr; // the test's own X connection
    Window other = 0;
    pid_t pid = -1;
    int status = 0;
    bool exited = false;
};

// Pixel share, from row `from` down, that differs clearly between two pictures (-1: not taken).
inline double Changed(const std::vector<uint8_t>& a, const std::vector<uint8_t>& b,
                      size_t from = 0) {
    if (a.size() != 640 * 480 * 3 || b.size() != a.size())
        return -1;
    int changed = 0;
    for (size_t i = from * 640 * 3; i < a.size(); i += 3)
        changed +=
            std::abs(a[i] - b[i]) + std::abs(a[i + 1] - b[i + 1]) + std::abs(a[i + 2] - b[i + 2]) >
            60;
    return changed / ((480.0 - from) * 640);
}

inline void ExpectCleanEnd(ProgramRun& run) { // exits 0 by itself, log closed, no fatal error
    EXPECT_EQ(run.ExitCode(), 0) << run.Describe();
    const std::string log = run.Log();
    EXPECT_TRUE(log.ends_with("Log file closed\n")) << log;
    EXPECT_EQ(log.find("FATAL"), std::string::npos) << log;
}
