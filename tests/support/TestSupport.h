#pragma once

#include "image/BmpWriter.h"
#include "math/Vector4.h"

#include <cstdint>
#include <cstring>
#include <filesystem>
#include <functional>
#include <gtest/gtest.h>
#include <string>
#include <tuple>
#include <vector>

struct SDL_Window;

// Test helpers: scratch folders, a real GL context, message boxes recorded, the log in a file.

// A fresh folder that is removed again at the end; optionally the working
// directory while it lives (the program reads its files relative to it).
class TempDir {
  public:
    explicit TempDir(bool enter = false);
    ~TempDir();
    TempDir(const TempDir&) = delete;
    TempDir& operator=(const TempDir&) = delete;
    const std::filesystem::path& path() const { return dir; }
    std::string File(const std::string& name) const { return (dir / name).string(); }

  private:
    std::filesystem::path dir;
    std::filesystem::path previous;
    bool entered;
};

std::string ReadFileText(const std::string& path);
std::vector<uint8_t> ReadFileBytes(const std::string& path);
void WriteFileText(const std::string& path, const std::string& text);

// A fresh global texture table of this capacity (none for 0): an earlier context's are gone.
void ResetTextureTable(int32_t capacity);

std::vector<uint8_t> ReadBackBuffer(int x, int y, int width, int height); // RGB, bottom row first

class GLTestContext { // a hidden 640 x 480 window, current double-buffered context, 16-bit depth
  public:
    GLTestContext(int width = 640, int height = 480);
    ~GLTestContext();
    GLTestContext(const GLTestContext&) = delete;
    GLTestContext& operator=(const GLTestContext&) = delete;
    bool ok() const { return context != nullptr; }
    void ReadPixel(int x, int y, uint8_t rgb[3]) const { // RGB; y from the bottom, as in OpenGL
        std::memcpy(rgb, ReadBackBuffer(x, y, 1, 1).data(), 3);
    }
    std::vector<uint8_t> ReadPixels() const { return ReadBackBuffer(0, 0, width, height); }
    int width;
    int height;

  private:
    void* window;
    void* context;
};

class MessageBoxRecorder { // takes every message box while it lives
  public:
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    struct Box {
        std::string caption;
        std::string text;
    };
    const std::vector<Box>& boxes() const { return recorded; }

  private:
    static inline std::vector<Box> recorded;
};

class LogCapture { // the global log on a file in its own scratch folder, closed at the end
  public:
    LogCapture();
    ~LogCapture() { Finish(); }
    std::string Finish(); // closes the log (if open); what the file holds
    std::string Contents() const { return ReadFileText(file); } // so far (the log writes through)

  private:
    TempDir dir;
    std::string file;
};

// Runs body in a child with the log on a file and boxes to stderr as "[caption] text"; expects exit
// 1 and that output to match boxes; returns the log after its first line. With a context: a fresh
// run of the test program (own GL context); without: a fork seeing the parent's state.
std::string LogOfFatal(const std::function<void()>& body, bool withContext = false,
                       const std::string& boxes = "");

// x, y and z within tolerance (0: the same floats) and w = 1.
testing::AssertionResult Near(const Vector4& a, const Vector4& b, float tolerance = 1e-3f);

// x, y and z together, so that an exact comparison prints all three.
inline std::tuple<float, float, float> Xyz(const Vector4& v) {
    return {v.x, v.y, v.z};
}

// Runs xdotool on the current display, as a person's keys and pointer (through XTEST); whether
// it succeeded. A time limit ends a search that never finds, or a move that a grab keeps waiting.
bool Xdo(const std::string& arguments);

// Moves the pointer over the window and gives it the focus, as a click would with no window
// manager (asked again when a busy machine lets a request pass); whether the window has it.
bool FocusWindow(SDL_Window* window);
