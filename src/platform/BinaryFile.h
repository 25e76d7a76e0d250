#pragma once

#include <cstdint>
#include <cstdio>

// One buffered file stream with little-endian, byte-by-byte integer access.
// Reads at or past the end, or on a file that is not open, give 0xFF bytes.
class BinaryFile {
  public:
    BinaryFile();
    ~BinaryFile();
    BinaryFile(const BinaryFile&) = delete;
    BinaryFile& operator=(const BinaryFile&) = delete;

    void Open(const char* fileName, const char* mode);
    void Close();
    void Seek(int32_t offset, int origin);
    int32_t ReadBlock(uint32_t size, void* buffer);
    int32_t WriteBlock(uint32_t size, const void* buffer);
    void ReadInt16s(int32_t count, uint16_t* values);
    void ReadInt16s(int32_t count, int16_t* values);
    void ReadInt32s(int32_t count, uint32_t* values);
    void ReadInt32s(int32_t count, int32_t* values);
    void WriteInt32s(int32_t count, const uint32_t* values);
    void WriteInt32s(int32_t count, const int32_t* values);
    void WriteString(const char* text);

    std::FILE* stream;

  private:
    unsigned ReadByte();
    void WriteByte(unsigned value);
};
