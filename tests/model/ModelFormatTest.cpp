#include "model/ModelFiles.h"

#include "model/Model.h"
#include "model/SectionFile.h"
#include "platform/BinaryFile.h"
#include "support/TestSupport.h"

#include <cstring>
#include <gtest/gtest.h>

namespace {
std::string WriteModel(const TempDir& dir, const std::string& name,
                       const std::vector<uint8_t>& bytes) {
    std::string path = dir.File(name);
    WriteFileBytes(path, bytes);
    return path;
}

// Everything Load takes from a file, for comparing two loads.
std::string Describe(const Model& model) {
    std::string text = std::to_string(model.vertexCount) + " " + std::to_string(model.faceCount) +
                       " " + std::to_string(model.textureCount) + " " +
                       std::to_string(model.frameCount) + " " + std::to_string(model.mountCount);
    for (int i = 0; i < model.textureCount; ++i)
        text +=
            " " + std::string(model.textureNames[i]) + "=" + std::to_string(model.textureIds[i]);
    for (int i = 0; i < 4 * model.faceCount; ++i)
        text += " " + std::to_string(model.faceIndices[i]);
    for (int i = 0; i < 8 * model.faceCount; ++i)
        text += " " + std::to_string(model.faceTexCoords[i]);
    for (int f = 0; f < model.frameCount; ++f)
        for (int i = 0; i < 3 * model.vertexCount; ++i)
            text += " " + std::to_string(model.frames[f][i]);
    if (model.mountPositions != nullptr)
        for (int i = 0; i < model.mountCount; ++i)
            text += " " + std::string(model.mountNames[i]) +
                    std::to_string(model.mountPositions[3 * i]);
    return text;
}

class ModelFormat : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        LoadTestTextures();
    }
    GLTestContext gl;
    TempDir dir;
};
} // namespace

TEST(SectionHash, MatchesTheRunningSums) {
    EXPECT_EQ(SectionHash("abc", 3), 0xB5CF4A26u);
    EXPECT_EQ(SectionHash("a", 1), 0x61616161u);
    EXPECT_EQ(SectionHash("", 0), 0u);
    EXPECT_EQ(SectionHash("\xff\xff", 2), 0xFBFCFDFEu); // bytes count as unsigned
    EXPECT_EQ(FileId(), 0x41246110u);
    EXPECT_EQ(SectionHash("ROZI Mounts", 11), 0xF27A60EAu);

    // The writer stores the id little-endian: s1, s2, s3, s4.
    const std::vector<uint8_t> bytes = ModelWriter().Bytes();
    ASSERT_GE(bytes.size(), 8u);
    EXPECT_EQ(bytes[0], 0x10);
    EXPECT_EQ(bytes[1], 0x61);
    EXPECT_EQ(bytes[2], 0x24);
    EXPECT_EQ(bytes[3], 0x41);
}

TEST_F(ModelFormat, LoadsWhatTheWriterWrote) {
    LogCapture log;
    ModelWriter writer = SmallModel();
    writer.frames.push_back(writer.frames[0]);
    writer.frames[1][0] = 42; // a second frame is loaded, not drawn
    Model model;
    model.Load(WriteModel(dir, "small.rozi", writer.Bytes()).c_str());
    ASSERT_EQ(model.loaded, 1);
    EXPECT_EQ(model.vertexCount, 12);
    EXPECT_EQ(model.faceCount, 3);
    EXPECT_EQ(model.textureCount, 3);
    EXPECT_EQ(model.frameCount, 2);
    EXPECT_EQ(model.mountCount, 1);
    EXPECT_STREQ(model.textureNames[0], "cobra_treads");
    EXPECT_STREQ(model.textureNames[1], "cobra_camo");
    EXPECT_STREQ(model.textureNames[2], "missing_part");
    EXPECT_EQ(model.textureIds[0], 1);
    EXPECT_EQ(model.textureIds[1], 2);
    EXPECT_EQ(model.textureIds[2], -1);
    for (int i = 0; i < 12; ++i)
        EXPECT_EQ(model.faceIndices[i], i);
    EXPECT_EQ(model.faceTexCoords[2], 1.0f); // u of corner 1
    EXPECT_EQ(model.faceTexCoords[5], 1.0f); // v of corner 2
    EXPECT_EQ(model.frames[0][3 * 5], 2.0f); // x of the second face's corner 1
    EXPECT_EQ(model.frames[1][0], 42.0f);
    EXPECT_EQ(model.frames[0][0], 0.0f);
    EXPECT_EQ(std::string(model.mountNames[0], 6), "turret");
    EXPECT_FLOAT_EQ(model.mountPositions[0], 0.32f);
    EXPECT_FLOAT_EQ(model.mountPositions[2], 0.98f);
    EXPECT_EQ(model.position.w, 1.0f);
    EXPECT_EQ(model.rotation.w, 1.0f);
    // Only the unmatched entry is reported.
    EXPECT_NE(log.Contents().find("Texture used: missing_part\n"), std::string::npos);
    EXPECT_EQ(log.Contents().find("Texture used: cobra"), std::string::npos);
}

