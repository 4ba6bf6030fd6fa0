#pragma once

#include "common/GlobeVar.h"
#include "common/OptionsSettings.h"

#include <QString>

// The recorder's globals as a fresh start leaves them, with `folder` (ending in "/") as the program
// folder and the folder of the settings and schedule files.
inline void UseFreshProgramFolder(const QString& folder) {
    GlobeVar::AppPath = folder;
    GlobeVar::SettingsPath = folder;
    GlobeVar::OutputPath = folder;
    GlobeVar::ConvertOutputPath = folder;
    GlobeVar::SplitOutputPath.clear();
    GlobeVar::JoinOutputPath.clear();
    GlobeVar::MailSubject = QStringLiteral("Share with you");
    GlobeVar::MailBody = QStringLiteral("Hi");
    GlobeVar::CfgFileName = QStringLiteral("VidezevaCfg.ini");
    GlobeVar::ScheduleFileName = QStringLiteral("Current.tqd");
}

// The settings' defaults in the globals, for a main window that records on its own: files named
// "Recorded…", no automatic stop and no hot keys.
inline void UseQuietRecorderDefaults() {
    Videzeva::ApplyOptionsToGlobals(Videzeva::DefaultOptionsValues());
    GlobeVar::PreName = "Recorded";
    GlobeVar::PosName = "";
    GlobeVar::VolumeStop = GlobeVar::TimeStop = false;
    GlobeVar::StartUse1 = GlobeVar::StartUse2 = GlobeVar::StopUse1 = GlobeVar::StopUse2 = false;
    GlobeVar::PublishHotKeys();
}
