// Runs the real zezivoze-data on real folders.
#include "app/Globals.h"
#include "app/TextureTable.h"
#include "image/BmpReader.h"
#include "image/BmpWriter.h"
#include "image/DibImage.h"
#include "support/TestSupport.h"

#include <algorithm>
#include <cstdlib>
#include <filesystem>
#include <gtest/gtest.h>
#include <map>
#include <set>
#include <sstream>
#include <sys/wait.h>

namespace fs = std::filesystem;

namespace {
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
    int status = std::system(command.c_str());
    ToolRun run;
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : 128 + WTERMSIG(status);
    run.out = ReadFileText(scratch.File("out"));
    run.err = ReadFileText(scratch.File("err"));
    return run;
}

std::map<std::string, std::vector<uint8_t>> Tree(const fs::path& root) {
    std::map<std::string, std::vector<uint8_t>> files;
    for (const auto& entry : fs::recursive_directory_iterator(root))
        if (entry.is_regular_file())
            files[fs::relative(entry.path(), root).generic_string()] =
                ReadFileBytes(entry.path().string());
    return files;
}

std::vector<std::string> Lines(const std::string& text) {
    std::vector<std::string> lines;
    std::istringstream in(text);
    for (std::string line; std::getline(in, line);)
        lines.push_back(line);
    return lines;
}

uint32_t Le32(const std::vector<uint8_t>& b, size_t at) {
    return static_cast<uint32_t>(b[at]) | b[at + 1] << 8 | b[at + 2] << 16 |
           static_cast<uint32_t>(b[at + 3]) << 24;
}

bool PowerOfTwo(int v) {
    return v > 0 && (v & (v - 1)) == 0;
}

// The default set, generated once for the tests that only read it.
const fs::path& DataSet() {
    static TempDir dir;
    static bool made = false;
    if (!made) {
        ToolRun run = Tool({"generate", dir.File("data")});
        EXPECT_EQ(run.code, 0) << run.err;
        made = true;
    }
    static fs::path data = dir.path() / "data";
    return data;
}
} // namespace

TEST(DataTool, GenerateIsDeterministicAndCheckFindsEverythingFine) {
    TempDir other;
    ToolRun again = Tool({"generate", other.File("data")});
    ASSERT_EQ(again.code, 0) << again.err;
    auto first = Tree(DataSet()), second = Tree(other.path() / "data");
    EXPECT_EQ(first.size(), 37u);
    EXPECT_TRUE(first == second);
    for (const char* path : kTextureTable)
        EXPECT_EQ(first.count(path), 1u) << path;
    EXPECT_EQ(first.count("textures/landscp.bmp"), 1u);

    ToolRun check = Tool({"check", DataSet().string()});
    EXPECT_EQ(check.code, 0) << check.out;
    std::vector<std::string> lines = Lines(check.out);
    ASSERT_EQ(lines.size(), 38u);
    for (int i = 0; i < 33; ++i) {
        EXPECT_EQ(lines[i].rfind(kTextureTable[i], 0), 0u) << lines[i];
        EXPECT_NE(lines[i].find(" OK "), std::string::npos) << lines[i];
    }
    EXPECT_NE(lines[33].find("textures/landscp.bmp"), std::string::npos);
    EXPECT_EQ(lines[37], "all 37 files OK");

    ToolRun json = Tool({"check", "--json", DataSet().string()});
    EXPECT_EQ(json.code, 0);
    lines = Lines(json.out);
    ASSERT_EQ(lines.size(), 37u);
    EXPECT_EQ(lines[0].rfind("{\"file\":\"textures/landscpt.bmp\",\"ok\":true,\"width\":256,"
                             "\"height\":256,\"detail\":\"256 x 256, 24 bits\"}",
                             0),
              0u)
        << lines[0];
    for (const std::string& line : lines)
        EXPECT_NE(line.find("\"ok\":true"), std::string::npos) << line;
}

