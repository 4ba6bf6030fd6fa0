// The settings window, the schedule entry dialog, the confirm and the folder windows, built from their
// form descriptions and driven through their controls.
#include "common/Confirm.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "common/PathSelect.h"
#include "platform/Application.h"
#include "platform/FormResource.h"
#include "platform/ModalDialogs.h"
#include "platform/ProfileFile.h"
#include "platform/UserMessages.h"
#include "recorder/Options.h"
#include "recorder/SetTime.h"
#include "skin-extra/SKExtraControls.h"
#include "skin/SKButton.h"
#include "skin/SKForm.h"
#include "skin/SKPageControl.h"
#include "skin/SKRegister.h"
#include "tests/recorder/FreshProgramFolder.h"

#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileSystemModel>
#include <QFontDatabase>
#include <QLabel>
#include <QLineEdit>
#include <QTemporaryDir>
#include <QTest>
#include <QTimer>
#include <QTreeWidget>

#include <gtest/gtest.h>

#include <functional>
#include <unistd.h>

using namespace Videzeva;

namespace {

QString readAll(const QString& name) {
    QFile f(name);
    f.open(QIODevice::ReadOnly);
    return QString::fromUtf8(f.readAll());
}

// Runs `step` once the next modal window is up (inside its own loop).
void whenModal(std::function<void(QWidget*)> step) {
    auto* poll = new QTimer;
    poll->setInterval(5);
    QObject::connect(poll, &QTimer::timeout, [poll, step] {
        if (QWidget* w = QApplication::activeModalWidget()) {
            poll->stop();
            poll->deleteLater();
            step(w);
        }
    });
    poll->start();
}

// A program folder of its own, the classes registered, the globals as a fresh start has them.
class RecorderDialogs : public ::testing::Test {
protected:
    void SetUp() override {
        RegisterSkinControls();
        RegisterSkinExtraControls();
        RegisterDialogControls();
        ASSERT_TRUE(dir.isValid());
        app = dir.path() + u'/';
        UseFreshProgramFolder(app);
    }

    QComboBox* combo(QObject* form, const char* name) {
        return NativeCombo(FindFormObject(form, QLatin1String(name)));
    }
    QLineEdit* edit(QObject* form, const char* name) {
        return NativeEdit(FindFormObject(form, QLatin1String(name)));
    }
    // Enabled by the window's own rules (hidden pages of a page control are disabled as a whole).
    bool on(QObject* form, const char* name) {
        return !child<QWidget>(form, name)->testAttribute(Qt::WA_ForceDisabled);
    }
    template <class T> T* child(QObject* form, const char* name) {
        return FormChild<T>(form, QLatin1String(name));
    }
    // Every setting's control moved away from its default, through the controls themselves.
    void changeEveryControl(TfrmOptions& w) {
        for (int s = 0; s < OptionSettingCount; ++s) {
            const OptionSettingInfo& info = OptionInfo(OptionSetting(s));
            QObject* c = FindFormObject(&w, QLatin1String(info.control));
            switch (info.kind) {
            case OptionKind::List:
                NativeCombo(c)->setCurrentIndex(
                    (info.setting == WmaFormat ? kWmaProfileNames : int(info.items.size())) - 2);
                break;
            case OptionKind::Flag:
                c->setProperty("Checked", !info.defaultValue);
                break;
            case OptionKind::Choice:
                (info.defaultValue ? FindFormObject(&w, QLatin1String(info.partner)) : c)
                    ->setProperty("Checked", true);
                break;
            case OptionKind::Number:
                qobject_cast<TUpDown*>(c)->SetPosition(info.maximum - 1);
                break;
            case OptionKind::Text:
                NativeEdit(c)->setText(QStringLiteral("t%1").arg(s));
                break;
            case OptionKind::Folder: {
                const QString folder = app + info.key + u'/';
                QDir().mkpath(folder);
                NativeEdit(c)->setText(folder);
                break;
            }
            case OptionKind::HexText:
                c->setProperty("Text", QStringLiteral("Hello\nsecond line"));
                break;
            }
        }
    }

    QTemporaryDir dir;
    QString app;
    TScriptedMessages script;
};

} // namespace

