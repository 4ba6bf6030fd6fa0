#pragma once

#include <QString>

// The 148 genre names, numbered as the ID3v1 genres with their common extension (0 "Blues" ..
// 147 "SynthPop").
constexpr int GenreCount = 148;
// The name of genre `index`, or an empty text outside 0 .. GenreCount - 1.
QString GenreName(int index);
