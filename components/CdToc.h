#pragma once

#include <cstdint>
#include <vector>

// What the CD component knows about the disc in a drive: its tracks in disc order, with their
// session, start sector, length in sectors and kind.
struct CdTrackInfo {
    int number = 0;    // track number as on the disc (1..99)
    int session = 0;   // 0-based session index
    int32_t start = 0; // first sector (LSN, 0 = 00:02:00 on the disc)
    int32_t sectors = 0;
    int type = -1; // 0 audio, 1 mode 1, 2 mode 2, 21 mode 2 form 1, 22 mode 2 form 2, -1 unknown
};

struct CdToc {
    std::vector<CdTrackInfo> tracks;
    int32_t leadout = 0; // first sector after the last track (LSN)
    int sessionCount = 0;
    int discType = 0; // 0 CD-ROM, 1 CD-R, 2 CD-RW, 3 DVD-ROM, 4 DVD+R, 5 DVD+RW, 6 DVD-R, 7 DVD-RW, 8 DVD-RAM

    // Tracks of one session, in disc order.
    std::vector<const CdTrackInfo*> sessionTracks(int session) const;
};