TEST_F(RecorderDialogs, OptionsFirstRunThenEveryControlRoundTripsThroughOkAndTheNextStart) {
    auto first = std::make_unique<TfrmOptions>();
    first->create();
    ASSERT_TRUE(QFile::exists(GlobeVar::CfgFilePath()));
    EXPECT_TRUE(readAll(GlobeVar::CfgFilePath()).contains("Body=48692C\n"));
    EXPECT_EQ(readAll(GlobeVar::ScheduleFilePath()), "[Schedule]\nNumber=0\n");
    EXPECT_EQ(GlobeVar::MailSubject, "Share");
    EXPECT_EQ(GlobeVar::MP3BitRate, 112);
    // The form's lists hold the items the file's indexes count in.
    for (int s = 0; s < OptionSettingCount; ++s) {
        const OptionSettingInfo& info = OptionInfo(OptionSetting(s));
        if (info.kind != OptionKind::List) continue;
        QComboBox* list = combo(first.get(), info.control);
        QStringList items;
        for (int i = 0; i < list->count(); ++i)
            items << list->itemText(i);
        EXPECT_EQ(items, info.items) << info.control;
    }
    EXPECT_EQ(first->ReadControls().number, DefaultOptionsValues().number);

    first->show();
    changeEveryControl(*first);
    first->AddScheduleEntry("07:05:00", "08:00:00", true, 0, 2, 29, 0);
    const TOptionsValues shown = first->ReadControls();
    child<TskButton>(first.get(), "btnOptionOk")->OnClick();
    EXPECT_FALSE(first->isVisible());
    EXPECT_TRUE(script.Log.isEmpty());
    EXPECT_EQ(GlobeVar::WavFreq, 44100); // index 5 of 7
    EXPECT_EQ(GlobeVar::WmaFormat, 14);
    EXPECT_EQ(GlobeVar::StartHotKeyCombo1.HotKey, 0x6Au); // "Numpad *"
    EXPECT_EQ(GlobeVar::StartHotKeyCombo1.PreKey1, 0x11u);
    EXPECT_EQ(GlobeVar::StartHotKeyCombo1.PreKey2, 0x10u); // Ctrl+Shift
    EXPECT_TRUE(GlobeVar::TimeStop);
    EXPECT_FALSE(GlobeVar::VolumeStop); // checking "By time" last unchecked "By volume"
    EXPECT_EQ(GlobeVar::MailBody, "Hello\nsecond line");
    EXPECT_EQ(GlobeVar::Schedule.size(), 1);
    EXPECT_TRUE(GlobeVar::Overwrite);
    EXPECT_FALSE(GlobeVar::ConvertSaveToOriginal);

    // The next start reads every control back.
    first.reset();
    TfrmOptions second;
    second.create();
    const TOptionsValues back = second.ReadControls();
    for (int s = 0; s < OptionSettingCount; ++s) {
        EXPECT_EQ(back.number[s], shown.number[s]) << OptionInfo(OptionSetting(s)).key;
        EXPECT_EQ(back.text[s], shown.text[s]) << OptionInfo(OptionSetting(s)).key;
    }
    EXPECT_EQ(back.schedule, shown.schedule);
    ASSERT_EQ(NativeList(FindFormObject(&second, "listSchedule"))->topLevelItemCount(), 1);
    EXPECT_EQ(NativeList(FindFormObject(&second, "listSchedule"))->topLevelItem(0)->text(3),
              "Every year: February 29");
}

