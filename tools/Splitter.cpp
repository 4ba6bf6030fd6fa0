#include "tools/Splitter.h"

#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioTransform2.h"
#include "platform/Application.h"
#include "platform/FileNames.h"
#include "platform/FormResource.h"
#include "platform/PendingFile.h"
#include "platform/Shell.h"
#include "platform/UserMessages.h"
#include "platform/WindowMessages.h"
#include "skin/SKButton.h"
#include "skin/SKEdit.h"
#include "tools/Convertor.h"
#include "tools/MyTrackBar.h"

#include <QCoreApplication>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QPainter>
#include <QTimer>

#include <algorithm>

QString JoinFolder(const QString& folder, const QString& name) {
    if (folder.isEmpty()) return name;
    if (folder.endsWith(QLatin1Char('/'))) return folder + name;
    return folder + QLatin1Char('/') + name;
}

std::vector<int> SplitCutRows(const std::vector<bool>& use) {
    std::vector<int> rows;
    for (std::size_t i = 0; i < use.size(); ++i)
        if (use[i] || i + 1 == use.size()) rows.push_back(int(i));
    return rows;
}

QString SplitOutputName(const QString& folder, const QString& base, int k, const QString& ext,
                        bool overwrite) {
    QString stem = base + QStringLiteral("-Splitted") + QString::number(k);
    if (!overwrite)
        while (FileExists(JoinFolder(folder, stem + QLatin1Char('.') + ext)))
            stem += QStringLiteral(" New");
    return JoinFolder(folder, stem + QLatin1Char('.') + ext);
}

TSplitSettings TSplitSettings::FromGlobals() {
    TSplitSettings settings;
    settings.saveToOriginal = GlobeVar::SplitSaveToOriginal;
    settings.outputPath = GlobeVar::SplitOutputPath;
    settings.overwrite = GlobeVar::SplitOverwrite;
    settings.format = TFormatSettings::FromGlobals();
    return settings;
}

namespace {

void CloseQuietly(TAudioFile2& file) {
    try {
        file.Close();
    } catch (const std::exception&) {
        // Only where nothing unwritten can be lost: the source being read, a piece whose write
        // failed already (it is discarded), or a file the run has closed before.
    }
}

void Progress(QObject* window, int k, int64_t percent) {
    PostWindowMessage(window, WindowMessageId::SplitJoinProgress, k, qintptr(percent));
}

} // namespace

