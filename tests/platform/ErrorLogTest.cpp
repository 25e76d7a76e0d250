#include "platform/ErrorLog.h"
#include "app/Globals.h"
#include "platform/BinaryFile.h"
#include "platform/MessageBox.h"
#include "support/TestSupport.h"

#include <gtest/gtest.h>

TEST(ErrorLog, WritesMessagesVerbatimAndClosesOnce) {
    MessageBoxRecorder boxes;
    TempDir dir;
    const std::string path = dir.File("error.out");
    {
        ErrorLog log;
        log.Write("before open %d\n", 1); // closed: nothing
        log.Open(path.c_str());
        EXPECT_TRUE(log.IsOpen());
        log.Write("Zezivoze error log\n");
        log.Write("BMP File '%s' opened (%i,%i,%i)\n", "odd%s%dname.bmp", 256, 128, 24);
        log.Write("no line end ");
        log.Write(nullptr);
        // Written through at once: a crash now would lose nothing.
        EXPECT_EQ(ReadFileText(path),
                  "Log file '" + path +
                      "' opened.\nZezivoze error log\n"
                      "BMP File 'odd%s%dname.bmp' opened (256,128,24)\nno line end ");
        log.Close();
        log.Close();
        log.Write("after close\n");
    } // the destructor closes again: nothing more
    EXPECT_EQ(ReadFileText(path),
              "Log file '" + path +
                  "' opened.\nZezivoze error log\n"
                  "BMP File 'odd%s%dname.bmp' opened (256,128,24)\nno line end Log file closed\n");
    EXPECT_TRUE(boxes.boxes().empty());
}

TEST(ErrorLog, LongMessagesAreCutToTheBuffer) {
    TempDir dir;
    const std::string path = dir.File("error.out");
    ErrorLog log;
    log.Open(path.c_str());
    std::string big(2000, 'x');
    log.Write("%s", big.c_str());
    log.Close();
    std::string text = ReadFileText(path);
    EXPECT_NE(text.find(std::string(511, 'x') + "Log file closed\n"), std::string::npos);
    EXPECT_EQ(text.find(std::string(512, 'x')), std::string::npos);
}

TEST(ErrorLog, ShowErrorBoxSendsEveryWriteToABox) {
    MessageBoxRecorder boxes;
    TempDir dir;
    ErrorLog log;
    log.showErrorBox = 1;
    log.Open(dir.File("error.out").c_str());
    log.Write("warning %i\n", 3);
    ASSERT_EQ(boxes.boxes().size(), 2u);
    EXPECT_EQ(boxes.boxes()[1].caption, "Error");
    EXPECT_EQ(boxes.boxes()[1].text, "warning 3\n");
    log.showErrorBox = 0;
}

// A fatal error writes the prefix, shows the bare message, closes the log and
// ends the process with exit code 1; the destructors of the globals still run.
TEST(ErrorLogDeathTest, FatalWritesShowsClosesAndExitsWithOne) {
    TempDir dir;
    const std::string path = dir.File("error.out");
    const std::string boxes = dir.File("boxes.txt");
    EXPECT_EXIT(
        {
            static std::string boxFile = boxes;
            SetMessageBoxSink([](const char* caption, const char* text) {
                WriteFileText(boxFile, std::string(caption) + "|" + text);
            });
            errorLog.Open(path.c_str());
            BinaryFile missing;
            missing.Open("no/such/file.bmp", "rb");
            errorLog.Fatal("Unable to load texture '%s'", "no/such/file.bmp");
            std::fprintf(stderr, "returned\n");
            std::exit(7);
        },
        testing::ExitedWithCode(1), "");
    EXPECT_EQ(ReadFileText(path), "Log file '" + path +
                                      "' opened.\nUnable to open file (no/such/file.bmp)"
                                      "FATAL ERROR: Unable to load texture 'no/such/file.bmp'");
    EXPECT_EQ(ReadFileText(boxes), "FATAL ERROR|Unable to load texture 'no/such/file.bmp'");
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

    TempDir dir;
    ErrorLog open;
    open.Open(dir.File("error.out").c_str());
    open.Fatal(nullptr); // returns, writes nothing
    open.Close();
    EXPECT_EQ(ReadFileText(dir.File("error.out")).find("FATAL"), std::string::npos);
}
