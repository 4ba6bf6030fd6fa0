#include "components/TAudioCDGrabber2.h"

#include "components/CdImage.h"
#include "components/CddbLookup.h"
#include "components/ComponentError.h"
#include "platform/Application.h"
#include "platform/WindowMessages.h"

#include <QFile>
#include <QObject>
#include <QTimer>
#include <QtEndian>

#include <cdio/cdio.h>
#include <cdio/mmc_ll_cmds.h>
#include <cdio/paranoia/cdda.h>
#include <cdio/paranoia/paranoia.h>

#include <algorithm>
#include <chrono>
#include <condition_variable>
#include <cstring>
#include <deque>

namespace {

constexpr int kPollIntervalMs = 1000;
constexpr int kSectorsPerWrite = 32;
// Blocks of kSectorsPerWrite read ahead of the encoder at most (about 600 KB).
constexpr size_t kQueuedBlocks = 8;
constexpr int kSectorsPerPlainRead = 26;
constexpr int kSampleRate = 44100;
// How long AbortGrab (and the grabber's destructor) waits for the worker before abandoning it.
constexpr int kAbortWaitMs = 1000;

int16_t readLittleEndian16(const uint8_t* p) {
    return static_cast<int16_t>(qFromLittleEndian<quint16>(p));
}

struct CddaDeleter {
    void operator()(cdrom_drive_t* cdda) const { cdio_cddap_close_no_free_cdio(cdda); }
};
struct ParanoiaDeleter {
    void operator()(cdrom_paranoia_t* paranoia) const { cdio_paranoia_free(paranoia); }
};

} // namespace

struct TAudioCDGrabber2::EventTarget {
    std::mutex mutex;
    QObject* context = nullptr; // cleared when the grabber goes; late events are then dropped

    void post(std::function<void()> fn) {
        std::lock_guard<std::mutex> lock(mutex);
        if (context) RunOnUiThread(context, std::move(fn));
    }
};

// Everything one grab needs, shared between the starting call and the worker thread. The worker
// keeps it (and the link and the event target) alive, so it may finish after the grabber is gone.
struct TAudioCDGrabber2::GrabJob : std::enable_shared_from_this<GrabJob> {
    TAudioCDGrabber2* owner = nullptr; // used only inside events, which run only while it exists
    std::shared_ptr<TAudioFileLink> link;
    std::shared_ptr<EventTarget> events;
    CdDriveEntry drive;
    int32_t start = 0;
    int32_t sectors = 0;
    int32_t readableEnd = 0; // a drive: the lead-out it reports when the grab starts
    int trackNumber = 0;
    QString fileName;
    GrabModeSettings mode{};
    AudioSink* sink = nullptr; // which object the link led to at the start: only ever called through the link

    // A real drive is read through paranoia (or plain reads); a disc image straight from its files.
    CdDisc::CdioHandle cdio;
    std::unique_ptr<cdrom_drive_t, CddaDeleter> cdda;
    std::unique_ptr<cdrom_paranoia_t, ParanoiaDeleter> paranoia;
    std::unique_ptr<CdImage::Reader> image;

    std::atomic<bool> abort{false};
    std::atomic<bool> finalReported{false}; // the 100 or the error went out
    std::atomic<double> lastProgress{0.0};

    // `finished`: the worker is done with everything. `abandoned`: nobody waits for it any more;
    // it sends no event and removes its partial file.
    std::mutex mutex;
    std::condition_variable changed;
    bool finished = false;
    bool abandoned = false;

    // Paranoia's callback state (worker thread only).
    int retry = 0;
    bool skipped = false;
    bool readError = false;
    int32_t problemSector = -1;

    void closeReader() {
        paranoia.reset(); // before the drive it reads
        cdda.reset();
        cdio.reset();
        image.reset();
    }
    bool isFinished() {
        std::lock_guard<std::mutex> lock(mutex);
        return finished;
    }
    // Sends an event unless the grab was abandoned.
    void post(std::function<void()> fn) {
        std::lock_guard<std::mutex> lock(mutex);
        if (!abandoned) events->post(std::move(fn));
    }
    void reportRetry(int retryNumber, int sector) {
        TAudioCDGrabber2* g = owner;
        post([g, retryNumber, sector] { Q_EMIT g->OnGrabRetry(static_cast<int16_t>(retryNumber), sector); });
    }
    // Progress still on its way when the grab is aborted is dropped: after AbortGrab only its own
    // last progress arrives.
    void reportProgress(double progress) {
        TAudioCDGrabber2* g = owner;
        post([g, progress, job = shared_from_this()] {
            if (!job->abort.load()) Q_EMIT g->OnOperationProgress(progress);
        });
    }
    QString lostSectorError(int32_t sector) const {
        return QStringLiteral(
                   "Read error on track %1 at sector %2: the disc cannot be read there even after %3 "
                   "attempts.")
            .arg(trackNumber)
            .arg(sector)
            .arg(mode.maxRetries);
    }
    bool readImage(int32_t at, int count, std::vector<int16_t>& out, QString* failure);
    bool readDrive(int32_t at, int* got, std::vector<int16_t>& out, std::vector<uint8_t>& raw,
                   QString* failure);
    void run();
};

