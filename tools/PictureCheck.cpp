#include "PictureCheck.h"

#include "image/BmpReader.h"
#include "image/DibImage.h"
#include "platform/BinaryFile.h"
#include "platform/ErrorLog.h"
#include "platform/MessageBox.h"

#include <filesystem>

namespace {
std::string lastMessage;

void KeepMessage(const char*, const char* text) {
    lastMessage = text != nullptr ? text : "";
    while (!lastMessage.empty() && lastMessage.back() == '\n')
        lastMessage.pop_back();
}

struct ReaderRefused {};

[[noreturn]] void Unwind(int) {
    throw ReaderRefused{};
}

#ifdef _WIN32
constexpr const char* kNullDevice = "NUL";
#else
constexpr const char* kNullDevice = "/dev/null";
#endif
} // namespace

RgbImage* DecodePictureFile(const std::string& path, std::string& problem) {
    lastMessage.clear();
    SetMessageBoxSink(KeepMessage);
    RgbImage* image = LoadDibImage(path.c_str());
    SetMessageBoxSink(nullptr);
    problem = image != nullptr ? "" : lastMessage;
    return image;
}

bool ReadHeightMapFile(const std::string& path, int& width, int& height,
                       std::vector<uint8_t>& heights, std::string& problem) {
    std::error_code error;
    if (!std::filesystem::is_regular_file(path, error)) {
        problem = "cannot open " + path;
        return false;
    }
    // The reader's fatal errors go to a log nobody keeps and unwind back here.
    lastMessage.clear();
    SetMessageBoxSink(KeepMessage);
    errorLog.Open(kNullDevice);
    errorLog.exitHandler = Unwind;
    bool ok = false;
    try {
        BmpReader reader;
        reader.Load(path.c_str());
        width = reader.width;
        height = reader.height;
        heights.resize(static_cast<size_t>(width) * height);
        for (size_t i = 0; i < heights.size(); ++i)
            heights[i] = reader.pixels[i * 3];
        ok = true;
    } catch (const ReaderRefused&) {
        problem = lastMessage;
    }
    errorLog.exitHandler = nullptr;
    if (errorLog.file != nullptr) {
        delete errorLog.file;
        errorLog.file = nullptr;
    }
    SetMessageBoxSink(nullptr);
    return ok;
}
