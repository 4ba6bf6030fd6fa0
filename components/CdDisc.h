#pragma once

#include "components/CdDriveList.h"
#include "components/CdToc.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

typedef struct _CdIo CdIo_t;

namespace CdImage {
struct Layout;
}

enum class CdMediaState { NoDisc = 0, Present = 1, Unrecognised = 2 };

namespace CdDisc {

constexpr int kSectorBytes = 2352;
constexpr int kSectorFrames = 588; // stereo sample frames per sector
constexpr int kSectorsPerSecond = 75;

// The disc identifier of the FreeDB database for this table of contents.
uint32_t cddbDiscId(const CdToc& toc);

// A libcdio handle, closed when it goes.
struct CdioDeleter {
    void operator()(CdIo_t* cdio) const;
};
using CdioHandle = std::unique_ptr<CdIo_t, CdioDeleter>;

// Opens a real drive with libcdio. Null when that fails (and always for a disc image, which is
// read from its data files); `error` then says why in words a user can read.
CdioHandle open(const CdDriveEntry& drive, QString* error);

struct ReadResult {
    CdMediaState state = CdMediaState::NoDisc;
    CdToc toc;
    QString error;                                // set for an unrecognised disc: why it could not be read
    std::shared_ptr<const CdImage::Layout> image; // a disc image: where its sectors are
};

// Reads the table of contents of the disc in the drive (or of the image: see CdImage).
ReadResult readDisc(const CdDriveEntry& drive);

// A cheap look at the drive for the media-change poll: a value that changes when a disc is
// inserted or removed (or the image file is replaced, removed or restored). Never spins up a disc.
QString mediaSignature(const CdDriveEntry& drive);

} // namespace CdDisc