TSplitResult RunSplit(TAudioFile2& in, TAudioFile2& out, TAudioFile2LameEnc& lame, const QString& sourceFile,
                      const std::vector<int64_t>& cutsMs, const TSplitSettings& settings, QObject* window,
                      const std::function<bool()>& cancelRequested) {
    TSplitResult result;
    if (cutsMs.size() < 2) {
        result.message = QStringLiteral("No section selected");
        return result;
    }
    const QString word = GlobeVar::GetAudioFormat(sourceFile);
    const QFileInfo info(sourceFile);
    const QString folder = settings.saveToOriginal ? info.path() : settings.outputPath;
    auto fail = [&](const QString& message) {
        result.failed = true;
        result.message = message;
        CloseQuietly(in);
        return result;
    };
    if (word.isEmpty())
        return fail(QStringLiteral("Unable to open %1: not a WAV, MP3, OGG or WMA file").arg(sourceFile));
    in.EnableWMA(-1);
    in.OpenRead(sourceFile, 0, 1);
    if (in.GetLastError() != 0)
        return fail(QStringLiteral("Unable to open %1: %2").arg(sourceFile, in.GetLastErrorText()));
    ConfigureConvertTarget(out, lame, word, settings.format);
    const int rate = in.GetSampleFormat1();
    const int64_t block = int64_t(rate) * in.GetSampleFormat2();
    for (std::size_t k = 0; k + 1 < cutsMs.size(); ++k) {
        if (cancelRequested()) {
            result.cancelled = true;
            break;
        }
        const QString name =
            SplitOutputName(folder, info.completeBaseName(), int(k), word.toLower(), settings.overwrite);
        // Each piece is written under a temporary name beside it and put in place when it ends
        // (also on a cancel, which keeps what was written).
        TPendingFile piece;
        const QString reserved = piece.Begin(name);
        if (!reserved.isEmpty()) return fail(reserved);
        out.CreateWrite(piece.TempName(), 0);
        if (out.GetLastError() != 0)
            return fail(QStringLiteral("Unable to create %1: %2").arg(name, out.GetLastErrorText()));
        result.written << name;
        bool cancelledHere = false;
        std::size_t copied = 0; // sample frames written into this piece
        try {
            out.SetInputFormat(rate, in.GetSampleFormat2());
            const int64_t len = (cutsMs[k + 1] - cutsMs[k]) * rate / 1000;
            const int64_t start = cutsMs[k] * rate / 1000;
            const int64_t count = block > 0 ? len / block : 0;
            const int64_t rest = block > 0 ? len % block : 0;
            in.Seek(start, 3);
            for (int64_t j = 1; j <= count && !cancelRequested(); ++j) {
                const AudioBlock data = in.ReadArray(int(block));
                copied += data.frames();
                out.WriteArray(data);
                // A length of 0 never divides.
                Progress(window, int(k), len > 0 ? (j - 1) * block * 100 / len : 0);
            }
            if (rest > 0 && !cancelRequested()) {
                in.Seek(count * block + start, 3);
                const AudioBlock data = in.ReadArray(int(rest));
                copied += data.frames();
                out.WriteArray(data);
            }
            cancelledHere = cancelRequested();
            out.Close();
        } catch (const std::exception& e) {
            CloseQuietly(out);
            piece.Discard();
            result.written.removeLast();
            return fail(QStringLiteral("Unable to write %1: %2").arg(name, QString::fromUtf8(e.what())));
        }
        if (copied == 0) {
            // A piece of no audio would be a file no decoder opens: it is not kept, and unless the
            // run was cancelled the user is told where the source holds nothing.
            piece.Discard();
            result.written.removeLast();
            if (cancelledHere) {
                result.cancelled = true;
                result.cancelledCut = int(k);
                break;
            }
            return fail(QStringLiteral("Unable to split %1: it holds no audio from %2 to %3")
                            .arg(sourceFile, GlobeVar::MSecToMinSecStr(cutsMs[k]),
                                 GlobeVar::MSecToMinSecStr(cutsMs[k + 1])));
        }
        const QString placed = piece.Commit(settings.overwrite);
        if (!placed.isEmpty()) {
            result.written.removeLast();
            return fail(placed);
        }
        if (!cancelledHere) Progress(window, int(k), 100);
        if (cancelledHere) {
            result.cancelled = true;
            result.cancelledCut = int(k);
            break;
        }
    }
    CloseQuietly(in);
    if (!result.cancelled) result.message = QStringLiteral("Split finished");
    return result;
}

// ---- the window

namespace {

template <class T> T* Child(QWidget* form, const char* name) {
    return FormChild<T>(form, QString::fromLatin1(name));
}

int EditNumber(TskNumberEdit* edit) {
    bool ok = false;
    const int value = edit->Text().trimmed().toInt(&ok);
    return ok ? value : 0;
}

} // namespace