namespace {

thread_local TAudioCDGrabber2::GrabJob* t_job = nullptr;

// Paranoia reports its re-reads and give-ups through a callback without user data; the job of
// the worker thread is found through a thread-local pointer.
void paranoiaCallback(long inpos, paranoia_cb_mode_t function) {
    auto* job = t_job;
    if (!job) return;
    const int sector = static_cast<int>(inpos / CD_FRAMEWORDS);
    if (function == PARANOIA_CB_READERR) {
        job->retry = std::min(job->retry + 1, job->mode.maxRetries);
        job->readError = true;
        if (job->problemSector < 0) job->problemSector = sector;
        job->reportRetry(job->retry, sector);
    } else if (function == PARANOIA_CB_SKIP) {
        job->skipped = true;
        if (job->problemSector < 0) job->problemSector = sector;
        job->retry = job->mode.maxRetries;
        job->reportRetry(job->retry, sector);
    }
}

} // namespace

// Reads `count` sectors of a disc image into `out`. A sector whose data is not in its file (the
// file was cut short or cannot be read) is read again as a drive would be, up to the mode's
// limit, each attempt reported; then it is silence where the mode skips, else the grab fails.
bool TAudioCDGrabber2::GrabJob::readImage(int32_t at, int count, std::vector<int16_t>& out,
                                          QString* failure) {
    const size_t offset = out.size();
    out.resize(offset + static_cast<size_t>(count) * CD_FRAMEWORDS);
    if (image->readAudio(at, count, out.data() + offset)) return true;
    for (int s = 0; s < count && !abort.load(); ++s) {
        int16_t* dest = out.data() + offset + static_cast<size_t>(s) * CD_FRAMEWORDS;
        bool ok = image->readAudio(at + s, 1, dest);
        for (int attempt = 1; !ok && attempt <= mode.maxRetries && !abort.load(); ++attempt) {
            reportRetry(attempt, at + s);
            ok = image->readAudio(at + s, 1, dest);
        }
        if (ok) continue;
        if (!mode.skipAllowed) {
            *failure = lostSectorError(at + s);
            out.resize(offset + static_cast<size_t>(s) * CD_FRAMEWORDS); // what was read before it
            return false;
        }
        std::fill(dest, dest + CD_FRAMEWORDS, int16_t{0});
    }
    return true;
}

// Reads from a real drive: one sector through paranoia, or up to 26 with plain reads.
bool TAudioCDGrabber2::GrabJob::readDrive(int32_t at, int* got, std::vector<int16_t>& out,
                                          std::vector<uint8_t>& raw, QString* failure) {
    // Sectors past the data the disc has cannot be read; paranoia would hand out silence.
    if (at >= readableEnd) {
        *failure = QStringLiteral("Read error on track %1 at sector %2: the disc has no data there.")
                       .arg(trackNumber)
                       .arg(at);
        return false;
    }
    if (paranoia) {
        int16_t* data = cdio_paranoia_read_limited(paranoia.get(), paranoiaCallback, mode.maxRetries);
        // With verification off paranoia fills a failed read with silence; with it on, a failed
        // read is read again and only a skip means the data was not recovered.
        const bool lost = skipped || (readError && mode.paranoiaMode == PARANOIA_MODE_DISABLE);
        if (!data || (lost && !mode.skipAllowed)) {
            *failure = lostSectorError(problemSector >= 0 ? problemSector : at);
            return false;
        }
        retry = 0;
        skipped = false;
        readError = false;
        problemSector = -1;
        out.insert(out.end(), data, data + CD_FRAMEWORDS);
        *got = 1;
        return true;
    }
    const int n = std::min<int32_t>({kSectorsPerPlainRead, start + sectors - at, readableEnd - at});
    if (cdio_read_audio_sectors(cdio.get(), raw.data(), at, static_cast<uint32_t>(n)) != DRIVER_OP_SUCCESS) {
        *failure = QStringLiteral("Read error on track %1 at sector %2.").arg(trackNumber).arg(at);
        return false;
    }
    const size_t values = static_cast<size_t>(n) * CD_FRAMEWORDS;
    const size_t offset = out.size();
    out.resize(offset + values);
    for (size_t i = 0; i < values; ++i)
        out[offset + i] = readLittleEndian16(&raw[i * 2]);
    *got = n;
    return true;
}

