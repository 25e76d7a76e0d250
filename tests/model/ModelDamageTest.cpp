#include "model/ModelFiles.h"

#include "model/Model.h"
#include "model/SectionFile.h"
#include "platform/ByteOrder.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

// Every damaged file ends the program with the one fixed message, after a log
// line that names the real file and the fault; none reads outside its data.

namespace {
const char kFatal[] = "FATAL ERROR: File: 'models/cobra.rozi' appears to be missing or corrupted\n";

class ModelDamage : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        LoadTestTextures();
    }

    // Loads bytes as a model file in a child process and expects it to end the
    // program with exit code 1, the fault named in the log before the fatal line.
    void ExpectDamaged(const std::vector<uint8_t>& bytes, const std::string& fault) {
        const std::string path = dir.File("case" + std::to_string(++cases) + ".rozi");
        WriteFileBytes(path, bytes);
        ExpectFatal(path, "Model file '" + path + "' is damaged: " + fault);
    }

    void ExpectFatal(const std::string& path, const std::string& line) {
        SCOPED_TRACE(line);
        LogCapture log;
        MessageBoxRecorder boxes;
        EXPECT_EXIT(
            {
                Model model;
                model.Load(path.c_str());
            },
            testing::ExitedWithCode(1), "");
        const std::string text = log.Contents();
        const size_t at = text.find(line);
        ASSERT_NE(at, std::string::npos) << text;
        const size_t fatalAt = text.size() - (sizeof kFatal - 1);
        ASSERT_EQ(text.find(kFatal), fatalAt) << text;
        // The fault is the one line just before the fatal message.
        const size_t lineEnd = text.find('\n', at);
        EXPECT_TRUE(lineEnd == std::string::npos || lineEnd >= fatalAt || lineEnd + 1 == fatalAt)
            << text;
    }

    std::vector<uint8_t> With(const std::vector<ModelSection>& sections,
                              std::vector<uint32_t>* offsets = nullptr) {
        return ModelWriter::Container(sections, offsets);
    }

    GLTestContext gl;
    TempDir dir;
    int cases = 0;
};

} // namespace

TEST_F(ModelDamage, MissingFileOrWrongId) {
    ExpectFatal(dir.File("absent.rozi"), "Unable to open file (" + dir.File("absent.rozi") + ")");

    std::vector<uint8_t> bytes = SmallModel().Bytes();
    bytes[0] ^= 1;
    ExpectDamaged(bytes, "wrong file id\n");
    ExpectDamaged({0x10, 0x61}, "it ends before its file id\n");
    ExpectDamaged({}, "it ends before its file id\n");
}

TEST_F(ModelDamage, TruncatedHeaderAndDirectory) {
    const std::vector<uint8_t> bytes = SmallModel().Bytes();
    ExpectDamaged(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 6),
                  "the file ends inside the section count\n");
    ExpectDamaged(std::vector<uint8_t>(bytes.begin(), bytes.begin() + 20),
                  "the file ends inside the section directory\n");
    std::vector<uint8_t> huge = bytes;
    StoreLe32(huge, 4, 0xFFFFFFFF);
    ExpectDamaged(huge, "the file ends inside the section directory\n");
}

TEST_F(ModelDamage, TruncatedInsideEachSection) {
    const std::vector<ModelSection> sections = SmallModel().Sections();
    const char* names[] = {"the texture list", "the faces", "the vertex frames", "the mounts"};
    for (size_t s = 0; s < sections.size(); ++s) {
        // The section under test goes last, so that the cut falls inside it alone.
        std::vector<ModelSection> order;
        for (size_t o = 0; o < sections.size(); ++o)
            if (o != s)
                order.push_back(sections[o]);
        order.push_back(sections[s]);
        std::vector<uint32_t> offsets;
        const std::vector<uint8_t> whole = With(order, &offsets);
        const size_t start = offsets.back();
        for (size_t cut :
             {start, start + 1, start + 3, (start + whole.size()) / 2, whole.size() - 1})
            ExpectDamaged(std::vector<uint8_t>(whole.begin(), whole.begin() + cut),
                          std::string("the file ends inside ") + names[s] + "\n");
    }
}