TEST_F(RecorderDialogs, OptionsCancelDefaultAndEnablingRules) {
    TfrmOptions w;
    w.create();
    const TOptionsValues start = w.ReadControls();
    const int wavFreq = GlobeVar::WavFreq;

    // Cancel puts back what the window showed, the schedule and both buttons of a pair included.
    w.show();
    combo(&w, "cboxWavFreq")->setCurrentIndex(0);
    child<TskRadioButton>(&w, "rbSaveToAppointed")->SetChecked(true);
    w.AddScheduleEntry("01:00:00", "02:00:00", true, 0, 0, 0, 0);
    child<TskButton>(&w, "btnOptionCancel")->OnClick();
    EXPECT_EQ(w.ReadControls(), start);
    EXPECT_FALSE(child<TskRadioButton>(&w, "rbSaveToAppointed")->Checked());
    EXPECT_TRUE(child<TskRadioButton>(&w, "rbSaveToOriginal")->Checked());
    EXPECT_EQ(NativeList(FindFormObject(&w, "listSchedule"))->topLevelItemCount(), 0);
    EXPECT_EQ(GlobeVar::WavFreq, wavFreq);

    // "&Default" changes the controls only; Cancel after it leaves everything as it was.
    w.show();
    combo(&w, "cboxMP3BitRate")->setCurrentIndex(0);
    child<TskButton>(&w, "btnOptionOk")->OnClick();
    ASSERT_EQ(GlobeVar::MP3BitRate, 320);
    const QString fileAfterOk = readAll(GlobeVar::CfgFilePath());
    w.show();
    w.AddScheduleEntry("01:00:00", "02:00:00", true, 0, 0, 0, 0);
    child<TskButton>(&w, "btnOptionDefault")->OnClick();
    EXPECT_EQ(combo(&w, "cboxMP3BitRate")->currentIndex(), 6);
    EXPECT_EQ(w.Entries().size(), 1); // the schedule page keeps its entries
    EXPECT_EQ(GlobeVar::MP3BitRate, 320);
    EXPECT_EQ(readAll(GlobeVar::CfgFilePath()), fileAfterOk);
    w.close(); // the window's own close button is a Cancel
    EXPECT_EQ(combo(&w, "cboxMP3BitRate")->currentIndex(), 0);
    EXPECT_EQ(w.Entries().size(), 0);

    // Enabling: VBR controls, hot-key rows, the two automatic stops exclude each other.
    auto* vbr = child<TskCheckBox>(&w, "cboxVBREnable");
    vbr->SetChecked(false);
    EXPECT_FALSE(on(&w, "cboxMP3MaxBitRate"));
    vbr->SetChecked(true);
    EXPECT_TRUE(on(&w, "cboxMP3MaxBitRate"));
    EXPECT_TRUE(on(&w, "lblVBRQuality"));
    child<TskCheckBox>(&w, "cboxStop2")->SetChecked(false);
    EXPECT_FALSE(on(&w, "comboxStopPre2"));
    EXPECT_FALSE(on(&w, "lblStopPlus2"));
    EXPECT_TRUE(on(&w, "comboxStop1"));
    auto* byVolume = child<TskCheckBox>(&w, "cboxStopVolume");
    auto* byTime = child<TskCheckBox>(&w, "cboxStopTime");
    byVolume->SetChecked(true);
    EXPECT_TRUE(on(&w, "edVolumeLevel"));
    byTime->SetChecked(true);
    EXPECT_FALSE(byVolume->Checked());
    EXPECT_FALSE(on(&w, "edVolumeLevel"));
    EXPECT_TRUE(on(&w, "rbNewRecordTimeLimit"));
    byTime->SetChecked(false);
    EXPECT_FALSE(byVolume->Checked()); // unchecking one leaves the other
    EXPECT_FALSE(on(&w, "rbNewRecordTimeLimit"));

    // The name boxes refuse the characters a file name cannot hold.
    w.show();
    child<TskPageControl>(&w, "pcOptions")->SetActivePage(child<TskTabSheet>(&w, "tsSave"));
    child<TskPageControl>(&w, "pcSave")->SetActivePage(child<TskTabSheet>(&w, "tsJoinner"));
    auto* pre = edit(&w, "edJoinPreName");
    pre->clear();
    QTest::keyClicks(pre, "a:b?-c");
    EXPECT_EQ(pre->text(), "ab-c");
}

