// The pictures of the ripper's windows.
#include "WindowArt.h"

namespace WindowArt {

void WriteRipperArt(const QString& outFolder, QStringList& files, bool& ok) {
    ArtWriter art(outFolder, "Duzivuz", files);
    const ArtLook look = RipperLook();
    art.Corners(look);
    art.Picture("AppIcon", AppIcon(look, Glyph::Ripper));
    ok = art.ok() && ok;
}

} // namespace WindowArt
