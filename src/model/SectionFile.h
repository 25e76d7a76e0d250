#pragma once

#include <cstdint>

class BinaryFile;

// The sectioned little-endian container of the model files: a file id, a
// directory of (key, absolute offset) pairs, and the sections wherever the
// directory puts them. Numbered sections have their number as key, named
// ones the SectionHash of their name.
enum SectionKey : uint32_t {
    kSectionFaces = 18,
    kSectionTextures = 19,
    kSectionFrames = 20,
};
constexpr const char* kMountsSectionName = "ROZI Mounts";
// The file id is the hash of this text without its final character.
constexpr const char* kFileIdText = "RUDU_SECTION_ID=32";
constexpr int kFileIdLength = 17;
// Every damaged or missing model file ends the program with this one message.
constexpr const char* kModelFatalMessage =
    "File: 'models/cobra.rozi' appears to be missing or corrupted\n";

// Four running byte sums: s4 s3 s2 s1 from the high byte down.
uint32_t SectionHash(const char* text, int length);
uint32_t FileId();

// Checks the header and finds the section SectionHash(name): 0 with the file
// at the section's first byte, or -1 with the file just behind the directory.
int FindSection(BinaryFile& file, const char* name);

// Bounds-checked reading of one container file. Anything that would read
// outside the file, or a directory that does not fit it, is reported as a
// damaged file: one log line naming the real file and the fault, then the
// fatal message. The checked reads return false after such a report.
class SectionFile {
  public:
    SectionFile(BinaryFile& file, const char* fileName);

    // Header check and directory search as FindSection; key is the raw key.
    int Find(uint32_t key);
    // Like Find, but a missing section is damage too.
    bool Require(uint32_t key, const char* what);

    bool Need(uint64_t bytes, const char* what);
    bool ReadU16(uint16_t& value, const char* what);
    bool ReadU32(uint32_t& value, const char* what);
    bool ReadFloats(int count, float* values, const char* what);
    bool ReadBytes(uint32_t count, void* bytes, const char* what);
    bool Skip(uint32_t count, const char* what);
    // Logs what is wrong, then ends the program with the fixed message.
    [[gnu::format(printf, 2, 3)]] void Damaged(const char* format, ...);
    uint64_t Remaining() const;

  private:
    BinaryFile& file;
    const char* fileName;
    uint64_t size;
};
