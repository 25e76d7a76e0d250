// The height-map reader and DIB decoder on our writer's pictures in every layout and on hand-made
// files (byte by byte); the texture manager, after the start-up table, with real OpenGL.
#include "app/TextureTable.h"
#include "image/BmpReader.h"
#include "image/BmpWriter.h"
#include "image/DibImage.h"
#include "image/TextureManager.h"
#include "support/TestSupport.h"

#include <GL/gl.h>
#include <algorithm>
#include <array>
#include <cstdlib>
#include <tuple>

namespace {
using Bytes = std::vector<uint8_t>;
using Rgb = std::array<uint8_t, 3>;

Bytes operator+(Bytes a, const Bytes& b) {
    a.insert(a.end(), b.begin(), b.end());
    return a;
}

Bytes Words(std::initializer_list<uint32_t> values, int n = 4) { // n little-endian bytes each
    Bytes b;
    for (uint32_t v : values)
        for (int i = 0; i < n; ++i)
            b.push_back(static_cast<uint8_t>(v >> (8 * i)));
    return b;
}

Bytes Patched(Bytes b, size_t at, uint32_t value, int n = 4) {
    std::ranges::copy(Words({value}, n), b.begin() + static_cast<long>(at));
    return b;
}

// The pixels' red, green, blue bytes; with an entry size, palette entries: blue, green, red, 0.
Bytes Px(std::initializer_list<Rgb> pixels, int entry = 0) {
    Bytes b;
    for (const Rgb& p : pixels)
        b = b + (entry ? Words({uint32_t(p[0] << 16 | p[1] << 8 | p[2])}, entry)
                       : Bytes(p.begin(), p.end()));
    return b;
}

// A picture of distinct colours, or only of those given; top row first unless bottomUp.
Bytes Picture(int width, int height, const std::vector<uint32_t>& colours = {},
              bool bottomUp = false) {
    Bytes rgb;
    for (int i = 0; i < width * height; ++i) {
        const uint32_t x = i % width, y = bottomUp ? height - 1 - i / width : i / width;
        const uint32_t c = colours.empty() ? (x * 0x28140B + y * 0x053207 + 0x070301) & 0xFFFFFF
                                           : colours[(x * 7 + y * 3) % colours.size()];
        rgb.insert(rgb.end(), {uint8_t(c >> 16), uint8_t(c >> 8), uint8_t(c)});
    }
    return rgb;
}

// What the decoder makes of the file: pixels (none when refused), width, message boxes shown.
std::tuple<Bytes, int, std::string> Decode(const Bytes& file) {
    MessageBoxRecorder recorder;
    std::tuple<Bytes, int, std::string> got;
    if (RgbImage* image = DecodeDibImage(file.data(), file.size(), "fixture.bmp")) {
        got = {Bytes(image->pixels, image->pixels + size_t(image->width) * image->height * 3),
               image->width, ""};
        DeleteRgbImage(image);
    }
    for (const MessageBoxRecorder::Box& box : recorder.boxes())
        std::get<2>(got) += box.caption + "|" + box.text + "\n";
    return got;
}

// A 40-byte header (after a "BM" file header unless packed), extra (masks, palette), the bits.
Bytes Dib40(int32_t width, int32_t height, int bpp, uint32_t compression, uint32_t coloursUsed,
            const Bytes& extra, const Bytes& bits, bool fileHeader = true) {
    const uint32_t offset = 54 + uint32_t(extra.size()), size = uint32_t(bits.size());
    const Bytes file = fileHeader ? Bytes{'B', 'M'} + Words({offset + size, 0, offset}) : Bytes{};
    return file +
           Words({40, uint32_t(width), uint32_t(height), 1 | uint32_t(bpp) << 16, compression, size,
                  0, 0, coloursUsed, 0}) +
           extra + bits;
}

const Rgb c0 = {10, 20, 30}, c1 = {200, 100, 50}, c2 = {1, 2, 3}, c3 = {90, 180, 250},
          K = {0, 0, 0};

} // namespace

