#pragma once

#include <QList>
#include <QString>
#include <QStringList>

#include <cstdint>

class QWidget;

// A hot-key combination: two modifier key codes and one key code (virtual-key numbering),
// 0 meaning no key for the modifiers.
struct THotKeyCombo {
    uint32_t PreKey1 = 0;
    uint32_t PreKey2 = 0;
    uint32_t HotKey = 0;
};

// One line of the recording schedule.
struct TScheduleEntry {
    uint8_t Use = 0;
    uint8_t StartH = 0, StartM = 0, StartS = 0;
    uint8_t StopH = 0, StopM = 0, StopS = 0;
    uint16_t Day = 0;
    uint16_t Month = 0;
    uint16_t Year = 0;
    uint16_t DayOfWeek = 0; // 1 Monday .. 7 Sunday, 0 none

    bool operator==(const TScheduleEntry&) const = default;
};

// The settings state every window of a program shares, and the small helpers both programs use.
// The settings window fills the format, hot-key, schedule, stop, output and mail values at start-up
// and whenever the user confirms it; everyone else reads them.
namespace GlobeVar {

extern QString CfgFileName;
extern QString ScheduleFileName;
extern QString AppPath;      // the program folder, with a trailing "/"
extern QString SettingsPath; // where CfgFileName and ScheduleFileName live, with a trailing "/"

extern int WavFreq, WavChannels, WavSampleRate;
extern int MP3Freq, MP3Channels, MP3BitRate, MP3MaxBitRate, MP3EncoderQuality, MP3VBRQuality;
extern bool MP3VBREnable, MP3VBRHeader;
extern int OggFreq, OggChannels, OggBitRate;
extern int WmaFormat;

extern THotKeyCombo StartHotKeyCombo1, StartHotKeyCombo2, StopHotKeyCombo1, StopHotKeyCombo2;
extern bool StartUse1, StartUse2, StopUse1, StopUse2;

// The four hot-key combinations and their enable flags as one value: what the hot-key thread reads.
struct THotKeySet {
    THotKeyCombo start1, start2, stop1, stop2;
    bool startUse1 = false, startUse2 = false, stopUse1 = false, stopUse2 = false;
};
// Hands the hot-key globals over to the hot-key thread as one value (whoever writes them calls it
// afterwards, on the user-interface thread); the thread never sees a combination half written.
void PublishHotKeys();
// The value last handed over (any thread).
THotKeySet PublishedHotKeys();

extern QList<TScheduleEntry> Schedule;

extern int VolumeLevel, VolumeTime, TimeMinute, TimeSecond;
extern bool VolumeStop, TimeStop, TimeNewRecord;

extern QString OutputPath, PreName, PosName;
extern bool UseDate, Overwrite;
extern bool ConvertSaveToOriginal;
extern QString ConvertOutputPath;
extern bool ConvertOverwrite;
extern bool SplitSaveToOriginal;
extern QString SplitOutputPath;
extern bool SplitOverwrite;
extern QString JoinOutputPath, JoinPreName, JoinPosName;
extern bool JoinUseDate, JoinOverwrite;
extern QString MailSubject, MailBody;

// The start values a program gives the globals before any window exists.
struct StartValues {
    QString cfgFileName;
    QString scheduleFileName = QStringLiteral("Current.tqd");
    QString outputPath; // empty: the user's home folder
    QString mailSubject = QStringLiteral("Share with you");
    QString mailBody = QStringLiteral("Hi");
};
StartValues RecorderStartValues(); // "VidezevaCfg.ini"
StartValues RipperStartValues();   // "DuzivuzCfg.ini"

// Sets the start values; runs once however often it is called, until Finalize.
void Initialize(const StartValues& values);
// Releases the texts and the schedule; runs once after an Initialize.
void Finalize();
// What a main window sets when it is created: AppPath and SettingsPath, and the program folder as
// the output and conversion folders until the settings window reads its file.
void SetProgramFolders();
// The full names of the settings and schedule files.
QString CfgFilePath();
QString ScheduleFilePath();
// Tells the user `text` about a settings or schedule file that could not be read or written, once
// per file in a run: the program goes on with what its windows hold, and a file that refused the
// save at start-up is not reported again when the save at exit fails the same way.
void ReportSettingsFileFault(const QString& fileName, const QString& text);
// "Unable to read <file>", as above, for each of `files` that is there but cannot be read.
void ReportUnreadableSettingsFiles(const QStringList& files);

// Sends one message through the mail client from name=value lines ("to", "subject", "body",
// "attachment0", "attachment1", ...). Returns the mail layer's result code.
unsigned long SendMailByMapi(QWidget* window, const QStringList& params);
// The folder that stands for the system folder, without a trailing "/".
QString GetSystemDir();
// Loads a component module and calls its registration (register == 1) or unregistration entry
// point; true when that entry point reports success.
bool RegisterComServer(const QString& fileName, int reg);
// "WAV", "MP3", "WMA", "OGG" or empty, from the file name's extension in any case.
QString GetAudioFormat(const QString& fileName);
QString FileSizeToStr(int64_t size);
QString SizeSortKey(const QString& text);
QString IntToZeroStr(int64_t value, uint8_t width);
QString PadLeftStr(const QString& text, uint8_t width, QChar padChar);
QString MSecToHMSStr(int64_t ms);
QString MSecToTimeStr(int64_t ms);
QString MSecToMinSecStr(int64_t ms);
uint8_t CountBlanks(const QString& text);
QString IndentStr(const QString& text, int count);
QString Blanks(uint8_t count);
// "hh:mm:ss" into three bytes; a part that is not a number stops the conversion there, leaving it
// and the parts after it as they were.
void ParseTimeStr(const QString& text, uint8_t& hour, uint8_t& minute, uint8_t& second);

// Delphi-style trimming: blanks and control characters off both ends.
QString TrimText(const QString& text);

} // namespace GlobeVar
