#pragma once

#include "components/AudioBlock.h"
#include "components/AudioFileLink.h"
#include "components/CdDisc.h"
#include "components/CdDriveList.h"
#include "components/CddbLookup.h"
#include "components/TFreeDBInformation2.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <thread>
#include <vector>

class QTimer;

namespace CdImage {
struct Layout;
class Reader;
} // namespace CdImage

// The CD component of the ripper: the drive list (the system's optical drives and the disc images
// named in the component's drive-list file), the table of contents of the disc in the chosen drive,
// tray control, secure grabbing of a track into the audio-file object bound to its link, reading
// blocks for a preview, and disc lookups in the FreeDB database.
//
// All operations are called on the user-interface thread. Grabs and lookups run on worker threads;
// every event is raised on the user-interface thread. A failing operation raises ComponentError.
class TAudioCDGrabber2 : public QObject {
    Q_OBJECT

public:
    explicit TAudioCDGrabber2(QObject* parent = nullptr);
    ~TAudioCDGrabber2() override;
    TAudioCDGrabber2(const TAudioCDGrabber2&) = delete;
    TAudioCDGrabber2& operator=(const TAudioCDGrabber2&) = delete;

    // Drives.
    void Initialize();
    int GetDriveCount() const;
    void SelectDrive(int index); // 1-based
    QString GetDriveId() const;
    QString GetDriveVendor() const;
    QString GetDriveProduct() const;
    QString GetDriveRevision() const;
    TAudioFileLink* GetAudioFileLink() { return m_link.get(); }

    // Reading options. Grab modes: 0 plain reads (preview), 1 fast, 2 precision, 3 precision for
    // a much-used disc, 4 scratched disc. Mode 0 concerns the preview only: StartGrab and
    // GetMaxRetries use the last mode 1..4 that was set (1 at first).
    void SetGrabMode(int mode);
    int GetGrabMode() const { return m_grabMode; }
    // Option B: how often ReadBlocks retries a sector that fails (0 = report the failure at once).
    void SetReadOptionB(int value);
    // Option C: 1 = grab at the drive's highest speed, 0 = leave the drive's speed as it is.
    void SetReadOptionC(int value);
    int GetMaxRetries() const;

    // Disc and table of contents.
    void RefreshMedia();
    int GetMediaState() const; // 0 no disc, 1 a disc, 2 unrecognised
    int16_t GetSessionCount() const;
    int GetCddbId() const;
    int GetDiscType() const;
    void SetSession(int session); // 0-based
    void SetTrack(int track);     // 0-based within the current session
    int GetSession() const;       // -1 (bit 15 set) when none is chosen
    int GetTrack() const;
    int GetTrackCount() const;
    int GetTrackType() const;
    int GetTrackMinutes() const;
    int GetTrackSeconds() const;
    int GetTrackFrames() const;
    int GetTrackBlocks() const;
    int GetBlockSize() const { return CdDisc::kSectorBytes; }

    // Disc lookup: returns at once; OnFreeDBQueryStatus reports 1 connecting, 2 querying, then
    // 3 loaded, -1 failed or -2 no entry. The results below belong to the disc looked up and are
    // empty for any other disc. A new lookup ends the one still running.
    void QueryFreeDB(const TFreeDBInformation2& info, int mode);
    // Why the last lookup ended with -1 (kind None while one runs or after 3 or -2): cannot
    // connect, time-out, the server's own refusal ("500 Unknown developer email"), or an answer
    // that could not be used, with a text for the user.
    const CddbLookup::Failure& lookupFailure() const { return m_lookupFailure; }
    QString GetDiscAlbum() const;
    QString GetDiscArtist() const;
    QString GetDiscGenre() const;
    int GetDiscYear() const;
    QString GetTrackTitle() const;

    // How a grab that did not complete ended (OnGrabFailed).
    enum GrabFailure {
        GrabReadError = 1,  // a sector could not be read: the file holds the track up to it, closed and kept
        GrabWriteError = 2, // the audio-file object could not write or close the file: it is removed
        GrabStopped = 3,    // the source went away or the grab was given up on: the file is removed
    };

