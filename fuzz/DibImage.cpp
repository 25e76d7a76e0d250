// libFuzzer target: the texture loader's DIB decoder on arbitrary bytes.
#include "image/DibImage.h"
#include "platform/MessageBox.h"

#include <cstdint>
#include <cstdlib>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static bool quiet = (SetMessageBoxSink([](const char*, const char*) {}), true);
    (void)quiet;
    RgbImage* image = DecodeDibImage(data, size, "fuzz.bmp");
    if (image != nullptr) {
        // The picture must be complete: its first and last bytes are there.
        const size_t bytes = static_cast<size_t>(image->width) * image->height * 3;
        if (image->width <= 0 || image->height <= 0 ||
            image->pixels[0] + image->pixels[bytes - 1] > 510)
            std::abort();
        DeleteRgbImage(image);
    }
    return 0;
}
