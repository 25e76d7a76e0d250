#include "PngHeightMap.h"

#include "DataSet.h"

#include <csetjmp>
#include <cstdio>
#include <cstring>
#include <png.h>

namespace {
// What libpng reads from and where its complaint goes; plain data, which a
// jump out of libpng leaves as it was.
struct Source {
    const uint8_t* data;
    size_t size;
    size_t at;
    char message[160];
};

void OnError(png_structp png, png_const_charp text) {
    Source* source = static_cast<Source*>(png_get_error_ptr(png));
    std::snprintf(source->message, sizeof source->message, "%s", text);
    png_longjmp(png, 1);
}

void OnWarning(png_structp, png_const_charp) {}

void OnRead(png_structp png, png_bytep out, size_t count) {
    Source* source = static_cast<Source*>(png_get_io_ptr(png));
    if (count > source->size - source->at)
        png_error(png, "the file ends early");
    std::memcpy(out, source->data + source->at, count);
    source->at += count;
}

// The steps that may end in libpng's error jump, each in a function of its
// own that holds nothing to destroy: the jump lands in its setjmp and it
// returns false.
bool ReadHeader(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_info(png, info);
    return true;
}

// Samples come out as 8-bit grey, or 8-bit red, green and blue.
bool SetUpTransforms(png_structp png, png_infop info) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_set_expand(png); // palettes to colours, grey below 8 bits to 8
    png_set_scale_16(png);
    png_set_strip_alpha(png);
    png_set_interlace_handling(png);
    png_read_update_info(png, info);
    return true;
}

bool ReadPixels(png_structp png, png_bytepp rows) {
    if (setjmp(png_jmpbuf(png)))
        return false;
    png_read_image(png, rows);
    png_read_end(png, nullptr);
    return true;
}

struct Reader {
    png_structp png = nullptr;
    png_infop info = nullptr;
    ~Reader() { png_destroy_read_struct(&png, info != nullptr ? &info : nullptr, nullptr); }
};
} // namespace

bool PngHeightMap::Decode(const uint8_t* data, size_t size) {
    width = height = 0;
    heights.clear();
    if (size < 8 || png_sig_cmp(data, 0, 8) != 0) {
        problem = "not a PNG picture";
        return false;
    }
    Source source{data, size, 0, "out of memory"};
    Reader reader;
    reader.png = png_create_read_struct(PNG_LIBPNG_VER_STRING, &source, OnError, OnWarning);
    if (reader.png != nullptr)
        reader.info = png_create_info_struct(reader.png);
    if (reader.info == nullptr) {
        problem = source.message;
        return false;
    }
    png_set_read_fn(reader.png, &source, OnRead);
    // Our own limits below say what is too large, in words.
    png_set_user_limits(reader.png, PNG_UINT_31_MAX, PNG_UINT_31_MAX);
#ifdef FUZZING_BUILD_MODE_UNSAFE_FOR_PRODUCTION
    // The fuzzer's mutations get past the checksums to the decoding behind them.
    png_set_crc_action(reader.png, PNG_CRC_QUIET_USE, PNG_CRC_QUIET_USE);
    png_set_option(reader.png, PNG_IGNORE_ADLER32, PNG_OPTION_ON);
#endif
    if (!ReadHeader(reader.png, reader.info)) {
        problem = std::string("damaged PNG: ") + source.message;
        return false;
    }
    const png_uint_32 w = png_get_image_width(reader.png, reader.info);
    const png_uint_32 h = png_get_image_height(reader.png, reader.info);
    if (w < kMinMapSide || h < kMinMapSide || w > kMaxMapSide || h > kMaxMapSide) {
        problem = std::to_string(w) + " x " + std::to_string(h) + " samples; the game plays " +
                  std::to_string(kMinMapSide) + " x " + std::to_string(kMinMapSide) + " to " +
                  std::to_string(kMaxMapSide) + " x " + std::to_string(kMaxMapSide);
        return false;
    }
    if (!SetUpTransforms(reader.png, reader.info)) {
        problem = std::string("damaged PNG: ") + source.message;
        return false;
    }
    const size_t channels = png_get_channels(reader.png, reader.info);
    const size_t rowBytes = png_get_rowbytes(reader.png, reader.info);
    if ((channels != 1 && channels != 3) || rowBytes != w * channels) {
        problem = "unexpected PNG layout";
        return false;
    }
    std::vector<uint8_t> pixels(rowBytes * h);
    std::vector<png_bytep> rows(h);
    for (png_uint_32 y = 0; y < h; ++y)
        rows[y] = pixels.data() + rowBytes * y;
    if (!ReadPixels(reader.png, rows.data())) {
        problem = std::string("damaged PNG: ") + source.message;
        return false;
    }
    if (channels == 3) {
        for (size_t i = 0; i < pixels.size() / 3; ++i) {
            const uint8_t* p = &pixels[i * 3];
            if (p[0] != p[1] || p[0] != p[2]) {
                problem = "coloured pixels: a height map is grey";
                return false;
            }
            pixels[i] = p[0];
        }
        pixels.resize(pixels.size() / 3);
    }
    width = static_cast<int>(w);
    height = static_cast<int>(h);
    heights = std::move(pixels);
    problem.clear();
    return true;
}
