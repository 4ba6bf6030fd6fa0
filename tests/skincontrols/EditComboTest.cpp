// Edits, number edits, combo boxes and link labels driven as a user drives them: keys typed into
// a focused edit, the list of a combo box opened and closed, the label clicked.
#include "SkinControlsSupport.h"

#include "platform/UserMessages.h"
#include "skin/SKComboBox.h"
#include "skin/SKEdit.h"
#include "skin/SKMemo.h"
#include "skin/SKPublic.h"
#include "skin/SKURLLabel.h"

#include <QDesktopServices>
#include <QLineEdit>
#include <QLocale>
#include <QPlainTextEdit>
#include <QSignalSpy>
#include <QUrl>

#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

struct EditWindow {
    EditWindow() {
        window.resize(300, 120);
        edit = new TskNumberEdit(&window);
        edit->move(10, 10);
        other = new TskEdit(&window);
        other->move(10, 50);
    }
    bool Show() { return ShowActive(&window); }
    void Enter() {
        other->setFocus(Qt::TabFocusReason);
        edit->setFocus(Qt::TabFocusReason);
    }
    void Leave() { other->setFocus(Qt::TabFocusReason); }
    QWidget window;
    TskNumberEdit* edit;
    TskEdit* other;
};

} // namespace

TEST(NumberEdit, KeysThatCannotBelongToTheNumberNeverReachTheText) {
    EditWindow w;
    ASSERT_TRUE(w.Show());
    TskNumberEdit* n = w.edit;
    QLineEdit* e = n->Editor();
    n->SetValue(0);
    EXPECT_EQ(e->text(), "0.00");
    w.Enter();
    // The last two characters (the decimals) are selected on entry.
    EXPECT_EQ(e->selectedText(), "00");
    e->selectAll();
    QTest::keyClicks(e, "12.5.7-x");
    EXPECT_EQ(e->text(), "12.57"); // the second separator, "-" and the letter were refused
    EXPECT_DOUBLE_EQ(n->Value(), 12.57);
    QTest::keyClick(e, Qt::Key_Backspace);
    EXPECT_EQ(e->text(), "12.5");
    // Control characters are refused too (Ctrl+A would select everything).
    e->setCursorPosition(0);
    QTest::keyClick(e, Qt::Key_A, Qt::ControlModifier);
    EXPECT_FALSE(e->hasSelectedText());
    // Leaving re-formats through the mask.
    w.Leave();
    EXPECT_EQ(e->text(), "12.50");
    // An empty text or a lone "-" becomes the mask's zero.
    w.Enter();
    e->selectAll();
    QTest::keyClick(e, Qt::Key_Backspace);
    w.Leave();
    EXPECT_EQ(e->text(), "0.00");
    EXPECT_DOUBLE_EQ(n->Value(), 0);

    // The splitter's minute field: three digits selected on entry, "7" shown as "007".
    n->SetMask("000");
    n->SetAutoSelectSigns(3);
    n->SetValue(42);
    w.Enter();
    EXPECT_EQ(e->selectedText(), "042");
    QTest::keyClicks(e, "7.");
    EXPECT_EQ(e->text(), "7"); // no "." in the mask: no separator
    w.Leave();
    EXPECT_EQ(e->text(), "007");
    EXPECT_DOUBLE_EQ(n->Value(), 7);

    // "-" only with a mask that has one, only at the very start, and only once.
    n->SetMask("0;-0");
    n->SetValue(5);
    w.Enter();
    e->setCursorPosition(1);
    QTest::keyClick(e, '-');
    EXPECT_EQ(e->text(), "5");
    e->setCursorPosition(0);
    QTest::keyClicks(e, "--");
    EXPECT_EQ(e->text(), "-5");
    EXPECT_DOUBLE_EQ(n->Value(), -5);
    w.Leave();
    EXPECT_EQ(e->text(), "-5");
    n->SetValue(-1234);
    EXPECT_EQ(e->text(), "-1234");
}

TEST(NumberEdit, TheDecimalSeparatorAndGroupingComeFromTheLocale) {
    const QLocale saved;
    QLocale::setDefault(QLocale(QLocale::German, QLocale::Germany));
    {
        EditWindow w;
        ASSERT_TRUE(w.Show());
        TskNumberEdit* n = w.edit;
        QLineEdit* e = n->Editor();
        n->SetMask("#,##0.00");
        n->SetValue(1234567.5);
        EXPECT_EQ(e->text(), "1.234.567,50");
        EXPECT_DOUBLE_EQ(n->Value(), 1234567.5); // the grouping is taken out before converting
        w.Enter();
        e->selectAll();
        QTest::keyClicks(e, "3.5,25,1");
        EXPECT_EQ(e->text(), "35,251"); // "." is no separator here; the second "," is refused
        w.Leave();
        EXPECT_EQ(e->text(), "35,25");
    }
    QLocale::setDefault(saved);
    EXPECT_EQ(FormatFloat("#,##0.00", 1234567.5), "1,234,567.50");
    EXPECT_EQ(FormatFloat("#.##", 0.5), ".5");
    EXPECT_EQ(FormatFloat("0.0#", 2), "2.0");
    EXPECT_EQ(FormatFloat("0;(0);'zero'", -3), "(3)");
    EXPECT_EQ(FormatFloat("0;(0);'zero'", 0.2), "zero");
    EXPECT_EQ(FormatFloat("0.00", -0.001), "0.00"); // no "-0.00"
}

