#include "platform/ErrorLog.h"
#include "platform/BinaryFile.h"
#include "platform/MessageBox.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(ErrorLog, WritesMessagesVerbatimCutToTheBufferAndClosesOnce) {
    MessageBoxRecorder boxes;
    TempDir dir;
    const std::string path = dir.File("error.out");
    const std::string written = "Log file '" + path +
                                "' opened.\nZezivoze error log\n"
                                "BMP File 'odd%s%dname.bmp' opened (256,128,24)\nno line end " +
                                std::string(511, 'x');
    {
        ErrorLog log;
        log.Write("before open %d\n", 1); // closed: nothing
        log.Open(path.c_str());
        EXPECT_TRUE(log.IsOpen());
        log.Write("Zezivoze error log\n");
        log.Write("BMP File '%s' opened (%i,%i,%i)\n", "odd%s%dname.bmp", 256, 128, 24);
        log.Write("no line end ");
        log.Write(nullptr);
        log.Fatal(nullptr); // returns, writes nothing
        log.Write("%s", std::string(2000, 'x').c_str());
        // Written through at once: a crash now would lose nothing.
        EXPECT_EQ(ReadFileText(path), written);
        log.Close();
        log.Close();
        log.Write("after close\n");
    } // the destructor closes again: nothing more
    EXPECT_EQ(ReadFileText(path), written + "Log file closed\n");
    EXPECT_TRUE(boxes.boxes().empty());

    // Opened again while open: the first file is closed properly, not leaked.
    const std::string second = dir.File("second.out");
    {
        ErrorLog log;
        log.Open(path.c_str());
        log.Open(second.c_str());
    }
    EXPECT_EQ(ReadFileText(path), "Log file '" + path + "' opened.\nLog file closed\n");
    EXPECT_EQ(ReadFileText(second), "Log file '" + second + "' opened.\nLog file closed\n");
}

// A fatal error writes the prefix, shows the bare message, closes the log and
// ends the process with exit code 1; the destructors of the globals still run.
TEST(ErrorLogDeathTest, FatalWritesShowsClosesAndExitsWithOne) {
    TempDir dir;
    const std::string path = dir.File("error.out");
    EXPECT_EXIT(
        {
            SetMessageBoxSink([](const char* caption, const char* text) {
                std::fprintf(stderr, "[%s|%s]", caption, text);
            });
            errorLog.Open(path.c_str());
            BinaryFile missing;
            missing.Open("no/such/file.bmp", "rb");
            errorLog.Fatal("Unable to load texture '%s'", "no/such/file.bmp");
            std::exit(7);
        },
        testing::ExitedWithCode(1),
        "\\[FATAL ERROR\\|Unable to load texture 'no/such/file\\.bmp'\\]");
    EXPECT_EQ(ReadFileText(path), "Log file '" + path +
                                      "' opened.\nUnable to open file (no/such/file.bmp)"
                                      "FATAL ERROR: Unable to load texture 'no/such/file.bmp'");
}

TEST(ErrorLogDeathTest, FatalWithAClosedLogStillFailsButANullFormatReturns) {
    EXPECT_EXIT(
        {
            ErrorLog log;
            log.Fatal(nullptr); // returns
            log.Fatal("Unable to create window");
            std::exit(0);
        },
        testing::ExitedWithCode(1), "FATAL ERROR: Unable to create window");
}
