#include "recorder/Options.h"

#include "common/DialogControls.h"
#include "common/PathSelect.h"
#include "components/TAudioRecord2.h"
#include "platform/Application.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/ProfileFile.h"
#include "platform/UserMessages.h"
#include "recorder/OptionsFile.h"
#include "recorder/Schedule.h"
#include "recorder/SetTime.h"

#include <QComboBox>
#include <QFileDialog>
#include <QKeyEvent>
#include <QLineEdit>
#include <QTreeWidget>

#include <algorithm>

namespace Videzeva {

namespace {

bool checked(const QObject* o) {
    return o && o->property("Checked").toBool();
}
void setChecked(QObject* o, bool value) {
    if (o) o->setProperty("Checked", value);
}

QString memoText(const QObject* o) {
    return o ? o->property("Text").toString() : QString();
}
void setMemoText(QObject* o, const QString& text) {
    if (o) o->setProperty("Text", text);
}

} // namespace

TfrmOptions::TfrmOptions(QWidget* owner) : TForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Videzeva/Options.form"));
    for (int s = 0; s < OptionSettingCount; ++s) {
        const OptionSettingInfo& info = OptionInfo(OptionSetting(s));
        m_controls[s] = FindFormObject(this, QLatin1String(info.control));
        if (info.partner) m_partners[s] = FindFormObject(this, QLatin1String(info.partner));
    }
    listSchedule = NativeList(FindFormObject(this, QStringLiteral("listSchedule")));
    // Report view with check boxes and whole-row selection; the selection stays visible.
    listSchedule->setRootIsDecorated(false);
    listSchedule->setSelectionBehavior(QAbstractItemView::SelectRows);
    listSchedule->setSelectionMode(QAbstractItemView::SingleSelection);
    cboxInputDevice = NativeCombo(FindFormObject(this, QStringLiteral("cboxInputDevice")));
    listSchedule->setColumnWidth(0, 30);
    listSchedule->setColumnWidth(1, 62);
    listSchedule->setColumnWidth(2, 62);
    for (OptionSetting s : {PreName, PosName, JoinPreName, JoinPosName})
        NativeEdit(m_controls[s])->installEventFilter(this);
    ApplyEmbeddedTheme(this);
    FitSkinnedDialog(this);
}

TfrmOptions::~TfrmOptions() {
    destroyForm();
}

void TfrmOptions::ShowInputDevices(const QStringList& names, int current) {
    cboxInputDevice->clear();
    cboxInputDevice->addItems(names);
    cboxInputDevice->setCurrentIndex(current);
}

void TfrmOptions::ShowWmaProfiles(const QStringList& names) {
    QComboBox* wma = NativeCombo(m_controls[WmaFormat]);
    const int remembered = wma->currentIndex();
    wma->clear();
    wma->addItems(names);
    wma->setCurrentIndex(remembered >= 0 && remembered < wma->count() ? remembered : 0);
}

void TfrmOptions::SetScheduleDialog(TfrmSchedule* dialog) {
    m_schedule = dialog;
    if (dialog) dialog->SetOptionsWindow(this);
}

TOptionsValues TfrmOptions::ReadControls() const {
    TOptionsValues v;
    for (int s = 0; s < OptionSettingCount; ++s) {
        QObject* c = m_controls[s];
        switch (OptionInfo(OptionSetting(s)).kind) {
        case OptionKind::List:
            v.number[s] = NativeCombo(c)->currentIndex();
            break;
        case OptionKind::Flag:
        case OptionKind::Choice:
            v.number[s] = checked(c) ? 1 : 0;
            break;
        case OptionKind::Number:
            v.number[s] = qobject_cast<TUpDown*>(c)->Position();
            break;
        case OptionKind::Text:
        case OptionKind::Folder:
            v.text[s] = NativeEdit(c)->text();
            break;
        case OptionKind::HexText:
            v.text[s] = memoText(c);
            break;
        }
    }
    v.schedule = ScheduleEntries;
    for (int i = 0; i < v.schedule.size() && i < listSchedule->topLevelItemCount(); ++i)
        v.schedule[i].Use = listSchedule->topLevelItem(i)->checkState(0) == Qt::Checked ? 1 : 0;
    return v;
}

