// Input at the rate of a real mouse, about 1000 motions a second while the
// player aims: the time from a press of Escape to the end of the program's
// process, and the frame rate of the message loop meanwhile.
//
//   bench_InputRates                  both, with this build's program and loop
//   bench_InputRates --program PATH   the time to the end only, with another build's
//                                     program (to compare before and after a change)

#include "BenchClock.h"
#include "app/Frame.h"
#include "app/WinMain.h"
#include "e2e/ProgramRun.h"
#include "platform/GLWindow.h"
#include "platform/InputDevices.h"
#include "support/GameStart.h"

#include <SDL.h>
#include <algorithm>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

namespace fs = std::filesystem;

namespace {
constexpr int kMotionsPerSecond = 1000;
constexpr double kAimSeconds = 3.0;
const char* const kEscapePress = "keydown Escape sleep 0.1 keyup Escape";

double Median(std::vector<double> v) {
    std::sort(v.begin(), v.end());
    return v.empty() ? -1 : v[v.size() / 2];
}

// A mouse moving back and forth at about 1000 reports a second, for the given
// time, from an xdotool process of its own; waited for by Stop.
class MouseStream {
  public:
    explicit MouseStream(double seconds) : script(fs::temp_directory_path() / "zezivoze-aim.xdo") {
        // xdotool's own sleep costs a little beyond what it is asked for.
        std::string commands;
        for (int i = 0; i < seconds * kMotionsPerSecond; ++i)
            commands += i % 2 == 0 ? "mousemove_relative 2 1\nsleep 0.0007\n"
                                   : "mousemove_relative -- -2 -1\nsleep 0.0007\n";
        WriteFileText(script.string(), commands);
        motions = static_cast<int>(seconds * kMotionsPerSecond);
        started = Now();
        pid = fork();
        if (pid == 0) {
            execlp("xdotool", "xdotool", script.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
    }
    // Whether it has made all its motions (noting when).
    bool Done() {
        if (ended == 0 && waitpid(pid, nullptr, WNOHANG) == pid)
            ended = Now();
        return ended != 0;
    }
    // The motions per second it made.
    double Stop() {
        if (!Done()) {
            waitpid(pid, nullptr, 0);
            ended = Now();
        }
        fs::remove(script);
        return motions / (ended - started);
    }

  private:
    fs::path script;
    pid_t pid = -1;
    int motions = 0;
    double started = 0, ended = 0;
};

// The real program, full screen, aimed with the mouse for a while; then Escape
// pressed as a person presses it, and the time until its process has ended.
double EscapeToEnd(const std::string& program, double& rate) {
    ProgramRun run(program);
    unsigned long main = run.StartGame(true);
    if (main == 0 || !run.Focus(main) || !PollFor(10, [&] { return run.PointerTaken(); }))
        return -1;
    MouseStream mouse(kAimSeconds + 2.0);
    Pause(kAimSeconds);
    const double pressed = Now();
    Xdo(kEscapePress);
    while (run.Running() && Now() - pressed < 90) {
        mouse.Done();
        Pause(0.001);
    }
    const double ended = Now();
    rate = mouse.Stop();
    return run.Running() ? -1 : (ended - pressed) * 1000.0;
}

// The same in this process, to count frames: the real loop and devices
// around the real frame.
int framesAiming = 0;
double aimStart = 0, aimEnd = 0;
pid_t escape = -1;
MouseStream* mouse = nullptr;

void CountedFrame() {
    RenderFrame();
    mouse->Done();
    if (escape >= 0)
        return;
    ++framesAiming;
    if (Now() - aimStart >= kAimSeconds) {
        aimEnd = Now();
        escape = fork();
        if (escape == 0) {
            execlp("sh", "sh", "-c", (std::string("xdotool ") + kEscapePress).c_str(),
                   static_cast<char*>(nullptr));
            _exit(127);
        }
    }
}

void FramesWhileAiming() {
    const fs::path dir = fs::temp_directory_path() / ("zezivoze-bench-" + std::to_string(getpid()));
    fs::remove_all(dir);
    fs::copy(fs::path(ZEZIVOZE_BINARY_DIR) / "data", dir, fs::copy_options::recursive);
    fs::current_path(dir);
    StartGameWithoutDialog();
    inputDevices->Open(nullptr);
    inputDevices->CreateKeyboard(glWindow.window);
    inputDevices->CreateMouse(glWindow.window);
    glWindow.frameCallback = CountedFrame;
    std::system("xdotool search --sync --name '^Zezivoze$' windowfocus --sync %1 >/dev/null 2>&1");
    SDL_Delay(500);
    MouseStream stream(kAimSeconds + 1.0);
    mouse = &stream;
    aimStart = Now();
    RunMessageLoop(); // until the Escape pressed after the aiming
    const double ended = Now();
    const double rate = stream.Stop();
    waitpid(escape, nullptr, 0);
    std::printf("\nin this process, the real loop (paced to 60 frames a second):\n");
    std::printf("  mouse motions a second          %8.0f\n", rate);
    std::printf("  frames a second while aiming    %8.1f\n",
                aimEnd > aimStart ? framesAiming / (aimEnd - aimStart) : 0.0);
    std::printf("  Escape press to the loop's end  %8.1f ms\n", (ended - aimEnd) * 1000.0);
    fs::current_path(fs::temp_directory_path());
    fs::remove_all(dir);
}
} // namespace

int main(int argc, char** argv) {
    const bool other = argc == 3 && std::strcmp(argv[1], "--program") == 0;
    const std::string program = other ? argv[2] : ZEZIVOZE_PROGRAM;
    std::vector<double> times;
    double rate = 0;
    for (int i = 0; i < 5; ++i)
        times.push_back(EscapeToEnd(program, rate));
    std::printf("%s, full screen, aimed for %.0f s at about %.0f motions a second:\n",
                program.c_str(), kAimSeconds, rate);
    std::printf("  Escape press to the process's end (median of 5)  %8.1f ms%s\n", Median(times),
                std::count(times.begin(), times.end(), -1.0) > 0 ? " (some runs did not end)" : "");
    if (!other)
        FramesWhileAiming();
    return 0;
}
