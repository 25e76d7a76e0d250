#include "model/Model.h"

#include "image/TextureManager.h"
#include "model/SectionFile.h"
#include "platform/BinaryFile.h"
#include "platform/ErrorLog.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstring>
#include <string>
#include <vector>

Model::Model()
    : loaded(0), vertexCount(0), faceCount(0), textureCount(0), frameCount(0), mountCount(0),
      frames(nullptr), faceTexCoords(nullptr), mountPositions(nullptr), faceIndices(nullptr),
      textureIds(nullptr), textureNames(nullptr), mountNames(nullptr) {}

Model::~Model() {
    Release();
}

void Model::Release() {
    if (!loaded)
        return;
    loaded = 0;
    for (int i = 0; i < textureCount; ++i)
        delete[] textureNames[i];
    delete[] textureNames;
    delete[] textureIds;
    delete[] faceTexCoords;
    delete[] faceIndices;
    for (int i = 0; i < frameCount; ++i)
        delete[] frames[i];
    delete[] frames;
    if (mountPositions != nullptr) {
        delete[] mountPositions;
        for (int i = 0; i < mountCount; ++i)
            delete[] mountNames[i];
        delete[] mountNames;
    }
    textureNames = nullptr;
    textureIds = nullptr;
    faceTexCoords = nullptr;
    faceIndices = nullptr;
    frames = nullptr;
    mountPositions = nullptr;
    mountNames = nullptr;
    vertexCount = faceCount = textureCount = frameCount = mountCount = 0;
}

namespace {
constexpr uint32_t kMaxTexturePath = 512;
constexpr size_t kPathBufferSize = 256;
constexpr char kTexturePrefix[] = "textures/cobra/";
constexpr char kTextureSuffix[] = ".bmp";

// Everything a file holds, read and checked completely before the model takes
// any of it, so that a damaged file leaves nothing half built behind.
struct ModelData {
    std::vector<std::string> textureNames;
    std::vector<int32_t> textureIds;
    uint16_t faceCount = 0;
    std::vector<uint16_t> faceIndices;
    std::vector<float> faceTexCoords;
    uint16_t vertexCount = 0;
    std::vector<std::vector<float>> frames;
    bool hasMounts = false;
    std::vector<std::string> mountNames;
    std::vector<float> mountPositions;
};

bool ReadTextures(SectionFile& in, ModelData& data) {
    if (!in.Require(kSectionTextures, "texture list"))
        return false;
    uint16_t count;
    if (!in.ReadU16(count, "the texture list") || !in.Need(2ull * count, "the texture list"))
        return false;
    char path[kMaxTexturePath];
    for (int i = 0; i < count; ++i) {
        uint16_t length;
        if (!in.ReadU16(length, "the texture list"))
            return false;
        if (length > kMaxTexturePath) {
            in.Damaged("texture entry %d is %u bytes long, more than %u", i, length,
                       kMaxTexturePath);
            return false;
        }
        std::memset(path, 0, sizeof path);
        if (!in.ReadBytes(length, path, "the texture list"))
            return false;
        int dot = -1, slash = -1;
        for (int k = 0; k < length; ++k) {
            if (path[k] == '.')
                dot = k;
            else if (path[k] == '/')
                slash = k;
        }
        if (slash < 0 || dot < slash) {
            in.Damaged("texture entry %d has no base name between a '/' and a '.'", i);
            return false;
        }
        std::string base(path + slash + 1, path + dot);
        base.resize(std::strlen(base.c_str())); // a zero byte ends the name
        if (sizeof kTexturePrefix + base.size() + sizeof kTextureSuffix - 1 > kPathBufferSize) {
            in.Damaged("texture entry %d has a base name of %zu bytes, too long", i, base.size());
            return false;
        }
        int32_t id = textureManager.FindByName((kTexturePrefix + base + kTextureSuffix).c_str());
        if (id == -1)
            errorLog.Write("Texture used: %s\n", base.c_str());
        data.textureNames.push_back(std::move(base));
        data.textureIds.push_back(id);
    }
    return true;
}

bool ReadFaces(SectionFile& in, ModelData& data) {
    if (!in.Require(kSectionFaces, "faces"))
        return false;
    if (!in.ReadU16(data.faceCount, "the faces") || !in.Need(58ull * data.faceCount, "the faces"))
        return false;
    data.faceIndices.resize(4 * size_t(data.faceCount));
    data.faceTexCoords.resize(8 * size_t(data.faceCount));
    for (int f = 0; f < data.faceCount; ++f) {
        for (int k = 0; k < 4; ++k)
            if (!in.ReadU16(data.faceIndices[4 * f + k], "the faces") ||
                !in.ReadFloats(2, &data.faceTexCoords[8 * f + 2 * k], "the faces"))
                return false;
        if (!in.Skip(18, "the faces"))
            return false;
    }
    return true;
}

bool ReadFrames(SectionFile& in, ModelData& data) {
    if (!in.Require(kSectionFrames, "vertex frames"))
        return false;
    uint16_t skipped, length, frameCount;
    if (!in.ReadU16(data.vertexCount, "the vertex frames") ||
        !in.ReadU16(skipped, "the vertex frames") || !in.ReadU16(length, "the vertex frames") ||
        !in.Skip(length, "the vertex frames") || !in.ReadU16(frameCount, "the vertex frames") ||
        !in.Need(24ull * frameCount * data.vertexCount, "the vertex frames"))
        return false;
    data.frames.resize(frameCount);
    for (std::vector<float>& frame : data.frames) {
        frame.resize(3 * size_t(data.vertexCount));
        for (int v = 0; v < data.vertexCount; ++v)
            if (!in.ReadFloats(3, &frame[3 * v], "the vertex frames") ||
                !in.Skip(12, "the vertex frames"))
                return false;
    }
    return true;
}

bool ReadMounts(SectionFile& in, ModelData& data) {
    const int nameLength = static_cast<int>(std::strlen(kMountsSectionName));
    if (in.Find(SectionHash(kMountsSectionName, nameLength)) != 0)
        return true; // a model without mounts is normal
    uint16_t count;
    if (!in.ReadU16(count, "the mounts") || !in.Need(14ull * count, "the mounts"))
        return false;
    data.hasMounts = true;
    data.mountPositions.resize(3 * size_t(count));
    for (int i = 0; i < count; ++i) {
        uint16_t length;
        if (!in.ReadU16(length, "the mounts") || !in.Need(length, "the mounts"))
            return false;
        std::string name(length, '\0');
        if (!in.ReadBytes(length, name.data(), "the mounts") ||
            !in.ReadFloats(3, &data.mountPositions[3 * i], "the mounts"))
            return false;
        data.mountNames.push_back(std::move(name));
    }
    return true;
}

// Faces must find their corners among the vertices of a frame.
bool CheckFaces(SectionFile& in, const ModelData& data) {
    if (data.faceCount > 0 && data.frames.empty()) {
        in.Damaged("%u faces but no vertex frame", data.faceCount);
        return false;
    }
    for (size_t i = 0; i < data.faceIndices.size(); ++i)
        if (data.faceIndices[i] >= data.vertexCount) {
            in.Damaged("face %zu corner %zu uses vertex %u of %u", i / 4, i % 4,
                       data.faceIndices[i], data.vertexCount);
            return false;
        }
    return true;
}

template <typename T> T* CopyArray(const std::vector<T>& values, size_t size) {
    T* copy = new T[size];
    std::copy(values.begin(), values.end(), copy);
    return copy;
}

// A heap copy with a zero byte behind the stored bytes, so that a name is
// always safe to read as a string.
char* CopyText(const std::string& text) {
    char* copy = new char[text.size() + 1];
    std::memcpy(copy, text.data(), text.size());
    copy[text.size()] = '\0';
    return copy;
}
} // namespace

