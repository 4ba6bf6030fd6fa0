#include "tools/Player.h"

#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/TAudioDisplay2.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "platform/Application.h"
#include "platform/FileNames.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/Shell.h"
#include "platform/UserMessages.h"
#include "platform/WinMath.h"
#include "platform/WindowMessages.h"
#include "skin/SKButton.h"
#include "skin/SKComboBox.h"
#include "skin/SKPopupMenu.h"
#include "skin/SKSkinForm.h"
#include "skin/SKTrackBar.h"
#include "tools/Convertor.h"

#include <QApplication>
#include <QCursor>
#include <QDir>
#include <QEvent>
#include <QFileInfo>
#include <QFileSystemModel>
#include <QLabel>
#include <QSignalBlocker>
#include <QTreeWidget>

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <fcntl.h>

namespace {

constexpr int kPathRole = Qt::UserRole; // a row's full path

QString WithSlash(QString folder) {
    if (!folder.isEmpty() && !folder.endsWith(QLatin1Char('/'))) folder += QLatin1Char('/');
    return folder;
}

QColor MarkerColour(int marker) {
    switch (marker) {
    case 1:
        return QColor(0xCC, 0xFF, 0xDD);
    case 3:
        return QColor(0xAA, 0xBB, 0xFF);
    case 4:
        return QColor(0xFF, 0xCC, 0xFF);
    default:
        return QColor(0xFF, 0xFF, 0xFF);
    }
}

} // namespace

std::array<int, 12> CustomEQ{};
bool PlayerAlive = false;

namespace {

// The slider positions of the presets Pop, Disco, Background, Movie and News: bands 1..11, then
// the preamp; a position is minus the gain in thousandths of a dB.
constexpr int kPresets[5][12] = {
    {-273, -4091, -4636, -3545, -1909, 0, 0, -1909, -1909, -4091, -3545, -3000},
    {13364, 273, -9545, -7909, -4091, 0, -3000, -5182, -5182, -4636, -2455, 0},
    {13364, 6273, 1364, 0, 0, -3545, -2455, -818, -818, -4636, -6273, -7909},
    {0, -3545, -6273, -3545, -1909, -3545, -1909, -818, -818, 1909, 4636, 2455},
    {0, 3000, 6818, 3545, -1909, -6273, -5182, -3545, -3545, 1909, 4091, 6818},
};

} // namespace

