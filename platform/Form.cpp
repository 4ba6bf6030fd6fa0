#include "platform/Form.h"

#include "platform/ModalDialogs.h"
#include "platform/UiThread.h"
#include "platform/WindowPlace.h"

#include <QApplication>
#include <QKeyEvent>
#include <QScreen>
#include <QWindow>

TForm::TForm(QWidget* owner) : QDialog(owner, Qt::Window) {
    RequireUiThread("A window");
    setModal(false);
}

TForm::~TForm() = default;

void TForm::create() {
    RequireUiThread("TForm::create");
    if (m_created) return;
    m_created = true;
    FormCreate();
}

void TForm::destroyForm() {
    if (m_destroyed) return;
    m_destroyed = true;
    FormDestroy();
}

int TForm::ShowModal() {
    RequireUiThread("TForm::ShowModal");
    m_modalResult = mrNone;
    const int r = exec();
    if (m_modalResult == mrNone) m_modalResult = r == QDialog::Rejected ? mrCancel : r;
    return m_modalResult;
}

void TForm::setModalResult(int result) {
    RequireUiThread("TForm::setModalResult");
    m_modalResult = result;
    if (result != mrNone && isModal() && isVisible()) done(result);
}

void TForm::showEvent(QShowEvent* event) {
    RequireUiThread("TForm::showEvent");
    if (!event->spontaneous()) {
        GiveOwner();
        FormShow();
        // Placed here, before the window is mapped, the place goes to the window manager with the
        // window (as the program's own position), and QDialog's own centring is passed over.
        PlaceByPosition();
        KeepSizeIfFixed();
    }
    QDialog::showEvent(event);
}

void TForm::PlaceByPosition() {
    if (isMaximized() || isFullScreen()) return;
    const QString position = property("Position").toString();
    const QWidget* over = nullptr;
    if (position == QLatin1String("poOwnerFormCenter")) {
        over = parentWidget() ? parentWidget()->window() : nullptr;
    } else if (position == QLatin1String("poMainFormCenter")) {
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* form = qobject_cast<TForm*>(w);
            if (form && form != this && form->isMainForm()) over = form;
        }
    } else if (position != QLatin1String("poScreenCenter") && position != QLatin1String("poDesktopCenter")) {
        return;
    }
    QRect area;
    if (over && over->isVisible() && !over->isMinimized()) {
        area = over->frameGeometry();
    } else {
        const QWidget* owner = parentWidget() ? parentWidget()->window() : nullptr;
        const QScreen* screen = owner && owner->isVisible() ? owner->screen() : this->screen();
        if (!screen) screen = QGuiApplication::primaryScreen();
        if (!screen) return;
        area = screen->availableGeometry();
    }
    QRect placed(QPoint(0, 0), frameGeometry().size());
    placed.moveCenter(area.center());
    move(placed.topLeft());
}

void TForm::KeepSizeIfFixed() {
    // Only a sizeable border lets the user size the window; every other one gives the window
    // manager a minimum and maximum of the window's own size (no resize, no maximise). The skinned
    // frames lift it while they maximise the window themselves.
    const QString border = property("BorderStyle").toString();
    if (border.isEmpty() || border == QLatin1String("bsSizeable") || border == QLatin1String("bsSizeToolWin"))
        return;
    if (isMaximized() || isMinimized() || isFullScreen()) return;
    setFixedSize(size());
}

void TForm::done(int result) {
    RequireUiThread("TForm::done");
    bool canClose = true;
    FormCloseQuery(canClose);
    if (!canClose) return;
    FormClose();
    QDialog::done(result);
    if (m_mainForm) QCoreApplication::quit();
}

void TForm::keyPressEvent(QKeyEvent* event) {
    // Escape closes only forms shown modally; a main window stays open.
    if (event->key() == Qt::Key_Escape && !isModal()) {
        event->ignore();
        return;
    }
    QDialog::keyPressEvent(event);
}

bool TForm::event(QEvent* event) {
    if (event->type() == QEvent::WindowActivate) CorrectWindowPlace(this);
    if (event->type() == QEvent::DynamicPropertyChange &&
        static_cast<QDynamicPropertyChangeEvent*>(event)->propertyName() == "BorderStyle")
        BecomeDialog();
    return QDialog::event(event);
}

bool TForm::IsDialog() const {
    return property("BorderStyle").toString() == QLatin1String("bsDialog");
}

void TForm::BecomeDialog() {
    // A dialog's window is of the dialog kind, the kind the window system lets a window own.
    if (!IsDialog() || windowType() == Qt::Dialog) return;
    const bool shown = isVisible();
    setWindowFlags((windowFlags() & ~Qt::WindowType_Mask) | Qt::Dialog);
    if (shown) show();
}

void TForm::GiveOwner() {
    if (!IsDialog() || m_mainForm) return;
    BecomeDialog();
    QWindow* window = windowHandle();
    if (!window) return;
    // The window it is shown over: the modal window open under it (the options window under a
    // question it asks), else its owner form, else the window the user works in, else the main
    // form.
    auto usable = [this](const QWidget* w) { return w && w != this && w->isWindow() && w->isVisible(); };
    QWidget* owner = QApplication::activeModalWidget();
    if (!usable(owner)) owner = parentWidget() ? parentWidget()->window() : nullptr;
    if (!usable(owner)) owner = QApplication::activeWindow();
    if (!usable(owner)) {
        owner = nullptr;
        for (QWidget* w : QApplication::topLevelWidgets()) {
            auto* form = qobject_cast<TForm*>(w);
            if (form && form != this && form->isMainForm() && form->isVisible()) owner = form;
        }
    }
    if (owner && owner->windowHandle() && owner->windowHandle()->transientParent() == window) owner = nullptr;
    window->setTransientParent(owner ? owner->windowHandle() : nullptr);
}
