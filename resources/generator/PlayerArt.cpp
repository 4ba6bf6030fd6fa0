// The pictures of the player window.
#include "WindowArt.h"

namespace WindowArt {

void WritePlayerArt(const QString& outFolder, QStringList& files, bool& ok) {
    ArtWriter art(outFolder, "Videzeva", files);
    const ArtLook look = RecorderLook();
    (void)look;
    ok = art.ok() && ok;
}

} // namespace WindowArt
