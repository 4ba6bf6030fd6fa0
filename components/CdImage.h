#pragma once

#include "components/CdToc.h"

#include <QString>

#include <cstdint>
#include <memory>
#include <vector>

class QFile;

// A disc image (CUE sheet or cdrdao TOC file with its data files) read as the disc it stands for:
// the table of contents a drive would report for that disc, and where each of its sectors lies
// in the data files. Sheets are checked line by line before anything else reads them; a sheet
// that does not describe a disc is refused with the line and the reason.
namespace CdImage {

// One data file a sheet names.
struct DataFile {
    QString path;
    qint64 dataOffset = 0; // where the sectors start (past a WAVE header)
    qint64 dataBytes = 0;  // how many bytes of sectors the file held when the sheet was read
    bool wave = false;
};

// A run of consecutive sectors of the disc: read from a data file, or silence that the sheet adds
// without storing it (PREGAP, POSTGAP, SILENCE, ZERO, the gap between two sessions).
struct Extent {
    int32_t start = 0; // first sector (LSN)
    int32_t sectors = 0;
    int file = -1;          // index into Layout::files; -1 for silence
    qint64 offset = 0;      // byte offset of the first sector in the file
    int stride = 2352;      // bytes per sector in the file (2352 for audio; data modes differ)
    bool bigEndian = false; // 16-bit audio samples stored most significant byte first
};

struct Layout {
    std::vector<DataFile> files;
    std::vector<Extent> extents; // in disc order, without holes, from LSN 0 to the lead-out
    CdToc toc;
};

struct LoadResult {
    std::shared_ptr<const Layout> layout; // null when the sheet is refused
    QString error;                        // why, naming the line
};

// Reads and checks the sheet (`tocFile`: cdrdao TOC, else CUE) and every data file it names.
LoadResult load(const QString& sheetPath, bool tocFile);

// Reads sectors of a loaded image straight from its data files.
class Reader {
public:
    explicit Reader(std::shared_ptr<const Layout> layout);
    ~Reader();
    Reader(const Reader&) = delete;
    Reader& operator=(const Reader&) = delete;

    // Opens every data file; false (with the reason) when one cannot be opened.
    bool open(QString* error);
    // `count` sectors of audio from `lsn` as interleaved 16-bit stereo samples (1176 per
    // sector). False when a sector's data is no longer in its file (shorter now, or unreadable).
    bool readAudio(int32_t lsn, int count, int16_t* out);
    // The first `bytes` bytes of sector `lsn` as stored in its file (zeros for silence).
    bool readRaw(int32_t lsn, uint8_t* out, int bytes);

private:
    bool readBytes(const Extent& extent, int32_t sector, int count, uint8_t* out, int bytesPerSector);
    const Extent* extentAt(int32_t lsn) const;

    std::shared_ptr<const Layout> m_layout;
    std::vector<std::unique_ptr<QFile>> m_files;
};

} // namespace CdImage
