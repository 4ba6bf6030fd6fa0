#include "recorder/Main.h"

#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "components/ComponentError.h"
#include "components/TAudioFile2.h"
#include "components/TAudioFile2LameEnc.h"
#include "components/TAudioInformation2.h"
#include "components/TAudioPlayer2.h"
#include "components/TAudioRecord2.h"
#include "components/TAudioVisualization2.h"
#include "components/TWMAFile2.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/PathText.h"
#include "platform/Shell.h"
#include "platform/TickCount.h"
#include "platform/UserMessages.h"
#include "platform/WinMath.h"
#include "platform/WindowMessages.h"
#include "recorder/HotkeyDetect.h"
#include "recorder/MyAmpBar.h"
#include "skin/SKButton.h"
#include "skin/SKComboBox.h"
#include "skin/SKSkinForm.h"
#include "skin/SKTrackBar.h"
#include "tools/FolderScan.h"

#include <QApplication>
#include <QCursor>
#include <QFileInfo>
#include <QGuiApplication>
#include <QLabel>
#include <QScreen>
#include <QScrollBar>
#include <QThread>
#include <QTimer>
#include <QTreeWidget>

#include <sys/stat.h>

namespace Videzeva {

namespace {

// True while the file open in `handle` is still the file its name leads to: not removed, nor moved
// away with its folder. Without an open handle, true when the name leads to a file.
bool StillInPlace(const QFile& handle) {
    const QByteArray name = QFile::encodeName(handle.fileName());
    struct stat open {
    }, named{};
    if (::stat(name.constData(), &named) != 0) return false;
    if (!handle.isOpen() || ::fstat(handle.handle(), &open) != 0) return true;
    return open.st_nlink > 0 && open.st_dev == named.st_dev && open.st_ino == named.st_ino;
}

const char* const kFormatWords[] = {"WAV", "MP3", "OGG", "WMA"};

int FormatIndex(const QString& word) {
    for (int i = 0; i < 4; ++i)
        if (word == QLatin1String(kFormatWords[i])) return i;
    return 0;
}

} // namespace

TfrmMain::TfrmMain(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("frmMain"));
    setMainForm(true);
    LoadFormResource(this, QStringLiteral(":/forms/Videzeva/Main.form"));
    titleMain = FormChild<QLabel>(this, QStringLiteral("titleMain"));
    Label1 = FormChild<QLabel>(this, QStringLiteral("Label1"));
    Label2 = FormChild<QLabel>(this, QStringLiteral("Label2"));
    Label3 = FormChild<QLabel>(this, QStringLiteral("Label3"));
    imgLT = FormChild<QLabel>(this, QStringLiteral("imgLT"));
    imgRT = FormChild<QLabel>(this, QStringLiteral("imgRT"));
    imgLD = FormChild<QLabel>(this, QStringLiteral("imgLD"));
    imgRD = FormChild<QLabel>(this, QStringLiteral("imgRD"));
    plSide = FormChild<QLabel>(this, QStringLiteral("plSide"));
    plVisualizationBG = FormChild<QWidget>(this, QStringLiteral("plVisualizationBG"));
    comboxSource = FormChild<TskComboBox>(this, QStringLiteral("comboxSource"));
    rbOutputWav = FormChild<TskRadioButton>(this, QStringLiteral("rbOutputWav"));
    rbOutputMp3 = FormChild<TskRadioButton>(this, QStringLiteral("rbOutputMp3"));
    rbOutputOgg = FormChild<TskRadioButton>(this, QStringLiteral("rbOutputOgg"));
    rbOutputWma = FormChild<TskRadioButton>(this, QStringLiteral("rbOutputWma"));
    cboxRNoise = FormChild<TskCheckBox>(this, QStringLiteral("cboxRNoise"));
    cboxMute = FormChild<TskCheckBox>(this, QStringLiteral("cboxMute"));
    tbRecordVolume = FormChild<TskTrackBar>(this, QStringLiteral("tbRecordVolume"));
    tbPlayBackVolume = FormChild<TskTrackBar>(this, QStringLiteral("tbPlayBackVolume"));
    tbPlaybackProgress = FormChild<TskTrackBar>(this, QStringLiteral("tbPlaybackProgress"));
    btnRecord = FormChild<TskImageButton>(this, QStringLiteral("btnRecord"));
    btnMail = FormChild<TskImageButton>(this, QStringLiteral("btnMail"));
    btnPlay = FormChild<TskImageButton>(this, QStringLiteral("btnPlay"));
    btnPause = FormChild<TskImageButton>(this, QStringLiteral("btnPause"));
    btnStop = FormChild<TskImageButton>(this, QStringLiteral("btnStop"));
    lvRecordList = FormChild<QTreeWidget>(this, QStringLiteral("lvRecordList"));
    lvRecordListShadow = FormChild<QTreeWidget>(this, QStringLiteral("lvRecordListShadow"));
    Button1 = FormChild<TskButton>(this, QStringLiteral("Button1"));
    tmSize = FormChild<QTimer>(this, QStringLiteral("tmSize"));
    skSkinForm1 = FormChild<TskSkinForm>(this, QStringLiteral("skSkinForm1"));
    AR = FormChild<TAudioRecord2>(this, QStringLiteral("AR"));
    AF2 = FormChild<TAudioFile2>(this, QStringLiteral("AF2"));
    AF1 = FormChild<TAudioFile2>(this, QStringLiteral("AF1"));
    AudioFile2LameEnc1 = FormChild<TAudioFile2LameEnc>(this, QStringLiteral("AudioFile2LameEnc1"));
    AWF = FormChild<TWMAFile2>(this, QStringLiteral("AWF"));
    AI = FormChild<TAudioInformation2>(this, QStringLiteral("AI"));
    AP = FormChild<TAudioPlayer2>(this, QStringLiteral("AP"));
    AV = FormChild<TAudioVisualization2>(this, QStringLiteral("AV"));
    AF2->SetLameEncoder(AudioFile2LameEnc1);
    // The player's volume moves the playback slider (whose handler hands the same value back, which
    // goes no further); its mute checks the box and mutes this window's playback too.
    connect(&m_level, &TPlaybackLevel::VolumeChanged, this,
            [this](int volume) { tbPlayBackVolume->SetPosition(volume); });
    connect(&m_level, &TPlaybackLevel::MutedChanged, this, [this](bool muted) {
        cboxMute->SetChecked(muted);
        if (WindowReady) AP->SetMute(muted ? -1 : 0);
    });
    lvRecordListShadow->hide();
    // The list's selection is locked while recording: clicks and keys that would move it are
    // refused before the list sees them.
    lvRecordList->installEventFilter(this);
    lvRecordList->viewport()->installEventFilter(this);
    Label3->hide();
    tmSchedule = new TScheduleTimer(*this, this);
    tmSchedule->setObjectName(QStringLiteral("tmSchedule"));
    ApplyEmbeddedTheme(this);
}