// Reads padded rows either way up, refuses what it cannot read (forked: sees our files).
TEST(BmpReaderDeathTest, ReadsAndRefuses) {
    TempDir dir;
    const std::string path = dir.File("p.bmp");
    for (bool topDown : {false, true})
        for (int width : {3, 4, 5})
            for (int height : {0, 1, 2, 3}) {
                const Bytes rgb = Picture(width, height);
                Bytes bytes = Patched( // a legal zero image size: computed from the sides
                    EncodeBmp(width, height, rgb, {24, 0, false, true, topDown, {}}), 34, 0);
                if (height % 2) // the file ends right after its last pixel
                    bytes.erase(bytes.end() - (4 - width * 3 % 4) % 4, bytes.end());
                ASSERT_TRUE(WriteBinaryFile(path, bytes));
                BmpReader reader;
                reader.Load(path.c_str());
                ASSERT_EQ(std::tuple(reader.width, reader.height, reader.imageSize),
                          std::tuple(width, height, uint32_t(rgb.size())));
                for (size_t i = 0; i < rgb.size(); ++i) // held as blue, green, red
                    ASSERT_EQ(reader.pixels[i], rgb[i + 2 - i % 3 * 2])
                        << width << " x " << height << (topDown ? " top-down" : "");
            }

    const Bytes good = EncodeBmp24(4, 4, Picture(4, 4));
    const std::string id = "FATAL ERROR: m_bmp FILE ERROR: Incorrect id\n",
                      bad = "FATAL ERROR: BMP FILE ERROR: ",
                      fits = "' is cut short: its 4 x 4 pixels do not fit the file\n",
                      size = "' is ", most = " pixels; a height map may be at most 8192 x 8192\n";
    // Texts from "(" on follow the file's "opened" line.
    const std::tuple<const char*, Bytes, std::string> cases[] = {
        {"ba.bmp", Patched(good, 1, 'A', 1), id},
        {"missing.bmp", {}, "Unable to open file (" + dir.File("missing.bmp") + ")" + id},
        // Sizes that do not fit the file are refused before any allocation.
        {"truncated.bmp", Bytes(good.begin(), good.end() - 1), "(4,4,24)\n" + fits},
        {"negative.bmp", Patched(good, 18, 0xFFFFFFFF), "(-1,4,24)\n" + size + "-1 x 4" + most},
        {"wide.bmp", Patched(good, 18, 8193), "(8193,4,24)\n" + size + "8193 x 4" + most},
        {"tall.bmp", Patched(good, 22, 0x80000000),
         "(4,-2147483648,24)\n" + size + "4 x -2147483648" + most}};
    for (auto [name, bytes, text] : cases) {
        const std::string path = dir.File(name);
        const size_t quote = text.find('\'');
        if (quote != std::string::npos) // the message names the file
            text.replace(quote, 0, bad + "'" + path);
        if (name != std::string("missing.bmp"))
            WriteBinaryFile(path, bytes);
        EXPECT_EQ(LogOfFatal([&] { BmpReader().Load(path.c_str()); }),
                  (text[0] == '(' ? "BMP File '" + path + "' opened " : "") + text);
    }
}

// Every layout of the writer decodes back, bottom row first.
TEST(DibImage, EveryLayoutRoundTrips) {
    std::vector<uint32_t> many(256), sixteen(16);
    for (uint32_t i = 0; i < 256; ++i)
        many[i] = i << 16 | ((i * 37) & 255) << 8 | (255 - i);
    std::copy_n(many.begin(), 16, sixteen.begin());
    // Channels that 5 and 6 bits hold exactly (top bits repeated below).
    const std::vector<uint32_t> exact16 = {0xFFFFFF, 0x000000, 0x08E718, 0xF710EF, 0x18FF00};
    // Bits per pixel, compression, 12-byte header, "BM" file header, masks.
    const auto L = [](int bpp, uint32_t compression = 0, bool core = false, bool file = true) {
        return BmpLayout{bpp, compression, core, file, false, {}};
    };
    // The colours: empty for any colour; for 8 bits and less the palette.
    // clang-format off
    const std::pair<BmpLayout, std::vector<uint32_t>> cases[] = {
        {L(24), {}}, {L(32), {}}, {L(16), exact16}, {L(16, 3), exact16},
        {{32, 3, false, true, false, {}, {0xFF000000, 0xFF0000, 0xFF00}}, {}},
        {L(8), many}, {L(4), sixteen}, {L(1), {0x102030, 0xF0E0D0}}, {L(8, 1), many},
        {L(4, 2), sixteen}, {L(8, 0, true), many}, {L(24, 0, true), {}},
        {L(4, 0, false, false), sixteen}};
    // clang-format on
    for (const auto& c : cases)
        for (bool topDown : {false, true})
            for (int width : {1, 3, 4, 5, 9, 17}) {
                BmpLayout layout = c.first;
                layout.topDown = topDown;
                layout.palette = layout.bitsPerPixel <= 8 ? c.second : layout.palette;
                const Bytes file = EncodeBmp(width, 3, Picture(width, 3, c.second), layout);
                EXPECT_EQ(Decode(file), std::tuple(Picture(width, 3, c.second, true), width, ""))
                    << "case " << &c - cases << " width " << width << " top-down " << topDown;
                if (layout.compression % 3 != 0) { // run-length: ends with the end-of-picture code
                    EXPECT_EQ(Bytes(file.end() - 2, file.end()), Bytes({0, 1}));
                }
            }
}

