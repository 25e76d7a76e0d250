#include "platform/BinaryFile.h"
#include "support/TestSupport.h"

// Written and read back little-endian; reads past the end give FF bytes.
TEST(BinaryFile, IntegersAreLittleEndianBothWaysAndReadFFPastTheEndOrWhenNotOpen) {
    TempDir dir;
    const std::string path = dir.File("ints.bin");
    const int32_t values[3] = {-2, 0x0A0B0C0D, 0x40490FDB};
    {
        BinaryFile out;
        out.Open(path.c_str(), "wb");
        out.WriteInt32s(3, values);
        out.WriteInt32s(-5, values); // writes nothing
    }                                // closed by the destructor
    EXPECT_EQ(ReadFileBytes(path), (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0x0D, 0x0C, 0x0B,
                                                         0x0A, 0xDB, 0x0F, 0x49, 0x40}));
    BinaryFile in;
    in.Open(path.c_str(), "rb");
    uint16_t shorts[2] = {};
    uint32_t longs[3] = {};
    uint8_t block[8] = {};
    in.ReadInt16s(1, shorts);
    in.ReadInt32s(1, longs);
    in.Seek(10, 0);
    in.ReadInt32s(2, longs + 1);
    in.Seek(-2, 2);
    in.ReadInt16s(1, shorts + 1);
    in.ReadInt32s(-1, longs); // reads nothing
    EXPECT_EQ((std::vector<uint32_t>{shorts[0], shorts[1], longs[0], longs[1], longs[2]}),
              (std::vector<uint32_t>{0xFFFE, 0x4049, 0x0C0DFFFF, 0xFFFF4049, 0xFFFFFFFF}));
    in.Seek(8, 0);
    // Three bytes whole, then four of which only one is left.
    EXPECT_TRUE(in.ReadBlock(3, block) == 1 && block[2] == 0x49 && in.ReadBlock(4, block) == 0);
    in.Close();
    in.Close(); // idempotent

    // A missing file is logged once and left closed; nothing reads or writes it.
    LogCapture log;
    const std::string missing = dir.File("no-such-file.bmp");
    BinaryFile closed;
    closed.Open(missing.c_str(), "rb");
    closed.ReadInt32s(1, longs);
    EXPECT_TRUE(closed.stream == nullptr && longs[0] == 0xFFFFFFFFu);
    EXPECT_TRUE(closed.ReadBlock(2, block) == 0 && closed.WriteBlock(2, block) == 0);
    closed.Seek(3, 0);
    closed.WriteString("nothing");
    closed.Close();
    const std::string text = log.Finish(), line = "Unable to open file (" + missing + ")";
    EXPECT_TRUE(text.ends_with(line + "Log file closed\n") && text.find(line) == text.rfind(line))
        << text;
}