TfrmSplitter::TfrmSplitter(QWidget* owner) : TToolForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Videzeva/Splitter.form"));
    lbDuration = Child<QLabel>(this, "lbDuration");
    lbFormatStr = Child<QLabel>(this, "lbFormatStr");
    lvSplitList = Child<TListView>(this, "lvSplitList");
    btnSplit = Child<TskImageButton>(this, "btnSplit");
    btnCancelSplit = Child<TskImageButton>(this, "btnCancelSplit");
    btnAddTime = Child<TskImageButton>(this, "btnAddTime");
    btnRemove = Child<TskImageButton>(this, "btnRemove");
    btnRemoveAll = Child<TskImageButton>(this, "btnRemoveAll");
    btnPreview = Child<TskImageButton>(this, "btnPreview");
    btnPreviewStop = Child<TskImageButton>(this, "btnPreviewStop");
    btnGoto = Child<TskImageButton>(this, "btnGoto");
    btnPlay = Child<TskImageButton>(this, "btnPlay");
    btnStop = Child<TskImageButton>(this, "btnStop");
    btnPause = Child<TskImageButton>(this, "btnPause");
    btnPlayBackward = Child<TskImageButton>(this, "btnPlayBackward");
    btnPlayForward = Child<TskImageButton>(this, "btnPlayForward");
    numGotoMin = Child<TskNumberEdit>(this, "numGotoMin");
    numGotoSec = Child<TskNumberEdit>(this, "numGotoSec");
    numGotoMs = Child<TskNumberEdit>(this, "numGotoMs");
    numBackward = Child<TskNumberEdit>(this, "numBackward");
    numForward = Child<TskNumberEdit>(this, "numForward");
    cboxBackToStart = Child<TskCheckBox>(this, "cboxBackToStart");
    rb05x = Child<TskRadioButton>(this, "rb05x");
    rb1x = Child<TskRadioButton>(this, "rb1x");
    rb15x = Child<TskRadioButton>(this, "rb15x");
    Button1 = Child<TskButton>(this, "Button1");
    AI = Child<TAudioInformation2>(this, "AI");
    AP = Child<TAudioPlayer2>(this, "AP");
    AF = Child<TAudioFile2>(this, "AF");
    AF_IN = Child<TAudioFile2>(this, "AF_IN");
    AF_OUT = Child<TAudioFile2>(this, "AF_OUT");
    AudioFile2LameEnc1 = Child<TAudioFile2LameEnc>(this, "AudioFile2LameEnc1");
    AT = Child<TAudioTransform2>(this, "AT");
    setMinimumWidth(200);
    SetRunControls(
        btnSplit, btnCancelSplit,
        {btnAddTime, btnPreview, btnPreviewStop, btnPlay, btnStop, btnPause, btnPlayBackward, btnPlayForward,
         btnRemove, btnRemoveAll, btnGoto, numGotoMin, numGotoMs, numGotoSec, cboxBackToStart, lvSplitList},
        QStringLiteral("Splitting in progress, do you want to cancel ?"), QStringLiteral("Splitting"));
    lvSplitList->setSelectionMode(QAbstractItemView::SingleSelection);
    lvSplitList->setEditTriggers(QAbstractItemView::NoEditTriggers);
    // A tick changed in the list is the section's flag on the bar.
    connect(lvSplitList, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (column == 0) RunGuarded([this] { lvSplitListMouseDown(); });
    });
    connect(lvSplitList, &QTreeWidget::itemDoubleClicked, this,
            [this] { RunGuarded([this] { lvSplitListDblClick(); }); });
    ApplyEmbeddedTheme(this);
}

TfrmSplitter::~TfrmSplitter() {
    // A run still going stops after its block; what it wrote stays, as on a cancel.
    m_split.Stop();
    AP->Stop();
}

int TfrmSplitter::ShowForFile(const QString& fileName) {
    SourceFileName = fileName;
    return ShowModal();
}

void TfrmSplitter::FormCreate() {
    // The window's shape: the recorder's four corner pictures on black.
    ShapeWindow();

    AI->EnableWMA(-1);
    AF_IN->EnableWMA(-1);
    AF_OUT->EnableWMA(-1);
    AP->SetTimerInterval(10);

    m_bar = new TMyTrackBar(this);
    m_bar->setObjectName(QStringLiteral("PositionBar"));
    m_bar->setGeometry(7, 63, 566, 85);
    // Behind the other controls, but over the window's background picture.
    m_bar->lower();
    Child<QLabel>(this, "imgWindow")->lower();
    Child<QWidget>(this, "skSkinForm1")->lower();
    connect(m_bar, &TMyTrackBar::OnPositionChange, this, [this] { BarPositionChange(); });
    connect(m_bar, &TMyTrackBar::OnMarksChange, this, [this] { BarMarksChange(); });
    auto picture = [this](const char* name) {
        QLabel* image = Child<QLabel>(this, name);
        const QImage copy = image->pixmap().toImage();
        image->deleteLater();
        return copy;
    };
    m_bar->SetBarBitmap(picture("imgBackground"));
    const QImage up = picture("imgSlidebarUp");
    m_bar->SetThumbPictures(up, picture("imgSlidebarDown"));
    const QImage line = picture("imgSlideLine");
    m_bar->SetCursorBitmaps(line, picture("imgSp"));
    const QImage unchecked = picture("imgUnChecked");
    m_bar->SetSegmentBitmaps(unchecked, picture("imgSelected"));
    m_bar->show();
    m_rebuildingList = m_paused = m_playForwardMode = false;
}