TEST_F(RecorderDialogs, OptionsOkWithAFileThatCannotBeWrittenSaysSoOnceAndKeepsEverything) {
    TfrmOptions w;
    w.create();
    const QString cfg = GlobeVar::CfgFilePath();
    const QString before = readAll(cfg);
    // A settings file no write reaches: read-only for a user; for root a folder in its place, the
    // file kept aside meanwhile.
    const bool root = geteuid() == 0;
    if (!root) {
        QFile::setPermissions(cfg, QFileDevice::ReadOwner);
        QFile::setPermissions(app, QFileDevice::ReadOwner | QFileDevice::ExeOwner);
    } else {
        ASSERT_TRUE(QFile::rename(cfg, cfg + ".kept"));
        ASSERT_TRUE(QDir().mkpath(cfg));
    }
    w.show();
    combo(&w, "cboxWavFreq")->setCurrentIndex(0);
    child<TskButton>(&w, "btnOptionOk")->OnClick();
    QFile::setPermissions(app, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner);
    QFile::setPermissions(cfg, QFileDevice::ReadOwner | QFileDevice::WriteOwner);
    if (root) {
        ASSERT_TRUE(QDir(cfg).removeRecursively());
        ASSERT_TRUE(QFile::rename(cfg + ".kept", cfg));
    }
    EXPECT_EQ(script.All(), QStringList{"Unable to write to " + cfg});
    EXPECT_TRUE(w.isVisible());
    EXPECT_EQ(GlobeVar::WavFreq, 8000);
    EXPECT_EQ(combo(&w, "cboxWavFreq")->currentIndex(), 0);
    EXPECT_EQ(readAll(cfg), before);
    w.hide();
}

TEST_F(RecorderDialogs, FolderButtonsTakeAWritableFolderAndRefuseOthers) {
    TfrmPathSelect paths;
    paths.create();
    TfrmOptions w;
    w.create();
    w.SetPathSelect(&paths);
    auto* box = edit(&w, "edSplitOutputPath");
    const QString old = box->text();

    // Creating the window reads no folder yet; the first show (or question) opens on the home
    // folder, selected.
    EXPECT_EQ(paths.Tree()->model(), nullptr);
    EXPECT_EQ(paths.Tree()->SelectedFolder() + u'/', QDir::homePath() + u'/');

    ASSERT_TRUE(QDir(app).mkpath("music"));
    whenModal([&](QWidget*) {
        paths.Tree()->SelectFolder(app + "music");
        child<TskButton>(&paths, "btnOk")->OnClick();
    });
    child<TskButton>(&w, "btnSplitOutputPath")->OnClick();
    EXPECT_EQ(paths.SelectedPath, app + "music/");
    EXPECT_EQ(box->text(), app + "music/");
    EXPECT_TRUE(QDir(app + "music").entryList(QDir::Files).isEmpty()); // the test file is gone

    // A folder that takes no new file (even for root): refused with a message, the box unchanged.
    script.Clear();
    whenModal([&](QWidget*) {
        paths.Tree()->SelectFolder("/proc");
        child<TskButton>(&paths, "btnOk")->OnClick();
    });
    child<TskButton>(&w, "btnSplitOutputPath")->OnClick();
    EXPECT_EQ(script.All(), QStringList{"The path can't set as output path"});
    EXPECT_EQ(box->text(), app + "music/");

    // Cancel gives an empty text and changes nothing; the root keeps its one "/".
    whenModal([&](QWidget*) { child<TskButton>(&paths, "btnCancel")->OnClick(); });
    child<TskButton>(&w, "btnSplitOutputPath")->OnClick();
    EXPECT_EQ(paths.SelectedPath, "");
    EXPECT_EQ(box->text(), app + "music/");
    paths.Tree()->SelectFolder("/");
    paths.btnOkClick();
    EXPECT_EQ(paths.SelectedPath, "/");
    // Closing by the window's button after an "Ok" leaves the earlier folder.
    whenModal([&](QWidget* w) { w->close(); });
    EXPECT_EQ(paths.ShowModal(), mrCancel);
    EXPECT_EQ(paths.SelectedPath, "/");
    (void)old;
}

