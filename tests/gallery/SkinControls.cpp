// Draws, for each built-in style and each embedded theme file, a picture of a panel holding one
// of each skinned control in its states and a popup menu, into the build tree's gallery/ folder,
// so the look can be reviewed.
#include "tests/gallery/Gallery.h"
#include "tests/skincontrols/SkinControlsSupport.h"

#include "skin/SKButton.h"
#include "skin/SKGroupBox.h"
#include "skin/SKImagePanel.h"
#include "skin/SKPopupMenu.h"
#include "skin/SKTitleBar.h"
#include "skin/SKTrackBar.h"

#include <QAction>
#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

template <class T> T* Themed(T* control, TskFileTheme* theme, TskUIStyle style) {
    if (theme) control->setProperty("FileTheme", QVariant::fromValue(theme));
    control->setProperty("UIStyle", QVariant::fromValue(style));
    return control;
}

// The panel with every control of the library's first set, in its states, and the popup menu
// beside it.
QImage Gallery(TskUIStyle style, TskFileTheme* theme, QWidget* form, const QString& title) {
    const TskThemeSource source = TskThemeSource::Resolve(theme, style);
    auto* panel = new TskImagePanel(form);
    panel->setGeometry(0, 0, 470, 330);
    panel->SetColor(source.Color(SkinElement::FormBackgroundColor));

    auto* bar = Themed(new TskTitleBar(panel), theme, style);
    bar->setGeometry(0, 0, panel->width(), bar->height());
    bar->SetCaption(title);
    bar->SetDrawAppIcon(false);
    const int top = bar->height() + 10;

    const char* states[] = {"Normal", "Hot", "Pressed", "Disabled"};
    for (int i = 0; i < 4; ++i) {
        auto* b = Themed(new TskButton(panel), theme, style);
        b->setGeometry(10 + i * 88, top, 80, 27);
        b->SetCaption(states[i]);
        b->show();
        if (i == 1 || i == 2) SendEnter(b);
        if (i == 2) Press(b, {10, 10});
        if (i == 3) b->SetEnabled(false);
    }
    auto* image = new TskImageButton(panel);
    image->setGeometry(364, top, 80, 27);
    image->SetPicNormal(source.Bitmap(SkinElement::ButtonImage, 3, 1));
    image->SetPicMouseOn(source.Bitmap(SkinElement::ButtonImage, 3, 2));
    image->SetStretch(true);
    image->SetTransparent(true);
    image->SetCaption("Image");

    const int boxTop = top + 40;
    struct BoxState {
        const char* caption;
        bool checked, enabled, radio;
    };
    const BoxState boxes[] = {{"Unchecked", false, true, false}, {"Checked", true, true, false},
                              {"Disabled", true, false, false},  {"Radio off", false, true, true},
                              {"Radio on", true, true, true},    {"Radio disabled", false, false, true}};
    for (int i = 0; i < 6; ++i) {
        TskCheckBox* box = boxes[i].radio ? new TskRadioButton(panel) : new TskCheckBox(panel);
        Themed(box, theme, style);
        box->SetTransparent(true);
        box->SetCaption(boxes[i].caption);
        box->move(10 + (i % 3) * 120, boxTop + (i / 3) * 24);
        box->SetChecked(boxes[i].checked);
        box->SetEnabled(boxes[i].enabled);
    }

    const int trackTop = boxTop + 56;
    auto* track = Themed(new TskTrackBar(panel), theme, style);
    track->setGeometry(10, trackTop, 200, track->height());
    track->SetTransparent(true);
    track->SetPosition(3);
    auto* disabledTrack = Themed(new TskTrackBar(panel), theme, style);
    disabledTrack->setGeometry(10, trackTop + 40, 200, disabledTrack->height());
    disabledTrack->SetTransparent(true);
    disabledTrack->SetPosition(8);
    disabledTrack->setEnabled(false);
    auto* vertical = Themed(new TskTrackBar(panel), theme, style);
    vertical->SetOrientation(skVertical);
    vertical->setGeometry(230, trackTop, vertical->width(), 110);
    vertical->SetTransparent(true);
    vertical->SetPosition(6);

    auto* group = Themed(new TskGroupBox(panel), theme, style);
    group->setGeometry(270, trackTop - 4, 185, 105);
    group->SetCaption("Group box");
    auto* inner = new TskCheckBox(group);
    inner->move(10, 24);
    inner->SetCaption("Inside");
    inner->SetChecked(true);
    auto* innerButton = new TskButton(group);
    innerButton->setGeometry(10, 56, 80, 27);
    innerButton->SetCaption("&Browse");
    group->SetUIStyle(style); // hands the style to the controls inside

    auto* caption = new TskImagePanel(panel);
    caption->setGeometry(10, 300, 450, 20);
    caption->SetTransparent(true);
    caption->SetAlignment(taLeftJustify);
    caption->SetCaption(QStringLiteral("Image panel caption over the form"));

    form->resize(panel->size());
    form->show();
    QApplication::processEvents();
    if (QWidget* focused = QApplication::focusWidget()) focused->clearFocus();
    QImage shot = form->grab(QRect(QPoint(0, 0), panel->size())).toImage();

    // The popup menu: a short-cut, a separator, a checked, a disabled and a selected item.
    TskPopupMenu menu(form);
    Themed(&menu, theme, style);
    QAction* open = menu.addAction("&Open file");
    open->setShortcut(QKeySequence("Ctrl+O"));
    menu.addSeparator();
    QAction* checked = menu.addAction("Checked item");
    checked->setCheckable(true);
    checked->setChecked(true);
    QAction* disabled = menu.addAction("Disabled item");
    disabled->setEnabled(false);
    QAction* selected = menu.addAction("Selected item");
    menu.setActiveAction(selected);
    const QImage menuShot = menu.grab().toImage();

    QImage canvas(shot.width() + menuShot.width() + 30, std::max(shot.height(), menuShot.height() + 20),
                  QImage::Format_RGB32);
    canvas.fill(QColor(0x80, 0x80, 0x80));
    QPainter p(&canvas);
    p.drawImage(0, 0, shot);
    p.drawImage(shot.width() + 15, 20, menuShot);
    p.end();
    delete panel;
    return canvas;
}

} // namespace

