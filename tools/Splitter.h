#pragma once

#include "platform/WorkerJob.h"
#include "tools/Convertor.h"
#include "tools/ToolForm.h"

#include <QObject>
#include <QString>
#include <QStringList>

#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class TAudioFile2;
class TAudioFile2LameEnc;

// Joins `name` to `folder` with exactly one "/" between them, whatever the stored folder text; an
// empty folder leaves the name as it is.
QString JoinFolder(const QString& folder, const QString& name);

// The indexes of the marks where output files start: every mark whose `use` flag is set, and the
// last mark always. An unticked section joins the file of the ticked section before it.
std::vector<int> SplitCutRows(const std::vector<bool>& use);

// The name of output file k: folder + base + "-Splitted" + k + "." + ext; unless `overwrite` is
// set, " New" is appended to the stem while such a file exists.
QString SplitOutputName(const QString& folder, const QString& base, int k, const QString& ext,
                        bool overwrite);

// What a split run reads of the settings, taken on the windows' thread when the run starts: a change
// made in Options during the run applies from the next one.
struct TSplitSettings {
    bool saveToOriginal = false; // SplitSaveToOriginal
    QString outputPath;          // SplitOutputPath
    bool overwrite = false;      // SplitOverwrite
    TFormatSettings format;

    static TSplitSettings FromGlobals();
};

// The outcome of a split run.
struct TSplitResult {
    QString message;     // "Split finished", "No section selected", or the failure naming file and reason
    bool failed = false; // the run stopped on a failure
    bool cancelled = false;
    int cancelledCut = -1; // the output file that was being written when the run was cancelled
    QStringList written;   // the output files created, in order
};

// Cuts `sourceFile` at `cutsMs` (milliseconds, ascending; file k runs from cut k to cut k + 1) into
// files of the source's own format, set up from `settings`. `in`, `out` and `lame` are the run's
// components. After every block WM_SPLITJOINPROGRESS (k, percent) is posted to `window`;
// `cancelRequested` is asked before every block. It may run on any thread (the window runs it on a
// worker) as long as nothing else uses the components meanwhile. Each output is written under
// a temporary name beside it and put in place when it ends, or on a cancel, which keeps what was
// written. A failure (source, output, a write such as a full disk, an output gone with its folder,
// a section of the source that gives no audio) deletes the file being written and stops the run;
// a piece of no audio is never kept, not even on a cancel. Both files are closed at the end.
TSplitResult RunSplit(TAudioFile2& in, TAudioFile2& out, TAudioFile2LameEnc& lame, const QString& sourceFile,
                      const std::vector<int64_t>& cutsMs, const TSplitSettings& settings, QObject* window,
                      const std::function<bool()>& cancelRequested);

class QLabel;
class TAudioInformation2;
class TAudioPlayer2;
class TAudioTransform2;
class TListView;
class TMyTrackBar;
class TskButton;
class TskCheckBox;
class TskImageButton;
class TskNumberEdit;
class TskRadioButton;

// The splitter window: plays one file (at 0.5, 1 or 1.5 times its speed), places split points on
// the position bar, lists the sections between them with their ticks, previews a section and cuts
// the ticked ones into files of the source's format. The split runs on a worker (TWorkerJob) with
// the settings as they were when it started; the window shows its progress messages, can cancel it,
// and gets its result back on its own thread.
//
// The player window shows it with ShowForFile (modally) and reads its folder again once it returns.
class TfrmSplitter : public TToolForm {
    Q_OBJECT
public:
    explicit TfrmSplitter(QWidget* owner = nullptr);
    ~TfrmSplitter() override;

    // Full path of the file to split; the player writes it before showing the window.
    QString SourceFileName;
    // Sets SourceFileName and shows the window modally; returns when it has closed.
    int ShowForFile(const QString& fileName);

    TMyTrackBar* Bar() const { return m_bar; }
    bool Splitting() const { return RunActive(); }
    bool Playing() const { return m_playing; }
    bool Previewing() const { return m_previewing; }
    int ProgressRow() const { return RunProgressRow(); }

    void SplitFile();
    void SplitFinished(const TSplitResult& result);
    void StartPlayback();
    void FeedPlayer();
    void PausePlayback();
    void StopPlayback();

public Q_SLOTS:
    void APEndBlockPlay();
    void APRequestOnLoadBlock();
    void APEndPlay();
    void APTimer(int currentSamples, int levelLeft, int levelRight);
    void btnPlayClick();
    void btnStopClick();
    void btnPauseClick();
    void btnPlayForwardClick();
    void btnPlayBackwardClick();
    void btnPreviewClick();
    void btnPreviewStopClick();
    void btnAddTimeClick();
    void btnRemoveClick();
    void btnRemoveAllClick();
    void lvSplitListClick();
    void lvSplitListDblClick();
    void lvSplitListMouseDown();
    void btnGotoClick();
    void numGotoSecChange();
    void btnBackwardClick();
    void btnForwardClick();
    void rb15xClick();
    void cboxBackToStartEnter();
    void btnSplitClick();
    void btnCancelSplitClick();
    void btnFolderClick();
    void btnOptionsClick();
    void btnHelpClick();
    void btnSplitterCloseClick();
    void BarPositionChange();
    void BarMarksChange();

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormClose() override;
    void SetRunStatus(int row, const QString& text) override;
    int RunRowCount() const override;

private:
    void SetPreviewControlsEnabled(bool enabled);
    int SelectedRow() const;
    int SpeedPercent() const;
    QString OutputFolder() const;

    QLabel* lbDuration;
    QLabel* lbFormatStr;
    TListView* lvSplitList;
    TskImageButton *btnSplit, *btnCancelSplit, *btnAddTime, *btnRemove, *btnRemoveAll, *btnPreview,
        *btnPreviewStop, *btnGoto, *btnPlay, *btnStop, *btnPause, *btnPlayBackward, *btnPlayForward;
    TskNumberEdit *numGotoMin, *numGotoSec, *numGotoMs, *numBackward, *numForward;
    TskCheckBox* cboxBackToStart;
    TskRadioButton *rb05x, *rb1x, *rb15x;
    TskButton* Button1;
    TAudioInformation2* AI;
    TAudioPlayer2* AP;
    TAudioFile2* AF;
    TAudioFile2* AF_IN;
    TAudioFile2* AF_OUT;
    TAudioFile2LameEnc* AudioFile2LameEnc1;
    TAudioTransform2* AT;
    TMyTrackBar* m_bar = nullptr;

    bool m_rebuildingList = false;
    int64_t m_playStartMs = 0, m_playEndMs = 0;
    bool m_playForwardMode = false, m_playBackwardMode = false, m_previewing = false, m_paused = false;
    bool m_playing = false;
    bool m_speedChangePending = false;
    int64_t m_startSample = 0;
    int64_t m_fedSamples = 0;
    int64_t m_endSample = 0; // where feeding stops: the end of the range being played
    int64_t m_previewEndSample = 0;
    int m_blockSamples = 0;
    int m_previewRow = -1;
    TWorkerJob<TSplitResult> m_split; // the last member: it goes first, waiting for the run
};
