#pragma once

#include <cstdint>

// Milliseconds from a fixed point in the past, never going backwards; wraps like a 32-bit count.
uint32_t GetTickCount();
