#pragma once

#include "platform/PendingFile.h"
#include "platform/WorkerJob.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <memory>
#include <vector>

class TAudioCDGrabber2;
class TAudioFile2;
class TAudioFile2LameEnc;

namespace RNaming {
class TRipRunNames;
}

namespace Duzivuz {

// What the rip needs of one row when its track starts.
struct TRipTrack {
    int session = 0;
    int track = 0;  // 0-based within the session
    QString number; // the row's number, as messages name the track
    QString title;  // the row's "Title" cell: the file name is built from it
    QString album, artist;
};

// The tags of a finished track, read when it is tagged.
struct TRipTags {
    QString album, artist, title;
    int year = 0;   // 0: no year tag
    int genre = -1; // index in the genre list; -1 none
};

// The section "RSettings" of the ripper's settings file: the rip folder and run settings the main
// window reads when it is shown and writes when it closes. A rip takes a copy of them when it
// starts: a change made in Options during the run applies from the next one.
struct TRSettings {
    QString ROutPutPath;     // the rip folder; empty is the program folder
    int ROutputFilename = 1; // index of the file-name pattern, 0..13
    int ROutputFormat = 1;   // RipFormat: 1 WAV, 2 MP3, 3 OGG, 4 WMA
    bool RUseAll = true;     // write the four additional tags
    QString RComments, RCopyRight, RUrl, REncodeBy;

    bool operator==(const TRSettings&) const = default;
};

// The section as the run globals (RGlobeVar) hold it now, with the format `ripFormat`.
TRSettings CurrentRSettings(int ripFormat);

// How the tagging of one track ended (empty texts: it did not fail).
struct TTagOutcome {
    QString tagError;   // the tags could not be written (named by the final name)
    QString placeError; // the file could not be put in place
};

// Writes `tags` (and the extra texts of `settings` when chosen) into the file `output` holds under
// its temporary name, then puts it in place, replacing a file of its final name (claimed for this
// run). Uses nothing but what it is given: it runs on a thread of its own.
TTagOutcome TagAndPlaceFile(TPendingFile& output, const TRipTags& tags, const TRSettings& settings);

// The window a rip runs for: it gives the rows' texts and shows what the rip tells it.
class TRipView {
public:
    virtual ~TRipView() = default;
    // Row `row`'s track is about to be grabbed: the row becomes the selected one; its texts.
    virtual TRipTrack RipTrackStarting(int row) = 0;
    virtual TRipTags RipTags(int row) = 0;
    // The row's "Percent" cell (and why, shown as its tip).
    virtual void RipRowText(int row, const QString& text, const QString& why) = 0;
    virtual void RipLog(const QString& line) = 0;
    // "Complete: n%" of the run.
    virtual void RipTotal(int percent) = 0;
    // The progress window's figures; RipLastTrackDone marks it finished and closes it.
    virtual void RipProgress(int trackDone, int trackSpeed, int totalDone, int totalSpeed) = 0;
    virtual void RipLastTrackDone() = 0;
    virtual void RipMessage(const QString& text) = 0;
    // The run has ended (done, cancelled or stopped); every message of it has been shown.
    virtual void RipEnded() = 0;
};

// The rip of the checked rows, one track after another, driven by the CD grabber's signals: a
// track's grab is started, its progress and retries are shown, and when it ends its tags are
// written on a thread of its own; then the next track starts. Nothing waits in a loop: every step
// is an event on the window's thread.
//
// Each track is written under a temporary name beside its final one and renamed into place once
// its tags are written, so an interrupted rip leaves no short file under a track's name. A cancel
// stops the grab and deletes the partial file. A sector that cannot be read ends the track there:
// its file is kept and tagged and its row says "Read disc error."; the first read problem of the
// program run shows the scratched-disc message once. A file that cannot be written (a full disk)
// stops the run with one message.
class TRipJob : public QObject {
    Q_OBJECT
public:
    TRipJob(TRipView* view, TAudioCDGrabber2* grabber, TAudioFile2* file, TAudioFile2LameEnc* lame,
            QObject* parent = nullptr);
    // A track whose tags are being written is finished first (it stays, in place); nothing of it
    // reaches the view.
    ~TRipJob() override;

    // Starts the rip of `rows` (list order) in `format` (1 WAV, 2 MP3, 3 OGG, 4 WMA) and grab mode
    // 1..4; returns at once. `runTotal` is the number of checked rows when Extract was pressed.
    void Start(const std::vector<int>& rows, int runTotal, int format, int grabMode);
    // Cancels the run: the grab stops, its partial file goes, no further track starts. A track whose
    // tags are being written is complete: it stays, and the run ends after it.
    void Cancel();
    bool Running() const { return m_running; }
    // A grab or the tagging of its file is under way.
    bool Busy() const { return m_busy; }
    bool Cancelled() const { return m_cancel; }
    // The scratched-disc message was shown in this program run.
    bool ScratchShown() const { return m_scratchShown; }

private:
    void SetupEncoder(int format);
    void NextTrack();
    void Progress(double progress);
    void Retry(int16_t retry, int sector);
    void Failed(int kind, const QString& reason);
    void TagAndPlace(bool readError);
    void Placed(bool readError, const QString& tagError, const QString& placeError);
    void FailRow(int row, const QString& text, const QString& why);
    void ShowScratchMessage();
    void Finish();

    TRipView* m_view;
    TAudioCDGrabber2* ACDG;
    TAudioFile2* AF;
    TAudioFile2LameEnc* AudioFile2LameEnc;

    std::vector<int> m_rows;
    size_t m_next = 0;
    TRSettings m_settings;
    int m_format = 1;
    int m_grabMode = 1;
    bool m_running = false;
    bool m_busy = false;
    bool m_grabbing = false; // the grab of the current track has not ended yet
    bool m_tagging = false;
    bool m_cancel = false;
    bool m_scratchShown = false;
    int m_runTotal = 0, m_runCount = 0, m_grabbedCount = 0, m_ordinal = 0, m_currentRow = -1;
    qint64 m_startMs = 0;
    int m_lastRetry = 0;
    QString m_number, m_extension, m_finalName;
    TPendingFile m_output; // the current track, under its temporary name until it is tagged
    std::unique_ptr<RNaming::TRipRunNames> m_names; // final names given out in this run
    QStringList m_failures;                         // one line per track that was not ripped
    QString m_writeFailure;                         // the write failure that stopped the run
    TWorkerJob<TTagOutcome> m_tagJob; // the last member: it goes first, waiting for the file's tags
};

} // namespace Duzivuz