namespace {

// The blocks read and not yet written. The reader waits while it holds kQueuedBlocks, so a grab
// keeps the same memory whatever the track's length; `stop` drops what is queued and wakes both.
class BlockQueue {
public:
    bool push(AudioBlock block) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return m_blocks.size() < kQueuedBlocks || m_stopped; });
        if (m_stopped) return false;
        m_blocks.push_back(std::move(block));
        m_changed.notify_all();
        return true;
    }
    // False once the reader has ended and every block was taken, or after `stop`.
    bool pop(AudioBlock& block) {
        std::unique_lock<std::mutex> lock(m_mutex);
        m_changed.wait(lock, [this] { return !m_blocks.empty() || m_ended || m_stopped; });
        if (m_stopped || m_blocks.empty()) return false;
        block = std::move(m_blocks.front());
        m_blocks.pop_front();
        m_changed.notify_all();
        return true;
    }
    void end() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_ended = true;
        m_changed.notify_all();
    }
    void stop() {
        std::lock_guard<std::mutex> lock(m_mutex);
        m_stopped = true;
        m_blocks.clear();
        m_changed.notify_all();
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::deque<AudioBlock> m_blocks;
    bool m_ended = false;
    bool m_stopped = false;
};

} // namespace

// The worker reads the track and hands its blocks to an encoder thread of the grab's own, which
// writes them through the link: the next blocks are read while the last ones are encoded.
void TAudioCDGrabber2::GrabJob::run() {
    t_job = this;
    QString failure;
    int failureKind = 0;
    int32_t done = 0;
    int lastPercent = 0;
    BlockQueue queue;
    // The encoder thread's failure, read once it has been joined.
    int writeKind = 0;
    QString writeFailure;
    std::thread encoder([&] {
        AudioBlock block;
        try {
            while (!abort.load() && queue.pop(block)) {
                if (!link->withSink(sink, [&](AudioSink& out) { out.sinkWriteArray(block); })) {
                    writeKind = GrabStopped;
                    writeFailure =
                        QStringLiteral("The audio file was closed while track %1 was being grabbed.")
                            .arg(trackNumber);
                    break;
                }
            }
        } catch (const std::exception& e) {
            writeKind = GrabWriteError;
            writeFailure = QString::fromUtf8(e.what());
        }
        // The reader stops at its next block; nothing more is written.
        queue.stop();
    });
    std::vector<int16_t> pending;
    pending.reserve(static_cast<size_t>(kSectorsPerWrite) * CD_FRAMEWORDS);
    std::vector<uint8_t> raw(static_cast<size_t>(kSectorsPerPlainRead) * CdDisc::kSectorBytes);
    auto hand = [&] {
        if (pending.empty()) return true;
        AudioBlock block(std::move(pending), 2);
        pending = std::vector<int16_t>();
        pending.reserve(static_cast<size_t>(kSectorsPerWrite) * CD_FRAMEWORDS);
        return queue.push(std::move(block));
    };
    try {
        while (done < sectors && !abort.load()) {
            int got = 0;
            if (image) {
                got = std::min(kSectorsPerWrite, sectors - done);
                if (!readImage(start + done, got, pending, &failure)) break;
            } else if (!readDrive(start + done, &got, pending, raw, &failure)) {
                break;
            }
            done += got;
            if (pending.size() >= static_cast<size_t>(kSectorsPerWrite) * CD_FRAMEWORDS && !hand()) break;
            const int percent = static_cast<int>(static_cast<int64_t>(done) * 100 / sectors);
            if (percent > lastPercent && done < sectors) {
                lastPercent = percent;
                lastProgress = 100.0 * done / sectors;
                reportProgress(lastProgress.load());
            }
        }
        // A sector that could not be read ends the track there: what was read before it is kept.
        if (!failure.isEmpty()) failureKind = GrabReadError;
        if (!abort.load()) hand();
    } catch (const std::exception& e) {
        failureKind = GrabStopped;
        failure = QString::fromUtf8(e.what());
    }
    t_job = nullptr;
    if (abort.load() || failureKind == GrabStopped)
        queue.stop();
    else
        queue.end();
    encoder.join();
    if (writeKind != 0) {
        failureKind = writeKind;
        failure = writeFailure;
    }
    closeReader();
    QString closeFailure;
    try {
        // An object that went away closed its file itself.
        link->withSink(sink, [](AudioSink& out) { out.sinkClose(); });
    } catch (const std::exception& e) {
        closeFailure = QString::fromUtf8(e.what());
    }
    if (!abort.load() && !closeFailure.isEmpty() && failureKind != GrabWriteError) {
        // A file that cannot be finished is not kept, whatever else went wrong.
        failureKind = GrabWriteError;
        failure = closeFailure;
    }

    std::lock_guard<std::mutex> lock(mutex);
    finished = true;
    changed.notify_all();
    if (abandoned) {
        // Whoever gave up on this grab has reported it; what it wrote is not a whole track.
        QFile::remove(fileName);
        return;
    }
    if (abort.load()) return; // AbortGrab reports the final progress
    finalReported = true;
    TAudioCDGrabber2* g = owner;
    if (failureKind != 0) {
        // A read error keeps what was read (the caller decides); a file that could not be written
        // whole is not left behind as if it were complete.
        if (failureKind != GrabReadError) QFile::remove(fileName);
        const double progress = lastProgress.load();
        events->post([g, progress, failureKind, failure] {
            Q_EMIT g->OnOperationProgress(progress);
            Q_EMIT g->OnGrabFailed(failureKind, failure);
        });
        return;
    }
    events->post([g] { Q_EMIT g->OnOperationProgress(100.0); });
}

