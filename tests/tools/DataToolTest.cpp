// Runs the real zezivoze-data on real folders.
#include "app/GameSounds.h"
#include "app/TextureTable.h"
#include "image/BmpWriter.h"
#include "image/DibImage.h"
#include "model/Model.h"
#include "model/ModelFiles.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <tuple>

namespace fs = std::filesystem;

namespace {
const auto npos = std::string::npos;

struct ToolRun {
    int code = -1;
    std::string out, err;
};

// The tool with its arguments (each quoted); its exit code, stdout and stderr.
ToolRun Tool(const std::vector<std::string>& args) {
    TempDir scratch;
    std::string command = "'" ZEZIVOZE_BINARY_DIR "/zezivoze-data'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    command += " >'" + scratch.File("out") + "' 2>'" + scratch.File("err") + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
            ReadFileText(scratch.File("out")), ReadFileText(scratch.File("err"))};
}

// A path in the default set, generated once for the tests that only read it.
std::string In(const std::string& file) {
    static TempDir dir;
    static const bool made = Tool({"generate", dir.File("data")}).code == 0;
    EXPECT_TRUE(made);
    return dir.File("data/" + file);
}
} // namespace

TEST(DataTool, GenerateIsDeterministicAndCheckFindsEveryFileFine) {
    TempDir other;
    ASSERT_EQ(Tool({"generate", other.File("data")}).code, 0);
    const std::string diff = "diff -r '" + In("") + "' '" + other.File("data") + "'";
    EXPECT_EQ(std::system(diff.c_str()), 0);

    const ToolRun check = Tool({"check", In("")});
    EXPECT_EQ(check.code, 0) << check.out;
    EXPECT_EQ(std::count(check.out.begin(), check.out.end(), '\n'), 42);
    EXPECT_TRUE(check.out.ends_with("\nall 41 files OK\n")) << check.out;
    // The textures mix every layout the program reads.
    for (const char* layout :
         {" 24 bits", " 8 bits, palette", " 4 bits", " 1 bit,", " 16 bits", " 32 bits",
          "12-byte header", "RLE8", "RLE4", "no file header", "bit fields", "top-down"})
        EXPECT_NE(check.out.find(layout), npos) << layout;

    // One object a line for each file the program reads; the ground pictures
    // are 256 x 256, the sounds 44100 Hz.
    const ToolRun json = Tool({"check", "--json", In("")});
    EXPECT_EQ(json.code, 0);
    EXPECT_EQ(std::count(json.out.begin(), json.out.end(), '\n'), 41);
    const char* const others[] = {"textures/landscp.bmp", "models/cobra_body.rozi",
                                  "models/cobra_main_turret.rozi", "models/cobra_main_barrel.rozi"};
    size_t at = 0;
    for (int i = 0; i < 41; ++i) {
        const std::string file = i < 33   ? kTextureTable[i]
                                 : i < 37 ? others[i - 33]
                                          : GameSounds::kFiles[i - 37];
        at = json.out.find("{\"file\":\"" + file + "\",\"ok\":true," +
                               (i < 3 ? "\"width\":256,\"height\":256," : "") +
                               (i >= 37 ? "\"rate\":44100,\"seconds\":" : ""),
                           at);
        EXPECT_NE(at, npos) << file << " in\n" << json.out;
    }
}

