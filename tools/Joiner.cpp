#include "tools/Joiner.h"

#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "platform/Application.h"
#include "platform/FileNames.h"
#include "platform/FormResource.h"
#include "platform/Shell.h"
#include "platform/TickCount.h"
#include "platform/UserMessages.h"
#include "platform/WinMath.h"
#include "platform/WindowMessages.h"
#include "skin/SKButton.h"
#include "skin/SKComboBox.h"
#include "tools/Convertor.h"
#include "tools/JoinerThread.h"
#include "tools/Splitter.h"

#include <QCoreApplication>
#include <QDir>
#include <QElapsedTimer>
#include <QFileInfo>
#include <QHeaderView>
#include <QLabel>
#include <QPaintEvent>
#include <QPainter>
#include <QSignalBlocker>
#include <QTimer>
#include <QTreeWidget>

#include <algorithm>

QString JoinerOutputName(const QString& ext, const QDateTime& now) {
    using namespace GlobeVar;
    const QDate d = now.date();
    const QTime t = now.time();
    const QString time = IntToZeroStr(t.hour(), 2) + QLatin1Char('-') + IntToZeroStr(t.minute(), 2) +
                         QLatin1Char('-') + IntToZeroStr(t.second(), 2);
    QString stamp = time;
    if (JoinUseDate)
        stamp = IntToZeroStr(d.year(), 4) + QLatin1Char('-') + IntToZeroStr(d.month(), 2) + QLatin1Char('-') +
                IntToZeroStr(d.day(), 2) + QLatin1Char(' ') + time;
    QString name =
        (JoinPreName.trimmed() + QLatin1Char(' ') + stamp + QLatin1Char(' ') + JoinPosName.trimmed())
            .trimmed();
    if (!JoinOverwrite)
        while (QFileInfo::exists(JoinFolder(JoinOutputPath, name + QLatin1Char('.') + ext)))
            name += QStringLiteral(" New");
    return JoinFolder(JoinOutputPath, name + QLatin1Char('.') + ext);
}

int DurationToSeconds(const QString& text) {
    const QStringList parts = text.trimmed().split(QStringLiteral(" : "));
    if (parts.size() != 3) return 0;
    return parts[0].toInt() * 3600 + parts[1].toInt() * 60 + parts[2].toInt();
}

// ---- the window

namespace {

constexpr int kPathRole = Qt::UserRole;        // a row's file, by its real name
constexpr int kSecondsRole = Qt::UserRole + 1; // a join row's duration in seconds, for the summary

constexpr int kColumns = 5;

template <class T> T* Child(QWidget* form, const char* name) {
    return FormChild<T>(form, QString::fromLatin1(name));
}

QString WithSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

QString FormatText(TAudioInformation2& info, const QString& file) {
    try {
        info.SetFileName(file);
        return info.GetFormatString();
    } catch (const std::exception& e) {
        return QString::fromUtf8(e.what());
    }
}

void CloseQuietly(TAudioFile2* file) {
    try {
        file->Close();
    } catch (const std::exception&) {
        // Called once the merge has ended: it closed both files itself and its error was taken
        // (FinishMerge), so nothing unwritten is left here.
    }
}

} // namespace