TAudioCDGrabber2::GrabModeSettings TAudioCDGrabber2::grabModeSettings(int mode) {
    const int secure = PARANOIA_MODE_FULL ^ PARANOIA_MODE_NEVERSKIP;
    switch (mode) {
    case 0:
        return {false, PARANOIA_MODE_DISABLE, 0, false};
    case 1:
        return {true, PARANOIA_MODE_DISABLE, 1, false};
    case 2:
        return {true, secure, 20, false};
    case 3:
        return {true, secure, 50, false};
    default:
        return {true, secure, 100, true};
    }
}

TAudioCDGrabber2::TAudioCDGrabber2(QObject* parent)
    : QObject(parent), m_context(std::make_unique<QObject>()), m_events(std::make_shared<EventTarget>()) {
    m_events->context = m_context.get();
    m_pollTimer = new QTimer(m_context.get());
    m_pollTimer->setInterval(kPollIntervalMs);
    QObject::connect(m_pollTimer, &QTimer::timeout, m_context.get(),
                     [this] { RunGuarded([this] { pollMedia(); }); });
}

TAudioCDGrabber2::~TAudioCDGrabber2() {
    // A running grab stops; the worker closes its file on the way out. Nobody is left to delete
    // the partial file: it goes here, or, from a worker that does not come back in time, when it
    // does.
    // A worker given up on already (its thread let go) cleans up after itself.
    if (m_job && m_worker.joinable()) {
        m_job->abort = true;
        std::unique_lock<std::mutex> lock(m_job->mutex);
        if (m_job->changed.wait_for(lock, std::chrono::milliseconds(kAbortWaitMs),
                                    [this] { return m_job->finished; })) {
            lock.unlock();
            m_worker.join();
            if (!m_job->finalReported.load()) QFile::remove(m_job->fileName);
        } else {
            m_job->abandoned = true;
            lock.unlock();
            m_worker.detach();
        }
    }
    if (m_worker.joinable()) m_worker.join();
    StopRead();
    {
        std::lock_guard<std::mutex> lock(m_events->mutex);
        m_events->context = nullptr;
    }
    // A stopped lookup drops its connection and returns at once (only a name look-up that hangs
    // in the system's resolver can hold it up, for as long as the resolver waits).
    stopLookups(m_lookupGeneration);
    for (LookupThread& lookup : m_lookupThreads)
        lookup.thread.join();
    m_context.reset(); // drops events still queued for this object
}

void TAudioCDGrabber2::post(std::function<void()> fn) {
    RunOnUiThread(m_context.get(), std::move(fn));
}

void TAudioCDGrabber2::resetDisc() {
    m_state = CdMediaState::NoDisc;
    m_toc = CdToc();
    m_image.reset();
    m_discId = 0;
    m_session = m_track = -1;
}

// ---- drives -------------------------------------------------------------------------------------

void TAudioCDGrabber2::Initialize() {
    requireIdle("list the drives");
    StopRead();
    m_drives = CdDriveList::enumerate();
    m_drive = -1;
    resetDisc();
    if (!m_drives.empty()) {
        m_drive = 0;
        m_mediaSignature = CdDisc::mediaSignature(m_drives[0]);
    }
    m_pollTimer->start();
}

int TAudioCDGrabber2::GetDriveCount() const {
    return static_cast<int>(m_drives.size());
}

void TAudioCDGrabber2::SelectDrive(int index) {
    if (index < 1 || index > GetDriveCount())
        throw ComponentError(QStringLiteral("There is no CD drive number %1.").arg(index));
    if (m_drive == index - 1) return;
    requireIdle("change the drive");
    StopRead();
    m_drive = index - 1;
    resetDisc();
    m_mediaSignature = CdDisc::mediaSignature(m_drives[m_drive]);
}

const CdDriveEntry& TAudioCDGrabber2::currentDrive() const {
    if (m_drive < 0 || m_drive >= GetDriveCount())
        throw ComponentError(QStringLiteral("No CD drive is chosen."));
    return m_drives[m_drive];
}