TEST(DataTool, DecodeWritesUprightPicturesOfWhatTheyAreMeantToBe) {
    MessageBoxRecorder boxes;
    TempDir dir;
    // Every texture has some range in it, not a flat fill.
    for (const char* path : kTextureTable) {
        RgbImage* image = LoadDibImage(In(path).c_str());
        ASSERT_NE(image, nullptr) << path;
        const auto [lo, hi] = std::minmax_element(
            image->pixels, image->pixels + size_t(image->width) * image->height * 3);
        EXPECT_GT(*hi - *lo, 60) << path;
        DeleteRgbImage(image);
    }
    // The panel, top row first in the file: light text on black, the name across its top.
    ASSERT_EQ(Tool({"decode", In("textures/info.bmp"), dir.File("i.ppm")}).code, 0);
    const std::string ppm = ReadFileText(dir.File("i.ppm")), header = "P6\n128 128\n255\n";
    ASSERT_EQ(ppm.size(), header.size() + 128 * 128 * 3);
    EXPECT_EQ(ppm.substr(0, header.size()), header);
    int lit = 0, litInTitle = 0;
    for (int i = 0; i < 128 * 128; ++i) {
        const bool on = ppm[header.size() + 3 * i] != 0;
        lit += on;
        litInTitle += on && i / 128 >= 7 && i / 128 < 21;
    }
    EXPECT_GT(litInTitle, 200);
    EXPECT_LT(lit, 128 * 128 / 4);

    // The height map, heights top row first: water (below 128), snow
    // (above 216), and dry land round the first tank's start at world (45, 45),
    // one sample being 100 world units.
    ASSERT_EQ(Tool({"decode", "--heightmap", In("textures/landscp.bmp"), dir.File("h.pgm")}).code,
              0);
    const std::string pgm = ReadFileText(dir.File("h.pgm")), pgmHeader = "P5\n32 32\n255\n";
    ASSERT_EQ(pgm.size(), pgmHeader.size() + 32 * 32);
    EXPECT_EQ(pgm.substr(0, pgmHeader.size()), pgmHeader);
    int deep = 0, water = 0, snow = 0, peaks = 0;
    for (int i = 0; i < 32 * 32; ++i) {
        const uint8_t height = pgm[pgmHeader.size() + i];
        deep += height < 100;
        water += height < 128;
        snow += height > 216;
        peaks += height > 235;
        EXPECT_TRUE(i / 32 > 10 || i % 32 > 10 || height > 135) << i;
    }
    EXPECT_GT(water, 32 * 32 / 20);
    EXPECT_GT(snow, 32 * 32 / 50);
    EXPECT_GT(deep * peaks, 0);
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(DataTool, DamagedFilesAreReportedNeverCrashed) {
    TempDir dir;
    fs::copy(In(""), dir.path() / "data", fs::copy_options::recursive);
    const std::string data = dir.File("data");
    const auto file = [&](const std::string& name) { return data + "/" + name; };
    const std::string water = ReadFileText(file("textures/water.bmp"));
    std::string map = ReadFileText(file("textures/landscp.bmp"));
    map[28] = 8; // bits per pixel
    fs::remove(file("textures/star.bmp"));
    WriteFileText(file("textures/water.bmp"), water.substr(0, water.size() / 2));
    WriteFileText(file("textures/trail.bmp"), "not a picture at all");
    WriteFileText(file("textures/landscp.bmp"), map);
    WriteFileText(file("empty.bmp"), "");
    WriteBinaryFile(file("textures/cobra/cobra_camo.bmp"),
                    EncodeBmp24(100, 64, std::vector<uint8_t>(100 * 64 * 3, 90)));
    WriteFileText(file("models/cobra_main_barrel.rozi"), "no model");
    fs::remove(file("sounds/servo.wav"));
    WriteFileText(file("sounds/launch.wav"), "RIFF but not a sound");

    const ToolRun check = Tool({"check", data});
    EXPECT_EQ(check.code, 1) << check.err;
    for (const char* line :
         {"textures/star.bmp                             PROBLEM  missing\n",
          "PROBLEM  Image file conversion error.\n", "PROBLEM  Unknown DIB file format.\n",
          "PROBLEM  BMP FILE ERROR: Not 24 bpp, 8 instead\n",
          "PROBLEM  100 x 64: OpenGL 1.1 needs a power of two on each side\n",
          "models/cobra_main_barrel.rozi                 PROBLEM  damaged",
          "sounds/servo.wav                              PROBLEM  missing\n",
          "sounds/launch.wav                             PROBLEM  ",
          "\n8 of 41 files with problems\n"})
        EXPECT_NE(check.out.find(line), npos) << line << " in\n" << check.out;
    EXPECT_NE(check.err.find("cobra_main_barrel.rozi' is damaged: wrong file id\n"), npos)
        << check.err;
    const ToolRun json = Tool({"check", data, "--json"});
    EXPECT_EQ(json.code, 1);
    EXPECT_NE(json.out.find("/star.bmp\",\"ok\":false,\"problem\":\"missing\"}\n"), npos)
        << json.out;

    // decode reports the reader's refusal and exits 1; a wrong call exits 2.
    const std::string none = dir.File("none.bmp"), empty = file("empty.bmp"), out = dir.File("x");
    const std::tuple<std::vector<std::string>, int, std::string> runs[] = {
        {{"decode", file("textures/trail.bmp"), out}, 1, "Unknown DIB file format.\n"},
        {{"decode", none, out}, 1, "Failed to open DIB file " + none + ".\n"},
        {{"decode", empty, out}, 1, "Failed to open DIB file " + empty + ".\n"},
        {{"decode", data, out}, 1, "Failed to open DIB file " + data + ".\n"},
        {{"decode", file("textures/landscp.bmp"), out, "--heightmap"},
         1,
         "BMP FILE ERROR: Not 24 bpp, 8 instead\n"},
        {{"decode", "only-one-argument"}, 2, ""},
        {{"check"}, 2, ""},
    };
    for (const auto& [args, code, err] : runs) {
        const ToolRun got = Tool(args);
        EXPECT_EQ(got.code, code) << args[0] << " " << args.back();
        EXPECT_EQ(code == 2 ? "" : got.err, err); // usage texts are not checked
    }
}

TEST(ModelCommand, PrintsCountsNamesAndMatchesOrTheLoadersMessage) {
    TempDir dir;
    ModelWriter writer = SmallModel(); // treads, camo, and one unknown texture
    writer.AddMount("gun \"A\"", 1, 2, 3);
    WriteFileBytes(dir.File("small.rozi"), writer.Bytes());
    const ToolRun json = Tool({"model", dir.File("small.rozi"), "--json"});
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out, "{\"vertexCount\":12,\"faceCount\":3,\"textureCount\":3,\"frameCount\":1,"
                        "\"mountCount\":2,\"textureNames\":[\"cobra_treads\",\"cobra_camo\","
                        "\"missing_part\"],\"textureIds\":[12,28,-1],"
                        "\"mountNames\":[\"turret\",\"gun \\\"A\\\"\"]}\n");
    EXPECT_EQ(json.err, "Texture used: missing_part\n");

    writer.mounts.clear();
    writer.withMounts = false;
    WriteFileBytes(dir.File("plain.rozi"), writer.Bytes());
    const ToolRun plain = Tool({"model", dir.File("plain.rozi"), "--json"});
    EXPECT_NE(plain.out.find("\"mountCount\":null,"), npos) << plain.out;
    EXPECT_NE(plain.out.find("\"mountNames\":[]}"), npos);

    const ToolRun missing = Tool({"model", dir.File("none.rozi"), "--json"});
    EXPECT_EQ(std::tuple(missing.code, missing.out, missing.err),
              std::tuple(1, "",
                         "Unable to open file (" + dir.File("none.rozi") +
                             ")FATAL ERROR: File: 'models/cobra.rozi' appears to be missing or "
                             "corrupted\n"));
    EXPECT_EQ(Tool({"model"}).code, 2);
    EXPECT_EQ(Tool({"model", dir.File("plain.rozi"), "--xml"}).code, 2);
}