void TfrmOptions::WriteControls(const TOptionsValues& v) {
    for (int s = 0; s < OptionSettingCount; ++s) {
        QObject* c = m_controls[s];
        switch (OptionInfo(OptionSetting(s)).kind) {
        case OptionKind::List:
            NativeCombo(c)->setCurrentIndex(v.number[s]);
            break;
        case OptionKind::Flag:
            setChecked(c, v.number[s] != 0);
            break;
        case OptionKind::Choice:
            // Exactly one of the pair is checked.
            setChecked(v.number[s] ? c : m_partners[s], true);
            setChecked(v.number[s] ? m_partners[s] : c, false);
            break;
        case OptionKind::Number:
            qobject_cast<TUpDown*>(c)->SetPosition(v.number[s]);
            break;
        case OptionKind::Text:
        case OptionKind::Folder:
            NativeEdit(c)->setText(v.text[s]);
            break;
        case OptionKind::HexText:
            setMemoText(c, v.text[s]);
            break;
        }
    }
    // The two automatic stops exclude each other: "By time" wins when both are on.
    if (v.number[TimeStop]) setChecked(m_controls[VolumeStop], false);
    UpdateVbrControls();
    UpdateHotKeyControls();
    UpdateAutoStopControls();
    setRows(v.schedule);
}

void TfrmOptions::FormCreate() {
    // A file that cannot be read or written is told once; the program goes on with what the window
    // shows (the defaults, or what could be read).
    if (m_settings.get().Existed()) {
        LoadSettings();
        m_settings.get().TellIfUnreadable();
        GlobeVar::ReportUnreadableSettingsFiles({GlobeVar::ScheduleFilePath()});
    } else {
        SetDefaultOptions();
        saveTellingOnce();
    }
    ApplyOptionsToGlobals(ReadControls());
    m_settingsRead = true;
}

void TfrmOptions::saveTellingOnce() {
    try {
        SaveSettings();
    } catch (const ProfileWriteError& e) {
        GlobeVar::ReportSettingsFileFault(e.fileName(), QString::fromUtf8(e.what()));
    }
}

void TfrmOptions::LoadSettings() {
    TOptionsValues v = ReadControls();
    LoadOptionsFile(m_settings.get(), GlobeVar::ScheduleFilePath(), v);
    WriteControls(v);
}

void TfrmOptions::SaveSettings() {
    TOptionsMainState main;
    main.inputDevice = cboxInputDevice->currentText();
    if (m_main) {
        main.inputLine = m_main->InputLineText();
        main.selected = m_main->SelectedFormat();
        main.shown = m_main->SettingsShown();
    }
    SaveOptionsFile(m_settings.get(), GlobeVar::ScheduleFilePath(), ReadControls(), main);
}

void TfrmOptions::SetDefaultOptions() {
    TOptionsValues v = DefaultOptionsValues();
    EnsureOutputFolders(v);
    v.schedule = ReadControls().schedule; // the schedule page stays as it is
    WriteControls(v);
}

void TfrmOptions::KeepOptionsState() {
    m_kept = ReadControls();
}

void TfrmOptions::RestoreOptionsState() {
    WriteControls(m_kept);
}

void TfrmOptions::FormShow() {
    KeepOptionsState();
    OkPressed = false;
}

void TfrmOptions::FormClose() {
    if (!OkPressed) RestoreOptionsState();
}

void TfrmOptions::FormDestroy() {
    // A window that never read the settings file would overwrite it with what its form was designed with.
    if (m_settingsRead) saveTellingOnce();
}

void TfrmOptions::btnOptionOkClick() {
    OkPressed = true;
    ApplyOptionsToGlobals(ReadControls());
    try {
        SaveSettings();
    } catch (const ProfileWriteError& e) {
        // One box naming the file; the globals and the window keep the new values, and the window
        // stays open. Every write that reached the file did so whole.
        ReportError(QString::fromUtf8(e.what()), this);
        return;
    }
    setModalResult(mrOk);
    if (isVisible()) close();
}

void TfrmOptions::btnOptionCancelClick() {
    setModalResult(mrCancel);
    if (isVisible()) close();
}

void TfrmOptions::btnOptionDefaultClick() {
    SetDefaultOptions();
}

void TfrmOptions::enable(const char* name, bool enabled) {
    if (auto* w = qobject_cast<QWidget*>(FindFormObject(this, QLatin1String(name)))) w->setEnabled(enabled);
}

void TfrmOptions::UpdateVbrControls() {
    const bool on = checked(m_controls[MP3VBREnable]);
    for (const char* name :
         {"lblMaxBitRate", "cboxMP3MaxBitRate", "lblVBRQuality", "cboxMP3VBRQuality", "cboxVBRHeader"})
        enable(name, on);
}

void TfrmOptions::UpdateHotKeyControls() {
    struct Row {
        OptionSetting use;
        const char *pre, *plus, *key;
    };
    for (const Row& r : {Row{StartUse1, "comboxStartPre1", "lblStartPlus1", "comboxStart1"},
                         Row{StartUse2, "comboxStartPre2", "lblStartPlus2", "comboxStart2"},
                         Row{StopUse1, "comboxStopPre1", "lblStopPlus1", "comboxStop1"},
                         Row{StopUse2, "comboxStopPre2", "lblStopPlus2", "comboxStop2"}}) {
        const bool on = checked(m_controls[r.use]);
        for (const char* name : {r.pre, r.plus, r.key})
            enable(name, on);
    }
}