QString TAudioCDGrabber2::GetDriveId() const {
    return currentDrive().id;
}
QString TAudioCDGrabber2::GetDriveVendor() const {
    return currentDrive().vendor;
}
QString TAudioCDGrabber2::GetDriveProduct() const {
    return currentDrive().product;
}
QString TAudioCDGrabber2::GetDriveRevision() const {
    return currentDrive().revision;
}

// ---- options ------------------------------------------------------------------------------------

void TAudioCDGrabber2::SetGrabMode(int mode) {
    if (mode < 0 || mode > 4) throw ComponentError(QStringLiteral("%1 is not a grab mode.").arg(mode));
    m_grabMode = mode;
    // Mode 0 is what the preview sets before it reads, and nobody sets the chosen mode again
    // afterwards: grabs keep the last mode 1..4 so that a preview does not quietly turn a
    // precision grab into a plain one.
    if (mode != 0) m_ripMode = mode;
}

void TAudioCDGrabber2::SetReadOptionB(int value) {
    if (value < 0) throw ComponentError(QStringLiteral("%1 is not a valid retry count.").arg(value));
    m_optionB = value;
}

void TAudioCDGrabber2::SetReadOptionC(int value) {
    m_optionC = value != 0 ? 1 : 0;
}

int TAudioCDGrabber2::GetMaxRetries() const {
    return grabModeSettings(m_ripMode).maxRetries;
}

// ---- disc ---------------------------------------------------------------------------------------

void TAudioCDGrabber2::RefreshMedia() {
    const CdDriveEntry& drive = currentDrive();
    requireIdle("read the disc");
    StopRead();
    m_mediaSignature = CdDisc::mediaSignature(drive);
    CdDisc::ReadResult result = CdDisc::readDisc(drive);
    m_state = result.state;
    m_toc = result.state == CdMediaState::Present ? std::move(result.toc) : CdToc();
    m_image = std::move(result.image);
    m_discId = CdDisc::cddbDiscId(m_toc);
    m_session = m_track = -1;
    // A damaged image in the drive list is the user's to mend: say what is wrong with it. A real
    // disc that cannot be read (a blank or foreign disc) is simply "unrecognised".
    if (result.state == CdMediaState::Unrecognised && drive.isImage) throw ComponentError(result.error);
}

int TAudioCDGrabber2::GetMediaState() const {
    return static_cast<int>(m_state);
}

void TAudioCDGrabber2::requireDisc() const {
    if (m_state != CdMediaState::Present)
        throw ComponentError(QStringLiteral("There is no readable disc in the drive."));
}

void TAudioCDGrabber2::requireIdle(const char* what) const {
    if (IsGrabbing())
        throw ComponentError(
            QStringLiteral("Cannot %1 while a track is being grabbed.").arg(QLatin1String(what)));
}

int16_t TAudioCDGrabber2::GetSessionCount() const {
    return m_state == CdMediaState::Present ? static_cast<int16_t>(m_toc.sessionCount) : 0;
}

int TAudioCDGrabber2::GetCddbId() const {
    return static_cast<int>(m_discId);
}

int TAudioCDGrabber2::GetDiscType() const {
    return m_toc.discType;
}

void TAudioCDGrabber2::SetSession(int session) {
    requireDisc();
    if (session < 0 || session >= m_toc.sessionCount)
        throw ComponentError(QStringLiteral("The disc has no session %1.").arg(session + 1));
    if (session != m_session) m_track = -1;
    m_session = session;
}

void TAudioCDGrabber2::SetTrack(int track) {
    requireDisc();
    const int session = m_session < 0 ? 0 : m_session;
    const auto tracks = m_toc.sessionTracks(session);
    if (track < 0 || track >= static_cast<int>(tracks.size()))
        throw ComponentError(QStringLiteral("Session %1 has no track %2.").arg(session + 1).arg(track + 1));
    m_session = session;
    m_track = track;
}

int TAudioCDGrabber2::GetSession() const {
    return m_session;
}
int TAudioCDGrabber2::GetTrack() const {
    return m_track;
}

int TAudioCDGrabber2::GetTrackCount() const {
    requireDisc();
    return static_cast<int>(m_toc.sessionTracks(m_session < 0 ? 0 : m_session).size());
}

int TAudioCDGrabber2::currentTrackIndex() const {
    requireDisc();
    if (m_session < 0 || m_track < 0) throw ComponentError(QStringLiteral("No track is chosen."));
    const auto tracks = m_toc.sessionTracks(m_session);
    return static_cast<int>(tracks.at(m_track) - m_toc.tracks.data());
}

const CdTrackInfo& TAudioCDGrabber2::currentTrack() const {
    return m_toc.tracks[currentTrackIndex()];
}