TfrmJoiner::TfrmJoiner(QWidget* owner) : TToolForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Videzeva/Joiner.form"));
    STV = Child<TShellTreeView>(this, "STV");
    lvFolderList = Child<TListView>(this, "lvFolderList");
    lvJoinList = Child<TListView>(this, "lvJoinList");
    btnAdd = Child<TskImageButton>(this, "btnAdd");
    btnAddAll = Child<TskImageButton>(this, "btnAddAll");
    btnRemove = Child<TskImageButton>(this, "btnRemove");
    btnRemoveAll = Child<TskImageButton>(this, "btnRemoveAll");
    btnFirst = Child<TskImageButton>(this, "btnFirst");
    btnLast = Child<TskImageButton>(this, "btnLast");
    btnUp = Child<TskImageButton>(this, "btnUp");
    btnDown = Child<TskImageButton>(this, "btnDown");
    btnStartMerge = Child<TskImageButton>(this, "btnStartMerge");
    btnCancelMerge = Child<TskImageButton>(this, "btnCancelMerge");
    btnOutputFormat = Child<TskImageButton>(this, "btnOutputFormat");
    btnPlay = Child<TskImageButton>(this, "btnPlay");
    btnStop = Child<TskImageButton>(this, "btnStop");
    comboxJoinOutputFormat = Child<TskComboBox>(this, "comboxJoinOutputFormat");
    pbInfo = Child<QWidget>(this, "pbInfo");
    Label1 = Child<QLabel>(this, "Label1");
    Label2 = Child<QLabel>(this, "Label2");
    tmShowInfo = Child<QTimer>(this, "tmShowInfo");
    m_addTimer = new QTimer(this);
    m_addTimer->setSingleShot(true);
    m_addTimer->setInterval(0);
    connect(m_addTimer, &QTimer::timeout, this, [this] { RunGuarded([this] { AddPendingRows(false); }); });
    AI = Child<TAudioInformation2>(this, "AI");
    AP = Child<TAudioPlayer2>(this, "AP");
    AF = Child<TAudioFile2>(this, "AF");
    AF_IN = Child<TAudioFile2>(this, "AF_IN");
    AF_OUT = Child<TAudioFile2>(this, "AF_OUT");
    AudioFile2LameEnc1 = Child<TAudioFile2LameEnc>(this, "AudioFile2LameEnc1");
    setMinimumWidth(200);
    lvFolderList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvJoinList->setSelectionMode(QAbstractItemView::ExtendedSelection);
    lvJoinList->header()->setSectionsClickable(false);
    for (TListView* list : {lvFolderList, lvJoinList})
        list->setEditTriggers(QAbstractItemView::NoEditTriggers);
    SetRunControls(btnStartMerge, btnCancelMerge,
                   {btnAdd, btnAddAll, btnDown, btnFirst, btnLast, btnRemove, btnRemoveAll, btnUp, btnPlay,
                    btnStop, lvJoinList, lvFolderList, STV, comboxJoinOutputFormat, btnOutputFormat},
                   QStringLiteral("Merging in progress, do you want to cancel ?"), QStringLiteral("Merging"));
    connect(STV, &QTreeView::clicked, this, [this] { RunGuarded([this] { STVClick(); }); });
    // Every press on the join list (a row, a tick) refreshes the strip.
    connect(lvJoinList, &QTreeWidget::itemSelectionChanged, this,
            [this] { RunGuarded([this] { lvJoinListMouseDown(); }); });
    connect(lvJoinList, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem*, int column) {
        if (column == 0) RunGuarded([this] { lvJoinListMouseDown(); });
    });
    pbInfo->installEventFilter(this);
    ApplyEmbeddedTheme(this);
}

TfrmJoiner::~TfrmJoiner() {
    m_scan.Stop();
    if (m_mergeThread) {
        m_mergeThread->Terminate();
        m_mergeThread->WaitFor();
    }
    AP->Stop();
}

int TfrmJoiner::ShowForFolder(const QString& folder) {
    if (!folder.isEmpty()) STV->SelectFolder(folder);
    return ShowModal();
}

void TfrmJoiner::FormCreate() {
    // The window's shape: the recorder's four corner pictures on black.
    ShapeWindow();
    AI->EnableWMA(-1);
    AF_IN->EnableWMA(-1);
    AF_OUT->EnableWMA(-1);
}

void TfrmJoiner::FormShow() {
    m_infoRow = -1;
    if (STV->SelectedFolder().isEmpty()) {
        const QString folder = GlobeVar::OutputPath;
        STV->SelectFolder(!folder.isEmpty() && QFileInfo(folder).isDir() ? folder : QDir::homePath());
    }
    STVClick();
}

void TfrmJoiner::FormClose() {
    StopPreview();
    TToolForm::FormClose();
}

// ---- folder tree and folder list

void TfrmJoiner::STVClick() {
    if (m_scan.Running()) {
        // The running scan stops and starts over on the folder chosen now.
        m_rescanRequested = true;
        m_scan.Cancel();
        return;
    }
    ScanFolder();
}

