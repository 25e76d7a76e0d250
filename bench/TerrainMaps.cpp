// Height maps from 32 x 32 to 8192 x 8192 samples in the whole game: start-up to
// the first frame (and how much of it reading the picture takes), peak memory,
// the terrain's own data beside the samples, the frame's cost at the start view
// and looking along the map's longest view, and the triangles drawn there.
//
//   bench_TerrainMaps                  every size (needs an X display; writes up to
//                                      200 MB of height map into the temporary folder)
//   bench_TerrainMaps 32 1024 ...      the sizes given
//   bench_TerrainMaps --child DIR T    one game in DIR, spawned at time T; prints its figures

#include "BenchClock.h"
#include "image/BmpReader.h"
#include "image/BmpWriter.h"
#include "platform/GLWindow.h"
#include "state/AppState.h"
#include "support/GameStart.h"
#include "terrain/Landscape.h"
#include "vehicle/Vehicle.h"

#include <GL/gl.h>
#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <filesystem>
#include <string>
#include <unistd.h>
#include <vector>

namespace fs = std::filesystem;

namespace {
// The peak resident memory of this process so far, MiB.
double PeakMiB() {
    double kib = 0;
    if (FILE* f = std::fopen("/proc/self/status", "r")) {
        char line[256];
        while (std::fgets(line, sizeof line, f))
            if (std::sscanf(line, "VmHWM: %lf", &kib) == 1)
                break;
        std::fclose(f);
    }
    return kib / 1024.0;
}

// Hills and valleys at several scales, from an integer hash: the same on every machine.
uint8_t Terrain(uint32_t r, uint32_t c) {
    auto hash = [](uint32_t x, uint32_t y) {
        uint32_t h = x * 374761393u + y * 668265263u;
        h = (h ^ (h >> 13)) * 1274126177u;
        return float(h ^ (h >> 16)) / 4294967295.0f;
    };
    float height = 0, amplitude = 90;
    for (uint32_t cell = 64; cell >= 2; cell /= 2, amplitude *= 0.5f) {
        const uint32_t x = c / cell, y = r / cell;
        const float fx = float(c % cell) / cell, fy = float(r % cell) / cell;
        const float top = hash(x, y) + (hash(x + 1, y) - hash(x, y)) * fx;
        const float bottom = hash(x, y + 1) + (hash(x + 1, y + 1) - hash(x, y + 1)) * fx;
        height += (top + (bottom - top) * fy - 0.5f) * 2 * amplitude;
    }
    return uint8_t(std::clamp(140.0f + height, 0.0f, 255.0f));
}

// The median of five runs of the frames, so that a busy moment elsewhere counts less.
double MillisecondsPerFrame(int frames) {
    glWindow.Frame();
    glFinish();
    std::vector<double> runs;
    for (int run = 0; run < 5; ++run) {
        const double start = Now();
        for (int i = 0; i < frames; ++i)
            glWindow.Frame();
        glFinish();
        runs.push_back((Now() - start) * 1000.0 / frames);
    }
    std::sort(runs.begin(), runs.end());
    return runs[2];
}

int64_t TrianglesDrawn() {
    if (landscape.Grid().Built())
        return landscape.Grid().DrawnTriangles();
    return (appState.fineTerrain == 1 ? 1024 : 256) * 4;
}

// One game: start-up, then frames at the start view and along the longest view.
int Child(const char* dir, double spawned) {
    fs::current_path(dir);
    double readStart = Now();
    {
        BmpReader reader;
        reader.Load("textures/landscp.bmp");
    }
    const double readMs = (Now() - readStart) * 1000.0;
    const double started = Now();
    StartGameWithoutDialog();
    glWindow.Frame();
    glFinish();
    const double firstFrameMs = (Now() - spawned) * 1000.0 - readMs; // the game's read only
    const double beyondReadMs = (Now() - started) * 1000.0 - readMs;
    const double peak = PeakMiB();
    const double bytesPerSample =
        double(landscape.Grid().HeightRangeBytes()) / (double(landscape.width) * landscape.height);

    for (int i = 0; i < 30; ++i) // the tank lands
        glWindow.Frame();
    const double startView = MillisecondsPerFrame(40);
    const int64_t startTriangles = TrianglesDrawn();
    // From just inside one corner, along the diagonal: as far as the far plane reaches.
    firstTank.SetPosition(60, 40, 60);
    firstTank.body.rotation.z = -45;
    firstTank.motion = firstTank.thrust = Vector4(0, 0, 0);
    for (int i = 0; i < 30; ++i)
        glWindow.Frame();
    const double longView = MillisecondsPerFrame(40);
    std::printf("%.1f %.1f %.1f %.1f %.4f %.2f %.2f %lld %lld\n", readMs, firstFrameMs,
                beyondReadMs, peak, bytesPerSample, startView, longView, (long long)startTriangles,
                (long long)TrianglesDrawn());
    return 0;
}
} // namespace

int main(int argc, char** argv) {
    if (argc == 4 && std::strcmp(argv[1], "--child") == 0)
        return Child(argv[2], std::atof(argv[3]));
    std::vector<int> sizes;
    for (int i = 1; i < argc; ++i)
        sizes.push_back(std::atoi(argv[i]));
    if (sizes.empty())
        sizes = {32, 512, 1024, 4096, 8192};

    const fs::path self = fs::canonical("/proc/self/exe");
    const fs::path dir = fs::temp_directory_path() / ("zezivoze-maps-" + std::to_string(getpid()));
    std::printf("map     read ms  first frame ms  (beyond the read)  peak MiB  terrain B/sample  "
                "frame ms: start view  long view  triangles: start  long\n");
    for (int size : sizes) {
        fs::remove_all(dir);
        fs::copy(fs::path(ZEZIVOZE_BINARY_DIR) / "data", dir, fs::copy_options::recursive);
        std::vector<uint8_t> heights(size_t(size) * size);
        for (size_t i = 0; i < heights.size(); ++i)
            heights[i] = Terrain(uint32_t(i / size), uint32_t(i % size));
        WriteBinaryFile((dir / "textures/landscp.bmp").string(),
                        EncodeHeightMapBmp(size, size, heights));
        heights = {};
        fs::remove(dir / "textures/landscpf.dat");
        // The first start makes the small map's terrain texture cache; the second is measured.
        std::string line;
        for (int run = 0; run < 2; ++run) {
            const std::string command = self.string() + " --child " + dir.string() + " " +
                                        std::to_string(Now()) + " 2>/dev/null";
            line.clear();
            if (FILE* child = popen(command.c_str(), "r")) {
                char buffer[512];
                while (std::fgets(buffer, sizeof buffer, child))
                    line += buffer;
                pclose(child);
            }
        }
        double read, first, start, peak, perSample, startView, longView;
        long long startTriangles, longTriangles;
        if (std::sscanf(line.c_str(), "%lf %lf %lf %lf %lf %lf %lf %lld %lld", &read, &first,
                        &start, &peak, &perSample, &startView, &longView, &startTriangles,
                        &longTriangles) != 9) {
            std::printf("%4d²   failed: %s\n", size, line.c_str());
            continue;
        }
        std::printf("%4d²  %8.1f  %14.1f  (%15.1f)  %8.1f  %16.4f  %20.2f  %9.2f  %16lld  %4lld\n",
                    size, read, first, start, peak, perSample, startView, longView, startTriangles,
                    longTriangles);
        std::fflush(stdout);
    }
    fs::remove_all(dir);
    return 0;
}
