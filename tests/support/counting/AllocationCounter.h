#pragma once

// Linking AllocationCounter.cpp into a program replaces the global operator
// new and delete with ones that count every allocation, so that a test or a
// benchmark can show a steady state that allocates nothing.
long AllocationCount();
