#include "image/DibImage.h"

#include "platform/MessageBox.h"

#include <bit>
#include <cstdio>
#include <new>
#include <vector>

namespace {
// Far above any texture; keeps a damaged header from asking for gigabytes.
constexpr int64_t kMaxSide = 32768;
constexpr int64_t kMaxPixels = int64_t{1} << 24;
constexpr long kMaxFileBytes = long{1} << 30;

constexpr uint32_t kRgb = 0, kRle8 = 1, kRle4 = 2, kBitFields = 3;

enum class Outcome { Done, UnknownFormat, OutOfMemory, ConversionError };

uint16_t Le16(const uint8_t* p) {
    return static_cast<uint16_t>(p[0] | (p[1] << 8));
}

uint32_t Le32(const uint8_t* p) {
    return static_cast<uint32_t>(p[0]) | (static_cast<uint32_t>(p[1]) << 8) |
           (static_cast<uint32_t>(p[2]) << 16) | (static_cast<uint32_t>(p[3]) << 24);
}

// One colour channel of a bit-field pixel, widened to 8 bits by repeating its
// bits (5 bits 10110 -> 10110101), so that full scale stays full scale.
struct Channel {
    uint32_t mask = 0;
    int shift = 0;
    int bits = 0;

    explicit Channel(uint32_t m) : mask(m) {
        if (mask == 0)
            return;
        shift = std::countr_zero(mask);
        bits = 32 - std::countl_zero(mask >> shift);
    }

    uint8_t Expand(uint32_t pixel) const {
        if (bits == 0)
            return 0;
        uint32_t value = (pixel & mask) >> shift;
        if (bits >= 8)
            return static_cast<uint8_t>(value >> (bits - 8));
        uint32_t out = 0;
        for (int pos = 8 - bits;; pos -= bits) {
            out |= pos >= 0 ? value << pos : value >> -pos;
            if (pos <= 0)
                break;
        }
        return static_cast<uint8_t>(out);
    }
};

struct Dib {
    Dib(const uint8_t* bytes, size_t length) : data(bytes), size(length) {}

    const uint8_t* data;
    size_t size;
    int64_t width = 0;
    int64_t rows = 0;
    bool topDown = false;
    uint16_t bitsPerPixel = 0;
    uint32_t compression = kRgb;
    uint32_t masks[3] = {0, 0, 0};
    std::vector<uint8_t> palette; // red, green, blue per entry
    size_t bitsOffset = 0;
    uint8_t* out = nullptr; // width x rows x 3, bottom row first

    // Stored row r (0 = first in the file) as a row of the picture from the bottom.
    uint8_t* OutRow(int64_t r) const { return out + (topDown ? rows - 1 - r : r) * width * 3; }

    void PutIndex(uint8_t* pixel, uint32_t index) const {
        if (static_cast<size_t>(index) * 3 + 3 > palette.size())
            return; // outside the colour table: stays black
        pixel[0] = palette[index * 3];
        pixel[1] = palette[index * 3 + 1];
        pixel[2] = palette[index * 3 + 2];
    }

