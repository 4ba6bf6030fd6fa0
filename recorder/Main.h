#pragma once

#include "components/AudioBlock.h"
#include "platform/Form.h"
#include "recorder/Options.h"
#include "recorder/OptionsFile.h"
#include "recorder/Schedule.h"
#include "tools/PlaybackLevel.h"
#include "tools/PlayerOwner.h"

#include <QDateTime>
#include <QFile>
#include <QList>
#include <QPointer>

#include <memory>

class QLabel;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TAudioFile2;
class TAudioFile2LameEnc;
class TAudioInformation2;
class TAudioPlayer2;
class TAudioRecord2;
class TAudioVisualization2;
class THotkeyDetector;
class TMyAmpBar;
class TWMAFile2;
class TskButton;
class TskCheckBox;
class TskComboBox;
class TskImageButton;
class TskRadioButton;
class TskSkinForm;
class TskTrackBar;

namespace Videzeva {

// The recorder's main window: chooses the capture device and input line, records the line block by
// block into a WAV, MP3, OGG or WMA file named from the settings, shows two level meters and a
// spectrum view, stops by itself after silence or a time limit, lists the recordings of this run,
// plays one back and mails one after it is stopped.
class TfrmMain : public TForm,
                 public TOptionsMainWindow,
                 public TScheduleRecorder,
                 public TPlayerOwnerWindow {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* owner = nullptr);
    ~TfrmMain() override;

    // The windows the main window works with (the program creates them after this one).
    void SetOptionsWindow(TfrmOptions* options) { m_options = options; }
    // The program's settings file, whose "Device" keys and "Selected" the first show reads
    // (without one, the window keeps an object of its own for it).
    void SetSettingsFile(TSettingsFile* settings) { m_settings.Set(settings); }
    void SetPlayerWindow(TRecorderPlayerWindow* player) { m_player = player; }

    void StartRecording();
    void PlayRecording(const QString& fileName);

    // TPlayerOwnerWindow: what the player window asks of this one.
    TPlaybackLevel& PlaybackLevel() override { return m_level; }
    void ShowMainWindow() override;
    QString FileBeingRecorded() const override { return m_recording ? m_recordFileName : QString(); }
    QStringList RecordingsOfThisRun() const override;

    // TScheduleRecorder and the hot-key message start and stop through these.
    bool Recording() const override { return m_recording; }
    bool Playing() const { return m_playing; }
    bool Paused() const { return m_paused; }
    QString RecordFileName() const { return m_recordFileName; }
    TScheduleTimer* ScheduleTimer() const { return tmSchedule; }

    // TOptionsMainWindow.
    TAudioRecord2* CaptureComponent() override { return AR; }
    QString InputLineText() const override;
    int SelectedFormat() const override;
    void SelectInputLine(const QString& savedLineName) override;
    bool SettingsShown() const override { return WindowReady; }

