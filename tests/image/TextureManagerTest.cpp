#include "image/TextureManager.h"
#include "ImageTestSupport.h"
#include "image/BmpWriter.h"
#include "image/DibImage.h"

#include <GL/gl.h>
#include <cstdio>
#include <gtest/gtest.h>

namespace {
std::string childLog;

// Death tests here re-execute the test program, so that the child makes its own
// OpenGL context; the child reports its message box and its log on stderr.
template <typename Body> void ExpectFatalWithContext(Body body, const std::string& pattern) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    TempDir dir;
    childLog = dir.File("error.out");
    EXPECT_EXIT(
        {
            SetMessageBoxSink([](const char* caption, const char* text) {
                std::fprintf(stderr, "box %s|%s\nlog %s\n", caption, text,
                             ReadFileText(childLog).c_str());
            });
            GLTestContext gl;
            if (!gl.ok())
                std::exit(3);
            errorLog.Open(childLog.c_str());
            body();
            std::exit(0);
        },
        testing::ExitedWithCode(1), pattern);
}

int LevelSize(GLenum which) {
    GLint value = -1;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, which, &value);
    return value;
}

GLint BoundTexture() {
    GLint bound = -1;
    glGetIntegerv(GL_TEXTURE_BINDING_2D, &bound);
    return bound;
}
} // namespace

