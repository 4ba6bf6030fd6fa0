#include "common/GlobeVar.h"

#include "platform/UserMessages.h"

#include "platform/ProfileFile.h"
#include "platform/ProgramPaths.h"
#include "platform/SimpleMapi.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

#include <mutex>

#include <dlfcn.h>

namespace GlobeVar {

QString CfgFileName;
QString ScheduleFileName;
QString AppPath;
QString SettingsPath;

int WavFreq = 0, WavChannels = 0, WavSampleRate = 0;
int MP3Freq = 0, MP3Channels = 0, MP3BitRate = 0, MP3MaxBitRate = 0, MP3EncoderQuality = 0, MP3VBRQuality = 0;
bool MP3VBREnable = false, MP3VBRHeader = false;
int OggFreq = 0, OggChannels = 0, OggBitRate = 0;
int WmaFormat = 0;

THotKeyCombo StartHotKeyCombo1, StartHotKeyCombo2, StopHotKeyCombo1, StopHotKeyCombo2;
bool StartUse1 = false, StartUse2 = false, StopUse1 = false, StopUse2 = false;

QList<TScheduleEntry> Schedule;

int VolumeLevel = 0, VolumeTime = 0, TimeMinute = 0, TimeSecond = 0;
bool VolumeStop = false, TimeStop = false, TimeNewRecord = false;

QString OutputPath, PreName, PosName;
bool UseDate = false, Overwrite = false;
bool ConvertSaveToOriginal = false;
QString ConvertOutputPath;
bool ConvertOverwrite = false;
bool SplitSaveToOriginal = false;
QString SplitOutputPath;
bool SplitOverwrite = false;
QString JoinOutputPath, JoinPreName, JoinPosName;
bool JoinUseDate = false, JoinOverwrite = false;
QString MailSubject, MailBody;

namespace {
int runCounter = 0;
}

StartValues RecorderStartValues() {
    StartValues v;
    v.cfgFileName = QStringLiteral("VidezevaCfg.ini");
    return v;
}

StartValues RipperStartValues() {
    StartValues v;
    v.cfgFileName = QStringLiteral("DuzivuzCfg.ini");
    return v;
}

void Initialize(const StartValues& values) {
    if (runCounter++ != 0) return;
    const QString start = values.outputPath.isEmpty() ? ProgramPaths::homeFolder() : values.outputPath;
    OutputPath = start;
    ConvertOutputPath = start;
    CfgFileName = values.cfgFileName;
    ScheduleFileName = values.scheduleFileName;
    MailSubject = values.mailSubject;
    MailBody = values.mailBody;
}

void Finalize() {
    if (runCounter == 0 || --runCounter != 0) return;
    for (QString* s : {&CfgFileName, &ScheduleFileName, &AppPath, &SettingsPath, &OutputPath, &PreName,
                       &PosName, &ConvertOutputPath, &SplitOutputPath, &JoinOutputPath, &JoinPreName,
                       &JoinPosName, &MailSubject, &MailBody})
        s->clear();
    Schedule.clear();
}

void SetProgramFolders() {
    AppPath = ProgramPaths::programFolder();
    SettingsPath = ProgramPaths::settingsFolder();
    OutputPath = AppPath;
    ConvertOutputPath = AppPath;
}

QString CfgFilePath() {
    return (SettingsPath.isEmpty() ? AppPath : SettingsPath) + CfgFileName;
}
QString ScheduleFilePath() {
    return (SettingsPath.isEmpty() ? AppPath : SettingsPath) + ScheduleFileName;
}

namespace {
std::mutex hotKeysLock;
THotKeySet publishedHotKeys;
} // namespace

void PublishHotKeys() {
    const THotKeySet set{StartHotKeyCombo1, StartHotKeyCombo2, StopHotKeyCombo1, StopHotKeyCombo2,
                         StartUse1,         StartUse2,         StopUse1,         StopUse2};
    const std::lock_guard lock(hotKeysLock);
    publishedHotKeys = set;
}

THotKeySet PublishedHotKeys() {
    const std::lock_guard lock(hotKeysLock);
    return publishedHotKeys;
}

void ReportSettingsFileFault(const QString& fileName, const QString& text) {
    static QSet<QString> reported;
    if (reported.contains(fileName)) return;
    reported.insert(fileName);
    ReportError(text);
}

void ReportUnreadableSettingsFiles(const QStringList& files) {
    for (const QString& file : files)
        if (!ProfileFile(file).readable())
            ReportSettingsFileFault(file, QStringLiteral("Unable to read %1").arg(file));
}

namespace {
QString paramValue(const QStringList& params, const QString& name) {
    // name=value lines; the first line with that name counts, the name compared without case.
    for (const QString& line : params) {
        const qsizetype eq = line.indexOf(u'=');
        if (eq < 0) continue;
        if (line.left(eq).compare(name, Qt::CaseInsensitive) == 0) return line.mid(eq + 1);
    }
    return {};
}
} // namespace

unsigned long SendMailByMapi(QWidget* window, const QStringList& params) {
    SimpleMapi::Message message;
    const QString to = paramValue(params, QStringLiteral("to"));
    if (!to.isEmpty()) message.recipients.append({to, QStringLiteral("SMTP:") + to});
    for (int i = 0;; ++i) {
        const QString path = paramValue(params, QStringLiteral("attachment") + QString::number(i));
        if (path.isEmpty()) break;
        message.attachments.append({path, QFileInfo(path).fileName()});
    }
    message.subject = paramValue(params, QStringLiteral("subject"));
    message.noteText = paramValue(params, QStringLiteral("body"));
    unsigned long flags = SimpleMapi::LogonUi | SimpleMapi::NewSession;
    if (window) flags |= SimpleMapi::Dialog;
    return SimpleMapi::sendMail(message, flags);
}

QString GetSystemDir() {
    return ProgramPaths::systemFolder();
}

bool RegisterComServer(const QString& fileName, int reg) {
    void* module = dlopen(QFile::encodeName(fileName).constData(), RTLD_NOW | RTLD_LOCAL);
    if (!module) return false;
    bool ok = false;
    using EntryPoint = long (*)();
    const char* entryName = reg == 1 ? "DllRegisterServer" : "DllUnregisterServer";
    if (auto entry = reinterpret_cast<EntryPoint>(dlsym(module, entryName))) ok = entry() >= 0;
    dlclose(module);
    return ok;
}

QString GetAudioFormat(const QString& fileName) {
    const QString name = QFileInfo(fileName).fileName();
    const qsizetype dot = name.lastIndexOf(u'.');
    if (dot < 0) return {};
    const QString ext = name.mid(dot).toUpper();
    if (ext == QLatin1String(".WAV")) return QStringLiteral("WAV");
    if (ext == QLatin1String(".MP3")) return QStringLiteral("MP3");
    if (ext == QLatin1String(".WMA")) return QStringLiteral("WMA");
    if (ext == QLatin1String(".OGG")) return QStringLiteral("OGG");
    return {};
}

QString FileSizeToStr(int64_t size) {
    QString unit;
    int64_t tenths;
    if (size > 1048576) {
        unit = QStringLiteral(" MB");
        tenths = size * 10 / 1048576;
    } else if (size > 1024) {
        unit = QStringLiteral(" KB");
        tenths = size * 10 / 1024;
    } else {
        unit = QStringLiteral(" Bytes");
        tenths = size * 10;
    }
    const int64_t whole = tenths / 10;
    const int64_t digit = tenths % 10;
    // Groups of three from the right, separated by ",", whatever the locale.
    QString digits = QString::number(whole < 0 ? -whole : whole);
    QString grouped;
    for (qsizetype i = 0; i < digits.size(); ++i) {
        if (i > 0 && (digits.size() - i) % 3 == 0) grouped += u',';
        grouped += digits[i];
    }
    if (whole < 0) grouped.prepend(u'-');
    QString result = PadLeftStr(grouped, 4, u' ');
    if (digit != 0) result += u'.' + QString::number(digit < 0 ? -digit : digit);
    return result + unit;
}

QString SizeSortKey(const QString& text) {
    if (text.contains(QLatin1String("MB"))) return u'c' + text;
    if (text.contains(QLatin1String("KB"))) return u'b' + text;
    if (text.contains(QLatin1String("Bytes"))) return u'a' + text;
    return text;
}

QString IntToZeroStr(int64_t value, uint8_t width) {
    return PadLeftStr(QString::number(value), width, u'0');
}

QString PadLeftStr(const QString& text, uint8_t width, QChar padChar) {
    if (text.size() >= width) return text;
    return QString(width - text.size(), padChar) + text;
}

namespace {
void splitHms(int64_t ms, int64_t& h, int64_t& m, int64_t& s) {
    const int64_t seconds = ms / 1000;
    h = seconds / 3600;
    m = (seconds / 60) % 60;
    s = seconds % 60;
}
} // namespace

QString MSecToHMSStr(int64_t ms) {
    int64_t h, m, s;
    splitHms(ms, h, m, s);
    return IntToZeroStr(h, 2) + QStringLiteral("h ") + IntToZeroStr(m, 2) + QStringLiteral("m ") +
           IntToZeroStr(s, 2) + QStringLiteral("s ");
}

QString MSecToTimeStr(int64_t ms) {
    int64_t h, m, s;
    splitHms(ms, h, m, s);
    return IntToZeroStr(h, 2) + QStringLiteral(" : ") + IntToZeroStr(m, 2) + QStringLiteral(" : ") +
           IntToZeroStr(s, 2);
}

QString MSecToMinSecStr(int64_t ms) {
    const int64_t seconds = ms / 1000;
    return IntToZeroStr(seconds / 60, 3) + QStringLiteral(" : ") + IntToZeroStr(seconds % 60, 2) +
           QStringLiteral(" : ") + IntToZeroStr(ms % 1000, 3);
}

QString TrimText(const QString& text) {
    qsizetype first = 0, last = text.size();
    while (first < last && text[first].unicode() <= u' ')
        ++first;
    while (last > first && text[last - 1].unicode() <= u' ')
        --last;
    return text.mid(first, last - first);
}

uint8_t CountBlanks(const QString& text) {
    return static_cast<uint8_t>(text.size() - TrimText(text).size());
}

QString IndentStr(const QString& text, int count) {
    return Blanks(static_cast<uint8_t>(count < 0 ? 0 : count)) + TrimText(text);
}

QString Blanks(uint8_t count) {
    return QString(count, u' ');
}

namespace {
// A whole number as the two-character fields are read: leading blanks allowed, nothing after.
bool toInteger(const QString& text, int& value) {
    qsizetype i = 0;
    while (i < text.size() && text[i] == u' ')
        ++i;
    bool ok = false;
    const QString rest = text.mid(i);
    if (rest.isEmpty() || rest.contains(u' ')) return false;
    value = rest.toInt(&ok, 10);
    return ok;
}
} // namespace

void ParseTimeStr(const QString& text, uint8_t& hour, uint8_t& minute, uint8_t& second) {
    uint8_t* outputs[] = {&hour, &minute, &second};
    const int starts[] = {0, 3, 6};
    for (int i = 0; i < 3; ++i) {
        int v = 0;
        if (!toInteger(text.mid(starts[i], 2), v)) return;
        *outputs[i] = static_cast<uint8_t>(v);
    }
}

} // namespace GlobeVar