TfrmMain::~TfrmMain() = default;

uint32_t TfrmMain::Ticks() const {
    return m_ticks ? m_ticks() : GetTickCount();
}

QString TfrmMain::Shortened(const QString& path) const {
    return MinimizeName(path, Label2->fontMetrics(), 290);
}

QTreeWidgetItem* TfrmMain::LastRow() const {
    const int n = lvRecordList->topLevelItemCount();
    return n > 0 ? lvRecordList->topLevelItem(n - 1) : nullptr;
}

void TfrmMain::FormCreate() {
    // The window's shape: the four corner pictures on black, white (outside) where they show it.
    skSkinForm1->ShapeFromCorners({imgLT, imgRT, imgLD, imgRD});
    // The pictures over the shape let the mouse through, so pressing on the window's background
    // or title drags the window.
    for (const char* name : {"imgBackground", "imgTitle", "titleMain"})
        FormChild<QWidget>(this, QLatin1String(name))->setAttribute(Qt::WA_TransparentForMouseEvents);
    plSide->move(width() - 2, 4);
    plSide->show();

    GlobeVar::SetProgramFolders();
    lvRecordList->clear();
    WindowReady = false;

    for (TMyAmpBar** meter : {&LeftMeter, &RightMeter}) {
        auto* bar = new TMyAmpBar(plVisualizationBG);
        bar->setObjectName(meter == &LeftMeter ? QStringLiteral("LeftMeter") : QStringLiteral("RightMeter"));
        bar->resize(10, plVisualizationBG->height());
        bar->move(meter == &LeftMeter ? 0 : plVisualizationBG->width() - 10, 0);
        bar->SetVertical(true);
        bar->SetMax(100);
        bar->SetMin(0);
        bar->SetPosition(0);
        bar->SetBackColor(0x3A3C30);
        bar->SetFrameColor(0x808080);
        bar->SetLowColor(0xDB843A);
        bar->SetHighColor(0x0000FF);
        bar->show();
        *meter = bar;
    }

    AR->SetFilterLowEnabled(0);
    AR->SetFilterHighEnabled(0);
    AR->SetFilterExtraEnabled(0);
    AI->EnableWMA(-1);
    HotkeyThread = std::make_unique<THotkeyDetector>(this);
    tmSchedule->start();
}