TEST(TextureManager, LoadsInSlotOrderFindsByExactNameAndUploadsAtOwnSize) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    MessageBoxRecorder boxes;
    TempDir dir(true);
    LogCapture log;

    // A 24-bit picture and an 8-bit palette picture of odd width (packed rows).
    std::vector<uint8_t> wide = TestPicture(8, 4);
    ASSERT_TRUE(WriteBinaryFile("textures/water.bmp", EncodeBmp24(8, 4, wide)));
    BmpLayout palette;
    palette.bitsPerPixel = 8;
    palette.palette = {0xFF0000, 0x00FF00, 0x0000FF};
    std::vector<uint8_t> odd = {255, 0, 0, 0, 255, 0, 0, 0, 255, 0, 0, 255, 0, 255, 0, 255, 0, 0};
    ASSERT_TRUE(WriteBinaryFile("textures/odd.bmp", EncodeBmp(3, 2, odd, palette)));

    TextureManager manager;
    manager.Create(8);
    EXPECT_EQ(manager.capacity, 8);
    EXPECT_EQ(manager.count, 0);
    EXPECT_EQ(manager.FindByName("textures/water.bmp"), -1);
    EXPECT_EQ(manager.LoadFromFile("textures/water.bmp"), 0);
    EXPECT_EQ(manager.LoadFromFile("textures/odd.bmp"), 1);
    std::vector<uint8_t> tile(16 * 2 * 3, 77);
    EXPECT_EQ(manager.LoadFromMemory("0", tile.data(), 16, 2), 2);
    tile[0] = 1; // the slot keeps its own copy
    EXPECT_EQ(manager.LoadFromFile("textures/water.bmp"), 3);
    EXPECT_EQ(manager.count, 4);
    EXPECT_EQ(glGetError(), static_cast<GLenum>(GL_NO_ERROR));

    EXPECT_EQ(manager.FindByName("textures/water.bmp"), 0); // the first of two
    EXPECT_EQ(manager.FindByName("textures/odd.bmp"), 1);
    EXPECT_EQ(manager.FindByName("0"), 2);
    EXPECT_EQ(manager.FindByName("textures/Water.bmp"), -1);
    EXPECT_EQ(manager.FindByName("water.bmp"), -1);
    EXPECT_EQ(manager.FindByName("textures/water.bmp "), -1);
    EXPECT_EQ(manager.FindByName("1"), -1);
    EXPECT_STREQ(manager.slots[1].Name(), "textures/odd.bmp");
    EXPECT_EQ(manager.slots[2].image->pixels[0], 77);
    EXPECT_EQ(manager.slots[4].loaded, 0);

    // Each slot is its own texture object, at the picture's own size, with
    // linear filtering and the default repeat wrapping.
    const int sizes[4][2] = {{8, 4}, {3, 2}, {16, 2}, {8, 4}};
    for (int slot = 0; slot < 4; ++slot) {
        manager.Bind(slot);
        EXPECT_EQ(BoundTexture(), static_cast<GLint>(manager.ids[slot]));
        EXPECT_EQ(LevelSize(GL_TEXTURE_WIDTH), sizes[slot][0]) << slot;
        EXPECT_EQ(LevelSize(GL_TEXTURE_HEIGHT), sizes[slot][1]) << slot;
        GLint value = 0;
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MIN_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_MAG_FILTER, &value);
        EXPECT_EQ(value, GL_LINEAR);
        glGetTexParameteriv(GL_TEXTURE_2D, GL_TEXTURE_WRAP_S, &value);
        EXPECT_EQ(value, GL_REPEAT);
        // What OpenGL holds is the slot's picture, bottom row first.
        const RgbImage& image = *manager.slots[slot].image;
        std::vector<uint8_t> texels(static_cast<size_t>(image.width) * image.height * 3);
        glPixelStorei(GL_PACK_ALIGNMENT, 1);
        glGetTexImage(GL_TEXTURE_2D, 0, GL_RGB, GL_UNSIGNED_BYTE, texels.data());
        EXPECT_EQ(texels, std::vector<uint8_t>(image.pixels, image.pixels + texels.size()));
    }
    EXPECT_EQ(
        std::vector<uint8_t>(manager.slots[1].image->pixels, manager.slots[1].image->pixels + 18),
        BottomUp(odd, 3, 2));

    // Nothing is bound for a failed look-up or a slot not used yet.
    manager.Bind(1);
    for (int bad : {-1, 4, 8, 1000, -1000}) {
        manager.Bind(bad);
        EXPECT_EQ(BoundTexture(), static_cast<GLint>(manager.ids[1]));
    }
    EXPECT_EQ(log.Finish().substr(log.Finish().find(".\n") + 2),
              "Texture 'textures/water.bmp' loaded\nTexture 'textures/odd.bmp' loaded\n"
              "Texture '0' loaded\nTexture 'textures/water.bmp' loaded\nLog file closed\n");
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(TextureManagerDeathTest, TheLoadAfterTheLastSlotEndsTheProgram) {
    ExpectFatalWithContext(
        [] {
            TextureManager manager;
            manager.Create(256);
            const uint8_t pixel[3] = {1, 2, 3};
            for (int i = 0; i < 256; ++i)
                if (manager.LoadFromMemory(std::to_string(i).c_str(), pixel, 1, 1) != i)
                    std::exit(4);
            std::fprintf(stderr, "256 loaded\n");
            manager.LoadFromMemory("256", pixel, 1, 1);
        },
        "256 loaded\nbox FATAL ERROR\\|Unable to allocate more textures, texture limit "
        "reached\nlog .*Texture '255' loaded\nFATAL ERROR: Unable to allocate more textures, "
        "texture limit reached\n");
}

TEST(TextureManagerDeathTest, AMissingOrUnreadableFileEndsTheProgram) {
    ExpectFatalWithContext(
        [] {
            TextureManager manager;
            manager.Create(4);
            manager.LoadFromFile("no/such.bmp");
        },
        "box FATAL ERROR\\|Unable to load texture 'no/such.bmp'\nlog .*Unable to open file "
        "\\(no/such.bmp\\)FATAL ERROR: Unable to load texture 'no/such.bmp'\n");
    ExpectFatalWithContext(
        [] {
            TempDir here(true);
            WriteFileText("broken.bmp", "BM this is no picture at all");
            TextureManager manager;
            manager.Create(4);
            manager.LoadFromFile("broken.bmp");
        },
        "box Error\\|Unknown DIB file format.\nlog .*\nbox FATAL ERROR\\|Unable to load "
        "texture 'broken.bmp'\nlog .*FATAL ERROR: Unable to load texture 'broken.bmp'\n");
}
