#pragma once

#include "common/SettingsFile.h"
#include "platform/Form.h"
#include "ripper/Options.h"
#include "ripper/RProgress.h"
#include "ripper/RipJob.h"
#include "tools/PlaybackLevel.h"
#include "tools/PlayerOwner.h"

#include <QPointer>
#include <QString>
#include <QStringList>

class QComboBox;
class QLabel;
class QLineEdit;
class QPlainTextEdit;
class QTimer;
class QTreeWidget;
class QTreeWidgetItem;
class TAudioCDGrabber2;
class TAudioFile2;
class TAudioFile2LameEnc;
class TAudioInformation2;
class TAudioPlayer2;
class TFreeDBInformation2;
class TskBuiltInFileTheme;
class TskButton;
class TskCheckBox;
class TskFileTheme;
class TskSkinForm;
class TskTrackBar;

namespace Videzeva {
class TRecorderPlayerWindow;
}

namespace Duzivuz {

// The ripper's main window: the drive list, the disc's track list with the texts each track is
// tagged with, the title lookup, and the rip of the checked tracks into files.
class TfrmMain : public TForm, public TPlayerOwnerWindow, public TRipProgressOwner, public TRipView {
    Q_OBJECT
public:
    explicit TfrmMain(QWidget* owner = nullptr);
    ~TfrmMain() override;

    // The progress window the rip shows (owned elsewhere; none: the rip shows no progress).
    void SetProgressWindow(TfrmRProgress* window) { m_progress = window; }
    void SetOptionsWindow(TfrmOptions* window) { m_options = window; }
    void SetAboutWindow(TForm* window) { m_about = window; }
    // The program's settings file: the first show reads "RSettings" from it, the close puts the
    // section back in, written with the rest at exit (without one, the window keeps an object of
    // its own for it, written when the window goes).
    void SetSettingsFile(TSettingsFile* settings) { m_settings.Set(settings); }
    // The player window, whose volume slider and mute box this window keeps in step with its own.
    void SetPlayerWindow(Videzeva::TRecorderPlayerWindow* player) { m_player = player; }
    // The lookup object the options window fills.
    TFreeDBInformation2* LookupObject() const { return FreeDBInfo; }
    // The theme the ripper's dialogs take for their frames and title bars (themeNew2: graphite with
    // the warm accent).
    TskFileTheme* DialogTheme() const;

    void EnableControls(bool Enabled);
    void EnableTagEdits(bool Enabled);
    int CountCheckedRows() const;
    void RefreshDisc();
    void FillTrackList();
    void CancelRip() override;
    // A track is being grabbed or tagged.
    bool Busy() const override { return m_rip->Busy(); }
    // A rip is running (Extract until its end).
    bool Ripping() const { return m_rip->Running(); }
    TRipJob* RipJob() const { return m_rip; }

    // The playback line of the player's device: the first that is a playback line (the first line
    // when none is); the volume slider shows its volume and it is unmuted.
    void ChoosePlaybackLine();
    // The playback volume and mute the player window keeps in step with: the player's volume moves
    // this window's slider, its mute the mute box and this window's playback.
    TPlaybackLevel& PlaybackLevel() override { return m_level; }
    // The player's switch back to this window.
    void ShowMainWindow() override;

    // The preview of the selected track, read from the disc and played through AP.
    void StartPreview();
    void StopPreview();
    void FeedPreview();
    bool Previewing() const { return m_previewing; }

    int RipFormat = 1; // 1 WAV, 2 MP3, 3 OGG, 4 WMA

    // The texts kept per row (parallel to the rows of lvTracks).
    QStringList TrackKeys, AlbumList, ArtistList, TitleList;

public Q_SLOTS:
    void cboxDeviceClick();
    void btnRefreshClick();
    void btnSelectAllClick();
    void btnSelectNoneClick();
    void btnInvertClick();
    void btnGetInfoClick();
    void btnExtractClick();
    void btnHelpClick();
    void btnOptionsClick();
    void btnAboutClick();
    void btnFolderClick();
    void btnRecorderClick();
    void btnAppCloseClick();
    void btnAppMinClick();
    void btnPlayerClick();
    void btnDeviceClick();
    void btnGenreClick();
    void btnOutputClick();
    void btnGrabModeClick();
    void btnPlayClick();
    void btnStopClick();
    void tbarPlayProgressMouseDown();
    void tbarPlayProgressMouseUp();
    void tbarVolumeChange();
    void cboxMuteMouseUp();
    void FocusToButton1();
    void APRequestOnLoadArray();
    void APEndArrayPlay();
    void APEndPlay();
    void APTimer(int CurrentSamples, int LevelLeft, int LevelRight);
    void cboxROutputFormatClick();
    void cboxPriorityChange();
    void cboxLockTrayClick();
    void lvTracksSelectItem();
    void edAlbumChange();
    void edArtistChange();
    void edTitleChange();
    void tmFreeDBTimer();
    void tmEjectTimer();
    void ACDGMediaChange();
    void ACDGFreeDBQueryStatus(int Status);

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormClose() override;

private:
    void log(const QString& line);
    void AddTrackRow(int session, int track);
    void UncheckNonAudioRow();
    void EndLookup();
    void KeepTextsForLookup();
    void PutBackKeptTexts();
    // What the rip job asks of the window and tells it.
    TRipTrack RipTrackStarting(int row) override;
    TRipTags RipTags(int row) override;
    void RipRowText(int row, const QString& text, const QString& why) override;
    void RipLog(const QString& line) override;
    void RipTotal(int percent) override;
    void RipProgress(int trackDone, int trackSpeed, int totalDone, int totalSpeed) override;
    void RipLastTrackDone() override;
    void RipMessage(const QString& text) override;
    void RipEnded() override;
    void applyDeferred();
    QTreeWidgetItem* row(int index) const;
    int selectedRow() const;