void TfrmSplitter::FormShow() {
    int64_t duration = 0;
    try {
        AI->SetFileName(SourceFileName);
        duration = AI->GetDuration();
        lbFormatStr->setText(AI->GetFormatString());
        AP->SetFormat(AI->GetSampleFormat1(), AI->GetSampleFormat2());
    } catch (const std::exception& e) {
        lbFormatStr->clear();
        ReportError(QString::fromUtf8(e.what()), this);
    }
    lbDuration->setText(GlobeVar::MSecToMinSecStr(duration));
    m_bar->Marks.clear();
    m_bar->SetMax(duration);
    m_bar->Min = 0;
    m_bar->SetPosition(0);
    m_bar->ClearMarks();
    // The position label shows the whole duration until the bar moves.
    lbDuration->setText(GlobeVar::MSecToMinSecStr(duration));
    m_previewRow = -1;
}

void TfrmSplitter::FormClose() {
    if (m_previewing) btnPreviewStopClick();
    StopPlayback();
    m_bar->ClearMarks();
    m_bar->SetPosition(0);
    TToolForm::FormClose();
}

// ---- bar and list

void TfrmSplitter::BarPositionChange() {
    lbDuration->setText(GlobeVar::MSecToMinSecStr(m_bar->Position));
    lbDuration->repaint();
}

void TfrmSplitter::BarMarksChange() {
    m_rebuildingList = true;
    lvSplitList->clear();
    const auto& marks = m_bar->Marks;
    for (std::size_t i = 0; i + 1 < marks.size(); ++i) {
        auto* row = new QTreeWidgetItem;
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, marks[i].Use ? Qt::Checked : Qt::Unchecked);
        row->setText(1, GlobeVar::MSecToMinSecStr(marks[i].Position));
        row->setText(2, GlobeVar::MSecToMinSecStr(marks[i + 1].Position));
        row->setText(3, GlobeVar::MSecToMinSecStr(marks[i + 1].Position - marks[i].Position));
        lvSplitList->addTopLevelItem(row);
    }
    m_rebuildingList = false;
}

int TfrmSplitter::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = lvSplitList->selectedItems();
    return selected.isEmpty() ? -1 : lvSplitList->indexOfTopLevelItem(selected.first());
}

void TfrmSplitter::SetRunStatus(int row, const QString& text) {
    if (QTreeWidgetItem* item = row >= 0 ? lvSplitList->topLevelItem(row) : nullptr) {
        const bool rebuilding = m_rebuildingList;
        m_rebuildingList = true;
        item->setText(4, text);
        m_rebuildingList = rebuilding;
    }
}

void TfrmSplitter::btnAddTimeClick() {
    m_bar->AddMarkAtPosition();
    m_bar->SelectMark(-1);
}

void TfrmSplitter::btnRemoveClick() {
    const int row = SelectedRow();
    if (row < 0) return;
    m_bar->DeleteMark(row, true);
    m_bar->SelectMark(-1);
}

void TfrmSplitter::btnRemoveAllClick() {
    m_bar->ClearMarks();
}

void TfrmSplitter::lvSplitListClick() {
    const int row = SelectedRow();
    if (row >= 0) m_bar->SelectMark(row);
}

void TfrmSplitter::lvSplitListDblClick() {
    const int row = SelectedRow();
    if (row >= 0) m_bar->GotoMark(row);
}

