#include "model/SectionFile.h"

#include "platform/BinaryFile.h"
#include "platform/ErrorLog.h"

#include <cstdarg>
#include <cstdio>
#include <cstring>

uint32_t SectionHash(const char* text, int length) {
    uint32_t s1 = 0, s2 = 0, s3 = 0, s4 = 0;
    for (int i = 0; i < length; ++i) {
        s1 = (s1 + static_cast<unsigned char>(text[i])) & 0xFF;
        s2 = (s2 + s1) & 0xFF;
        s3 = (s3 + s2) & 0xFF;
        s4 = (s4 + s3) & 0xFF;
    }
    return s4 << 24 | s3 << 16 | s2 << 8 | s1;
}

uint32_t FileId() {
    return SectionHash(kFileIdText, kFileIdLength);
}

int FindSection(BinaryFile& file, const char* name) {
    SectionFile sections(file, nullptr);
    return sections.Find(SectionHash(name, static_cast<int>(std::strlen(name))));
}

SectionFile::SectionFile(BinaryFile& file_, const char* fileName_)
    : file(file_), fileName(fileName_ != nullptr ? fileName_ : "(unnamed)"), size(0) {
    if (file.stream == nullptr)
        return;
    std::fseek(file.stream, 0, SEEK_END);
    long end = std::ftell(file.stream);
    size = end > 0 ? static_cast<uint64_t>(end) : 0;
    std::fseek(file.stream, 0, SEEK_SET);
}

uint64_t SectionFile::Remaining() const {
    if (file.stream == nullptr)
        return 0;
    long at = std::ftell(file.stream);
    return at >= 0 && static_cast<uint64_t>(at) < size ? size - static_cast<uint64_t>(at) : 0;
}

void SectionFile::Damaged(const char* format, ...) {
    char what[256];
    va_list args;
    va_start(args, format);
    std::vsnprintf(what, sizeof what, format, args);
    va_end(args);
    errorLog.Write("Model file '%s' is damaged: %s\n", fileName, what);
    errorLog.Fatal("%s", kModelFatalMessage);
}

bool SectionFile::Need(uint64_t bytes, const char* what) {
    if (Remaining() >= bytes)
        return true;
    Damaged("the file ends inside %s", what);
    return false;
}

bool SectionFile::ReadU16(uint16_t& value, const char* what) {
    if (!Need(2, what))
        return false;
    file.ReadInt16s(1, &value);
    return true;
}

bool SectionFile::ReadU32(uint32_t& value, const char* what) {
    if (!Need(4, what))
        return false;
    file.ReadInt32s(1, &value);
    return true;
}

bool SectionFile::ReadFloats(int count, float* values, const char* what) {
    if (!Need(4 * static_cast<uint64_t>(count), what))
        return false;
    for (int i = 0; i < count; ++i) {
        uint32_t word;
        file.ReadInt32s(1, &word);
        std::memcpy(&values[i], &word, sizeof word);
    }
    return true;
}

bool SectionFile::ReadBytes(uint32_t count, void* bytes, const char* what) {
    if (!Need(count, what))
        return false;
    if (count > 0)
        file.ReadBlock(count, bytes);
    return true;
}

bool SectionFile::Skip(uint32_t count, const char* what) {
    if (!Need(count, what))
        return false;
    file.Seek(static_cast<int32_t>(count), SEEK_CUR);
    return true;
}

int SectionFile::Find(uint32_t key) {
    file.Seek(0, SEEK_SET);
    uint32_t id = 0;
    if (Remaining() >= 4)
        file.ReadInt32s(1, &id);
    if (size < 4 || id != FileId()) {
        if (file.stream != nullptr)
            errorLog.Write("Model file '%s' is damaged: %s\n", fileName,
                           size < 4 ? "it ends before its file id" : "wrong file id");
        errorLog.Fatal("%s", kModelFatalMessage);
        return -1;
    }
    uint32_t count;
    if (!ReadU32(count, "the section count"))
        return -1;
    if (!Need(8 * static_cast<uint64_t>(count), "the section directory"))
        return -1;
    for (uint32_t i = 0; i < count; ++i) {
        uint32_t entry[2];
        file.ReadInt32s(2, entry);
        if (entry[0] != key)
            continue;
        if (entry[1] > size) {
            Damaged("section %08X at offset %u lies beyond the end of the file (%llu bytes)",
                    entry[0], entry[1], static_cast<unsigned long long>(size));
            return -1;
        }
        file.Seek(static_cast<int32_t>(entry[1]), SEEK_SET);
        return 0;
    }
    return -1;
}

bool SectionFile::Require(uint32_t key, const char* what) {
    if (Find(key) == 0)
        return true;
    Damaged("the directory has no %s section (%u)", what, key);
    return false;
}