    // Controls and components of the form.
    TAudioCDGrabber2* ACDG;
    TFreeDBInformation2* FreeDBInfo;
    TAudioFile2* AF;
    TAudioFile2LameEnc* AudioFile2LameEnc;
    TAudioInformation2* AI;
    TAudioPlayer2* AP;
    QTimer* tmFreeDB;
    QTimer* tmEject;
    QLabel* lbInfo1;
    QLabel* lbInfo2;
    QComboBox* cboxDevice;
    QComboBox* cboxROutputFormat;
    QComboBox* cboxPriority;
    QComboBox* cboxGenre;
    QLineEdit* edAlbum;
    QLineEdit* edArtist;
    QLineEdit* edTitle;
    QLineEdit* edYear;
    QTreeWidget* lvTracks; // the list inside the skinned list view
    QWidget* btnExtract;
    QWidget* btnPlay;
    QWidget* btnStop;
    QLabel* imgLT;
    QLabel* imgRT;
    QLabel* imgLD;
    QLabel* imgRD;
    QLabel* plSide;
    TskSkinForm* skSkinForm1;
    TskBuiltInFileTheme* themeNew2;
    TskButton* Button1;
    TskTrackBar* tbarPlayProgress;
    TskTrackBar* tbarVolume;
    TskCheckBox* cboxMute;
    TskCheckBox* cboxLockTray;
    TskCheckBox* cboxAutoEject;
    QPlainTextEdit* moList;
    QList<QWidget*> m_controls; // what EnableControls switches

    TSettingsFileLink m_settings;
    QPointer<TfrmRProgress> m_progress;
    QPointer<TfrmOptions> m_options;
    QPointer<TForm> m_about;
    Videzeva::TRecorderPlayerWindow* m_player = nullptr;
    TPlaybackLevel m_level;
    bool m_shown = false; // volume and mute act once the window has been shown
    int m_driveCount = 0;
    int m_lookupMode = 1;
    bool m_lookupRequested = false;
    bool m_lookupLoaded = false;
    bool m_scrollRight = true;
    bool m_filling = false; // rows are being added: edit changes belong to no row yet
    // What the window held when the user asked for a lookup, put back when the lookup fails or is
    // refused (the lookup starts by reading the disc again, which empties the list).
    struct TKeptTexts {
        bool valid = false;
        int discId = 0;
        QStringList keys, albums, artists, titles;
        QList<Qt::CheckState> checks;
        QString year, genre;
        int genreIndex = -1;
    } m_keptTexts;

    // The rip: the checked tracks one after another, driven by the grabber's signals.
    TRipJob* m_rip = nullptr;
    bool m_pendingMediaChange = false;
    int m_pendingLookupStatus = 0; // a final lookup status that came during a rip

    // The preview.
    int m_previewSession = -1, m_previewTrack = -1; // of the selected row; -1 none
    bool m_previewing = false;
    bool m_seeking = false;    // the position slider is held
    qint64 m_totalSamples = 0; // sample frames of the track
    qint64 m_playedOffset = 0; // sample frames before the last seek point
    qint64 m_seekBase = 0;     // frames the player had played when the last seek was made
    qint64 m_lastPlayed = 0;   // frames played, as the player last reported
};

// Reads the section key by key: a missing key (or a file that is not there) takes its default, an
// index outside its list too, an empty rip folder is the program folder (GlobeVar::AppPath).
TRSettings ReadRSettings(const ProfileText& file);
// Writes the section in the same key order ("ROutPutPath", "ROutputFilename", "ROutputFormat",
// "RUseAll", "RComments", "RCopyRight", "RUrl", "REncodeBy"; an empty rip folder as the program
// folder). A value the text refuses (none the window's edits can hold) ends the writing there and
// gives false; what was written stays.
bool WriteRSettings(ProfileText& file, const TRSettings& settings);

// The run globals from the section (RGlobeVar); CurrentRSettings (ripper/RipJob) gives them back.
void ApplyRSettings(const TRSettings& settings);

} // namespace Duzivuz
