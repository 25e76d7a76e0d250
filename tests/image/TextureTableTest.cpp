#include "app/TextureTable.h"
#include "ImageTestSupport.h"
#include "image/TextureManager.h"

#include <GL/gl.h>
#include <cstdlib>
#include <gtest/gtest.h>

// The start-up load of the default data set: 33 slots in table order, one log
// line each, in that order.
TEST(TextureTable, LoadsTheDefaultPicturesInTableOrder) {
    GLTestContext gl;
    ASSERT_TRUE(gl.ok());
    MessageBoxRecorder boxes;
    TempDir dir(true);
    ASSERT_EQ(std::system("'" ZEZIVOZE_BINARY_DIR "/zezivoze-data' generate . >/dev/null"), 0);
    LogCapture log;

    TextureManager manager;
    LoadTextureTable(manager);
    EXPECT_EQ(manager.capacity, 256);
    ASSERT_EQ(manager.count, kTextureTableSize);
    std::string expected;
    for (int i = 0; i < kTextureTableSize; ++i) {
        expected += std::string("Texture '") + kTextureTable[i] + "' loaded\n";
        EXPECT_EQ(manager.FindByName(kTextureTable[i]), i);
    }
    const std::string text = log.Finish();
    EXPECT_EQ(text.substr(text.find(".\n") + 2), expected + "Log file closed\n");

    manager.Bind(manager.FindByName("textures/landscpt2.bmp"));
    GLint width = 0, height = 0;
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_WIDTH, &width);
    glGetTexLevelParameteriv(GL_TEXTURE_2D, 0, GL_TEXTURE_HEIGHT, &height);
    EXPECT_EQ(width, 256);
    EXPECT_EQ(height, 256);
    EXPECT_TRUE(boxes.boxes().empty());
}
