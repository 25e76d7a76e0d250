// Hand-made files, byte by byte, independent of our own writer.
#include "ImageTestSupport.h"
#include "image/DibImage.h"

#include <gtest/gtest.h>
#include <initializer_list>

namespace {
using Bytes = std::vector<uint8_t>;

void Add16(Bytes& b, uint32_t v) {
    b.push_back(static_cast<uint8_t>(v));
    b.push_back(static_cast<uint8_t>(v >> 8));
}
void Add32(Bytes& b, uint32_t v) {
    Add16(b, v & 0xFFFF);
    Add16(b, v >> 16);
}
void Append(Bytes& b, std::initializer_list<int> values) {
    for (int v : values)
        b.push_back(static_cast<uint8_t>(v));
}

// "BM" header and 40-byte header; extra (masks, colour table) and bits follow.
Bytes Dib40(int32_t width, int32_t height, int bpp, uint32_t compression, uint32_t coloursUsed,
            const Bytes& extra, const Bytes& bits, bool fileHeader = true) {
    Bytes b;
    if (fileHeader) {
        Append(b, {'B', 'M'});
        Add32(b, static_cast<uint32_t>(54 + extra.size() + bits.size()));
        Add32(b, 0);
        Add32(b, static_cast<uint32_t>(54 + extra.size()));
    }
    Add32(b, 40);
    Add32(b, static_cast<uint32_t>(width));
    Add32(b, static_cast<uint32_t>(height));
    Add16(b, 1);
    Add16(b, static_cast<uint32_t>(bpp));
    Add32(b, compression);
    Add32(b, static_cast<uint32_t>(bits.size()));
    Add32(b, 0);
    Add32(b, 0);
    Add32(b, coloursUsed);
    Add32(b, 0);
    b.insert(b.end(), extra.begin(), extra.end());
    b.insert(b.end(), bits.begin(), bits.end());
    return b;
}

// Colour table entries (blue, green, red, 0) for red, green, blue triples.
Bytes Table(std::initializer_list<std::array<int, 3>> colours, int entryBytes = 4) {
    Bytes b;
    for (const auto& c : colours) {
        Append(b, {c[2], c[1], c[0]});
        if (entryBytes == 4)
            b.push_back(0);
    }
    return b;
}

struct Decoded {
    bool ok = false;
    int width = 0, height = 0;
    Bytes pixels;
    std::vector<MessageBoxRecorder::Box> boxes;
};

Decoded Decode(const Bytes& file) {
    MessageBoxRecorder recorder;
    Decoded d;
    RgbImage* image = DecodeDibImage(file.data(), file.size(), "fixture.bmp");
    d.boxes = recorder.boxes();
    if (image != nullptr) {
        d.ok = true;
        d.width = image->width;
        d.height = image->height;
        d.pixels.assign(image->pixels, image->pixels + image->width * image->height * 3);
        DeleteRgbImage(image);
    }
    return d;
}

const std::array<int, 3> c0 = {10, 20, 30}, c1 = {200, 100, 50}, c2 = {1, 2, 3},
                         c3 = {90, 180, 250}, K = {0, 0, 0};

Bytes Row(std::initializer_list<std::array<int, 3>> colours) {
    Bytes b;
    for (const auto& c : colours)
        Append(b, {c[0], c[1], c[2]});
    return b;
}

Bytes Rows(std::initializer_list<Bytes> rows) {
    Bytes b;
    for (const Bytes& r : rows)
        b.insert(b.end(), r.begin(), r.end());
    return b;
}
} // namespace

