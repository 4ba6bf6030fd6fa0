#include "tools/Player.h"

#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/WindowMessages.h"
#include "recorder/DialogControls.h"
#include "recorder/GlobeVar.h"
#include "tools/Convertor.h"

#include <QDir>
#include <QFileInfo>
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

// The duration of a file as the list shows it; empty when the file cannot be analysed.
QString DurationText(TAudioInformation2& info, const QString& file) {
    try {
        info.SetFileName(file);
        return GlobeVar::MSecToTimeStr(info.GetDuration());
    } catch (const std::exception&) {
        return {};
    }
}

} // namespace

TfrmPlayer::TfrmPlayer(QWidget* owner) : TForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Videzeva/Player.form"));
    STV = FormChild<TShellTreeView>(this, QStringLiteral("STV"));
    lvPlayList = FormChild<TListView>(this, QStringLiteral("lvPlayList"));
    Label1 = FormChild<QLabel>(this, QStringLiteral("Label1"));
    AI = FormChild<TAudioInformation2>(this, QStringLiteral("AI"));
    AF_In = FormChild<TAudioFile2>(this, QStringLiteral("AF_In"));
    AF_Out = FormChild<TAudioFile2>(this, QStringLiteral("AF_Out"));
    AudioFile2LameEnc1 = FormChild<TAudioFile2LameEnc>(this, QStringLiteral("AudioFile2LameEnc1"));
    setMinimumSize(200, 50);
    setMaximumSize(1024, 738);
    // The tree is read once per folder opened; it follows no later change on its own.
    connect(STV, &QTreeView::clicked, this, &TfrmPlayer::STVClick);
    connect(lvPlayList, &QTreeWidget::itemChanged, this, [this](QTreeWidgetItem* item, int column) {
        if (column != 0 || item != m_renamingItem) return;
        m_renamingItem = nullptr;
        item->setFlags(item->flags() & ~Qt::ItemIsEditable);
        RenameRow(item, item->text(0));
    });
    AF_In->EnableWMA(-1);
    AF_Out->EnableWMA(-1);
}

TfrmPlayer::~TfrmPlayer() {
    StopScan();
    if (m_convertor) {
        CancelConversion();
        m_convertor->WaitFor();
        ConversionFinished();
    }
}

void TfrmPlayer::FormShow() {
    QString folder = GlobeVar::OutputPath;
    if (folder.isEmpty() || !QFileInfo(folder).isDir()) folder = QDir::homePath();
    STV->SelectFolder(folder);
    STVClick();
}