void TfrmMain::FormShow() {
    Button1->setFocus();
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        const QRect area = screen->geometry();
        move(area.x() + (area.width() - width()) / 2, area.y() + (area.height() - height()) / 2);
    }
    // A saved playback device that is no longer there falls back to the first.
    if (AP->GetDevice() >= AP->GetDeviceCount())
        AP->SetDevice(0);
    else
        AP->SetDevice(AP->GetDevice());

    const TOptionsMainState saved = ReadOptionsMainState(m_settings.get().Text());
    QString inputLine = saved.inputLine;
    const int selected = saved.selected;

    QStringList devices;
    DeviceIndexes.clear();
    const int n = AR->GetDeviceCount();
    for (int i = 0; i <= n; ++i) {
        AR->SelectDevice(i);
        if (AR->IsDeviceValid() != 0 && AR->GetLineCount() > 0) {
            devices << AR->GetDeviceName();
            DeviceIndexes.append(i);
        }
    }
    int match = -1;
    for (int j = 0; j < devices.size() && match < 0; ++j)
        if (devices[j].trimmed() == saved.inputDevice.trimmed()) match = j;
    if (m_options) m_options->ShowInputDevices(devices, std::max(match, 0));
    if (DeviceIndexes.isEmpty()) {
        DialogMessages().Tell(QStringLiteral("No input device"), this);
        QTimer::singleShot(0, qApp, &QApplication::quit);
        return;
    }
    // A saved device that is gone: the first, and its first line.
    if (match < 0) inputLine.clear();
    AR->SelectDevice(DeviceIndexes[std::max(match, 0)]);

    if (m_options) {
        AF1->EnableWMA(-1);
        QStringList profiles;
        for (int p = 1; p <= AWF->GetProfileCount(); ++p) {
            AWF->SelectProfile(p);
            profiles << AWF->GetProfileName();
        }
        m_options->ShowWmaProfiles(profiles);
    }

    m_paused = m_recording = m_playing = false;
    TskRadioButton* radios[] = {rbOutputWav, rbOutputMp3, rbOutputOgg, rbOutputWma};
    radios[selected >= 1 && selected <= 3 ? selected : 0]->SetChecked(true);

    const int lines = AP->GetMixerLineCount();
    if (lines > 0) {
        for (int i = 0; i <= lines; ++i) {
            AP->SelectMixerLine(i);
            if (AP->IsPlaybackLine() != 0) {
                OutputLineIndex = i;
                break;
            }
        }
        AP->SelectMixerLine(OutputLineIndex);
        tbPlayBackVolume->SetPosition(AP->GetVolume());
        AP->SetMute(0);
    }
    SelectInputLine(inputLine);
    WindowReady = true;
    tbPlaybackProgress->SetPosition(0);
}

void TfrmMain::SelectInputLine(const QString& savedLineName) {
    const int n = AR->GetLineCount();
    if (n < 1) return;
    comboxSource->Combo()->clear();
    LineIndexes.clear();
    for (int i = 0; i <= n; ++i) {
        AR->SelectLine(i);
        if (AR->IsLineValid() != 0) {
            comboxSource->Combo()->addItem(AR->GetLineName());
            LineIndexes.append(i);
        }
    }
    if (LineIndexes.isEmpty()) return;
    if (savedLineName.isEmpty()) {
        comboxSource->SetItemIndex(0);
        AR->SelectLine(LineIndexes[0]);
        tbRecordVolume->SetPosition(AR->GetLineVolume());
        AR->SetRecordSource(-1);
        return;
    }
    for (int k = 0; k < LineIndexes.size(); ++k) {
        AR->SelectLine(LineIndexes[k]);
        if (AR->GetLineName().trimmed() == savedLineName.trimmed()) {
            comboxSource->SetItemIndex(k);
            tbRecordVolume->SetPosition(AR->GetLineVolume());
            AR->SetRecordSource(-1);
            return;
        }
    }
}

QString TfrmMain::InputLineText() const {
    return comboxSource->Text();
}

int TfrmMain::SelectedFormat() const {
    if (rbOutputMp3->Checked()) return 1;
    if (rbOutputOgg->Checked()) return 2;
    if (rbOutputWma->Checked()) return 3;
    return 0;
}

