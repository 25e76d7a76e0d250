#include "image/TextureManager.h"

#include "image/DibImage.h"
#include "platform/BinaryFile.h"
#include "platform/ErrorLog.h"

#include <GL/gl.h>
#include <cstring>

namespace {
char* CopyName(const char* name) {
    size_t length = std::strlen(name);
    char* copy = new char[length + 3]();
    std::memcpy(copy, name, length);
    return copy;
}

// Checks that the file is there (the log has its name if not), then decodes it.
// A file that exists but is no readable picture ends the program the same way.
RgbImage* LoadImageFile(const char* fileName) {
    BinaryFile probe;
    probe.Open(fileName, "rb");
    if (probe.stream == nullptr) {
        errorLog.Fatal("Unable to load texture '%s'", fileName);
        return nullptr;
    }
    probe.Close();
    RgbImage* image = LoadDibImage(fileName);
    if (image == nullptr)
        errorLog.Fatal("Unable to load texture '%s'", fileName);
    return image;
}
} // namespace

TextureManager::~TextureManager() {
    FreeTable();
}

void TextureManager::FreeTable() {
    delete[] ids;
    ids = nullptr;
    for (int32_t i = 0; slots != nullptr && i < capacity; ++i) {
        TextureEntry& slot = slots[i];
        if (slot.loaded == 0)
            continue;
        DeleteRgbImage(slot.image);
        delete[] slot.name;
        slot = TextureEntry{};
    }
    delete[] slots;
    slots = nullptr;
    capacity = 0;
    count = 0;
}

void TextureManager::Create(int32_t newCapacity) {
    if (newCapacity < 0)
        newCapacity = 0;
    // A second Create replaces the table instead of leaking the first.
    if (slots != nullptr) {
        glDeleteTextures(capacity, ids);
        FreeTable();
    }
    ids = new uint32_t[newCapacity]();
    slots = new TextureEntry[newCapacity];
    capacity = newCapacity;
    count = 0;
    glGenTextures(capacity, ids);
}

static_assert(sizeof(GLuint) == sizeof(uint32_t));

int32_t TextureManager::LoadFromFile(const char* fileName) {
    if (!BeginLoad())
        return -1;
    TextureEntry& slot = slots[count];
    RgbImage* image = LoadImageFile(fileName);
    if (image == nullptr)
        return -1; // only reached while the log is closed: the slot stays empty
    slot.image = image;
    slot.loaded = 1;
    slot.name = CopyName(fileName);
    return FinishLoad();
}

int32_t TextureManager::LoadFromMemory(const char* name, const uint8_t* pixels, int16_t width,
                                       int16_t height) {
    if (!BeginLoad())
        return -1;
    TextureEntry& slot = slots[count];
    const size_t bytes = static_cast<size_t>(width > 0 ? width : 0) *
                         static_cast<size_t>(height > 0 ? height : 0) * 3;
    slot.image = new RgbImage{width, height, new uint8_t[bytes + 1]()};
    if (pixels != nullptr)
        std::memcpy(slot.image->pixels, pixels, bytes);
    slot.loaded = 1;
    slot.name = CopyName(name);
    return FinishLoad();
}

// The steps both loads share before the picture is there: a free slot, bound,
// with linear filtering and nothing else (wrapping stays at repeat).
bool TextureManager::BeginLoad() {
    if (count >= capacity) {
        errorLog.Fatal("Unable to allocate more textures, texture limit reached");
        return false;
    }
    glBindTexture(GL_TEXTURE_2D, ids[count]);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, GL_LINEAR);
    glTexParameteri(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, GL_LINEAR);
    return true;
}

int32_t TextureManager::FinishLoad() {
    const TextureEntry& slot = slots[count];
    // Rows are packed, with no padding whatever the width.
    GLint alignment = 4;
    glGetIntegerv(GL_UNPACK_ALIGNMENT, &alignment);
    glPixelStorei(GL_UNPACK_ALIGNMENT, 1);
    glTexImage2D(GL_TEXTURE_2D, 0, 3, slot.image->width, slot.image->height, 0, GL_RGB,
                 GL_UNSIGNED_BYTE, slot.image->pixels);
    glPixelStorei(GL_UNPACK_ALIGNMENT, alignment);
    errorLog.Write("Texture '%s' loaded\n", slot.name);
    return count++;
}

void TextureManager::Bind(int32_t index) {
    if (index < 0 || index >= count || ids == nullptr)
        return;
    glBindTexture(GL_TEXTURE_2D, ids[index]);
}

int32_t TextureManager::FindByName(const char* name) const {
    if (name == nullptr)
        return -1;
    for (int32_t i = 0; i < count; ++i)
        if (slots[i].name != nullptr && std::strcmp(slots[i].name, name) == 0)
            return i;
    return -1;
}
