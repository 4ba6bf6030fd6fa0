#include "components/CdDisc.h"

#include "components/CdImage.h"
#include "components/CdioLog.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>

#include <cdio/cdio.h>
#include <cdio/mmc.h>
#include <cdio/mmc_hl_cmds.h>

#include <fcntl.h>
#include <linux/cdrom.h>
#include <sys/ioctl.h>
#include <unistd.h>

#include <algorithm>
#include <mutex>
#include <string>

namespace {

enum class DriveStatus { Disc, NoDisc, Unknown };

DriveStatus driveStatus(const QString& device) {
    const int fd = ::open(QFile::encodeName(device).constData(), O_RDONLY | O_NONBLOCK);
    if (fd < 0) return DriveStatus::Unknown;
    const int status = ::ioctl(fd, CDROM_DRIVE_STATUS, CDSL_CURRENT);
    ::close(fd);
    switch (status) {
    case CDS_DISC_OK:
        return DriveStatus::Disc;
    case CDS_NO_DISC:
    case CDS_TRAY_OPEN:
        return DriveStatus::NoDisc;
    default:
        return DriveStatus::Unknown;
    }
}

int discTypeOf(CdIo_t* cdio) {
    cdio_mmc_feature_profile_t profile{};
    if (mmc_get_disctype(cdio, 0, &profile) != DRIVER_OP_SUCCESS) return 0;
    switch (profile) {
    case CDIO_MMC_FEATURE_PROF_CD_R:
        return 1;
    case CDIO_MMC_FEATURE_PROF_CD_RW:
        return 2;
    case CDIO_MMC_FEATURE_PROF_DVD_ROM:
        return 3;
    case CDIO_MMC_FEATURE_PROF_DVD_PR:
    case CDIO_MMC_FEATURE_PROF_DVD_PR_DL:
        return 4;
    case CDIO_MMC_FEATURE_PROF_DVD_PRW:
    case CDIO_MMC_FEATURE_PROF_DVD_PRW_DL:
        return 5;
    case CDIO_MMC_FEATURE_PROF_DVD_R_SEQ:
    case CDIO_MMC_FEATURE_PROF_DVD_R_DL_SEQ:
    case CDIO_MMC_FEATURE_PROF_DVD_R_DL_JR:
        return 6;
    case CDIO_MMC_FEATURE_PROF_DVD_RW_RO:
    case CDIO_MMC_FEATURE_PROF_DVD_RW_SEQ:
        return 7;
    case CDIO_MMC_FEATURE_PROF_DVD_RAM:
        return 8;
    default:
        return 0;
    }
}

// A mode 2 (XA) track is form 1 or form 2 by the submode byte of its first sector's subheader.
int xaTrackType(CdIo_t* cdio, lsn_t start) {
    uint8_t buffer[M2RAW_SECTOR_SIZE];
    if (cdio_read_mode2_sector(cdio, buffer, start, true) != DRIVER_OP_SUCCESS) return 2;
    return (buffer[2] & 0x20) ? 22 : 21;
}

int trackTypeOf(CdIo_t* cdio, track_t track, lsn_t start) {
    switch (cdio_get_track_format(cdio, track)) {
    case TRACK_FORMAT_AUDIO:
        return 0;
    case TRACK_FORMAT_DATA:
        return 1;
    case TRACK_FORMAT_XA:
        return xaTrackType(cdio, start);
    case TRACK_FORMAT_CDI:
    case TRACK_FORMAT_PSX:
        return 2;
    default:
        return -1;
    }
}

} // namespace