void TfrmSplitter::lvSplitListMouseDown() {
    if (m_rebuildingList) return;
    const int rows = lvSplitList->topLevelItemCount();
    for (int i = 0; i < rows && i < int(m_bar->Marks.size()); ++i)
        m_bar->Marks[std::size_t(i)].Use = lvSplitList->topLevelItem(i)->checkState(0) == Qt::Checked;
    m_bar->update();
}

// ---- position controls

void TfrmSplitter::btnGotoClick() {
    m_bar->SetPosition(int64_t(EditNumber(numGotoMin)) * 60000 + int64_t(EditNumber(numGotoSec)) * 1000 +
                       EditNumber(numGotoMs));
}

void TfrmSplitter::numGotoSecChange() {
    bool ok = false;
    const int value = numGotoSec->Text().trimmed().toInt(&ok);
    if (!ok)
        numGotoSec->SetText(QStringLiteral("00"));
    else if (value >= 60)
        numGotoSec->SetText(QStringLiteral("59"));
}

void TfrmSplitter::btnBackwardClick() {
    m_bar->StepBack();
}

void TfrmSplitter::btnForwardClick() {
    m_bar->StepForward();
}

void TfrmSplitter::cboxBackToStartEnter() {
    Button1->setFocus();
}

// ---- playback

int TfrmSplitter::SpeedPercent() const {
    if (rb05x->Checked()) return 50;
    if (rb15x->Checked()) return 150;
    return 100;
}

void TfrmSplitter::StartPlayback() {
    m_playing = false;
    if (!OpenForPlayback(*AP, *AF, *AI, SourceFileName, m_blockSamples)) return;
    m_fedSamples = 0;
    // A new stream for the speed change: nothing of the last playback goes on into this one.
    AT->Restart();
    // A start before the file's beginning plays from its first sample.
    m_startSample = AF->Seek(std::max<int64_t>(0, m_startSample), 3);
    // Feeding stops at the end of the range; the player plays out what it holds and ends.
    m_endSample = m_previewing ? m_previewEndSample + 1 : AP->MsToSamples(m_playEndMs);
    m_playing = true;
    AP->Play();
    if (AP->GetLastError() != 0) {
        m_playing = false;
        AF->Close();
        ReportError(AP->GetLastErrorText(), this);
    }
}

void TfrmSplitter::FeedPlayer() {
    if (!m_playing) return;
    // The blocks are stretched as one stream: a short block may bring nothing yet, so reading goes
    // on until something comes; the empty block at the end of the range brings the stream's last
    // part.
    AudioBlock block;
    for (;;) {
        const int64_t left = m_endSample - (m_startSample + m_fedSamples);
        block = AudioBlock();
        block.channels = std::max(1, AF->GetSampleFormat2());
        if (left > 0) block = AF->ReadArray(int(std::min<int64_t>(m_blockSamples, left)));
        const bool end = block.samples.empty();
        m_fedSamples += int64_t(block.samples.size()) / std::max(1, AF->GetElementsPerPosition());
        AT->ChangeSpeed(block, float(SpeedPercent()));
        if (!block.isEmpty() || end) break;
    }
    AP->LoadArray(block);
}

void TfrmSplitter::APEndBlockPlay() {
    FeedPlayer();
}

void TfrmSplitter::APRequestOnLoadBlock() {
    FeedPlayer();
}

void TfrmSplitter::APTimer(int currentSamples, int levelLeft, int levelRight) {
    (void)levelLeft;
    (void)levelRight;
    if (!m_playing) return;
    if (!m_previewing) {
        // The cursor follows what has been handed to the player.
        m_bar->SetPosition(AP->SamplesToMs(m_startSample + m_fedSamples));
        return;
    }
    SetRunStatus(m_previewRow, QStringLiteral("Previewing: ") +
                                   GlobeVar::MSecToMinSecStr(AP->SamplesToMs(m_startSample + m_fedSamples)));
    // The played count is in the player's frames; a speed change stretched the source's.
    const int64_t played = int64_t(currentSamples) * SpeedPercent() / 100;
    if (m_startSample + played >= m_previewEndSample) btnPreviewStopClick();
}

