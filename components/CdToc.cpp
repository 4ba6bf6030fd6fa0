#include "components/CdToc.h"

std::vector<const CdTrackInfo*> CdToc::sessionTracks(int session) const {
    std::vector<const CdTrackInfo*> result;
    for (const CdTrackInfo& t : tracks)
        if (t.session == session) result.push_back(&t);
    return result;
}
