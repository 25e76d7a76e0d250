#include "support/TestSupport.h"

#include "image/BmpWriter.h"
#include "image/TextureManager.h"
#include "platform/ErrorLog.h"
#include "platform/MessageBox.h"

#include <GL/gl.h>
#include <SDL.h>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <iterator>
#include <new>
#include <optional>
#include <sstream>
#include <stdexcept>
#include <unistd.h>

namespace fs = std::filesystem;

TempDir::TempDir(bool enter) : entered(enter) {
    std::string pattern = (fs::temp_directory_path() / "zezivoze-test-XXXXXX").string();
    if (mkdtemp(pattern.data()) == nullptr)
        throw std::runtime_error("mkdtemp failed");
    dir = pattern;
    if (entered) {
        previous = fs::current_path();
        fs::current_path(dir);
    }
}

TempDir::~TempDir() {
    std::error_code error;
    if (entered)
        fs::current_path(previous, error);
    fs::permissions(dir, fs::perms::owner_all, fs::perm_options::add, error);
    fs::remove_all(dir, error);
}

std::string ReadFileText(const std::string& path) {
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    return std::string(bytes.begin(), bytes.end());
}

std::vector<uint8_t> ReadFileBytes(const std::string& path) {
    std::ifstream in(path, std::ios::binary);
    return std::vector<uint8_t>(std::istreambuf_iterator<char>(in),
                                std::istreambuf_iterator<char>());
}

void WriteFileText(const std::string& path, const std::string& text) {
    WriteBinaryFile(path, std::vector<uint8_t>(text.begin(), text.end()));
}

GLTestContext::GLTestContext(int width_, int height_)
    : width(width_), height(height_), window(nullptr), context(nullptr) {
    if (SDL_Init(SDL_INIT_VIDEO) != 0)
        return;
    SDL_GL_ResetAttributes();
    SDL_GL_SetAttribute(SDL_GL_DOUBLEBUFFER, 1);
    SDL_GL_SetAttribute(SDL_GL_DEPTH_SIZE, 16);
    SDL_GL_SetAttribute(SDL_GL_RED_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_GREEN_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_BLUE_SIZE, 8);
    SDL_GL_SetAttribute(SDL_GL_CONTEXT_PROFILE_MASK, SDL_GL_CONTEXT_PROFILE_COMPATIBILITY);
    window = SDL_CreateWindow("zezivoze test", 0, 0, width, height,
                              SDL_WINDOW_OPENGL | SDL_WINDOW_HIDDEN);
    if (window != nullptr) // the new context is the current one
        context = SDL_GL_CreateContext(static_cast<SDL_Window*>(window));
    glViewport(0, 0, width, height);
}

GLTestContext::~GLTestContext() {
    if (context != nullptr) {
        SDL_GL_MakeCurrent(static_cast<SDL_Window*>(window), nullptr);
        SDL_GL_DeleteContext(context);
    }
    if (window != nullptr)
        SDL_DestroyWindow(static_cast<SDL_Window*>(window));
}

std::vector<uint8_t> ReadBackBuffer(int x, int y, int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    glReadBuffer(GL_BACK);
    glReadPixels(x, y, width, height, GL_RGB, GL_UNSIGNED_BYTE, rgb.data());
    return rgb;
}

MessageBoxRecorder::MessageBoxRecorder() {
    recorded.clear();
    SetMessageBoxSink([](const char* caption, const char* text) {
        recorded.push_back({caption ? caption : "", text ? text : ""});
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxSink(nullptr);
}

LogCapture::LogCapture() : file(dir.File("error.out")) {
    if (errorLog.file != nullptr)
        errorLog.Close();
    errorLog.Open(file.c_str());
}

std::string LogCapture::Finish() {
    if (errorLog.file != nullptr)
        errorLog.Close();
    return Contents();
}

void ResetTextureTable(int32_t capacity) {
    textureManager.~TextureManager();
    new (&textureManager) TextureManager();
    if (capacity > 0)
        textureManager.Create(capacity);
}

std::string LogOfFatal(const std::function<void()>& body, bool withContext,
                       const std::string& boxes) {
    std::optional<TempDir> dir;
    if (std::getenv("ZEZIVOZE_FATAL_LOG") == nullptr)
        setenv("ZEZIVOZE_FATAL_LOG", dir.emplace().File("error.out").c_str(), 1);
    const std::string path = std::getenv("ZEZIVOZE_FATAL_LOG");
    GTEST_FLAG_SET(death_test_style, withContext ? "threadsafe" : "fast");
    EXPECT_EXIT(
        {
            SetMessageBoxSink([](const char* caption, const char* text) {
                std::fprintf(stderr, "[%s] %s", caption, text);
            });
            std::optional<GLTestContext> gl;
            if (withContext && !gl.emplace().ok())
                std::exit(3);
            errorLog.Open(path.c_str());
            body();
            std::exit(0);
        },
        testing::ExitedWithCode(1), boxes);
    if (dir) // set here, not by a parent
        unsetenv("ZEZIVOZE_FATAL_LOG");
    std::string text = ReadFileText(path);
    return text.erase(0, text.find(".\n") + 2);
}

testing::AssertionResult Near(const Vector4& a, const Vector4& b, float tolerance) {
    if (std::fabs(a.x - b.x) <= tolerance && std::fabs(a.y - b.y) <= tolerance &&
        std::fabs(a.z - b.z) <= tolerance && a.w == 1)
        return testing::AssertionSuccess();
    std::ostringstream text;
    text.precision(9);
    text << a.x << ", " << a.y << ", " << a.z << ", " << a.w << " is not " << b.x << ", " << b.y
         << ", " << b.z;
    return testing::AssertionFailure() << text.str();
}

bool Xdo(const std::string& arguments) {
    return std::system(("timeout 20 xdotool " + arguments + " >/dev/null 2>&1").c_str()) == 0;
}

bool FocusWindow(SDL_Window* window) {
    auto focused = [&] {
        SDL_PumpEvents(); // SDL learns of it through its events
        return (SDL_GetWindowFlags(window) & SDL_WINDOW_INPUT_FOCUS) != 0;
    };
    for (int attempt = 0; attempt < 3 && !focused(); ++attempt) {
        Xdo("search --sync --onlyvisible --name '^" + std::string(SDL_GetWindowTitle(window)) +
            "$' mousemove --sync --window %1 50 50 windowfocus --sync %1");
        for (Uint32 start = SDL_GetTicks(); !focused() && SDL_GetTicks() - start < 10000;)
            SDL_Delay(10);
    }
    return focused();
}
