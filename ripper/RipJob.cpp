#include "ripper/RipJob.h"

#include "common/GlobeVar.h"
#include "components/ComponentError.h"
#include "components/TAudioCDGrabber2.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "platform/PendingFile.h"
#include "platform/TickCount.h"
#include "ripper/RGlobeVar.h"
#include "ripper/RNaming.h"

#include <QDateTime>
#include <QTimeZone>
#include <QTimer>

namespace Duzivuz {

TRSettings CurrentRSettings(int ripFormat) {
    TRSettings s;
    s.ROutPutPath = RGlobeVar::ROutPutPath;
    s.ROutputFilename = RGlobeVar::ROutputFilename;
    s.ROutputFormat = ripFormat;
    s.RUseAll = RGlobeVar::RUseAll;
    s.RComments = RGlobeVar::RComments;
    s.RCopyRight = RGlobeVar::RCopyRight;
    s.RUrl = RGlobeVar::RUrl;
    s.REncodeBy = RGlobeVar::REncodeBy;
    return s;
}

TTagOutcome TagAndPlaceFile(TPendingFile& output, const TRipTags& tags, const TRSettings& settings) {
    TTagOutcome outcome;
    // An information component of the thread's own, given the values whole.
    TAudioInformation2 info;
    info.infoAlbum = tags.album;
    info.infoArtist = tags.artist;
    info.infoTitle = tags.title;
    if (tags.year > 0) info.SetYear(tags.year);
    info.SetGenre(tags.genre);
    // Album, artist, title, year and genre always; the four extra texts only when chosen.
    info.infoComments = settings.RUseAll ? settings.RComments : QString();
    info.infoCopyright = settings.RUseAll ? settings.RCopyRight : QString();
    info.infoURL = settings.RUseAll ? settings.RUrl : QString();
    info.infoEncodedBy = settings.RUseAll ? settings.REncodeBy : QString();
    try {
        info.WriteTags(output.TempName(), output.FinalName());
    } catch (const std::exception& e) {
        outcome.tagError = QString::fromUtf8(e.what()).replace(output.TempName(), output.FinalName());
    }
    // The track's name was claimed for this run: a file of that name left from before is replaced.
    outcome.placeError = output.Commit(true);
    return outcome;
}

TRipJob::TRipJob(TRipView* view, TAudioCDGrabber2* grabber, TAudioFile2* file, TAudioFile2LameEnc* lame,
                 QObject* parent)
    : QObject(parent), m_view(view), ACDG(grabber), AF(file), AudioFile2LameEnc(lame) {
    connect(ACDG, &TAudioCDGrabber2::OnOperationProgress, this, [this](double p) { Progress(p); });
    connect(ACDG, &TAudioCDGrabber2::OnGrabRetry, this, [this](int16_t r, int s) { Retry(r, s); });
    connect(ACDG, &TAudioCDGrabber2::OnGrabFailed, this,
            [this](int kind, const QString& reason) { Failed(kind, reason); });
}

TRipJob::~TRipJob() {
    // The tag writer ends by itself (one file, which it puts in place); its end is dropped.
    m_tagJob.Stop();
}

void TRipJob::SetupEncoder(int format) {
    using namespace GlobeVar;
    switch (format) {
    case 2:
        AF->EnableWMA(0);
        if (MP3VBREnable) {
            AudioFile2LameEnc->SetConstantBitRate(0);
            AudioFile2LameEnc->SetMaxBitRate(MP3MaxBitRate);
            AudioFile2LameEnc->SetWriteVBRHeader(MP3VBRHeader ? -1 : 0);
            AudioFile2LameEnc->SetVBRMode(0);
            AudioFile2LameEnc->SetVBRQuality(static_cast<int16_t>(MP3VBRQuality));
        } else {
            AudioFile2LameEnc->SetConstantBitRate(-1);
        }
        AudioFile2LameEnc->SetQuality(static_cast<int16_t>(MP3EncoderQuality));
        AF->SetMp3Format(MP3Freq, MP3BitRate, MP3Channels);
        break;
    case 3:
        AF->EnableWMA(0);
        AF->SetOggFormat(OggFreq, OggChannels, 128, 0, 0, static_cast<int16_t>(OggBitRate));
        break;
    case 4:
        AF->EnableWMA(-1);
        AF->SetWmaFormat(WmaFormat);
        break;
    default:
        AF->EnableWMA(0);
        AF->SetWavFormat(WavFreq, WavChannels, WavSampleRate);
        break;
    }
}

void TRipJob::Start(const std::vector<int>& rows, int runTotal, int format, int grabMode) {
    if (m_running) return;
    m_running = true;
    m_cancel = false;
    m_failures.clear();
    m_writeFailure.clear();
    m_rows = rows;
    m_next = 0;
    m_runTotal = runTotal;
    m_runCount = static_cast<int>(rows.size());
    m_format = qBound(1, format, 4);
    m_grabMode = grabMode;
    m_settings = CurrentRSettings(m_format);
    for (int r : rows)
        m_view->RipRowText(r, QStringLiteral("0%"), QString());
    RGlobeVar::CurrentOutputFile.clear();
    RGlobeVar::CurrentTrackRow = -1;
    m_names = std::make_unique<RNaming::TRipRunNames>();
    m_grabbedCount = 0;
    m_ordinal = 1;
    try {
        SetupEncoder(m_format);
    } catch (const std::exception& e) {
        m_failures << QString::fromUtf8(e.what());
        m_next = m_rows.size();
    }
    NextTrack();
}

void TRipJob::NextTrack() {
    while (!m_cancel && m_writeFailure.isEmpty() && m_next < m_rows.size()) {
        const int r = m_rows[m_next++];
        m_currentRow = r;
        ++m_grabbedCount;
        m_busy = true;
        try {
            m_number = RNaming::TwoDigitNumber(r + 1);
            const TRipTrack track = m_view->RipTrackStarting(r);
            m_number = track.number;
            const QString number = RNaming::TwoDigitNumber(track.track + 1);
            ACDG->SetSession(track.session);
            ACDG->SetTrack(track.track);
            // The window's grab mode and read option for every rip: a preview reads in mode 0.
            ACDG->SetGrabMode(m_grabMode);
            ACDG->SetReadOptionC(1);
            static const char* const extensions[] = {".wav", ".mp3", ".ogg", ".wma"};
            m_extension = QString::fromLatin1(extensions[m_format - 1]);
            m_view->RipLog(QStringLiteral("Grab track to ") + m_extension);
            m_startMs = QDateTime::currentMSecsSinceEpoch();
            m_lastRetry = 0;
            QString name = RNaming::BuildOutputName(m_settings.ROutPutPath, m_settings.ROutputFilename + 1,
                                                    track.album, track.artist, track.title, number);
            if (name.isEmpty()) throw ComponentError(QStringLiteral("No file-name pattern is chosen."));
            m_finalName = m_names->Claim(name, m_extension, number);
            const QString begun = m_output.Begin(m_finalName);
            if (!begun.isEmpty()) throw ComponentError(begun);
            RGlobeVar::CurrentOutputFile = m_output.TempName();
            RGlobeVar::CurrentTrackRow = r;
            ACDG->StartGrab(m_output.TempName());
            m_grabbing = true;
            m_view->RipLog(QStringLiteral("Format: ") + AF->GetFormatString());
            return; // the grabber's signals go on from here
        } catch (const std::exception& e) {
            m_busy = false;
            FailRow(r, QStringLiteral("Failed"), QString::fromUtf8(e.what()));
            ++m_ordinal;
        }
    }
    Finish();
}

void TRipJob::Progress(double progress) {
    if (!m_running || !m_grabbing) return;
    const int p = qRound(progress);
    const int total = m_runCount > 0 ? (m_grabbedCount * 100 - 100 + p) / m_runCount : 0;
    m_view->RipTotal(total);
    m_view->RipRowText(m_currentRow, QStringLiteral("%1%").arg(p), QString());
    const qint64 elapsedMs = QDateTime::currentMSecsSinceEpoch() - m_startMs;
    const QString elapsedText =
        RNaming::TimeTextWithColon(QDateTime::fromMSecsSinceEpoch(elapsedMs, QTimeZone::utc()));
    const int seconds = RNaming::FieldOfTime(elapsedText, 1).toInt() * 3600 +
                        RNaming::FieldOfTime(elapsedText, 2).toInt() * 60 +
                        RNaming::FieldOfTime(elapsedText, 3).toInt();
    double speed = 0;
    if (seconds >= 4) {
        try {
            speed = (ACDG->GetTrackMinutes() * 60 + ACDG->GetTrackSeconds()) / double(seconds);
        } catch (const std::exception&) {
            // Only the speed shown is lost: it reads 0 until the next report.
        }
    }
    if (progress != 100) {
        m_view->RipProgress(p, qRound(speed), total, qRound(speed));
        m_lastRetry = 0;
        return;
    }
    m_grabbing = false;
    if (m_ordinal == m_runTotal) m_view->RipLastTrackDone();
    if (ACDG->GetMaxRetries() == m_lastRetry && m_lastRetry != 0)
        m_view->RipLog(QStringLiteral("Read disc error."));
    else
        m_view->RipLog(QStringLiteral("Grab speed %1x, time elapsed (hh:mm:ss): %2")
                           .arg(speed)
                           .arg(elapsedText.left(8)));
    TagAndPlace(false);
}

void TRipJob::Retry(int16_t retry, int sector) {
    if (!m_running || !m_grabbing) return;
    m_view->RipLog(QStringLiteral("Attempt %1/%2 attempts of reading the track sector %3")
                       .arg(retry)
                       .arg(ACDG->GetMaxRetries())
                       .arg(sector));
    m_lastRetry = retry;
    ShowScratchMessage();
}

void TRipJob::ShowScratchMessage() {
    if (m_scratchShown) return;
    m_scratchShown = true;
    m_view->RipMessage(
        QStringLiteral("AudioCDGrabber detects that this CD may be scratched. Please set the options for "
                       "grabbing old or scratched CDs."));
}

void TRipJob::Failed(int kind, const QString& reason) {
    if (!m_running || !m_grabbing) return;
    m_grabbing = false;
    // The user knows the file by its final name.
    QString why = reason;
    why.replace(m_output.TempName(), m_finalName);
    if (kind == TAudioCDGrabber2::GrabReadError) {
        // The track up to the sector that could not be read is kept and tagged, as a track whose
        // retries ran out.
        m_view->RipLog(QStringLiteral("Read disc error."));
        ShowScratchMessage();
        TagAndPlace(true);
        return;
    }
    if (kind == TAudioCDGrabber2::GrabWriteError) {
        // Nothing more can be written: the run stops here, with one message.
        m_writeFailure = why;
        m_view->RipRowText(m_currentRow, QStringLiteral("Write error"), why);
        m_view->RipLog(why);
    } else {
        FailRow(m_currentRow, QStringLiteral("Failed"), why);
    }
    m_busy = false;
    ++m_ordinal;
    NextTrack();
}

void TRipJob::TagAndPlace(bool readError) {
    // Writing the tags copies the whole file and syncs it to the disk, longer than the window may
    // stand still: a thread of its own writes them and puts the file in place. It is given copies
    // of all it uses (the row's tags, the settings of the run, the file); the next track starts
    // when this one's end has come back.
    m_tagging = true;
    m_tagJob.Start(
        [tags = m_view->RipTags(m_currentRow), settings = m_settings,
         output = std::make_shared<TPendingFile>(std::move(m_output))](const TWorkerJob<TTagOutcome>::Link&) {
            return TagAndPlaceFile(*output, tags, settings);
        },
        [this, readError](TTagOutcome outcome) { Placed(readError, outcome.tagError, outcome.placeError); });
}

void TRipJob::Placed(bool readError, const QString& tagError, const QString& placeError) {
    m_tagging = false;
    if (!placeError.isEmpty())
        FailRow(m_currentRow, QStringLiteral("Failed"), placeError);
    else if (readError)
        m_view->RipRowText(m_currentRow, QStringLiteral("Read disc error."),
                           QStringLiteral("The track could not be read to its end; %1 holds what was read.")
                               .arg(m_finalName));
    else if (!tagError.isEmpty())
        FailRow(m_currentRow, QStringLiteral("Tag error"), tagError);
    else
        RGlobeVar::CurrentOutputFile = m_finalName;
    m_busy = false;
    ++m_ordinal;
    NextTrack();
}

void TRipJob::FailRow(int r, const QString& text, const QString& why) {
    m_view->RipRowText(r, text, why);
    m_view->RipLog(why);
    m_failures << QStringLiteral("Track %1: %2").arg(m_number, why);
}

void TRipJob::Cancel() {
    if (!m_running || m_cancel) return;
    m_cancel = true;
    // The track being tagged is complete: it stays, and the run ends after it.
    if (m_tagging) return;
    if (m_grabbing) {
        m_grabbing = false;
        try {
            ACDG->AbortGrab(); // bounded: returns within about a second
        } catch (const std::exception&) {
            // A grab that refuses the abort runs on to its end, where the cancel set above ends the
            // run; its file is discarded below or when that grab returns.
        }
        m_view->RipRowText(m_currentRow, QStringLiteral("0%"), QString());
        // The partial file goes once the grab has stopped writing it; a grab given up on removes
        // its own file when its read returns.
        if (!ACDG->IsGrabbing()) m_output.Discard();
    }
    m_busy = false;
    // The run ends once the caller is back in the event loop.
    QTimer::singleShot(0, this, [this] {
        if (m_running && !m_busy) Finish();
    });
}

void TRipJob::Finish() {
    if (!m_running) return;
    m_busy = false;
    m_grabbing = false;
    m_running = false;
    m_names.reset();
    m_view->RipLastTrackDone();
    if (!m_writeFailure.isEmpty()) {
        QString text = QStringLiteral("The rip stopped: a file could not be written.\n") + m_writeFailure;
        if (!m_failures.isEmpty())
            text +=
                QStringLiteral("\n\nThese tracks were not ripped:\n") + m_failures.join(QLatin1Char('\n'));
        m_view->RipMessage(text);
    } else if (!m_failures.isEmpty()) {
        m_view->RipMessage(QStringLiteral("These tracks were not ripped:\n") +
                           m_failures.join(QLatin1Char('\n')));
    }
    m_view->RipEnded();
}

} // namespace Duzivuz
