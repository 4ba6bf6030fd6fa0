#include "ripper/Main.h"

#include "platform/ProfileFile.h"
#include "recorder/GlobeVar.h"

#include <QApplication>

namespace Duzivuz {

TfrmMain::TfrmMain(QWidget* owner) : TForm(owner) {
    setObjectName(QStringLiteral("frmMain"));
    setMainForm(true);
}

void TfrmMain::FormCreate() {
    setWindowTitle(QApplication::applicationDisplayName());
    GlobeVar::SetProgramFolders();
}

namespace {

const QString kRSettings = QStringLiteral("RSettings");

int readIndex(const ProfileFile& file, const QString& key, int def, int low, int high) {
    const int value = file.readInteger(kRSettings, key, def);
    return value >= low && value <= high ? value : def;
}

} // namespace

TRSettings ReadRSettings(const QString& cfgFile) {
    const ProfileFile file(cfgFile);
    TRSettings s;
    s.ROutPutPath = file.readString(kRSettings, QStringLiteral("ROutPutPath"), QString());
    if (s.ROutPutPath.isEmpty()) s.ROutPutPath = GlobeVar::AppPath;
    s.ROutputFilename = readIndex(file, QStringLiteral("ROutputFilename"), 1, 0, 13);
    s.ROutputFormat = readIndex(file, QStringLiteral("ROutputFormat"), 1, 1, 4);
    s.RUseAll = file.readBool(kRSettings, QStringLiteral("RUseAll"), true);
    s.RComments = file.readString(kRSettings, QStringLiteral("RComments"), QString());
    s.RCopyRight = file.readString(kRSettings, QStringLiteral("RCopyRight"), QString());
    s.RUrl = file.readString(kRSettings, QStringLiteral("RUrl"), QString());
    s.REncodeBy = file.readString(kRSettings, QStringLiteral("REncodeBy"), QString());
    return s;
}

bool WriteRSettings(const QString& cfgFile, const TRSettings& s) {
    ProfileFile file(cfgFile);
    try {
        file.writeString(kRSettings, QStringLiteral("ROutPutPath"),
                         s.ROutPutPath.isEmpty() ? GlobeVar::AppPath : s.ROutPutPath);
        file.writeInteger(kRSettings, QStringLiteral("ROutputFilename"), s.ROutputFilename);
        file.writeInteger(kRSettings, QStringLiteral("ROutputFormat"), s.ROutputFormat);
        file.writeBool(kRSettings, QStringLiteral("RUseAll"), s.RUseAll);
        file.writeString(kRSettings, QStringLiteral("RComments"), s.RComments);
        file.writeString(kRSettings, QStringLiteral("RCopyRight"), s.RCopyRight);
        file.writeString(kRSettings, QStringLiteral("RUrl"), s.RUrl);
        file.writeString(kRSettings, QStringLiteral("REncodeBy"), s.REncodeBy);
    } catch (const ProfileWriteError&) {
        return false;
    }
    return true;
}

} // namespace Duzivuz