TEST(NumberEdit, PastingTextThatIsNoNumberRestoresTheTextAndReportsTheError) {
    TScriptedMessages script;
    EditWindow w;
    TskNumberEdit* n = w.edit;
    QLineEdit* e = n->Editor();
    n->SetValue(3.25);
    QSignalSpy changes(n, &TskEdit::OnChange);
    e->selectAll();
    e->insert("abc"); // what a paste does
    EXPECT_EQ(e->text(), "3.25");
    EXPECT_DOUBLE_EQ(n->Value(), 3.25);
    QCoreApplication::processEvents();
    EXPECT_EQ(script.All(), QStringList{"'abc' is not a valid floating point value"});
    // The paste itself fired no OnChange; restoring the text did.
    EXPECT_EQ(changes.count(), 1);

    // An edit gone before its error comes round reports nothing (to a later window or test).
    script.Clear();
    {
        EditWindow gone;
        gone.edit->Editor()->selectAll();
        gone.edit->Editor()->insert("xyz");
    }
    QCoreApplication::processEvents();
    EXPECT_TRUE(script.Log.isEmpty()) << script.Last().toStdString();
}

TEST(Edit, TheThemeBorderIsDrawnOverTheNativeEdit) {
    QTemporaryDir dir;
    QWidget window;
    TskFileTheme* theme = MakeTheme(&window, dir, "edit.skn");
    auto* edit = new TskEdit(&window);
    edit->SetFileTheme(theme);
    edit->SetUIStyle(FromThemeFile);
    edit->SetColor(0x00FFEE);
    edit->SetText("Some text");
    const QImage image = edit->grab().toImage();
    const TColor border = ThemeColors().controlBorder();
    for (const QPoint p : {QPoint(0, 0), QPoint(edit->width() - 1, 5), QPoint(7, edit->height() - 1)})
        EXPECT_EQ(At(image, p.x(), p.y()), border) << p.x() << "," << p.y();
    EXPECT_EQ(At(image, 1, 1), 0x00FFEEu);
    EXPECT_EQ(At(image, edit->width() - 2, 3), 0x00FFEEu);
    // The theme going away leaves DeepBlue's border.
    delete theme;
    EXPECT_EQ(edit->UIStyle(), DeepBlue);
    EXPECT_EQ(At(edit->grab().toImage(), 0, 0), GetBuiltInColor(DeepBlue, SkinElement::ControlBorderColor));
}

// ---------------------------------------------------------------------------------------------

TEST(ComboBox, ButtonFaceArrowAndBorderFollowTheStoredStyle) {
    QTemporaryDir dir;
    QWidget window;
    window.resize(300, 100);
    TskFileTheme* theme = MakeTheme(&window, dir, "combo.skn");
    auto* combo = new TskComboBox(&window);
    combo->SetItems({"One", "Two"});
    combo->SetItemIndex(0);
    const QRect b = combo->ButtonRect();
    ASSERT_FALSE(b.isEmpty());
    const int ax = b.left() + b.width() / 2 - 3, ay = b.height() / 2;

    // A theme file always gets the flat face in the theme's form colour, whatever it stands for.
    combo->SetFileTheme(theme);
    combo->SetArrowColor(0x0000FF);
    combo->SetUIStyle(FromThemeFile);
    EXPECT_EQ(combo->ArrowColor(), 0u); // reset by the style change
    QImage image = combo->grab().toImage();
    EXPECT_EQ(At(image, 0, 0), ThemeColors().controlBorder());
    EXPECT_EQ(At(image, b.left(), b.top() + 1), ThemeColors().controlBorder()); // the line left of it
    EXPECT_EQ(At(image, b.right() - 1, b.top() + 1), 0xF0DCD3u);
    EXPECT_EQ(At(image, ax + 3, ay + 3), 0u); // the arrow's tip
    EXPECT_EQ(At(image, ax + 3, ay + 4), 0xF0DCD3u);

    // Disabled: etched in white and grey.
    combo->setEnabled(false);
    image = combo->grab().toImage();
    EXPECT_EQ(At(image, ax, ay), 0x808080u);
    EXPECT_EQ(At(image, ax + 7, ay + 1), 0xFFFFFFu);
    combo->setEnabled(true);

    // WinXP: the stretched style bitmap, which carries its own arrow; MacOS: the bitmap and the
    // drawn arrow on it.
    QImage xp;
    ASSERT_TRUE(LoadBitmapResource("WINXP_COMBOBOX_BUTTON", xp));
    combo->SetUIStyle(WinXP);
    image = combo->grab().toImage();
    const QImage stretched = StretchNearest(xp, TRect(0, 0, xp.width(), xp.height()), b.width(), b.height());
    for (int y = 0; y < b.height(); y += 3)
        for (int x = 0; x < b.width(); x += 2)
            ASSERT_EQ(At(image, b.left() + x, b.top() + y), At(stretched, x, y)) << x << "," << y;
    combo->SetUIStyle(MacOS);
    image = combo->grab().toImage();
    EXPECT_EQ(At(image, ax + 3, ay + 3), 0u);
    EXPECT_EQ(At(image, b.left() + 1, b.bottom() - 1), [&] {
        QImage mac;
        LoadBitmapResource("MACOS_COMBOBOX_BUTTON", mac);
        return At(StretchNearest(mac, TRect(0, 0, mac.width(), mac.height()), b.width(), b.height()), 1,
                  b.height() - 2);
    }());
}