TEST_F(ModelFormat, DirectoryOrderAndDuplicateKeys) {
    ModelWriter writer = SmallModel();
    std::vector<ModelSection> sections = writer.Sections(); // 19, 18, 20, mounts
    Model inOrder;
    inOrder.Load(WriteModel(dir, "a.rozi", ModelWriter::Container(sections)).c_str());

    std::vector<ModelSection> reversed = {sections[3], sections[2], sections[1], sections[0]};
    Model backwards;
    backwards.Load(WriteModel(dir, "b.rozi", ModelWriter::Container(reversed)).c_str());
    EXPECT_EQ(Describe(inOrder), Describe(backwards));

    // A second faces section with another corner order: the first entry counts.
    ModelWriter other = writer;
    std::swap(other.faces[0].index[0], other.faces[0].index[1]);
    std::vector<ModelSection> duplicated = sections;
    duplicated.push_back(other.Sections()[1]);
    Model first;
    first.Load(WriteModel(dir, "c.rozi", ModelWriter::Container(duplicated)).c_str());
    EXPECT_EQ(Describe(inOrder), Describe(first));
    std::swap(duplicated[1], duplicated[4]);
    Model second;
    second.Load(WriteModel(dir, "d.rozi", ModelWriter::Container(duplicated)).c_str());
    EXPECT_EQ(second.faceIndices[0], 1);
    EXPECT_EQ(second.faceIndices[1], 0);

    // FindSection leaves the file at the section, or just behind the directory.
    BinaryFile file;
    file.Open(dir.File("a.rozi").c_str(), "rb");
    EXPECT_EQ(FindSection(file, "ROZI Mounts"), 0);
    std::vector<uint32_t> offsets;
    ModelWriter::Container(sections, &offsets);
    EXPECT_EQ(std::ftell(file.stream), long(offsets[3]));
    EXPECT_EQ(FindSection(file, "No Such Section"), -1);
    EXPECT_EQ(std::ftell(file.stream), 8 + 8 * 4);
}

TEST_F(ModelFormat, MountsSectionWithNoMountsOrNone) {
    ModelWriter writer = SmallModel();
    writer.mounts.clear();
    Model empty;
    empty.Load(WriteModel(dir, "k0.rozi", writer.Bytes()).c_str());
    EXPECT_EQ(empty.mountCount, 0);
    EXPECT_NE(empty.mountPositions, nullptr);

    writer.withMounts = false;
    Model none;
    none.Load(WriteModel(dir, "none.rozi", writer.Bytes()).c_str());
    ASSERT_EQ(none.loaded, 1);
    EXPECT_EQ(none.mountCount, 0);
    EXPECT_EQ(none.mountPositions, nullptr);
    EXPECT_EQ(none.mountNames, nullptr);

    // Names are kept byte for byte, a stored zero included.
    writer.AddMount(std::string("gun\0", 4), 1, 2, 3);
    writer.AddMount("x", 4, 5, 6);
    Model two;
    two.Load(WriteModel(dir, "two.rozi", writer.Bytes()).c_str());
    ASSERT_EQ(two.mountCount, 2);
    EXPECT_EQ(std::memcmp(two.mountNames[0], "gun\0", 4), 0);
    EXPECT_STREQ(two.mountNames[1], "x");
    EXPECT_EQ(two.mountPositions[4], 5.0f);
}

