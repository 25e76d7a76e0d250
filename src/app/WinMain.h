#pragma once

#include <cstdint>

// The entry function: start-up in its fixed order, then the message loop.
int32_t WinMain(void* instance, void* previousInstance, char* commandLine, int showCommand);

// Takes at most one message per pass and runs a frame on every pass until the
// quit message; frames stop once a close has been handled.
void RunMessageLoop();