TEST(DibFixture, Rle8RunsLiteralsEndOfLineDeltaAndEnd) {
    Bytes bits = {
        0x03, 0x01,                         // three of colour 1
        0x00, 0x03, 0x02, 0x03, 0x02, 0x00, // literal 2 3 2, padded to 16 bits
        0x00, 0x00,                         // end of line
        0x09, 0x03,                         // nine of colour 3: cut at the row's end
        0x00, 0x02, 0x02, 0x01,             // delta: 2 right, 1 up
        0x02, 0x00,                         // two of colour 0
        0x00, 0x01,                         // end of picture
        0x05, 0x02,                         // after the end: ignored
    };
    Decoded d = Decode(Dib40(6, 3, 8, 1, 4, Table({c0, c1, c2, c3}), bits));
    ASSERT_TRUE(d.ok);
    EXPECT_TRUE(d.boxes.empty());
    EXPECT_EQ(d.width, 6);
    EXPECT_EQ(d.height, 3);
    // Skipped pixels stay black; the nine-run ends at the row's end, so the
    // delta starts from x = 6 and lands beyond the next row's last pixel.
    EXPECT_EQ(d.pixels, Rows({Row({c1, c1, c1, c2, c3, c2}), Row({c3, c3, c3, c3, c3, c3}),
                              Row({K, K, K, K, K, K})}));

    Bytes delta = {0x00, 0x02, 0x03, 0x01, 0x02, 0x01, 0x00, 0x01};
    Decoded e = Decode(Dib40(6, 2, 8, 1, 4, Table({c0, c1, c2, c3}), delta));
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.pixels, Rows({Row({K, K, K, K, K, K}), Row({K, K, K, c1, c1, K})}));
}

TEST(DibFixture, Rle4RunsAlternateNibblesAndLiteralsPadToWords) {
    Bytes bits = {
        0x05, 0x12,                         // 1 2 1 2 1
        0x00, 0x03, 0x30, 0x10,             // literal 3 0 1: the 1 falls beyond width 7
        0x00, 0x00,                         // end of line
        0x00, 0x02, 0x03, 0x00,             // delta 3 right
        0x02, 0x23,                         // 2 3
        0x00, 0x05, 0x01, 0x23, 0x00, 0x00, // literal 0 1 2 3 0 (3 bytes + pad); cut at 7
        0x00, 0x01,
    };
    Decoded d = Decode(Dib40(7, 2, 4, 2, 4, Table({c0, c1, c2, c3}), bits));
    ASSERT_TRUE(d.ok) << (d.boxes.empty() ? "" : d.boxes[0].text);
    EXPECT_EQ(d.pixels, Rows({Row({c1, c2, c1, c2, c1, c3, c0}), Row({K, K, K, c2, c3, c0, c1})}));
}

TEST(DibFixture, BitFieldsTakeTheirMasksAndWidenShortChannels) {
    Bytes masks565;
    Add32(masks565, 0xF800);
    Add32(masks565, 0x07E0);
    Add32(masks565, 0x001F);
    Bytes bits;
    Add16(bits, 0xF800), Add16(bits, 0x07E0); // bottom row: red, green
    Add16(bits, 0x001F), Add16(bits, 0x8410); // top row: blue, mid grey
    Decoded d = Decode(Dib40(2, 2, 16, 3, 0, masks565, bits));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 0x84, 0x82, 0x84}));

    // 10-10-10 in 32 bits: the top 8 bits of each channel.
    Bytes masks1010;
    Add32(masks1010, 0x3FF00000);
    Add32(masks1010, 0x000FFC00);
    Add32(masks1010, 0x000003FF);
    Bytes wide;
    Add32(wide, 0x3FF00001);
    Add32(wide, 0x200FFC00 | 0x155);
    Decoded e = Decode(Dib40(2, 1, 32, 3, 0, masks1010, wide, false));
    ASSERT_TRUE(e.ok);
    EXPECT_EQ(e.pixels, (Bytes{255, 0, 0, 0x80, 0xFF, 0x55}));

    // Plain 16 bits are 5-5-5, plain 32 bits blue, green, red, unused.
    Bytes plain;
    Add16(plain, 0x7C00), Add16(plain, 0x03E0), Add16(plain, 0x001F), Add16(plain, 0x4210);
    Decoded f = Decode(Dib40(4, 1, 16, 0, 0, {}, plain));
    EXPECT_EQ(f.pixels, (Bytes{255, 0, 0, 0, 255, 0, 0, 0, 255, 0x84, 0x84, 0x84}));
    Decoded g = Decode(Dib40(1, 1, 32, 0, 0, {}, {1, 2, 3, 99}));
    EXPECT_EQ(g.pixels, (Bytes{3, 2, 1}));
}