// A program that speaks everything through its confirm window (the ripper) shows its plain boxes'
// reports, questions and errors there, in the same texts and answers; a report of several lines
// makes the window as tall as its lines.
TEST_F(RecorderDialogs, EverythingSaidThroughTheConfirmWindowKeepsTextsAndAnswers) {
    auto* c = new TfrmConfirm;
    c->create();
    TConfirmMessages boxes(c, true);
    TMessagesInUse speaking(boxes);
    QStringList seen;
    QList<int> heights;
    auto answer = [&](int result) {
        whenModal([&, result](QWidget* w) {
            EXPECT_EQ(w, c);
            seen << QStringLiteral("%1:%2").arg(c->MessageOnly).arg(c->Message);
            heights << c->height();
            c->setModalResult(result);
        });
    };
    answer(mrYes);
    EXPECT_TRUE(BoxMessages().Ask(QStringLiteral("Do you want refresh this CD information?"), nullptr));
    answer(mrNo);
    EXPECT_FALSE(BoxMessages().Ask(QStringLiteral("Do you want refresh this CD information?"), nullptr));
    answer(mrNo);
    BoxMessages().Tell(QStringLiteral("Please select track(s) first."), nullptr);
    answer(mrNo);
    ReportError(QStringLiteral("Connection failed!\nNo route to host"));
    EXPECT_EQ(seen,
              QStringList({"0:Do you want refresh this CD information?",
                           "0:Do you want refresh this CD information?", "1:Please select track(s) first.",
                           "1:Connection failed!\nNo route to host"}));
    ASSERT_EQ(heights.size(), 4);
    EXPECT_GE(heights[3] - heights[2], child<QLabel>(c, "Label1")->fontMetrics().height());
    delete c;
}

// A dialog's description gives its client area: the skinned frame's three pixels lie around it,
// inside the window's size; the title bar stands at the top of the client area and the controls'
// client panel fills what it leaves.
TEST_F(RecorderDialogs, ClientAreaOfTheDescriptionHoldsTheTitleBarInsideTheFrame) {
    auto expectClientArea = [](QWidget& w, QSize client) {
        w.show();
        QApplication::processEvents();
        const std::string name = w.objectName().toStdString();
        auto* frame = FormChild<TskForm>(&w, "skForm1");
        const int bar = frame->TitleBar()->height();
        EXPECT_GT(bar, 10) << name;
        EXPECT_EQ(w.size(), client + QSize(6, 6)) << name;
        EXPECT_EQ(frame->geometry(), QRect(QPoint(3, 3), client)) << name;
        EXPECT_EQ(FormChild<QWidget>(&w, "pnlClient")->geometry(),
                  QRect(0, bar, client.width(), client.height() - bar))
            << name;
        w.hide();
    };
    TfrmOptions options;
    options.create();
    expectClientArea(options, {401, 284});
    TfrmSchedule schedule;
    schedule.create();
    expectClientArea(schedule, {356, 268});
    TfrmPathSelect paths;
    paths.create();
    expectClientArea(paths, {317, 363});
}

