#include "tests/support/PictureCompare.h"

#include <algorithm>
#include <cstdlib>

int StrongDifferences(const QImage& a, const QImage& b) {
    int count = 0;
    for (int y = 0; y < std::min(a.height(), b.height()); ++y)
        for (int x = 0; x < std::min(a.width(), b.width()); ++x)
            count += std::abs(qGray(a.pixel(x, y)) - qGray(b.pixel(x, y))) > 96;
    return count;
}