void TfrmPlayer::FormClose() {
    // The worker is joined before the components go; the partial target is deleted.
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

void TfrmPlayer::SyncPlaybackVolume(int volume) {
    (void)volume;
}

void TfrmPlayer::ToggleMuteGlyph() {}

void TfrmPlayer::Say(const QString& text) {
    LastMessage = text;
    if (ShowMessages) ShowMessage(text, this);
}

// ---- rows

QTreeWidgetItem* TfrmPlayer::AddRow(const QString& fullPath, const QString& duration, int64_t size,
                                    int marker) {
    auto* item = new QTreeWidgetItem(lvPlayList);
    item->setText(0, QFileInfo(fullPath).fileName());
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
    const QFileInfo info(fileName);
    if (!info.isFile()) return;
    AddRow(info.absoluteFilePath(), DurationText(*AI, fileName), info.size(), marked ? 4 : 0);
}

int TfrmPlayer::ConvertingRow() const {
    return m_convertingItem ? lvPlayList->indexOfTopLevelItem(m_convertingItem) : -1;
}

// ---- folder scan

void TfrmPlayer::STVClick() {
    if (m_scanRunning) {
        // The running scan stops and starts over on the folder chosen now.
        m_rescanRequested = true;
        if (m_scanCancel) m_scanCancel->store(true);
        return;
    }
    if (!m_convertor) {
        ScanFolder();
        return;
    }
    if (WithSlash(STV->SelectedFolder()) != m_currentFolder)
        Say(QStringLiteral("You will not be able to change folder while playing or converting."));
}

void TfrmPlayer::RescanFolder() {
    m_currentFolder.clear();
    ScanFolder();
}

void TfrmPlayer::StopScan() {
    if (m_scanCancel) m_scanCancel->store(true);
    if (m_scanThread.joinable()) m_scanThread.join();
}

void TfrmPlayer::ScanFolder() {
    const QString folder = WithSlash(STV->SelectedFolder());
    m_sortColumn = 0;
    if (folder.isEmpty() || folder == m_currentFolder) return;
    StopScan();
    m_scanRunning = true;
    m_currentFolder = folder;
    m_convertingItem = nullptr;
    lvPlayList->clear();
    const unsigned generation = ++m_scanGeneration;
    auto cancel = std::make_shared<std::atomic<bool>>(false);
    m_scanCancel = cancel;
    // Every file is analysed on the worker; each row reaches the list as a queued call, in the
    // folder's order, so the window never waits for a file.
    m_scanThread = std::thread([this, folder, generation, cancel] {
        TAudioInformation2 info;
        const QFileInfoList entries =
            QDir(folder).entryInfoList(QDir::Files | QDir::Hidden | QDir::System, QDir::Name);
        for (const QFileInfo& entry : entries) {
            if (cancel->load()) break;
            const QString path = entry.absoluteFilePath();
            if (GlobeVar::GetAudioFormat(path).isEmpty()) continue;
            const QString duration = DurationText(info, path);
            const int64_t size = entry.size();
            RunOnUiThread(this, [this, generation, path, duration, size] {
                if (generation == m_scanGeneration) AddRow(path, duration, size, 0);
            });
        }
        RunOnUiThread(this, [this, generation] {
            if (generation != m_scanGeneration) return;
            if (m_scanThread.joinable()) m_scanThread.join();
            m_scanRunning = false;
            if (m_rescanRequested) {
                // The list is partial: whatever folder is chosen now is read again.
                m_rescanRequested = false;
                m_currentFolder.clear();
                STVClick();
                return;
            }
            SortPlayList();
        });
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
    const QString failure = PrepareConversion(*AF_In, *AF_Out, m_sourceFile, m_targetFile);
    if (!failure.isEmpty()) {
        // Nothing started: the window stays idle.
        Say(failure);
        return;
    }
    m_convertingItem = item;
    m_cancelRequested = false;
    m_convertor = std::make_unique<TConvertor>(AF_In, this, AF_Out, [this] { ConversionFinished(); });
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
    const QString message = FinishConversion(*m_convertor, m_cancelRequested, m_targetFile);
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
    }
    if (!message.isEmpty()) {
        Say(message);
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
    m_renamingItem = item;
    item->setFlags(item->flags() | Qt::ItemIsEditable);
    lvPlayList->editItem(item, 0);
}

bool TfrmPlayer::RenameRow(QTreeWidgetItem* item, const QString& newName) {
    const QString oldPath = item->data(0, kPathRole).toString();
    const QFileInfo oldInfo(oldPath);
    const QString oldName = oldInfo.fileName();
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
    if (reason.isEmpty() && name != oldName) {
        // Never over an existing file: the kernel refuses instead of replacing it.
        if (::renameat2(AT_FDCWD, QFile::encodeName(oldPath).constData(), AT_FDCWD,
                        QFile::encodeName(newPath).constData(), RENAME_NOREPLACE) != 0)
            reason = errno == EEXIST ? QStringLiteral("%1 exists already").arg(name)
                                     : QString::fromLocal8Bit(std::strerror(errno));
    }
    const QSignalBlocker blocker(lvPlayList);
    if (!reason.isEmpty()) {
        item->setText(0, oldName);
        Say(QStringLiteral("Unable to rename %1: %2").arg(oldPath, reason));
        return false;
    }
    item->setText(0, name);
    item->setData(0, kPathRole, newPath);
    return true;
}

void TfrmPlayer::muDeleteClick() {
    QTreeWidgetItem* item = lvPlayList->currentItem();
    if (!item) return;
    const int marker = GlobeVar::CountBlanks(item->text(2));
    if (marker == 1 || marker == 3 || item == m_convertingItem) return;
    const QString path = item->data(0, kPathRole).toString();
    QFile file(path);
    if (!file.remove()) {
        Say(QStringLiteral("Unable to delete %1: %2").arg(path, file.errorString()));
        return;
    }
    delete item;
}
