// Draws, for each built-in style and each embedded theme file, a picture of one dialog built on
// the skinned form panel, into the build tree's gallery/ folder (forms-<style or theme>.png): a menu
// bar, a page control of two sheets with edits, a number edit and a combo box (closed, and its open
// list beside the dialog), a memo with skin scroll bars, a link label, progress bars both ways and
// a list view.
#include "tests/gallery/Gallery.h"
#include "tests/skincontrols/SkinControlsSupport.h"

#include "skin-extra/SKListView.h"
#include "skin-extra/SKProgressBar.h"
#include "skin/SKComboBox.h"
#include "skin/SKEdit.h"
#include "skin/SKForm.h"
#include "skin/SKMainMenu.h"
#include "skin/SKMemo.h"
#include "skin/SKPageControl.h"
#include "skin/SKScrollBar.h"
#include "skin/SKURLLabel.h"

#include <QAbstractItemView>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QMetaEnum>
#include <QPlainTextEdit>
#include <QScrollBar>
#include <QTreeWidget>
#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

// A caption over the dialog's background.
TskImagePanel* Label(QWidget* parent, const QString& text, const QRect& r) {
    auto* label = new TskImagePanel(parent);
    label->setGeometry(r);
    label->SetTransparent(true);
    label->SetAlignment(taLeftJustify);
    label->SetCaption(text);
    return label;
}

struct FormsShot {
    QImage dialog;
    QImage openList;
};

FormsShot Dialog(TskUIStyle style, TskFileTheme* theme, QWidget* form, const QString& title) {
    form->resize(560, 460);
    auto* frame = new TskForm(form);
    auto* menu = new TskMainMenu(form);
    menu->AddMenu(QStringLiteral("&File"))->addAction(QStringLiteral("&Open"));
    menu->AddMenu(QStringLiteral("&Edit"))->addAction(QStringLiteral("&Copy"));
    menu->AddMenu(QStringLiteral("&View"));
    menu->AddMenu(QStringLiteral("&Help"))->addAction(QStringLiteral("&About"));
    menu->Loaded();
    frame->SetCaption(title);
    // The dialog's controls stand on the client panel, which follows the title and menu bars.
    auto* client = new TskImagePanel(frame);
    client->SetTransparent(true);
    frame->SetFormPanel(client);
    const int left = 10, top = 8;

    auto* pages = new TskPageControl(client);
    pages->setGeometry(left, top, 300, 200);
    auto* general = new TskTabSheet(pages);
    general->SetPageControl(pages);
    general->SetCaption(QStringLiteral("General"));
    auto* advanced = new TskTabSheet(pages);
    advanced->SetPageControl(pages);
    advanced->SetCaption(QStringLiteral("Advanced"));
    pages->SetActivePage(general);
    Label(general, QStringLiteral("&Name:"), QRect(10, 14, 70, 20));
    auto* name = new TskEdit(general);
    name->setGeometry(90, 12, 190, 21);
    name->SetText(QStringLiteral("Morning recording"));
    Label(general, QStringLiteral("&Folder:"), QRect(10, 44, 70, 20));
    auto* folder = new TskEdit(general);
    folder->setGeometry(90, 42, 190, 21);
    folder->SetText(QStringLiteral("~/Music/Recordings"));
    Label(general, QStringLiteral("&Minutes:"), QRect(10, 74, 70, 20));
    auto* minutes = new TskNumberEdit(general);
    minutes->setGeometry(90, 72, 80, 21);
    minutes->SetValue(45);
    Label(general, QStringLiteral("F&ormat:"), QRect(10, 104, 70, 20));
    auto* format = new TskComboBox(general);
    format->setGeometry(90, 102, 190, 21);
    format->SetStyle(TskCustomComboBox::csDropDownList);
    format->SetItems(
        {QStringLiteral("MP3"), QStringLiteral("OGG Vorbis"), QStringLiteral("WAV"), QStringLiteral("WMA")});
    format->SetItemIndex(0);
    auto* link = new TskURLLabel(general);
    link->move(10, 140);
    link->SetCaption(QStringLiteral("Visit the home page"));
    link->SetURL(QStringLiteral("https://example.org/"));

    // The memo with both skin scroll bars, enough text for both to scroll.
    auto* memo = new TskMemo(client);
    memo->SetWordWrap(false);
    memo->setGeometry(left + 310, top, 210, 200);
    QStringList lines;
    for (int i = 1; i <= 30; ++i)
        lines << QStringLiteral("%1. Track of the recording session, take %2").arg(i).arg(i * 3);
    memo->SetLines(lines);
    auto* vbar = new TskScrollBar(client);
    auto* hbar = new TskScrollBar(client);
    memo->SetVScrollBar(vbar);
    memo->SetHScrollBar(hbar);

    // Progress bars, horizontal and vertical.
    auto* progress = new TskProgressBar(client);
    progress->setGeometry(left, top + 212, 300, 16);
    progress->SetMax(100);
    progress->SetPosition(60);
    auto* level = new TskProgressBar(client);
    level->SetOrientation(skVertical);
    level->setGeometry(left + 520 - 16, top + 212, 16, 150);
    level->SetMax(100);
    level->SetPosition(35);

    // The list view with enough rows to scroll both ways and its skin scroll bars.
    auto* tracks = new TskListView(client);
    tracks->setGeometry(left, top + 236, 490, 126);
    tracks->SetColumns({QStringLiteral("No."), QStringLiteral("Title"), QStringLiteral("Length")});
    for (int i = 1; i <= 24; ++i)
        tracks->List()->addTopLevelItem(new QTreeWidgetItem(
            {QString::number(i), QStringLiteral("Track %1 of the recording session, the long take").arg(i),
             QStringLiteral("%1:%2").arg(2 + i % 5).arg(i * 7 % 60, 2, 10, QChar(u'0'))}));
    tracks->List()->setColumnWidth(0, 40);
    tracks->List()->setColumnWidth(1, 460);
    auto* tracksV = new TskScrollBar(client);
    auto* tracksH = new TskScrollBar(client);
    tracks->SetVScrollBar(tracksV);
    tracks->SetHScrollBar(tracksH);

    // Every skinned control of the dialog takes the style (and theme), as the theme's walk does.
    // Guarded: a control re-themed here may replace parts of its own that the list holds.
    QList<QPointer<QObject>> objects;
    for (QObject* o : form->findChildren<QObject*>())
        objects.append(o);
    for (const QPointer<QObject>& o : objects) {
        if (!o || !HasProperty(o, "FileTheme") || !HasProperty(o, "UIStyle")) continue;
        o->setProperty("FileTheme", QVariant::fromValue(theme));
        o->setProperty("UIStyle", QVariant::fromValue(style));
    }
    for (QObject* o : std::initializer_list<QObject*>{frame, menu}) {
        o->setProperty("FileTheme", QVariant::fromValue(theme));
        o->setProperty("UIStyle", QVariant::fromValue(style));
    }
    memo->Editor()->verticalScrollBar()->setValue(4);

    form->show();
    QApplication::processEvents();
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
    FormsShot shot;
    QImage dialog = form->grab().toImage().convertToFormat(QImage::Format_RGB32);
    // Outside the window's shape (the rounded corners) the gallery's grey shows.
    const QRegion shape = form->mask().isEmpty() ? QRegion(form->rect()) : form->mask();
    for (int y = 0; y < dialog.height(); ++y)
        for (int x = 0; x < dialog.width(); ++x)
            if (!shape.contains(QPoint(x, y))) dialog.setPixel(x, y, qRgb(0x80, 0x80, 0x80));
    shot.dialog = dialog;
    format->DropDown();
    QApplication::processEvents();
    if (QWidget* list = format->Combo()->view()->window(); list && list->isVisible())
        shot.openList = list->grab().toImage();
    format->CloseUp();
    return shot;
}