void TfrmJoiner::ScanFolder() {
    m_sortColumn = 0;
    const QString folder = WithSlash(STV->SelectedFolder());
    if (folder.isEmpty() || folder == m_currentFolder) return;
    m_currentFolder = folder;
    // Rows chosen from the list that goes now are read before it goes.
    AddPendingRows(true);
    lvFolderList->clear();
    m_scan.Start(
        folder, QString(),
        [this](const TScannedFile& file) {
            auto* row = new QTreeWidgetItem(
                lvFolderList, QStringList{ShownFileName(QFileInfo(file.path).fileName()), file.word,
                                          file.duration, GlobeVar::FileSizeToStr(file.size)});
            row->setData(0, kPathRole, file.path);
            row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
            row->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        },
        [this] {
            if (m_rescanRequested) {
                // The list is partial: whatever folder is chosen now is read again.
                m_rescanRequested = false;
                m_currentFolder.clear();
                STVClick();
            }
        });
}

void TfrmJoiner::SortFolderList() {
    QList<QTreeWidgetItem*> items;
    while (lvFolderList->topLevelItemCount() > 0)
        items << lvFolderList->takeTopLevelItem(0);
    const int column = m_sortColumn;
    auto key = [column](const QTreeWidgetItem* item) {
        return column == 3 ? GlobeVar::SizeSortKey(item->text(3)) : item->text(column);
    };
    std::stable_sort(items.begin(), items.end(), [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return QString::compare(key(a), key(b), Qt::CaseInsensitive) < 0;
    });
    lvFolderList->addTopLevelItems(items);
}

void TfrmJoiner::lvFolderListColumnClick(int column) {
    m_sortColumn = column;
    SortFolderList();
}

int TfrmJoiner::InfoCentre() const {
    return (pbInfo->height() - Label1->height()) / 2;
}

void TfrmJoiner::ShowDescription(const QString& fileName) {
    Label1->setText(FormatText(*AI, fileName));
    m_infoStartTick = GetTickCount();
    m_infoY = InfoCentre();
    tmShowInfo->start();
    pbInfo->update();
}

void TfrmJoiner::lvFolderListClick() {
    const QList<QTreeWidgetItem*> selected = lvFolderList->selectedItems();
    if (selected.size() != 1) return;
    m_previewFile = selected.first()->data(0, kPathRole).toString();
    ShowDescription(m_previewFile);
}

// ---- join list

bool TfrmJoiner::IsInJoinList(const QString& fullPath) const {
    return m_joinPaths.contains(fullPath);
}

void TfrmJoiner::AddRows(bool all) {
    // Only the chosen rows are noted here; AddPendingRows reads them a slice at a time.
    const int n = lvFolderList->topLevelItemCount();
    for (int i = 0; i < n; ++i) {
        QTreeWidgetItem* source = lvFolderList->topLevelItem(i);
        if (all || source->isSelected()) m_pendingRows.push_back(source);
    }
    AddPendingRows(false);
}

void TfrmJoiner::AddPendingRows(bool all) {
    if (m_pendingRows.empty()) return;
    QElapsedTimer clock;
    clock.start();
    QList<QTreeWidgetItem*> rows;
    int looked = 0;
    while (!m_pendingRows.empty() && (all || ++looked % 16 != 0 || clock.elapsed() < 4)) {
        const QTreeWidgetItem* source = m_pendingRows.front();
        m_pendingRows.pop_front();
        const QString path = source->data(0, kPathRole).toString();
        if (m_joinPaths.contains(path)) continue;
        m_joinPaths.insert(path);
        auto* row = new QTreeWidgetItem(QStringList{ShownFileName(path), source->text(1), source->text(2),
                                                    source->text(3), QStringLiteral(" ")});
        row->setData(0, kPathRole, path);
        row->setData(0, kSecondsRole, DurationToSeconds(source->text(2)));
        row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
        row->setCheckState(0, Qt::Checked);
        row->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
        row->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
        rows << row;
    }
    if (!rows.isEmpty()) {
        const QSignalBlocker quiet(lvJoinList);
        lvJoinList->addTopLevelItems(rows);
    }
    if (m_pendingRows.empty())
        ListChanged();
    else
        m_addTimer->start();
}

void TfrmJoiner::ListChanged() {
    Label2->setText(BuildInfoText());
    // The summary line centred.
    m_infoY = InfoCentre() - 30;
    pbInfo->update();
}

void TfrmJoiner::btnAddClick() {
    if (lvFolderList->selectedItems().isEmpty()) return;
    AddRows(false);
}