TEST(DibFixture, TwentyFourBitRowsSkipTheirPaddingAndFirstPixelIsBottomLeft) {
    Bytes bits = {1,  2,  3,  4,  5,  6,  7,  8,  9,  0xEE, 0xEE, 0xEE, // bottom row + 3 padding
                  10, 11, 12, 13, 14, 15, 16, 17, 18, 0xEE, 0xEE, 0xEE};
    Decoded d = Decode(Dib40(3, 2, 24, 0, 0, {}, bits));
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.pixels, (Bytes{3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13, 18, 17, 16}));
    // Stored top-down: the same picture comes back bottom row first.
    Bytes topDown = {10, 11, 12, 13, 14, 15, 16, 17, 18, 0, 0, 0,
                     1,  2,  3,  4,  5,  6,  7,  8,  9,  0, 0, 0};
    Decoded t = Decode(Dib40(3, -2, 24, 0, 0, {}, topDown));
    ASSERT_TRUE(t.ok);
    EXPECT_EQ(t.height, 2);
    EXPECT_EQ(t.pixels, d.pixels);
    // Width 4 has no padding.
    Bytes four(24);
    for (int i = 0; i < 24; ++i)
        four[i] = static_cast<uint8_t>(i);
    Decoded w = Decode(Dib40(4, 2, 24, 0, 0, {}, four));
    ASSERT_TRUE(w.ok);
    EXPECT_EQ(w.pixels[12], 14);
    EXPECT_EQ(w.pixels[23], 21);
}

TEST(DibFixture, PalettesLookUpEveryIndex) {
    // 1 bit, width 9: two bytes a row plus padding; most significant bit first.
    Bytes bits = {0b10110000, 0b10000000, 0, 0, 0b01000000, 0b00000000, 0, 0};
    Decoded one = Decode(Dib40(9, 2, 1, 0, 0, Table({c1, c3}), bits));
    ASSERT_TRUE(one.ok);
    EXPECT_EQ(one.pixels, Rows({Row({c3, c1, c3, c3, c1, c1, c1, c1, c3}),
                                Row({c1, c3, c1, c1, c1, c1, c1, c1, c1})}));
    // 8 bits with three colours in use: an index past them stays black.
    Decoded eight = Decode(Dib40(5, 1, 8, 0, 3, Table({c0, c1, c2}), {2, 1, 0, 5, 255, 0, 0, 0}));
    ASSERT_TRUE(eight.ok);
    EXPECT_EQ(eight.pixels, Row({c2, c1, c0, K, K}));
    // 4 bits, a 12-byte header with a 3-byte colour table and no "BM": the bits
    // follow the table directly.
    Bytes core;
    Add32(core, 12);
    Add16(core, 3), Add16(core, 1), Add16(core, 1), Add16(core, 4);
    Bytes table = Table({c0, c1, c2, c3, c0, c0, c0, c0, c0, c0, c0, c0, c0, c0, c0, c1}, 3);
    core.insert(core.end(), table.begin(), table.end());
    Append(core, {0x3F, 0x20, 0, 0});
    Decoded c = Decode(core);
    ASSERT_TRUE(c.ok);
    EXPECT_EQ(c.pixels, Row({c3, c1, c2}));
}