namespace CdDisc {

uint32_t cddbDiscId(const CdToc& toc) {
    if (toc.tracks.empty()) return 0;
    auto digitSum = [](int n) {
        int sum = 0;
        for (; n > 0; n /= 10)
            sum += n % 10;
        return sum;
    };
    // Positions count from the start of the disc, two seconds (150 sectors) before LSN 0.
    int checksum = 0;
    for (const CdTrackInfo& t : toc.tracks)
        checksum += digitSum((t.start + 150) / kSectorsPerSecond);
    const int total =
        (toc.leadout + 150) / kSectorsPerSecond - (toc.tracks.front().start + 150) / kSectorsPerSecond;
    return (static_cast<uint32_t>(checksum % 0xff) << 24) | (static_cast<uint32_t>(total) << 8) |
           static_cast<uint32_t>(toc.tracks.size());
}

void CdioDeleter::operator()(CdIo_t* cdio) const {
    cdio_destroy(cdio);
}

CdioHandle open(const CdDriveEntry& drive, QString* error) {
    CdioLog::install();
    CdioLog::take();
    CdioHandle cdio;
    if (!drive.isImage) cdio.reset(cdio_open(QFile::encodeName(drive.source).constData(), DRIVER_DEVICE));
    if (!cdio && error) {
        const QString why = drive.isImage ? QStringLiteral("it is a disc image") : CdioLog::take();
        *error = QStringLiteral("The drive %1 cannot be opened").arg(drive.source) +
                 (why.isEmpty() ? QStringLiteral(".") : QStringLiteral(": %1.").arg(why));
    }
    return cdio;
}

namespace {

ReadResult readImage(const CdDriveEntry& drive) {
    ReadResult result;
    result.state = CdMediaState::Unrecognised;
    CdImage::LoadResult image = CdImage::load(drive.source, drive.isTocImage);
    if (!image.layout) {
        result.error = QStringLiteral("The disc image %1 cannot be read: %2.").arg(drive.source, image.error);
        return result;
    }
    result.toc = image.layout->toc;
    result.image = std::move(image.layout);
    result.state = CdMediaState::Present;
    return result;
}

} // namespace

ReadResult readDisc(const CdDriveEntry& drive) {
    if (drive.isImage) {
        if (!QFileInfo::exists(drive.source)) return {}; // no disc in this "drive"
        return readImage(drive);
    }
    ReadResult result;
    if (driveStatus(drive.source) == DriveStatus::NoDisc) return result;
    result.state = CdMediaState::Unrecognised;
    CdioHandle handle = open(drive, &result.error);
    if (!handle) return result;
    CdIo_t* cdio = handle.get();

    const QString where = QStringLiteral("The disc in %1").arg(drive.source);
    const track_t first = cdio_get_first_track_num(cdio);
    const track_t count = cdio_get_num_tracks(cdio);
    if (first == CDIO_INVALID_TRACK || count == CDIO_INVALID_TRACK || count == 0) {
        const QString why = CdioLog::take();
        result.error = where + QStringLiteral(" has no readable table of contents") +
                       (why.isEmpty() ? QStringLiteral(".") : QStringLiteral(": %1.").arg(why));
        return result;
    }
    CdToc& toc = result.toc;
    toc.leadout = cdio_get_track_lsn(cdio, CDIO_CDROM_LEADOUT_TRACK);
    lsn_t lastSessionStart = 0;
    if (cdio_get_last_session(cdio, &lastSessionStart) != DRIVER_OP_SUCCESS) lastSessionStart = 0;

    for (track_t i = 0; i < count; ++i) {
        const track_t number = static_cast<track_t>(first + i);
        CdTrackInfo t;
        t.number = number;
        t.start = cdio_get_track_lsn(cdio, number);
        if (t.start == CDIO_INVALID_LSN) {
            result.error = where + QStringLiteral(" has an unreadable entry for track %1.").arg(number);
            return result;
        }
        t.type = trackTypeOf(cdio, number, t.start);
        t.session = (lastSessionStart > 0 && t.start >= lastSessionStart) ? 1 : 0;
        toc.tracks.push_back(t);
    }
    toc.sessionCount = 1;
    for (size_t i = 0; i < toc.tracks.size(); ++i) {
        CdTrackInfo& t = toc.tracks[i];
        toc.sessionCount = std::max(toc.sessionCount, t.session + 1);
        const bool last = i + 1 == toc.tracks.size();
        int32_t end = last ? toc.leadout : toc.tracks[i + 1].start;
        // On a multi-session disc the lead-out and lead-in of the first session lie between the
        // sessions (11400 sectors); they are not part of the last track of the first session.
        if (!last && toc.tracks[i + 1].session != t.session && end - t.start > 11400) end -= 11400;
        t.sectors = end - t.start;
        if (t.sectors <= 0) {
            result.error = where + QStringLiteral(" is damaged: track %1 has no data.").arg(t.number);
            return result;
        }
    }
    toc.discType = discTypeOf(cdio);
    result.state = CdMediaState::Present;
    return result;
}

QString mediaSignature(const CdDriveEntry& drive) {
    if (drive.isImage) {
        const QFileInfo info(drive.source);
        if (!info.exists()) return QStringLiteral("none");
        return QStringLiteral("%1/%2").arg(info.size()).arg(info.lastModified().toMSecsSinceEpoch());
    }
    switch (driveStatus(drive.source)) {
    case DriveStatus::Disc:
        return QStringLiteral("disc");
    case DriveStatus::NoDisc:
        return QStringLiteral("none");
    default:
        return QStringLiteral("unknown");
    }
}

} // namespace CdDisc
