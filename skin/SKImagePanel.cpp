#include "skin/SKImagePanel.h"

#include "skin/SKPublic.h"

#include <QChildEvent>
#include <QMouseEvent>
#include <QPainter>
#include <QVariant>

TskCustomPanel::TskCustomPanel(QWidget* parent) : TskControl(parent) {
    SetFocusPolicies(Qt::TabFocus, Qt::NoFocus);
    if (parent) {
        m_watchedParent = parent;
        parent->installEventFilter(this);
    }
    update();
}

void TskCustomPanel::SetPicture(const QImage& picture) {
    m_picture = picture;
    PictureChanged();
}

void TskCustomPanel::PictureChanged() {
    if (!m_picture.isNull() && m_autoSize) ApplyAutoSize();
    ClearBackground();
    update();
}

void TskCustomPanel::SetTransparent(bool value) {
    m_transparent = value;
    update();
}

void TskCustomPanel::SetAutoSize(bool value) {
    m_autoSize = value;
    if (!m_picture.isNull()) ApplyAutoSize();
}

void TskCustomPanel::ApplyAutoSize() {
    if (!m_autoSize || m_picture.isNull()) return;
    int w = width(), h = height();
    if (m_align != alTop && m_align != alBottom && m_align != alClient) w = m_picture.width();
    if (m_align != alLeft && m_align != alRight && m_align != alClient) h = m_picture.height();
    resize(w, h);
}

void TskCustomPanel::SetDrawStyle(TskDrawStyle value) {
    m_drawStyle = value;
    ClearBackground();
    update();
}

void TskCustomPanel::SetAlignment(TAlignment value) {
    m_alignment = value;
    update();
}

void TskCustomPanel::SetAlign(TAlign value) {
    m_align = value;
    AlignToParent();
}

void TskCustomPanel::SetBorderWidth(int value) {
    m_borderWidth = std::max(0, value);
    update();
}

void TskCustomPanel::SetCaption(const QString& text) {
    if (text == m_text) return;
    m_text = text;
    TextChanged(m_lastCaptionRect);
    update();
}

void TskCustomPanel::AlignToParent() {
    auto* parentPanel = qobject_cast<TskCustomPanel*>(parentWidget());
    if (parentPanel) {
        parentPanel->AlignControls();
        return;
    }
    if (!parentWidget() || m_align == alNone) return;
    const QRect r = ParentAlignRect();
    switch (m_align) {
    case alTop:
        setGeometry(r.left(), r.top(), r.width(), height());
        break;
    case alBottom:
        setGeometry(r.left(), r.bottom() + 1 - height(), r.width(), height());
        break;
    case alLeft:
        setGeometry(r.left(), r.top(), width(), r.height());
        break;
    case alRight:
        setGeometry(r.right() + 1 - width(), r.top(), width(), r.height());
        break;
    case alClient:
        setGeometry(r);
        break;
    case alNone:
        break;
    }
}

QRect TskCustomPanel::ParentAlignRect() const {
    return parentWidget() ? parentWidget()->rect() : QRect();
}

void TskCustomPanel::AlignControls() {
    QRect r = AlignRect();
    // Edges first in child order (top, bottom, left, right), then the one filling what is left.
    const QObjectList kids = children();
    auto alignOf = [](QObject* o) {
        const QVariant v = o->property("Align");
        return v.isValid() ? static_cast<TAlign>(v.toInt()) : alNone;
    };
    for (TAlign pass : {alTop, alBottom, alLeft, alRight, alClient}) {
        for (QObject* o : kids) {
            auto* w = qobject_cast<QWidget*>(o);
            if (!w || w->isWindow() || alignOf(o) != pass) continue;
            switch (pass) {
            case alTop:
                w->setGeometry(r.left(), r.top(), r.width(), w->height());
                r.setTop(r.top() + w->height());
                break;
            case alBottom:
                w->setGeometry(r.left(), r.bottom() + 1 - w->height(), r.width(), w->height());
                r.setBottom(r.bottom() - w->height());
                break;
            case alLeft:
                w->setGeometry(r.left(), r.top(), w->width(), r.height());
                r.setLeft(r.left() + w->width());
                break;
            case alRight:
                w->setGeometry(r.right() + 1 - w->width(), r.top(), w->width(), r.height());
                r.setRight(r.right() - w->width());
                break;
            case alClient:
                w->setGeometry(r);
                break;
            case alNone:
                break;
            }
        }
    }
}

bool TskCustomPanel::eventFilter(QObject* watched, QEvent* event) {
    if (watched == m_watchedParent && event->type() == QEvent::Resize && m_align != alNone &&
        !qobject_cast<TskCustomPanel*>(m_watchedParent)) {
        AlignToParent();
    }
    return TskControl::eventFilter(watched, event);
}

void TskCustomPanel::childEvent(QChildEvent* event) {
    TskControl::childEvent(event);
    if (event->added() && event->child()->isWidgetType()) AlignControls();
}

void TskCustomPanel::PaintPanel(QImage& buffer) {
    QPainter p(&buffer);
    if (m_transparent) DrawParentBackground(p, this);
    if (!m_picture.isNull()) {
        // A transparent panel's picture leaves out the colour of its bottom-left pixel.
        const TColor key = PixelColor(m_picture, 0, m_picture.height() - 1);
        auto prepared = [&](const QImage& image) { return m_transparent ? MaskedImage(image, key) : image; };
        const QImage picture = prepared(m_picture);
        switch (m_drawStyle) {
        case skStretch:
            p.drawImage(0, 0,
                        prepared(StretchNearest(m_picture, TRect(0, 0, m_picture.width(), m_picture.height()),
                                                width(), height())));
            break;
        case skTile:
            TileDrawPicture(p, picture, TRect(0, 0, width(), height()));
            break;
        case skNormal:
            p.drawImage(0, 0, picture);
            break;
        }
    } else if (!m_transparent) {
        p.fillRect(rect(), ColorToQColor(Color()));
    }
    if (!m_text.trimmed().isEmpty()) {
        p.setFont(font());
        p.setPen(palette().color(QPalette::Active, QPalette::WindowText));
        int flags = Qt::TextSingleLine | Qt::AlignVCenter | Qt::TextShowMnemonic;
        flags |= m_alignment == taLeftJustify    ? Qt::AlignLeft
                 : m_alignment == taRightJustify ? Qt::AlignRight
                                                 : Qt::AlignHCenter;
        p.drawText(rect(), flags, m_text);
        m_lastCaptionRect = rect();
    }
}

QImage TskCustomPanel::Render() {
    QImage buffer = NewBuffer();
    PaintPanel(buffer);
    return buffer;
}

void TskCustomPanel::resizeEvent(QResizeEvent* event) {
    TskControl::resizeEvent(event);
    AlignControls();
    update();
    Q_EMIT OnResize();
}

TskImagePanel::TskImagePanel(QWidget* parent) : TskCustomPanel(parent) {}