void TfrmSplitter::APEndPlay() {
    if (m_previewing) {
        btnPreviewStopClick();
        return;
    }
    m_bar->SetPosition(cboxBackToStart->Checked() ? m_playStartMs : m_bar->Max);
    StopPlayback();
}

void TfrmSplitter::StopPlayback() {
    AP->Stop();
    AF->Close();
    m_playing = false;
    if (m_playForwardMode) m_bar->SetPosition(m_playStartMs);
    if (m_playBackwardMode) m_bar->SetPosition(m_playEndMs);
    m_playForwardMode = false;
}

void TfrmSplitter::PausePlayback() {
    if (!m_playing) return;
    m_startSample += int64_t(AP->GetPlayedSamples()) * SpeedPercent() / 100;
    AP->Stop();
    m_playing = false;
    // Playback resumes from the bar: where the sound stopped, not where feeding had got to.
    m_bar->SetPosition(AP->SamplesToMs(m_startSample));
}

void TfrmSplitter::btnPlayClick() {
    if (m_previewing) btnPreviewStopClick();
    m_playForwardMode = m_playBackwardMode = m_previewing = m_paused = false;
    m_playStartMs = m_bar->Position;
    m_playEndMs = m_bar->Max;
    m_startSample = AP->MsToSamples(m_playStartMs);
    StartPlayback();
}

void TfrmSplitter::btnPlayForwardClick() {
    if (m_previewing) btnPreviewStopClick();
    m_playForwardMode = true;
    m_playBackwardMode = m_previewing = false;
    m_playStartMs = m_bar->Position;
    m_playEndMs = m_bar->Position + EditNumber(numForward);
    m_startSample = AP->MsToSamples(m_playStartMs);
    StartPlayback();
}

void TfrmSplitter::btnPlayBackwardClick() {
    if (m_previewing) btnPreviewStopClick();
    m_playBackwardMode = true;
    m_playForwardMode = m_previewing = m_paused = false;
    m_playStartMs = std::max<int64_t>(0, m_bar->Position - EditNumber(numBackward));
    m_playEndMs = m_bar->Position;
    m_startSample = AP->MsToSamples(m_playStartMs);
    StartPlayback();
}

void TfrmSplitter::btnStopClick() {
    if (m_previewing) btnPreviewStopClick();
    m_paused = false;
    StopPlayback();
    if (cboxBackToStart->Checked()) m_bar->SetPosition(m_playStartMs);
}

void TfrmSplitter::btnPauseClick() {
    if (m_previewing) btnPreviewStopClick();
    const bool wasPaused = m_paused;
    m_paused = !m_paused;
    if (wasPaused)
        btnPlayClick();
    else
        PausePlayback();
}

void TfrmSplitter::rb15xClick() {
    // Choosing one speed button unticks the others, and each reports its click: the playback
    // restarts once, at the speed chosen.
    // During a split nothing may start playing; the new speed applies to the next playback.
    if (m_speedChangePending || Splitting()) return;
    m_speedChangePending = true;
    QTimer::singleShot(0, this, [this] {
        m_speedChangePending = false;
        if (Splitting()) return;
        RunGuarded([this] {
            btnStopClick();
            btnPlayClick();
        });
    });
}

// ---- preview

void TfrmSplitter::SetPreviewControlsEnabled(bool enabled) {
    for (QWidget* w : std::initializer_list<QWidget*>{btnAddTime, btnRemove, btnRemoveAll, btnGoto,
                                                      numGotoMin, numGotoSec, numGotoMs})
        w->setEnabled(enabled);
}

void TfrmSplitter::btnPreviewClick() {
    const int s = SelectedRow();
    if (s < 0 || s + 1 >= int(m_bar->Marks.size())) return;
    if (m_previewRow >= 0 && m_previewRow < lvSplitList->topLevelItemCount())
        SetRunStatus(m_previewRow, QString());
    m_playForwardMode = m_playBackwardMode = m_paused = false;
    m_previewing = true;
    m_playStartMs = m_bar->Marks[std::size_t(s)].Position;
    m_playEndMs = m_bar->Marks[std::size_t(s) + 1].Position - 1;
    m_startSample = AP->MsToSamples(m_playStartMs);
    m_previewEndSample = AP->MsToSamples(m_playEndMs);
    m_previewRow = s;
    StartPlayback();
    btnPreviewStop->show();
    btnPreview->hide();
    SetPreviewControlsEnabled(false);
}