void TfrmJoiner::btnAddAllClick() {
    AddRows(true);
}

void TfrmJoiner::btnRemoveClick() {
    const QList<QTreeWidgetItem*> selected = lvJoinList->selectedItems();
    if (selected.isEmpty()) return;
    {
        const QSignalBlocker quiet(lvJoinList);
        for (const QTreeWidgetItem* row : selected)
            m_joinPaths.remove(row->data(0, kPathRole).toString());
        qDeleteAll(selected);
    }
    m_infoRow = -1;
    ListChanged();
}

void TfrmJoiner::btnRemoveAllClick() {
    {
        // The rows leave the list at once; deleting many takes longer than a turn of the event
        // loop may, so they are deleted a slice at a time.
        const QSignalBlocker quiet(lvJoinList);
        for (QTreeWidgetItem* row : lvJoinList->invisibleRootItem()->takeChildren())
            m_removedRows.emplace_back(row);
    }
    DeleteRemovedRows();
    m_pendingRows.clear();
    m_addTimer->stop();
    m_joinPaths.clear();
    m_infoRow = -1;
    ListChanged();
}

void TfrmJoiner::DeleteRemovedRows() {
    QElapsedTimer clock;
    clock.start();
    int deleted = 0;
    while (!m_removedRows.empty() && (++deleted % 64 != 0 || clock.elapsed() < 4))
        m_removedRows.pop_back();
    if (!m_removedRows.empty()) QTimer::singleShot(0, this, [this] { DeleteRemovedRows(); });
}

void TfrmJoiner::MoveSelected(bool toFront) {
    const QSignalBlocker quiet(lvJoinList);
    QList<QTreeWidgetItem*> selected, others;
    while (lvJoinList->topLevelItemCount() > 0) {
        QTreeWidgetItem* item = lvJoinList->topLevelItem(0);
        (item->isSelected() ? selected : others) << item;
        lvJoinList->takeTopLevelItem(0);
    }
    lvJoinList->addTopLevelItems(toFront ? selected + others : others + selected);
    for (QTreeWidgetItem* item : selected)
        item->setSelected(true);
}

void TfrmJoiner::btnFirstClick() {
    MoveSelected(true);
}

void TfrmJoiner::btnLastClick() {
    MoveSelected(false);
}

void TfrmJoiner::SwapRows(int a, int b) {
    const int n = lvJoinList->topLevelItemCount();
    if (a < 0 || b < 0 || a >= n || b >= n) return;
    QTreeWidgetItem* ra = lvJoinList->topLevelItem(a);
    QTreeWidgetItem* rb = lvJoinList->topLevelItem(b);
    if (ra->isSelected() && rb->isSelected()) return;
    const QSignalBlocker quiet(lvJoinList);
    for (int c = 0; c < kColumns; ++c) {
        const QString text = ra->text(c);
        ra->setText(c, rb->text(c));
        rb->setText(c, text);
    }
    for (int role : {kPathRole, kSecondsRole}) {
        const QVariant value = ra->data(0, role);
        ra->setData(0, role, rb->data(0, role));
        rb->setData(0, role, value);
    }
    const Qt::CheckState check = ra->checkState(0);
    ra->setCheckState(0, rb->checkState(0));
    rb->setCheckState(0, check);
    const bool selected = ra->isSelected();
    ra->setSelected(rb->isSelected());
    rb->setSelected(selected);
}

void TfrmJoiner::btnUpClick() {
    for (int i = 0; i < lvJoinList->topLevelItemCount(); ++i)
        if (lvJoinList->topLevelItem(i)->isSelected()) SwapRows(i, i - 1);
}

void TfrmJoiner::btnDownClick() {
    for (int i = lvJoinList->topLevelItemCount() - 1; i >= 0; --i)
        if (lvJoinList->topLevelItem(i)->isSelected()) SwapRows(i, i + 1);
}

void TfrmJoiner::lvJoinListClick() {}

void TfrmJoiner::lvJoinListMouseDown() {
    Label2->setText(BuildInfoText());
    pbInfo->update();
    const QList<QTreeWidgetItem*> selected = lvJoinList->selectedItems();
    const QTreeWidgetItem* shown = m_infoRow >= 0 ? lvJoinList->topLevelItem(m_infoRow) : nullptr;
    if ((shown && shown->isSelected()) || selected.size() != 1) return;
    m_infoRow = lvJoinList->indexOfTopLevelItem(selected.first());
    m_previewFile = selected.first()->data(0, kPathRole).toString();
    ShowDescription(m_previewFile);
}

