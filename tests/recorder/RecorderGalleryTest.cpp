// Draws the recorder's dialogs with the embedded theme into the build tree's gallery/windows/ folder
// for review: every page of the settings window, the schedule entry dialog, both modes of the
// confirm window and the folder window.
#include "common/Confirm.h"
#include "common/DialogControls.h"
#include "common/GlobeVar.h"
#include "common/PathSelect.h"
#include "platform/FormResource.h"
#include "recorder/Options.h"
#include "recorder/SetTime.h"
#include "skin-extra/SKExtraControls.h"
#include "skin/SKPageControl.h"
#include "skin/SKRegister.h"
#include "tests/recorder/FreshProgramFolder.h"

#include <QApplication>
#include <QDir>
#include <QTemporaryDir>

#include <gtest/gtest.h>

namespace {

// The dialog's controls stand on the skinned frame's client panel, which keeps the client area the
// description gives the window; the title bar and frame come on top of it.
void expectClientArea(QWidget& w, QSize client) {
    auto* panel = FormChild<QWidget>(&w, "pnlClient");
    EXPECT_EQ(panel->size(), client) << w.objectName().toStdString();
    EXPECT_GT(w.height(), client.height() + 10);
}

void save(QWidget& w, const QString& name) {
    w.show();
    QApplication::processEvents();
    const QString dir = QStringLiteral(SUITE_BUILD_DIR) + "/gallery/windows";
    QDir().mkpath(dir);
    const QImage picture = w.grab().toImage();
    ASSERT_FALSE(picture.isNull());
    EXPECT_TRUE(picture.save(dir + "/Videzeva-" + name + ".png")) << name.toStdString();
}

} // namespace

TEST(RecorderGallery, DrawsEveryDialogAndPage) {
    RegisterSkinControls();
    RegisterSkinExtraControls();
    RegisterDialogControls();
    QTemporaryDir dir;
    UseFreshProgramFolder(dir.path() + u'/');

    Videzeva::TfrmOptions options;
    options.create();
    options.AddScheduleEntry("07:05:00", "08:00:00", true, 0, 0, 0, 0);
    options.AddScheduleEntry("21:00:00", "22:30:00", true, 0, 0, 0, 5);
    options.AddScheduleEntry("06:00:00", "06:45:00", false, 0, 2, 29, 0);
    auto* pages = FormChild<TskPageControl>(&options, "pcOptions");
    const QStringList names{"Format", "Hotkey", "Schedule", "AutoStop", "Save", "EMail", "Device"};
    ASSERT_EQ(pages->PageCount(), names.size());
    for (int i = 0; i < pages->PageCount(); ++i) {
        pages->SetActivePage(pages->Page(i));
        save(options, "Options-" + names[i]);
    }
    for (const char* inner : {"pcFormat", "pcSave"}) {
        auto* sub = FormChild<TskPageControl>(&options, inner);
        pages->SetActivePage(qobject_cast<TskTabSheet*>(sub->parentWidget()));
        for (int i = 0; i < sub->PageCount(); ++i) {
            sub->SetActivePage(sub->Page(i));
            save(options,
                 QStringLiteral("Options-%1-%2")
                     .arg(inner == QLatin1String("pcFormat") ? "Format" : "Save", sub->Page(i)->Caption()));
        }
    }
    expectClientArea(options, {401, 284});
    options.hide();

    TfrmSchedule schedule;
    schedule.create();
    save(schedule, "Schedule");
    expectClientArea(schedule, {356, 268});

    TfrmConfirm confirm;
    confirm.create();
    confirm.SetMessageOnly(0);
    confirm.SetMessage("Recording, play will jam the recording, do you want to go on ?");
    save(confirm, "Confirm-question");
    confirm.hide();
    confirm.SetMessageOnly(1);
    confirm.SetMessage("No input device");
    save(confirm, "Confirm-message");

    TfrmPathSelect paths;
    paths.create();
    save(paths, "PathSelect");
    expectClientArea(paths, {317, 363});
}