TEST_F(RecorderDialogs, ConfirmWidthsHeightAndResults) {
    TfrmConfirm c;
    c.create();
    QFont font = QFontDatabase::systemFont(QFontDatabase::FixedFont);
    font.setPixelSize(10);
    child<QLabel>(&c, "Label1")->setFont(font);
    const QFontMetrics fm(font);
    auto* yes = child<TskButton>(&c, "skButton1");
    auto* no = child<TskButton>(&c, "skButton2");
    // The widths and heights are the window's own: the three-pixel frame lies inside them.
    auto* client = child<TskForm>(&c, "skForm1");

    whenModal([&](QWidget*) { yes->OnClick(); });
    c.SetMessageOnly(0);
    c.SetMessage("Go on?");
    EXPECT_EQ(c.ShowModal(), mrYes);
    EXPECT_EQ(c.size(), QSize(220, fm.height() + 121));
    EXPECT_EQ(client->geometry(), c.rect().adjusted(3, 3, -3, -3));
    EXPECT_EQ(yes->x(), 0);
    EXPECT_EQ(no->x(), 100);
    EXPECT_EQ(yes->y(), c.height() - 46);
    EXPECT_EQ(no->y(), c.height() - 46);
    EXPECT_LE(no->geometry().bottom(), client->height()) << "the buttons stand inside the frame";
    EXPECT_EQ(c.windowTitle(), "Confirm");

    // A text as wide as 300 pixels: a question 340 wide, a message 330.
    QString wide;
    while (fm.horizontalAdvance(wide) < 300)
        wide += u'm';
    const int labelWidth = fm.horizontalAdvance(wide);
    whenModal([&](QWidget*) { no->OnClick(); });
    EXPECT_EQ(c.ShowModal(), mrNo);
    c.SetMessage(wide);
    whenModal([&](QWidget*) { no->OnClick(); });
    EXPECT_EQ(c.ShowModal(), mrNo);
    EXPECT_EQ(c.width(), labelWidth + 40);
    EXPECT_EQ(child<QLabel>(&c, "Label1")->x(), 20);

    c.SetMessageOnly(1);
    whenModal([&](QWidget*) { no->OnClick(); });
    EXPECT_EQ(c.ShowModal(), mrNo);
    EXPECT_EQ(c.width(), labelWidth + 30);
    EXPECT_EQ(c.windowTitle(), "Message");
    EXPECT_FALSE(yes->isVisible());
    EXPECT_EQ(no->Caption(), "&Ok");
    EXPECT_EQ(no->x(), (c.width() - 80) / 2);
    EXPECT_EQ(child<QLabel>(&c, "Label1")->x(), 13);
    if (labelWidth == 300) {
        EXPECT_EQ(c.width(), 330);
    }

    // The skinned frame's title bar holds the close button (a dialog has no maximise or minimise):
    // it cancels, and the next question brings both buttons back.
    TskTitleBar* bar = child<TskForm>(&c, "skForm1")->TitleBar();
    int close = -1;
    for (int i = 0; i < bar->Buttons()->Count(); ++i) {
        const TskTitleBarButton* b = bar->Buttons()->Items(i);
        EXPECT_FALSE(b->Visible() && (b->ButtonType() == skMax || b->ButtonType() == skMin));
        if (b->ButtonType() == skClose) close = i;
    }
    ASSERT_GE(close, 0);
    c.SetMessageOnly(0);
    c.SetMessage("Go on?");
    whenModal([&](QWidget*) {
        const QPoint at = bar->ButtonRect(close).center();
        QTest::mousePress(bar, Qt::LeftButton, {}, at);
        QTest::mouseRelease(bar, Qt::LeftButton, {}, at);
    });
    EXPECT_EQ(c.ShowModal(), mrCancel);
    EXPECT_EQ(no->Caption(), "&No");
    EXPECT_EQ(c.windowTitle(), "Confirm");
}

