#pragma once

class BinaryFile;

// The program's one diagnostic channel: a text file of printf-style messages;
// fatal errors also show a message box and end the program with exit code 1.
class ErrorLog {
  public:
    ErrorLog();
    ~ErrorLog();
    ErrorLog(const ErrorLog&) = delete;
    ErrorLog& operator=(const ErrorLog&) = delete;

    void Open(const char* fileName);
    [[gnu::format(printf, 2, 3)]] void Write(const char* format, ...);
    [[gnu::format(printf, 2, 3)]] void Fatal(const char* format, ...);
    void Close();
    bool IsOpen() const;

    unsigned char showErrorBox;
    unsigned char showFatalBox;
    char message[512];
    BinaryFile* file;

    // How Fatal ends the program; null means std::exit. The fuzz targets turn
    // the fatal path into an unwind back to their entry point.
    void (*exitHandler)(int code);
};

// The program's one log, constructed first and destroyed last, so every other
// global may still log from its destructor.
extern ErrorLog errorLog;
