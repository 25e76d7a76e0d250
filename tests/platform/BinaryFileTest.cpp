#include "platform/BinaryFile.h"
#include "support/TestSupport.h"

TEST(BinaryFile, LittleEndianAndFFPastTheEnd) {
    TempDir dir;
    const std::string path = dir.File("ints.bin");
    const int32_t values[2] = {-2, 0x0A0B0C0D};
    {
        BinaryFile out;
        out.Open(path.c_str(), "wb");
        out.WriteInt32s(2, values);
    } // closed by the destructor
    EXPECT_EQ(ReadFileBytes(path),
              (std::vector<uint8_t>{0xFE, 0xFF, 0xFF, 0xFF, 0x0D, 0x0C, 0x0B, 0x0A}));
    BinaryFile in, closed;
    in.Open(path.c_str(), "rb");
    closed.Open(dir.File("no-such-file").c_str(), "rb"); // left closed
    uint16_t shorts[2] = {};
    uint32_t longs[4] = {};
    uint8_t block[4] = {};
    in.ReadInt16s(1, shorts);
    in.ReadInt32s(1, longs);
    in.Seek(-2, 2);
    in.ReadInt16s(1, shorts + 1);
    in.Seek(6, 0);
    in.ReadInt32s(2, longs + 1);
    closed.ReadInt32s(1, longs + 3);
    EXPECT_EQ(
        (std::vector<uint32_t>{shorts[0], shorts[1], longs[0], longs[1], longs[2], longs[3]}),
        (std::vector<uint32_t>{0xFFFE, 0x0A0B, 0x0C0DFFFF, 0xFFFF0A0B, 0xFFFFFFFF, 0xFFFFFFFF}));
    in.Seek(4, 0); // 3 bytes whole, then 2 with 1 left; an unopened file reads and writes nothing
    const int whole = in.ReadBlock(3, block), third = block[2], cut = in.ReadBlock(2, block);
    EXPECT_EQ(
        std::tuple(whole, third, cut, closed.ReadBlock(2, block), closed.WriteBlock(2, block)),
        std::tuple(1, 0x0B, 0, 0, 0));
}
