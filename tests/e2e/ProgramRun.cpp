#include "e2e/ProgramRun.h"

#include "support/TestSupport.h"

#include <gtest/gtest.h>

// After gtest: the X headers define short macros (None, Status).
#include <X11/Xatom.h>
#include <X11/Xlib.h>
#include <X11/Xutil.h>
#include <chrono>
#include <csignal>
#include <cstdlib>
#include <fcntl.h>
#include <stdexcept>
#include <sys/wait.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
// Windows come and go while we look at them; a request on one that has just
// gone is no reason to end the test.
int IgnoreXErrors(Display*, XErrorEvent*) {
    return 0;
}

Display* X(void* display) {
    return static_cast<Display*>(display);
}

void Pause(int milliseconds) {
    std::this_thread::sleep_for(std::chrono::milliseconds(milliseconds));
}

long PidOf(Display* display, Window window) {
    // Not kept between connections: Xvfb forgets its atoms when its last client leaves.
    Atom pidAtom = XInternAtom(display, "_NET_WM_PID", False);
    Atom type = None;
    int format = 0;
    unsigned long count = 0, after = 0;
    unsigned char* data = nullptr;
    long pid = -1;
    if (XGetWindowProperty(display, window, pidAtom, 0, 1, False, XA_CARDINAL, &type, &format,
                           &count, &after, &data) == Success &&
        data != nullptr) {
        if (format == 32 && count == 1)
            pid = *reinterpret_cast<long*>(data);
        XFree(data);
    }
    return pid;
}

// The title as SDL sets it: _NET_WM_NAME, or WM_NAME of any text type.
std::string TitleOf(Display* display, Window window) {
    const char* names[] = {"_NET_WM_NAME", "WM_NAME"};
    for (const char* name : names) {
        Atom type = None;
        int format = 0;
        unsigned long count = 0, after = 0;
        unsigned char* data = nullptr;
        if (XGetWindowProperty(display, window, XInternAtom(display, name, False), 0, 1024, False,
                               AnyPropertyType, &type, &format, &count, &after, &data) == Success &&
            data != nullptr) {
            std::string title =
                format == 8 ? std::string(reinterpret_cast<char*>(data), count) : "";
            XFree(data);
            if (!title.empty())
                return title;
        }
    }
    return "";
}

bool Viewable(Display* display, Window window) {
    XWindowAttributes attributes;
    return XGetWindowAttributes(display, window, &attributes) != 0 &&
           attributes.map_state == IsViewable;
}

// Every viewable window of the process below the root, with its title. SDL's
// message boxes carry no process id; they count as the run's (the runs take
// turns on the display).
void CollectWindows(Display* display, Window parent, long pid,
                    std::vector<std::pair<Window, std::string>>& found) {
    Window root = 0, parentOut = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(display, parent, &root, &parentOut, &children, &count) == 0)
        return;
    for (unsigned int i = 0; i < count; ++i) {
        Window child = children[i];
        long owner = PidOf(display, child);
        if ((owner == pid || owner == -1) && Viewable(display, child)) {
            std::string title = TitleOf(display, child);
            if (!title.empty())
                found.emplace_back(child, title);
        }
        CollectWindows(display, child, pid, found);
    }
    if (children != nullptr)
        XFree(children);
}

std::string Quote(const std::string& text) {
    std::string quoted = "'";
    for (char c : text)
        quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}
} // namespace

ProgramRun::ProgramRun() : display(nullptr), pid(-1), status(0), exited(false) {
    std::string pattern = (fs::temp_directory_path() / "zezivoze-e2e-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    root = pattern;
    workDir = root / "run";
    fs::copy(fs::path(ZEZIVOZE_BINARY_DIR) / "data", workDir, fs::copy_options::recursive);
    XSetErrorHandler(IgnoreXErrors);
    display = XOpenDisplay(nullptr);
    if (display == nullptr)
        throw std::runtime_error("no X display (set DISPLAY)");
}

ProgramRun::~ProgramRun() {
    if (pid > 0 && !exited) {
        kill(pid, SIGKILL);
        waitpid(pid, &status, 0);
    }
    if (display != nullptr)
        XCloseDisplay(X(display));
    std::error_code error;
    fs::remove_all(root, error);
}

bool ProgramRun::Start(const std::string& program) {
    std::string output = (root / "output.txt").string();
    pid = fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        int out = open(output.c_str(), O_WRONLY | O_CREAT | O_TRUNC, 0644);
        if (out >= 0) {
            dup2(out, STDOUT_FILENO);
            dup2(out, STDERR_FILENO);
            close(out);
        }
        if (chdir(workDir.c_str()) != 0)
            _exit(127);
        execl(program.c_str(), program.c_str(), static_cast<char*>(nullptr));
        _exit(127);
    }
    return true;
}

unsigned long ProgramRun::StartToDialog() {
    return Start() ? WaitForWindow(kDialogTitle) : 0;
}

unsigned long ProgramRun::StartGame(bool fullscreen) {
    unsigned long dialog = StartToDialog();
    if (dialog == 0)
        return 0;
    // "No" sits at (98, 32) dialog units, two pixels to a unit.
    if (!fullscreen && !Click(dialog, 98 * 2 + 8, 32 * 2 + 7))
        return 0;
    if (!Key(dialog, "Return"))
        return 0;
    return WaitForWindow(kMainTitle);
}

std::vector<std::pair<unsigned long, std::string>> ProgramRun::Windows() {
    std::vector<std::pair<Window, std::string>> found;
    if (pid > 0)
        CollectWindows(X(display), DefaultRootWindow(X(display)), pid, found);
    std::vector<std::pair<unsigned long, std::string>> windows;
    for (const auto& [window, title] : found) {
        titlesSeen.insert(title);
        windows.emplace_back(window, title);
    }
    return windows;
}

