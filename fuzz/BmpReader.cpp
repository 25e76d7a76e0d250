// libFuzzer target: the height-map reader on arbitrary files. Its fatal
// errors unwind back here instead of ending the process.
#include "image/BmpReader.h"
#include "platform/BinaryFile.h"
#include "platform/ErrorLog.h"
#include "platform/MessageBox.h"

#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <unistd.h>

namespace {
struct Refused {};

[[noreturn]] void Unwind(int) {
    throw Refused{};
}

const std::string& ScratchFile() {
    static const std::string path = "/tmp/zezivoze-fuzz-bmp-" + std::to_string(getpid()) + ".bmp";
    return path;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    SetMessageBoxSink([](const char*, const char*) {});
    errorLog.exitHandler = Unwind;
    if (!errorLog.IsOpen())
        errorLog.Open("/dev/null"); // a fatal error closes it
    std::FILE* file = std::fopen(ScratchFile().c_str(), "wb");
    if (file == nullptr)
        return 0;
    if (size > 0)
        std::fwrite(data, size, 1, file);
    std::fclose(file);
    try {
        BmpReader reader;
        reader.Load(ScratchFile().c_str());
        // Every pixel the reader reports must be there.
        const size_t bytes = static_cast<size_t>(reader.width) * reader.height * 3;
        unsigned sum = 0;
        for (size_t i = 0; i < bytes; ++i)
            sum += reader.pixels[i];
        if (reader.width < 0 || reader.height < 0 || sum == 0xFFFFFFFFu)
            std::abort();
    } catch (const Refused&) {
    }
    return 0;
}
