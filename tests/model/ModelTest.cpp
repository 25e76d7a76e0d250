#include "model/ModelFiles.h"

#include "math/Matrix4.h"
#include "model/Model.h"
#include "model/SectionFile.h"
#include "platform/ByteOrder.h"

#include <GL/gl.h>
#include <sstream>

namespace {
const char kFatal[] = "FATAL ERROR: File: 'models/cobra.rozi' appears to be missing or corrupted\n";

std::string Describe(const Model& m) { // the counts and texture entries
    std::ostringstream text;
    text << m.vertexCount << ' ' << m.faceCount << ' ' << m.textureCount << ' ' << m.frameCount
         << ' ' << m.mountCount;
    for (int i = 0; i < std::max(m.textureCount, m.faceCount); ++i)
        text << ' ' << (i < m.textureCount ? m.textureNames[i] : "") << '=' << m.textureIds[i];
    return text.str();
}

template <typename T> std::vector<T> Array(const T* values, size_t count) {
    return std::vector<T>(values, values + count);
}

class ModelFormat : public testing::Test {
  protected:
    void SetUp() override {
        ASSERT_TRUE(gl.ok());
        LoadTestTextures();
    }
    std::string Write(const std::vector<uint8_t>& bytes) {
        const std::string path = dir.File("case" + std::to_string(++files) + ".rozi");
        WriteBinaryFile(path, bytes);
        return path;
    }
    void Load(Model& model, const std::vector<uint8_t>& bytes) { model.Load(Write(bytes).c_str()); }

    // Loading ends the program (exit 1), the log with the real file, its fault, the fixed message.
    void ExpectDamaged(const std::vector<uint8_t>& bytes, const std::string& fault) {
        const std::string path = Write(bytes);
        const std::string log = LogOfFatal([&] { Model().Load(path.c_str()); });
        EXPECT_TRUE(log.ends_with("Model file '" + path + "' is damaged: " + fault + "\n" + kFatal))
            << log;
    }

    GLTestContext gl;
    TempDir dir;
    int files = 0;
};
} // namespace

// Loads what the writer wrote, in any order and again; draws it; finds pictures by base name.
TEST_F(ModelFormat, RoundTripDrawAndNames) {
    // Section keys are four running sums of unsigned bytes; the file id is little-endian: s1..s4.
    EXPECT_EQ(std::tuple(SectionHash("abc", 3), SectionHash("\xff\xff", 2),
                         Array(ModelWriter().Bytes().data(), 4)),
              std::tuple(0xB5CF4A26u, 0xFBFCFDFEu, std::vector<uint8_t>{0x10, 0x61, 0x24, 0x41}));

    LogCapture log;
    ModelWriter writer = SmallModel();
    writer.frames.push_back(writer.frames[0]);
    writer.frames[1][0] = 42; // a second frame is loaded, not drawn
    // The directory's order does not matter.
    const std::vector<ModelSection> sections = writer.Sections(); // 19, 18, 20, mounts
    Model model, backwards, empty;
    Load(model, ModelWriter::Container(sections));
    Load(backwards, ModelWriter::Container({sections[3], sections[2], sections[1], sections[0]}));
    for (const Model* m : {&model, &backwards}) {
        ASSERT_EQ(m->loaded, 1);
        EXPECT_EQ(Describe(*m), "12 3 3 2 1 cobra_treads=1 cobra_camo=2 missing_part=-1");
        for (int i = 0; i < 12; ++i) // corner i of face i / 4
            EXPECT_EQ(std::tuple(m->faceIndices[i], Array(m->faceTexCoords + 2 * i, 2)),
                      std::tuple(writer.faces[i / 4].index[i % 4],
                                 Array(writer.faces[i / 4].uv + 2 * (i % 4), 2)))
                << i;
        for (int f : {0, 1})
            EXPECT_EQ(Array(m->frames[f], 36), writer.frames[f]);
        // The file has no terminator after a mount's name; the copy does.
        EXPECT_EQ(std::tuple(std::string(m->mountNames[0]), Array(m->mountPositions, 3)),
                  std::tuple("turret", std::vector<float>{0.32f, 0, 0.98f}));
    }

    // Draw moves, then turns about x, z and y, as glRotatef would.
    const Matrix4 expected = Matrix4(Vector4(1, 2, 3)) * Matrix4::Rotation(10, Vector4(1, 0, 0)) *
                             Matrix4::Rotation(30, Vector4(0, 0, 1)) *
                             Matrix4::Rotation(20, Vector4(0, 1, 0));
    model.position = Vector4(1, 2, 3);
    model.rotation = Vector4(10, 20, 30);
    model.Draw();
    float actual[16];
    glGetFloatv(GL_MODELVIEW_MATRIX, actual);
    for (int i = 0; i < 16; ++i)
        EXPECT_NEAR(actual[i], expected.m[i], 1e-5f) << i;

    ModelWriter small; // a smaller file loaded again: nothing of the first load is left
    AddSquare(small, "a/cobra_camo.bmp");
    Load(model, small.Bytes());
    EXPECT_EQ(Describe(model), "4 1 1 1 0 cobra_camo=2");
    model.Release(); // and again when it goes
    EXPECT_EQ(model.loaded, 0);

    writer.mounts.clear(); // a mounts section with K = 0
    Load(empty, writer.Bytes());
    EXPECT_EQ(std::tuple(empty.loaded, empty.mountCount), std::tuple(1, 0));

    // Grouped by texture: pictures in order of first use, old order within one, each face its own.
    writer = SmallModel();
    AddSquare(writer, "art/cobra_camo.bmp", 3);
    AddSquare(writer, "c:/art/tank/cobra_treads.tga", 4);
    writer.GroupFacesByTexture();
    Load(model, writer.Bytes());
    const float firstX[5] = {0, 4, 1, 3, 2};
    for (int f = 0; f < 5; ++f)
        EXPECT_EQ(model.frames[0][3 * model.faceIndices[4 * f]], firstX[f]) << "face " << f;
    EXPECT_EQ(Describe(model).substr(11), "cobra_treads=1 cobra_treads=1 cobra_camo=2 "
                                          "cobra_camo=2 missing_part=-1");

    // Base names lie between the last '/' or '\\' and the last '.'; look-ups are case-sensitive; a
    // path without a base name names the entry whole. Every entry without a picture is logged.
    const std::pair<std::string, std::string> entries[] = {
        {"a/b/name.x.bmp", "name.x=-1"},
        {"/cobra_mainbarrel.", "cobra_mainbarrel=3"},
        {"x/Cobra_Camo.bmp", "Cobra_Camo=-1"},
        {"a\\b/c.d\\cobra_camo.bmp", "cobra_camo=2"},
        {"cobra_camo.bmp", "cobra_camo.bmp=-1"},
        {"a.b\\cobra_camo", "a.b\\cobra_camo=-1"},
        // The longest path (512 bytes) and base name (236 bytes) that fit.
        {std::string(506, 'x') + "/a.bmp", "a=-1"},
        {"a/" + std::string(236, 'y') + ".bmp", std::string(236, 'y') + "=-1"},
        {"", "=-1"},
        {"", ""}};
    ModelWriter names;
    std::string described = "40 10 9 1 0", used;
    for (const auto& [path, entry] : entries) {
        AddSquare(names, path);
        described += " " + entry;
        if (entry.ends_with("=-1"))
            used += "Texture used: " + entry.substr(0, entry.size() - 3) + "\n";
    }
    names.textures.pop_back(); // a list shorter than the faces: the last face has none
    const size_t start = log.Contents().size();
    Load(model, names.Bytes());
    EXPECT_EQ(Describe(model), described + "=-1");
    EXPECT_EQ(log.Finish().substr(start), used + "Log file closed\n");
}