unsigned long ProgramRun::FindWindow(const std::string& title) {
    for (const auto& [window, windowTitle] : Windows())
        if (windowTitle == title)
            return window;
    return 0;
}

unsigned long ProgramRun::WaitForWindow(const std::string& title, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (std::chrono::steady_clock::now() < end) {
        if (unsigned long window = FindWindow(title))
            return window;
        if (!Running())
            return 0;
        Pause(50);
    }
    return 0;
}

bool ProgramRun::Geometry(unsigned long window, int& x, int& y, int& width, int& height) {
    XWindowAttributes attributes;
    if (XGetWindowAttributes(X(display), window, &attributes) == 0)
        return false;
    Window child = 0;
    XTranslateCoordinates(X(display), window, DefaultRootWindow(X(display)), 0, 0, &x, &y, &child);
    width = attributes.width;
    height = attributes.height;
    return true;
}

bool ProgramRun::Xdo(const std::string& arguments) {
    // A pointer held by a grab could keep a synchronous move waiting forever.
    return std::system(("timeout 20 xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

bool ProgramRun::Focus(unsigned long window) {
    int x = 0, y = 0, width = 0, height = 0;
    if (!Geometry(window, x, y, width, height))
        return false;
    std::string id = std::to_string(window);
    // No --sync on the move: once the game holds the mouse it puts the pointer
    // back, and a synchronous move would wait for a position it never keeps.
    // The server handles the requests in order, so the focus still follows it.
    return Xdo("mousemove --window " + id + " " + std::to_string(width / 2) + " " +
               std::to_string(height / 2)) &&
           Xdo("windowfocus --sync " + id);
}

bool ProgramRun::Key(unsigned long window, const std::string& keys) {
    return Focus(window) && Xdo("key --clearmodifiers " + keys);
}

bool ProgramRun::Click(unsigned long window, int x, int y, int button) {
    if (!Focus(window))
        return false;
    std::string id = std::to_string(window);
    return Xdo("mousemove --window " + id + " " + std::to_string(x) + " " + std::to_string(y)) &&
           Xdo("click " + std::to_string(button));
}

bool ProgramRun::DismissMessageBox(const std::string& caption, double seconds) {
    unsigned long box = WaitForWindow(caption, seconds);
    return box != 0 && Key(box, "Return");
}

bool ProgramRun::RequestClose(unsigned long window) {
    Display* d = X(display);
    XEvent event{};
    event.xclient.type = ClientMessage;
    event.xclient.window = window;
    event.xclient.message_type = XInternAtom(d, "WM_PROTOCOLS", False);
    event.xclient.format = 32;
    event.xclient.data.l[0] = static_cast<long>(XInternAtom(d, "WM_DELETE_WINDOW", False));
    event.xclient.data.l[1] = CurrentTime;
    Status sent = XSendEvent(d, window, False, NoEventMask, &event);
    XSync(d, False);
    return sent != 0;
}

bool ProgramRun::Running() {
    if (pid <= 0 || exited)
        return false;
    pid_t done = waitpid(pid, &status, WNOHANG);
    if (done == pid)
        exited = true;
    return !exited;
}

bool ProgramRun::WaitForExit(int& exitCode, double seconds) {
    auto end = std::chrono::steady_clock::now() + std::chrono::duration<double>(seconds);
    while (Running()) {
        if (std::chrono::steady_clock::now() >= end)
            return false;
        Windows();
        Pause(50);
    }
    if (!exited)
        return false;
    exitCode = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    return true;
}

std::string ProgramRun::Describe() {
    std::string text = "program " + std::to_string(pid) + (Running() ? " running" : " ended");
    if (exited)
        text += WIFEXITED(status) ? ", exit code " + std::to_string(WEXITSTATUS(status))
                                  : ", signal " + std::to_string(WTERMSIG(status));
    text += "\nwindows:";
    for (const auto& [window, title] : Windows())
        text += " " + std::to_string(window) + " '" + title + "'";
    text += "\nall top-level windows:";
    Display* d = X(display);
    Window root = 0, parent = 0;
    Window* children = nullptr;
    unsigned int count = 0;
    if (XQueryTree(d, DefaultRootWindow(d), &root, &parent, &children, &count) != 0) {
        for (unsigned int i = 0; i < count; ++i)
            text += " " + std::to_string(children[i]) + " pid " +
                    std::to_string(PidOf(d, children[i])) + " '" + TitleOf(d, children[i]) + "'" +
                    (Viewable(d, children[i]) ? " viewable" : "");
        XFree(children);
    }
    return text + "\noutput:\n" + Output() + "\nerror.out:\n" + Log();
}

std::string ProgramRun::Log() const {
    return ReadFileText((workDir / "error.out").string());
}

std::string ProgramRun::Output() const {
    return ReadFileText((root / "output.txt").string());
}

std::string ProgramRun::Screenshot(const std::string& name) {
    fs::path folder = fs::path(ZEZIVOZE_BINARY_DIR) / "e2e-screenshots";
    std::error_code error;
    fs::create_directories(folder, error);
    const testing::TestInfo* test = testing::UnitTest::GetInstance()->current_test_info();
    std::string prefix = test != nullptr ? std::string(test->name()) + "-" : "";
    fs::path file = folder / (prefix + name + ".png");
    std::string command = "import -window root " + Quote(file.string()) + " >/dev/null 2>&1";
    if (std::system(command.c_str()) != 0)
        return "";
    return file.string();
}
