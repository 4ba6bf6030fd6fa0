#pragma once

#include "common/OptionsSettings.h"
#include "common/PathSelect.h"
#include "common/SettingsFile.h"
#include "platform/Form.h"
#include "recorder/SetTime.h"

#include <QList>
#include <QPointer>

#include <array>

class QComboBox;
class QLineEdit;
class QTreeWidget;
class TAudioRecord2;

namespace Videzeva {

// What the settings window needs of the main window: its capture component, its input-line list,
// the chosen output format, and its input-line selection.
class TOptionsMainWindow {
public:
    virtual ~TOptionsMainWindow() = default;
    virtual TAudioRecord2* CaptureComponent() = 0;
    virtual QString InputLineText() const = 0;
    virtual int SelectedFormat() const = 0;
    virtual void SelectInputLine(const QString& savedLineName) = 0;
    // True once it has shown the device and output format it read from the settings file (its first
    // show got that far).
    virtual bool SettingsShown() const = 0;
};

// The recorder's settings window. Its creation reads the settings file (or writes a fresh one on the
// first run) into its controls and fills the settings globals from them; from then on "&Ok" alone
// writes the globals and the file, Cancel (or closing it any other way) puts back what it showed
// when it was shown, and "&Default" changes only the controls. It opens on the page it was left on.
class TfrmOptions : public TForm, public TScheduleEntryTarget {
    Q_OBJECT
public:
    explicit TfrmOptions(QWidget* owner = nullptr);
    // Saves the settings once more (the destroy handler), as at the program's exit.
    ~TfrmOptions() override;

    // The main window outlives this window (it is created before it and destroyed after it).
    void SetMainWindow(TOptionsMainWindow* main) { m_main = main; }
    // The program's settings file (without one, the window keeps an object of its own for it).
    void SetSettingsFile(TSettingsFile* settings) { m_settings.Set(settings); }
    void SetPathSelect(TfrmPathSelect* dialog) { m_pathSelect = dialog; }
    void SetScheduleDialog(TfrmSchedule* dialog);

    // The main window's first show: the usable capture devices, `current` chosen.
    void ShowInputDevices(const QStringList& names, int current);
    // The WMA profiles the WMA component reports in place of the designed list: the chosen index
    // stays when it is still in range, else the first is chosen.
    void ShowWmaProfiles(const QStringList& names);

    // What the controls show, and putting values into them (the enabling follows).
    TOptionsValues ReadControls() const;
    void WriteControls(const TOptionsValues& values);

    void LoadSettings();
    // Raises ProfileWriteError when the file refuses a write.
    void SaveSettings();
    void SetDefaultOptions();
    void KeepOptionsState();
    void RestoreOptionsState();
    void UpdateVbrControls();
    void UpdateHotKeyControls();
    void UpdateAutoStopControls();

    // The schedule page: entries paired with the list's rows by position.
    void AddScheduleEntry(const QString& startText, const QString& stopText, bool use, int year, int month,
                          int day, int dayOfWeek) override;
    void UpdateScheduleEntry(const QString& startText, const QString& stopText, int year, int month, int day,
                             int dayOfWeek) override;
    void SaveSchedule(const QString& fileName);
    void LoadSchedule(const QString& fileName);
    const QList<TScheduleEntry>& Entries() const { return ScheduleEntries; }

    bool OkPressed = false;
    int SortColumn = 0;

public Q_SLOTS:
    void btnOptionOkClick();
    void btnOptionCancelClick();
    void btnOptionDefaultClick();
    void cboxVBREnableClick();
    void cboxStart1Click();
    void cboxStopVolumeClick();
    void cboxStopTimeClick();
    void btnOutputPathClick();
    void btnConvertOutputpathClick();
    void btnSplitOutputPathClick();
    void btnJoinOutputPathClick();
    void cboxInputDeviceChange();
    void btnScheduleAddClick();
    void btnScheduleEditClick();
    void btnScheduleDeleteClick();
    void btnScheduleClearClick();
    void btnScheduleSaveClick();
    void btnScheduleLoadClick();
    void listScheduleColumnClick(int column);
    void listScheduleClick();

protected:
    void FormCreate() override;
    void FormShow() override;
    void FormClose() override;
    void FormDestroy() override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // SaveSettings; a file that refuses it is told once in the program's run.
    void saveTellingOnce();
    void chooseFolder(QLineEdit* box);
    void setRows(const QList<TScheduleEntry>& entries);
    void appendRow(const TScheduleEntry& entry, const QString& startText, const QString& stopText);
    void takeRowChecks();
    void enable(const char* name, bool enabled);

    TOptionsMainWindow* m_main = nullptr;
    TSettingsFileLink m_settings;
    QPointer<TfrmPathSelect> m_pathSelect;
    QPointer<TfrmSchedule> m_schedule;
    std::array<QObject*, OptionSettingCount> m_controls{};
    std::array<QObject*, OptionSettingCount> m_partners{};
    QTreeWidget* listSchedule;
    QComboBox* cboxInputDevice;
    QList<TScheduleEntry> ScheduleEntries;
    TOptionsValues m_kept;
    bool m_settingsRead = false;
};

} // namespace Videzeva
