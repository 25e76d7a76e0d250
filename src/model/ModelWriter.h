#pragma once

#include <cstdint>
#include <string>
#include <vector>

// One section of a container file: its directory key and its bytes.
struct ModelSection {
    uint32_t key;
    std::vector<uint8_t> bytes;
};

// Builds model files in the sectioned container that Model::Load reads: the
// data generator makes the tank parts with it, the tests their own files.
// Every face gets the texture entry of the same number.
class ModelWriter {
  public:
    struct Face {
        uint16_t index[4]; // corners in drawing order
        float uv[8];       // (u, v) of each corner
    };
    struct Mount {
        std::string name; // stored byte for byte
        float position[3];
    };

    uint16_t AddVertex(float x, float y, float z); // into the first frame
    // A face of four new vertices with its own texture entry.
    void AddQuad(const std::string& texturePath, const float corners[4][3], const float uv[8]);
    void AddMount(const std::string& name, float x, float y, float z);
    // Reorders the faces (each with its texture entry) so that faces sharing a
    // texture follow each other, keeping their order otherwise: drawing then
    // changes texture once per picture instead of nearly once per face.
    void GroupFacesByTexture();

    // The texture list, faces, vertex frames and, when wanted, mounts, in that order.
    std::vector<ModelSection> Sections() const;
    // Header, directory and the sections one after another in the given order;
    // offsets, when asked for, receives each section's absolute offset.
    static std::vector<uint8_t> Container(const std::vector<ModelSection>& sections,
                                          std::vector<uint32_t>* offsets = nullptr);
    std::vector<uint8_t> Bytes() const { return Container(Sections()); }
    // Writes the file through BinaryFile; false when it could not be written.
    bool Write(const char* fileName) const;

    std::vector<std::string> textures;
    std::vector<Face> faces;
    std::vector<std::vector<float>> frames{1}; // each vertexCount x (x, y, z)
    std::string frameName = "frames";          // fills the skipped run of the frames section
    std::vector<Mount> mounts;
    bool withMounts = false; // a mounts section even without mounts (K = 0)
};