TfrmPlayer::TfrmPlayer(QWidget* owner, Program program) : TForm(owner), m_program(program) {
    LoadFormResource(this, program == Program::Ripper ? QStringLiteral(":/forms/Duzivuz/Player.form")
                                                      : QStringLiteral(":/forms/Videzeva/Player.form"));
    STV = FormChild<TShellTreeView>(this, QStringLiteral("STV"));
    lvPlayList = FormChild<TListView>(this, QStringLiteral("lvPlayList"));
    Label1 = FormChild<QLabel>(this, QStringLiteral("Label1"));
    imgMute = FormChild<QLabel>(this, QStringLiteral("imgMute"));
    imgUseEQ = FormChild<QLabel>(this, QStringLiteral("imgUseEQ"));
    plADBG = FormChild<QWidget>(this, QStringLiteral("plADBG"));
    Button1 = FormChild<QWidget>(this, QStringLiteral("Button1"));
    skSkinForm1 = FormChild<TskSkinForm>(this, QStringLiteral("skSkinForm1"));
    tbPlaybackProgress = FormChild<TskTrackBar>(this, QStringLiteral("tbPlaybackProgress"));
    tbPlaybackVolume = FormChild<TskTrackBar>(this, QStringLiteral("tbPlaybackVolume"));
    for (int i = 0; i < 12; ++i)
        tbEQ[std::size_t(i)] = FormChild<TskTrackBar>(this, QStringLiteral("tbEQ%1").arg(i + 1));
    comboxEQMode = FormChild<TskComboBox>(this, QStringLiteral("comboxEQMode"));
    btnMute = FormChild<TskImageButton>(this, QStringLiteral("btnMute"));
    btnUseEQ = FormChild<TskImageButton>(this, QStringLiteral("btnUseEQ"));
    popMenuConvert = FormChild<TskPopupMenu>(this, QStringLiteral("popMenuConvert"));
    AD = FormChild<TAudioDisplay2>(this, QStringLiteral("AD"));
    AP = FormChild<TAudioPlayer2>(this, QStringLiteral("AP"));
    AF = FormChild<TAudioFile2>(this, QStringLiteral("AF"));
    AI = FormChild<TAudioInformation2>(this, QStringLiteral("AI"));
    AF_In = FormChild<TAudioFile2>(this, QStringLiteral("AF_In"));
    AF_Out = FormChild<TAudioFile2>(this, QStringLiteral("AF_Out"));
    AudioFile2LameEnc1 = FormChild<TAudioFile2LameEnc>(this, QStringLiteral("AudioFile2LameEnc1"));
    setMinimumSize(200, 50);
    setMaximumSize(1024, 738);
    // The pictures of the other mute and equaliser states are held, not shown.
    imgMute->hide();
    imgUseEQ->hide();
    // The tree is read once per folder opened; it follows no later change on its own.
    connect(STV, &QTreeView::clicked, this, [this] { RunGuarded([this] { STVClick(); }); });
    // The editor opened by "Rename" commits its text as a change of the row's caption; an editor
    // closed without a change (Escape, or the same text) leaves the row not editable again.
    connect(lvPlayList, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column != 0 || item != m_renamingItem) return;
        EndRename();
        RenameRow(item, item->text(0));
    });
    connect(lvPlayList->itemDelegate(), &QAbstractItemDelegate::closeEditor, this, [this] { EndRename(); });
    // The list's pop-up menu opens on the row under the mouse.
    lvPlayList->setContextMenuPolicy(Qt::CustomContextMenu);
    connect(lvPlayList, &QWidget::customContextMenuRequested, this, [this](const QPoint& at) {
        if (QTreeWidgetItem* item = lvPlayList->itemAt(at)) lvPlayList->setCurrentItem(item);
        const QPoint global = lvPlayList->viewport()->mapToGlobal(at);
        popMenuConvert->Popup(global.x(), global.y());
    });
    plADBG->installEventFilter(this);
    for (QWidget* w : std::initializer_list<QWidget*>{lvPlayList, tbPlaybackVolume})
        w->setAttribute(Qt::WA_OpaquePaintEvent, false);
    AI->EnableWMA(-1);
    AF_In->EnableWMA(-1);
    AF_Out->EnableWMA(-1);
    m_rescanRequested = false;
    m_eqEnabled = true;
    m_muted = false;
    m_paused = false;
    PlayerAlive = true;
}

TfrmPlayer::~TfrmPlayer() {
    PlayerAlive = false;
    m_scan.Stop();
    AP->Stop();
    if (m_convertor) {
        CancelConversion();
        m_convertor->WaitFor();
        ConversionFinished();
    }
}

void TfrmPlayer::FormCreate() {
    // The window's shape: the four corner pictures on black, white (outside) where they show it.
    skSkinForm1->ShapeFromCorners(
        {FormChild<QLabel>(this, QStringLiteral("imgLT")), FormChild<QLabel>(this, QStringLiteral("imgRT")),
         FormChild<QLabel>(this, QStringLiteral("imgLD")), FormChild<QLabel>(this, QStringLiteral("imgRD"))});
    // The pictures over the shape let the mouse through, so pressing on the window's background
    // or title drags the window.
    for (const char* name : {"imgBackground", "imgTitle", "titleMain"})
        FormChild<QWidget>(this, QLatin1String(name))->setAttribute(Qt::WA_TransparentForMouseEvents);
    auto* side = FormChild<QWidget>(this, QStringLiteral("plSide"));
    side->move(width() - 2, 4);
    side->show();
    m_playingItem = nullptr;
    m_windowReady = false;
}

void TfrmPlayer::FormShow() {
    Button1->setFocus();
    QString folder = GlobeVar::OutputPath;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    // The home folder stands open; the tree keeps the folder shown in view as it reads.
    STV->expand(STV->Model()->index(QDir::homePath()));
    STV->SelectFolder(folder);
    tbPlaybackProgress->SetPosition(0);
    tbPlaybackProgress->setEnabled(false);
    m_windowReady = true;
    // The playback line: the first that says it is one, else line 0.
    const int lines = AP->GetMixerLineCount();
    if (lines > 0) {
        int chosen = 0;
        for (int i = 0; i < lines; ++i) {
            AP->SelectMixerLine(i);
            if ((AP->IsPlaybackLine() & 0xFFFF) != 0) {
                chosen = i;
                break;
            }
        }
        AP->SelectMixerLine(chosen);
        tbPlaybackVolume->SetPosition(65535 - AP->GetVolume());
        // Unmuted, unless the main window muted before this window was first shown.
        AP->SetMute(m_muted ? -1 : 0);
    }
    STVClick();
}