void TfrmMain::comboxSourceChange() {
    const int k = comboxSource->ItemIndex();
    if (k < 0 || k >= LineIndexes.size()) return;
    AR->SelectLine(LineIndexes[k]);
    tbRecordVolume->SetPosition(AR->GetLineVolume());
    AR->SetRecordSource(-1);
}

void TfrmMain::SetNoiseFilters() {
    const int r = cboxRNoise->Checked() ? -1 : 0;
    AR->SetFilterLowEnabled(r);
    AR->SetFilterLowValue(100.0f);
    AR->SetFilterHighEnabled(r);
    AR->SetFilterHighValue(8000.0f);
    AR->SetFilterExtraEnabled(0);
    AR->SetFilterExtraValue(50.0f);
}

void TfrmMain::ClearDisplays() {
    LeftMeter->SetPosition(0);
    RightMeter->SetPosition(0);
    AV->DisplayArray(AudioBlock());
}

// Names the output file from the settings and the start time, sets the writer up for the chosen
// format, creates the file and starts capture. An empty result: the file could not be created,
// which has been said, and nothing was started.
QString TfrmMain::PrepareOutput() {
    AR->Stop();
    try {
        AF2->Close();
    } catch (const ComponentError&) {
        // The previous file was reported when its writing failed.
    }
    ClearDisplays();
    AF1->Close();

    const QDate d = LastStartTime.date();
    const QTime t = LastStartTime.time();
    const QString hms = GlobeVar::IntToZeroStr(t.hour(), 2) + "-" + GlobeVar::IntToZeroStr(t.minute(), 2) +
                        "-" + GlobeVar::IntToZeroStr(t.second(), 2);
    QString base;
    if (GlobeVar::UseDate)
        base = GlobeVar::PreName.trimmed() + " " + GlobeVar::IntToZeroStr(d.year(), 4) + "-" +
               GlobeVar::IntToZeroStr(d.month(), 2) + "-" + GlobeVar::IntToZeroStr(d.day(), 2) + " " + hms +
               " " + GlobeVar::PosName.trimmed();
    else
        base = GlobeVar::PreName.trimmed() + " " + hms + " " + GlobeVar::PosName.trimmed();
    base = base.trimmed();

    const int format = SelectedFormat();
    const QString word = QLatin1String(kFormatWords[format]);
    const QString ext = "." + word.toLower();
    if (!GlobeVar::Overwrite)
        while (QFileInfo::exists(GlobeVar::OutputPath + base + ext))
            base += QStringLiteral(" New");
    m_recordFileName = GlobeVar::OutputPath + base + ext;

    switch (format) {
    case 0:
        AF2->EnableWMA(0);
        AF2->SetWavFormat(GlobeVar::WavFreq, GlobeVar::WavChannels, GlobeVar::WavSampleRate);
        break;
    case 1:
        AF2->EnableWMA(0);
        if (GlobeVar::MP3VBREnable) {
            AudioFile2LameEnc1->SetConstantBitRate(0);
            AudioFile2LameEnc1->SetMaxBitRate(GlobeVar::MP3MaxBitRate);
            AudioFile2LameEnc1->SetWriteVBRHeader(GlobeVar::MP3VBRHeader ? -1 : 0);
            AudioFile2LameEnc1->SetVBRMode(0);
            AudioFile2LameEnc1->SetVBRQuality(GlobeVar::MP3VBRQuality);
        } else {
            AudioFile2LameEnc1->SetConstantBitRate(-1);
        }
        AudioFile2LameEnc1->SetQuality(GlobeVar::MP3EncoderQuality);
        AF2->SetMp3Format(GlobeVar::MP3Freq, GlobeVar::MP3BitRate, GlobeVar::MP3Channels);
        break;
    case 2:
        AF2->EnableWMA(0);
        AF2->SetOggFormat(GlobeVar::OggFreq, GlobeVar::OggChannels, 128, 0, 0, int16_t(GlobeVar::OggBitRate));
        break;
    default:
        AF2->EnableWMA(-1);
        AF2->SetWmaFormat(GlobeVar::WmaFormat);
        break;
    }
    AF2->CreateWrite(m_recordFileName, 0);
    // A file that cannot be created (a missing, read-only or full folder) is said once; no capture
    // starts, so no block ever tries to write to it.
    if (AF2->GetLastError() != 0) {
        ReportRecordingFailure(
            QStringLiteral("Cannot record into \"%1\": %2").arg(m_recordFileName, AF2->GetLastErrorText()));
        return {};
    }
    try {
        AR->SetFormat(AF2->GetSampleFormat1(), AF2->GetSampleFormat2());
        AR->SetBlockSize(int(AR->MsToSamples(400)));
        SetNoiseFilters();
        AR->Start();
    } catch (const ComponentError& e) {
        // No capture (the device is gone, or will not take the format): the file just created
        // would hold nothing, so it goes again, and the reason is said once.
        try {
            AF2->Close();
        } catch (const ComponentError&) {
            // The file goes at once: nothing was recorded into it.
        }
        QFile::remove(m_recordFileName);
        ReportRecordingFailure(QStringLiteral("Cannot record: %1").arg(e.message()));
        return {};
    }
    return word;
}

