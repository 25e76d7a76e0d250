// Runs the real zezivoze-data on real folders.
#include "app/TextureTable.h"
#include "image/BmpWriter.h"
#include "model/Model.h"
#include "model/ModelFiles.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <png.h>
#include <sys/wait.h>
#include <tuple>

namespace {
namespace fs = std::filesystem;
const std::string kHeightMap = "textures/landscp.bmp";

struct ToolRun {
    int code;
    std::string out, err;
};

ToolRun Tool(const std::vector<std::string>& args) { // args each quoted; exit code, stdout, stderr
    TempDir scratch;
    std::string command = "'" ZEZIVOZE_BINARY_DIR "/zezivoze-data'";
    for (const std::string& arg : args)
        command += " '" + arg + "'";
    command += " >'" + scratch.File("out") + "' 2>'" + scratch.File("err") + "'";
    const int status = std::system(command.c_str());
    return {WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status),
            ReadFileText(scratch.File("out")), ReadFileText(scratch.File("err"))};
}

// A path in the data set with the small map, which the build generates with the tool.
const auto In = [](const std::string& file) { return ZEZIVOZE_BINARY_DIR "/data32/" + file; };

// The pixels of a picture decoded to a file with the given header.
std::string Decoded(std::vector<std::string> args, const std::string& header, size_t size) {
    TempDir dir;
    args.insert(args.begin() + 2, dir.File("out"));
    const std::string file = Tool(args).code == 0 ? ReadFileText(dir.File("out")) : "";
    EXPECT_EQ(std::tuple(file.size(), file.substr(0, header.size())),
              std::tuple(header.size() + size, header));
    return file.size() < header.size() ? "" : file.substr(header.size());
}

// A PNG file of these samples (8 bits, 16 bits native-endian, or red, green, blue).
template <typename T>
std::string Png(int width, int height, uint32_t format, const std::vector<T>& samples) {
    png_image image{};
    image.version = PNG_IMAGE_VERSION;
    image.width = width, image.height = height, image.format = format;
    png_alloc_size_t size = 0;
    png_image_write_to_memory(&image, nullptr, &size, 0, samples.data(), 0, nullptr);
    std::string file(size, '\0');
    png_image_write_to_memory(&image, file.data(), &size, 0, samples.data(), 0, nullptr);
    return file;
}

// Whether the text holds the part (at its end if asked); a failure shows both.
testing::AssertionResult Has(const std::string& text, const std::string& part, bool end = false) {
    if (end ? text.ends_with(part) : text.find(part) != std::string::npos)
        return testing::AssertionSuccess();
    return testing::AssertionFailure() << "no '" << part << "' in\n" << text;
}

std::string Row(const std::string& name, const std::string& verdict) { // a line of check's report
    return name + std::string(46 - name.size(), ' ') + verdict;
}

std::string Flat(int width, int height) { // a BMP file of one grey
    const auto bmp = EncodeBmp24(width, height, std::vector<uint8_t>(width * height * 3, 90));
    return std::string(bmp.begin(), bmp.end());
}
} // namespace

// The generated set checks fine and mixes every layout that is read.
TEST(DataTool, GeneratedSetChecks) {
    const ToolRun check = Tool({"check", In("")});
    EXPECT_EQ(check.code, 0);
    EXPECT_TRUE(Has(check.out, "\nall 41 files OK\n", true));
    // --map-size 32 writes the small map as it always was, byte for byte.
    const std::string small = ReadFileText(In(kHeightMap));
    uint64_t hash = 0xcbf29ce484222325u; // FNV-1a
    for (char c : small)
        hash = (hash ^ uint8_t(c)) * 0x100000001b3u;
    EXPECT_EQ(std::tuple(small.size(), hash), std::tuple(size_t{3126}, 0xcf9b0a018242e5c9u));
    for (const char* layout :
         {" 24 bits", " 8 bits, palette", " 4 bits", " 1 bit,", " 16 bits", " 32 bits",
          "12-byte header", "RLE8", "RLE4", "no file header", "bit fields", "top-down"})
        EXPECT_TRUE(Has(check.out, layout));
}