    Outcome ParseHeaders();
    Outcome DecodeRgb();
    void DecodeRle(bool fourBit);
};

Outcome Dib::ParseHeaders() {
    size_t info = 0;
    const bool fileHeader = size >= 2 && data[0] == 'B' && data[1] == 'M';
    if (fileHeader)
        info = 14;
    if (size < info + 4)
        return Outcome::UnknownFormat;
    const uint32_t infoSize = Le32(data + info);
    if (infoSize != 12 && infoSize != 40)
        return Outcome::UnknownFormat;
    if (size < info + infoSize)
        return Outcome::ConversionError;

    const uint8_t* h = data + info;
    int64_t height = 0;
    size_t tableLength = 0;
    size_t entryBytes = 4;
    size_t tableStart = info + infoSize;
    uint32_t coloursUsed = 0;
    if (infoSize == 12) {
        width = Le16(h + 4);
        height = Le16(h + 6);
        bitsPerPixel = Le16(h + 10);
        entryBytes = 3;
    } else {
        width = static_cast<int32_t>(Le32(h + 4));
        height = static_cast<int32_t>(Le32(h + 8));
        bitsPerPixel = Le16(h + 14);
        compression = Le32(h + 16);
        coloursUsed = Le32(h + 32);
    }
    if (coloursUsed != 0)
        tableLength = coloursUsed & 0xFFFF;
    else if (bitsPerPixel == 1 || bitsPerPixel == 4 || bitsPerPixel == 8)
        tableLength = size_t{1} << bitsPerPixel;

    topDown = height < 0;
    rows = topDown ? -height : height;
    // The target picture could not be made: the platform reports this as memory.
    if (width <= 0 || rows == 0 || width > kMaxSide || rows > kMaxSide || width * rows > kMaxPixels)
        return Outcome::OutOfMemory;

    if (compression == kBitFields) {
        if ((bitsPerPixel != 16 && bitsPerPixel != 32) || size < tableStart + 12)
            return Outcome::ConversionError;
        for (int i = 0; i < 3; ++i)
            masks[i] = Le32(data + tableStart + 4 * i);
        tableStart += 12;
    } else if (bitsPerPixel == 16) {
        masks[0] = 0x7C00, masks[1] = 0x03E0, masks[2] = 0x001F;
    } else if (bitsPerPixel == 32) {
        masks[0] = 0xFF0000, masks[1] = 0xFF00, masks[2] = 0xFF;
    }
    if (tableStart + tableLength * entryBytes > size)
        return Outcome::ConversionError;
    palette.resize(tableLength * 3);
    for (size_t i = 0; i < tableLength; ++i) {
        const uint8_t* entry = data + tableStart + i * entryBytes; // blue, green, red
        palette[i * 3] = entry[2];
        palette[i * 3 + 1] = entry[1];
        palette[i * 3 + 2] = entry[0];
    }
    bitsOffset = fileHeader ? Le32(data + 10) : tableStart + tableLength * entryBytes;
    if (bitsOffset > size)
        return Outcome::ConversionError;

    switch (compression) {
    case kRgb:
        if (bitsPerPixel != 1 && bitsPerPixel != 4 && bitsPerPixel != 8 && bitsPerPixel != 16 &&
            bitsPerPixel != 24 && bitsPerPixel != 32)
            return Outcome::ConversionError;
        break;
    case kBitFields:
        break;
    case kRle8:
    case kRle4:
        // Run-length pictures are stored bottom-up only.
        if (bitsPerPixel != (compression == kRle8 ? 8 : 4) || topDown)
            return Outcome::ConversionError;
        return Outcome::Done;
    default:
        return Outcome::ConversionError;
    }
    const int64_t stride = (width * bitsPerPixel + 31) / 32 * 4;
    if (static_cast<int64_t>(size - bitsOffset) < stride * rows)
        return Outcome::ConversionError;
    return Outcome::Done;
}

Outcome Dib::DecodeRgb() {
    const int64_t stride = (width * bitsPerPixel + 31) / 32 * 4;
    const Channel red(masks[0]), green(masks[1]), blue(masks[2]);
    for (int64_t r = 0; r < rows; ++r) {
        const uint8_t* row = data + bitsOffset + r * stride;
        uint8_t* pixel = OutRow(r);
        for (int64_t x = 0; x < width; ++x, pixel += 3) {
            switch (bitsPerPixel) {
            case 1:
                PutIndex(pixel, (row[x >> 3] >> (7 - (x & 7))) & 1);
                break;
            case 4:
                PutIndex(pixel, (row[x >> 1] >> ((x & 1) ? 0 : 4)) & 15);
                break;
            case 8:
                PutIndex(pixel, row[x]);
                break;
            case 24:
                pixel[0] = row[x * 3 + 2];
                pixel[1] = row[x * 3 + 1];
                pixel[2] = row[x * 3];
                break;
            default: {
                uint32_t value = bitsPerPixel == 16 ? Le16(row + x * 2) : Le32(row + x * 4);
                pixel[0] = red.Expand(value);
                pixel[1] = green.Expand(value);
                pixel[2] = blue.Expand(value);
            }
            }
        }
    }
    return Outcome::Done;
}

// Runs, literal stretches, end of line, end of picture and deltas. Pixels the
// codes skip stay black; codes that run past the picture or the file are cut.
void Dib::DecodeRle(bool fourBit) {
    size_t p = bitsOffset;
    int64_t x = 0, y = 0;
    auto put = [&](uint32_t index) {
        if (x < width)
            PutIndex(OutRow(y) + x * 3, index);
        ++x;
    };
    while (p + 2 <= size && y < rows) {
        const uint8_t count = data[p], value = data[p + 1];
        p += 2;
        if (count > 0) {
            for (int i = 0; i < count && x < width; ++i)
                put(fourBit ? ((i & 1) ? value & 15 : value >> 4) : value);
        } else if (value == 0) {
            x = 0;
            ++y;
        } else if (value == 1) {
            break;
        } else if (value == 2) {
            if (p + 2 > size)
                break;
            x += data[p];
            y += data[p + 1];
            p += 2;
        } else {
            const size_t bytes = fourBit ? (value + 1u) / 2 : value;
            if (p + bytes > size)
                break;
            for (int i = 0; i < value && x < width; ++i)
                put(fourBit ? (data[p + i / 2] >> ((i & 1) ? 0 : 4)) & 15 : data[p + i]);
            p += (bytes + 1) & ~size_t{1}; // literal stretches end on a 16-bit boundary
        }
        if (x > width)
            x = width;
    }
}

void ShowError(const char* text) {
    ShowMessageBox("Error", text);
}
} // namespace

