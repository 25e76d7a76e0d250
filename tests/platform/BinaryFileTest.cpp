#include "platform/BinaryFile.h"
#include "support/TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

TEST(BinaryFile, IntegersAreLittleEndianBothWays) {
    TempDir dir;
    const std::string path = dir.File("ints.bin");
    WriteFileBytes(path, {0x34, 0x12, 0x78, 0x56, 0x34, 0x12});

    BinaryFile in;
    in.Open(path.c_str(), "rb");
    ASSERT_NE(in.stream, nullptr);
    uint16_t shortValue = 0;
    in.ReadInt16s(1, &shortValue);
    EXPECT_EQ(shortValue, 0x1234);
    uint32_t longValue = 0;
    in.ReadInt32s(1, &longValue);
    EXPECT_EQ(longValue, 0x12345678u);
    in.Close();

    const float pi = 3.14159265f;
    int32_t values[3] = {-2, 0x0A0B0C0D, 0};
    std::memcpy(&values[2], &pi, 4);
    {
        BinaryFile out;
        out.Open(path.c_str(), "wb");
        out.WriteInt32s(3, values);
        out.WriteInt32s(0, values);  // writes nothing
        out.WriteInt32s(-5, values); // writes nothing
    }
    std::vector<uint8_t> bytes = ReadFileBytes(path);
    ASSERT_EQ(bytes.size(), 12u);
    EXPECT_EQ(bytes[0], 0xFE);
    EXPECT_EQ(bytes[3], 0xFF);
    EXPECT_EQ(bytes[4], 0x0D);
    EXPECT_EQ(bytes[7], 0x0A);

    BinaryFile back;
    back.Open(path.c_str(), "rb");
    int32_t read[3] = {};
    back.ReadInt32s(3, read);
    EXPECT_EQ(read[0], -2);
    EXPECT_EQ(read[1], 0x0A0B0C0D);
    float piBack;
    std::memcpy(&piBack, &read[2], 4);
    EXPECT_EQ(piBack, pi); // bit for bit
}

TEST(BinaryFile, ReadsPastTheEndOrOnAClosedFileGiveFFBytes) {
    TempDir dir;
    const std::string path = dir.File("short.bin");
    WriteFileBytes(path, {0x01, 0x02, 0x03, 0x04, 0x05, 0x06});

    BinaryFile in;
    in.Open(path.c_str(), "rb");
    in.Seek(4, 0);
    uint32_t value = 0;
    in.ReadInt32s(1, &value);
    EXPECT_EQ(value, 0xFFFF0605u);
    in.ReadInt32s(1, &value);
    EXPECT_EQ(value, 0xFFFFFFFFu);

    in.Seek(-2, 2);
    uint16_t last = 0;
    in.ReadInt16s(1, &last);
    EXPECT_EQ(last, 0x0605);

    uint32_t untouched[2] = {7, 7};
    in.ReadInt32s(0, untouched);
    in.ReadInt32s(-1, untouched);
    EXPECT_EQ(untouched[0], 7u);

    in.Seek(0, 0);
    uint8_t block[8] = {};
    EXPECT_EQ(in.ReadBlock(4, block), 1);
    EXPECT_EQ(block[3], 0x04);
    EXPECT_EQ(in.ReadBlock(4, block), 0); // only two bytes were left
    in.Close();
    in.Close(); // idempotent

    BinaryFile closed;
    uint32_t id = 0;
    closed.ReadInt32s(1, &id);
    EXPECT_EQ(id, 0xFFFFFFFFu);
    EXPECT_EQ(closed.ReadBlock(2, block), 0);
    EXPECT_EQ(closed.WriteBlock(2, block), 0);
    closed.Seek(3, 0);
    closed.WriteString("nothing");
}

TEST(BinaryFile, AMissingFileIsLoggedOnceAndLeftClosed) {
    LogCapture log;
    TempDir dir;
    const std::string missing = dir.File("no-such-file.bmp");
    BinaryFile file;
    file.Open(missing.c_str(), "rb");
    EXPECT_EQ(file.stream, nullptr);
    file.Close();
    std::string text = log.Finish();
    const std::string line = "Unable to open file (" + missing + ")";
    EXPECT_NE(text.find(line + "Log file closed\n"), std::string::npos) << text;
    EXPECT_EQ(text.find(line), text.rfind(line));
}