// Hand-made files decode byte for byte; damaged ones are refused with their message.
TEST(DibFixture, HandMadeFiles) {
    const Bytes table = Px({c0, c1, c2, c3}, 4);
    const std::pair<Bytes, Bytes> cases[] = {
        // RLE8: 3 of colour 1; literal 2 3 2 (+pad); end of line; 9 of colour 3, cut at the row's
        // end, so the delta (2 right, 1 up) starts at x = 6 and lands past the next row; 2 of
        // colour 0; end of picture; a run after the end, ignored. Skipped pixels stay black.
        {Dib40(6, 3, 8, 1, 4, table,
               {3, 1, 0, 3, 2, 3, 2, 0, 0, 0, 9, 3, 0, 2, 2, 1, 2, 0, 0, 1, 5, 2}),
         Px({c1, c1, c1, c2, c3, c2, c3, c3, c3, c3, c3, c3, K, K, K, K, K, K})},
        // Codes that run past the file are cut, not read beyond it.
        {Dib40(4, 1, 8, 1, 4, table, {0x02, 0x01, 0x00, 0x09, 1, 1}), Px({c1, c1, K, K})},
        // RLE4: 1 2 1 2 1; literal 3 0 1 (the 1 beyond width 7); end of line; delta 3 right; 2 3;
        // literal 0 1 2 3 0 (3 bytes and a pad), cut at 7; end.
        {Dib40(7, 2, 4, 2, 4, table, {0x05, 0x12, 0,    3, 0x30, 0x10, 0,    0, 0, 2, 3,
                                      0,    0x02, 0x23, 0, 5,    1,    0x23, 0, 0, 0, 1}),
         Px({c1, c2, c1, c2, c1, c3, c0, K, K, K, c2, c3, c0, c1})},
        // 24 bits, width 3: 3 pad bytes a row; the first pixel is bottom left, as blue, green, red.
        {Dib40(3, 2, 24, 0, 0, {}, {1,  2,  3,  4,  5,  6,  7,  8,  9,  0xEE, 0xEE, 0xEE,
                                    10, 11, 12, 13, 14, 15, 16, 17, 18, 0xEE, 0xEE, 0xEE}),
         {3, 2, 1, 6, 5, 4, 9, 8, 7, 12, 11, 10, 15, 14, 13, 18, 17, 16}},
        // Bit fields 10-10-10 keep the top 8 bits of each channel.
        {Dib40(2, 1, 32, 3, 0, Words({0x3FF00000, 0xFFC00, 0x3FF}), Words({0x3FF00001, 0x200FFD55}),
               false),
         {255, 0, 0, 0x80, 0xFF, 0x55}},
        // 8 bits with three colours in use: an index past them stays black.
        {Dib40(5, 1, 8, 0, 3, Px({c0, c1, c2}, 4), {2, 1, 0, 5, 255, 0, 0, 0}),
         Px({c2, c1, c0, K, K})},
        // 4 bits, 12-byte header, 3-byte palette, no "BM": the bits follow the table directly.
        {Words({12, 3 | 1 << 16, 1 | 4 << 16}) +
             Px({c0, c1, c2, c3, c0, c0, c0, c0, c0, c0, c0, c0, c0, c0, c0, c1}, 3) +
             Bytes{0x3F, 0x20, 0, 0},
         Px({c3, c1, c2})}};
    for (size_t i = 0; i < std::size(cases); ++i)
        EXPECT_EQ(std::get<0>(Decode(cases[i].first)), cases[i].second) << "case " << i;

    const Bytes good = Dib40(2, 2, 24, 0, 0, {}, Bytes(16, 7));
    const Bytes paletted = Dib40(2, 2, 8, 0, 2, Px({c0, c1}, 4), Bytes(8, 1));
    ASSERT_EQ(Decode(good), std::tuple(Bytes(12, 7), 2, ""));
    ASSERT_EQ(Decode(paletted), std::tuple(Px({c1, c1, c1, c1}), 2, ""));
    const std::string unknown = "Unknown DIB file format.",
                      conversion = "Image file conversion error.", memory = "Out of memory.";
    const std::tuple<const char*, Bytes, std::string> refused[] = {
        {"124-byte header", Patched(good, 14, 124), unknown},
        {"no header size", Bytes{'B', 'M', 1, 2, 3}, unknown},
        {"header cut short", Bytes(good.begin(), good.begin() + 40), conversion},
        {"pixels cut short", Bytes(good.begin(), good.end() - 1), conversion},
        {"pixel offset past the end", Patched(good, 10, 0xFFFFFF00), conversion},
        {"huge height", Patched(good, 22, 0x80000000), memory},
        {"huge area", Patched(Patched(good, 18, 30000), 22, 30000), memory},
        {"zero width", Patched(good, 18, 0), memory},
        {"palette count beyond the file", Patched(paletted, 46, 0xFFFF), conversion},
        {"unknown compression", Patched(good, 30, 4), conversion},
        {"7 bits", Dib40(2, 2, 7, 0, 0, {}, Bytes(16)), conversion},
        {"run-length top-down", Dib40(2, -2, 8, 1, 2, Px({c0, c1}, 4), {0, 1}), conversion},
        {"bit fields without masks", Dib40(1, 1, 16, 3, 0, {}, {}, false), conversion}};
    for (const auto& [what, file, message] : refused)
        EXPECT_EQ(Decode(file), std::tuple(Bytes(), 0, "Error|" + message + "\n")) << what;
}

