#pragma once

#include <cstdint>

// The entry function: the command line, then start-up in its fixed order, then
// the message loop. commandLine holds the arguments as main gets them (the
// program's name first, a null pointer last), or is null. Returns the exit code.
int32_t WinMain(void* instance, void* previousInstance, char** commandLine, int showCommand);

// Takes at most one message per pass and runs a frame on every pass until the
// quit message; frames stop once a close has been handled.
void RunMessageLoop();
