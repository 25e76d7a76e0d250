#include "model/ModelFiles.h"

#include "support/TestSupport.h"

#include "model/Model.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/wait.h>

namespace {
struct CommandRun {
    int code;
    std::string out;
    std::string err;
};

// Runs the data tool's model command; stdout and stderr kept apart.
CommandRun RunModelTool(const TempDir& dir, const std::string& arguments) {
    const std::string errFile = dir.File("stderr.txt");
    const std::string command =
        std::string(ZEZIVOZE_BINARY_DIR) + "/zezivoze-data model " + arguments + " 2>" + errFile;
    CommandRun run{-1, "", ""};
    FILE* pipe = popen(command.c_str(), "r");
    if (pipe == nullptr)
        return run;
    char buffer[4096];
    size_t got;
    while ((got = std::fread(buffer, 1, sizeof buffer, pipe)) > 0)
        run.out.append(buffer, got);
    const int status = pclose(pipe);
    run.code = WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    run.err = ReadFileText(errFile);
    return run;
}
} // namespace

TEST(ModelCommand, PrintsCountsNamesAndMatches) {
    TempDir dir;
    ModelWriter writer = SmallModel(); // treads, camo, and one unknown texture
    writer.AddMount("gun \"A\"", 1, 2, 3);
    WriteFileBytes(dir.File("small.rozi"), writer.Bytes());

    const CommandRun json = RunModelTool(dir, dir.File("small.rozi") + " --json");
    EXPECT_EQ(json.code, 0) << json.err;
    EXPECT_EQ(json.out, "{\"vertexCount\":12,\"faceCount\":3,\"textureCount\":3,\"frameCount\":1,"
                        "\"mountCount\":2,\"textureNames\":[\"cobra_treads\",\"cobra_camo\","
                        "\"missing_part\"],\"textureIds\":[12,28,-1],"
                        "\"mountNames\":[\"turret\",\"gun \\\"A\\\"\"]}\n");
    EXPECT_NE(json.err.find("Texture used: missing_part\n"), std::string::npos);

    const CommandRun text = RunModelTool(dir, dir.File("small.rozi"));
    EXPECT_EQ(text.code, 0);
    EXPECT_NE(text.out.find("Faces: 3\n"), std::string::npos) << text.out;
    EXPECT_NE(text.out.find("Mounts: 2\n"), std::string::npos);
    EXPECT_NE(text.out.find("Texture 0: cobra_treads -> textures/cobra/cobra_treads.bmp"),
              std::string::npos);
    EXPECT_NE(text.out.find("Texture 2: missing_part -> no texture"), std::string::npos);
    EXPECT_NE(text.out.find("Mount 0: turret at (0.32, 0, 0.98)"), std::string::npos);

    writer.mounts.clear();
    writer.withMounts = false;
    WriteFileBytes(dir.File("plain.rozi"), writer.Bytes());
    const CommandRun plain = RunModelTool(dir, dir.File("plain.rozi") + " --json");
    EXPECT_NE(plain.out.find("\"mountCount\":null,"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("\"mountNames\":[]}"), std::string::npos);
}

TEST(ModelCommand, MissingOrDamagedFileGivesTheLoadersMessageAndExit1) {
    TempDir dir;
    const std::string fatal = "FATAL ERROR: File: 'models/cobra.rozi' appears to be missing or "
                              "corrupted\n";
    const CommandRun missing = RunModelTool(dir, dir.File("none.rozi") + " --json");
    EXPECT_EQ(missing.code, 1);
    EXPECT_EQ(missing.out, "");
    EXPECT_EQ(missing.err, "Unable to open file (" + dir.File("none.rozi") + ")" + fatal);

    ModelWriter writer = SmallModel();
    writer.faces[1].index[2] = 99;
    WriteFileBytes(dir.File("bad.rozi"), writer.Bytes());
    const CommandRun damaged = RunModelTool(dir, dir.File("bad.rozi"));
    EXPECT_EQ(damaged.code, 1);
    EXPECT_EQ(damaged.out, "");
    EXPECT_NE(damaged.err.find("Model file '" + dir.File("bad.rozi") +
                               "' is damaged: face 1 corner 2 uses vertex 99 of 12\n" + fatal),
              std::string::npos)
        << damaged.err;

    EXPECT_EQ(RunModelTool(dir, "").code, 2);
    EXPECT_EQ(RunModelTool(dir, dir.File("bad.rozi") + " --xml").code, 2);
}

namespace {
struct Bounds {
    float lo[3] = {1e9f, 1e9f, 1e9f};
    float hi[3] = {-1e9f, -1e9f, -1e9f};
};

Bounds ModelBounds(const Model& model) {
    Bounds b;
    for (int i = 0; i < 3 * model.vertexCount; ++i) {
        b.lo[i % 3] = std::min(b.lo[i % 3], model.frames[0][i]);
        b.hi[i % 3] = std::max(b.hi[i % 3], model.frames[0][i]);
    }
    return b;
}

void ExpectMount(const Model& model, const char* name, float x, float y, float z) {
    ASSERT_NE(model.mountPositions, nullptr);
    ASSERT_EQ(model.mountCount, 1);
    EXPECT_STREQ(model.mountNames[0], name);
    EXPECT_FLOAT_EQ(model.mountPositions[0], x);
    EXPECT_FLOAT_EQ(model.mountPositions[1], y);
    EXPECT_FLOAT_EQ(model.mountPositions[2], z);
}
} // namespace

TEST(ModelCommand, GeneratedTankPartsFitTheirMountsAndFindTheirTextures) {
    TempDir dir;
    const std::string data = dir.File("data");
    ASSERT_EQ(std::system((std::string(ZEZIVOZE_BINARY_DIR) + "/zezivoze-data generate " + data +
                           " >/dev/null")
                              .c_str()),
              0);
    for (const char* part : {"cobra_body", "cobra_main_turret", "cobra_main_barrel"}) {
        const CommandRun run = RunModelTool(dir, data + "/models/" + part + ".rozi --json");
        EXPECT_EQ(run.code, 0) << run.err;
        EXPECT_EQ(run.err, "") << "every entry matched a texture";
        EXPECT_EQ(run.out.find("-1"), std::string::npos) << run.out;
    }

    Model hull, turret, barrel;
    hull.Load((data + "/models/cobra_body.rozi").c_str());
    turret.Load((data + "/models/cobra_main_turret.rozi").c_str());
    barrel.Load((data + "/models/cobra_main_barrel.rozi").c_str());
    ASSERT_TRUE(hull.loaded && turret.loaded && barrel.loaded);

    // The hull stands on z = 0 and is symmetric; its deck carries the turret.
    const Bounds h = ModelBounds(hull);
    EXPECT_EQ(h.lo[2], 0.0f);
    EXPECT_FLOAT_EQ(h.lo[1], -h.hi[1]);
    EXPECT_GT(h.hi[0], 1.5f);
    EXPECT_LT(h.lo[0], -1.5f);
    ExpectMount(hull, "turret", 0.32f, 0, 0.98f);
    // The turret stands on its mount; the barrel's mount is in its front.
    const Bounds t = ModelBounds(turret);
    EXPECT_EQ(t.lo[2], 0.0f);
    EXPECT_GT(t.hi[0], 1.0f);
    EXPECT_FLOAT_EQ(t.lo[1], -t.hi[1]);
    ExpectMount(turret, "barrel", 1.0f, 0, 0.22f);
    // The barrel runs along +x round its axis and ends at the muzzle, 2.7 out.
    const Bounds b = ModelBounds(barrel);
    EXPECT_FLOAT_EQ(b.hi[0], 2.7f);
    EXPECT_LT(b.lo[0], 0.0f);
    EXPECT_NEAR(b.lo[1] + b.hi[1], 0, 1e-6f);
    EXPECT_NEAR(b.lo[2] + b.hi[2], 0, 1e-6f);
    EXPECT_LT(b.hi[2], 0.2f);
    ExpectMount(barrel, "muzzle", 2.7f, 0, 0);
}