TEST(SkinControls, BuiltInStyles) {
    const QMetaEnum names = QMetaEnum::fromType<Skin::TskUIStyle>();
    for (TskUIStyle style : {MacOS, WinXP, DeepBlue, Protein, BlueGlass}) {
        QWidget form;
        const QString name = names.valueToKey(style);
        const QImage image = Gallery(style, nullptr, &form, QStringLiteral("Controls - %1").arg(name));
        const QString path = gallery::Folder() + QStringLiteral("/controls-%1.png").arg(name);
        ASSERT_TRUE(image.save(path)) << path.toStdString();
    }
}

TEST(SkinControls, EmbeddedThemeFiles) {
    int written = 0;
    for (const char* file : {"new.skn", "mp10.skn", "new1.skn", "new2.skn"}) {
        QFile resource(ThemeResourcePath(file));
        if (!resource.open(QIODevice::ReadOnly)) continue; // not among the resources of this build
        QWidget form;
        auto* theme = new TskBuiltInFileTheme(&form);
        theme->ReadSkinData(resource.readAll());
        ASSERT_TRUE(theme->CanUse()) << file;
        const QImage image = Gallery(FromThemeFile, theme, &form, QStringLiteral("Controls - %1").arg(file));
        const QString path =
            gallery::Folder() + QStringLiteral("/controls-%1.png").arg(QString(file).chopped(4));
        ASSERT_TRUE(image.save(path)) << path.toStdString();
        ++written;
    }
    if (written == 0) GTEST_SKIP() << "no embedded theme files among the resources yet";
}
