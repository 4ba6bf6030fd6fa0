#include "platform/WinMath.h"

#include <cfenv>
#include <climits>
#include <cmath>

int MulDiv(int a, int b, int c) {
    if (c == 0) return -1;
    const int64_t num = static_cast<int64_t>(a) * b;
    int64_t q = num / c;
    const int64_t r = num % c;
    // Round half away from zero: compare twice the remainder with the divisor.
    const bool negative = (num < 0) != (c < 0);
    const uint64_t twiceR = static_cast<uint64_t>(r < 0 ? -r : r) * 2;
    const uint64_t absC = static_cast<uint64_t>(c < 0 ? -static_cast<int64_t>(c) : c);
    if (twiceR >= absC) q += negative ? -1 : 1;
    if (q > INT_MAX || q < INT_MIN) return -1;
    return static_cast<int>(q);
}

int64_t RoundHalfEven(double value) {
    // nearbyint follows the current rounding mode, which is round-to-nearest-even unless changed.
    const int previous = std::fegetround();
    std::fesetround(FE_TONEAREST);
    const double r = std::nearbyint(value);
    std::fesetround(previous);
    return static_cast<int64_t>(r);
}
