#pragma once

#include <filesystem>
#include <set>
#include <string>
#include <sys/types.h>
#include <utility>
#include <vector>

// One run of the real program under the current X display, driven as a person
// would: it starts in a fresh copy of the default data, its windows are found
// by title, keys and clicks go through xdotool (the pointer is moved over a
// window and the window focused first: Xvfb has no window manager to do it),
// and a close is the WM_DELETE_WINDOW request a window manager's close button
// sends. Afterwards: the exit code, "error.out", screenshots.
class ProgramRun {
  public:
    static constexpr const char* kDialogTitle = "Zezivoze Options";
    static constexpr const char* kMainTitle = "Zezivoze";

    ProgramRun();
    // Ends a program that is still running and removes the folder.
    ~ProgramRun();
    ProgramRun(const ProgramRun&) = delete;
    ProgramRun& operator=(const ProgramRun&) = delete;

    // The program's working directory, a copy of the default data set.
    const std::filesystem::path& dir() const { return workDir; }

    // Starts the program (the real one unless told otherwise) in dir().
    bool Start(const std::string& program = ZEZIVOZE_PROGRAM);

    // The viewable windows of this run with their titles.
    std::vector<std::pair<unsigned long, std::string>> Windows();
    // Starts the program and waits for its options dialog (0 if it never comes).
    unsigned long StartToDialog();
    // Starts it and answers the dialog as a person would: Enter for the
    // defaults (full screen), or "No" and then Enter for a window. Returns the
    // main window, or 0.
    unsigned long StartGame(bool fullscreen);

    // A viewable window of this run with exactly this title, or 0.
    unsigned long FindWindow(const std::string& title);
    // Waits until such a window is there (0 on timeout or when the program ended).
    unsigned long WaitForWindow(const std::string& title, double seconds = 30);
    // Whether a window with this title was seen at any check of this run.
    bool Seen(const std::string& title) const { return titlesSeen.count(title) != 0; }
    // The window's size and position on the screen.
    bool Geometry(unsigned long window, int& x, int& y, int& width, int& height);

    // Pointer over the window, then the focus to it.
    bool Focus(unsigned long window);
    // Focuses the window, then presses and releases the keys (xdotool names).
    bool Key(unsigned long window, const std::string& keys);
    // Focuses the window, then clicks at (x, y) inside it.
    bool Click(unsigned long window, int x, int y, int button = 1);
    // Any other xdotool command line.
    bool Xdo(const std::string& arguments);
    // Waits for the message box with this caption and closes it with Enter.
    bool DismissMessageBox(const std::string& caption = "FATAL ERROR", double seconds = 30);
    // What a window manager's close button does: WM_DELETE_WINDOW.
    bool RequestClose(unsigned long window);

    bool Running();
    // Waits for the program to end; its exit code, or 128 + signal when a
    // signal ended it. False when it still runs after the time given.
    bool WaitForExit(int& exitCode, double seconds = 30);

    // For failure messages: whether it runs, its windows, its output and log.
    std::string Describe();

    // "error.out" as the program left it.
    std::string Log() const;
    // What the program wrote to standard output and error.
    std::string Output() const;
    // The whole screen as PNG, kept in the build folder under e2e-screenshots;
    // returns its path, or "" when it could not be taken.
    std::string Screenshot(const std::string& name);

  private:
    void* display; // the test's own X connection (Display*)
    std::filesystem::path root;
    std::filesystem::path workDir;
    pid_t pid;
    int status;
    bool exited;
    std::set<std::string> titlesSeen;
};