    // Grabbing the current track into `fileName` through the bound audio-file object. Returns at
    // once; OnOperationProgress reports the percent, and 100 once the file is complete and closed.
    // A grab that cannot complete ends with a last progress below 100 and then OnGrabFailed.
    void StartGrab(const QString& fileName);
    // Stops the running grab and closes its file before returning; one more OnOperationProgress
    // (below 100) follows. A grab whose read or write does not come back within a second is
    // abandoned instead: AbortGrab returns, the grab ends with OnGrabFailed (GrabStopped), and the
    // worker closes and removes the partial file when the call it waits in returns.
    void AbortGrab();
    bool IsGrabbing() const;

    // Tray.
    void LockTray();
    void UnlockTray();
    void Eject();

    // Preview reading of the current track.
    void StartRead();
    void StopRead();
    AudioBlock ReadBlocks(int count);      // empty at the end of the track
    void SeekBlock(int block, int origin); // origin 1: block counted from the track's start

    // How each grab mode reads (paranoia mode flags, retries, whether skipping is tolerated).
    struct GrabModeSettings {
        bool paranoia;
        int paranoiaMode;
        int maxRetries;
        bool skipAllowed;
    };
    static GrabModeSettings grabModeSettings(int mode);

    // Internal: the state of one grab, and where worker threads send events; shared with the
    // worker threads.
    struct GrabJob;
    struct EventTarget;

Q_SIGNALS:
    void OnMediaChange();                               // a disc was inserted or removed
    void OnFreeDBQueryStatus(int Status);               // 1, 2, 3, -1, -2 (see QueryFreeDB)
    void OnOperationProgress(double Progress);          // percent of the running grab
    void OnGrabRetry(int16_t Retry, int Sector);        // retry number, sector
    void OnGrabFailed(int Kind, const QString& Reason); // a GrabFailure, and why (naming track and file)

private:
    const CdDriveEntry& currentDrive() const;
    const CdTrackInfo& currentTrack() const;
    int currentTrackIndex() const; // index into m_toc.tracks
    void resetDisc();
    void requireDisc() const;
    void requireIdle(const char* what) const;
    void pollMedia();
    void post(std::function<void()> fn);
    void finishWorker();
    void trayCommand(int what);
    bool lookupValid() const;

    std::unique_ptr<QObject> m_context; // lives on the user-interface thread; events go through it
    QTimer* m_pollTimer = nullptr;
    // Shared with a grab's worker, which may outlive the grabber when it is stuck in a read.
    std::shared_ptr<TAudioFileLink> m_link = std::make_shared<TAudioFileLink>();

    std::vector<CdDriveEntry> m_drives;
    int m_drive = -1;
    QString m_mediaSignature;

    CdMediaState m_state = CdMediaState::NoDisc;
    CdToc m_toc;
    std::shared_ptr<const CdImage::Layout> m_image; // where a disc image's sectors are
    uint32_t m_discId = 0;
    int m_session = -1;
    int m_track = -1;

    int m_grabMode = 1;
    int m_ripMode = 1; // the last mode 1..4: the one grabs use
    int m_optionB = 0;
    int m_optionC = 1;

    // Grab.
    std::thread m_worker;
    std::shared_ptr<GrabJob> m_job;

    // Preview.
    CdDisc::CdioHandle m_reader;
    std::unique_ptr<CdImage::Reader> m_imageReader;
    int m_readTrack = -1; // index into m_toc.tracks
    int32_t m_readPos = 0;

    // Lookup. Every lookup thread is joined: a finished one at the next lookup, the rest (stopped
    // first) when the grabber goes.
    struct LookupThread {
        unsigned generation;
        std::shared_ptr<CddbLookup::StopSignal> stop;
        std::shared_ptr<std::atomic<bool>> finished;
        std::thread thread;
    };
    void stopLookups(unsigned upToGeneration);
    void joinFinishedLookups();
    std::vector<LookupThread> m_lookupThreads;
    CddbLookup::Failure m_lookupFailure;
    std::shared_ptr<EventTarget> m_events;
    unsigned m_lookupGeneration = 0;
    bool m_lookupRunning = false;
    uint32_t m_lookupDiscId = 0;
    bool m_lookupLoaded = false;
    QString m_album, m_artist, m_genre;
    int m_year = 0;
    QStringList m_titles;
};
