#include "recorder/SetTime.h"

#include "common/DialogControls.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "skin/SKButton.h"

#include <QComboBox>
#include <QLineEdit>

TfrmSchedule::TfrmSchedule(QWidget* owner) : TForm(owner) {
    LoadFormResource(this, QStringLiteral(":/forms/Videzeva/SetTime.form"));
    auto edit = [this](const char* name) { return NativeEdit(FindFormObject(this, QLatin1String(name))); };
    auto ud = [this](const char* name) { return FormChild<TUpDown>(this, QLatin1String(name)); };
    auto rb = [this](const char* name) { return FormChild<TskRadioButton>(this, QLatin1String(name)); };
    auto combo = [this](const char* name) { return NativeCombo(FindFormObject(this, QLatin1String(name))); };
    edStartHour1 = edit("edStartHour1");
    edStartMinute1 = edit("edStartMinute1");
    edStartSecond1 = edit("edStartSecond1");
    edStopHour1 = edit("edStopHour1");
    edStopMinute1 = edit("edStopMinute1");
    edStopSecond1 = edit("edStopSecond1");
    udStartH1 = ud("udStartH1");
    udStartM1 = ud("udStartM1");
    udStartS1 = ud("udStartS1");
    udStopH1 = ud("udStopH1");
    udStopM1 = ud("udStopM1");
    udStopS1 = ud("udStopS1");
    rb1 = rb("rb1");
    rb2 = rb("rb2");
    rb3 = rb("rb3");
    rb4 = rb("rb4");
    rb5 = rb("rb5");
    DTPicker = FormChild<TDateTimePicker>(this, QStringLiteral("DTPicker"));
    cboxWeek = combo("cboxWeek");
    cboxMonth = combo("cboxMonth");
    cboxYear = combo("cboxYear");
    cboxYearday = combo("cboxYearday");
    skButton1 = FormChild<TskButton>(this, QStringLiteral("skButton1"));
    ApplyEmbeddedTheme(this);
    FitSkinnedDialog(this);
}

void TfrmSchedule::FormCreate() {
    DTPicker->setDate(QDate::currentDate());
}

void TfrmSchedule::SetActionCaption(const QString& caption) {
    skButton1->SetCaption(caption);
}

void TfrmSchedule::ShowEntry(const TScheduleEntry& e) {
    udStartH1->SetPosition(e.StartH);
    udStartM1->SetPosition(e.StartM);
    udStartS1->SetPosition(e.StartS);
    udStopH1->SetPosition(e.StopH);
    udStopM1->SetPosition(e.StopM);
    udStopS1->SetPosition(e.StopS);
    if (e.Year == 0 && e.Month == 0 && e.Day == 0 && e.DayOfWeek == 0) {
        rb1->SetChecked(true);
    } else if (e.Year != 0 && e.Month != 0 && e.Day != 0 && e.DayOfWeek == 0) {
        // A date that does not exist cannot be shown; the picker keeps its date.
        const QDate date(e.Year, e.Month, e.Day);
        if (date.isValid()) DTPicker->setDate(date);
        rb2->SetChecked(true);
    } else if (e.Year == 0 && e.Month == 0 && e.Day == 0) {
        if (e.DayOfWeek <= 7) {
            cboxWeek->setCurrentIndex(e.DayOfWeek - 1);
            rb3->SetChecked(true);
        }
    } else if (e.Year == 0 && e.Month == 0 && e.DayOfWeek == 0) {
        if (e.Day <= 31) cboxMonth->setCurrentIndex(e.Day - 1);
        rb4->SetChecked(true);
    } else if (e.Year == 0 && e.DayOfWeek == 0) {
        if (e.Month <= 12) {
            cboxYear->setCurrentIndex(e.Month - 1);
            if (e.Day <= 31) cboxYearday->setCurrentIndex(e.Day - 1);
            rb5->SetChecked(true);
        }
    }
    rb1Click();
}

void TfrmSchedule::rb1Click() {
    auto enable = [this](const char* name, bool on) {
        qobject_cast<QWidget*>(FindFormObject(this, QLatin1String(name)))->setEnabled(on);
    };
    enable("DTPicker", rb2->Checked());
    enable("cboxWeek", rb3->Checked());
    enable("cboxMonth", rb4->Checked());
    enable("cboxYear", rb5->Checked());
    enable("cboxYearday", rb5->Checked());
}

QString TfrmSchedule::timeText(QLineEdit* hour, QLineEdit* minute, QLineEdit* second) const {
    return GlobeVar::IntToZeroStr(hour->text().toInt(), 2) + u':' +
           GlobeVar::IntToZeroStr(minute->text().toInt(), 2) + u':' +
           GlobeVar::IntToZeroStr(second->text().toInt(), 2);
}

void TfrmSchedule::skButton1Click() {
    const QString start = timeText(edStartHour1, edStartMinute1, edStartSecond1);
    const QString stop = timeText(edStopHour1, edStopMinute1, edStopSecond1);
    int year = 0, month = 0, day = 0, dayOfWeek = 0;
    if (rb2->Checked()) {
        const QDate d = DTPicker->date();
        year = d.year();
        month = d.month();
        day = d.day();
    } else if (rb3->Checked()) {
        dayOfWeek = cboxWeek->currentIndex() + 1;
    } else if (rb4->Checked()) {
        day = cboxMonth->currentIndex() + 1;
    } else if (rb5->Checked()) {
        month = cboxYear->currentIndex() + 1;
        day = cboxYearday->currentIndex() + 1;
    }
    if (m_options) {
        if (skButton1->Caption() == QLatin1String("Add"))
            m_options->AddScheduleEntry(start, stop, true, year, month, day, dayOfWeek);
        else
            m_options->UpdateScheduleEntry(start, stop, year, month, day, dayOfWeek);
    }
    setModalResult(mrOk);
    if (!isModal()) close();
}

void TfrmSchedule::skButton2Click() {
    setModalResult(mrCancel);
    if (!isModal()) close();
}
