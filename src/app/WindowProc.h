#pragma once

#include "platform/WindowMessages.h"

// The main window's procedure: create, size, close and destroy.
intptr_t WindowProc(WindowHandle window, uint32_t message, uintptr_t wordParam, intptr_t longParam);
