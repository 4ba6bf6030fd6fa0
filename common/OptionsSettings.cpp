#include "common/OptionsSettings.h"

#include "platform/ProfileFile.h"
#include "platform/TickCount.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <vector>

namespace Videzeva {

namespace {

QStringList numbered(const QString& first, const QString& last) {
    QStringList items{first};
    for (int i = 1; i <= 8; ++i)
        items << QString::number(i);
    items << last;
    return items;
}

QStringList hz(std::initializer_list<int> rates) {
    QStringList items;
    for (int r : rates)
        items << QString::number(r) + QStringLiteral(" Hz");
    return items;
}

QStringList wmaItems() {
    const QStringList names{"8000Hz,mono,4kbps",     "8000Hz,mono,5kbps",     "8000Hz,mono,6kbps",
                            "8000Hz,mono,8kbps",     "11025Hz,mono,10kbps",   "16000Hz,mono,16kbps",
                            "22050Hz,mono,20kbps",   "22050Hz,stereo,20kbps", "22050Hz,stereo,32kbps",
                            "32000Hz,stereo,32kbps", "32000Hz,stereo,40kbps", "32000Hz,stereo,48kbps",
                            "44100Hz,stereo,64kbps", "44100Hz,stereo,96kbps", "44100Hz,stereo,128kbps"};
    // The designed list holds the names four times and one empty item, so stored indexes up to 60
    // survive until the main window puts in the profiles the WMA component reports.
    QStringList items;
    for (int i = 0; i < 4; ++i)
        items << names;
    items << QString();
    return items;
}

const std::vector<OptionSettingInfo>& table() {
    static const std::vector<OptionSettingInfo> t = [] {
        const QStringList channels{"Mono", "Stereo"};
        const QStringList rates3 = hz({32000, 44100, 48000});
        const QStringList bitRates{"320 kbps", "256 kbps", "224 kbps", "192 kbps", "160 kbps",
                                   "128 kbps", "112 kbps", "96 kbps",  "80 kbps"};
        const QStringList mp3Quality = numbered("0 (best quality)", "9 (best speed)");
        const char* fmt = "OutputFormat";
        const char* hot = "Hotkey";
        const char* stop = "AutoStop";
        const char* out = "OutputPath";
        using K = OptionKind;
        auto list = [](OptionSetting s, const char* sec, const char* key, const char* control, int readDef,
                       int def, QStringList items) {
            return OptionSettingInfo{s, sec, key, K::List, control, nullptr, readDef, def, {}, 0, 0, items};
        };
        auto flag = [](OptionSetting s, const char* sec, const char* key, const char* control, bool def) {
            return OptionSettingInfo{s, sec, key, K::Flag, control, nullptr, def, def, {}, 0, 1, {}};
        };
        auto choice = [](OptionSetting s, const char* key, const char* control, const char* partner, bool def,
                         const char* sec) {
            return OptionSettingInfo{s, sec, key, K::Choice, control, partner, def, def, {}, 0, 1, {}};
        };
        auto number = [](OptionSetting s, const char* key, const char* control, int def, int lo, int hi) {
            return OptionSettingInfo{s,   "AutoStop", key, K::Number, control, nullptr,
                                     def, def,        {},  lo,        hi,      {}};
        };
        auto text = [](OptionSetting s, const char* sec, const char* key, OptionKind kind,
                       const char* control, const char* def) {
            return OptionSettingInfo{s, sec, key, kind, control, nullptr, 0, 0, QString::fromUtf8(def),
                                     0, 0,   {}};
        };
        const QStringList modifiers = HotKeyModifierItems();
        const QStringList keys = HotKeyKeyItems();
        return std::vector<OptionSettingInfo>{
            list(WavFreq, fmt, "WavFreq", "cboxWavFreq", 5, 5,
                 hz({8000, 11025, 22050, 24000, 32000, 44100, 48000})),
            list(WavChannels, fmt, "WavChannels", "cboxWavChannels", 1, 1, channels),
            list(WavSampleRate, fmt, "WavSampleRate", "cboxWavSampleRate", 1, 1, {"8 bit", "16 bit"}),
            list(MP3Freq, fmt, "MP3Freq", "cboxMP3Freq", 1, 1, rates3),
            list(MP3Channels, fmt, "MP3Channels", "cboxMP3Channels", 1, 1, channels),
            list(MP3EncoderQuality, fmt, "MP3EncoderQuality", "cboxMP3EncoderQuality", 0, 0, mp3Quality),
            list(MP3BitRate, fmt, "MP3BitRate", "cboxMP3BitRate", 6, 6, bitRates),
            list(MP3MaxBitRate, fmt, "MP3MaxBitRate", "cboxMP3MaxBitRate", 6, 6, bitRates),
            list(MP3VBRQuality, fmt, "MP3VBRQuality", "cboxMP3VBRQuality", 0, 0, mp3Quality),
            flag(MP3VBRHeader, fmt, "MP3VBRHeader", "cboxVBRHeader", false),
            flag(MP3VBREnable, fmt, "MP3VBREnable", "cboxVBREnable", false),
            list(OggFreq, fmt, "OggFreq", "cboxOggFreq", 1, 1, rates3),
            list(OggChannels, fmt, "OggChannels", "cboxOggChannels", 1, 1, channels),
            list(OggBitRate, fmt, "OggBitRate", "cboxOggBitRate", 6, 6,
                 numbered("0 (best speed)", "9 (best quality)")),
            list(WmaFormat, fmt, "WmaFormat", "cboxWmaFormat", 0, 14, wmaItems()),
            list(StartPreHotKey1, hot, "StartPreHotKey1", "comboxStartPre1", 1, 1, modifiers),
            list(StartHotKey1, hot, "StartHotKey1", "comboxStart1", 28, 28, keys),
            list(StartPreHotKey2, hot, "StartPreHotKey2", "comboxStartPre2", 0, 0, modifiers),
            list(StartHotKey2, hot, "StartHotKey2", "comboxStart2", 55, 55, keys),
            list(StopPreHotKey1, hot, "StopPreHotKey1", "comboxStopPre1", 1, 1, modifiers),
            list(StopHotKey1, hot, "StopHotKey1", "comboxStop1", 29, 29, keys),
            list(StopPreHotKey2, hot, "StopPreHotKey2", "comboxStopPre2", 0, 0, modifiers),
            list(StopHotKey2, hot, "StopHotKey2", "comboxStop2", 56, 56, keys),
            flag(StartUse1, hot, "StartUse1", "cboxStart1", true),
            flag(StartUse2, hot, "StartUse2", "cboxStart2", true),
            flag(StopUse1, hot, "StopUse1", "cboxStop1", true),
            flag(StopUse2, hot, "StopUse2", "cboxStop2", true),
            number(VolumeLevel, "VolumeLevel", "udVolumeLevel", 5, 1, 99),
            number(VolumeTime, "VolumeTime", "udVolumeTime", 3, 0, 99),
            number(TimeMinute, "TimeMinute", "udStopMinute", 0, 0, 1440),
            number(TimeSecond, "TimeSecond", "udStopSecond", 30, 0, 59),
            flag(VolumeStop, stop, "VolumeStop", "cboxStopVolume", false),
            flag(TimeStop, stop, "TimeStop", "cboxStopTime", false),
            choice(TimeNewRecord, "TimeNewRecord", "rbNewRecordTimeLimit", "rbStopTimeLimit", false, stop),
            text(OutputPath, out, "OutputPath", K::Folder, "edOutputPath", ""),
            text(PreName, out, "PreName", K::Text, "edPreName", "Recorded"),
            text(PosName, out, "PosName", K::Text, "edPosName", ""),
            flag(UseDate, out, "UseDate", "cboxUseDate", true),
            choice(AddNew, "AddNew", "rbAddNew", "rbOverwrite", true, out),
            text(ConvertOutputPath, out, "ConvertOutputPath", K::Folder, "edConvertOutputPath", ""),
            choice(ConvertSaveToAppointed, "ConvertSaveToAppointed", "rbSaveToAppointed", "rbSaveToOriginal",
                   false, out),
            choice(ConvertAddNew, "ConvertAddNew", "rbConvertAddNew", "rbConvertOverwrite", true, out),
            text(SplitOutputPath, out, "SplitOutputPath", K::Folder, "edSplitOutputPath", ""),
            choice(SplitSaveToAppointed, "SplitSaveToAppointed", "rbSplitSaveToAppointed",
                   "rbSplitSaveToOriginal", false, out),
            choice(SplitAddNew, "SplitAddNew", "rbSplitAddNew", "rbSplitOverwrite", true, out),
            text(JoinOutputPath, out, "JoinOutputPath", K::Folder, "edJoinOutputPath", ""),
            text(JoinPreName, out, "JoinPreName", K::Text, "edJoinPreName", "Merged"),
            text(JoinPosName, out, "JoinPosName", K::Text, "edJoinPosName", ""),
            flag(JoinUseDate, out, "JoinUseDate", "cboxJoinUseDate", true),
            choice(JoinAddNew, "JoinAddNew", "rbJoinAddNew", "rbJoinOverwrite", true, out),
            text(Subject, "Mail", "Subject", K::Text, "edSubject", "Share"),
            text(Body, "Mail", "Body", K::HexText, "memoBody", "Hi,"),
        };
    }();
    return t;
}

bool isTextKind(OptionKind k) {
    return k == OptionKind::Text || k == OptionKind::Folder || k == OptionKind::HexText;
}

// The text a list shows at `index`, or empty outside the list.
QString itemText(const TOptionsValues& v, OptionSetting s) {
    const QStringList& items = OptionInfo(s).items;
    const int i = v.number[s];
    return i >= 0 && i < items.size() ? items[i] : QString();
}

// A list text without its unit (" Hz", " bit", " kbps") as a number.
int withoutUnit(const QString& text, int unitLength) {
    return text.left(std::max<qsizetype>(0, text.size() - unitLength)).toInt();
}

bool existingFolder(const QString& path) {
    const QString t = GlobeVar::TrimText(path);
    return !t.isEmpty() && QFileInfo(t).isDir();
}

} // namespace

const OptionSettingInfo& OptionInfo(OptionSetting setting) {
    return table().at(static_cast<size_t>(setting));
}

const QStringList& HotKeyModifierItems() {
    static const QStringList items{"<None>", "Ctrl", "Alt", "Shift", "Ctrl+Alt", "Ctrl+Shift", "Shift+Alt"};
    return items;
}

const QStringList& HotKeyKeyItems() {
    static const QStringList items = [] {
        QStringList k{"`"};
        for (char c = '0'; c <= '9'; ++c)
            k << QString(QChar(c));
        for (char c = 'A'; c <= 'Z'; ++c)
            k << QString(QChar(c));
        k << "Insert"
          << "Delete"
          << "Home"
          << "End"
          << "PageUp"
          << "PageDown";
        for (int f = 1; f <= 12; ++f)
            k << QStringLiteral("F%1").arg(f);
        k << "Numpad +"
          << "Numpad -"
          << "Numpad *"
          << "Numpad /";
        return k;
    }();
    return items;
}

THotKeyCombo HotKeyComboFromIndexes(int modifierIndex, int keyIndex) {
    static constexpr uint32_t pre[7][2] = {{0, 0},       {0x11, 0},    {0x12, 0},   {0x10, 0},
                                           {0x11, 0x12}, {0x11, 0x10}, {0x10, 0x12}};
    static constexpr uint32_t special[] = {0x2D, 0x2E, 0x24, 0x23, 0x21, 0x22};
    static constexpr uint32_t numpad[] = {0x6B, 0x6D, 0x6A, 0x6F};
    THotKeyCombo combo;
    if (modifierIndex >= 0 && modifierIndex < 7) {
        combo.PreKey1 = pre[modifierIndex][0];
        combo.PreKey2 = pre[modifierIndex][1];
    }
    const int k = keyIndex;
    if (k == 0)
        combo.HotKey = 0xC0;
    else if (k >= 1 && k <= 10)
        combo.HotKey = 0x30 + uint32_t(k - 1);
    else if (k >= 11 && k <= 36)
        combo.HotKey = 0x41 + uint32_t(k - 11);
    else if (k >= 37 && k <= 42)
        combo.HotKey = special[k - 37];
    else if (k >= 43 && k <= 54)
        combo.HotKey = 0x70 + uint32_t(k - 43);
    else if (k >= 55 && k <= 58)
        combo.HotKey = numpad[k - 55];
    return combo;
}

TOptionsValues DefaultOptionsValues() {
    TOptionsValues v;
    for (const OptionSettingInfo& info : table()) {
        if (isTextKind(info.kind))
            v.text[info.setting] = info.kind == OptionKind::Folder ? GlobeVar::AppPath : info.defaultText;
        else
            v.number[info.setting] = info.defaultValue;
    }
    return v;
}

void EnsureOutputFolders(TOptionsValues& values) {
    for (OptionSetting s : {OutputPath, SplitOutputPath, JoinOutputPath, ConvertOutputPath}) {
        const QString folder = GlobeVar::TrimText(values.text[s]);
        if (!folder.isEmpty() && QDir().mkpath(folder)) continue;
        QDir().mkpath(GlobeVar::AppPath);
        values.text[s] = GlobeVar::AppPath;
    }
}

void LoadOptionsValues(const ProfileText& file, TOptionsValues& v) {
    for (const OptionSettingInfo& info : table()) {
        const QString section = QString::fromLatin1(info.section);
        const QString key = QString::fromLatin1(info.key);
        switch (info.kind) {
        case OptionKind::List: {
            const int i = file.readInteger(section, key, info.readDefault);
            const qsizetype count = info.setting == WmaFormat ? kWmaProfileNames : info.items.size();
            v.number[info.setting] = i >= 0 && i < count ? i : info.readDefault;
            break;
        }
        case OptionKind::Flag:
        case OptionKind::Choice:
            v.number[info.setting] = file.readBool(section, key, info.readDefault != 0) ? 1 : 0;
            break;
        case OptionKind::Number:
            v.number[info.setting] =
                std::clamp(file.readInteger(section, key, info.readDefault), info.minimum, info.maximum);
            break;
        case OptionKind::Text: {
            const QString def = info.setting == Subject ? GlobeVar::MailSubject : info.defaultText;
            v.text[info.setting] = file.readString(section, key, def);
            break;
        }
        case OptionKind::Folder: {
            QString def;
            switch (info.setting) {
            case OutputPath:
                def = GlobeVar::OutputPath;
                break;
            case ConvertOutputPath:
                def = GlobeVar::ConvertOutputPath;
                break;
            case SplitOutputPath:
                def = GlobeVar::SplitOutputPath;
                break;
            default:
                def = GlobeVar::JoinOutputPath;
                break;
            }
            const QString folder = file.readString(section, key, def);
            v.text[info.setting] = existingFolder(folder) ? folder : GlobeVar::AppPath;
            break;
        }
        case OptionKind::HexText:
            v.text[info.setting] = MailBodyFromHex(file.readString(section, key, QString()));
            break;
        }
    }
    // The two automatic stops exclude each other; the later one read wins.
    if (v.number[TimeStop]) v.number[VolumeStop] = 0;
}

void SaveOptionsSection(ProfileText& file, const char* section, const TOptionsValues& v) {
    for (const OptionSettingInfo& info : table()) {
        if (qstrcmp(info.section, section) != 0) continue;
        const QString sec = QString::fromLatin1(info.section);
        const QString key = QString::fromLatin1(info.key);
        switch (info.kind) {
        case OptionKind::List:
        case OptionKind::Number:
            file.writeInteger(sec, key, v.number[info.setting]);
            break;
        case OptionKind::Flag:
        case OptionKind::Choice:
            file.writeBool(sec, key, v.number[info.setting] != 0);
            break;
        case OptionKind::Text:
        case OptionKind::Folder:
            file.writeString(sec, key, v.text[info.setting]);
            break;
        case OptionKind::HexText:
            file.writeString(sec, key, MailBodyToHex(v.text[info.setting]));
            break;
        }
    }
}

QString MailBodyToHex(const QString& body) {
    QString crlf = body;
    crlf.replace(QStringLiteral("\r\n"), QStringLiteral("\n")).replace(u'\n', QStringLiteral("\r\n"));
    return QString::fromLatin1(crlf.toUtf8().toHex().toUpper());
}

QString MailBodyFromHex(const QString& hex) {
    QByteArray bytes;
    auto digit = [](QChar c) -> int {
        const char16_t u = c.unicode();
        if (u >= '0' && u <= '9') return u - '0';
        if (u >= 'a' && u <= 'f') return u - 'a' + 10;
        if (u >= 'A' && u <= 'F') return u - 'A' + 10;
        return -1;
    };
    for (qsizetype i = 0; i + 1 < hex.size(); i += 2) {
        const int hi = digit(hex[i]), lo = digit(hex[i + 1]);
        if (hi < 0 || lo < 0) break;
        bytes.append(char(hi * 16 + lo));
    }
    QString text = QString::fromUtf8(bytes);
    text.replace(QStringLiteral("\r\n"), QStringLiteral("\n"));
    return text;
}

void GetWavSettings(const TOptionsValues& v, int& wavFreq, int& wavChannels, int& wavSampleRate) {
    wavFreq = withoutUnit(itemText(v, WavFreq), 3);
    wavChannels = itemText(v, WavChannels) == QLatin1String("Stereo") ? 2 : 1;
    wavSampleRate = withoutUnit(itemText(v, WavSampleRate), 4);
}

void GetOggSettings(const TOptionsValues& v, int& oggFreq, int& oggChannels, int& oggBitRate) {
    oggFreq = withoutUnit(itemText(v, OggFreq), 3);
    oggChannels = itemText(v, OggChannels) == QLatin1String("Stereo") ? 2 : 1;
    oggBitRate = v.number[OggBitRate] * 100 + 99;
}

void GetMp3Settings(const TOptionsValues& v, int& mp3Freq, int& mp3Channels, int& mp3BitRate,
                    int& mp3MaxBitRate, int& mp3EncoderQuality, int& mp3VBRQuality, bool& mp3VBREnable,
                    bool& mp3VBRHeader) {
    mp3Freq = withoutUnit(itemText(v, MP3Freq), 3);
    mp3Channels = itemText(v, MP3Channels) == QLatin1String("Stereo") ? 2 : 1;
    mp3BitRate = withoutUnit(itemText(v, MP3BitRate), 5);
    mp3MaxBitRate = withoutUnit(itemText(v, MP3MaxBitRate), 5);
    mp3EncoderQuality = itemText(v, MP3EncoderQuality).left(1).toInt();
    mp3VBRQuality = itemText(v, MP3VBRQuality).left(1).toInt();
    mp3VBREnable = v.number[MP3VBREnable] != 0;
    mp3VBRHeader = v.number[MP3VBRHeader] != 0;
}

void GetWmaSettings(const TOptionsValues& v, int& wmaFormat) {
    wmaFormat = v.number[WmaFormat] < 0 ? 0 : v.number[WmaFormat] + 1;
}

void GetHotKeySettings(const TOptionsValues& v, THotKeyCombo& start1, THotKeyCombo& start2,
                       THotKeyCombo& stop1, THotKeyCombo& stop2, bool& startUse1, bool& startUse2,
                       bool& stopUse1, bool& stopUse2) {
    start1 = HotKeyComboFromIndexes(v.number[StartPreHotKey1], v.number[StartHotKey1]);
    start2 = HotKeyComboFromIndexes(v.number[StartPreHotKey2], v.number[StartHotKey2]);
    stop1 = HotKeyComboFromIndexes(v.number[StopPreHotKey1], v.number[StopHotKey1]);
    stop2 = HotKeyComboFromIndexes(v.number[StopPreHotKey2], v.number[StopHotKey2]);
    startUse1 = v.number[StartUse1] != 0;
    startUse2 = v.number[StartUse2] != 0;
    stopUse1 = v.number[StopUse1] != 0;
    stopUse2 = v.number[StopUse2] != 0;
}

void GetScheduleSettings(const TOptionsValues& v, QList<TScheduleEntry>& schedule) {
    schedule = v.schedule;
}

void GetAutoStopSettings(const TOptionsValues& v, int& volumeLevel, int& volumeTime, int& timeMinute,
                         int& timeSecond, bool& volumeStop, bool& timeStop, bool& timeNewRecord) {
    volumeLevel = v.number[VolumeLevel];
    volumeTime = v.number[VolumeTime];
    timeMinute = v.number[TimeMinute];
    timeSecond = v.number[TimeSecond];
    volumeStop = v.number[VolumeStop] != 0;
    timeStop = v.number[TimeStop] != 0;
    timeNewRecord = v.number[TimeNewRecord] != 0;
}

void GetOutputSettings(const TOptionsValues& v, QString& outputPath, QString& preName, QString& posName,
                       bool& useDate, bool& overwrite) {
    outputPath = GlobeVar::TrimText(v.text[OutputPath]);
    preName = GlobeVar::TrimText(v.text[PreName]);
    posName = GlobeVar::TrimText(v.text[PosName]);
    useDate = v.number[UseDate] != 0;
    overwrite = v.number[AddNew] == 0;
}

void GetJoinSettings(const TOptionsValues& v, QString& outputPath, QString& preName, QString& posName,
                     bool& useDate, bool& overwrite) {
    outputPath = GlobeVar::TrimText(v.text[JoinOutputPath]);
    preName = GlobeVar::TrimText(v.text[JoinPreName]);
    posName = GlobeVar::TrimText(v.text[JoinPosName]);
    useDate = v.number[JoinUseDate] != 0;
    overwrite = v.number[JoinAddNew] == 0;
}

void GetConvertSettings(const TOptionsValues& v, QString& outputPath, bool& saveToOriginal, bool& overwrite) {
    outputPath = GlobeVar::TrimText(v.text[ConvertOutputPath]);
    saveToOriginal = v.number[ConvertSaveToAppointed] == 0;
    overwrite = v.number[ConvertAddNew] == 0;
}

void GetSplitSettings(const TOptionsValues& v, QString& outputPath, bool& saveToOriginal, bool& overwrite) {
    outputPath = GlobeVar::TrimText(v.text[SplitOutputPath]);
    saveToOriginal = v.number[SplitSaveToAppointed] == 0;
    overwrite = v.number[SplitAddNew] == 0;
}

void GetMailSettings(const TOptionsValues& v, QString& subject, QString& body) {
    subject = GlobeVar::TrimText(v.text[Subject]);
    body = GlobeVar::TrimText(v.text[Body]);
}

void ApplyOptionsToGlobals(const TOptionsValues& v) {
    using namespace GlobeVar;
    GetWavSettings(v, GlobeVar::WavFreq, GlobeVar::WavChannels, GlobeVar::WavSampleRate);
    GetOggSettings(v, GlobeVar::OggFreq, GlobeVar::OggChannels, GlobeVar::OggBitRate);
    GetMp3Settings(v, GlobeVar::MP3Freq, GlobeVar::MP3Channels, GlobeVar::MP3BitRate, GlobeVar::MP3MaxBitRate,
                   GlobeVar::MP3EncoderQuality, GlobeVar::MP3VBRQuality, GlobeVar::MP3VBREnable,
                   GlobeVar::MP3VBRHeader);
    GetWmaSettings(v, GlobeVar::WmaFormat);
    GetHotKeySettings(v, StartHotKeyCombo1, StartHotKeyCombo2, StopHotKeyCombo1, StopHotKeyCombo2,
                      GlobeVar::StartUse1, GlobeVar::StartUse2, GlobeVar::StopUse1, GlobeVar::StopUse2);
    PublishHotKeys();
    GetScheduleSettings(v, GlobeVar::Schedule);
    GetAutoStopSettings(v, GlobeVar::VolumeLevel, GlobeVar::VolumeTime, GlobeVar::TimeMinute,
                        GlobeVar::TimeSecond, GlobeVar::VolumeStop, GlobeVar::TimeStop,
                        GlobeVar::TimeNewRecord);
    GetOutputSettings(v, GlobeVar::OutputPath, GlobeVar::PreName, GlobeVar::PosName, GlobeVar::UseDate,
                      Overwrite);
    GetJoinSettings(v, GlobeVar::JoinOutputPath, GlobeVar::JoinPreName, GlobeVar::JoinPosName,
                    GlobeVar::JoinUseDate, JoinOverwrite);
    GetConvertSettings(v, GlobeVar::ConvertOutputPath, ConvertSaveToOriginal, ConvertOverwrite);
    GetSplitSettings(v, GlobeVar::SplitOutputPath, SplitSaveToOriginal, SplitOverwrite);
    GetMailSettings(v, MailSubject, MailBody);
}

bool CanWriteToFolder(const QString& folder) {
    const QString first = QString::number(GetTickCount());
    const QString name = folder + first + u'.' + QString::number(GetTickCount());
    QFile probe(name);
    if (!probe.open(QIODevice::NewOnly | QIODevice::WriteOnly)) return false;
    probe.close();
    probe.remove();
    return true;
}

bool IsFileNameCharAllowed(QChar c) {
    return !QStringLiteral("\\/:*?\"<>|").contains(c);
}

} // namespace Videzeva
