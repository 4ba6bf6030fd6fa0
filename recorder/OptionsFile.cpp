#include "recorder/OptionsFile.h"

#include "common/SettingsFile.h"
#include "platform/ProfileFile.h"
#include "recorder/Schedule.h"

namespace Videzeva {

namespace {

const QString kDevice = QStringLiteral("Device");
const QString kInputDevice = QStringLiteral("InputDevice");
const QString kInputLine = QStringLiteral("InputLine");
const QString kOutputFormat = QStringLiteral("OutputFormat");
const QString kSelected = QStringLiteral("Selected");

} // namespace

TOptionsMainState ReadOptionsMainState(const ProfileText& file) {
    TOptionsMainState state;
    state.inputDevice = file.readString(kDevice, kInputDevice, QString());
    state.inputLine = file.readString(kDevice, kInputLine, QString());
    state.selected = file.readInteger(kOutputFormat, kSelected, 0);
    return state;
}

void SaveOptionsFile(TSettingsFile& settings, const QString& scheduleFile, const TOptionsValues& values,
                     const TOptionsMainState& main) {
    settings.Change([&](ProfileText& file) {
        TOptionsMainState state = main;
        if (!state.shown) {
            // Without the main window the file keeps what it says of it.
            state.inputDevice = file.readString(kDevice, kInputDevice, state.inputDevice);
            state.inputLine = file.readString(kDevice, kInputLine, state.inputLine);
            state.selected = file.readInteger(kOutputFormat, kSelected, state.selected);
        }
        SaveOptionsSection(file, "OutputFormat", values);
        SaveOptionsSection(file, "Hotkey", values);
        SaveOptionsSection(file, "AutoStop", values);
        SaveOptionsSection(file, "OutputPath", values);
        SaveOptionsSection(file, "Mail", values);
        file.writeString(kDevice, kInputDevice, state.inputDevice);
        file.writeString(kDevice, kInputLine, state.inputLine);
        file.writeInteger(kOutputFormat, kSelected, state.selected);
    });
    settings.Write();
    SaveSchedule(scheduleFile, values.schedule);
}

void LoadOptionsFile(const TSettingsFile& settings, const QString& scheduleFile, TOptionsValues& values) {
    LoadOptionsValues(settings.Text(), values);
    LoadSchedule(scheduleFile, values.schedule);
}

TOptionsValues StartupOptionsValues(TSettingsFile& settings, const QString& scheduleFile,
                                    const TOptionsMainState& main) {
    TOptionsValues values = DefaultOptionsValues();
    if (settings.Existed()) {
        LoadOptionsFile(settings, scheduleFile, values);
    } else {
        EnsureOutputFolders(values);
        SaveOptionsFile(settings, scheduleFile, values, main);
    }
    return values;
}

} // namespace Videzeva
