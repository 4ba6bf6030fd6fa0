// The pictures of the splitter and joiner windows and the position bar.
#include "WindowArt.h"

namespace WindowArt {

void WriteToolsArt(const QString& outFolder, QStringList& files, bool& ok) {
    ArtWriter art(outFolder, "Videzeva", files);
    const ArtLook look = RecorderLook();
    (void)look;
    ok = art.ok() && ok;
}

} // namespace WindowArt
