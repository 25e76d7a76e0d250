#pragma once

#include "support/TestSupport.h"

#include <gtest/gtest.h>
#include <string>
#include <vector>

// The program started as WinMain starts it, minus the dialog: windowed, in a
// fresh copy of the default data, with an input object that has no devices so
// that the test writes the key state the frame reads.
class GameScene : public testing::Test {
  protected:
    void SetUp() override;
    // Called with the data copied and the working directory set, before start-up.
    virtual void PrepareData() {}
    void TearDown() override;

    // One loop pass's drawing: the frame, then the swap.
    void Frame();
    void HoldKey(int scanCode, bool down);
    // The back buffer as a PPM picture in the build folder, for looking at.
    void SavePicture(const std::string& name) const;
    std::vector<uint8_t> Pixels() const; // RGB, bottom row first, 640 x 480
    std::string Log() const;

    TempDir dir{true};
    bool drawn = false;
};
