#include "platform/ErrorLog.h"

#include "platform/BinaryFile.h"
#include "platform/MessageBox.h"
#include "platform/WorkerThreads.h"

#include <cstdarg>
#include <cstdio>
#include <cstdlib>
#include <cstring>

ErrorLog::ErrorLog()
    : showErrorBox(0), showFatalBox(1), message{}, file(nullptr), exitHandler(nullptr) {}

ErrorLog::~ErrorLog() {
    Close();
}

bool ErrorLog::IsOpen() const {
    return file != nullptr && file->stream != nullptr;
}

void ErrorLog::Open(const char* fileName) {
    if (file != nullptr)
        Close(); // the earlier file ends as a closed log, not a leaked handle
    file = new BinaryFile;
    file->Open(fileName, "w");
    Write("Log file '%s' opened.\n", fileName);
}

void ErrorLog::Write(const char* format, ...) {
    if (!IsOpen() || format == nullptr)
        return;
    va_list args;
    va_start(args, format);
    std::vsnprintf(message, sizeof message, format, args); // cuts what does not fit
    va_end(args);
    file->WriteString(message);
    // Written through at once, so that a crash loses no line.
    std::fflush(file->stream);
    if (showErrorBox == 1)
        ShowMessageBox("Error", message);
}

void ErrorLog::Fatal(const char* format, ...) {
    if (format == nullptr)
        return;
    char text[sizeof message];
    va_list args;
    va_start(args, format);
    std::vsnprintf(text, sizeof text, format, args);
    va_end(args);
    // A helper thread cannot end the program: exit would destroy the globals
    // under the other threads. Its message goes to the thread that started it.
    if (WorkerThreads::OnHelperThread())
        WorkerThreads::FailHelper(text);
    std::memcpy(message, text, sizeof message);
    const bool logged = IsOpen();
    if (logged) {
        file->WriteString("FATAL ERROR: ");
        file->WriteString(message);
        std::fflush(file->stream);
    } else {
        // Without a log a fatal error still must not pass for success.
        PrintMessageBox("FATAL ERROR", message);
    }
    WorkerThreads::StopAll();
    if (logged) {
        if (showFatalBox == 1)
            ShowMessageBox("FATAL ERROR", message, true); // a termination request ends it as OK
        // A close handled while the box was up may have closed the log already.
        delete file;
        file = nullptr;
    }
    if (exitHandler != nullptr)
        exitHandler(1);
    std::exit(1);
}

void ErrorLog::Close() {
    Write("Log file closed\n");
    if (file != nullptr) {
        delete file;
        file = nullptr;
    }
}