// ---- information strip

QString TfrmJoiner::BuildInfoText() const {
    const int n = lvJoinList->topLevelItemCount();
    int ticked = 0;
    int64_t seconds = 0;
    for (int i = 0; i < n; ++i) {
        const QTreeWidgetItem* row = lvJoinList->topLevelItem(i);
        if (row->checkState(0) != Qt::Checked) continue;
        ++ticked;
        seconds += row->data(0, kSecondsRole).toInt();
    }
    const QString word1 = n < 2 ? QStringLiteral(" file ") : QStringLiteral(" files ");
    const QString word2 = n < 2 || ticked < 2 ? QStringLiteral(" file ") : QStringLiteral(" files ");
    return QString::number(n) + word1 + QStringLiteral("in list, ") + QString::number(ticked) + word2 +
           QStringLiteral("selected, selected duration is approximately: ") +
           GlobeVar::MSecToHMSStr(seconds * 1000);
}

QString TfrmJoiner::InfoLine(int line) const {
    return line == 0 ? Label1->text() : Label2->text();
}

void TfrmJoiner::tmShowInfoTimer() {
    const int centre = InfoCentre();
    // A description stays centred for 4 s, then scrolls up until the summary line is centred.
    if (uint32_t(GetTickCount() - m_infoStartTick) <= 4000)
        m_infoY = centre;
    else
        --m_infoY;
    if (centre >= m_infoY + 30) tmShowInfo->stop();
    pbInfo->update();
}

bool TfrmJoiner::eventFilter(QObject* watched, QEvent* event) {
    if (watched == pbInfo && event->type() == QEvent::Paint) {
        QPainter p(pbInfo);
        p.fillRect(pbInfo->rect(), pbInfo->palette().color(QPalette::Window));
        p.setFont(pbInfo->font());
        p.setPen(QColor(0x35, 0x53, 0x89));
        const int ascent = p.fontMetrics().ascent();
        p.drawText(0, m_infoY + ascent, Label1->text());
        p.drawText(0, m_infoY + 30 + ascent, Label2->text());
        return true;
    }
    return TToolForm::eventFilter(watched, event);
}

// ---- preview

void TfrmJoiner::btnPlayClick() {
    if (FileExists(m_previewFile)) StartPreview(m_previewFile);
}

void TfrmJoiner::btnStopClick() {
    StopPreview();
}

void TfrmJoiner::APEndPlay() {
    StopPreview();
}

void TfrmJoiner::StartPreview(const QString& fileName) {
    m_previewing = false;
    if (!OpenForPlayback(*AP, *AF, *AI, fileName, m_blockSamples)) return;
    m_fedSamples = 0;
    AF->Seek(0, 3);
    m_previewing = true;
    AP->Play();
    if (AP->GetLastError() != 0) {
        m_previewing = false;
        AF->Close();
        ReportError(AP->GetLastErrorText(), this);
    }
}

void TfrmJoiner::StopPreview() {
    AP->Stop();
    AF->Close();
    m_previewing = false;
}

void TfrmJoiner::FeedPlayer() {
    if (!m_previewing) return;
    const AudioBlock block = AF->ReadArray(m_blockSamples);
    m_fedSamples += int64_t(block.samples.size()) / std::max(1, AF->GetElementsPerPosition());
    AP->LoadArray(block);
}

void TfrmJoiner::APEndArrayPlay() {
    FeedPlayer();
}

void TfrmJoiner::APRequestOnLoadArray() {
    FeedPlayer();
}

// ---- merge

void TfrmJoiner::btnStartMergeClick() {
    RunStartClicked();
    StartMerge();
}