void TfrmOptions::UpdateAutoStopControls() {
    const bool volume = checked(m_controls[VolumeStop]);
    for (const char* name : {"edVolumeLevel", "edVolumeTime", "udVolumeLevel", "udVolumeTime", "lblVolume1",
                             "lblVolume2", "lblVolume3", "lblVolume4"})
        enable(name, volume);
    const bool time = checked(m_controls[TimeStop]);
    for (const char* name : {"edStopMinute", "edStopSecond", "udStopMinute", "udStopSecond", "lblTimeLimit",
                             "lblMinutes", "lblSeconds", "rbStopTimeLimit", "rbNewRecordTimeLimit"})
        enable(name, time);
}

void TfrmOptions::cboxVBREnableClick() {
    UpdateVbrControls();
}

void TfrmOptions::cboxStart1Click() {
    UpdateHotKeyControls();
}

void TfrmOptions::cboxStopVolumeClick() {
    if (checked(m_controls[VolumeStop])) setChecked(m_controls[TimeStop], false);
    UpdateAutoStopControls();
}

void TfrmOptions::cboxStopTimeClick() {
    if (checked(m_controls[TimeStop])) setChecked(m_controls[VolumeStop], false);
    UpdateAutoStopControls();
}

void TfrmOptions::chooseFolder(QLineEdit* box) {
    if (!m_pathSelect) return;
    m_pathSelect->ShowModal();
    const QString folder = m_pathSelect->SelectedPath;
    if (folder.isEmpty()) return;
    if (!CanWriteToFolder(folder)) {
        BoxMessages().Tell(QStringLiteral("The path can't set as output path"), this);
        return;
    }
    box->setText(folder);
}

void TfrmOptions::btnOutputPathClick() {
    chooseFolder(NativeEdit(m_controls[OutputPath]));
}

void TfrmOptions::btnConvertOutputpathClick() {
    chooseFolder(NativeEdit(m_controls[ConvertOutputPath]));
}

void TfrmOptions::btnSplitOutputPathClick() {
    chooseFolder(NativeEdit(m_controls[SplitOutputPath]));
}

void TfrmOptions::btnJoinOutputPathClick() {
    chooseFolder(NativeEdit(m_controls[JoinOutputPath]));
}

bool TfrmOptions::eventFilter(QObject* watched, QEvent* event) {
    // The name boxes swallow the characters a file name cannot hold.
    if (event->type() == QEvent::KeyPress) {
        const QString text = static_cast<QKeyEvent*>(event)->text();
        if (text.size() == 1 && !IsFileNameCharAllowed(text[0])) return true;
    }
    return TForm::eventFilter(watched, event);
}

void TfrmOptions::cboxInputDeviceChange() {
    if (!m_main) return;
    if (TAudioRecord2* ar = m_main->CaptureComponent()) {
        const QString wanted = GlobeVar::TrimText(cboxInputDevice->currentText());
        const int count = ar->GetDeviceCount();
        // The first device of that name: two devices may carry the same one.
        for (int i = 0; i < count; ++i) {
            ar->SelectDevice(i);
            if (GlobeVar::TrimText(ar->GetDeviceName()) == wanted) break;
        }
    }
    m_main->SelectInputLine(QString());
}

// ----- schedule page

void TfrmOptions::appendRow(const TScheduleEntry& e, const QString& startText, const QString& stopText) {
    auto* row = new QTreeWidgetItem(listSchedule);
    row->setFlags(row->flags() | Qt::ItemIsUserCheckable);
    row->setCheckState(0, e.Use ? Qt::Checked : Qt::Unchecked);
    row->setText(1, startText);
    row->setText(2, stopText);
    row->setText(3, ScheduleKindText(e));
}

void TfrmOptions::setRows(const QList<TScheduleEntry>& entries) {
    listSchedule->clear();
    ScheduleEntries = entries;
    for (const TScheduleEntry& e : entries)
        appendRow(e, ScheduleStartText(e), ScheduleStopText(e));
}

void TfrmOptions::takeRowChecks() {
    for (int i = 0; i < ScheduleEntries.size() && i < listSchedule->topLevelItemCount(); ++i)
        ScheduleEntries[i].Use = listSchedule->topLevelItem(i)->checkState(0) == Qt::Checked ? 1 : 0;
}

void TfrmOptions::AddScheduleEntry(const QString& startText, const QString& stopText, bool use, int year,
                                   int month, int day, int dayOfWeek) {
    TScheduleEntry e;
    e.Use = use ? 1 : 0;
    GlobeVar::ParseTimeStr(startText, e.StartH, e.StartM, e.StartS);
    GlobeVar::ParseTimeStr(stopText, e.StopH, e.StopM, e.StopS);
    e.Year = uint16_t(year);
    e.Month = uint16_t(month);
    e.Day = uint16_t(day);
    e.DayOfWeek = uint16_t(dayOfWeek);
    ScheduleEntries.append(e);
    appendRow(e, startText, stopText);
}

