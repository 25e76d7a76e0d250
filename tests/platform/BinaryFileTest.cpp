#include "platform/BinaryFile.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(BinaryFile, IntegersAreLittleEndianBothWays) {
    TempDir dir;
    const std::string path = dir.File("ints.bin");
    WriteFileBytes(path, {0x34, 0x12, 0x78, 0x56, 0x34, 0x12});
    BinaryFile in;
    in.Open(path.c_str(), "rb");
    ASSERT_NE(in.stream, nullptr);
    uint16_t shortValue = 0;
    uint32_t longValue = 0;
    in.ReadInt16s(1, &shortValue);
    in.ReadInt32s(1, &longValue);
    EXPECT_EQ(shortValue, 0x1234);
    EXPECT_EQ(longValue, 0x12345678u);
    in.Close();

    const int32_t values[3] = {-2, 0x0A0B0C0D, 0x40490FDB};
    {
        BinaryFile out;
        out.Open(path.c_str(), "wb");
        out.WriteInt32s(3, values);
        out.WriteInt32s(0, values);  // writes nothing
        out.WriteInt32s(-5, values); // writes nothing
    }                                // closed by the destructor
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0x0D, 0x0C, 0x0B,
                                                         0x0A, 0xDB, 0x0F, 0x49, 0x40}));
}

TEST(BinaryFile, ReadsPastTheEndOrOnAFileThatFailedToOpenGiveFFBytes) {
    LogCapture log;
    TempDir dir;
    const std::string path = dir.File("short.bin");
    WriteFileBytes(path, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06});
    BinaryFile in;
    in.Open(path.c_str(), "rb");
    in.Seek(4, 0);
    uint32_t value[2] = {};
    in.ReadInt32s(2, value);
    EXPECT_EQ(value[0], 0xFFFF0605u);
    EXPECT_EQ(value[1], 0xFFFFFFFFu);
    in.Seek(-2, 2);
    uint16_t last = 0;
    in.ReadInt16s(1, &last);
    EXPECT_EQ(last, 0x0605);
    in.ReadInt32s(0, value); // reads nothing
    in.ReadInt32s(-1, value);
    EXPECT_EQ(value[0], 0xFFFF0605u);
    in.Seek(0, 0);
    uint8_t block[8] = {};
    EXPECT_EQ(in.ReadBlock(4, block), 1);
    EXPECT_EQ(block[3], 0x04);
    EXPECT_EQ(in.ReadBlock(4, block), 0); // only two bytes were left
    in.Close();
    in.Close(); // idempotent

    // A missing file is logged once and left closed; nothing reads or writes it.
    const std::string missing = dir.File("no-such-file.bmp");
    BinaryFile closed;
    closed.Open(missing.c_str(), "rb");
    EXPECT_EQ(closed.stream, nullptr);
    closed.ReadInt32s(1, value);
    EXPECT_EQ(value[0], 0xFFFFFFFFu);
    EXPECT_EQ(closed.ReadBlock(2, block), 0);
    EXPECT_EQ(closed.WriteBlock(2, block), 0);
    closed.Seek(3, 0);
    closed.WriteString("nothing");
    closed.Close();
    const std::string text = log.Finish();
    const std::string line = "Unable to open file (" + missing + ")";
    EXPECT_TRUE(text.ends_with(line + "Log file closed\n")) << text;
    EXPECT_EQ(text.find(line), text.rfind(line));
}