    // The tick count the silence and time limits read (a test puts in its own clock).
    void SetTickSource(std::function<uint32_t()> ticks) { m_ticks = std::move(ticks); }
    // The local date and time a recording's start reads for its file name and row (a test puts in
    // its own clock).
    void SetClock(std::function<QDateTime()> clock) { m_clock = std::move(clock); }

public Q_SLOTS:
    void btnRecordClick() override;
    void btnStopClick() override;
    void btnMailClick();
    void btnPauseClick();
    void btnPlayClick();
    void btnFolderClick();
    void btnOptionsClick();
    void btnPlayerClick();
    void btnHelpClick();
    void btnRecordFromClick();
    void btnAppMinClick();
    void btnAppCloseClick();
    void comboxSourceChange();
    void cboxRNoiseClick();
    void cboxMuteClick();
    void cboxMuteMouseUp();
    void tbRecordVolumeChange();
    void tbPlaybackVolumeChange();
    void tbPlaybackProgressMouseUp();
    void lvRecordListClick();
    // Whether the recordings list may change its selection (not while recording).
    bool lvRecordListChanging() const { return SelectionUnlocked; }
    void rbOutputEnter();
    void FocusToButton1();
    void tmSizeTimer();
    void AREndBlockRecord();
    void ARTimer(int CurrentSamples, int LevelLeft, int LevelRight);
    void ARRecordFailed(const QString& Reason);
    void APRequestOnLoadArray();
    void APEndArrayPlay();
    void APEndPlay();
    void APTimer(int CurrentSamples, int LevelLeft, int LevelRight);

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormCloseQuery(bool& canClose) override;
    void FormClose() override;
    void FormDestroy() override;
    void customEvent(QEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    QString PrepareOutput();
    void SetNoiseFilters();
    void StopPlayback();
    bool PlaybackRefused();
    void FeedPlayer();
    void ClearDisplays();
    void PlaySelectedRow(bool showFormat);
    QTreeWidgetItem* LastRow() const;
    uint32_t Ticks() const;
    QString Shortened(const QString& path) const;
    void ReportRecordingFailure(const QString& text);
    void EndFailedRecording(const QString& text);

    // Controls and components of the form description.
    QLabel* titleMain;
    QLabel* Label1;
    QLabel* Label2;
    QLabel* Label3;
    QLabel* imgLT;
    QLabel* imgRT;
    QLabel* imgLD;
    QLabel* imgRD;
    QLabel* plSide;
    QWidget* plVisualizationBG;
    TskComboBox* comboxSource;
    TskRadioButton* rbOutputWav;
    TskRadioButton* rbOutputMp3;
    TskRadioButton* rbOutputOgg;
    TskRadioButton* rbOutputWma;
    TskCheckBox* cboxRNoise;
    TskCheckBox* cboxMute;
    TskTrackBar* tbRecordVolume;
    TskTrackBar* tbPlayBackVolume;
    TskTrackBar* tbPlaybackProgress;
    TskImageButton* btnRecord;
    TskImageButton* btnMail;
    TskImageButton* btnPlay;
    TskImageButton* btnPause;
    TskImageButton* btnStop;
    QTreeWidget* lvRecordList;
    QTreeWidget* lvRecordListShadow;
    TskButton* Button1;
    QTimer* tmSize;
    TskSkinForm* skSkinForm1;
    TAudioRecord2* AR;
    TAudioFile2* AF2;
    TAudioFile2* AF1;
    TAudioFile2LameEnc* AudioFile2LameEnc1;
    TWMAFile2* AWF;
    TAudioInformation2* AI;
    TAudioPlayer2* AP;
    TAudioVisualization2* AV;
    TScheduleTimer* tmSchedule = nullptr;
    TMyAmpBar* LeftMeter = nullptr;
    TMyAmpBar* RightMeter = nullptr;
    std::unique_ptr<THotkeyDetector> HotkeyThread;

    // Window state.
    bool m_recording = false;
    bool m_playing = false;
    bool m_paused = false;
    bool MailAfterStop = false;
    bool SelectionUnlocked = true;
    bool WindowReady = false;
    QString m_recordFileName;
    QFile SizeHandle;
    int64_t StartTick = 0;
    int64_t SilenceStartTick = 0;
    QDateTime LastStartTime;
    int BlockSamples = 0;
    int64_t PlayOffset = 0;
    int PlayingRow = -1;
    int64_t TotalSamples = 0;
    QList<int> DeviceIndexes;
    QList<int> LineIndexes;
    int OutputLineIndex = 0;
    bool m_writeFailed = false;

    QPointer<TfrmOptions> m_options;
    TSettingsFileLink m_settings;
    TRecorderPlayerWindow* m_player = nullptr;
    // The playback volume and mute the player window keeps in step with.
    TPlaybackLevel m_level;
    std::function<uint32_t()> m_ticks;
    std::function<QDateTime()> m_clock;
};

} // namespace Videzeva