TEST(DataTool, TexturesMixEveryLayoutAndArePowersOfTwo) {
    MessageBoxRecorder boxes;
    std::set<std::string> seen;
    for (int i = 0; i < kTextureTableSize; ++i) {
        const std::string path = (DataSet() / kTextureTable[i]).string();
        std::vector<uint8_t> b = ReadFileBytes(path);
        ASSERT_GE(b.size(), 30u);
        const bool fileHeader = b[0] == 'B' && b[1] == 'M';
        const size_t info = fileHeader ? 14 : 0;
        const uint32_t infoSize = Le32(b, info);
        const int bpp = b[info + (infoSize == 12 ? 10 : 14)];
        const uint32_t compression = infoSize == 12 ? 0 : Le32(b, info + 16);
        seen.insert(std::to_string(bpp) + "-bit");
        if (infoSize == 12)
            seen.insert("core header");
        if (!fileHeader)
            seen.insert("packed");
        if (compression == 1)
            seen.insert("RLE8");
        if (compression == 2)
            seen.insert("RLE4");
        if (compression == 3)
            seen.insert("bit fields");
        if (infoSize == 40 && static_cast<int32_t>(Le32(b, info + 8)) < 0)
            seen.insert("top-down");

        RgbImage* image = LoadDibImage(path.c_str());
        ASSERT_NE(image, nullptr) << path;
        EXPECT_TRUE(PowerOfTwo(image->width) && PowerOfTwo(image->height)) << path;
        if (i < 3) {
            EXPECT_EQ(image->width, 256);
            EXPECT_EQ(image->height, 256);
        }
        // Not a flat fill: a picture has some range in it.
        auto [lo, hi] = std::minmax_element(
            image->pixels, image->pixels + static_cast<size_t>(image->width) * image->height * 3);
        EXPECT_GT(*hi - *lo, 60) << path;
        DeleteRgbImage(image);
    }
    for (const char* layout : {"24-bit", "8-bit", "4-bit", "1-bit", "16-bit", "32-bit",
                               "core header", "RLE8", "RLE4", "packed", "bit fields", "top-down"})
        EXPECT_EQ(seen.count(layout), 1u) << layout;
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(DataTool, HeightMapHasWaterSnowAndADryStart) {
    LogCapture log;
    BmpReader reader;
    reader.Load((DataSet() / "textures/landscp.bmp").string().c_str());
    ASSERT_EQ(reader.bitsPerPixel, 24);
    ASSERT_EQ(reader.width, 32);
    ASSERT_EQ(reader.height, 32);
    int water = 0, snow = 0, lowest = 255, highest = 0;
    for (int i = 0; i < 32 * 32; ++i) {
        const uint8_t* p = reader.pixels + i * 3;
        ASSERT_TRUE(p[0] == p[1] && p[1] == p[2]) << i; // grey
        water += p[0] < 128;
        snow += p[0] > 216;
        lowest = std::min(lowest, static_cast<int>(p[0]));
        highest = std::max(highest, static_cast<int>(p[0]));
    }
    EXPECT_GT(water, 32 * 32 / 20);
    EXPECT_GT(snow, 32 * 32 / 50);
    EXPECT_LT(lowest, 100);
    EXPECT_GT(highest, 235);
    // The first tank starts at world (45, 45), the second at (900, 900): one
    // sample is 100 world units, so samples 0 to 10 must be dry land.
    for (int r = 0; r <= 10; ++r)
        for (int c = 0; c <= 10; ++c)
            EXPECT_GT(reader.pixels[(r * 32 + c) * 3], 135) << r << "," << c;
}

TEST(DataTool, DecodeWritesUprightPpmAndPgm) {
    TempDir dir;
    const std::string picture = (DataSet() / "textures/info.bmp").string();
    ToolRun run = Tool({"decode", picture, dir.File("info.ppm")});
    ASSERT_EQ(run.code, 0) << run.err;
    std::vector<uint8_t> ppm = ReadFileBytes(dir.File("info.ppm"));
    const std::string header = "P6\n128 128\n255\n";
    ASSERT_EQ(ppm.size(), header.size() + 128 * 128 * 3);
    EXPECT_EQ(std::string(ppm.begin(), ppm.begin() + static_cast<long>(header.size())), header);
    RgbImage* image = LoadDibImage(picture.c_str());
    ASSERT_NE(image, nullptr);
    for (int y = 0; y < 128; ++y) // the file's first row is the picture's top
        ASSERT_TRUE(std::equal(image->pixels + (127 - y) * 128 * 3,
                               image->pixels + (128 - y) * 128 * 3,
                               ppm.begin() + static_cast<long>(header.size()) + y * 128 * 3))
            << y;
    DeleteRgbImage(image);

    // The panel: light text on black, the name across its top.
    int lit = 0, litInTitle = 0;
    for (int y = 0; y < 128; ++y)
        for (int x = 0; x < 128; ++x) {
            const uint8_t* p = &ppm[header.size() + (y * 128 + x) * 3];
            bool on = p[0] + p[1] + p[2] > 300;
            EXPECT_TRUE(on || p[0] + p[1] + p[2] == 0);
            lit += on;
            litInTitle += on && y >= 7 && y < 21 && x > 8 && x < 120;
        }
    EXPECT_GT(litInTitle, 200);
    EXPECT_LT(lit, 128 * 128 / 4);

    const std::vector<uint8_t> heights = {10, 20, 30, 40, 50, 60};
    WriteBinaryFile(dir.File("h.bmp"), EncodeHeightMapBmp(3, 2, heights));
    run = Tool({"decode", "--heightmap", dir.File("h.bmp"), dir.File("h.pgm")});
    ASSERT_EQ(run.code, 0) << run.err;
    std::vector<uint8_t> pgm = ReadFileBytes(dir.File("h.pgm"));
    std::vector<uint8_t> expected = {'P', '5', '\n', '3', ' ', '2', '\n', '2', '5', '5', '\n'};
    expected.insert(expected.end(), heights.begin(), heights.end());
    EXPECT_EQ(pgm, expected);
}

TEST(DataTool, DamagedFilesAreReportedNeverCrashed) {
    TempDir dir;
    fs::copy(DataSet(), dir.path() / "data", fs::copy_options::recursive);
    const fs::path data = dir.path() / "data";
    fs::remove(data / "textures/star.bmp");
    std::vector<uint8_t> water = ReadFileBytes((data / "textures/water.bmp").string());
    water.resize(water.size() / 2);
    WriteFileBytes((data / "textures/water.bmp").string(), water);
    WriteFileText((data / "textures/trail.bmp").string(), "not a picture at all");
    BmpLayout eight;
    eight.bitsPerPixel = 8;
    eight.palette = {0, 0xFFFFFF};
    WriteBinaryFile((data / "textures/landscp.bmp").string(),
                    EncodeBmp(4, 4, std::vector<uint8_t>(48, 255), eight));
    WriteBinaryFile((data / "textures/cobra/cobra_camo.bmp").string(),
                    EncodeBmp24(100, 64, std::vector<uint8_t>(100 * 64 * 3, 90)));

    ToolRun check = Tool({"check", data.string()});
    EXPECT_EQ(check.code, 1) << check.err;
    const std::string& out = check.out;
    EXPECT_NE(out.find("textures/star.bmp                             PROBLEM  missing\n"),
              std::string::npos)
        << out;
    EXPECT_NE(out.find("PROBLEM  Image file conversion error.\n"), std::string::npos);
    EXPECT_NE(out.find("PROBLEM  Unknown DIB file format.\n"), std::string::npos);
    EXPECT_NE(out.find("PROBLEM  BMP FILE ERROR: Not 24 bpp, 8 instead\n"), std::string::npos);
    EXPECT_NE(out.find("PROBLEM  100 x 64: OpenGL 1.1 needs a power of two on each side\n"),
              std::string::npos);
    EXPECT_NE(out.find("5 of 37 files with problems\n"), std::string::npos);

    ToolRun json = Tool({"check", data.string(), "--json"});
    EXPECT_EQ(json.code, 1);
    EXPECT_NE(
        json.out.find("{\"file\":\"textures/star.bmp\",\"ok\":false,\"problem\":\"missing\"}"),
        std::string::npos)
        << json.out;

    // decode reports the loader's refusal and exits 1.
    ToolRun bad = Tool({"decode", (data / "textures/trail.bmp").string(), dir.File("x.ppm")});
    EXPECT_EQ(bad.code, 1);
    EXPECT_EQ(bad.err, "Unknown DIB file format.\n");
    ToolRun missing = Tool({"decode", dir.File("none.bmp"), dir.File("x.ppm")});
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.err, "Failed to open DIB file " + dir.File("none.bmp") + ".\n");
    ToolRun eightBit = Tool(
        {"decode", (data / "textures/landscp.bmp").string(), dir.File("x.pgm"), "--heightmap"});
    EXPECT_EQ(eightBit.code, 1);
    EXPECT_EQ(eightBit.err, "BMP FILE ERROR: Not 24 bpp, 8 instead\n");
    EXPECT_EQ(Tool({"decode", "only-one-argument"}).code, 2);
    EXPECT_EQ(Tool({"check"}).code, 2);
}
