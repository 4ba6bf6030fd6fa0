// Push buttons, image buttons, check boxes and radio buttons: state pictures, clicks, repeat while
// held, dialog keys, modal results, auto size, glyphs and the check rules.
#include "SkinControlsSupport.h"

#include "platform/Form.h"
#include "platform/ModalDialogs.h"
#include "skin/SKButton.h"

#include <QAction>
#include <QSignalSpy>
#include <QTest>
#include <QTimer>
#include <QWindow>
#include <gtest/gtest.h>

using namespace SkinControlsTest;

namespace {

class ButtonTest : public ::testing::Test {
protected:
    void SetUp() override {
        form = std::make_unique<QWidget>();
        form->resize(300, 200);
        theme = MakeTheme(form.get(), dir, "buttons.skn");
        ASSERT_TRUE(theme->CanUse());
    }
    QTemporaryDir dir;
    std::unique_ptr<QWidget> form;
    TskFileTheme* theme = nullptr;
    ThemeColors colors;
};

TskButton* ThemedButton(QWidget* parent, TskFileTheme* theme) {
    auto* b = new TskButton(parent);
    b->SetFileTheme(theme);
    b->SetUIStyle(FromThemeFile);
    return b;
}

} // namespace

TEST_F(ButtonTest, StartValues) {
    TskButton b(form.get());
    EXPECT_EQ(b.width(), 80);
    EXPECT_EQ(b.height(), 27);
    EXPECT_EQ(b.Spacing(), 4);
    EXPECT_EQ(b.UIStyle(), DeepBlue);
    EXPECT_EQ(b.MouseContinuouslyDownInterval(), 100);
    EXPECT_EQ(b.FocusedRectMargin(), 2);
    EXPECT_TRUE(b.TabStop());
    EXPECT_FALSE(b.AutoSize());
    EXPECT_EQ(b.ModalResult(), 0);
    EXPECT_EQ(b.ResHandle(), 0);
    b.SetResHandle(5);
    EXPECT_EQ(b.ResHandle(), 0);
    TskImageButton ib(form.get());
    ib.SetUIStyle(WinXP);
    EXPECT_EQ(ib.UIStyle(), FromThemeFile);
    EXPECT_EQ(ib.property("UIStyle").value<TskUIStyle>(), FromThemeFile);
}

TEST_F(ButtonTest, StatePicturesOnEnterPressAndLeave) {
    TskButton* b = ThemedButton(form.get(), theme);
    b->resize(60, 24);
    const QPoint centre(30, 12);
    EXPECT_EQ(At(b->Render(), centre.x(), centre.y()), colors.button(1));
    SendEnter(b);
    EXPECT_EQ(At(b->Render(), centre.x(), centre.y()), colors.button(2));
    Press(b, centre);
    EXPECT_EQ(At(b->Render(), centre.x(), centre.y()), colors.button(3));
    SendLeave(b);
    EXPECT_FALSE(b->IsMouseDown());
    EXPECT_EQ(At(b->Render(), centre.x(), centre.y()), colors.button(1));
    b->SetEnabled(false);
    EXPECT_EQ(At(b->Render(), centre.x(), centre.y()), colors.button(1)); // disabled: piece 1
}