TEST(ComboBox, TheOpenListIsFramedInTheBorderColourAndTheFrameGoesWithIt) {
    QWidget window;
    window.resize(300, 200);
    auto* combo = new TskComboBox(&window);
    combo->move(10, 10);
    combo->SetStyle(TskCustomComboBox::csDropDownList);
    combo->SetItems({"Line in", "Microphone", "CD audio", "Stereo mix"});
    combo->SetBorderColor(0x3366CC);
    ASSERT_TRUE(ShowActive(&window));
    QSignalSpy dropped(combo, &TskCustomComboBox::OnDropDown);
    EXPECT_EQ(combo->ListWindow(), nullptr);
    combo->DropDown();
    EXPECT_EQ(dropped.count(), 1);
    QWidget* list = combo->ListWindow();
    ASSERT_NE(list, nullptr);
    QCoreApplication::processEvents();
    const QImage frame = list->grab().toImage();
    for (int x = 0; x < frame.width(); ++x) {
        ASSERT_EQ(At(frame, x, 0), 0x3366CCu) << x;
        ASSERT_EQ(At(frame, x, frame.height() - 1), 0x3366CCu) << x;
    }
    for (int y = 0; y < frame.height(); ++y) {
        ASSERT_EQ(At(frame, 0, y), 0x3366CCu) << y;
        ASSERT_EQ(At(frame, frame.width() - 1, y), 0x3366CCu) << y;
    }
    // A choice from the list: OnClick, then OnSelect when handled, otherwise OnChange.
    QStringList events;
    QObject::connect(combo, &TskControl::OnClick, [&] { events << "click"; });
    QObject::connect(combo, &TskCustomComboBox::OnChange, [&] { events << "change"; });
    combo->CloseUp();
    EXPECT_EQ(combo->ListWindow(), nullptr);
    Q_EMIT combo->Combo()->activated(2);
    EXPECT_EQ(events, QStringList({"click", "change"}));
    QObject::connect(combo, &TskCustomComboBox::OnSelect, [&] { events << "select"; });
    Q_EMIT combo->Combo()->activated(1);
    EXPECT_EQ(events, QStringList({"click", "change", "click", "select"}));
}