TEST_F(ModelDamage, OffsetsBeyondTheFile) {
    const std::vector<ModelSection> sections = SmallModel().Sections();
    const std::vector<uint8_t> bytes = With(sections);
    for (size_t s = 0; s < sections.size(); ++s)
        for (uint32_t offset : {uint32_t(bytes.size() + 1), 0x7FFFFFFFu, 0xFFFFFFFFu}) {
            std::vector<uint8_t> bad = bytes;
            StoreLe32(bad, 8 + 8 * s + 4, offset);
            char fault[128];
            std::snprintf(fault, sizeof fault, "section %08X at offset %u lies beyond",
                          sections[s].key, offset);
            ExpectDamaged(bad, fault);
        }
    // A section that starts exactly at the end of the file is cut, not beyond.
    std::vector<uint8_t> atEnd = bytes;
    StoreLe32(atEnd, 8 + 8 * 1 + 4, uint32_t(bytes.size()));
    ExpectDamaged(atEnd, "the file ends inside the faces\n");
}

TEST_F(ModelDamage, MissingSections) {
    const std::vector<ModelSection> sections = SmallModel().Sections();
    const char* names[] = {"texture list", "faces", "vertex frames"};
    for (size_t s = 0; s < 3; ++s) {
        std::vector<ModelSection> without = sections;
        without.erase(without.begin() + s);
        ExpectDamaged(With(without), std::string("the directory has no ") + names[s] +
                                         " section (" + std::to_string(sections[s].key) + ")\n");
    }
    ExpectDamaged(With({}), "the directory has no texture list section (19)\n");
}

TEST_F(ModelDamage, CornersOutsideTheVertices) {
    ModelWriter writer = SmallModel();
    writer.faces[2].index[3] = 12; // there are 12 vertices
    ExpectDamaged(writer.Bytes(), "face 2 corner 3 uses vertex 12 of 12\n");
    writer.faces[2].index[3] = 0xFFFF;
    ExpectDamaged(writer.Bytes(), "face 2 corner 3 uses vertex 65535 of 12\n");
    writer.faces[2].index[3] = 11;
    writer.frames.clear();
    ExpectDamaged(writer.Bytes(), "3 faces but no vertex frame\n");
}

TEST_F(ModelDamage, TexturePathsOutsideTheFormat) {
    const std::pair<std::string, std::string> cases[] = {
        {"cobra_camo.bmp", "texture entry 0 has no base name between a '/' and a '.'\n"},
        {"a.b/cobra_camo", "texture entry 0 has no base name between a '/' and a '.'\n"},
        {"", "texture entry 0 has no base name between a '/' and a '.'\n"},
        {"a/" + std::string(508, 'x') + ".bmp",
         "texture entry 0 is 514 bytes long, more than 512\n"},
        {"a/" + std::string(237, 'x') + ".b",
         "texture entry 0 has a base name of 237 bytes, too long\n"},
    };
    for (const auto& [path, fault] : cases) {
        ModelWriter writer;
        AddSquare(writer, path, 0, 0, 1);
        ExpectDamaged(writer.Bytes(), fault);
    }
}

TEST_F(ModelDamage, LongestPathsThatFitLoad) {
    ModelWriter writer;
    AddSquare(writer, std::string(506, 'x') + "/a.bmp", 0, 0, 1); // 512 bytes
    AddSquare(writer, "a/" + std::string(236, 'y') + ".bmp", 0, 0, 1);
    WriteFileBytes(dir.File("long.rozi"), writer.Bytes());
    Model model;
    model.Load(dir.File("long.rozi").c_str());
    ASSERT_EQ(model.loaded, 1);
    EXPECT_STREQ(model.textureNames[0], "a");
    EXPECT_EQ(std::string(model.textureNames[1]).size(), 236u);
}
