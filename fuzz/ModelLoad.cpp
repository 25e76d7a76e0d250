// libFuzzer target for the model loader: any bytes as a model file. A damaged
// file ends in the fatal error, which here unwinds back to the entry instead
// of ending the process; a file that loads must hold only what drawing and the
// vehicle geometry may read.
#include "image/TextureManager.h"
#include "model/Model.h"
#include "platform/ErrorLog.h"

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <initializer_list>
#include <sys/mman.h>
#include <unistd.h>

namespace {
struct FatalExit {};

[[noreturn]] void ThrowFatal(int) {
    throw FatalExit{};
}

// Two of the tank's texture names, so that both look-up outcomes happen.
void Setup() {
    errorLog.showFatalBox = 0;
    errorLog.exitHandler = ThrowFatal;
    textureManager.slots = new TextureEntry[4];
    textureManager.capacity = 4;
    for (const char* name : {"textures/cobra/cobra_treads.bmp", "textures/cobra/a.bmp"}) {
        TextureEntry& slot = textureManager.slots[textureManager.count++];
        slot.loaded = 1;
        slot.name = new char[std::strlen(name) + 3]();
        std::strcpy(slot.name, name);
    }
}

// Touches everything Model::Draw and Vehicle::UpdateGeometry read.
float ReadAsDrawn(const Model& model) {
    float sum = 0;
    for (int f = 0; f < model.faceCount; ++f) {
        sum += float(model.textureIds[f]);
        for (int k = 0; k < 4; ++k) {
            sum += model.faceTexCoords[8 * f + 2 * k] + model.faceTexCoords[8 * f + 2 * k + 1];
            const float* p = &model.frames[0][3 * model.faceIndices[4 * f + k]];
            sum += p[0] + p[1] + p[2];
        }
    }
    for (int i = 0; model.frameCount > 0 && i < 3 * model.vertexCount; ++i)
        sum += model.frames[0][i];
    for (int i = 0; i < model.textureCount; ++i)
        sum += float(std::strlen(model.textureNames[i]));
    for (int i = 0; model.mountPositions != nullptr && i < model.mountCount; ++i)
        sum += model.mountPositions[3 * i] + float(std::strlen(model.mountNames[i]));
    return sum;
}
} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static int file = -1;
    static char path[64];
    if (file < 0) {
        Setup();
        file = memfd_create("model", 0);
        if (file < 0)
            return 0;
        std::snprintf(path, sizeof path, "/proc/self/fd/%d", file);
    }
    if (ftruncate(file, 0) != 0 || pwrite(file, data, size, 0) != ssize_t(size))
        return 0;
    if (!errorLog.IsOpen())
        errorLog.Open("/dev/null"); // a fatal error closes it
    static Model model;             // reused, as a reload would
    try {
        model.Load(path);
        if (model.loaded) {
            volatile float sink = ReadAsDrawn(model);
            (void)sink;
        }
    } catch (const FatalExit&) {
    }
    return 0;
}
