#pragma once

#include <ctime>

// Seconds on the monotonic clock: comparable between processes of one machine,
// so that a child can time its start from its parent's launch.
inline double Now() {
    timespec t;
    clock_gettime(CLOCK_MONOTONIC, &t);
    return t.tv_sec + t.tv_nsec * 1e-9;
}
