#pragma once

#include "platform/Form.h"
#include "recorder/Main.h"
#include "tools/PlayerOwner.h"

#include <QString>

#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

class QLabel;
class QTreeWidgetItem;
class TAudioFile2;
class TAudioFile2LameEnc;
class TAudioInformation2;
class TConvertor;
class TListView;
class TShellTreeView;

// The player window: a folder tree, the play list of the chosen folder, and the conversion of one
// file of the list at a time into another format.
//
// Rows are followed by their item, never by their index, so deleting or sorting rows never moves
// the conversion's progress to another row; every row keeps its file's full path.
class TfrmPlayer : public TForm, public Videzeva::TRecorderPlayerWindow {
    Q_OBJECT
public:
    explicit TfrmPlayer(QWidget* owner = nullptr);
    ~TfrmPlayer() override;

    // Calls of the recorder's main window.
    // Appends a row for `fileName` when it lies in the folder shown (a file of another folder is
    // not listed there); `marked` marks a recording of this run (marker 4).
    void AddFileToList(const QString& fileName, bool marked) override;
    void SyncPlaybackVolume(int volume) override;
    void ToggleMuteGlyph() override;
    // Index of the row being converted, -1 when none.
    int ConvertingRow() const override;
    void CancelConversion() override;
    void ShowPlayer() override;
    void HidePlayer() override;
    // The main window the player keeps in step with (volume, mute) and switches back to.
    void SetOwnerWindow(TPlayerOwnerWindow* owner) { m_owner = owner; }

    // The folder scan: reads CurrentFolder's audio files on a worker thread; rows arrive in folder
    // order while the window stays live. A tree click during a scan restarts it.
    void ScanFolder();
    void SortPlayList();
    void RescanFolder();
    bool ScanRunning() const { return m_scanRunning; }
    QString CurrentFolder() const { return m_currentFolder; }

    // Starts converting the selected row into `word` ("WAV", "MP3", "OGG", "WMA").
    void ConvertFile(const QString& word);
    bool Converting() const { return m_convertor != nullptr; }
    // The last message the window showed (also shown in a message box).
    QString LastMessage;
    // Message boxes are not shown when false (the text still goes to LastMessage).
    bool ShowMessages = true;

public Q_SLOTS:
    void STVClick();
    void lvPlayListClick();
    void lvPlayListColumnClick(int column);
    void muConverttoWAVClick();
    void muConverttoMP3Click();
    void muConverttoOGGClick();
    void muConverttoWMAClick();
    void muCancelConvertionClick();
    // Starts editing the selected row's caption; the edit ends in RenameRow.
    void muRenameClick();
    // Deletes the selected row's file; the row goes only when the file did.
    void muDeleteClick();

public:
    // Renames the file of `item` to `newName` (its extension becomes the old one's). Refuses a name
    // with "/" or NUL, an empty name and an existing target; on failure the row keeps the old name
    // and the window says why. True when the file was renamed.
    bool RenameRow(QTreeWidgetItem* item, const QString& newName);

protected:
    void FormShow() override;
    void FormClose() override;
    void customEvent(QEvent* event) override;

private:
    QTreeWidgetItem* AddRow(const QString& fullPath, const QString& duration, int64_t size, int marker);
    void ConversionFinished();
    void StopScan();
    void Say(const QString& text);
    void SetMarker(QTreeWidgetItem* item, int marker);

    TShellTreeView* STV;
    TListView* lvPlayList;
    QLabel* Label1;
    TAudioInformation2* AI;
    TAudioFile2* AF_In;
    TAudioFile2* AF_Out;
    TAudioFile2LameEnc* AudioFile2LameEnc1;

    QString m_currentFolder;
    int m_sortColumn = 0;
    bool m_scanRunning = false;
    bool m_rescanRequested = false;
    unsigned m_scanGeneration = 0;
    std::shared_ptr<std::atomic<bool>> m_scanCancel;
    std::thread m_scanThread;

    QString m_sourceFile;
    QString m_targetFile;
    QTreeWidgetItem* m_convertingItem = nullptr;
    bool m_cancelRequested = false;
    QTreeWidgetItem* m_renamingItem = nullptr;
    std::unique_ptr<TConvertor> m_convertor;
    TPlayerOwnerWindow* m_owner = nullptr;
};
