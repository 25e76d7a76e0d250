#include "image/BmpReader.h"

#include "platform/BinaryFile.h"
#include "platform/ErrorLog.h"

#include <cstdlib>
#include <cstring>

namespace {
// The largest height map played; also keeps a damaged header from asking for gigabytes.
constexpr int64_t kMaxSide = 8192;

int64_t FileLength(std::FILE* stream) {
    if (stream == nullptr)
        return 0;
    long here = std::ftell(stream);
    std::fseek(stream, 0, SEEK_END);
    long length = std::ftell(stream);
    std::fseek(stream, here, SEEK_SET);
    return length < 0 ? 0 : length;
}
} // namespace

BmpReader::BmpReader()
    : width(-1), height(-1), pixels(nullptr), file(nullptr), id{0, 0}, fileSize(0), reserved(0),
      dataOffset(0), infoSize(0), headerWidth(0), headerHeight(0), planes(0), bitsPerPixel(0),
      compression(0), imageSize(0), xPixelsPerMetre(0), yPixelsPerMetre(0), coloursUsed(0) {}

BmpReader::~BmpReader() {
    delete file;
    delete[] pixels;
}

void BmpReader::Load(const char* fileName) {
    delete file;
    delete[] pixels;
    pixels = nullptr;
    file = new BinaryFile;
    file->Open(fileName, "rb");

    // A file that could not be opened reads nothing here and so fails the id check.
    id[0] = id[1] = 0;
    file->ReadBlock(2, id);
    file->ReadInt32s(1, &fileSize);
    file->ReadInt32s(1, &reserved);
    file->ReadInt32s(1, &dataOffset);
    file->ReadInt32s(1, &infoSize);
    if (id[0] != 'B' || id[1] != 'M') {
        errorLog.Fatal("m_bmp FILE ERROR: Incorrect id\n");
        return;
    }
    file->ReadInt32s(1, &headerWidth);
    file->ReadInt32s(1, &headerHeight);
    file->ReadInt16s(1, &planes);
    file->ReadInt16s(1, &bitsPerPixel);
    file->ReadInt32s(1, &compression);
    file->ReadInt32s(1, &imageSize);
    file->ReadInt32s(1, &xPixelsPerMetre);
    file->ReadInt32s(1, &yPixelsPerMetre);
    file->ReadInt32s(1, &coloursUsed);
    width = static_cast<int32_t>(headerWidth);
    height = static_cast<int32_t>(headerHeight);

    errorLog.Write("BMP File '%s' opened (%i,%i,%i)\n", fileName, width, height, bitsPerPixel);
    file->Seek(static_cast<int32_t>(dataOffset), SEEK_SET);
    if (bitsPerPixel != 24) {
        errorLog.Fatal("BMP FILE ERROR: Not 24 bpp, %i instead\n", bitsPerPixel);
        return;
    }

    // A negative height marks rows stored top-down: they are read in place.
    const bool topDown = height < 0;
    const int64_t rows = topDown ? -static_cast<int64_t>(height) : height;
    const int64_t rowBytes = static_cast<int64_t>(width) * 3;
    const int64_t stride = (rowBytes + 3) & ~int64_t{3};
    if (width < 0 || width > kMaxSide || rows > kMaxSide) {
        errorLog.Fatal("BMP FILE ERROR: '%s' is %i x %i pixels; a height map may be at most "
                       "8192 x 8192\n",
                       fileName, width, height);
        return;
    }
    // Rows are padded to 4 bytes in the file; the size field may be 0 or wrong.
    // A file may stop right after its last pixel, without the last row's padding.
    const int64_t stored = rows > 0 ? stride * (rows - 1) + rowBytes : 0;
    if (static_cast<int64_t>(dataOffset) + stored > FileLength(file->stream)) {
        errorLog.Fatal("BMP FILE ERROR: '%s' is cut short: its %i x %i pixels do not fit the "
                       "file\n",
                       fileName, width, height);
        return;
    }
    height = static_cast<int32_t>(rows);

    // Stored packed, first row in memory = top row of the picture; imageSize
    // becomes the size of that block, so that no reader of it goes past its end.
    imageSize = static_cast<uint32_t>(rowBytes * rows);
    pixels = new uint8_t[imageSize]();
    for (int64_t r = 0; r < rows; ++r) {
        int64_t target = topDown ? r : rows - 1 - r;
        if (rowBytes > 0)
            file->ReadBlock(static_cast<uint32_t>(rowBytes), pixels + target * rowBytes);
        if (stride > rowBytes && r + 1 < rows)
            file->Seek(static_cast<int32_t>(stride - rowBytes), SEEK_CUR);
    }
    file->Close();
}