TEST_F(ButtonTest, RepeatWhileHeldThenOneClick) {
    TskImageButton* b = new TskImageButton(form.get());
    b->resize(20, 20);
    b->SetMouseContinuouslyDownInterval(20);
    QSignalSpy repeats(b, &TskCustomButton::OnMouseContinuouslyDown);
    QSignalSpy clicks(b, &TskCustomButton::OnClick);
    Press(b, {5, 5});
    EXPECT_EQ(repeats.count(), 0); // not before the first interval
    // Timers may run late on a loaded machine: wait for the repeats rather than for a time.
    EXPECT_TRUE(QTest::qWaitFor([&] { return repeats.count() >= 3; }, 5000));
    Release(b, {5, 5});
    EXPECT_EQ(clicks.count(), 1);
    const int afterRelease = static_cast<int>(repeats.count());
    QTest::qWait(60);
    EXPECT_EQ(repeats.count(), afterRelease);

    // The mouse leaving ends the repeat without a click.
    Press(b, {5, 5});
    SendLeave(b);
    EXPECT_FALSE(b->IsRepeating());
    QTest::qWait(60);
    EXPECT_EQ(clicks.count(), 1);

    // Disabling the button (here by a repeat handler, as at the end of a scroll range) ends the
    // press: no more repeats, and no click from a later release.
    QObject::connect(b, &TskCustomButton::OnMouseContinuouslyDown, b, [b] { b->SetEnabled(false); });
    const int beforeDisable = static_cast<int>(repeats.count());
    Press(b, {5, 5});
    EXPECT_TRUE(QTest::qWaitFor([&] { return repeats.count() > beforeDisable; }, 5000));
    QTest::qWait(60);
    EXPECT_EQ(repeats.count(), beforeDisable + 1);
    EXPECT_FALSE(b->IsRepeating());
    EXPECT_FALSE(b->IsMouseDown());
    QObject::disconnect(b, &TskCustomButton::OnMouseContinuouslyDown, b, nullptr);
    b->SetEnabled(true);
    Release(b, {5, 5});
    EXPECT_EQ(clicks.count(), 1);

    // An interval of 0 or less never repeats.
    b->SetMouseContinuouslyDownInterval(0);
    const int before = static_cast<int>(repeats.count());
    Press(b, {5, 5});
    QTest::qWait(50);
    Release(b, {5, 5});
    EXPECT_EQ(repeats.count(), before);
    EXPECT_EQ(clicks.count(), 2);
}

// Through Qt's own dispatch: while the button is held Qt keeps the mouse on the button and tells of
// the leave only after the release, yet the repeat ends as the pointer slides off.
TEST_F(ButtonTest, SlidingOffAHeldButtonEndsTheRepeatAtOnce) {
    TskImageButton* b = new TskImageButton(form.get());
    b->setGeometry(20, 20, 20, 20);
    b->SetMouseContinuouslyDownInterval(20);
    ASSERT_TRUE(ShowActive(form.get()));
    QWindow* window = form->windowHandle();
    QSignalSpy repeats(b, &TskCustomButton::OnMouseContinuouslyDown);
    QSignalSpy clicks(b, &TskCustomButton::OnClick);
    QTest::mouseMove(window, QPoint(30, 30));
    QTest::mousePress(window, Qt::LeftButton, {}, QPoint(30, 30));
    ASSERT_TRUE(QTest::qWaitFor([&] { return repeats.count() >= 2; }, 5000));
    QTest::mouseMove(window, QPoint(35, 35)); // still on the button: it goes on
    EXPECT_TRUE(b->IsRepeating());
    QTest::mouseMove(window, QPoint(120, 35));
    EXPECT_FALSE(b->IsRepeating());
    const int offAt = static_cast<int>(repeats.count());
    QTest::qWait(100);
    EXPECT_EQ(repeats.count(), offAt);
    QTest::mouseRelease(window, Qt::LeftButton, {}, QPoint(120, 35));
    EXPECT_EQ(clicks.count(), 0);
}

