#pragma once

#include <cstdint>

// a * b / c computed in 64 bits and rounded to the nearest integer, halves away from zero;
// -1 when c is 0 or the result does not fit in 32 bits.
int MulDiv(int a, int b, int c);

// Rounding to the nearest integer with halves to the even neighbour (2.5 -> 2, 3.5 -> 4).
int64_t RoundHalfEven(double value);