void TfrmMain::ReportRecordingFailure(const QString& text) {
    DialogMessages().Tell(text, this);
}

void TfrmMain::StartRecording() {
    m_paused = false;
    const QDateTime now = m_clock ? m_clock() : QDateTime::currentDateTime();
    LastStartTime = QDateTime(now.date(), QTime(now.time().hour(), now.time().minute(), now.time().second()));
    if (m_playing) StopPlayback();

    const QString word = PrepareOutput();
    if (word.isEmpty()) return;
    m_recording = true;
    m_writeFailed = false;
    StartTick = Ticks();
    SilenceStartTick = 0;
    SizeHandle.close();
    SizeHandle.setFileName(m_recordFileName);
    SizeHandle.open(QIODevice::ReadOnly);

    Label1->setText(QStringLiteral("Recording..."));
    Label2->setText(Shortened(m_recordFileName));
    Label3->setText(AF2->GetFormatString());
    btnRecord->setEnabled(false);
    btnPlay->setEnabled(false);
    btnMail->setEnabled(false);

    // Every recording has its own row, also a second one started in the same second: its file
    // (named " New") and maybe its format differ from the first's, and it is played from its row.
    const QDate d = LastStartTime.date();
    const QTime t = LastStartTime.time();
    const QString started =
        GlobeVar::IntToZeroStr(d.year(), 4) + "-" + GlobeVar::IntToZeroStr(d.month(), 2) + "-" +
        GlobeVar::IntToZeroStr(d.day(), 2) + " " + GlobeVar::IntToZeroStr(t.hour(), 2) + ":" +
        GlobeVar::IntToZeroStr(t.minute(), 2) + ":" + GlobeVar::IntToZeroStr(t.second(), 2);
    auto* row = new QTreeWidgetItem(lvRecordList, {word, started, QStringLiteral("Recording..."), {}, {}});
    row->setIcon(0, QIcon(QStringLiteral(":/art/Videzeva/Format%1.png").arg(FormatIndex(word))));
    for (int c = 1; c < 5; ++c)
        row->setTextAlignment(c, Qt::AlignCenter);
    new QTreeWidgetItem(lvRecordListShadow, {m_recordFileName});
    if (QTreeWidgetItem* last = LastRow()) {
        lvRecordList->setCurrentItem(last);
        lvRecordListShadow->setCurrentItem(
            lvRecordListShadow->topLevelItem(lvRecordListShadow->topLevelItemCount() - 1));
        lvRecordList->scrollToBottom();
    }
    lvRecordList->setFocus();
    SelectionUnlocked = false;
}

void TfrmMain::btnRecordClick() {
    MailAfterStop = false;
    StartRecording();
}

void TfrmMain::btnMailClick() {
    MailAfterStop = true;
    StartRecording();
}

void TfrmMain::AREndBlockRecord() {
    AudioBlock block = AR->GetRecordedArray();
    if (!m_recording || m_writeFailed) return;
    try {
        AF2->WriteArray(block);
    } catch (const ComponentError& e) {
        // A write that fails (a full disk) ends the recording once; what was written stays a file
        // that plays to its last whole block.
        m_writeFailed = true;
        btnStopClick();
        ReportRecordingFailure(e.message());
    }
}

// The capture device stopped working (pulled out, its sound server gone): everything captured up to
// then has been written, so the recording ends as at a stop, and the user is told once why.
void TfrmMain::ARRecordFailed(const QString& Reason) {
    if (!m_recording) return;
    EndFailedRecording(QStringLiteral("Recording stopped: %1. \"%2\" keeps what was recorded until then.")
                           .arg(Reason, m_recordFileName));
}

void TfrmMain::EndFailedRecording(const QString& text) {
    MailAfterStop = false;
    btnStopClick();
    // A stop that found the file gone has said so already.
    if (!m_writeFailed) ReportRecordingFailure(text);
    m_writeFailed = true;
}