// Loads in slot order, finds by exact name and uploads each picture at its own size.
TEST(TextureManager, SlotsNamesSizes) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    TempDir dir(true);
    ASSERT_EQ(std::system("'" ZEZIVOZE_BINARY_DIR "/zezivoze-data' generate . >/dev/null"), 0);
    // A 24-bit file, which OpenGL should hold bottom row first; an odd-width tile, rows packed.
    const Bytes odd = Picture(3, 2);
    ASSERT_TRUE(WriteBinaryFile("water.bmp", EncodeBmp24(8, 4, Picture(8, 4))));

    TextureManager manager;
    LoadTextureTable(manager); // which leaves room for the terrain's tiles
    const int n = kTextureTableSize;
    glPixelStorei(GL_UNPACK_ALIGNMENT, 2);
    EXPECT_EQ(manager.LoadFromFile("water.bmp"), n);
    EXPECT_EQ(manager.LoadFromMemory("0", odd.data(), 3, 2), n + 1);
    EXPECT_EQ(manager.LoadFromFile("water.bmp"), n + 2);
    GLint unpack = 0; // the caller's alignment is left as it was
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &unpack);
    EXPECT_EQ(std::tuple(glGetError(), unpack), std::tuple(GLenum(GL_NO_ERROR), 2));
    // The first of two; names match exactly.
    EXPECT_EQ(std::tuple(manager.FindByName("water.bmp"), manager.FindByName("0"),
                         manager.FindByName("Water.bmp"), manager.FindByName("water.bm")),
              std::tuple(n, n + 1, -1, -1));

    // Each slot is its own texture at the picture's size, linear, repeated, bottom row first.
    // Nothing is bound for a failed look-up or a slot not used yet.
    glPixelStorei(GL_PACK_ALIGNMENT, 1);
    for (int slot = n; slot < n + 3; ++slot) {
        manager.Bind(slot);
        for (int bad : {-1, n + 3, 256, 1000})
            manager.Bind(bad);
        std::vector<GLint> bound(6, -1);
        glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound[0]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &bound[1]);
        glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &bound[2]);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &bound[3]);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &bound[4]);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &bound[5]);
        EXPECT_EQ(bound,
                  (std::vector<GLint>{GLint(manager.ids[slot]), slot == n + 1 ? 3 : 8,
                                      slot == n + 1 ? 2 : 4, GL_LINEAR, GL_LINEAR, GL_REPEAT}))
            << slot;
        std::vector<uint8_t> got(size_t(bound[1]) * bound[2] * 3);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, got.data());
        EXPECT_EQ(got, slot == n + 1 ? odd : Picture(8, 4, {}, true)) << slot;
    }
}

// A file after one picture in a table of one, or one that is no picture, ends the program.
TEST(TextureManagerDeathTest, FatalLoads) { // a missing file: Play.MissingTextureIsFatal
    const std::string file = ZEZIVOZE_SOURCE_DIR "/CMakeLists.txt";
    for (int capacity : {1, 2}) {
        const auto load = [&] {
            TextureManager manager;
            manager.Create(capacity);
            manager.LoadFromMemory("0", nullptr, 1, 1);
            manager.LoadFromFile(file.c_str());
        };
        EXPECT_EQ(LogOfFatal(load, true),
                  "Texture '0' loaded\nFATAL ERROR: " +
                      (capacity == 1 ? "Unable to allocate more textures, texture limit reached"
                                     : "Unable to load texture '" + file + "'"));
    }
}
