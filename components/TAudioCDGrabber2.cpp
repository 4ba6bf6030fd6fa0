#include "components/TAudioCDGrabber2.h"

#include "components/CddbLookup.h"
#include "components/ComponentError.h"
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
#include <cstring>

namespace {

constexpr int kPollIntervalMs = 1000;
constexpr int kSectorsPerWrite = 32;
constexpr int kSectorsPerPlainRead = 26;
constexpr int kSampleRate = 44100;

int16_t readLittleEndian16(const uint8_t* p) {
    return static_cast<int16_t>(qFromLittleEndian<quint16>(p));
}

} // namespace

// Everything one grab needs, shared between the starting call and the worker thread.
struct TAudioCDGrabber2::GrabJob {
    CdDriveEntry drive;
    int32_t start = 0;
    int32_t sectors = 0;
    int32_t readableEnd = 0; // the lead-out as the source reports it when the grab starts
    int trackNumber = 0;
    QString fileName;
    GrabModeSettings mode{};
    AudioSink* sink = nullptr; // which object the link led to at the start: only ever called through the link

    CdIo_t* cdio = nullptr;
    cdrom_drive_t* cdda = nullptr;
    cdrom_paranoia_t* paranoia = nullptr;

    std::atomic<bool> abort{false};
    std::atomic<bool> finalReported{false}; // the 100 or the error went out
    std::atomic<double> lastProgress{0.0};

    // Paranoia's callback state (worker thread only).
    int retry = 0;
    bool skipped = false;
    bool readError = false;
    int32_t problemSector = -1;
    std::function<void(int, int)> reportRetry;

    void closeReader() {
        if (paranoia) cdio_paranoia_free(paranoia);
        paranoia = nullptr;
        if (cdda) cdio_cddap_close_no_free_cdio(cdda);
        cdda = nullptr;
        if (cdio) cdio_destroy(cdio);
        cdio = nullptr;
    }
    ~GrabJob() { closeReader(); }
};

struct TAudioCDGrabber2::LookupShared {
    std::mutex mutex;
    QObject* context = nullptr; // cleared when the grabber goes; late results are then dropped