RgbImage* DecodeDibImage(const uint8_t* data, size_t size, const char* /*fileName*/) {
    Dib dib(data, size);
    Outcome outcome = dib.ParseHeaders();
    RgbImage* image = nullptr;
    if (outcome == Outcome::Done) {
        dib.out = new (std::nothrow) uint8_t[static_cast<size_t>(dib.width * dib.rows * 3)]();
        image = dib.out != nullptr ? new (std::nothrow) RgbImage : nullptr;
        if (image == nullptr) {
            outcome = Outcome::OutOfMemory;
        } else if (dib.compression == kRle8 || dib.compression == kRle4) {
            dib.DecodeRle(dib.compression == kRle4);
        } else {
            outcome = dib.DecodeRgb();
        }
    }
    switch (outcome) {
    case Outcome::Done:
        image->width = static_cast<int32_t>(dib.width);
        image->height = static_cast<int32_t>(dib.rows);
        image->pixels = dib.out;
        return image;
    case Outcome::UnknownFormat:
        ShowError("Unknown DIB file format.");
        break;
    case Outcome::OutOfMemory:
        ShowError("Out of memory.");
        break;
    case Outcome::ConversionError:
        ShowError("Image file conversion error.");
        break;
    }
    delete image;
    delete[] dib.out;
    return nullptr;
}

RgbImage* LoadDibImage(const char* fileName) {
    std::vector<uint8_t> bytes;
    bool opened = false;
    if (std::FILE* stream = fileName != nullptr ? std::fopen(fileName, "rb") : nullptr) {
        if (std::fseek(stream, 0, SEEK_END) == 0) {
            long length = std::ftell(stream);
            // An empty file cannot be mapped; a giant one is no picture of ours.
            if (length > 0 && length <= kMaxFileBytes) {
                bytes.resize(static_cast<size_t>(length));
                std::rewind(stream);
                opened = std::fread(bytes.data(), bytes.size(), 1, stream) == 1;
            }
        }
        std::fclose(stream);
    }
    if (!opened) {
        char text[512];
        std::snprintf(text, sizeof text, "Failed to open DIB file %s.\n",
                      fileName != nullptr ? fileName : "");
        ShowError(text);
        return nullptr;
    }
    return DecodeDibImage(bytes.data(), bytes.size(), fileName);
}

void DeleteRgbImage(RgbImage* image) {
    if (image == nullptr)
        return;
    delete[] image->pixels;
    delete image;
}