QImage Sheet(const FormsShot& shot) {
    const int w = shot.dialog.width() + 30 + shot.openList.width();
    QImage canvas(w, std::max(shot.dialog.height(), shot.openList.height() + 20), QImage::Format_RGB32);
    canvas.fill(QColor(0x80, 0x80, 0x80));
    QPainter p(&canvas);
    p.drawImage(0, 0, shot.dialog);
    if (!shot.openList.isNull()) p.drawImage(shot.dialog.width() + 15, 20, shot.openList);
    return canvas;
}

} // namespace

TEST(SkinForms, BuiltInStylesAndThemeFiles) {
    const QMetaEnum names = QMetaEnum::fromType<Skin::TskUIStyle>();
    for (TskUIStyle style : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
        QWidget form;
        const QString name = names.valueToKey(style);
        const QImage image = Sheet(Dialog(style, nullptr, &form, QStringLiteral("Settings - %1").arg(name)));
        const QString path = gallery::Folder() + QStringLiteral("/forms-%1.png").arg(name);
        ASSERT_TRUE(image.save(path)) << path.toStdString();
    }
    for (const char* file : {"new.skn", "mp10.skn", "new1.skn", "new2.skn"}) {
        QFile resource(ThemeResourcePath(file));
        ASSERT_TRUE(resource.open(QIODevice::ReadOnly)) << file;
        QWidget form;
        auto* theme = new TskBuiltInFileTheme(&form);
        theme->ReadSkinData(resource.readAll());
        const QImage image =
            Sheet(Dialog(FromThemeFile, theme, &form, QStringLiteral("Settings - %1").arg(file)));
        const QString path =
            gallery::Folder() + QStringLiteral("/forms-%1.png").arg(QString(file).chopped(4));
        ASSERT_TRUE(image.save(path)) << path.toStdString();
    }
}