void Model::Load(const char* fileName) {
    if (loaded)
        Release();
    BinaryFile file;
    file.Open(fileName, "rb");
    SectionFile in(file, fileName);
    ModelData data;
    if (!ReadTextures(in, data) || !ReadFaces(in, data) || !ReadFrames(in, data) ||
        !ReadMounts(in, data) || !CheckFaces(in, data))
        return;
    file.Close();

    textureCount = static_cast<uint16_t>(data.textureNames.size());
    textureNames = new char*[textureCount];
    for (int i = 0; i < textureCount; ++i)
        textureNames[i] = CopyText(data.textureNames[i]);
    // Faces beyond the texture list have no texture: -1, drawn untextured.
    textureIds = CopyArray(data.textureIds, std::max<size_t>(textureCount, data.faceCount));
    std::fill(textureIds + textureCount, textureIds + std::max<int>(textureCount, data.faceCount),
              -1);
    faceCount = data.faceCount;
    faceIndices = CopyArray(data.faceIndices, data.faceIndices.size());
    faceTexCoords = CopyArray(data.faceTexCoords, data.faceTexCoords.size());
    vertexCount = data.vertexCount;
    frameCount = static_cast<uint16_t>(data.frames.size());
    frames = new float*[frameCount];
    for (int i = 0; i < frameCount; ++i)
        frames[i] = CopyArray(data.frames[i], data.frames[i].size());
    if (data.hasMounts) {
        mountCount = static_cast<uint16_t>(data.mountNames.size());
        mountPositions = CopyArray(data.mountPositions, data.mountPositions.size());
        mountNames = new char*[mountCount];
        for (int i = 0; i < mountCount; ++i)
            mountNames[i] = CopyText(data.mountNames[i]);
    } else {
        mountCount = 0;
        mountPositions = nullptr;
        mountNames = nullptr;
    }
    loaded = 1;
}

void Model::Draw() {
    glTranslatef(position.x, position.y, position.z);
    glRotatef(rotation.x, 1.0f, 0.0f, 0.0f);
    glRotatef(rotation.z, 0.0f, 0.0f, 1.0f);
    glRotatef(rotation.y, 0.0f, 1.0f, 0.0f);
    if (faceCount == 0)
        return;
    const float* vertices = frames[0];
    // Faces without a texture are drawn white with texturing off for them alone.
    const bool texturing = glIsEnabled(GL_TEXTURE_2D);
    for (int f = 0; f < faceCount; ++f) {
        const int32_t id = textureIds[f];
        if (id < 0 && texturing)
            glDisable(GL_TEXTURE_2D);
        else
            textureManager.Bind(id);
        glBegin(GL_QUADS);
        glColor4ub(255, 255, 255, 255);
        for (int k = 0; k < 4; ++k) {
            const float* uv = &faceTexCoords[8 * f + 2 * k];
            const float* p = &vertices[3 * faceIndices[4 * f + k]];
            glTexCoord2f(uv[0], uv[1]);
            glVertex3f(p[0], p[1], p[2]);
        }
        glEnd();
        if (id < 0 && texturing)
            glEnable(GL_TEXTURE_2D);
    }
}