// decode writes upright pictures of what they are meant to be.
TEST(DataTool, DecodeUpright) {
    const std::string ppm = // the panel, top row first: light text on black, name across its top
        Decoded({"decode", In("textures/info.bmp")}, "P6\n128 128\n255\n", 128 * 128 * 3);
    int lit = 0, litInTitle = 0;
    for (size_t i = 0; i < ppm.size(); i += 3)
        (i / 384 >= 7 && i / 384 < 21 ? litInTitle : lit) += ppm[i] != 0;
    EXPECT_GT(litInTitle, 200);
    EXPECT_LT(lit, 128 * 128 / 4);
    // Height map, top row first: dry land round tank one's start, world (45, 45), 100 per sample.
    const std::string pgm =
        Decoded({"decode", In(kHeightMap), "--heightmap"}, "P5\n32 32\n255\n", 32 * 32);
    ASSERT_EQ(pgm.size(), 32u * 32);
    for (size_t i = 0; i < 11 * 32; i += i % 32 == 10 ? 22 : 1) // rows and columns 0 to 10
        EXPECT_GT(uint8_t(pgm[i]), 135) << i;
}

// Damaged files are reported, never crashed on; wrong calls exit 2.
TEST(DataTool, ReportsDamage) {
    TempDir dir;
    fs::copy(In(""), dir.path() / "data", fs::copy_options::recursive);
    const auto file = [&](const std::string& name) { return dir.File("data/" + name); };
    std::string heights = ReadFileText(file(kHeightMap));
    heights[28] = 8; // bits per pixel
    // Each file with what it is replaced by (nothing: removed) and the problem found.
    const std::tuple<std::string, std::string, std::string> damages[] = {
        {"textures/star.bmp", "", "missing\n"},
        {"textures/trail.bmp", "not a picture at all", "Unknown DIB file format.\n"},
        {kHeightMap, Flat(32, 1), "32 x 1: a height map needs at least 2 x 2 samples\n"},
        {"textures/cobra/cobra_camo.bmp", Flat(100, 64),
         "100 x 64: OpenGL 1.1 needs a power of two on each side\n"},
        {kTextureTable[2], Flat(128, 64), "128 x 64: the terrain blends its sources as 256"},
        {"models/cobra_main_barrel.rozi", "no model", "damaged"},
        {"sounds/launch.wav", "RIFF but not a sound", ""}};
    for (const auto& [name, text, problem] : damages)
        text.empty() ? (void)fs::remove(file(name)) : WriteFileText(file(name), text);
    const ToolRun check = Tool({"check", file("")});
    EXPECT_EQ(check.code, 1);
    EXPECT_TRUE(Has(check.out, "\n7 of 41 files with problems\n", true));
    for (const auto& [name, text, problem] : damages)
        EXPECT_TRUE(Has(check.out, Row(name, "PROBLEM  " + problem)));
    // One object a line; ground pictures 256 x 256, sounds 44100 Hz.
    const ToolRun json = Tool({"check", file(""), "--json"});
    EXPECT_EQ(std::tuple(json.code, std::count(json.out.begin(), json.out.end(), '\n')),
              std::tuple(1, 41));
    for (const char* line : {"/star.bmp\",\"ok\":false,\"problem\":\"missing\"}\n",
                             "{\"file\":\"textures/landscpt2.bmp\",\"ok\":true,\"width\":256,",
                             "{\"file\":\"sounds/engine.wav\",\"ok\":true,\"rate\":44100,"})
        EXPECT_TRUE(Has(json.out, line));

    // decode and model report the reader's refusal and exit 1; a wrong call exits 2.
    const std::string none = dir.File("none.rozi"), out = dir.File("x"), map = dir.File("8.bmp");
    WriteFileText(map, heights);
    const std::tuple<std::vector<std::string>, int, std::string> runs[] = {
        {{"decode", file("textures/trail.bmp"), out}, 1, "Unknown DIB file format.\n"},
        {{"decode", map, out, "--heightmap"}, 1, "BMP FILE ERROR: Not 24 bpp, 8 instead\n"},
        {{"model", none}, 1, "Unable to open file (" + none + ")FATAL ERROR: File: 'models/"},
        {{"decode", "only-one-argument"}, 2, ""},
        {{"check"}, 2, ""},
        {{"model", none, "--xml"}, 2, ""},
        {{"nonsense"}, 2, ""}};
    for (const auto& [args, code, err] : runs) { // usage texts vary: only refusals' starts compared
        const ToolRun got = Tool(args);
        EXPECT_EQ(std::tuple(got.code, got.err.substr(0, err.size())), std::tuple(code, err))
            << args[0] << " " << args.back();
    }
}