void TfrmMain::ARTimer(int, int LevelLeft, int LevelRight) {
    LeftMeter->SetPosition(LevelLeft);
    RightMeter->SetPosition(LevelRight);
    AV->DisplayArray(AR->GetDisplayArray(2 * AV->WindowArraySize()));
    if (!m_recording) return;
    const int64_t now = Ticks();
    if (GlobeVar::VolumeStop) {
        const int average = (LevelLeft + LevelRight) / 2;
        if (average > GlobeVar::VolumeLevel) {
            SilenceStartTick = 0;
        } else if (SilenceStartTick == 0) {
            SilenceStartTick = now;
        } else if (now - SilenceStartTick >= int64_t(GlobeVar::VolumeTime) * 1000) {
            btnStopClick();
            return;
        }
    }
    if (QTreeWidgetItem* last = LastRow()) last->setText(3, GlobeVar::MSecToTimeStr(now - StartTick));
    // A limit of 0 minutes 0 seconds is no limit: it would otherwise start new files for ever.
    const int64_t limit = int64_t(GlobeVar::TimeMinute) * 60000 + int64_t(GlobeVar::TimeSecond) * 1000;
    if (GlobeVar::TimeStop && limit > 0 && now - StartTick > limit) {
        btnStopClick();
        if (GlobeVar::TimeNewRecord) btnRecordClick();
    }
}

void TfrmMain::tmSizeTimer() {
    if (!m_recording) return;
    if (QTreeWidgetItem* last = LastRow())
        last->setText(4, GlobeVar::FileSizeToStr(QFileInfo(SizeHandle.fileName()).size()));
}

void TfrmMain::btnStopClick() {
    m_paused = false;
    if (m_recording) {
        AR->Stop();
        QString closeError;
        try {
            AF2->Close();
        } catch (const ComponentError& e) {
            closeError = e.message();
        }
        ClearDisplays();
        m_recording = false;
        SelectionUnlocked = true;
        Label1->setText(QStringLiteral("Idle"));
        Label2->setText(Shortened(m_recordFileName));
        Label3->setText(AF2->GetFormatString());
        // The recording is written in place; a folder removed (or moved) meanwhile took it along,
        // and the encoder went on into a file no name leads to.
        const bool gone = !StillInPlace(SizeHandle);
        if (QTreeWidgetItem* last = LastRow()) {
            last->setText(4, gone ? QString() : GlobeVar::FileSizeToStr(QFileInfo(m_recordFileName).size()));
            last->setText(2, gone ? QStringLiteral("Failed") : QStringLiteral("Done"));
            // The recording's length as its file holds it, the same text the player's list shows
            // for it: the elapsed time the capture timer wrote last lags the stop by up to a tick.
            const QString length = gone ? QString() : AudioDurationText(*AI, m_recordFileName);
            if (!length.isEmpty()) last->setText(3, length);
        }
        SizeHandle.close();
        btnRecord->setEnabled(true);
        btnPlay->setEnabled(true);
        btnMail->setEnabled(true);
        if (m_player && !gone && QFileInfo::exists(m_recordFileName))
            m_player->AddFileToList(m_recordFileName, true);
        if (gone) {
            MailAfterStop = false;
            m_writeFailed = true;
            ReportRecordingFailure(
                QStringLiteral(
                    "The recording \"%1\" is lost: its folder was removed or moved while it was recorded")
                    .arg(m_recordFileName));
        } else if (!closeError.isEmpty() && !m_writeFailed) {
            m_writeFailed = true;
            ReportRecordingFailure(closeError);
        }
    }
    if (m_playing) {
        StopPlayback();
    }
    if (MailAfterStop) {
        MailAfterStop = false;
        GlobeVar::SendMailByMapi(this, {QStringLiteral("subject=") + GlobeVar::MailSubject,
                                        QStringLiteral("body=") + GlobeVar::MailBody,
                                        QStringLiteral("attachment0=") + m_recordFileName});
    }
}

void TfrmMain::btnPauseClick() {
    m_paused = !m_paused;
    if (m_playing) {
        if (!m_paused) {
            Label1->setText(QStringLiteral("Playing..."));
            AF1->Seek(PlayOffset + 1, 3);
            AP->Play();
            PlaybackRefused();
        } else {
            Label1->setText(QStringLiteral("Pause"));
            PlayOffset += AP->GetPlayedSamples();
            AP->Stop();
        }
    }
    if (m_recording) {
        if (m_paused) {
            Label1->setText(QStringLiteral("Pause"));
            AR->Stop();
        } else {
            Label1->setText(QStringLiteral("Recording..."));
            try {
                AR->Start();
            } catch (const ComponentError& e) {
                EndFailedRecording(
                    QStringLiteral("Recording stopped. %1. \"%2\" keeps what was recorded until then.")
                        .arg(e.message(), m_recordFileName));
            }
        }
    }
}