// Every damaged file ends the program; none is read outside its data.
TEST_F(ModelFormat, DamagedFilesEndTheProgram) {
    ExpectDamaged({0x11, 0x61, 0x24, 0x41}, "wrong file id");
    ExpectDamaged({0x10, 0x61}, "it ends before its file id");
    std::vector<uint8_t> bytes = SmallModel().Bytes();
    ExpectDamaged(Array(bytes.data(), 6), "the file ends inside the section count");
    StoreLe32(bytes, 4, 0xFFFFFFFF);
    ExpectDamaged(bytes, "the file ends inside the section directory");

    const std::vector<ModelSection> sections = SmallModel().Sections();
    bytes = ModelWriter::Container(sections);
    const char* names[] = {"texture list", "faces", "vertex frames", "mounts"};
    for (size_t s = 0; s < sections.size(); ++s) {
        // Cut inside each section, put last so that the cut falls inside it alone.
        std::vector<ModelSection> order = sections;
        std::rotate(order.begin() + s, order.begin() + s + 1, order.end());
        std::vector<uint32_t> offsets;
        const std::vector<uint8_t> whole = ModelWriter::Container(order, &offsets);
        for (size_t cut : {size_t(offsets.back()), whole.size() - 1})
            ExpectDamaged(Array(whole.data(), cut),
                          std::string("the file ends inside the ") + names[s]);
    }
    // The faces section at an offset beyond the end of the file, and at one that wraps round.
    for (uint32_t offset : {uint32_t(bytes.size() + 1), 0xFFFFFFFFu}) {
        StoreLe32(bytes, 8 + 8 + 4, offset);
        ExpectDamaged(bytes, "section 00000012 at offset " + std::to_string(offset) +
                                 " lies beyond the end of the file (" +
                                 std::to_string(bytes.size()) + " bytes)");
    }
    ExpectDamaged(ModelWriter::Container({}), "the directory has no texture list section (19)");
    ExpectDamaged(ModelWriter::Container({sections[0], sections[2]}),
                  "the directory has no faces section (18)");

    ModelWriter writer = SmallModel(); // corners outside the vertices, paths outside the format
    writer.faces[2].index[3] = 12;     // there are 12 vertices
    ExpectDamaged(writer.Bytes(), "face 2 corner 3 uses vertex 12 of 12");
    writer.frames.clear();
    ExpectDamaged(writer.Bytes(), "3 faces but no vertex frame");

    ModelWriter longPath, longName; // path and base name a byte longer than the longest that fit
    AddSquare(longPath, "a/" + std::string(507, 'x') + ".bmp");
    AddSquare(longName, "a/" + std::string(237, 'x') + ".b");
    ExpectDamaged(longPath.Bytes(), "texture entry 0 is 513 bytes long, more than 512");
    ExpectDamaged(longName.Bytes(), "texture entry 0 has a base name of 237 bytes, too long");
}