int TAudioCDGrabber2::GetTrackType() const {
    return currentTrack().type;
}
int TAudioCDGrabber2::GetTrackMinutes() const {
    return currentTrack().sectors / (75 * 60);
}
int TAudioCDGrabber2::GetTrackSeconds() const {
    return currentTrack().sectors / 75 % 60;
}
int TAudioCDGrabber2::GetTrackFrames() const {
    return currentTrack().sectors % 75;
}
int TAudioCDGrabber2::GetTrackBlocks() const {
    return currentTrack().sectors;
}

// ---- media change -------------------------------------------------------------------------------

void TAudioCDGrabber2::pollMedia() {
    if (m_drive < 0 || m_drive >= GetDriveCount()) return;
    const QString signature = CdDisc::mediaSignature(m_drives[m_drive]);
    if (signature == m_mediaSignature) return;
    m_mediaSignature = signature;
    post([this] { Q_EMIT OnMediaChange(); });
}

// ---- tray ---------------------------------------------------------------------------------------

void TAudioCDGrabber2::trayCommand(int what) {
    const CdDriveEntry& drive = currentDrive();
    if (drive.isImage) return; // an image has no tray
    QString error;
    CdDisc::CdioHandle cdio = CdDisc::open(drive, &error);
    if (!cdio) throw ComponentError(error);
    driver_return_code_t rc;
    if (what == 2) {
        // Ejecting closes the handle on success and clears it; the handle owns what is left.
        CdIo_t* handle = cdio.release();
        rc = cdio_eject_media(&handle);
        cdio.reset(handle);
    } else {
        rc = mmc_prevent_allow_medium_removal(cdio.get(), false, what == 1, 0);
    }
    if (rc != DRIVER_OP_SUCCESS) {
        static const char* const names[] = {"unlock the tray of", "lock the tray of", "eject the disc from"};
        throw ComponentError(QStringLiteral("Cannot %1 %2.").arg(QLatin1String(names[what]), drive.source));
    }
}

void TAudioCDGrabber2::LockTray() {
    trayCommand(1);
}
void TAudioCDGrabber2::UnlockTray() {
    trayCommand(0);
}
void TAudioCDGrabber2::Eject() {
    requireIdle("eject the disc");
    StopRead(); // the drive refuses to eject while a handle of ours is open
    trayCommand(2);
}

// ---- grabbing -----------------------------------------------------------------------------------

// ---- grabbing -----------------------------------------------------------------------------------

bool TAudioCDGrabber2::IsGrabbing() const {
    if (!m_job) return false;
    std::lock_guard<std::mutex> lock(m_job->mutex);
    return !m_job->finished && !m_job->abandoned;
}

void TAudioCDGrabber2::finishWorker() {
    if (m_worker.joinable()) m_worker.join();
    m_job.reset();
}

void TAudioCDGrabber2::StartGrab(const QString& fileName) {
    if (IsGrabbing()) throw ComponentError(QStringLiteral("A track is being grabbed already."));
    // An abandoned grab still waits in a read of the drive (or a write) and holds the audio file.
    if (m_job && !m_job->isFinished())
        throw ComponentError(
            QStringLiteral("The last grab has not come back from %1 yet.").arg(m_job->drive.source));
    finishWorker();
    const CdTrackInfo& track = currentTrack();
    if (track.type != 0)
        throw ComponentError(QStringLiteral("Track %1 is not an audio track.").arg(track.number));
    AudioSink* sink = m_link->sink();
    if (!sink) throw ComponentError(QStringLiteral("No audio file is connected to the CD grabber."));
    if (fileName.isEmpty())
        throw ComponentError(QStringLiteral("No file name was given for the grabbed track."));

    auto job = std::make_shared<GrabJob>();
    job->owner = this;
    job->link = m_link;
    job->events = m_events;
    job->drive = currentDrive();
    job->start = track.start;
    job->sectors = track.sectors;
    job->trackNumber = track.number;
    job->fileName = fileName;
    job->mode = grabModeSettings(m_ripMode);
    job->sink = sink;

    // The source is opened here, so that a drive or image that cannot be read fails the call.
    QString error;
    if (job->drive.isImage) {
        // Paranoia verifies what a drive delivers; an image's files are read as they are, in
        // every mode. The sheet must still describe a disc with its data files.
        const CdDisc::ReadResult now = CdDisc::readDisc(job->drive);
        if (now.state != CdMediaState::Present)
            throw ComponentError(now.error.isEmpty()
                                     ? QStringLiteral("The disc image %1 is gone.").arg(job->drive.source)
                                     : now.error);
        job->image = std::make_unique<CdImage::Reader>(m_image);
        if (!job->image->open(&error)) throw ComponentError(error);
    } else {
        job->cdio = CdDisc::open(job->drive, &error);
        if (!job->cdio) throw ComponentError(error);
        job->readableEnd = cdio_get_track_lsn(job->cdio.get(), CDIO_CDROM_LEADOUT_TRACK);
        if (m_optionC) cdio_set_speed(job->cdio.get(), 0); // 0: the drive's highest speed
        if (job->mode.paranoia) {
            job->cdda.reset(cdio_cddap_identify_cdio(job->cdio.get(), CDDA_MESSAGE_FORGETIT, nullptr));
            if (!job->cdda || cdio_cddap_open(job->cdda.get()) != 0)
                throw ComponentError(QStringLiteral("Cannot read audio from %1.").arg(job->drive.source));
            job->paranoia.reset(cdio_paranoia_init(job->cdda.get()));
            cdio_paranoia_modeset(job->paranoia.get(), job->mode.paranoiaMode);
            cdio_paranoia_seek(job->paranoia.get(), job->start, SEEK_SET);
        }
    }

    sink->sinkSetInputFormat(kSampleRate, 2);
    sink->sinkCreateWrite(fileName); // raises when the file cannot be created

    m_job = job;
    m_worker = std::thread([job] { job->run(); });
}