// model --json prints the counts, the names and matches, or the loader's message.
TEST(ModelCommand, PrintsJson) {
    TempDir dir;
    ModelWriter writer = SmallModel(); // treads, camo, and one unknown texture
    writer.AddMount("gun \"A\\B\"", 1, 2, 3);
    WriteBinaryFile(dir.File("small.rozi"), writer.Bytes());
    WriteBinaryFile(dir.File("plain.rozi"), ModelWriter().Bytes()); // no mounts section
    const ToolRun json = Tool({"model", dir.File("small.rozi"), "--json"});
    EXPECT_EQ(std::tuple(json.code, json.out, json.err),
              std::tuple(0,
                         "{\"vertexCount\":12,\"faceCount\":3,\"textureCount\":3,\"frameCount\":1,"
                         "\"mountCount\":2,\"textureNames\":[\"cobra_treads\",\"cobra_camo\","
                         "\"missing_part\"],\"textureIds\":[12,28,-1],"
                         "\"mountNames\":[\"turret\",\"gun \\\"A\\\\B\\\"\"]}\n",
                         "Texture used: missing_part\n"));
    EXPECT_TRUE(Has(Tool({"model", dir.File("plain.rozi"), "--json"}).out, "\"mountCount\":null,"));
}

// The generated tank parts fit their mounts and find their textures (nothing on stderr).
TEST(ModelCommand, TankPartsFit) {
    // Hull and turret on z = 0; the turret reaches the barrel's mount at x = 1; muzzle at x = 2.7.
    const std::pair<const char*, const char*> parts[] = {
        {"cobra_body", "turret at (0.32, 0, 0.98)"},
        {"cobra_main_turret", "barrel at (1, 0, 0.22)"},
        {"cobra_main_barrel", "muzzle at (2.7, 0, 0)"}};
    for (int p = 0; p < 3; ++p) {
        const std::string file = In("models/" + std::string(parts[p].first) + ".rozi");
        const ToolRun run = Tool({"model", file});
        EXPECT_EQ(std::tuple(run.code, run.err), std::tuple(0, ""));
        EXPECT_TRUE(Has(run.out, std::string("Mount 0: ") + parts[p].second + "\n", true));
        Model model;
        model.Load(file.c_str());
        float lowZ = 1e9f, farX = -1e9f;
        for (int i = 0; i < model.vertexCount; ++i)
            lowZ = std::min(lowZ, model.frames[0][3 * i + 2]),
            farX = std::max(farX, model.frames[0][3 * i]);
        if (p == 2) {
            EXPECT_NEAR(farX, 2.7f, 1e-6f);
        } else {
            EXPECT_EQ(std::tuple(lowZ, farX > p), std::tuple(0.0f, true))
                << parts[p].first << " " << farX;
        }
    }
}

// generate makes the map size asked, check reports it.
TEST(DataTool, MapSize) {
    TempDir dir;
    EXPECT_EQ(Tool({"generate", dir.File("64"), "--map-size", "64"}).code, 0);
    EXPECT_TRUE(Has(Tool({"check", dir.File("64")}).out, Row(kHeightMap, "OK  64 x 64,")));
    WriteFileText(dir.File("64/" + kHeightMap), Flat(8193, 2)); // larger than the game plays
    EXPECT_TRUE(Has(Tool({"check", dir.File("64")}).out,
                    "PROBLEM  BMP FILE ERROR: '" + dir.File("64/" + kHeightMap) +
                        "' is 8193 x 2 pixels; a height map may be at most 8192 x 8192\n"));
    const std::string why = "zezivoze-data: --map-size takes a whole number from 2 to 8192, not '";
    for (const char* size : {"1", "8193", "64x", ""}) {
        const ToolRun bad = Tool({"generate", dir.File("bad"), "--map-size", size});
        EXPECT_EQ(std::tuple(bad.code, bad.err, fs::exists(dir.File("bad"))),
                  std::tuple(1, why + size + "'\n", false));
    }
}

