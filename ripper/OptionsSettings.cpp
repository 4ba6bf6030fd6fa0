#include "ripper/OptionsSettings.h"

#include "common/GlobeVar.h"
#include "common/SettingsFile.h"
#include "components/TFreeDBInformation2.h"
#include "platform/ProfileFile.h"
#include "ripper/RGlobeVar.h"

#include <QDir>
#include <QFileInfo>

namespace Duzivuz {

namespace {

const QString kFreeDB = QStringLiteral("FreeDB");
const QString kOutputPath = QStringLiteral("OutputPath");

int readInRange(const ProfileText& file, const QString& key, int def, int low, int high) {
    const int value = file.readInteger(kFreeDB, key, def);
    return value >= low && value <= high ? value : def;
}

} // namespace

bool TRipperOptions::operator==(const TRipperOptions& other) const {
    for (int s = Videzeva::WavFreq; s <= Videzeva::WmaFormat; ++s)
        if (shared.number[s] != other.shared.number[s]) return false;
    return shared.text[Videzeva::OutputPath] == other.shared.text[Videzeva::OutputPath] &&
           freeDBServer == other.freeDBServer && freeDBPort == other.freeDBPort &&
           freeDBTimeOut == other.freeDBTimeOut;
}

TRipperOptions SetDefaultOptions() {
    TRipperOptions options;
    options.shared = Videzeva::DefaultOptionsValues();
    // The program folder; when it cannot be made, made once more.
    QString& folder = options.shared.text[Videzeva::OutputPath];
    folder = GlobeVar::AppPath;
    if (!QFileInfo(folder).isDir() && !QDir().mkpath(folder)) {
        folder = GlobeVar::AppPath;
        QDir().mkpath(folder);
    }
    return options;
}

void LoadRipperSettings(const ProfileText& file, TRipperOptions& options) {
    // The recorder's reader takes every key it knows: the ripper's file holds only the format
    // keys and the output folder of those, so the others keep their defaults and are never written.
    Videzeva::LoadOptionsValues(file, options.shared);
    int& wma = options.shared.number[Videzeva::WmaFormat];
    if (wma >= kRipperWmaProfiles) wma = Videzeva::OptionInfo(Videzeva::WmaFormat).readDefault;
    options.freeDBServer =
        readInRange(file, QStringLiteral("Server"), 1, 0, TFreeDBInformation2::kServerCount - 1);
    options.freeDBPort = readInRange(file, QStringLiteral("Port"), 80, 1, 65535);
    options.freeDBTimeOut = readInRange(file, QStringLiteral("TimeOut"), 7000, 1, kMaxFreeDBTimeOut);
}

void SaveRipperSettings(ProfileText& file, const TRipperOptions& options) {
    Videzeva::SaveOptionsSection(file, "OutputFormat", options.shared);
    file.writeString(kOutputPath, kOutputPath, options.shared.text[Videzeva::OutputPath]);
    file.writeInteger(kFreeDB, QStringLiteral("Server"), options.freeDBServer);
    file.writeInteger(kFreeDB, QStringLiteral("Port"), options.freeDBPort);
    file.writeInteger(kFreeDB, QStringLiteral("TimeOut"), options.freeDBTimeOut);
}

void SaveRipperSettings(TSettingsFile& settings, const TRipperOptions& options) {
    settings.Change([&](ProfileText& text) { SaveRipperSettings(text, options); });
    settings.Write();
}

TRipperOptions StartupRipperOptions(TSettingsFile& settings, TFreeDBInformation2& info) {
    TRipperOptions options;
    if (settings.Existed()) {
        options.shared = Videzeva::DefaultOptionsValues();
        LoadRipperSettings(settings.Text(), options);
        settings.TellIfUnreadable();
    } else {
        options = SetDefaultOptions();
        try {
            SaveRipperSettings(settings, options);
        } catch (const ProfileWriteError& e) {
            GlobeVar::ReportSettingsFileFault(e.fileName(), QString::fromUtf8(e.what()));
        }
    }
    // Also on the first run: the lookups use the server the list shows.
    SelectFreeDBServer(options, info);
    return options;
}

QStringList FreeDBServerNames(TFreeDBInformation2& info) {
    QStringList names;
    for (int i = 0; i < TFreeDBInformation2::kServerCount; ++i) {
        info.SelectServer(i);
        names << info.GetServerName();
    }
    info.SelectServer(0);
    return names;
}

void SelectFreeDBServer(const TRipperOptions& options, TFreeDBInformation2& info) {
    info.SelectServer(options.freeDBServer);
    info.SetPort(options.freeDBPort);
    info.SetTimeOut(options.freeDBTimeOut);
}

void GetFreeDBSettings(const TRipperOptions& options, TFreeDBInformation2& info) {
    SelectFreeDBServer(options, info);
    RGlobeVar::FreeDBServer = info.GetServerName();
    RGlobeVar::FreeDBPort = options.freeDBPort;
    RGlobeVar::FreeDBTimeOut = options.freeDBTimeOut;
}

void ApplyRipperOptionsToGlobals(const TRipperOptions& options) {
    const Videzeva::TOptionsValues& v = options.shared;
    Videzeva::GetWavSettings(v, GlobeVar::WavFreq, GlobeVar::WavChannels, GlobeVar::WavSampleRate);
    Videzeva::GetOggSettings(v, GlobeVar::OggFreq, GlobeVar::OggChannels, GlobeVar::OggBitRate);
    Videzeva::GetMp3Settings(v, GlobeVar::MP3Freq, GlobeVar::MP3Channels, GlobeVar::MP3BitRate,
                             GlobeVar::MP3MaxBitRate, GlobeVar::MP3EncoderQuality, GlobeVar::MP3VBRQuality,
                             GlobeVar::MP3VBREnable, GlobeVar::MP3VBRHeader);
    Videzeva::GetWmaSettings(v, GlobeVar::WmaFormat);
    GlobeVar::OutputPath = GlobeVar::TrimText(v.text[Videzeva::OutputPath]);
    RGlobeVar::ROutPutPath = GlobeVar::OutputPath;
}

} // namespace Duzivuz
