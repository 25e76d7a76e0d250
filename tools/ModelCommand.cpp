#include "Commands.h"
#include "ModelLoading.h"

#include "image/TextureManager.h"
#include "model/Model.h"

#include <cstdio>
#include <cstring>
#include <string>

namespace {
std::string JsonString(const char* text) {
    std::string out = "\"";
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p != 0; ++p) {
        if (*p == '"' || *p == '\\') {
            out += '\\';
            out += static_cast<char>(*p);
        } else if (*p < 0x20 || *p >= 0x7F) {
            char escaped[8];
            std::snprintf(escaped, sizeof escaped, "\\u%04x", *p);
            out += escaped;
        } else {
            out += static_cast<char>(*p);
        }
    }
    return out + "\"";
}

void PrintJson(const Model& model) {
    std::printf("{\"vertexCount\":%u,\"faceCount\":%u,\"textureCount\":%u,\"frameCount\":%u,",
                model.vertexCount, model.faceCount, model.textureCount, model.frameCount);
    if (model.mountPositions == nullptr)
        std::printf("\"mountCount\":null,");
    else
        std::printf("\"mountCount\":%u,", model.mountCount);
    std::printf("\"textureNames\":[");
    for (int i = 0; i < model.textureCount; ++i)
        std::printf("%s%s", i ? "," : "", JsonString(model.textureNames[i]).c_str());
    std::printf("],\"textureIds\":[");
    for (int i = 0; i < model.textureCount; ++i)
        std::printf("%s%d", i ? "," : "", model.textureIds[i]);
    std::printf("],\"mountNames\":[");
    for (int i = 0; model.mountPositions != nullptr && i < model.mountCount; ++i)
        std::printf("%s%s", i ? "," : "", JsonString(model.mountNames[i]).c_str());
    std::printf("]}\n");
}

void PrintText(const char* fileName, const Model& model) {
    std::printf("Model: %s\n", fileName);
    std::printf("Vertices: %u\nFaces: %u\nTexture entries: %u\nFrames: %u\n", model.vertexCount,
                model.faceCount, model.textureCount, model.frameCount);
    if (model.mountPositions == nullptr)
        std::printf("Mounts: none (no mounts section)\n");
    else
        std::printf("Mounts: %u\n", model.mountCount);
    for (int i = 0; i < model.textureCount; ++i) {
        const int32_t id = model.textureIds[i];
        if (id >= 0)
            std::printf("Texture %d: %s -> %s (texture %d)\n", i, model.textureNames[i],
                        textureManager.slots[id].Name(), id);
        else
            std::printf("Texture %d: %s -> no texture\n", i, model.textureNames[i]);
    }
    for (int i = 0; model.mountPositions != nullptr && i < model.mountCount; ++i)
        std::printf("Mount %d: %s at (%g, %g, %g)\n", i, model.mountNames[i],
                    model.mountPositions[3 * i], model.mountPositions[3 * i + 1],
                    model.mountPositions[3 * i + 2]);
}
} // namespace

int RunModel(int argc, char** argv) {
    const bool json = argc == 2 && std::strcmp(argv[1], "--json") == 0;
    if (argc < 1 || argc > 2 || (argc == 2 && !json)) {
        std::fprintf(stderr, "usage: zezivoze-data model FILE [--json]\n");
        return 2;
    }
    Model model;
    if (!TryLoadModel(argv[0], model))
        return 1; // the loader has said why

    if (json)
        PrintJson(model);
    else
        PrintText(argv[0], model);
    return 0;
}
