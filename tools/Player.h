#pragma once

#include "platform/Form.h"
#include "platform/PendingFile.h"
#include "tools/FolderScan.h"
#include "tools/PlaybackLevel.h"
#include "tools/PlayerOwner.h"

#include <QPointer>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <thread>

class QAction;
class QLabel;
class QTreeWidgetItem;
class QWidget;
class TAudioDisplay2;
class TAudioFile2;
class TAudioFile2LameEnc;
class TAudioInformation2;
class TAudioPlayer2;
class TConvertor;
class TListView;
class TShellTreeView;
class TskComboBox;
class TskImageButton;
class TskPopupMenu;
class TskSkinForm;
class TskTrackBar;

// The equaliser positions the user set by dragging (bands 1..11, then the preamp); kept for the
// life of the program, never saved.
extern std::array<int, 12> CustomEQ;
// True from the creation of the first player window until the program ends.
extern bool PlayerAlive;

// How the player's tool buttons show their windows (each modally): the splitter gets the selected
// file, the joiner the folder shown. A button whose window is not given does nothing (the ripper's
// player has no splitter or joiner, the recorder's no about box).
struct TPlayerToolWindows {
    std::function<void(const QString& file)> showSplitter;
    std::function<void(const QString& folder)> showJoiner;
    std::function<void()> showOptions;
    std::function<void()> showAbout;
};

// The player window: a folder tree, the play list of the chosen folder, playback with a progress
// bar, volume, mute, an equaliser and a display, and the conversion of one file of the list at a
// time into another format. The recorder and the ripper each have one, from their own description.
//
// Rows are followed by their item, never by their index, so deleting or sorting rows never moves
// the playback's or the conversion's progress to another row; every row keeps its file's full path.
class TfrmPlayer : public TForm, public Videzeva::TRecorderPlayerWindow {
    Q_OBJECT
public:
    enum class Program { Recorder, Ripper };
    explicit TfrmPlayer(QWidget* owner = nullptr, Program program = Program::Recorder);
    ~TfrmPlayer() override;

    // Calls of the main window.
    // Appends a row for `fileName` when it lies in the folder shown (a file of another folder is
    // not listed there); `marked` marks a recording of this run (marker 4).
    void AddFileToList(const QString& fileName, bool marked) override;
    // Index of the row being converted, -1 when none.
    int ConvertingRow() const override;
    void CancelConversion() override;
    void ShowPlayer() override;
    void HidePlayer() override;
    // The main window the player keeps in step with (its playback level: volume, mute) and switches
    // back to.
    void SetOwnerWindow(TPlayerOwnerWindow* owner);
    // How the Splitter, Joiner, Options and About buttons show their windows.
    void SetToolWindows(TPlayerToolWindows tools) { m_tools = std::move(tools); }

    // The folder scan: reads CurrentFolder's audio files on a worker thread; rows arrive in folder
    // order while the window stays live. A tree click during a scan restarts it.
    void ScanFolder();
    void SortPlayList();
    void RescanFolder();
    bool ScanRunning() const { return m_scan.Running(); }
    QString CurrentFolder() const { return m_currentFolder; }
    // Index of the row being played, -1 when none.
    int PlayingRow() const;
    bool Paused() const { return m_paused; }
    bool Muted() const { return m_muted; }
    bool EQEnabled() const { return m_eqEnabled; }

    // Plays `fileName` from the progress slider's position (0 here: from the start).
    void PlayFile(const QString& fileName);
    // Starts converting the selected row into `word` ("WAV", "MP3", "OGG", "WMA").
    void ConvertFile(const QString& word);
    bool Converting() const { return m_convertor != nullptr; }
    // Preset 0 flat, 1..5 Pop, Disco, Background, Movie, News, 6 the custom positions.
    void ApplyEQPreset(int preset);
    void SendEqualizer();
    void SaveCustomEQ();