void TfrmSplitter::btnPreviewStopClick() {
    m_playForwardMode = m_playBackwardMode = m_previewing = m_paused = false;
    StopPlayback();
    if (m_previewRow >= 0 && m_previewRow < lvSplitList->topLevelItemCount())
        SetRunStatus(m_previewRow, QString());
    btnPreview->show();
    btnPreviewStop->hide();
    SetPreviewControlsEnabled(true);
}

// ---- the split run

QString TfrmSplitter::OutputFolder() const {
    return GlobeVar::SplitSaveToOriginal ? QFileInfo(SourceFileName).path() : GlobeVar::SplitOutputPath;
}

int TfrmSplitter::RunRowCount() const {
    return lvSplitList->topLevelItemCount();
}

void TfrmSplitter::btnSplitClick() {
    RunStartClicked();
    SplitFile();
}

void TfrmSplitter::SplitFile() {
    if (Splitting() || m_bar->Marks.size() <= 2) return;
    // The run reads with its own reader; playback and preview end first.
    if (m_previewing) btnPreviewStopClick();
    if (m_playing) StopPlayback();
    std::vector<bool> use;
    for (const TSplitMark& mark : m_bar->Marks)
        use.push_back(mark.Use);
    const std::vector<int> cutRows = SplitCutRows(use);
    std::vector<int64_t> cuts;
    for (int row : cutRows)
        cuts.push_back(m_bar->Marks[std::size_t(row)].Position);
    RunBegins(cutRows, [this] { m_split.Cancel(); });
    // The status column follows this run.
    for (int row = 0; row < lvSplitList->topLevelItemCount(); ++row)
        SetRunStatus(row, QString());
    // The blocks are copied on a worker that has all it reads: the components of the run, the
    // cuts, the source and the settings as they are now. The window only shows its progress; the
    // result comes back to SplitFinished on the window's thread.
    TAudioFile2* in = AF_IN;
    TAudioFile2* out = AF_OUT;
    TAudioFile2LameEnc* lame = AudioFile2LameEnc1;
    m_split.Start(
        [in, out, lame, cuts, source = SourceFileName, settings = TSplitSettings::FromGlobals(),
         window = static_cast<QObject*>(this)](const TWorkerJob<TSplitResult>::Link& link) {
            TSplitResult result;
            try {
                result = RunSplit(*in, *out, *lame, source, cuts, settings, window,
                                  [&link] { return link.Cancelled(); });
            } catch (const std::exception& e) {
                result.failed = true;
                result.message = QString::fromUtf8(e.what());
            }
            try {
                out->Close();
            } catch (const std::exception& e) {
                // Whatever failed, the window comes back idle and usable.
                if (!result.failed) {
                    result.failed = true;
                    result.message = QString::fromUtf8(e.what());
                }
            }
            CloseQuietly(*in);
            return result;
        },
        [this](TSplitResult result) { SplitFinished(result); });
}

void TfrmSplitter::SplitFinished(const TSplitResult& result) {
    RunEnds([&] {
        for (TAudioFile2* file : {AF_IN, AF_OUT})
            CloseQuietly(*file);
        if (result.cancelled) {
            if (RunProgressRow() >= 0) SetRunStatus(RunProgressRow(), QStringLiteral("Canceled"));
        } else {
            if (result.failed && RunProgressRow() >= 0) SetRunStatus(RunProgressRow(), QString());
            DialogMessages().Tell(result.message, this);
        }
    });
}

void TfrmSplitter::btnCancelSplitClick() {
    CancelRun();
}

void TfrmSplitter::btnFolderClick() {
    ShellOpen(OutputFolder());
}

void TfrmSplitter::btnOptionsClick() {
    ShowOptions();
}

void TfrmSplitter::btnHelpClick() {
    ShowHelp();
}

void TfrmSplitter::btnSplitterCloseClick() {
    close();
}