// Through Qt's own dispatch, as a user's mouse and keyboard reach a shown window: a click gives each
// kind of box the focus and its typing, Tab goes through the controls in their order, and an open
// list lies under its box.
TEST(EditsAndComboBoxes, ClicksFocusThemAndKeysTypeIntoThemTabGoesThroughThemInOrder) {
    QWidget window;
    window.resize(320, 260);
    auto* edit = new TskEdit(&window);
    edit->setGeometry(10, 10, 120, 21);
    auto* number = new TskNumberEdit(&window);
    number->setGeometry(10, 40, 120, 21);
    number->SetMask("0000");
    number->SetAutoSelectSigns(0);
    auto* memo = new TskMemo(&window);
    memo->setGeometry(10, 70, 200, 80);
    auto* combo = new TskComboBox(&window);
    combo->setGeometry(10, 160, 140, 21);
    combo->SetStyle(TskCustomComboBox::csDropDown);
    combo->SetItems({"Line in", "Microphone"});
    ASSERT_TRUE(ShowActive(&window));
    QWindow* handle = window.windowHandle();
    auto clickAndType = [&](QWidget* box, const QPoint& at, const QString& keys) {
        QTest::mouseClick(handle, Qt::LeftButton, {}, box->mapTo(&window, at));
        for (const QChar c : keys)
            QTest::keyClick(handle, c.toLatin1());
    };

    clickAndType(edit, {60, 10}, "prefix");
    EXPECT_EQ(edit->Text(), "prefix");
    QTest::keyClick(handle, Qt::Key_Backspace);
    EXPECT_EQ(edit->Text(), "prefi");
    EXPECT_TRUE(edit->Editor()->hasFocus()) << "the caret shows where the focus is";
    number->SetText(QString());
    clickAndType(number, {60, 10}, "8x880");
    EXPECT_EQ(number->Text(), "8880");
    clickAndType(memo, {50, 20}, "Hi there");
    EXPECT_EQ(memo->Text(), "Hi there");
    combo->SetText(QString());
    clickAndType(combo, {30, 10}, "Stereo");
    EXPECT_EQ(combo->Text(), "Stereo");

    // Tab from the first box visits every box in the order they were made.
    QTest::mouseClick(handle, Qt::LeftButton, {}, edit->mapTo(&window, QPoint(60, 10)));
    QStringList visited;
    for (int i = 0; i < 4; ++i) {
        QWidget* focus = QApplication::focusWidget();
        for (QWidget* box : {static_cast<QWidget*>(edit), static_cast<QWidget*>(number),
                             static_cast<QWidget*>(memo), static_cast<QWidget*>(combo)})
            if (focus && (focus == box || box->isAncestorOf(focus)))
                visited << box->metaObject()->className();
        QTest::keyClick(handle, Qt::Key_Tab);
    }
    EXPECT_EQ(visited, QStringList({"TskEdit", "TskNumberEdit", "TskMemo", "TskComboBox"}));

    // The open list starts right under its box, as wide as the box at least.
    combo->DropDown();
    QWidget* list = combo->ListWindow();
    ASSERT_NE(list, nullptr);
    ASSERT_TRUE(QTest::qWaitFor([&] { return list->isVisible(); }, 5000));
    EXPECT_EQ(list->geometry().topLeft(), combo->mapToGlobal(QPoint(0, combo->height())))
        << list->geometry().y() << " " << combo->mapToGlobal(QPoint(0, 0)).y() << " " << combo->height()
        << " " << combo->Combo()->mapToGlobal(QPoint(0, 0)).y() << " " << combo->Combo()->height();
    EXPECT_GE(list->width(), combo->width());
    combo->CloseUp();
}

// ---------------------------------------------------------------------------------------------

namespace {
class UrlCatcher : public QObject {
    Q_OBJECT
public:
    QStringList opened;
public Q_SLOTS:
    void open(const QUrl& url) { opened << url.toString(); }
};
} // namespace

TEST(URLLabel, ABlankAddressOnlyFiresOnClickAndTheHoverColoursAlternate) {
    UrlCatcher catcher;
    QDesktopServices::setUrlHandler("https", &catcher, "open");
    QWidget window;
    auto* label = new TskURLLabel(&window);
    EXPECT_EQ(label->URL(), "");
    EXPECT_TRUE(label->font().underline());
    EXPECT_EQ(label->cursor().shape(), Qt::PointingHandCursor);
    QStringList events;
    QObject::connect(label, &TskControl::OnClick,
                     [&] { events << "click:" + QString::number(catcher.opened.size()); });
    for (const char* blank : {"", "   "}) {
        label->SetURL(blank);
        Press(label, {2, 2});
        Release(label, {2, 2});
    }
    EXPECT_EQ(events, QStringList({"click:0", "click:0"}));
    EXPECT_TRUE(catcher.opened.isEmpty());
    // A real address goes to the shell (without the blanks round it), before OnClick.
    label->SetURL(" https://example.invalid/page");
    Press(label, {2, 2});
    Release(label, {2, 2});
    EXPECT_EQ(catcher.opened, QStringList({"https://example.invalid/page"}));
    EXPECT_EQ(events.last(), "click:1");
    QDesktopServices::unsetUrlHandler("https");

    // The form's own font colour stays until the mouse first comes.
    SetFontColor(label, 0x123456);
    label->SetFontHoverColor(0x0000FF);
    EXPECT_EQ(FontColor(label), 0x123456u);
    SendEnter(label);
    EXPECT_EQ(FontColor(label), 0x0000FFu);
    label->SetFontLinkColor(0x00AA00); // at once, even under the mouse
    EXPECT_EQ(FontColor(label), 0x00AA00u);
    SendLeave(label);
    EXPECT_EQ(FontColor(label), 0x00AA00u);
    SendEnter(label);
    EXPECT_EQ(FontColor(label), 0x0000FFu);
}

#include "EditComboTest.moc"