TEST_F(ModelFormat, BaseNamesTakeTheLastSlashAndTheLastDot) {
    LogCapture log;
    ModelWriter writer;
    AddSquare(writer, "a/b/name.x.bmp", 0, 0, 1);
    AddSquare(writer, "/cobra_mainbarrel.", 0, 0, 1);
    AddSquare(writer, "x/.bmp", 0, 0, 1);
    AddSquare(writer, "x/Cobra_Camo.bmp", 0, 0, 1); // look-ups are case-sensitive
    Model model;
    model.Load(WriteModel(dir, "names.rozi", writer.Bytes()).c_str());
    ASSERT_EQ(model.textureCount, 4);
    EXPECT_STREQ(model.textureNames[0], "name.x");
    EXPECT_EQ(model.textureIds[0], -1);
    EXPECT_STREQ(model.textureNames[1], "cobra_mainbarrel");
    EXPECT_EQ(model.textureIds[1], 3);
    EXPECT_STREQ(model.textureNames[2], "");
    EXPECT_EQ(model.textureIds[3], -1);
    const std::string text = log.Contents();
    EXPECT_NE(text.find("Texture used: name.x\n"), std::string::npos);
    EXPECT_NE(text.find("Texture used: \n"), std::string::npos);
    EXPECT_NE(text.find("Texture used: Cobra_Camo\n"), std::string::npos);
}

TEST_F(ModelFormat, ShortTextureListLeavesTheLastFacesWithout) {
    ModelWriter writer = SmallModel();
    writer.textures.resize(1);
    Model model;
    model.Load(WriteModel(dir, "short.rozi", writer.Bytes()).c_str());
    ASSERT_EQ(model.loaded, 1);
    EXPECT_EQ(model.textureCount, 1);
    EXPECT_EQ(model.faceCount, 3);
    EXPECT_EQ(model.textureIds[0], 1);
    EXPECT_EQ(model.textureIds[1], -1);
    EXPECT_EQ(model.textureIds[2], -1);
}

TEST_F(ModelFormat, GroupingFacesByTextureKeepsEachFaceWithItsPicture) {
    ModelWriter writer = SmallModel();
    AddSquare(writer, "art/cobra_camo.bmp", 3, 0, 1);
    AddSquare(writer, "c:/art/tank/cobra_treads.tga", 4, 0, 1);
    writer.GroupFacesByTexture();
    Model model;
    model.Load(WriteModel(dir, "grouped.rozi", writer.Bytes()).c_str());
    ASSERT_EQ(model.loaded, 1);
    ASSERT_EQ(model.faceCount, 5);
    // Pictures in the order of first use; within a picture the old order.
    const int32_t ids[5] = {1, 1, 2, 2, -1};
    const float firstX[5] = {0, 4, 1, 3, 2};
    for (int f = 0; f < 5; ++f) {
        EXPECT_EQ(model.textureIds[f], ids[f]) << "face " << f;
        EXPECT_EQ(model.frames[0][3 * model.faceIndices[4 * f]], firstX[f]) << "face " << f;
    }

    // Entries not paired with faces one to one are left as they are.
    ModelWriter unpaired = SmallModel();
    unpaired.textures.resize(1);
    unpaired.GroupFacesByTexture();
    EXPECT_EQ(unpaired.Bytes(), [] {
        ModelWriter same = SmallModel();
        same.textures.resize(1);
        return same.Bytes();
    }());
}

TEST_F(ModelFormat, LoadTwiceAndReleaseWhenNotLoaded) {
    Model model;
    model.Release(); // never loaded: nothing to free
    EXPECT_EQ(model.loaded, 0);
    ModelWriter big = SmallModel();
    ModelWriter small;
    AddSquare(small, "a/cobra_camo.bmp", 0, 0, 2);
    model.Load(WriteModel(dir, "big.rozi", big.Bytes()).c_str());
    model.Load(WriteModel(dir, "small.rozi", small.Bytes()).c_str());
    EXPECT_EQ(model.loaded, 1);
    EXPECT_EQ(model.faceCount, 1);
    EXPECT_EQ(model.vertexCount, 4);
    EXPECT_EQ(model.mountPositions, nullptr);
    model.Release();
    EXPECT_EQ(model.loaded, 0);
    model.Release();
    EXPECT_EQ(model.loaded, 0);
}

TEST_F(ModelFormat, WriterReportsAFileItCannotWrite) {
    EXPECT_TRUE(SmallModel().Write(dir.File("ok.rozi").c_str()));
    EXPECT_EQ(ReadFileBytes(dir.File("ok.rozi")), SmallModel().Bytes());
    EXPECT_FALSE(SmallModel().Write(dir.File("no/such/folder/x.rozi").c_str()));
}
