#pragma once

#include <cstdint>

// The generator state from which `steps` further draws end with `value`: lets a
// test put a chosen draw at a chosen place in a sequence.
uint32_t StateBeforeDraw(int32_t value, int steps);