void TfrmOptions::UpdateScheduleEntry(const QString& startText, const QString& stopText, int year, int month,
                                      int day, int dayOfWeek) {
    QTreeWidgetItem* row = listSchedule->currentItem();
    const int i = row ? listSchedule->indexOfTopLevelItem(row) : -1;
    if (i < 0 || i >= ScheduleEntries.size()) return;
    TScheduleEntry& e = ScheduleEntries[i];
    GlobeVar::ParseTimeStr(startText, e.StartH, e.StartM, e.StartS);
    GlobeVar::ParseTimeStr(stopText, e.StopH, e.StopM, e.StopS);
    e.Year = uint16_t(year);
    e.Month = uint16_t(month);
    e.Day = uint16_t(day);
    e.DayOfWeek = uint16_t(dayOfWeek);
    row->setText(1, startText);
    row->setText(2, stopText);
    row->setText(3, ScheduleKindText(e));
}

void TfrmOptions::SaveSchedule(const QString& fileName) {
    takeRowChecks();
    ::SaveSchedule(fileName, ScheduleEntries);
}

void TfrmOptions::LoadSchedule(const QString& fileName) {
    QList<TScheduleEntry> entries = ScheduleEntries;
    if (::LoadSchedule(fileName, entries)) setRows(entries);
}

void TfrmOptions::btnScheduleAddClick() {
    if (!m_schedule) return;
    m_schedule->SetActionCaption(QStringLiteral("Add"));
    m_schedule->ShowModal();
}

void TfrmOptions::btnScheduleEditClick() {
    QTreeWidgetItem* row = listSchedule->currentItem();
    const int i = row ? listSchedule->indexOfTopLevelItem(row) : -1;
    if (!m_schedule || i < 0 || i >= ScheduleEntries.size()) return;
    m_schedule->SetActionCaption(QStringLiteral("Edit"));
    m_schedule->ShowEntry(ScheduleEntries[i]);
    m_schedule->ShowModal();
}

void TfrmOptions::btnScheduleDeleteClick() {
    QTreeWidgetItem* row = listSchedule->currentItem();
    const int i = row ? listSchedule->indexOfTopLevelItem(row) : -1;
    if (i < 0 || i >= ScheduleEntries.size()) return;
    ScheduleEntries.removeAt(i);
    delete listSchedule->takeTopLevelItem(i);
}

void TfrmOptions::btnScheduleClearClick() {
    ScheduleEntries.clear();
    listSchedule->clear();
}

void TfrmOptions::btnScheduleSaveClick() {
    if (ScheduleEntries.isEmpty()) return;
    QFileDialog dialog(this, QString(), QString(), ScheduleFileFilter());
    dialog.setAcceptMode(QFileDialog::AcceptSave);
    dialog.setDefaultSuffix(ScheduleDefaultExt());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    SaveSchedule(dialog.selectedFiles().first());
}

void TfrmOptions::btnScheduleLoadClick() {
    QFileDialog dialog(this, QString(), QString(), ScheduleFileFilter());
    dialog.setFileMode(QFileDialog::ExistingFile);
    dialog.setDefaultSuffix(ScheduleDefaultExt());
    if (dialog.exec() != QDialog::Accepted || dialog.selectedFiles().isEmpty()) return;
    LoadSchedule(dialog.selectedFiles().first());
}

void TfrmOptions::listScheduleColumnClick(int column) {
    SortColumn = column;
    if (column < 1 || column > 3) return; // the check box column: every row compares equal
    takeRowChecks();
    struct Row {
        TScheduleEntry entry;
        QString start, stop;
    };
    QList<Row> rows;
    for (int i = 0; i < ScheduleEntries.size(); ++i) {
        QTreeWidgetItem* item = listSchedule->topLevelItem(i);
        rows.append({ScheduleEntries[i], item->text(1), item->text(2)});
    }
    auto key = [column](const Row& r) {
        return column == 1 ? r.start : column == 2 ? r.stop : ScheduleKindText(r.entry);
    };
    std::stable_sort(rows.begin(), rows.end(), [&](const Row& a, const Row& b) {
        return key(a).compare(key(b), Qt::CaseInsensitive) < 0;
    });
    listSchedule->clear();
    ScheduleEntries.clear();
    for (const Row& r : rows) {
        ScheduleEntries.append(r.entry);
        appendRow(r.entry, r.start, r.stop);
    }
}

void TfrmOptions::listScheduleClick() {}

} // namespace Videzeva
