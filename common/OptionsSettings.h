#pragma once

#include "common/GlobeVar.h"

#include <QList>
#include <QString>
#include <QStringList>

#include <array>
#include <cstdint>

class ProfileText;

namespace Videzeva {

// Every setting of the recorder's settings window, in the order the settings file holds them.
enum OptionSetting : int {
    // [OutputFormat]
    WavFreq,
    WavChannels,
    WavSampleRate,
    MP3Freq,
    MP3Channels,
    MP3EncoderQuality,
    MP3BitRate,
    MP3MaxBitRate,
    MP3VBRQuality,
    MP3VBRHeader,
    MP3VBREnable,
    OggFreq,
    OggChannels,
    OggBitRate,
    WmaFormat,
    // [Hotkey]
    StartPreHotKey1,
    StartHotKey1,
    StartPreHotKey2,
    StartHotKey2,
    StopPreHotKey1,
    StopHotKey1,
    StopPreHotKey2,
    StopHotKey2,
    StartUse1,
    StartUse2,
    StopUse1,
    StopUse2,
    // [AutoStop]
    VolumeLevel,
    VolumeTime,
    TimeMinute,
    TimeSecond,
    VolumeStop,
    TimeStop,
    TimeNewRecord,
    // [OutputPath]
    OutputPath,
    PreName,
    PosName,
    UseDate,
    AddNew,
    ConvertOutputPath,
    ConvertSaveToAppointed,
    ConvertAddNew,
    SplitOutputPath,
    SplitSaveToAppointed,
    SplitAddNew,
    JoinOutputPath,
    JoinPreName,
    JoinPosName,
    JoinUseDate,
    JoinAddNew,
    // [Mail]
    Subject,
    Body,
    OptionSettingCount
};

// How a setting is shown and stored.
enum class OptionKind {
    List,   // a drop-down list; the file holds the item index
    Flag,   // a check box; "1"/"0"
    Choice, // a pair of radio buttons; the flag is true when the first is checked
    Number, // an up-down position beside a read-only edit box
    Text,   // an edit box, written as it stands
    Folder, // a read-only folder box, which falls back to the program folder when the folder is gone
    HexText // the mail body memo, written as hexadecimal bytes
};

// The WMA profiles the settings can name: the designed list's fifteen profile names. The list
// holds them four times over (and one empty item) until the main window puts in the profiles the
// WMA component reports, but a stored index past the fifteen names no profile: it loads as the
// default, as any index outside its list does.
constexpr int kWmaProfileNames = 15;

struct OptionSettingInfo {
    OptionSetting setting;
    const char* section;
    const char* key;
    OptionKind kind;
    const char* control;  // the control that shows it
    const char* partner;  // Choice: the radio button checked when the flag is false
    int readDefault;      // a missing key, or a list index outside the list
    int defaultValue;     // the "&Default" button and the first run
    QString defaultText;  // texts: the "&Default" button and the first run (folders: the program folder)
    int minimum, maximum; // Number: the up-down's range
    QStringList items;    // List: the items, index 0 first
};

const OptionSettingInfo& OptionInfo(OptionSetting setting);

// The items of the hot-key lists and their key codes (Windows virtual-key numbering).
const QStringList& HotKeyModifierItems();
const QStringList& HotKeyKeyItems();
// A modifier list index and a key list index as a combination; an index outside its list gives no key.
THotKeyCombo HotKeyComboFromIndexes(int modifierIndex, int keyIndex);

// What the settings window shows: one value per setting (list index, flag 0/1 or up-down position in
// `number`, texts in `text`; the mail body with "\n" between its lines) and the schedule entries.
struct TOptionsValues {
    std::array<int, OptionSettingCount> number{};
    std::array<QString, OptionSettingCount> text;
    QList<TScheduleEntry> schedule;

    bool operator==(const TOptionsValues&) const = default;
};

// The values of the "&Default" button and the first run, folders the program folder. The schedule
// is left empty.
TOptionsValues DefaultOptionsValues();
// Makes sure the four output folders exist, in the order recorder, splitter, joiner, converter: a
// missing folder is created, and one that cannot be becomes the program folder (created if missing).
void EnsureOutputFolders(TOptionsValues& values);

// Reads the settings text into `values` (the schedule is not touched): a missing key, a text that
// is no number or a list index outside its list gives the key's read default; up-down positions
// are held to their ranges; "By time" wins over "By volume"; a folder that does not exist becomes
// the program folder. Folder and subject read defaults are the current globals.
void LoadOptionsValues(const ProfileText& file, TOptionsValues& values);
// Writes the keys of one section, in file order, from `values`.
void SaveOptionsSection(ProfileText& file, const char* section, const TOptionsValues& values);

// The mail body as the settings file holds it: the UTF-8 bytes of its text, lines joined by CR LF,
// as upper-case hexadecimal; and back (pairs of hex digits in either case, up to the first
// character that is not one).
QString MailBodyToHex(const QString& body);
QString MailBodyFromHex(const QString& hex);

// From the values to the globals, as the settings window hands them on.
void GetWavSettings(const TOptionsValues& v, int& wavFreq, int& wavChannels, int& wavSampleRate);
void GetOggSettings(const TOptionsValues& v, int& oggFreq, int& oggChannels, int& oggBitRate);
void GetMp3Settings(const TOptionsValues& v, int& mp3Freq, int& mp3Channels, int& mp3BitRate,
                    int& mp3MaxBitRate, int& mp3EncoderQuality, int& mp3VBRQuality, bool& mp3VBREnable,
                    bool& mp3VBRHeader);
void GetWmaSettings(const TOptionsValues& v, int& wmaFormat);
void GetHotKeySettings(const TOptionsValues& v, THotKeyCombo& start1, THotKeyCombo& start2,
                       THotKeyCombo& stop1, THotKeyCombo& stop2, bool& startUse1, bool& startUse2,
                       bool& stopUse1, bool& stopUse2);
void GetScheduleSettings(const TOptionsValues& v, QList<TScheduleEntry>& schedule);
void GetAutoStopSettings(const TOptionsValues& v, int& volumeLevel, int& volumeTime, int& timeMinute,
                         int& timeSecond, bool& volumeStop, bool& timeStop, bool& timeNewRecord);
void GetOutputSettings(const TOptionsValues& v, QString& outputPath, QString& preName, QString& posName,
                       bool& useDate, bool& overwrite);
void GetJoinSettings(const TOptionsValues& v, QString& outputPath, QString& preName, QString& posName,
                     bool& useDate, bool& overwrite);
void GetConvertSettings(const TOptionsValues& v, QString& outputPath, bool& saveToOriginal, bool& overwrite);
void GetSplitSettings(const TOptionsValues& v, QString& outputPath, bool& saveToOriginal, bool& overwrite);
void GetMailSettings(const TOptionsValues& v, QString& subject, QString& body);
// All twelve, in the order the window calls them, into the GlobeVar globals.
void ApplyOptionsToGlobals(const TOptionsValues& v);

// The folder buttons' test: a file named "<folder><tick>.<tick>" can be created (it is removed again).
// `folder` ends in "/".
bool CanWriteToFolder(const QString& folder);
// The name boxes refuse the nine characters a file name cannot hold.
bool IsFileNameCharAllowed(QChar c);

} // namespace Videzeva