    // Opens folders, pages and programs (the shell by default).
    std::function<bool(const QString&)> OpenInShell;
    // Hands a mail to the mail program (the desktop's by default).
    std::function<void(const QStringList&)> SendMail;

public Q_SLOTS:
    void STVClick();
    void lvPlayListClick();
    void lvPlayListColumnClick(int column);
    void popMenuConvertPopup();
    void muConverttoWAVClick();
    void muConverttoMP3Click();
    void muConverttoOGGClick();
    void muConverttoWMAClick();
    void muCancelConvertionClick();
    // Starts editing the selected row's caption; the edit ends in RenameRow.
    void muRenameClick();
    // Deletes the selected row's file; the row goes only when the file did.
    void muDeleteClick();
    void muMailClick();
    void btnPlayClick();
    void btnPauseClick();
    void btnStopClick();
    void btnMuteClick();
    void btnMailClick();
    void btnReorderClick();
    void btnSplitterClick();
    void btnJoinerClick();
    void btnOptionsClick();
    void btnHelpClick();
    void btnHomeClick();
    void btnFolderClick();
    void btnPlayerCloseClick();
    void btnRipperClick();
    void btnRecorderClick();
    void btnAboutClick();
    void tbPlaybackProgressChange();
    void tbPlaybackProgressMouseUp();
    void tbPlaybackProgressEnter();
    void tbPlaybackVolumeChange();
    void tbPlaybackVolumeEnter();
    void comboxEQModeChange();
    void btnEQModeClick();
    void btnUseEQClick();
    void tbEQ1Change();
    void tbEQ1MouseDown();
    void tbEQ1MouseUp();
    void tbEQ1Enter();
    void plADBGResize();
    void APRequestOnLoadBlock();
    void APEndBlockPlay();
    void APEndPlay();
    void APTimer(int CurrentSamples, int LevelLeft, int LevelRight);

public:
    // Renames the file of `item` to `newName` (its extension becomes the old one's).
    // Refuses a name with "/" or NUL, an empty name and an existing target; on failure the
    // row keeps the old name and the window says why. True when the file was renamed.
    bool RenameRow(QTreeWidgetItem* item, const QString& newName);

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormCloseQuery(bool& canClose) override;
    void FormClose() override;
    void customEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QTreeWidgetItem* AddRow(const QString& fullPath, const QString& duration, int64_t size, int marker);
    QTreeWidgetItem* SelectedRow() const;
    void ConversionFinished();
    void StopPlayback();
    bool PlaybackRefused();
    void FeedPlayer();
    void ClearRow(QTreeWidgetItem*& item);
    void SetMarker(QTreeWidgetItem* item, int marker);
    void SwapPictures(TskImageButton* button, QLabel* image);
    // The mute state, its button's picture and (once the window is ready) this window's playback.
    void ShowMuted(bool muted);
    bool Shell(const QString& target);

    Program m_program;
    TShellTreeView* STV;
    TListView* lvPlayList;
    QLabel* Label1;
    QLabel* imgMute;
    QLabel* imgUseEQ;
    QWidget* plADBG;
    QWidget* Button1;
    TskSkinForm* skSkinForm1;
    TskTrackBar* tbPlaybackProgress;
    TskTrackBar* tbPlaybackVolume;
    std::array<TskTrackBar*, 12> tbEQ{};
    TskComboBox* comboxEQMode;
    TskImageButton* btnMute;
    TskImageButton* btnUseEQ;
    TskPopupMenu* popMenuConvert;
    TAudioDisplay2* AD;
    TAudioPlayer2* AP;
    TAudioFile2* AF;
    TAudioInformation2* AI;
    TAudioFile2* AF_In;
    TAudioFile2* AF_Out;
    TAudioFile2LameEnc* AudioFile2LameEnc1;

    TPlayerOwnerWindow* m_owner = nullptr;
    QPointer<TPlaybackLevel> m_level; // the owner's
    TPlayerToolWindows m_tools;

    QString m_currentFolder;
    int m_sortColumn = 0;
    bool m_rescanRequested = false;
    TFolderScan m_scan;

    QTreeWidgetItem* m_playingItem = nullptr;
    int64_t m_playOffset = 0;
    int64_t m_totalSamples = 0;
    int m_blockSamples = 0;
    bool m_paused = false;
    bool m_muted = false;
    bool m_eqEnabled = true;
    bool m_eqDragging = false;
    bool m_windowReady = false;

    QString m_sourceFile;
    QString m_targetFile;
    TPendingFile m_targetOutput; // the target while it is written
    QTreeWidgetItem* m_convertingItem = nullptr;
    bool m_cancelRequested = false;
    QTreeWidgetItem* m_renamingItem = nullptr;
    // The row being renamed is no longer editable.
    void EndRename();
    std::unique_ptr<TConvertor> m_convertor;
};