void TfrmPlayer::FormCloseQuery(bool& canClose) {
    if (!m_convertor) return;
    canClose = DialogMessages().Ask(QStringLiteral("Converting in progress, do you want to cancel ?"), this);
    if (!canClose) return;
    // The worker is joined before the window goes; the partial target is deleted.
    CancelConversion();
    m_convertor->WaitFor();
    ConversionFinished();
}

void TfrmPlayer::FormClose() {
    StopPlayback();
    if (m_convertor) {
        CancelConversion();
        m_convertor->WaitFor();
        ConversionFinished();
    }
}

void TfrmPlayer::ShowPlayer() {
    show();
    raise();
}

void TfrmPlayer::HidePlayer() {
    hide();
}

bool TfrmPlayer::Shell(const QString& target) {
    return OpenInShell ? OpenInShell(target) : ShellOpen(target);
}

// ---- rows

QTreeWidgetItem* TfrmPlayer::AddRow(const QString& fullPath, const QString& duration, int64_t size,
                                    int marker) {
    auto* item = new QTreeWidgetItem(lvPlayList);
    // The row acts on the file by its real name (item data); the caption shows it.
    item->setText(0, ShownFileName(QFileInfo(fullPath).fileName()));
    item->setText(1, GlobeVar::GetAudioFormat(fullPath));
    item->setText(2, GlobeVar::Blanks(uint8_t(marker)) + duration);
    item->setText(3, GlobeVar::FileSizeToStr(size));
    item->setText(4, QString());
    item->setData(0, kPathRole, fullPath);
    item->setTextAlignment(2, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(3, Qt::AlignRight | Qt::AlignVCenter);
    item->setTextAlignment(4, Qt::AlignCenter);
    for (int c = 0; c < 5; ++c)
        item->setBackground(c, MarkerColour(marker));
    return item;
}

void TfrmPlayer::SetMarker(QTreeWidgetItem* item, int marker) {
    const QString duration = item->text(2);
    item->setText(2, GlobeVar::IndentStr(duration, marker));
    for (int c = 0; c < 5; ++c)
        item->setBackground(c, MarkerColour(marker));
}

void TfrmPlayer::AddFileToList(const QString& fileName, bool marked) {
    // A row stands for a file of the folder shown: a file of another folder gets none here.
    if (m_currentFolder.isEmpty() || WithSlash(QFileInfo(fileName).absolutePath()) != m_currentFolder) return;
    const qint64 size = FileSize(fileName);
    if (size < 0 || !IsRegularFile(fileName)) return;
    AddRow(QFileInfo(fileName).absoluteFilePath(), AudioDurationText(*AI, fileName), size, marked ? 4 : 0);
}

int TfrmPlayer::ConvertingRow() const {
    return m_convertingItem ? lvPlayList->indexOfTopLevelItem(m_convertingItem) : -1;
}

// ---- folder scan

void TfrmPlayer::STVClick() {
    if (m_scan.Running()) {
        // The running scan stops and starts over on the folder chosen now.
        m_rescanRequested = true;
        m_scan.Cancel();
        return;
    }
    if (!m_convertor && !m_playingItem) {
        ScanFolder();
        return;
    }
    if (WithSlash(STV->SelectedFolder()) != m_currentFolder) {
        // The tree goes back to the folder shown: the list stays the one of the running work.
        if (!m_currentFolder.isEmpty()) STV->SelectFolder(m_currentFolder);
        if (PlayerAlive)
            DialogMessages().Tell(
                QStringLiteral("You will not be able to change folder while playing or converting."), this);
    }
}

void TfrmPlayer::RescanFolder() {
    m_currentFolder.clear();
    ScanFolder();
}

void TfrmPlayer::ScanFolder() {
    const QString folder = WithSlash(STV->SelectedFolder());
    m_sortColumn = 0;
    if (folder.isEmpty() || folder == m_currentFolder) return;
    m_scan.Stop();
    if (m_playingItem) StopPlayback();
    m_currentFolder = folder;
    m_convertingItem = nullptr;
    m_playingItem = nullptr;
    lvPlayList->clear();
    // The recorder's file being recorded is left out; its recordings of this run are marked.
    const bool recorder = m_owner && m_program == Program::Recorder;
    const QString recording = recorder && m_owner->Recording() ? m_owner->FileBeingRecorded() : QString();
    const QStringList recordings = recorder ? m_owner->RecordingsOfThisRun() : QStringList();
    m_scan.Start(
        folder, recording,
        [this, recordings](const TScannedFile& file) {
            AddRow(file.path, file.duration, file.size, recordings.contains(file.path) ? 4 : 0);
        },
        [this] {
            if (m_rescanRequested) {
                // The list is partial: whatever folder is chosen now is read again.
                m_rescanRequested = false;
                m_currentFolder.clear();
                STVClick();
                return;
            }
            SortPlayList();
            STV->scrollTo(STV->currentIndex(), QAbstractItemView::PositionAtCenter);
        });
}

void TfrmPlayer::SortPlayList() {
    QList<QTreeWidgetItem*> items;
    while (lvPlayList->topLevelItemCount() > 0)
        items << lvPlayList->takeTopLevelItem(0);
    const int column = m_sortColumn;
    auto key = [column](const QTreeWidgetItem* item) {
        if (column == 3) return GlobeVar::SizeSortKey(item->text(3));
        return item->text(column);
    };
    std::stable_sort(items.begin(), items.end(), [&](const QTreeWidgetItem* a, const QTreeWidgetItem* b) {
        return QString::compare(key(a), key(b), Qt::CaseInsensitive) < 0;
    });
    lvPlayList->addTopLevelItems(items);
}

void TfrmPlayer::lvPlayListColumnClick(int column) {
    m_sortColumn = column;
    SortPlayList();
}

void TfrmPlayer::lvPlayListClick() {
    QTreeWidgetItem* item = lvPlayList->currentItem();
    if (!item) return;
    m_sourceFile = item->data(0, kPathRole).toString();
    try {
        AI->SetFileName(m_sourceFile);
        Label1->setText(AI->GetFormatString());
    } catch (const std::exception&) {
        Label1->clear();
    }
}

// ---- conversion

void TfrmPlayer::muConverttoWAVClick() {
    ConvertFile(QStringLiteral("WAV"));
}
void TfrmPlayer::muConverttoMP3Click() {
    ConvertFile(QStringLiteral("MP3"));
}
void TfrmPlayer::muConverttoOGGClick() {
    ConvertFile(QStringLiteral("OGG"));
}
void TfrmPlayer::muConverttoWMAClick() {
    ConvertFile(QStringLiteral("WMA"));
}

void TfrmPlayer::muCancelConvertionClick() {
    CancelConversion();
}

void TfrmPlayer::ConvertFile(const QString& word) {
    QTreeWidgetItem* item = lvPlayList->currentItem();
    if (!item || m_convertor) return;
    m_sourceFile = item->data(0, kPathRole).toString();
    m_targetFile = ConvertTargetName(m_sourceFile, word);
    ConfigureConvertTarget(*AF_Out, *AudioFile2LameEnc1, word);
    const QString failure = PrepareConversion(*AF_In, *AF_Out, m_sourceFile, m_targetFile, m_targetOutput);
    if (!failure.isEmpty()) {
        // Nothing started: the window stays idle.
        DialogMessages().Tell(failure, this);
        return;
    }
    m_convertingItem = item;
    m_cancelRequested = false;
    m_convertor = std::make_unique<TConvertor>(
        AF_In, this, AF_Out, [this] { ConversionFinished(); }, m_sourceFile);
}

void TfrmPlayer::CancelConversion() {
    if (!m_convertor) return;
    m_cancelRequested = true;
    m_convertor->Terminate();
}

void TfrmPlayer::customEvent(QEvent* event) {
    if (event->type() != WindowMessageEvent::eventType()) return TForm::customEvent(event);
    auto* message = static_cast<WindowMessageEvent*>(event);
    if (message->id() != WindowMessageId::ConvertProgress || !m_convertingItem || !m_convertor) return;
    if (GlobeVar::CountBlanks(m_convertingItem->text(2)) != 3) SetMarker(m_convertingItem, 3);
    m_convertingItem->setText(4, QStringLiteral("Converting %1% done").arg(message->lParam()));
}

void TfrmPlayer::ConversionFinished() {
    // Also reached from the queued completion after a close already finished the conversion.
    if (!m_convertor) return;
    m_convertor->WaitFor();
    const QString message = FinishConversion(*m_convertor, m_cancelRequested, m_targetOutput);
    const bool cancelled = m_cancelRequested;
    m_convertor.reset();
    if (m_convertingItem) {
        SetMarker(m_convertingItem, 0);
        m_convertingItem->setText(4, QString());
        m_convertingItem = nullptr;
    }
    m_cancelRequested = false;
    AF_In->Close();
    try {
        AF_Out->Close();
    } catch (const std::exception&) {
        // The worker closed the target at its end and its error was told above: this close finds
        // nothing left to write.
    }
    if (!message.isEmpty()) {
        DialogMessages().Tell(message, this);
    } else if (!cancelled && WithSlash(QFileInfo(m_targetFile).absolutePath()) == m_currentFolder) {
        AddFileToList(m_targetFile, false);
        SortPlayList();
    }
}

// ---- rename and delete

void TfrmPlayer::muRenameClick() {
    QTreeWidgetItem* item = lvPlayList->currentItem();
    if (!item) return;
    const int marker = GlobeVar::CountBlanks(item->text(2));
    if (marker == 1 || marker == 3) return;
    // The flag change is itself reported as a change of the row: it is made before the row counts
    // as being renamed, so only the editor's text ends the rename.
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    m_renamingItem = item;
    lvPlayList->editItem(item, 0);
}

void TfrmPlayer::EndRename() {
    QTreeWidgetItem* item = m_renamingItem;
    if (!item) return;
    m_renamingItem = nullptr;
    // The row may have gone with a new scan while the editor was open.
    if (lvPlayList->indexOfTopLevelItem(item) >= 0) item->setFlags(item->flags() & ~Qt::ItemIsEditable);
}

bool TfrmPlayer::RenameRow(QTreeWidgetItem* item, const QString& newName) {
    const QString oldPath = item->data(0, kPathRole).toString();
    const QFileInfo oldInfo(oldPath);
    const QString oldName = oldInfo.fileName();
    // The caption shows the name; a name that is not UTF-8 keeps its real bytes until it is edited.
    const QString shownName = ShownFileName(oldName);
    QString reason;
    QString name = newName;
    if (name.contains(QLatin1Char('/')) || name.contains(QChar(0))) {
        reason = QStringLiteral("a file name cannot hold \"/\"");
    } else {
        // The new name keeps the old file's extension.
        const int dot = name.lastIndexOf(QLatin1Char('.'));
        if (dot > 0) name.truncate(dot);
        if (GlobeVar::TrimText(name).isEmpty())
            reason = QStringLiteral("the name is empty");
        else if (!oldInfo.suffix().isEmpty())
            name += QLatin1Char('.') + oldInfo.suffix();
    }
    const QString newPath = oldInfo.path() + QLatin1Char('/') + name;
    const bool unchanged = name == oldName || name == shownName;
    if (reason.isEmpty() && !unchanged) {
        // Never over an existing file: the kernel refuses instead of replacing it.
        if (::renameat2(AT_FDCWD, FileNameBytes(oldPath).constData(), AT_FDCWD,
                        FileNameBytes(newPath).constData(), RENAME_NOREPLACE) != 0)
            reason = errno == EEXIST ? QStringLiteral("%1 exists already").arg(name)
                                     : QString::fromLocal8Bit(std::strerror(errno));
    }
    const QSignalBlocker blocker(lvPlayList);
    if (!reason.isEmpty()) {
        item->setText(0, shownName);
        DialogMessages().Tell(QStringLiteral("Unable to rename %1: %2").arg(ShownFileName(oldPath), reason),
                              this);
        return false;
    }
    if (unchanged) {
        item->setText(0, shownName);
        return true;
    }
    item->setText(0, ShownFileName(name));
    item->setData(0, kPathRole, newPath);
    return true;
}

void TfrmPlayer::muDeleteClick() {
    QTreeWidgetItem* item = lvPlayList->currentItem();
    if (!item) return;
    const int marker = GlobeVar::CountBlanks(item->text(2));
    if (marker == 1 || marker == 3 || item == m_convertingItem) return;
    const QString path = item->data(0, kPathRole).toString();
    if (!RemoveFile(path)) {
        DialogMessages().Tell(QStringLiteral("Unable to delete %1: %2")
                                  .arg(ShownFileName(path), QString::fromLocal8Bit(std::strerror(errno))),
                              this);
        return;
    }
    delete item;
}

void TfrmPlayer::muMailClick() {
    btnMailClick();
}

// ---- the pop-up menu

void TfrmPlayer::popMenuConvertPopup() {
    const auto item = [this](const char* name) { return findChild<QAction*>(QLatin1String(name)); };
    const auto enable = [&](const char* name, bool on) {
        if (QAction* a = item(name)) a->setEnabled(on);
    };
    static const char* const converts[] = {"muConverttoWAV", "muConverttoMP3", "muConverttoOGG",
                                           "muConverttoWMA"};
    QTreeWidgetItem* row = SelectedRow();
    if (!row) {
        for (const char* name : converts)
            enable(name, false);
        for (const char* name : {"muCancelConvertion", "muRename", "muDelete", "muMail"})
            enable(name, false);
        return;
    }
    m_sourceFile = row->data(0, kPathRole).toString();
    for (const char* name : converts)
        enable(name, !m_convertor);
    const int marker = GlobeVar::CountBlanks(row->text(2));
    enable("muCancelConvertion", marker == 3 || row == m_convertingItem);
    const bool ordinary = marker == 0 && row != m_convertingItem && row != m_playingItem;
    enable("muRename", ordinary);
    enable("muDelete", ordinary);
    enable("muMail", true);
    const QString format = row->text(1);
    for (const char* name : converts)
        if (QLatin1String(name).endsWith(format)) enable(name, false);
}

// ---- playback

int TfrmPlayer::PlayingRow() const {
    return m_playingItem ? lvPlayList->indexOfTopLevelItem(m_playingItem) : -1;
}

QTreeWidgetItem* TfrmPlayer::SelectedRow() const {
    const QList<QTreeWidgetItem*> selected = lvPlayList->selectedItems();
    if (selected.size() == 1) return selected.first();
    return selected.isEmpty() ? lvPlayList->currentItem() : nullptr;
}

void TfrmPlayer::ClearRow(QTreeWidgetItem*& item) {
    if (!item) return;
    SetMarker(item, 0);
    item->setText(4, QString());
    item = nullptr;
}

void TfrmPlayer::btnPlayClick() {
    m_paused = false;
    if (!m_playingItem && m_program == Program::Recorder && m_owner && m_owner->Recording() &&
        !DialogMessages().Ask(
            QStringLiteral("Recording in process. Playing will jam your work. Do you want to continue? "),
            this))
        return;
    const QList<QTreeWidgetItem*> selected = lvPlayList->selectedItems();
    if (selected.size() != 1) return;
    ClearRow(m_playingItem);
    m_playingItem = selected.first();
    SetMarker(m_playingItem, 1);
    PlayFile(m_playingItem->data(0, kPathRole).toString());
}

void TfrmPlayer::PlayFile(const QString& fileName) {
    tbPlaybackProgress->SetPosition(0);
    tbPlaybackProgress->setEnabled(true);
    AP->Stop();
    AF->Close();
    AF->EnableWMA(-1);
    AF->OpenRead(fileName, 0, 1);
    const QString openError = AF->GetLastError() != 0 ? AF->GetLastErrorText() : QString();
    try {
        AI->SetFileName(fileName);
        m_totalSamples = AI->GetLength();
    } catch (const std::exception&) {
        m_totalSamples = AF->GetLength();
    }
    m_playOffset = 0;
    if (!openError.isEmpty() || AF->GetLength() == 0) {
        // Nothing can be played (an empty, cut or unreadable file): the row is not left marked as
        // playing, and the user is told why.
        StopPlayback();
        DialogMessages().Tell(QStringLiteral("Unable to play %1: %2")
                                  .arg(ShownFileName(fileName),
                                       openError.isEmpty() ? QStringLiteral("it holds no audio") : openError),
                              this);
        return;
    }
    AP->SetFormat(AF->GetSampleFormat1(), AF->GetSampleFormat2());
    m_blockSamples = int(AP->MsToSamples(400));
    m_playOffset = AF->Seek(0, 3);
    AP->Play();
    PlaybackRefused();
}

// A playback the device refused to start (no device, its sound server gone, a format it does not
// take) ends as a stop does, and the user is told why instead of the row staying marked.
bool TfrmPlayer::PlaybackRefused() {
    if (AP->GetLastError() == 0) return false;
    const QString why = AP->GetLastErrorText();
    StopPlayback();
    ReportError(why, this);
    return true;
}

void TfrmPlayer::FeedPlayer() {
    if (!m_playingItem || m_paused || AF->GetLength() == 0) return;
    AP->LoadArray(AF->ReadArray(m_blockSamples));
}

void TfrmPlayer::APRequestOnLoadBlock() {
    FeedPlayer();
}

void TfrmPlayer::APEndBlockPlay() {
    FeedPlayer();
}

void TfrmPlayer::APEndPlay() {
    StopPlayback();
}

void TfrmPlayer::StopPlayback() {
    AP->Stop();
    AF->Close();
    AD->DisplayArray(AudioBlock());
    tbPlaybackProgress->setEnabled(false);
    tbPlaybackProgress->SetPosition(0);
    ClearRow(m_playingItem);
}

void TfrmPlayer::btnStopClick() {
    m_paused = false;
    StopPlayback();
}

void TfrmPlayer::btnPauseClick() {
    m_paused = !m_paused;
    if (!m_playingItem) return;
    if (m_paused) {
        m_playOffset += AP->GetPlayedSamples();
        AP->Stop();
    } else {
        AF->Seek(m_playOffset + 1, 3);
        AP->Play();
        PlaybackRefused();
    }
}

void TfrmPlayer::APTimer(int CurrentSamples, int LevelLeft, int LevelRight) {
    const int64_t s = std::max({CurrentSamples, LevelLeft, LevelRight});
    AD->DisplayArray(AP->GetDisplayArray(AD->FFTWindowsSize() * 2));
    // A file of no length shows 0 until it ends.
    const int64_t p =
        m_totalSamples > 0 ? std::min<int64_t>((s + m_playOffset) * 1000 / m_totalSamples, 1000) : 0;
    const bool held = (QApplication::mouseButtons() & Qt::LeftButton) &&
                      tbPlaybackProgress->rect().contains(tbPlaybackProgress->mapFromGlobal(QCursor::pos()));
    if (!held) tbPlaybackProgress->SetPosition(int(p));
    if (m_playingItem)
        m_playingItem->setText(4, QStringLiteral("Playing ") + GlobeVar::MSecToTimeStr(AP->SamplesToMs(s)));
}

void TfrmPlayer::tbPlaybackProgressChange() {}

void TfrmPlayer::tbPlaybackProgressMouseUp() {
    if (!m_playingItem || AF->GetLength() == 0) return;
    AP->Stop();
    const int64_t target =
        std::min<int64_t>(AF->GetLength(), INT64_MAX / 1000) * tbPlaybackProgress->Position() / 1000;
    m_playOffset = AF->Seek(target, 3);
    m_paused = false;
    AP->Play();
    if (!PlaybackRefused()) FeedPlayer();
}

// ---- volume and mute

void TfrmPlayer::tbPlaybackVolumeChange() {
    if (!m_windowReady) return;
    AP->SetVolume(65535 - tbPlaybackVolume->Position());
    if (m_level) m_level->SetVolume(65535 - tbPlaybackVolume->Position());
}

void TfrmPlayer::SwapPictures(TskImageButton* button, QLabel* image) {
    const QImage shown = button->PicNormal();
    button->SetPicNormal(image->pixmap().toImage());
    image->setPixmap(QPixmap::fromImage(shown));
    button->update();
}

void TfrmPlayer::ShowMuted(bool muted) {
    if (muted == m_muted) return;
    m_muted = muted;
    SwapPictures(btnMute, imgMute);
    if (m_windowReady) AP->SetMute(m_muted ? -1 : 0);
}

void TfrmPlayer::btnMuteClick() {
    ShowMuted(!m_muted);
    AP->SetMute(m_muted ? -1 : 0);
    if (m_level) m_level->SetMuted(m_muted);
}

void TfrmPlayer::SetOwnerWindow(TPlayerOwnerWindow* owner) {
    if (m_level) disconnect(m_level, nullptr, this, nullptr);
    m_owner = owner;
    m_level = owner ? &owner->PlaybackLevel() : nullptr;
    if (!m_level) return;
    // The main window's volume moves this slider (top = loudest; its handler hands the same value
    // back, which goes no further); its mute turns this window's state, picture and playback.
    connect(m_level, &TPlaybackLevel::VolumeChanged, this,
            [this](int volume) { tbPlaybackVolume->SetPosition(65535 - volume); });
    connect(m_level, &TPlaybackLevel::MutedChanged, this, &TfrmPlayer::ShowMuted);
}

void TfrmPlayer::tbPlaybackVolumeEnter() {
    Button1->setFocus();
}
void TfrmPlayer::tbPlaybackProgressEnter() {
    Button1->setFocus();
}

// ---- equaliser and display

void TfrmPlayer::ApplyEQPreset(int preset) {
    for (std::size_t i = 0; i < 12; ++i) {
        int position = 0;
        if (preset >= 1 && preset <= 5) position = kPresets[preset - 1][i];
        if (preset == 6) position = CustomEQ[i];
        tbEQ[i]->SetPosition(position);
    }
    SendEqualizer();
}

void TfrmPlayer::SendEqualizer() {
    std::vector<float> gains(12);
    for (std::size_t i = 0; i < 12; ++i)
        gains[i] = float(-tbEQ[i]->Position()) / 1000.0f;
    AP->SetEqualizer(gains);
}

void TfrmPlayer::SaveCustomEQ() {
    for (std::size_t i = 0; i < 12; ++i)
        CustomEQ[i] = tbEQ[i]->Position();
}

void TfrmPlayer::comboxEQModeChange() {
    if (m_eqDragging) return;
    const int index = comboxEQMode->ItemIndex();
    if (index >= 0 && index <= 4) ApplyEQPreset(index + 1);
    if (index == 5) ApplyEQPreset(0);
    if (index == 6) ApplyEQPreset(6);
}

void TfrmPlayer::tbEQ1Change() {
    if (!m_eqDragging) return;
    SaveCustomEQ();
    SendEqualizer();
    comboxEQMode->SetItemIndex(6);
}

void TfrmPlayer::tbEQ1MouseDown() {
    m_eqDragging = true;
}
void TfrmPlayer::tbEQ1MouseUp() {
    m_eqDragging = false;
}
void TfrmPlayer::tbEQ1Enter() {
    Button1->setFocus();
}

void TfrmPlayer::btnEQModeClick() {
    comboxEQMode->DropDown();
}

void TfrmPlayer::btnUseEQClick() {
    m_eqEnabled = !m_eqEnabled;
    SwapPictures(btnUseEQ, imgUseEQ);
    AP->SetEqualizerEnabled(m_eqEnabled ? -1 : 0);
}

void TfrmPlayer::plADBGResize() {
    AD->setGeometry(4, 4, plADBG->width() - 9, plADBG->height() - 9);
}

bool TfrmPlayer::eventFilter(QObject* watched, QEvent* event) {
    if (watched == plADBG && event->type() == QEvent::Resize) plADBGResize();
    return TForm::eventFilter(watched, event);
}

// ---- buttons

void TfrmPlayer::btnMailClick() {
    QTreeWidgetItem* row = SelectedRow();
    if (!row) return;
    const QStringList mail = {QStringLiteral("to="), QStringLiteral("subject=") + GlobeVar::MailSubject,
                              QStringLiteral("body=") + GlobeVar::MailBody,
                              QStringLiteral("attachment0=") + row->data(0, kPathRole).toString()};
    if (SendMail)
        SendMail(mail);
    else
        GlobeVar::SendMailByMapi(this, mail);
}

void TfrmPlayer::btnReorderClick() {
    if (m_owner) m_owner->ShowMainWindow();
}

void TfrmPlayer::btnRipperClick() {
    if (m_owner) m_owner->ShowMainWindow();
}

void TfrmPlayer::btnSplitterClick() {
    QTreeWidgetItem* row = SelectedRow();
    if (!row) {
        DialogMessages().Tell(QStringLiteral("Please select an audio file"), this);
        return;
    }
    if (m_tools.showSplitter) m_tools.showSplitter(row->data(0, kPathRole).toString());
    // The pieces written beside the file are listed.
    if (!m_playingItem && !m_convertor) RescanFolder();
}

void TfrmPlayer::btnJoinerClick() {
    if (m_tools.showJoiner) m_tools.showJoiner(STV->SelectedFolder());
    if (!m_playingItem && !m_convertor) RescanFolder();
}

void TfrmPlayer::btnOptionsClick() {
    if (m_tools.showOptions) m_tools.showOptions();
}

void TfrmPlayer::btnAboutClick() {
    if (m_tools.showAbout) m_tools.showAbout();
}

void TfrmPlayer::btnHelpClick() {
    Shell(GlobeVar::AppPath + (m_program == Program::Ripper ? QStringLiteral("Duzivuz3Help.html")
                                                            : QStringLiteral("VidezevaHelp.html")));
}

void TfrmPlayer::btnHomeClick() {
    Shell(SuiteHomeAddress(GlobeVar::AppPath));
}

void TfrmPlayer::btnFolderClick() {
    Shell(GlobeVar::ConvertSaveToOriginal ? STV->SelectedFolder() : GlobeVar::ConvertOutputPath);
}

void TfrmPlayer::btnRecorderClick() {
    // The recorder beside the ripper; when it is not there nothing happens.
    const QString recorder = GlobeVar::AppPath + QStringLiteral("Videzeva");
    if (QFileInfo(recorder).isExecutable()) Shell(recorder);
}

void TfrmPlayer::btnPlayerCloseClick() {
    close();
}