    void post(std::function<void()> fn) {
        std::lock_guard<std::mutex> lock(mutex);
        if (context) RunOnUiThread(context, std::move(fn));
    }
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
    : QObject(parent), m_context(std::make_unique<QObject>()),
      m_lookupShared(std::make_shared<LookupShared>()) {
    m_lookupShared->context = m_context.get();
    m_pollTimer = new QTimer(m_context.get());
    m_pollTimer->setInterval(kPollIntervalMs);
    QObject::connect(m_pollTimer, &QTimer::timeout, m_context.get(), [this] { pollMedia(); });
}

TAudioCDGrabber2::~TAudioCDGrabber2() {
    // A running grab stops; the worker closes its file on the way out. Nobody is left to delete
    // the partial file, so it goes here.
    if (m_job && m_grabbing.load()) {
        m_job->abort = true;
        if (m_worker.joinable()) m_worker.join();
        if (!m_job->finalReported.load()) QFile::remove(m_job->fileName);
    }
    if (m_worker.joinable()) m_worker.join();
    StopRead();
    {
        std::lock_guard<std::mutex> lock(m_lookupShared->mutex);
        m_lookupShared->context = nullptr;
    }
    m_context.reset(); // drops events still queued for this object
}

void TAudioCDGrabber2::post(std::function<void()> fn) {
    RunOnUiThread(m_context.get(), std::move(fn));
}

// ---- drives -------------------------------------------------------------------------------------

void TAudioCDGrabber2::Initialize() {
    requireIdle("list the drives");
    StopRead();
    m_drives = CdDriveList::enumerate();
    m_drive = -1;
    m_state = CdMediaState::NoDisc;
    m_toc = CdToc();
    m_discId = 0;
    m_session = m_track = -1;
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
    m_state = CdMediaState::NoDisc;
    m_toc = CdToc();
    m_discId = 0;
    m_session = m_track = -1;
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
    if (m_grabbing.load())
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
    CdIo_t* cdio = CdDisc::open(drive, &error);
    if (!cdio) throw ComponentError(error);
    driver_return_code_t rc;
    if (what == 2) {
        rc = cdio_eject_media(&cdio);
    } else {
        rc = mmc_prevent_allow_medium_removal(cdio, false, what == 1, 0);
    }
    if (cdio) cdio_destroy(cdio);
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

void TAudioCDGrabber2::finishWorker() {
    if (m_worker.joinable()) m_worker.join();
    m_job.reset();
}

void TAudioCDGrabber2::StartGrab(const QString& fileName) {
    if (m_grabbing.load()) throw ComponentError(QStringLiteral("A track is being grabbed already."));
    finishWorker();
    const CdTrackInfo& track = currentTrack();
    if (track.type != 0)
        throw ComponentError(QStringLiteral("Track %1 is not an audio track.").arg(track.number));
    AudioSink* sink = m_link.sink();
    if (!sink) throw ComponentError(QStringLiteral("No audio file is connected to the CD grabber."));
    if (fileName.isEmpty())
        throw ComponentError(QStringLiteral("No file name was given for the grabbed track."));

    auto job = std::make_shared<GrabJob>();
    job->drive = currentDrive();
    job->start = track.start;
    job->sectors = track.sectors;
    job->trackNumber = track.number;
    job->fileName = fileName;
    job->mode = grabModeSettings(m_ripMode);
    job->sink = sink;

    // The source is opened here, so that a drive or image that cannot be read fails the call.
    QString error;
    job->cdio = CdDisc::open(job->drive, &error);
    if (!job->cdio) throw ComponentError(error);
    job->readableEnd = cdio_get_track_lsn(job->cdio, CDIO_CDROM_LEADOUT_TRACK);
    if (m_optionC && !job->drive.isImage) cdio_set_speed(job->cdio, 0); // 0: the drive's highest speed
    if (job->mode.paranoia) {
        job->cdda = cdio_cddap_identify_cdio(job->cdio, CDDA_MESSAGE_FORGETIT, nullptr);
        // Image data is little-endian by definition; only a real drive needs paranoia's guess.
        if (job->cdda && job->drive.isImage) job->cdda->bigendianp = 0;
        if (!job->cdda || cdio_cddap_open(job->cdda) != 0) {
            throw ComponentError(QStringLiteral("Cannot read audio from %1.").arg(job->drive.source));
        }
        if (job->drive.isImage) job->cdda->bigendianp = 0;
        job->paranoia = cdio_paranoia_init(job->cdda);
        cdio_paranoia_modeset(job->paranoia, job->mode.paranoiaMode);
        cdio_paranoia_seek(job->paranoia, job->start, SEEK_SET);
    }

    sink->sinkSetInputFormat(kSampleRate, 2);
    sink->sinkCreateWrite(fileName); // raises when the file cannot be created

    job->reportRetry = [this](int retry, int sector) {
        post([this, retry, sector] { Q_EMIT OnGrabRetry(static_cast<int16_t>(retry), sector); });
    };
    m_job = job;
    m_grabbing = true;
    m_worker = std::thread([this, job] {
        t_job = job.get();
        QString failure;
        int32_t done = 0;
        int lastPercent = 0;
        std::vector<int16_t> pending;
        pending.reserve(static_cast<size_t>(kSectorsPerWrite) * CD_FRAMEWORDS);
        std::vector<uint8_t> raw(static_cast<size_t>(kSectorsPerPlainRead) * CdDisc::kSectorBytes);
        auto flush = [&] {
            if (pending.empty()) return;
            AudioBlock block(std::move(pending), 2);
            pending = std::vector<int16_t>();
            pending.reserve(static_cast<size_t>(kSectorsPerWrite) * CD_FRAMEWORDS);
            if (!m_link.withSink(job->sink, [&](AudioSink& out) { out.sinkWriteArray(block); }))
                throw ComponentError(
                    QStringLiteral("The audio file was closed while track %1 was being grabbed.")
                        .arg(job->trackNumber));
        };
        try {
            while (done < job->sectors && !job->abort.load()) {
                int got = 0;
                // Sectors past the data the source has now (a disc image cut short since its
                // table of contents was read) cannot be read; paranoia would hand out silence.
                if (job->start + done >= job->readableEnd) {
                    failure =
                        QStringLiteral("Read error on track %1 at sector %2: the disc has no data there.")
                            .arg(job->trackNumber)
                            .arg(job->start + done);
                    break;
                }
                if (job->paranoia) {
                    int16_t* data =
                        cdio_paranoia_read_limited(job->paranoia, paranoiaCallback, job->mode.maxRetries);
                    // With verification off paranoia fills a failed read with silence; with it on, a
                    // failed read is read again and only a skip means the data was not recovered.
                    const bool lost =
                        job->skipped || (job->readError && job->mode.paranoiaMode == PARANOIA_MODE_DISABLE);
                    if (!data || (lost && !job->mode.skipAllowed)) {
                        const int32_t sector =
                            job->problemSector >= 0 ? job->problemSector : job->start + done;
                        failure = QStringLiteral(
                                      "Read error on track %1 at sector %2: the disc cannot be read there "
                                      "even after %3 attempts.")
                                      .arg(job->trackNumber)
                                      .arg(sector)
                                      .arg(job->mode.maxRetries);
                        break;
                    }
                    job->retry = 0;
                    job->skipped = false;
                    job->readError = false;
                    job->problemSector = -1;
                    pending.insert(pending.end(), data, data + CD_FRAMEWORDS);
                    got = 1;
                } else {
                    const int n = std::min<int32_t>(
                        {kSectorsPerPlainRead, job->sectors - done, job->readableEnd - job->start - done});
                    if (cdio_read_audio_sectors(job->cdio, raw.data(), job->start + done,
                                                static_cast<uint32_t>(n)) != DRIVER_OP_SUCCESS) {
                        failure = QStringLiteral("Read error on track %1 at sector %2.")
                                      .arg(job->trackNumber)
                                      .arg(job->start + done);
                        break;
                    }
                    const size_t values = static_cast<size_t>(n) * CD_FRAMEWORDS;
                    const size_t offset = pending.size();
                    pending.resize(offset + values);
                    for (size_t i = 0; i < values; ++i)
                        pending[offset + i] = readLittleEndian16(&raw[i * 2]);
                    got = n;
                }
                done += got;
                if (pending.size() >= static_cast<size_t>(kSectorsPerWrite) * CD_FRAMEWORDS) flush();
                const int percent = static_cast<int>(static_cast<int64_t>(done) * 100 / job->sectors);
                if (percent > lastPercent && done < job->sectors) {
                    lastPercent = percent;
                    const double progress = 100.0 * done / job->sectors;
                    job->lastProgress = progress;
                    post([this, progress] { Q_EMIT OnOperationProgress(progress); });
                }
            }
            if (failure.isEmpty() && !job->abort.load()) flush();
        } catch (const std::exception& e) {
            failure = QString::fromUtf8(e.what());
        }
        t_job = nullptr;
        job->closeReader();
        QString closeFailure;
        try {
            // An object that went away closed its file itself.
            m_link.withSink(job->sink, [](AudioSink& out) { out.sinkClose(); });
        } catch (const std::exception& e) {
            closeFailure = QString::fromUtf8(e.what());
        }
        if (failure.isEmpty() && !job->abort.load()) failure = closeFailure;

        if (job->abort.load()) {
            m_grabbing = false; // AbortGrab reports the final progress
            return;
        }
        job->finalReported = true;
        if (!failure.isEmpty()) {
            // A file that misses part of the track is not left behind as if it were complete.
            QFile::remove(job->fileName);
            const double progress = job->lastProgress.load();
            m_grabbing = false;
            post([this, progress, failure] {
                Q_EMIT OnOperationProgress(progress);
                throw ComponentError(failure);
            });
            return;
        }
        m_grabbing = false;
        post([this] { Q_EMIT OnOperationProgress(100.0); });
    });
}

void TAudioCDGrabber2::AbortGrab() {
    if (!m_job) return;
    m_job->abort = true;
    if (m_worker.joinable()) m_worker.join(); // the worker closes the file on its way out
    const bool reported = m_job->finalReported.load();
    const double progress = m_job->lastProgress.load();
    m_job.reset();
    m_grabbing = false;
    if (reported) return;
    post([this, progress] { Q_EMIT OnOperationProgress(progress); });
}

// ---- preview reading ----------------------------------------------------------------------------

void TAudioCDGrabber2::StartRead() {
    const int index = currentTrackIndex();
    const CdTrackInfo& track = m_toc.tracks[index];
    if (track.type != 0)
        throw ComponentError(QStringLiteral("Track %1 is not an audio track.").arg(track.number));
    StopRead();
    QString error;
    m_reader = CdDisc::open(currentDrive(), &error);
    if (!m_reader) throw ComponentError(error);
    m_readTrack = index;
    m_readPos = 0;
}

void TAudioCDGrabber2::StopRead() {
    if (m_reader) cdio_destroy(m_reader);
    m_reader = nullptr;
    m_readTrack = -1;
    m_readPos = 0;
}

AudioBlock TAudioCDGrabber2::ReadBlocks(int count) {
    if (!m_reader) throw ComponentError(QStringLiteral("Reading has not been started."));
    if (count < 0) throw ComponentError(QStringLiteral("%1 is not a valid block count.").arg(count));
    const CdTrackInfo& track = m_toc.tracks[m_readTrack];
    const int n = std::min<int32_t>(count, track.sectors - m_readPos);
    if (n <= 0) return AudioBlock();
    std::vector<uint8_t> raw(static_cast<size_t>(n) * CdDisc::kSectorBytes);
    const lsn_t lsn = track.start + m_readPos;
    int attempt = 0;
    while (cdio_read_audio_sectors(m_reader, raw.data(), lsn, static_cast<uint32_t>(n)) !=
           DRIVER_OP_SUCCESS) {
        if (++attempt > m_optionB)
            throw ComponentError(
                QStringLiteral("Read error on track %1 at sector %2.").arg(track.number).arg(lsn));
    }
    std::vector<int16_t> samples(raw.size() / 2);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = readLittleEndian16(&raw[i * 2]);
    m_readPos += n;
    return AudioBlock(std::move(samples), 2);
}

void TAudioCDGrabber2::SeekBlock(int block, int origin) {
    if (!m_reader) throw ComponentError(QStringLiteral("Reading has not been started."));
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

void TAudioCDGrabber2::QueryFreeDB(const TFreeDBInformation2& info, int /*mode*/) {
    requireDisc();
    const CddbLookup::Request request = CddbLookup::requestFor(info, m_toc);
    const unsigned generation = ++m_lookupGeneration;
    m_lookupRunning = true;
    const uint32_t discId = m_discId;
    std::shared_ptr<LookupShared> shared = m_lookupShared;

    // The lookup must end within the time-out even when a server trickles its answer; whatever
    // comes later is ignored.
    QTimer::singleShot(info.timeOut(), m_context.get(), [this, generation] {
        if (generation != m_lookupGeneration || !m_lookupRunning) return;
        m_lookupRunning = false;
        Q_EMIT OnFreeDBQueryStatus(CddbLookup::ConnectionFailed);
    });

    // The thread owns everything it touches; it is not joined, so a lookup stuck in a slow
    // server never holds up the program. Its events reach the grabber only while it exists.
    std::thread([this, request, generation, discId, shared] {
        auto progress = [&](int status) {
            shared->post([this, generation, status] {
                if (generation != m_lookupGeneration || !m_lookupRunning) return;
                Q_EMIT OnFreeDBQueryStatus(status);
            });
        };
        CddbLookup::Result result = CddbLookup::run(request, progress);
        shared->post([this, generation, discId, result] {
            if (generation != m_lookupGeneration || !m_lookupRunning) return;
            m_lookupRunning = false;
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
    }).detach();
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