TEST(DibFixture, DamagedAndForeignFilesAreRefusedWithTheirMessage) {
    const Bytes good = Dib40(2, 2, 24, 0, 0, {}, Bytes(16, 7));
    ASSERT_TRUE(Decode(good).ok);
    auto patched = [&](size_t at, uint32_t value, Bytes base = {}) {
        Bytes b = base.empty() ? good : base;
        for (int i = 0; i < 4; ++i)
            b[at + i] = static_cast<uint8_t>(value >> (8 * i));
        return b;
    };
    const Bytes paletted = Dib40(2, 2, 8, 0, 2, Table({c0, c1}), Bytes(8, 1));
    ASSERT_TRUE(Decode(paletted).ok);
    Bytes rleRunsOut = Dib40(4, 4, 8, 1, 2, Table({c0, c1}), {0x02, 0x01, 0x00, 0x09, 1, 1});

    struct Case {
        const char* what;
        Bytes file;
        const char* message;
    };
    const std::vector<Case> cases = {
        {"124-byte header", patched(14, 124), "Unknown DIB file format."},
        {"108-byte header", patched(14, 108), "Unknown DIB file format."},
        {"64-byte header", patched(14, 64), "Unknown DIB file format."},
        {"no header size", Bytes{'B', 'M', 1, 2, 3}, "Unknown DIB file format."},
        {"text", Bytes{'h', 'e', 'l', 'l', 'o'}, "Unknown DIB file format."},
        {"header cut short", Bytes(good.begin(), good.begin() + 40),
         "Image file conversion error."},
        {"pixels cut short", Bytes(good.begin(), good.end() - 1), "Image file conversion error."},
        {"pixel offset past the end", patched(10, 0xFFFFFF00), "Image file conversion error."},
        {"pixel offset near the end", patched(10, 60), "Image file conversion error."},
        {"huge width", patched(18, 0x7FFFFFFF), "Out of memory."},
        {"huge height", patched(22, 0x80000000), "Out of memory."},
        {"huge area", patched(22, 30000, patched(18, 30000)), "Out of memory."},
        {"zero width", patched(18, 0), "Out of memory."},
        {"negative width", patched(18, 0xFFFFFFFE), "Out of memory."},
        {"zero height", patched(22, 0), "Out of memory."},
        {"palette count beyond the file", patched(46, 0xFFFF, paletted),
         "Image file conversion error."},
        {"unknown compression", patched(30, 4), "Image file conversion error."},
        {"run-length 24 bits", patched(30, 1), "Image file conversion error."},
        {"bit fields 24 bits", patched(30, 3), "Image file conversion error."},
        {"7 bits", Dib40(2, 2, 7, 0, 0, {}, Bytes(16)), "Image file conversion error."},
        {"run-length top-down", Dib40(2, -2, 8, 1, 2, Table({c0, c1}), {0, 1}),
         "Image file conversion error."},
        {"bit fields without masks", Dib40(1, 1, 16, 3, 0, {}, {}, false),
         "Image file conversion error."},
    };
    for (const Case& c : cases) {
        Decoded d = Decode(c.file);
        EXPECT_FALSE(d.ok) << c.what;
        ASSERT_EQ(d.boxes.size(), 1u) << c.what;
        EXPECT_EQ(d.boxes[0].caption, "Error");
        EXPECT_EQ(d.boxes[0].text, c.message) << c.what;
    }

    // Run-length codes that run past the file are cut, not read beyond it.
    Decoded cut = Decode(rleRunsOut);
    ASSERT_TRUE(cut.ok);
    EXPECT_EQ(Bytes(cut.pixels.begin(), cut.pixels.begin() + 9), Row({c1, c1, K}));
}

TEST(DibFixture, FilesOnDiskAndFilesThatCannotBeRead) {
    MessageBoxRecorder boxes;
    TempDir dir;
    const std::string path = dir.File("pic.bmp");
    WriteFileBytes(path, Dib40(1, 1, 24, 0, 0, {}, {1, 2, 3, 0}));
    RgbImage* image = LoadDibImage(path.c_str());
    ASSERT_NE(image, nullptr);
    EXPECT_EQ(image->pixels[0], 3);
    DeleteRgbImage(image);
    EXPECT_TRUE(boxes.boxes().empty());

    WriteFileBytes(dir.File("empty.bmp"), {});
    for (const std::string& name :
         {dir.File("missing.bmp"), dir.File("empty.bmp"), dir.path().string()}) {
        boxes.clear();
        EXPECT_EQ(LoadDibImage(name.c_str()), nullptr);
        ASSERT_EQ(boxes.boxes().size(), 1u);
        EXPECT_EQ(boxes.boxes()[0].caption, "Error");
        EXPECT_EQ(boxes.boxes()[0].text, "Failed to open DIB file " + name + ".\n");
    }
}
