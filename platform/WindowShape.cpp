#include "platform/WindowShape.h"

#include <QEvent>
#include <QGuiApplication>
#include <QPaintEvent>
#include <QPainter>
#include <QWidget>

#include <optional>

namespace {

// The topmost child of a window that clears, after the window and its controls have painted, the
// pixels outside the window's shape. It takes no input and no focus.
class ShapeCutter : public QWidget {
public:
    explicit ShapeCutter(QWidget* window) : QWidget(window) {
        setAttribute(Qt::WA_TransparentForMouseEvents);
        setAttribute(Qt::WA_NoSystemBackground);
        setFocusPolicy(Qt::NoFocus);
        setGeometry(window->rect());
        window->installEventFilter(this);
    }

    static ShapeCutter* Of(const QWidget* window) {
        for (QObject* child : window->children())
            if (auto* cutter = dynamic_cast<ShapeCutter*>(child)) return cutter;
        return nullptr;
    }

    // The window's shape; none: the whole window.
    void SetShape(const std::optional<QRegion>& shape) {
        m_shape = shape;
        setVisible(shape.has_value());
        raise();
        update();
    }

protected:
    void paintEvent(QPaintEvent* event) override {
        if (!m_shape) return;
        QPainter p(this);
        p.setCompositionMode(QPainter::CompositionMode_Clear);
        for (const QRect& r : (QRegion(rect()) - *m_shape) & event->region())
            p.fillRect(r, Qt::transparent);
    }

    bool eventFilter(QObject* watched, QEvent* event) override {
        if (watched == parentWidget()) {
            if (event->type() == QEvent::Resize) setGeometry(parentWidget()->rect());
            // A control added later would otherwise lie above it.
            if (event->type() == QEvent::ChildAdded && static_cast<QChildEvent*>(event)->child() != this &&
                !m_raising) {
                m_raising = true;
                QMetaObject::invokeMethod(
                    this,
                    [this] {
                        m_raising = false;
                        raise();
                    },
                    Qt::QueuedConnection);
            }
        }
        return QWidget::eventFilter(watched, event);
    }

private:
    std::optional<QRegion> m_shape;
    bool m_raising = false;
};

} // namespace

bool WindowShapesShown() {
    const QString platform = QGuiApplication::platformName();
    return platform == QLatin1String("xcb") || platform == QLatin1String("windows") ||
           platform == QLatin1String("cocoa");
}

void SetWindowShape(QWidget* window, const QRegion& shape) {
    window->setMask(shape);
    if (WindowShapesShown()) return;
    ShapeCutter* cutter = ShapeCutter::Of(window);
    if (!cutter) {
        // See-through takes effect when the window is made (the programs shape their windows
        // before they first show).
        window->setAttribute(Qt::WA_TranslucentBackground);
        cutter = new ShapeCutter(window);
    }
    cutter->SetShape(shape);
}

void ClearWindowShape(QWidget* window) {
    window->clearMask();
    if (ShapeCutter* cutter = ShapeCutter::Of(window)) cutter->SetShape(std::nullopt);
}
