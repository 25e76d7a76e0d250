#include "image/BmpReader.h"
#include "ImageTestSupport.h"
#include "image/BmpWriter.h"

#include <gtest/gtest.h>

namespace {
void Patch32(std::vector<uint8_t>& bytes, size_t at, uint32_t value) {
    for (int i = 0; i < 4; ++i)
        bytes[at + i] = static_cast<uint8_t>(value >> (8 * i));
}

// What the reader should hold for a top-row-first RGB picture: blue, green, red.
std::vector<uint8_t> Bgr(const std::vector<uint8_t>& rgb) {
    std::vector<uint8_t> out(rgb);
    for (size_t i = 0; i < out.size(); i += 3)
        std::swap(out[i], out[i + 2]);
    return out;
}
} // namespace

TEST(BmpReader, ReadsPaddedRowsTopRowFirstInFileByteOrder) {
    TempDir dir;
    LogCapture log;
    for (int width : {3, 4, 5}) {
        for (int height : {0, 1, 2, 3}) {
            const std::string path = dir.File("p.bmp");
            std::vector<uint8_t> rgb = TestPicture(width, height);
            std::vector<uint8_t> bytes = EncodeBmp24(width, height, rgb);
            Patch32(bytes, 34, 0); // a legal zero image size: computed instead
            ASSERT_TRUE(WriteBinaryFile(path, bytes));
            BmpReader reader;
            reader.Load(path.c_str());
            ASSERT_EQ(reader.width, width);
            ASSERT_EQ(reader.height, height);
            ASSERT_NE(reader.pixels, nullptr);
            std::vector<uint8_t> got(reader.pixels, reader.pixels + width * height * 3);
            EXPECT_EQ(got, Bgr(rgb)) << width << " x " << height;
            EXPECT_EQ(reader.imageSize, static_cast<uint32_t>((width * 3 + 3) / 4 * 4 * height));
        }
    }
    const std::string text = log.Finish();
    EXPECT_NE(text.find("BMP File '" + dir.File("p.bmp") + "' opened (3,0,24)\n"),
              std::string::npos);
    EXPECT_NE(text.find("' opened (5,2,24)\nBMP File '"), std::string::npos);
    EXPECT_NE(text.find("' opened (5,3,24)\nLog file closed\n"), std::string::npos);
}

TEST(BmpReader, TopDownAndHeightMapFilesComeBackTheSameWay) {
    TempDir dir;
    LogCapture log;
    const int width = 6, height = 5;
    std::vector<uint8_t> rgb = TestPicture(width, height);
    BmpLayout topDown;
    topDown.topDown = true;
    ASSERT_TRUE(WriteBinaryFile(dir.File("t.bmp"), EncodeBmp(width, height, rgb, topDown)));
    BmpReader reader;
    reader.Load(dir.File("t.bmp").c_str());
    EXPECT_EQ(reader.width, width);
    EXPECT_EQ(reader.height, height);
    EXPECT_EQ(std::vector<uint8_t>(reader.pixels, reader.pixels + rgb.size()), Bgr(rgb));
    EXPECT_NE(log.Contents().find("opened (6,-5,24)\n"), std::string::npos);

    std::vector<uint8_t> heights = {0, 10, 20, 30, 100, 110, 120, 130, 200, 210, 220, 255};
    ASSERT_TRUE(WriteBinaryFile(dir.File("h.bmp"), EncodeHeightMapBmp(4, 3, heights)));
    BmpReader map;
    map.Load(dir.File("h.bmp").c_str());
    ASSERT_EQ(map.width, 4);
    for (size_t i = 0; i < heights.size(); ++i)
        EXPECT_EQ(map.pixels[i * 3], heights[i]) << i; // the blue byte, top row first
}

TEST(BmpReaderDeathTest, RefusesWhatItCannotRead) {
    TempDir dir;
    const std::string good = dir.File("good.bmp");
    std::vector<uint8_t> bytes = EncodeBmp24(4, 4, TestPicture(4, 4));
    WriteBinaryFile(good, bytes);

    auto withBytes = [&](const std::string& name, std::vector<uint8_t> changed) {
        WriteBinaryFile(dir.File(name), changed);
        return dir.File(name);
    };
    std::vector<uint8_t> ba = bytes, xm = bytes;
    ba[1] = 'A';
    xm[0] = 'X';
    for (const std::string& path : {withBytes("ba.bmp", ba), withBytes("xm.bmp", xm),
                                    dir.File("missing.bmp"), withBytes("empty.bmp", {})}) {
        std::string text = LogOfFatal([&] { BmpReader().Load(path.c_str()); });
        EXPECT_NE(text.find("FATAL ERROR: m_bmp FILE ERROR: Incorrect id\n"), std::string::npos)
            << path << "\n"
            << text;
        EXPECT_EQ(text.find("opened ("), std::string::npos);
    }
    EXPECT_NE(LogOfFatal([&] {
                  BmpReader().Load(dir.File("missing.bmp").c_str());
              }).find("Unable to open file (" + dir.File("missing.bmp") + ")FATAL ERROR: "),
              std::string::npos);

    BmpLayout eight;
    eight.bitsPerPixel = 8;
    eight.palette = {0x000000, 0xFFFFFF};
    const std::string eightBit = withBytes("8.bmp", EncodeBmp(4, 4, TestPicture(4, 4), eight));
    EXPECT_NE(LogOfFatal([&] { BmpReader().Load(eightBit.c_str()); })
                  .find("BMP File '" + eightBit +
                        "' opened (4,4,8)\nFATAL ERROR: BMP FILE ERROR: Not 24 bpp, 8 instead\n"),
              std::string::npos);

    // Sizes and offsets that do not fit the file are refused before any allocation.
    std::vector<uint8_t> truncated(bytes.begin(), bytes.end() - 1);
    std::vector<uint8_t> huge = bytes, negative = bytes, farOffset = bytes, tall = bytes;
    Patch32(huge, 18, 0x7FFFFFFF);
    Patch32(negative, 18, 0xFFFFFFFF);
    Patch32(farOffset, 10, 0xFFFFFFF0);
    Patch32(tall, 22, 0x80000000);
    for (const std::string& path :
         {withBytes("truncated.bmp", truncated), withBytes("huge.bmp", huge),
          withBytes("negative.bmp", negative), withBytes("offset.bmp", farOffset),
          withBytes("tall.bmp", tall)}) {
        std::string text = LogOfFatal([&] { BmpReader().Load(path.c_str()); });
        EXPECT_NE(text.find("FATAL ERROR: BMP FILE ERROR: "), std::string::npos) << path << "\n"
                                                                                 << text;
    }
}