void TfrmJoiner::StartMerge() {
    if (Merging()) return;
    // Rows still on their way into the list belong to it.
    AddPendingRows(true);
    m_mergeRows.clear();
    QStringList names;
    for (int i = 0; i < lvJoinList->topLevelItemCount(); ++i) {
        const QTreeWidgetItem* row = lvJoinList->topLevelItem(i);
        const QString path = row->data(0, kPathRole).toString();
        if (row->checkState(0) != Qt::Checked || !IsRegularFile(path)) continue;
        names << path;
        m_mergeRows.push_back(i);
    }
    if (names.size() < 2) return;
    static const char* const words[] = {"WAV", "MP3", "OGG", "WMA"};
    const QString word = QString::fromLatin1(words[std::clamp(comboxJoinOutputFormat->ItemIndex(), 0, 3)]);
    ConfigureConvertTarget(*AF_OUT, *AudioFile2LameEnc1, word);
    m_outputFile = JoinerOutputName(word.toLower(), QDateTime::currentDateTime());
    // Written under a temporary name beside it until the merge ends (or is cancelled).
    const QString reserved = m_output.Begin(m_outputFile);
    if (!reserved.isEmpty()) {
        DialogMessages().Tell(reserved, this);
        return;
    }
    AF_OUT->CreateWrite(m_output.TempName(), 0);
    if (AF_OUT->GetLastError() != 0) {
        // Nothing started: the window stays idle.
        m_output.Discard();
        DialogMessages().Tell(
            QStringLiteral("Unable to create %1: %2").arg(m_outputFile, AF_OUT->GetLastErrorText()), this);
        return;
    }
    RunBegins(m_mergeRows, [this] {
        if (m_mergeThread) m_mergeThread->Terminate();
    });
    {
        const QSignalBlocker quiet(lvJoinList);
        for (int row : m_mergeRows)
            lvJoinList->topLevelItem(row)->setText(4, QStringLiteral(" "));
    }
    m_mergeThread = std::make_unique<TJoinerThread>(AF_IN, int(names.size()) - 1, names, this, AF_OUT,
                                                    [this] { MergeFinished(); });
}

void TfrmJoiner::MergeFinished() {
    if (!m_mergeThread) return;
    m_mergeThread->WaitFor();
    const QString error = FinishMerge(*m_mergeThread, m_output);
    m_mergeThread.reset();
    RunEnds([&] {
        Label2->setText(BuildInfoText());
        pbInfo->update();
        CloseQuietly(AF_IN);
        CloseQuietly(AF_OUT);
        if (RunCancelRequested()) {
            if (RunProgressRow() >= 0) SetRunStatus(RunProgressRow(), QStringLiteral("Canceled"));
        } else if (!error.isEmpty()) {
            // The file that failed is the first one of the merge that did not end (none when every
            // input ended and the output could not be put in place).
            for (int row : m_mergeRows) {
                QTreeWidgetItem* item = lvJoinList->topLevelItem(row);
                if (item && item->text(4) != QLatin1String("Done")) {
                    SetRunStatus(row, QStringLiteral("Failed"));
                    break;
                }
            }
        }
        if (!error.isEmpty())
            DialogMessages().Tell(error, this);
        else if (!RunCancelRequested())
            DialogMessages().Tell(QStringLiteral("Merge finished"), this);
    });
}

void TfrmJoiner::SetRunStatus(int row, const QString& text) {
    if (QTreeWidgetItem* item = row >= 0 ? lvJoinList->topLevelItem(row) : nullptr) {
        const QSignalBlocker quiet(lvJoinList);
        item->setText(4, text);
    }
}

int TfrmJoiner::RunRowCount() const {
    return lvJoinList->topLevelItemCount();
}

void TfrmJoiner::RunProgress(int entry, int percent) {
    const auto files = double(m_mergeRows.size());
    const int64_t overall = RoundHalfEven(double(entry) / files * 100.0 + double(percent) / files);
    Label2->setText(QStringLiteral("Merging: %1 % done").arg(overall));
    pbInfo->update();
}

void TfrmJoiner::btnCancelMergeClick() {
    CancelRun();
}

void TfrmJoiner::btnOutputFormatClick() {
    comboxJoinOutputFormat->DropDown();
}

void TfrmJoiner::btnFolderClick() {
    ShellOpen(GlobeVar::JoinOutputPath);
}

void TfrmJoiner::btnOptionsClick() {
    ShowOptions();
}

void TfrmJoiner::btnHelpClick() {
    ShowHelp();
}

void TfrmJoiner::btnJoinerCloseClick() {
    close();
}
