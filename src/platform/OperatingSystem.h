#pragma once

#include <cstdint>
#include <string>

// What the program asks of the operating system besides its window and devices.

// The millisecond tick count since the platform layer started; it wraps after
// about 49 days, which unsigned differences survive.
uint32_t TickCount();

// The folder that holds the running executable, with a separator at its end;
// empty where the platform cannot tell.
std::string ExecutableFolder();
