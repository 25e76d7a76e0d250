#include "Commands.h"
#include "DataSet.h"
#include "Sounds.h"
#include "TankModels.h"

#include "image/BmpWriter.h"

#include <cstdio>
#include <string>

// Writes the default data set into DIR. The same bytes on every run: the
// pictures are painted and the sounds synthesised from our own deterministic noise.
int RunGenerate(int argc, char** argv) {
    if (argc != 1) {
        std::fprintf(stderr, "usage: zezivoze-data generate DIR\n");
        return 2;
    }
    const std::string dir = argv[0];
    std::vector<DataFile> files = MakeDefaultPictures();
    AddTankModels(files);
    AddDefaultSounds(files);
    int failures = 0;
    for (const DataFile& file : files) {
        const std::string path = dir + "/" + file.path;
        if (!WriteBinaryFile(path, file.bytes)) {
            std::fprintf(stderr, "zezivoze-data: cannot write %s\n", path.c_str());
            ++failures;
        }
    }
    if (failures != 0)
        return 1;
    std::printf("%zu files written to %s\n", files.size(), dir.c_str());
    return 0;
}