void TAudioCDGrabber2::AbortGrab() {
    if (!m_job) return;
    std::shared_ptr<GrabJob> job = m_job;
    job->abort = true;
    std::unique_lock<std::mutex> lock(job->mutex);
    if (job->abandoned) return; // given up on already
    const bool returned =
        job->changed.wait_for(lock, std::chrono::milliseconds(kAbortWaitMs), [&] { return job->finished; });
    const double progress = job->lastProgress.load();
    if (returned) {
        // The worker closed the file on its way out.
        lock.unlock();
        m_worker.join();
        m_job.reset();
        if (!job->finalReported.load()) {
            post([this, progress] { Q_EMIT OnOperationProgress(progress); });
        }
        return;
    }
    // The worker waits in a read of the drive (or a write) that does not come back. It is left to
    // finish on its own: it then closes the file, removes it and sends nothing. The grab has failed.
    job->abandoned = true;
    lock.unlock();
    m_worker.detach();
    const QString failure =
        QStringLiteral(
            "The grab of track %1 was stopped, but %2 did not answer within %3 s; the partial file is "
            "removed when it does.")
            .arg(job->trackNumber)
            .arg(job->drive.source)
            .arg(kAbortWaitMs / 1000);
    post([this, progress, failure] {
        Q_EMIT OnOperationProgress(progress);
        Q_EMIT OnGrabFailed(GrabStopped, failure);
    });
}

// ---- preview reading ----------------------------------------------------------------------------

void TAudioCDGrabber2::StartRead() {
    const int index = currentTrackIndex();
    const CdTrackInfo& track = m_toc.tracks[index];
    if (track.type != 0)
        throw ComponentError(QStringLiteral("Track %1 is not an audio track.").arg(track.number));
    StopRead();
    QString error;
    if (m_image) {
        auto reader = std::make_unique<CdImage::Reader>(m_image);
        if (!reader->open(&error)) throw ComponentError(error);
        m_imageReader = std::move(reader);
    } else {
        m_reader = CdDisc::open(currentDrive(), &error);
        if (!m_reader) throw ComponentError(error);
    }
    m_readTrack = index;
    m_readPos = 0;
}

void TAudioCDGrabber2::StopRead() {
    m_reader.reset();
    m_imageReader.reset();
    m_readTrack = -1;
    m_readPos = 0;
}

AudioBlock TAudioCDGrabber2::ReadBlocks(int count) {
    if (!m_reader && !m_imageReader) throw ComponentError(QStringLiteral("Reading has not been started."));
    if (count < 0) throw ComponentError(QStringLiteral("%1 is not a valid block count.").arg(count));
    const CdTrackInfo& track = m_toc.tracks[m_readTrack];
    const int n = std::min<int32_t>(count, track.sectors - m_readPos);
    if (n <= 0) return AudioBlock();
    const lsn_t lsn = track.start + m_readPos;
    std::vector<int16_t> samples(static_cast<size_t>(n) * CD_FRAMEWORDS);
    std::vector<uint8_t> raw(m_reader ? static_cast<size_t>(n) * CdDisc::kSectorBytes : 0);
    auto read = [&] {
        if (m_imageReader) return m_imageReader->readAudio(lsn, n, samples.data());
        return cdio_read_audio_sectors(m_reader.get(), raw.data(), lsn, static_cast<uint32_t>(n)) ==
               DRIVER_OP_SUCCESS;
    };
    for (int attempt = 0; !read();) {
        if (++attempt > m_optionB)
            throw ComponentError(
                QStringLiteral("Read error on track %1 at sector %2.").arg(track.number).arg(lsn));
    }
    if (m_reader) {
        for (size_t i = 0; i < samples.size(); ++i)
            samples[i] = readLittleEndian16(&raw[i * 2]);
    }
    m_readPos += n;
    return AudioBlock(std::move(samples), 2);
}

