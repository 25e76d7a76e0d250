#pragma once

#include "app/Globals.h"
#include "platform/ErrorLog.h"
#include "platform/MessageBox.h"
#include "support/TestSupport.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <string>
#include <vector>

// Runs body in a child process with the global log open on a scratch file and
// message boxes swallowed; expects exit code 1 and returns what the log holds.
template <typename Body> std::string LogOfFatal(Body body) {
    TempDir dir;
    const std::string path = dir.File("error.out");
    EXPECT_EXIT(
        {
            SetMessageBoxSink([](const char*, const char*) {});
            errorLog.Open(path.c_str());
            body();
            std::exit(0);
        },
        testing::ExitedWithCode(1), "");
    return ReadFileText(path);
}

// A picture of distinct colours, top row first: pixel (x, y) is
// (x * 40 + 7, y * 50 + 3, (x + y) * 20 + 1).
inline std::vector<uint8_t> TestPicture(int width, int height) {
    std::vector<uint8_t> rgb(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            uint8_t* p = &rgb[(static_cast<size_t>(y) * width + x) * 3];
            p[0] = static_cast<uint8_t>(x * 40 + 7);
            p[1] = static_cast<uint8_t>(y * 50 + 3);
            p[2] = static_cast<uint8_t>((x + y) * 20 + 1);
        }
    return rgb;
}

// Top-row-first RGB turned into the decoder's bottom-row-first order.
inline std::vector<uint8_t> BottomUp(const std::vector<uint8_t>& rgb, int width, int height) {
    std::vector<uint8_t> out(rgb.size());
    const size_t row = static_cast<size_t>(width) * 3;
    for (int y = 0; y < height; ++y)
        std::copy_n(rgb.begin() + static_cast<std::ptrdiff_t>(y * row), row,
                    out.begin() + static_cast<std::ptrdiff_t>((height - 1 - y) * row));
    return out;
}
