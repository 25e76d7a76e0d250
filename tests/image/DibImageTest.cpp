#include "image/DibImage.h"
#include "ImageTestSupport.h"
#include "image/BmpWriter.h"

#include <gtest/gtest.h>
#include <memory>

namespace {
struct ImageDeleter {
    void operator()(RgbImage* image) const { DeleteRgbImage(image); }
};
using Image = std::unique_ptr<RgbImage, ImageDeleter>;

Image Decode(const std::vector<uint8_t>& bytes) {
    return Image(DecodeDibImage(bytes.data(), bytes.size(), "test.bmp"));
}

std::vector<uint8_t> Pixels(const Image& image) {
    return std::vector<uint8_t>(image->pixels, image->pixels + static_cast<size_t>(image->width) *
                                                                   image->height * 3);
}

// A picture drawn only in the colours of palette (top row first).
std::vector<uint8_t> PalettePicture(int width, int height, const std::vector<uint32_t>& palette) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int i = 0; i < width * height; ++i) {
        uint32_t colour = palette[(i * 7 + i / width) % palette.size()];
        rgb[i * 3] = static_cast<uint8_t>(colour >> 16);
        rgb[i * 3 + 1] = static_cast<uint8_t>(colour >> 8);
        rgb[i * 3 + 2] = static_cast<uint8_t>(colour);
    }
    return rgb;
}
} // namespace

TEST(DibImage, EveryLayoutOfTheWriterDecodesBackBottomRowFirst) {
    MessageBoxRecorder boxes;
    std::vector<uint32_t> sixteen;
    for (uint32_t i = 0; i < 16; ++i)
        sixteen.push_back((i * 16) << 16 | (255 - i * 16) << 8 | (i * 37 % 256));
    std::vector<uint32_t> many;
    for (uint32_t i = 0; i < 256; ++i)
        many.push_back(i << 16 | ((i * 7) & 255) << 8 | (255 - i));
    const std::vector<uint32_t> two = {0x102030, 0xF0E0D0};

    struct Case {
        const char* name;
        BmpLayout layout;
        const std::vector<uint32_t>* colours; // null: any colour, compared exactly
    };
    auto layout = [](int bpp, uint32_t compression, std::vector<uint32_t> palette = {}) {
        BmpLayout l;
        l.bitsPerPixel = bpp;
        l.compression = compression;
        l.palette = std::move(palette);
        return l;
    };
    std::vector<Case> cases = {
        {"24", layout(24, 0), nullptr},
        {"32", layout(32, 0), nullptr},
        {"8", layout(8, 0, many), &many},
        {"4", layout(4, 0, sixteen), &sixteen},
        {"1", layout(1, 0, two), &two},
        {"rle8", layout(8, 1, many), &many},
        {"rle4", layout(4, 2, sixteen), &sixteen},
    };
    BmpLayout fields = layout(32, 3);
    fields.masks[0] = 0xFF000000, fields.masks[1] = 0xFF0000, fields.masks[2] = 0xFF00;
    cases.push_back({"32 fields", fields, nullptr});
    BmpLayout core = layout(8, 0, many);
    core.coreHeader = true;
    cases.push_back({"core 8", core, &many});
    BmpLayout core24 = layout(24, 0);
    core24.coreHeader = true;
    cases.push_back({"core 24", core24, nullptr});
    BmpLayout packed = layout(4, 0, sixteen);
    packed.fileHeader = false;
    cases.push_back({"packed 4", packed, &sixteen});
    BmpLayout packedFields = layout(32, 3);
    packedFields.fileHeader = false;
    packedFields.masks[0] = 0xFF, packedFields.masks[1] = 0xFF00, packedFields.masks[2] = 0xFF0000;
    cases.push_back({"packed 32 fields", packedFields, nullptr});

    for (const Case& c : cases) {
        for (bool topDown : {false, true}) {
            for (int width : {1, 3, 4, 5, 9, 17}) {
                const int height = 3;
                BmpLayout l = c.layout;
                l.topDown = topDown;
                std::vector<uint8_t> rgb = c.colours ? PalettePicture(width, height, *c.colours)
                                                     : TestPicture(width, height);
                Image image = Decode(EncodeBmp(width, height, rgb, l));
                ASSERT_NE(image, nullptr) << c.name;
                EXPECT_EQ(image->width, width);
                EXPECT_EQ(image->height, height);
                EXPECT_EQ(Pixels(image), BottomUp(rgb, width, height))
                    << c.name << " width " << width << (topDown ? " top-down" : "");
            }
        }
    }
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(DibImage, SixteenBitsKeepTheirTopBitsAndRepeatThemBelow) {
    MessageBoxRecorder boxes;
    // Colours that 5 and 6 bits hold exactly come back exactly.
    std::vector<uint8_t> rgb = {255, 255, 255, 0, 0, 0, 0x84, 0x82, 0x84, 0xFF, 0x00, 0x08};
    BmpLayout plain;
    plain.bitsPerPixel = 16;
    Image a = Decode(EncodeBmp(4, 1, rgb, plain));
    ASSERT_NE(a, nullptr);
    EXPECT_EQ(Pixels(a),
              (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 0x84, 0x84, 0x84, 0xFF, 0x00, 0x08}));
    BmpLayout fields = plain;
    fields.compression = 3; // 5-6-5
    Image b = Decode(EncodeBmp(4, 1, rgb, fields));
    ASSERT_NE(b, nullptr);
    EXPECT_EQ(Pixels(b),
              (std::vector<uint8_t>{255, 255, 255, 0, 0, 0, 0x84, 0x82, 0x84, 0xFF, 0x00, 0x08}));
}
