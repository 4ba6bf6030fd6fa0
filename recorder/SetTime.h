#pragma once

#include "common/GlobeVar.h"
#include "platform/Form.h"

class QComboBox;
class QLineEdit;
class TDateTimePicker;
class TskButton;
class TskRadioButton;
class TUpDown;

// Where the dialog hands its entry: the settings window's schedule page.
class TScheduleEntryTarget {
public:
    virtual ~TScheduleEntryTarget() = default;
    virtual void AddScheduleEntry(const QString& startText, const QString& stopText, bool use, int year,
                                  int month, int day, int dayOfWeek) = 0;
    virtual void UpdateScheduleEntry(const QString& startText, const QString& stopText, int year, int month,
                                     int day, int dayOfWeek) = 0;
};

// The schedule entry dialog: start and stop time and one of five kinds (every day, one date, every
// week, every month, every year). Its action button ("Add" or "Edit") hands the entry to the
// settings window's schedule page. It keeps its values from one use to the next.
class TfrmSchedule : public TForm {
    Q_OBJECT
public:
    explicit TfrmSchedule(QWidget* owner = nullptr);

    // The settings window whose schedule page the entries go to.
    void SetOptionsWindow(TScheduleEntryTarget* options) { m_options = options; }
    void SetActionCaption(const QString& caption);
    // Puts an entry's times and kind into the dialog; a combination that fits no kind leaves the
    // kind controls as they are.
    void ShowEntry(const TScheduleEntry& entry);

public Q_SLOTS:
    void skButton1Click();
    void skButton2Click();
    void rb1Click();

protected:
    void FormCreate() override;

private:
    QString timeText(QLineEdit* hour, QLineEdit* minute, QLineEdit* second) const;

    TScheduleEntryTarget* m_options = nullptr;
    QLineEdit *edStartHour1, *edStartMinute1, *edStartSecond1, *edStopHour1, *edStopMinute1, *edStopSecond1;
    TUpDown *udStartH1, *udStartM1, *udStartS1, *udStopH1, *udStopM1, *udStopS1;
    TskRadioButton *rb1, *rb2, *rb3, *rb4, *rb5;
    TDateTimePicker* DTPicker;
    QComboBox *cboxWeek, *cboxMonth, *cboxYear, *cboxYearday;
    TskButton* skButton1;
};
