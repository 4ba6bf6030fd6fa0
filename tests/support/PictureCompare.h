#pragma once

#include <QImage>

// Pixels where two pictures (compared over the size they share) differ as text does from its
// background, not as the faint edge of a covered stroke does.
int StrongDifferences(const QImage& a, const QImage& b);
