#include "platform/ErrorLog.h"
#include "support/TestSupport.h"

TEST(ErrorLog, WritesVerbatimClosesOnce) {
    MessageBoxRecorder boxes;
    TempDir dir;
    const std::string path = dir.File("error.out"), second = dir.File("second.out");
    const std::string written = "Log file '" + path +
                                "' opened.\nBMP File 'odd%s%dname.bmp' opened (256,128,24)\n" +
                                std::string(511, 'x');
    {
        ErrorLog log;
        log.Open(path.c_str());
        log.Write("BMP File '%s' opened (%i,%i,%i)\n", "odd%s%dname.bmp", 256, 128, 24);
        log.Write("%s", std::string(2000, 'x').c_str());
        EXPECT_EQ(ReadFileText(path), written); // written through: a crash would lose nothing
        log.Close();
        log.Close();
        log.Write("after close\n");
        EXPECT_EQ(ReadFileText(path), written + "Log file closed\n");
        log.Open(second.c_str()); // opened again while open: the first file closed, not leaked
        log.Open(path.c_str());
    } // the destructor closes
    EXPECT_EQ(ReadFileText(second), "Log file '" + second + "' opened.\nLog file closed\n");
    EXPECT_EQ(ReadFileText(path), "Log file '" + path + "' opened.\nLog file closed\n");
    EXPECT_TRUE(boxes.boxes().empty());
}

// The log gets the prefix, the box the bare message; with no log open it still tells and fails.
TEST(ErrorLogDeathTest, FatalExitsWithOne) {
    EXPECT_EQ(LogOfFatal([] { errorLog.Fatal("Unable to load texture '%s'", "no/such/file.bmp"); },
                         false, "\\[FATAL ERROR\\] Unable to load texture 'no/such/file\\.bmp'"),
              "FATAL ERROR: Unable to load texture 'no/such/file.bmp'");
    EXPECT_EXIT(ErrorLog().Fatal("Unable to create window"), testing::ExitedWithCode(1),
                "FATAL ERROR: Unable to create window");
}
