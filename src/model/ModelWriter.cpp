#include "model/ModelWriter.h"

#include "model/SectionFile.h"
#include "platform/BinaryFile.h"
#include "platform/ByteOrder.h"

#include <algorithm>
#include <cstring>
#include <map>

namespace {
void PutFloat(std::vector<uint8_t>& out, float value) {
    uint32_t word;
    std::memcpy(&word, &value, sizeof word);
    AppendLe32(out, word);
}

void PutText(std::vector<uint8_t>& out, const std::string& text) {
    AppendLe16(out, static_cast<uint32_t>(text.size()));
    out.insert(out.end(), text.begin(), text.end());
}
} // namespace

uint16_t ModelWriter::AddVertex(float x, float y, float z) {
    std::vector<float>& frame = frames.at(0);
    frame.insert(frame.end(), {x, y, z});
    return static_cast<uint16_t>(frame.size() / 3 - 1);
}

void ModelWriter::AddQuad(const std::string& texturePath, const float corners[4][3],
                          const float uv[8]) {
    Face face;
    for (int k = 0; k < 4; ++k)
        face.index[k] = AddVertex(corners[k][0], corners[k][1], corners[k][2]);
    std::memcpy(face.uv, uv, sizeof face.uv);
    faces.push_back(face);
    textures.push_back(texturePath);
}

void ModelWriter::GroupFacesByTexture() {
    if (textures.size() != faces.size())
        return; // entries and faces are not paired one to one
    // Pictures ranked by their first use, so the first face stays first.
    std::map<std::string, size_t> firstUse;
    std::vector<size_t> rank(faces.size()), order(faces.size());
    for (size_t i = 0; i < faces.size(); ++i) {
        rank[i] = firstUse.emplace(textures[i], i).first->second;
        order[i] = i;
    }
    std::stable_sort(order.begin(), order.end(),
                     [&](size_t a, size_t b) { return rank[a] < rank[b]; });
    std::vector<Face> sortedFaces;
    std::vector<std::string> sortedTextures;
    for (size_t i : order) {
        sortedFaces.push_back(faces[i]);
        sortedTextures.push_back(textures[i]);
    }
    faces = std::move(sortedFaces);
    textures = std::move(sortedTextures);
}

void ModelWriter::AddMount(const std::string& name, float x, float y, float z) {
    mounts.push_back({name, {x, y, z}});
    withMounts = true;
}

std::vector<ModelSection> ModelWriter::Sections() const {
    std::vector<ModelSection> sections;

    ModelSection textureList{kSectionTextures, {}};
    AppendLe16(textureList.bytes, static_cast<uint32_t>(textures.size()));
    for (const std::string& path : textures)
        PutText(textureList.bytes, path);
    sections.push_back(std::move(textureList));

    ModelSection faceList{kSectionFaces, {}};
    AppendLe16(faceList.bytes, static_cast<uint32_t>(faces.size()));
    for (const Face& face : faces) {
        for (int k = 0; k < 4; ++k) {
            AppendLe16(faceList.bytes, face.index[k]);
            PutFloat(faceList.bytes, face.uv[2 * k]);
            PutFloat(faceList.bytes, face.uv[2 * k + 1]);
        }
        faceList.bytes.insert(faceList.bytes.end(), 18, 0); // fields the loader skips
    }
    sections.push_back(std::move(faceList));

    ModelSection frameList{kSectionFrames, {}};
    const size_t vertexCount = frames.empty() ? 0 : frames[0].size() / 3;
    AppendLe16(frameList.bytes, static_cast<uint32_t>(vertexCount));
    AppendLe16(frameList.bytes, 0);
    PutText(frameList.bytes, frameName);
    AppendLe16(frameList.bytes, static_cast<uint32_t>(frames.size()));
    for (const std::vector<float>& frame : frames)
        for (size_t v = 0; v < vertexCount; ++v) {
            for (int axis = 0; axis < 3; ++axis)
                PutFloat(frameList.bytes, 3 * v + axis < frame.size() ? frame[3 * v + axis] : 0);
            frameList.bytes.insert(frameList.bytes.end(), 12, 0);
        }
    sections.push_back(std::move(frameList));

    if (withMounts || !mounts.empty()) {
        const int nameLength = static_cast<int>(std::strlen(kMountsSectionName));
        ModelSection mountList{SectionHash(kMountsSectionName, nameLength), {}};
        AppendLe16(mountList.bytes, static_cast<uint32_t>(mounts.size()));
        for (const Mount& mount : mounts) {
            PutText(mountList.bytes, mount.name);
            for (float value : mount.position)
                PutFloat(mountList.bytes, value);
        }
        sections.push_back(std::move(mountList));
    }
    return sections;
}

std::vector<uint8_t> ModelWriter::Container(const std::vector<ModelSection>& sections,
                                            std::vector<uint32_t>* offsets) {
    std::vector<uint8_t> out;
    AppendLe32(out, FileId());
    AppendLe32(out, static_cast<uint32_t>(sections.size()));
    uint32_t offset = 8 + 8 * static_cast<uint32_t>(sections.size());
    if (offsets != nullptr)
        offsets->clear();
    for (const ModelSection& section : sections) {
        AppendLe32(out, section.key);
        AppendLe32(out, offset);
        if (offsets != nullptr)
            offsets->push_back(offset);
        offset += static_cast<uint32_t>(section.bytes.size());
    }
    for (const ModelSection& section : sections)
        out.insert(out.end(), section.bytes.begin(), section.bytes.end());
    return out;
}

bool ModelWriter::Write(const char* fileName) const {
    const std::vector<uint8_t> bytes = Bytes();
    BinaryFile file;
    file.Open(fileName, "wb");
    if (file.stream == nullptr)
        return false;
    const bool written = file.WriteBlock(static_cast<uint32_t>(bytes.size()), bytes.data()) == 1;
    const bool closed = std::fflush(file.stream) == 0;
    file.Close();
    return written && closed;
}
