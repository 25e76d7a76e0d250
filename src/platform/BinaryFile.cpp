#include "platform/BinaryFile.h"

#include "platform/ErrorLog.h"

BinaryFile::BinaryFile() : stream(nullptr) {}

BinaryFile::~BinaryFile() {
    Close();
}

void BinaryFile::Open(const char* fileName, const char* mode) {
    stream = std::fopen(fileName, mode);
    if (stream == nullptr)
        errorLog.Write("Unable to open file (%s)", fileName);
}

void BinaryFile::Close() {
    if (stream != nullptr)
        std::fclose(stream);
    stream = nullptr;
}

void BinaryFile::Seek(int32_t offset, int origin) {
    if (stream != nullptr)
        std::fseek(stream, offset, origin);
}

int32_t BinaryFile::ReadBlock(uint32_t size, void* buffer) {
    if (stream == nullptr)
        return 0;
    return static_cast<int32_t>(std::fread(buffer, size, 1, stream));
}

int32_t BinaryFile::WriteBlock(uint32_t size, const void* buffer) {
    if (stream == nullptr)
        return 0;
    return static_cast<int32_t>(std::fwrite(buffer, size, 1, stream));
}

// EOF's low byte is 0xFF, so a value read past the end has every bit set.
unsigned BinaryFile::ReadByte() {
    if (stream == nullptr)
        return 0xFF;
    return static_cast<unsigned>(std::getc(stream)) & 0xFF;
}

void BinaryFile::WriteByte(unsigned value) {
    if (stream != nullptr)
        std::putc(static_cast<int>(value & 0xFF), stream);
}

void BinaryFile::ReadInt16s(int32_t count, uint16_t* values) {
    for (int32_t i = 0; i < count; ++i) {
        unsigned b0 = ReadByte();
        unsigned b1 = ReadByte();
        values[i] = static_cast<uint16_t>(b0 | (b1 << 8));
    }
}

void BinaryFile::ReadInt16s(int32_t count, int16_t* values) {
    ReadInt16s(count, reinterpret_cast<uint16_t*>(values));
}

void BinaryFile::ReadInt32s(int32_t count, uint32_t* values) {
    for (int32_t i = 0; i < count; ++i) {
        uint32_t value = 0;
        for (int shift = 0; shift < 32; shift += 8)
            value |= static_cast<uint32_t>(ReadByte()) << shift;
        values[i] = value;
    }
}

void BinaryFile::ReadInt32s(int32_t count, int32_t* values) {
    ReadInt32s(count, reinterpret_cast<uint32_t*>(values));
}

void BinaryFile::WriteInt32s(int32_t count, const uint32_t* values) {
    for (int32_t i = 0; i < count; ++i)
        for (int shift = 0; shift < 32; shift += 8)
            WriteByte(values[i] >> shift);
}

void BinaryFile::WriteInt32s(int32_t count, const int32_t* values) {
    WriteInt32s(count, reinterpret_cast<const uint32_t*>(values));
}

void BinaryFile::WriteString(const char* text) {
    if (stream != nullptr && text != nullptr)
        std::fputs(text, stream);
}
