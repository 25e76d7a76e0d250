#include "ModelLoading.h"

#include "app/TextureTable.h"
#include "image/TextureManager.h"
#include "model/Model.h"
#include "platform/BinaryFile.h"
#include "platform/ErrorLog.h"

#include <cstdio>
#include <cstring>
#include <unistd.h>

namespace {
// The loader only compares names; the table's names in their slots suffice.
void UseProgramTextureNames() {
    if (textureManager.slots != nullptr)
        return;
    textureManager.slots = new TextureEntry[kTextureCapacity];
    textureManager.capacity = kTextureCapacity;
    for (const char* name : kTextureTable) {
        TextureEntry& slot = textureManager.slots[textureManager.count++];
        slot.loaded = 1;
        slot.name = new char[std::strlen(name) + 3]();
        std::strcpy(slot.name, name);
    }
}

struct LoadFailed {};

[[noreturn]] void ThrowLoadFailed(int) {
    throw LoadFailed{};
}

// The log on a copy of stderr while the loader runs, so that a fatal error,
// which closes the log, leaves stderr itself open.
class LogToStderr {
  public:
    LogToStderr() : exitHandler(errorLog.exitHandler), showFatalBox(errorLog.showFatalBox) {
        errorLog.showFatalBox = 0;
        errorLog.exitHandler = ThrowLoadFailed;
        const int copy = dup(fileno(stderr));
        if (copy < 0)
            return;
        errorLog.file = new BinaryFile;
        errorLog.file->stream = fdopen(copy, "w");
        if (errorLog.file->stream == nullptr)
            close(copy);
    }
    ~LogToStderr() {
        delete errorLog.file;
        errorLog.file = nullptr;
        errorLog.exitHandler = exitHandler;
        errorLog.showFatalBox = showFatalBox;
    }
    LogToStderr(const LogToStderr&) = delete;
    LogToStderr& operator=(const LogToStderr&) = delete;

  private:
    void (*exitHandler)(int);
    unsigned char showFatalBox;
};
} // namespace

bool TryLoadModel(const char* fileName, Model& model) {
    UseProgramTextureNames();
    std::fflush(stdout);
    try {
        LogToStderr log;
        model.Load(fileName);
    } catch (const LoadFailed&) {
        return false;
    }
    return model.loaded == 1;
}