void TfrmMain::PlayRecording(const QString& fileName) {
    tbPlaybackProgress->SetPosition(0);
    tbPlaybackProgress->setEnabled(true);
    Label1->setText(QStringLiteral("Playing..."));
    AR->Stop();
    AP->Stop();
    AF1->Close();
    AF1->EnableWMA(-1);
    AF1->OpenRead(fileName, 0, 1);
    PlayOffset = 0;
    if (AF1->GetLength() == 0) {
        AP->Stop();
        AF1->Close();
        PlayOffset = 0;
        return;
    }
    AP->SetFormat(AF1->GetSampleFormat1(), AF1->GetSampleFormat2());
    BlockSamples = int(AP->MsToSamples(1000));
    PlayOffset = AF1->Seek(
        MulDiv(tbPlaybackProgress->Position(), int(std::min<int64_t>(AF1->GetLength(), INT32_MAX)), 1000), 3);
    AP->Play();
    m_playing = true;
    PlaybackRefused();
}

// A playback the device refused to start (no device, its sound server gone, a format it does not
// take) ends as a stop does, and the user is told why instead of seeing "Playing..." with no sound.
bool TfrmMain::PlaybackRefused() {
    if (AP->GetLastError() == 0) return false;
    const QString why = AP->GetLastErrorText();
    StopPlayback();
    ReportError(why, this);
    return true;
}

void TfrmMain::FeedPlayer() {
    if (!m_playing) return;
    AudioBlock block = AF1->ReadArray(BlockSamples);
    AP->LoadArray(block);
}

void TfrmMain::APRequestOnLoadArray() {
    FeedPlayer();
}
void TfrmMain::APEndArrayPlay() {
    FeedPlayer();
}

void TfrmMain::StopPlayback() {
    AP->Stop();
    AF1->Close();
    ClearDisplays();
    if (PlayingRow >= 0 && PlayingRow < lvRecordList->topLevelItemCount())
        lvRecordList->topLevelItem(PlayingRow)->setText(2, QStringLiteral("Done"));
    Label1->setText(QStringLiteral("Idle"));
    m_playing = false;
    tbPlaybackProgress->SetPosition(0);
    tbPlaybackProgress->setEnabled(false);
}

void TfrmMain::APEndPlay() {
    if (m_playing && !m_paused) StopPlayback();
}

void TfrmMain::APTimer(int CurrentSamples, int LevelLeft, int LevelRight) {
    const int64_t position = std::max({CurrentSamples, LevelLeft, LevelRight});
    LeftMeter->SetPosition(LevelLeft);
    RightMeter->SetPosition(LevelRight);
    AV->DisplayArray(AP->GetDisplayArray(2 * AV->WindowArraySize()));
    if (PlayingRow >= 0 && PlayingRow < lvRecordList->topLevelItemCount())
        lvRecordList->topLevelItem(PlayingRow)
            ->setText(2, QStringLiteral("Playing: ") +
                             GlobeVar::MSecToTimeStr(AP->SamplesToMs(position + PlayOffset)));
    const bool held = (QApplication::mouseButtons() & Qt::LeftButton) &&
                      tbPlaybackProgress->rect().contains(tbPlaybackProgress->mapFromGlobal(QCursor::pos()));
    if (!held && TotalSamples > 0)
        tbPlaybackProgress->SetPosition(
            int(std::min<int64_t>(((position + PlayOffset) * 1000 + TotalSamples / 2) / TotalSamples, 1000)));
}

void TfrmMain::tbPlaybackProgressMouseUp() {
    if (!m_playing) return;
    AP->Stop();
    PlayOffset = AF1->Seek(
        MulDiv(tbPlaybackProgress->Position(), int(std::min<int64_t>(AF1->GetLength(), INT32_MAX)), 1000), 3);
    AP->Play();
    if (!PlaybackRefused()) FeedPlayer();
}

