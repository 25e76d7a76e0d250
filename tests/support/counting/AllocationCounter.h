#pragma once

// Linked into a program, AllocationCounter.cpp replaces global new and delete with ones that
// count every allocation: a test or benchmark can show a steady state that allocates nothing.
long AllocationCount();