TEST(ModelCommand, GeneratedTankPartsFitTheirMountsAndFindTheirTextures) {
    const char* const parts[] = {"cobra_body", "cobra_main_turret", "cobra_main_barrel"};
    const char* const mounts[] = {"Mount 0: turret at (0.32, 0, 0.98)\n",
                                  "Mount 0: barrel at (1, 0, 0.22)\n",
                                  "Mount 0: muzzle at (2.7, 0, 0)\n"};
    float lo[3][3], hi[3][3]; // per part: x, y and z
    for (int p = 0; p < 3; ++p) {
        const std::string file = In("models/" + std::string(parts[p]) + ".rozi");
        const ToolRun run = Tool({"model", file});
        EXPECT_EQ(std::tuple(run.code, run.err), std::tuple(0, ""))
            << "every entry matched a texture";
        EXPECT_EQ(run.out.find("no texture"), npos) << run.out;
        EXPECT_TRUE(run.out.ends_with(mounts[p])) << run.out;
        Model model;
        model.Load(file.c_str());
        ASSERT_TRUE(model.loaded);
        std::fill_n(lo[p], 3, 1e9f), std::fill_n(hi[p], 3, -1e9f);
        for (int i = 0; i < 3 * model.vertexCount; ++i) {
            lo[p][i % 3] = std::min(lo[p][i % 3], model.frames[0][i]);
            hi[p][i % 3] = std::max(hi[p][i % 3], model.frames[0][i]);
        }
    }
    // The hull and the turret stand on z = 0, the turret reaching its barrel's
    // mount; each part is symmetric across y, the barrel round its axis, which
    // ends at the muzzle, 2.7 out along x.
    EXPECT_EQ(lo[0][2], 0.0f);
    EXPECT_EQ(lo[1][2], 0.0f);
    EXPECT_GT(hi[1][0], 1.0f);
    for (int p = 0; p < 3; ++p)
        EXPECT_NEAR(lo[p][1] + hi[p][1], 0, 1e-6f) << parts[p];
    EXPECT_NEAR(lo[2][2] + hi[2][2], 0, 1e-6f);
    EXPECT_FLOAT_EQ(hi[2][0], 2.7f);
}