void TfrmMain::PlaySelectedRow(bool showFormat) {
    QTreeWidgetItem* row = lvRecordList->currentItem();
    if (!SelectionUnlocked || !row) return;
    if (m_playing && PlayingRow >= 0 && PlayingRow < lvRecordList->topLevelItemCount())
        lvRecordList->topLevelItem(PlayingRow)->setText(2, QStringLiteral("Done"));
    const int index = lvRecordList->indexOfTopLevelItem(row);
    QTreeWidgetItem* shadow = lvRecordListShadow->topLevelItem(index);
    if (!shadow) return;
    const QString path = shadow->text(0);
    AI->SetFileName(path);
    TotalSamples = AI->GetLength();
    PlayRecording(path);
    PlayingRow = index;
    if (showFormat) Label2->setText(Shortened(path));
    Label3->setText(AF1->GetFormatString());
    if (showFormat) BoxMessages().Tell(AF1->GetFormatString(), this);
}

void TfrmMain::lvRecordListClick() {
    PlaySelectedRow(true);
}

void TfrmMain::btnPlayClick() {
    m_paused = false;
    PlaySelectedRow(false);
}

void TfrmMain::tbRecordVolumeChange() {
    if (WindowReady) AR->SetLineVolume(tbRecordVolume->Position());
}

void TfrmMain::tbPlaybackVolumeChange() {
    if (!WindowReady) return;
    AP->SetVolume(tbPlayBackVolume->Position());
    m_level.SetVolume(tbPlayBackVolume->Position());
}

void TfrmMain::ShowMainWindow() {
    if (isMinimized()) showNormal();
    show();
    raise();
    activateWindow();
}

QStringList TfrmMain::RecordingsOfThisRun() const {
    QStringList files;
    for (int i = 0; i < lvRecordListShadow->topLevelItemCount(); ++i)
        files << lvRecordListShadow->topLevelItem(i)->text(0);
    return files;
}

void TfrmMain::cboxMuteMouseUp() {
    if (!WindowReady) return;
    AP->SetMute(cboxMute->Checked() ? -1 : 0);
    m_level.SetMuted(cboxMute->Checked());
}

void TfrmMain::cboxMuteClick() {}
void TfrmMain::cboxRNoiseClick() {
    SetNoiseFilters();
}
void TfrmMain::rbOutputEnter() {
    Button1->setFocus();
}
void TfrmMain::FocusToButton1() {
    Button1->setFocus();
}
void TfrmMain::btnFolderClick() {
    ShellOpen(GlobeVar::OutputPath);
}

void TfrmMain::btnOptionsClick() {
    if (m_options) ::ShowModal(*m_options);
}

void TfrmMain::btnPlayerClick() {
    if (m_player) m_player->ShowPlayer();
}

void TfrmMain::btnHelpClick() {
    // A help file that is missing or cannot be opened is told (ShellOpen).
    ShellOpen(GlobeVar::AppPath + QStringLiteral("VidezevaHelp.html"));
}

void TfrmMain::btnRecordFromClick() {
    comboxSource->DropDown();
}
void TfrmMain::btnAppMinClick() {
    showMinimized();
}

void TfrmMain::btnAppCloseClick() {
    btnStopClick();
    close();
}

void TfrmMain::customEvent(QEvent* event) {
    if (event->type() != WindowMessageEvent::eventType()) return TForm::customEvent(event);
    auto* message = static_cast<WindowMessageEvent*>(event);
    if (message->id() != WindowMessageId::HotkeyDetected) return;
    if (message->wParam() == 0) {
        if (!m_recording) {
            MailAfterStop = false;
            StartRecording();
        }
    } else if (message->wParam() == 1) {
        btnStopClick();
    }
}

bool TfrmMain::eventFilter(QObject* watched, QEvent* event) {
    if (watched == lvRecordList || watched == lvRecordList->viewport()) {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonDblClick:
        case QEvent::MouseButtonRelease:
        case QEvent::KeyPress:
            if (!lvRecordListChanging()) return true;
            break;
        default:
            break;
        }
    }
    return TForm::eventFilter(watched, event);
}

void TfrmMain::FormCloseQuery(bool& canClose) {
    if (!m_player || m_player->ConvertingRow() == -1) return;
    canClose = false;
    if (!DialogMessages().Ask(QStringLiteral("Converting in progress, do you want to cancel ?"), this))
        return;
    // The player waits for its conversion to stop before it answers.
    m_player->CancelConversion();
    canClose = true;
}

void TfrmMain::FormClose() {
    btnStopClick();
    m_recording = false;
    AF1->Close();
    try {
        AF2->Close();
    } catch (const ComponentError&) {
        // btnStopClick above closed the recording and told of a failure: nothing is left to write.
    }
    hide();
    if (m_player) m_player->HidePlayer();
}

void TfrmMain::FormDestroy() {
    tmSchedule->stop();
    HotkeyThread.reset();
}

} // namespace Videzeva