// The default world is large, with water, high ground and a dry start.
TEST(DataTool, DefaultWorld) {
    EXPECT_TRUE(Has(Tool({"check", ZEZIVOZE_BINARY_DIR "/data", "--json"}).out,
                    "{\"file\":\"textures/landscp.bmp\",\"ok\":true,\"width\":512,\"height\":512"));
    const std::string pgm =
        Decoded({"decode", ZEZIVOZE_BINARY_DIR "/data/" + kHeightMap, "--heightmap"},
                "P5\n512 512\n255\n", 512 * 512);
    const auto count = [&](auto test) { return std::count_if(pgm.begin(), pgm.end(), test); };
    EXPECT_GT(count([](uint8_t h) { return h < 128; }), 512 * 512 / 30); // under water
    EXPECT_GT(count([](uint8_t h) { return h > 210; }), 512 * 512 / 100);
    // Around the tanks' start, sample (0.45, 0.45): dry and level.
    for (int i = 0; i < 6 * 512; i += i % 512 == 5 ? 507 : 1)
        EXPECT_NEAR(uint8_t(pgm[i]), 152, 6) << i;
}

// heightmap turns grey PNGs into the game's BMP and refuses damaged, coloured, outsized ones.
TEST(HeightMapCommand, ConvertsGreyPngsOnly) {
    TempDir dir;
    const std::string in = dir.File("in.png"), out = dir.File("out.bmp");
    // 3 samples a row make padded BMP rows; 16 bits are scaled to 0-255, rounded.
    const std::tuple<std::string, std::string> cases[] = {
        {Png<uint8_t>(3, 2, PNG_FORMAT_GRAY, {0, 50, 128, 129, 200, 255}),
         std::string{0, 50, char(128), char(129), char(200), char(255)}},
        {Png<uint16_t>(3, 2, PNG_FORMAT_LINEAR_Y, {0, 128, 1000, 32767, 32768, 65535}),
         std::string{0, 0, 4, 127, char(128), char(255)}},
        {Png<uint8_t>(3, 2, PNG_FORMAT_RGB, std::vector<uint8_t>(18, 7)), std::string(6, 7)}};
    for (const auto& [png, heights] : cases) {
        WriteFileText(in, png);
        const ToolRun run = Tool({"heightmap", in, out});
        EXPECT_EQ(std::tuple(run.code, ReadFileText(out).size(),
                             Decoded({"decode", out, "--heightmap"}, "P5\n3 2\n255\n", 6)),
                  std::tuple(0, 54u + 2 * 12, heights))
            << run.err;
    }
    const std::string good = Png<uint8_t>(8, 8, PNG_FORMAT_GRAY, std::vector<uint8_t>(64, 9));
    std::string badData = good;
    badData[badData.find("IDAT") + 6] ^= 0x55;
    const std::string sizes = " samples; the game plays 2 x 2 to 8192 x 8192\n";
    const std::tuple<std::string, std::string> refused[] = {
        {"not a picture", "not a PNG picture\n"},
        {good.substr(0, good.size() - 20), "damaged PNG: "},
        {badData, "damaged PNG: "},
        {Png<uint8_t>(2, 1, PNG_FORMAT_RGB, {1, 2, 3, 4, 4, 4}), "2 x 1" + sizes},
        {Png<uint8_t>(8193, 2, PNG_FORMAT_GRAY, std::vector<uint8_t>(8193 * 2)),
         "8193 x 2" + sizes},
        {Png<uint8_t>(2, 2, PNG_FORMAT_RGB, {9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 9, 8}),
         "coloured pixels: a height map is grey\n"}};
    fs::remove(out);
    for (const auto& [png, problem] : refused) {
        WriteFileText(in, png);
        const ToolRun run = Tool({"heightmap", in, out});
        const std::string want = "zezivoze-data: " + in + ": " + problem;
        EXPECT_EQ(std::tuple(run.code, run.err.substr(0, want.size()), fs::exists(out)),
                  std::tuple(1, want, false));
    }
}