TEST_F(RecorderDialogs, ScheduleDialogAddsEditsAndTheListStaysPairedThroughSorting) {
    TfrmOptions w;
    w.create();
    TfrmSchedule dialog;
    dialog.create();
    w.SetScheduleDialog(&dialog);
    auto* list = NativeList(FindFormObject(&w, "listSchedule"));

    // Add: every year on 29 February, 07:05:00 to 08:00:00.
    whenModal([&](QWidget*) {
        child<TUpDown>(&dialog, "udStartH1")->SetPosition(7);
        child<TUpDown>(&dialog, "udStartM1")->SetPosition(5);
        child<TUpDown>(&dialog, "udStopH1")->SetPosition(8);
        child<TskRadioButton>(&dialog, "rb5")->SetChecked(true);
        combo(&dialog, "cboxYear")->setCurrentIndex(1);
        combo(&dialog, "cboxYearday")->setCurrentIndex(28);
        EXPECT_TRUE(combo(&dialog, "cboxYearday")->isEnabled());
        EXPECT_FALSE(combo(&dialog, "cboxWeek")->isEnabled());
        child<TskButton>(&dialog, "skButton1")->OnClick();
    });
    child<TskButton>(&w, "btnScheduleAdd")->OnClick();
    // Add again, keeping the dialog's values but every day at 06:00:00.
    whenModal([&](QWidget*) {
        child<TUpDown>(&dialog, "udStartH1")->SetPosition(6);
        child<TUpDown>(&dialog, "udStartM1")->SetPosition(0);
        child<TskRadioButton>(&dialog, "rb1")->SetChecked(true);
        child<TskButton>(&dialog, "skButton1")->OnClick();
    });
    child<TskButton>(&w, "btnScheduleAdd")->OnClick();
    ASSERT_EQ(list->topLevelItemCount(), 2);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "07:05:00");
    EXPECT_EQ(list->topLevelItem(0)->text(2), "08:00:00");
    EXPECT_EQ(list->topLevelItem(0)->text(3), "Every year: February 29");
    EXPECT_EQ(w.Entries()[0], (TScheduleEntry{1, 7, 5, 0, 8, 0, 0, 29, 2, 0, 0}));

    // Sort by start time, clear the check box of the 07:05 row, then edit it: its own entry changes
    // and the box stays clear.
    w.listScheduleColumnClick(1);
    EXPECT_EQ(list->topLevelItem(0)->text(1), "06:00:00");
    EXPECT_EQ(w.Entries()[0].StartH, 6);
    list->topLevelItem(1)->setCheckState(0, Qt::Unchecked);
    list->setCurrentItem(list->topLevelItem(1));
    whenModal([&](QWidget*) {
        EXPECT_EQ(child<TUpDown>(&dialog, "udStartH1")->Position(), 7); // the entry was put in
        EXPECT_TRUE(child<TskRadioButton>(&dialog, "rb5")->Checked());
        child<TskRadioButton>(&dialog, "rb3")->SetChecked(true);
        combo(&dialog, "cboxWeek")->setCurrentIndex(4);
        child<TskButton>(&dialog, "skButton1")->OnClick();
    });
    child<TskButton>(&w, "btnScheduleEdit")->OnClick();
    EXPECT_EQ(list->topLevelItem(1)->text(3), "Every week: Friday");
    EXPECT_EQ(list->topLevelItem(1)->checkState(0), Qt::Unchecked);
    EXPECT_EQ(w.ReadControls().schedule[1], (TScheduleEntry{0, 7, 5, 0, 8, 0, 0, 0, 0, 0, 5}));
    EXPECT_EQ(w.Entries()[0].DayOfWeek, 0);

    // Cancel of the dialog changes nothing; Delete moves the later rows up; Clear empties.
    whenModal([&](QWidget*) { child<TskButton>(&dialog, "skButton2")->OnClick(); });
    child<TskButton>(&w, "btnScheduleEdit")->OnClick();
    EXPECT_EQ(list->topLevelItemCount(), 2);
    list->setCurrentItem(list->topLevelItem(0));
    child<TskButton>(&w, "btnScheduleDelete")->OnClick();
    ASSERT_EQ(list->topLevelItemCount(), 1);
    EXPECT_EQ(w.Entries()[0].DayOfWeek, 5);
    child<TskButton>(&w, "btnScheduleClear")->OnClick();
    EXPECT_EQ(list->topLevelItemCount(), 0);
    EXPECT_TRUE(w.Entries().isEmpty());

    // A row whose date does not exist shows with an empty kind text and opens without harm.
    w.AddScheduleEntry("01:00:00", "02:00:00", true, 2025, 2, 31, 0);
    EXPECT_EQ(list->topLevelItem(0)->text(3), "");
    list->setCurrentItem(list->topLevelItem(0));
    whenModal([&](QWidget*) { child<TskButton>(&dialog, "skButton2")->OnClick(); });
    child<TskButton>(&w, "btnScheduleEdit")->OnClick();
    EXPECT_TRUE(child<TskRadioButton>(&dialog, "rb2")->Checked());
}

// An arrow held down keeps stepping through Qt's own mouse dispatch, and stops as the pointer
// slides off it with the button still down; the release after that changes nothing.
TEST(UpDown, AHeldArrowRepeatsUntilThePointerLeavesIt) {
    QWidget window;
    window.resize(120, 80);
    auto* arrows = new TUpDown(&window);
    arrows->setGeometry(10, 10, 17, 40);
    arrows->SetMax(1000);
    window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
    QTest::mousePress(arrows, Qt::LeftButton, {}, QPoint(8, 5));
    EXPECT_EQ(arrows->Position(), 1);
    QTest::qWait(1000);
    const int held = arrows->Position();
    EXPECT_GE(held, 3) << "no repeat while held";
    QTest::mouseMove(arrows, QPoint(60, 5));
    const int left = arrows->Position();
    QTest::qWait(400);
    EXPECT_EQ(arrows->Position(), left) << "the repeat went on off the arrow";
    QTest::mouseRelease(arrows, Qt::LeftButton, {}, QPoint(60, 5));
    EXPECT_EQ(arrows->Position(), left);
}
