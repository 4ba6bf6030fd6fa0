#pragma once

#include <QString>

class QFontMetrics;

// A path shortened to fit `maxWidth` pixels: leading folders are replaced one by one by "...", so
// "/home/ann/music/live/take.wav" becomes "/.../music/live/take.wav", then "/.../live/take.wav",
// "/.../take.wav" and finally ".../take.wav". The file name itself is never cut.
QString MinimizeName(const QString& path, const QFontMetrics& metrics, int maxWidth);