void TAudioCDGrabber2::SeekBlock(int block, int origin) {
    if (!m_reader && !m_imageReader) throw ComponentError(QStringLiteral("Reading has not been started."));
    if (origin != 1) throw ComponentError(QStringLiteral("%1 is not a valid seek origin.").arg(origin));
    const CdTrackInfo& track = m_toc.tracks[m_readTrack];
    if (block < 0 || block > track.sectors)
        throw ComponentError(QStringLiteral("Block %1 is outside track %2.").arg(block).arg(track.number));
    m_readPos = block;
}

// ---- disc lookup --------------------------------------------------------------------------------

bool TAudioCDGrabber2::lookupValid() const {
    return m_lookupLoaded && m_lookupDiscId == m_discId && m_discId != 0;
}

void TAudioCDGrabber2::stopLookups(unsigned upToGeneration) {
    for (LookupThread& lookup : m_lookupThreads)
        if (lookup.generation <= upToGeneration) lookup.stop->stop();
}

void TAudioCDGrabber2::joinFinishedLookups() {
    for (auto it = m_lookupThreads.begin(); it != m_lookupThreads.end();) {
        if (it->finished->load()) {
            it->thread.join();
            it = m_lookupThreads.erase(it);
        } else {
            ++it;
        }
    }
}

void TAudioCDGrabber2::QueryFreeDB(const TFreeDBInformation2& info, int /*mode*/) {
    requireDisc();
    const CddbLookup::Request request = CddbLookup::requestFor(info, m_toc);
    // The lookup this one replaces would only be ignored: it ends now.
    stopLookups(m_lookupGeneration);
    joinFinishedLookups();
    const unsigned generation = ++m_lookupGeneration;
    m_lookupRunning = true;
    m_lookupFailure = {};
    const uint32_t discId = m_discId;
    std::shared_ptr<EventTarget> shared = m_events;

    // The lookup must end within the time-out even when a server trickles its answer; whatever
    // comes later is ignored.
    QTimer::singleShot(
        info.timeOut(), m_context.get(), [this, generation, timeOut = info.timeOut(), host = request.host] {
            if (generation != m_lookupGeneration || !m_lookupRunning) return;
            m_lookupRunning = false;
            m_lookupLoaded = false;
            stopLookups(generation);
            m_lookupFailure = {
                CddbLookup::Failure::TimeOut,
                QStringLiteral("No complete answer from %1 within %2 ms.").arg(host).arg(timeOut)};
            RunGuarded([this] { Q_EMIT OnFreeDBQueryStatus(CddbLookup::ConnectionFailed); });
        });

    // The thread touches only what it was given; its events reach the grabber only while the
    // grabber exists, and the grabber joins it.
    auto stop = std::make_shared<CddbLookup::StopSignal>();
    auto finished = std::make_shared<std::atomic<bool>>(false);
    std::thread thread([this, request, generation, discId, shared, stop, finished] {
        auto progress = [&](int status) {
            shared->post([this, generation, status] {
                if (generation != m_lookupGeneration || !m_lookupRunning) return;
                Q_EMIT OnFreeDBQueryStatus(status);
            });
        };
        CddbLookup::Result result = CddbLookup::run(request, progress, stop.get());
        shared->post([this, generation, discId, result] {
            if (generation != m_lookupGeneration || !m_lookupRunning) return;
            m_lookupRunning = false;
            m_lookupFailure = result.failure;
            if (result.status == CddbLookup::Loaded) {
                m_lookupLoaded = true;
                m_lookupDiscId = discId;
                m_album = result.album;
                m_artist = result.artist;
                m_genre = result.genre;
                m_year = result.year;
                m_titles = result.titles;
            } else {
                m_lookupLoaded = false;
            }
            Q_EMIT OnFreeDBQueryStatus(result.status);
        });
        finished->store(true);
    });
    m_lookupThreads.push_back({generation, std::move(stop), std::move(finished), std::move(thread)});
}

QString TAudioCDGrabber2::GetDiscAlbum() const {
    return lookupValid() ? m_album : QString();
}
QString TAudioCDGrabber2::GetDiscArtist() const {
    return lookupValid() ? m_artist : QString();
}
QString TAudioCDGrabber2::GetDiscGenre() const {
    return lookupValid() ? m_genre : QString();
}
int TAudioCDGrabber2::GetDiscYear() const {
    return lookupValid() ? m_year : 0;
}

QString TAudioCDGrabber2::GetTrackTitle() const {
    const int index = currentTrackIndex();
    if (!lookupValid() || index >= m_titles.size()) return QString();
    return m_titles[index];
}
