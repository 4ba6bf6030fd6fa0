#pragma once

#include "platform/PendingFile.h"
#include "tools/FolderScan.h"
#include "tools/ToolForm.h"

#include <QDateTime>
#include <QSet>
#include <QString>
#include <QStringList>

#include <atomic>
#include <cstdint>
#include <deque>
#include <memory>
#include <thread>
#include <vector>

class QLabel;
class QTimer;
class QTreeWidgetItem;
class TAudioFile2;
class TAudioFile2LameEnc;
class TAudioInformation2;
class TAudioPlayer2;
class TJoinerThread;
class TListView;
class TShellTreeView;
class TskComboBox;
class TskImageButton;

// The merge output for the extension `ext` at the time `now`, from the joiner settings:
// JoinPreName, the date (with JoinUseDate) and time, JoinPosName, in JoinOutputPath. Unless
// JoinOverwrite is set, " New" is appended before the extension while such a file exists.
QString JoinerOutputName(const QString& ext, const QDateTime& now);

// Seconds of a duration text laid out as "HH : MM : SS" (hours, minutes and seconds at fixed
// places; a longer hour count is read in full).
int DurationToSeconds(const QString& text);

// The joiner window: a folder tree and the audio files of the chosen folder, a join list whose
// ticked files are merged in order into one file of the chosen format, a preview of one file, and
// a two-line information strip (the chosen file's format, then the list's summary or the merge's
// progress). The merge runs on a TJoinerThread; the window only follows its progress messages.
//
// The player window shows it with ShowForFolder (modally) and reads its folder again once it
// returns.
class TfrmJoiner : public TToolForm {
    Q_OBJECT
public:
    explicit TfrmJoiner(QWidget* owner = nullptr);
    ~TfrmJoiner() override;

    // Points the folder tree at `folder` and shows the window modally; returns when it has closed.
    int ShowForFolder(const QString& folder);

    void ScanFolder();
    bool IsInJoinList(const QString& fullPath) const;
    void SwapRows(int a, int b);
    QString BuildInfoText() const;
    void StartPreview(const QString& fileName);
    void StopPreview();
    void FeedPlayer();
    void StartMerge();
    void MergeFinished();

    bool ScanRunning() const { return m_scan.Running(); }
    // True while rows chosen by Add or Add all are still being put into the join list.
    bool AddingRows() const { return !m_pendingRows.empty(); }
    bool Merging() const { return RunActive(); }
    QString CurrentFolder() const { return m_currentFolder; }
    QString OutputFile() const { return m_outputFile; }
    QString InfoLine(int line) const;
    int InfoY() const { return m_infoY; }

public Q_SLOTS:
    void STVClick();
    void lvFolderListClick();
    void lvFolderListColumnClick(int column);
    void lvJoinListClick();
    void lvJoinListMouseDown();
    void btnAddClick();
    void btnAddAllClick();
    void btnRemoveClick();
    void btnRemoveAllClick();
    void btnFirstClick();
    void btnLastClick();
    void btnUpClick();
    void btnDownClick();
    void btnStartMergeClick();
    void btnCancelMergeClick();
    void btnOutputFormatClick();
    void btnPlayClick();
    void btnStopClick();
    void btnFolderClick();
    void btnOptionsClick();
    void btnHelpClick();
    void btnJoinerCloseClick();
    void tmShowInfoTimer();
    void APEndArrayPlay();
    void APRequestOnLoadArray();
    void APEndPlay();

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormClose() override;
    bool eventFilter(QObject* watched, QEvent* event) override;
    void SetRunStatus(int row, const QString& text) override;
    int RunRowCount() const override;
    void RunProgress(int entry, int percent) override;

private:
    void AddRows(bool all);
    void AddPendingRows(bool all);
    void DeleteRemovedRows();
    void ListChanged();
    void ShowDescription(const QString& fileName);
    void MoveSelected(bool toFront);
    void SortFolderList();
    int InfoCentre() const;

    TShellTreeView* STV;
    TListView* lvFolderList;
    TListView* lvJoinList;
    TskImageButton *btnAdd, *btnAddAll, *btnRemove, *btnRemoveAll, *btnFirst, *btnLast, *btnUp, *btnDown,
        *btnStartMerge, *btnCancelMerge, *btnOutputFormat, *btnPlay, *btnStop;
    TskComboBox* comboxJoinOutputFormat;
    QWidget* pbInfo;
    QLabel* Label1;
    QLabel* Label2;
    QTimer* tmShowInfo;
    TAudioInformation2* AI;
    TAudioPlayer2* AP;
    TAudioFile2* AF;
    TAudioFile2* AF_IN;
    TAudioFile2* AF_OUT;
    TAudioFile2LameEnc* AudioFile2LameEnc1;

    QString m_currentFolder;
    bool m_rescanRequested = false;
    TFolderScan m_scan;
    int m_sortColumn = 0;
    QString m_previewFile;
    int m_infoRow = -1;
    uint32_t m_infoStartTick = 0;
    int m_infoY = 0;
    int m_blockSamples = 0;
    int64_t m_fedSamples = 0;
    bool m_previewing = false;
    std::vector<int> m_mergeRows;
    // Rows of the folder list chosen by Add and Add all, read and put into the join list a slice at
    // a time (a few milliseconds of work each turn of the event loop), so that adding any number of
    // rows keeps the window responsive. They are read before the folder list is emptied.
    std::deque<QTreeWidgetItem*> m_pendingRows;
    QTimer* m_addTimer = nullptr;
    // The file of every row of the join list: each file is listed once, found without a walk over
    // the list.
    QSet<QString> m_joinPaths;
    // Rows "Remove all" took out of the join list, deleted a slice at a time.
    std::vector<std::unique_ptr<QTreeWidgetItem>> m_removedRows;
    QString m_outputFile;
    TPendingFile m_output; // the output while it is written; goes after the thread that writes it
    std::unique_ptr<TJoinerThread> m_mergeThread;
};