TEST_F(ButtonTest, DraggingOutRestoresTheLookAndReleasingOutsideDoesNotClick) {
    TskButton* b = ThemedButton(form.get(), theme);
    b->resize(60, 24);
    QSignalSpy clicks(b, &TskCustomButton::OnClick);
    SendEnter(b);
    Press(b, {10, 10});
    EXPECT_TRUE(b->IsMouseDown());
    MoveHeld(b, {70, 10});
    EXPECT_FALSE(b->IsMouseDown());
    EXPECT_EQ(At(b->Render(), 30, 12), colors.button(1));
    Release(b, {70, 10});
    EXPECT_EQ(clicks.count(), 0);
    // Two fast clicks are two clicks, never a double click.
    Press(b, {10, 10});
    Release(b, {10, 10});
    SendMouse(b, QEvent::MouseButtonDblClick, {10, 10});
    Release(b, {10, 10});
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ButtonTest, SpaceOrEnterDownShowsPressedAndUpClicks) {
    TskButton* b = ThemedButton(form.get(), theme);
    b->resize(60, 24);
    b->show();
    ShowActive(form.get());
    b->setFocus();
    QSignalSpy clicks(b, &TskCustomButton::OnClick);
    QKeyEvent down(QEvent::KeyPress, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(b, &down);
    EXPECT_TRUE(b->IsMouseDown());
    EXPECT_EQ(clicks.count(), 0);
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(b, &up);
    EXPECT_FALSE(b->IsMouseDown());
    EXPECT_EQ(clicks.count(), 1);
    QKeyEvent enterDown(QEvent::KeyPress, Qt::Key_Return, Qt::NoModifier);
    QKeyEvent enterUp(QEvent::KeyRelease, Qt::Key_Return, Qt::NoModifier);
    QApplication::sendEvent(b, &enterDown);
    QApplication::sendEvent(b, &enterUp);
    EXPECT_EQ(clicks.count(), 2);
}

TEST_F(ButtonTest, EnterClicksTheDefaultAndEscapeTheCancelButton) {
    QDialog dialog;
    dialog.resize(200, 100);
    auto* ok = new TskButton(&dialog);
    auto* cancel = new TskButton(&dialog);
    auto* other = new TskCheckBox(&dialog);
    other->move(0, 50);
    ok->SetDefault(true);
    cancel->SetCancel(true);
    cancel->move(90, 0);
    QSignalSpy okClicks(ok, &TskCustomButton::OnClick);
    QSignalSpy cancelClicks(cancel, &TskCustomButton::OnClick);
    dialog.show();
    dialog.activateWindow();
    ASSERT_TRUE(QTest::qWaitForWindowActive(&dialog));
    other->setFocus();
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(okClicks.count(), 1);
    QTest::keyClick(other, Qt::Key_Enter);
    EXPECT_EQ(okClicks.count(), 2);
    QTest::keyClick(other, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_EQ(okClicks.count(), 2);
    QTest::keyClick(other, Qt::Key_Escape);
    EXPECT_EQ(cancelClicks.count(), 1);
    QTest::keyClick(other, Qt::Key_Escape, Qt::ShiftModifier);
    EXPECT_EQ(cancelClicks.count(), 1);
    // An accelerator letter clicks its button.
    ok->SetCaption("&Ok");
    QTest::keyClick(other, Qt::Key_O, Qt::AltModifier);
    EXPECT_EQ(okClicks.count(), 3);
    // A disabled default button is not clicked.
    ok->SetEnabled(false);
    QTest::keyClick(other, Qt::Key_Return);
    EXPECT_EQ(okClicks.count(), 3);
}

TEST_F(ButtonTest, ModalResults) {
    TForm dialog;
    auto* ok = new TskButton(&dialog);
    auto* stay = new TskButton(&dialog);
    ok->SetModalResult(mrOk);
    stay->SetModalResult(mrNone);
    bool stillOpenAfterZero = false;
    QTimer::singleShot(0, &dialog, [&] {
        stay->Click();
        stillOpenAfterZero = dialog.isVisible() && dialog.modalResult() == 0;
        ok->Click();
    });
    EXPECT_EQ(dialog.ShowModal(), mrOk);
    EXPECT_TRUE(stillOpenAfterZero);
    // A button that no form holds sets nothing.
    TskButton loose;
    loose.SetModalResult(mrYes);
    QSignalSpy clicks(&loose, &TskCustomButton::OnClick);
    loose.Click();
    EXPECT_EQ(clicks.count(), 1);
}

TEST_F(ButtonTest, AutoSizeFollowsTheBuiltInButtonPictureOnly) {
    TskButton* b = ThemedButton(form.get(), theme);
    b->SetAutoSize(true);
    EXPECT_EQ(b->size(), QSize(24, 21)); // FromThemeFile: no built-in picture
    b->SetUIStyle(DeepBlue);
    b->SetAutoSize(true);
    QImage deepBlue;
    LoadBitmapResource("DEEPBLUE_BUTTON", deepBlue);
    const QSize expected = deepBlue.isNull() ? QSize(24, 21) : QSize(deepBlue.width() / 3, deepBlue.height());
    EXPECT_EQ(b->size(), expected);
    // An image button sizes itself to its normal picture.
    auto* ib = new TskImageButton(form.get());
    ib->SetAutoSize(true);
    ib->SetPicNormal(Strip(33, 17, {0x112233}));
    EXPECT_EQ(ib->size(), QSize(33, 17));
}

TEST_F(ButtonTest, TwoImageGlyphShowsItsRightHalfWhenDisabled) {
    TskButton* b = ThemedButton(form.get(), theme);
    b->resize(80, 30);
    QImage glyph = Strip(16, 16, {0x0000FF, 0x00FF00});
    glyph.setPixel(0, 0, qRgb(1, 2, 3)); // the mask colour (top-left pixel)
    glyph.setPixel(16, 0, qRgb(1, 2, 3));
    b->SetGlyph(glyph);
    // No caption: glyph left of an empty text: gx = (80 - 0 - 16 - 4) / 2 = 30, gy = (30 - 16) / 2 = 7.
    EXPECT_EQ(At(b->Render(), 30 + 8, 7 + 8), 0x0000FFu);
    EXPECT_EQ(At(b->Render(), 30, 7), colors.button(1)); // masked corner shows the face
    b->SetEnabled(false);
    EXPECT_EQ(At(b->Render(), 30 + 8, 7 + 8), 0x00FF00u);
    // Pressed, the glyph moves by one pixel.
    b->SetEnabled(true);
    Press(b, {5, 5});
    const QImage pressed = b->Render();
    EXPECT_EQ(At(pressed, 31, 8), colors.button(3));
    EXPECT_EQ(At(pressed, 32, 8), 0x0000FFu);
}

TEST_F(ButtonTest, FocusLookByStyle) {
    ShowActive(form.get());
    TskButton* b = ThemedButton(form.get(), theme);
    b->resize(60, 24);
    b->show();
    b->SetUIStyle(WinXP);
    b->SetFileTheme(theme);
    b->SetUIStyle(FromThemeFile);
    const QImage unfocused = b->Render();
    b->setFocus();
    ASSERT_TRUE(b->hasFocus());
    const QImage focused = b->Render();
    // The dotted frame inset by FocusedRectMargin: its first pixel is inverted.
    EXPECT_NE(At(focused, 2, 2), At(unfocused, 2, 2));
    EXPECT_EQ(At(focused, 3, 2), At(unfocused, 3, 2));
    b->SetUIStyle(MacOS);
    const QImage macUnfocusedLike = b->Render();
    // MacOS shows focus by a bold caption instead: no inverted frame pixel.
    b->clearFocus();
    EXPECT_EQ(At(macUnfocusedLike, 2, 2), At(b->Render(), 2, 2));
}

TEST_F(ButtonTest, ImageButtonPictures) {
    auto* b = new TskImageButton(form.get());
    b->resize(20, 20);
    b->SetPicNormal(Strip(20, 20, {0x111111}));
    SendEnter(b);
    EXPECT_EQ(At(b->Render(), 10, 10), 0x111111u); // no mouse-on picture: the normal one
    b->SetPicMouseOn(Strip(20, 20, {0x222222}));
    EXPECT_EQ(At(b->Render(), 10, 10), 0x222222u);
    b->SetEnabled(false);
    EXPECT_EQ(At(b->Render(), 10, 10), 0x111111u); // disabled without its picture: the normal one, not greyed
    b->SetPicDisabled(Strip(20, 20, {0x333333}));
    EXPECT_EQ(At(b->Render(), 10, 10), 0x333333u);
    // Without any picture: only background (and caption).
    auto* empty = new TskImageButton(form.get());
    empty->resize(20, 20);
    empty->SetColor(0x445566);
    EXPECT_EQ(At(empty->Render(), 10, 10), 0x445566u);
}

TEST_F(ButtonTest, DisabledCaptionIsGreyWithAWhiteCopy) {
    TskButton* b = ThemedButton(form.get(), theme);
    b->resize(80, 30);
    QFont f = b->font();
    f.setPixelSize(16);
    f.setBold(true);
    b->setFont(f);
    b->SetCaption("WWW");
    b->SetEnabled(false);
    const QImage image = b->Render();
    EXPECT_TRUE(Contains(image, image.rect(), 0x808080));
    EXPECT_TRUE(Contains(image, image.rect(), 0xFFFFFF));
    b->SetEnabled(true);
    const QImage enabled = b->Render();
    EXPECT_FALSE(Contains(enabled, enabled.rect(), 0x808080));
}

// ---------------------------------------------------------------------------------------------

class CheckBoxTest : public ButtonTest {};

TEST_F(CheckBoxTest, CheckedFiresOnClickOnlyOnChangeAlsoFromCode) {
    auto* box = new TskCheckBox(form.get());
    QSignalSpy clicks(box, &TskCheckBox::OnClick);
    box->SetChecked(false);
    EXPECT_EQ(clicks.count(), 0);
    box->SetChecked(true);
    EXPECT_EQ(clicks.count(), 1);
    box->setProperty("Checked", true);
    EXPECT_EQ(clicks.count(), 1);
    box->SetState(TskCheckBox::cbGrayed);
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(box->State(), TskCheckBox::cbUnchecked);
    EXPECT_EQ(clicks.count(), 2);
    box->SetState(TskCheckBox::cbChecked);
    EXPECT_TRUE(box->Checked());
    // A click toggles.
    Press(box, {3, 3});
    Release(box, {3, 3});
    EXPECT_FALSE(box->Checked());
    EXPECT_EQ(clicks.count(), 4);
}

TEST_F(CheckBoxTest, RadioGroups) {
    auto* a = new TskRadioButton(form.get());
    auto* b = new TskRadioButton(form.get());
    auto* otherGroup = new TskRadioButton(form.get());
    otherGroup->SetGroupIndex(1);
    QWidget otherParent(form.get());
    auto* elsewhere = new TskRadioButton(&otherParent);
    otherGroup->SetChecked(true);
    elsewhere->SetChecked(true);
    QSignalSpy aClicks(a, &TskCheckBox::OnClick);
    QSignalSpy bClicks(b, &TskCheckBox::OnClick);
    a->SetChecked(true);
    EXPECT_EQ(aClicks.count(), 1);
    b->SetChecked(true);
    EXPECT_FALSE(a->Checked());
    EXPECT_EQ(aClicks.count(), 1); // the unchecked one fires nothing
    EXPECT_EQ(bClicks.count(), 1);
    EXPECT_TRUE(otherGroup->Checked());
    EXPECT_TRUE(elsewhere->Checked());
    // Unchecking from code checks nothing else.
    b->SetChecked(false);
    EXPECT_FALSE(a->Checked());
    EXPECT_FALSE(b->Checked());
    // Clicking a checked radio button changes nothing and fires nothing.
    a->Click();
    a->Click();
    EXPECT_TRUE(a->Checked());
    EXPECT_EQ(aClicks.count(), 2);
}

TEST_F(CheckBoxTest, BoxPiecesByStateAndEnabled) {
    auto* box = new TskCheckBox(form.get());
    box->SetFileTheme(theme);
    box->SetUIStyle(FromThemeFile);
    box->SetCaption("Box");
    auto boxPixel = [&] {
        const QImage image = box->Render();
        return At(image, 1 + 6, (box->height() - 13) / 2 + 6);
    };
    EXPECT_EQ(boxPixel(), colors.box(2));
    box->SetChecked(true);
    EXPECT_EQ(boxPixel(), colors.box(1));
    box->SetEnabled(false);
    EXPECT_EQ(boxPixel(), colors.box(3));
    box->SetChecked(false);
    EXPECT_EQ(boxPixel(), colors.box(4));
    // The caption keeps its font colour while disabled.
    SetFontColor(box, 0x0000A0);
    QFont f = box->font();
    f.setPixelSize(14);
    f.setBold(true);
    box->setFont(f);
    const QImage image = box->Render();
    EXPECT_EQ(Darkest(image, QRect(17, 0, box->width() - 17, box->height())), 0x0000A0u);
    // A radio button takes its pieces from the radio picture.
    auto* radio = new TskRadioButton(form.get());
    radio->SetFileTheme(theme);
    radio->SetUIStyle(FromThemeFile);
    radio->SetChecked(true);
    const QImage r = radio->Render();
    EXPECT_EQ(At(r, 7, (radio->height() - 13) / 2 + 6), colors.radio(1));
}

TEST_F(CheckBoxTest, AutoSizeRule) {
    auto* box = new TskCheckBox(form.get());
    QFont f = box->font();
    f.setPixelSize(11);
    box->setFont(f);
    box->SetFileTheme(theme);
    box->SetUIStyle(FromThemeFile);
    box->SetCaption("Caption");
    box->Render();
    const QFontMetrics fm(f);
    EXPECT_EQ(box->height(), std::max(fm.height() + 2, 13) + 4);
    EXPECT_EQ(box->width(), 13 + fm.horizontalAdvance("Caption") + 8);
    box->SetAutoSize(false);
    box->resize(200, 40);
    box->Render();
    EXPECT_EQ(box->size(), QSize(200, 40));
}

TEST_F(CheckBoxTest, SpaceReleaseTogglesACheckBoxButNotARadioButton) {
    ShowActive(form.get());
    auto* box = new TskCheckBox(form.get());
    auto* radio = new TskRadioButton(form.get());
    radio->move(0, 30);
    box->show();
    radio->show();
    box->setFocus();
    QKeyEvent up(QEvent::KeyRelease, Qt::Key_Space, Qt::NoModifier, " ");
    QApplication::sendEvent(box, &up);
    EXPECT_TRUE(box->Checked());
    radio->setFocus();
    QApplication::sendEvent(radio, &up);
    EXPECT_FALSE(radio->Checked());
}

TEST_F(CheckBoxTest, FocusRectangleStartsThreePixelsAfterTheBox) {
    ShowActive(form.get());
    auto* box = new TskCheckBox(form.get());
    box->SetFileTheme(theme);
    box->SetUIStyle(FromThemeFile);
    box->SetCaption("Focus");
    box->SetColor(0xFFFFFF);
    box->show();
    const QImage before = box->Render();
    box->setFocus();
    ASSERT_TRUE(box->hasFocus());
    const QImage after = box->Render();
    const int textLeft = 13 + 4;
    const int textTop = (box->height() - QFontMetrics(box->font()).height()) / 2;
    EXPECT_EQ(At(before, textLeft - 1, textTop), 0xFFFFFFu);
    EXPECT_EQ(At(after, textLeft - 1, textTop), 0x000000u);
    EXPECT_EQ(At(after, textLeft - 2, textTop), 0xFFFFFFu);
}

TEST_F(ButtonTest, MacOSFocusIsABoldCaption) {
    ASSERT_TRUE(ShowActive(form.get()));
    TskButton* b = ThemedButton(form.get(), theme);
    b->setGeometry(0, 0, 80, 27);
    b->show();
    b->SetCaption("Focus");
    b->SetUIStyle(MacOS);
    b->SetFileTheme(theme); // MacOS stays: the theme file is not used
    const QImage unfocused = b->Render();
    b->setFocus();
    ASSERT_TRUE(b->hasFocus());
    const QImage focused = b->Render();
    EXPECT_EQ(At(focused, 2, 2), At(unfocused, 2, 2)); // no dotted frame
    EXPECT_NE(focused, unfocused);                     // the caption is drawn bold
    // Without TabStop a button never takes the focus; a check box still does on a click.
    b->clearFocus();
    b->SetTabStop(false);
    Press(b, {5, 5});
    EXPECT_FALSE(b->hasFocus());
    auto* box = new TskCheckBox(form.get());
    box->move(0, 40);
    box->show();
    box->SetTabStop(false);
    Press(box, {3, 3});
    EXPECT_TRUE(box->hasFocus());
}

TEST_F(CheckBoxTest, AcceleratorLetterFocusesAndToggles) {
    ASSERT_TRUE(ShowActive(form.get()));
    auto* box = new TskCheckBox(form.get());
    box->SetCaption("&Mute");
    box->show();
    auto* other = new TskButton(form.get());
    other->move(0, 40);
    other->show();
    other->setFocus();
    QSignalSpy clicks(box, &TskCheckBox::OnClick);
    QTest::keyClick(other, Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(box->Checked());
    EXPECT_TRUE(box->hasFocus());
    EXPECT_EQ(clicks.count(), 1);
    box->SetEnabled(false);
    QTest::keyClick(other, Qt::Key_M, Qt::AltModifier);
    EXPECT_TRUE(box->Checked());
}

TEST_F(ButtonTest, ActionGivesCaptionEnabledStateAndGlyph) {
    auto* b = new TskButton(form.get());
    QAction action("&Record");
    QPixmap icon(16, 16);
    icon.fill(Qt::red);
    action.setIcon(QIcon(icon));
    QSignalSpy triggered(&action, &QAction::triggered);
    b->SetAction(&action);
    EXPECT_EQ(b->Caption(), "&Record");
    EXPECT_FALSE(b->Glyph().isNull());
    action.setEnabled(false);
    EXPECT_FALSE(b->isEnabled());
    action.setEnabled(true);
    action.setText("&Stop");
    EXPECT_EQ(b->Caption(), "&Stop");
    b->Click();
    EXPECT_EQ(triggered.count(), 1);
}
