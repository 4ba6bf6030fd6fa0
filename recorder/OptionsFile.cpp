#include "recorder/OptionsFile.h"

#include "platform/ProfileFile.h"
#include "recorder/Schedule.h"

#include <QFileInfo>

namespace Videzeva {

void SaveOptionsFile(const QString& cfgFile, const QString& scheduleFile, const TOptionsValues& values,
                     const TOptionsMainState& main) {
    ProfileFile(cfgFile).edit([&](ProfileText& file) {
        TOptionsMainState state = main;
        if (!state.shown) {
            // Without the main window the file keeps what it says of it.
            state.inputDevice =
                file.readString(QStringLiteral("Device"), QStringLiteral("InputDevice"), state.inputDevice);
            state.inputLine =
                file.readString(QStringLiteral("Device"), QStringLiteral("InputLine"), state.inputLine);
            state.selected =
                file.readInteger(QStringLiteral("OutputFormat"), QStringLiteral("Selected"), state.selected);
        }
        SaveOptionsSection(file, "OutputFormat", values);
        SaveOptionsSection(file, "Hotkey", values);
        SaveOptionsSection(file, "AutoStop", values);
        SaveOptionsSection(file, "OutputPath", values);
        SaveOptionsSection(file, "Mail", values);
        file.writeString(QStringLiteral("Device"), QStringLiteral("InputDevice"), state.inputDevice);
        file.writeString(QStringLiteral("Device"), QStringLiteral("InputLine"), state.inputLine);
        file.writeInteger(QStringLiteral("OutputFormat"), QStringLiteral("Selected"), state.selected);
    });
    SaveSchedule(scheduleFile, values.schedule);
}

void LoadOptionsFile(const QString& cfgFile, const QString& scheduleFile, TOptionsValues& values) {
    LoadOptionsValues(ProfileFile(cfgFile).read(), values);
    LoadSchedule(scheduleFile, values.schedule);
}

TOptionsValues StartupOptionsValues(const QString& cfgFile, const QString& scheduleFile,
                                    const TOptionsMainState& main) {
    TOptionsValues values;
    if (QFileInfo::exists(cfgFile)) {
        values = DefaultOptionsValues();
        LoadOptionsFile(cfgFile, scheduleFile, values);
    } else {
        values = DefaultOptionsValues();
        EnsureOutputFolders(values);
        SaveOptionsFile(cfgFile, scheduleFile, values, main);
    }
    return values;
}

} // namespace Videzeva
