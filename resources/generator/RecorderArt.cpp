// The pictures of the recorder's main window (and the recorder's shared pictures).
#include "WindowArt.h"

namespace WindowArt {

void WriteRecorderArt(const QString& outFolder, QStringList& files, bool& ok) {
    ArtWriter art(outFolder, "Videzeva", files);
    const ArtLook look = RecorderLook();
    art.Corners(look);
    art.Picture("AppIcon", AppIcon(look, Glyph::Recorder));
    // The format icons of the recordings list and the player's play list, by icon index.
    art.Picture("Format0", TagIcon("WAV", QColor(0x3A, 0x84, 0xDB)));
    art.Picture("Format1", TagIcon("MP3", QColor(0x2E, 0xA0, 0x6A)));
    art.Picture("Format2", TagIcon("OGG", QColor(0xC9, 0x7A, 0x1E)));
    art.Picture("Format3", TagIcon("WMA", QColor(0x8C, 0x4F, 0xC4)));
    ok = art.ok() && ok;
}

} // namespace WindowArt
