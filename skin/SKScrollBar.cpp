#include "skin/SKScrollBar.h"

#include "skin/SKButton.h"
#include "skin/SKTrackBar.h"

#include <QPainter>
#include <QScrollBar>
#include <QStyleOptionSlider>

#include <algorithm>
#include <limits>

namespace {

constexpr int kMinSlider = 18;
constexpr int kMaxChange = 32767;

} // namespace

TskScrollBar::TskScrollBar(QWidget* parent) : TskCustomPanel(parent) {
    m_bar = new TskScrollTrackBar(this);
    m_bar->SetShowTick(false);
    m_bar->SetTabStop(false);
    m_bar->SetTransparent(false);
    m_bar->SetMax(100);
    connect(m_bar, &TskTrackBar::OnChange, this, &TskScrollBar::OnChange);
    auto makeButton = [this](int direction) {
        auto* button = new TskImageButton(this);
        button->SetTabStop(false);
        button->SetAutoSize(true);
        button->SetMouseContinuouslyDownInterval(100);
        connect(button, &TskImageButton::OnMouseContinuouslyDown, this,
                [this, direction] { Step(direction); });
        // A click of an arrow steps once at once; holding repeats every 100 ms after that.
        connect(button, &TskControl::OnMouseDown, this,
                [this, direction](Qt::MouseButton b, Qt::KeyboardModifiers, int, int) {
                    if (b == Qt::LeftButton) Step(direction);
                });
        return button;
    };
    m_back = makeButton(-1);
    m_forward = makeButton(1);
    resize(185, 185);
    m_constructed = true;
    SetUIStyle(OwnerFormUIStyle(parent));
}

int TskScrollBar::Max() const {
    return m_bar->Max();
}

void TskScrollBar::SetMax(int value) {
    m_bar->SetMax(value);
}

int TskScrollBar::Min() const {
    return m_bar->Min();
}

void TskScrollBar::SetMin(int value) {
    m_bar->SetMin(value);
}

int TskScrollBar::Position() const {
    return m_bar->Position();
}

void TskScrollBar::SetPosition(int value) {
    if (value != m_bar->Position()) m_bar->SetPosition(value);
}

void TskScrollBar::SetSmallChange(int value) {
    m_smallChange = std::clamp(value, 1, kMaxChange);
}

int TskScrollBar::LargeChange() const {
    return m_bar->PageSize() & 0xFFFF;
}

void TskScrollBar::SetLargeChange(int value) {
    m_bar->SetPageSize(std::clamp(value, 1, kMaxChange));
}

int TskScrollBar::PageSize() const {
    return m_bar->PageSize();
}

void TskScrollBar::SetPageSize(int value) {
    m_bar->SetPageSize(value);
    BuildSlider();
}

void TskScrollBar::SetSliderVisible(bool value) {
    m_bar->SetSliderVisible(value);
}

bool TskScrollBar::GetSliderVisible() const {
    return m_bar->GetSliderVisible();
}

int TskScrollBar::LastChange() const {
    return m_bar->LastChange();
}

void TskScrollBar::Step(int direction) {
    const int64_t target =
        static_cast<int64_t>(m_bar->Position()) + static_cast<int64_t>(direction) * m_smallChange;
    SetPosition(static_cast<int>(std::clamp<int64_t>(target, m_bar->Min(), m_bar->Max())));
}

void TskScrollBar::SetOrientation(TskProgressBarOrientation value) {
    if (value == m_orientation) return;
    m_orientation = value;
    RebuildPictures();
    LayOut();
}

void TskScrollBar::SetLineButton(int value) {
    value = std::max(value, 0);
    if (value == m_lineButton) return;
    const int room = m_orientation == skHorizontal ? width() - m_back->width() - m_forward->width()
                                                   : height() - m_back->height() - m_forward->height();
    if (room < value) return;
    m_lineButton = value;
    BuildSlider();
}

void TskScrollBar::UIStyleChanged() {
    m_bar->SetColor(Color());
    RebuildPictures();
    LayOut();
}

void TskScrollBar::ColorChanged() {
    m_bar->SetColor(Color());
}

void TskScrollBar::RebuildPictures() {
    m_bar->SetBarImage(QImage());
    const TskThemeSource source = Theme();
    SetColor(source.Color(SkinElement::ScrollBarBackgroundColor));
    for (int i = 0; i < 3; ++i)
        m_sliderPieces[i] = source.Bitmap(SkinElement::ScrollBarSliderImage, 3, i + 1);
    QImage pics[6];
    for (int i = 0; i < 6; ++i) {
        pics[i] = source.Bitmap(SkinElement::ScrollBarButtonImage, 6, i + 1);
        // The theme draws the buttons for a vertical bar.
        if (m_orientation == skHorizontal && !pics[i].isNull()) RotateBitmap(pics[i]);
    }
    m_back->SetPicNormal(pics[0]);
    m_back->SetPicMouseOn(pics[1]);
    m_back->SetPicMouseDown(pics[2]);
    m_forward->SetPicNormal(pics[3]);
    m_forward->SetPicMouseOn(pics[4]);
    m_forward->SetPicMouseDown(pics[5]);
    if (m_orientation == skVertical)
        for (QImage& piece : m_sliderPieces)
            if (!piece.isNull()) RotateBitmapClockwise(piece);
    update();
}

int TskScrollBar::InnerLength() const {
    return m_orientation == skHorizontal ? m_bar->width() : m_bar->height();
}

void TskScrollBar::LayOut() {
    if (!m_constructed) return;
    m_bar->SetOrientation(m_orientation);
    const bool empty = width() <= 0 || height() <= 0;
    for (QWidget* part :
         {static_cast<QWidget*>(m_bar), static_cast<QWidget*>(m_back), static_cast<QWidget*>(m_forward)})
        part->setVisible(!empty);
    if (empty) return;
    if (m_orientation == skVertical) {
        // Missing pictures change no size.
        if (m_back->width() > 0 && width() != m_back->width()) resize(m_back->width(), height());
        m_back->move(0, 0);
        m_bar->setGeometry(0, m_back->height(), width(),
                           std::max(0, height() - m_back->height() - m_forward->height() - 1));
        m_forward->move(0, height() - m_forward->height());
    } else {
        if (m_back->height() > 0 && height() != m_back->height()) resize(width(), m_back->height());
        m_back->move(0, 0);
        m_bar->setGeometry(m_back->width(), 0, std::max(0, width() - m_back->width() - m_forward->width()),
                           height());
        m_forward->move(width() - m_forward->width(), 0);
    }
    BuildSlider();
}

void TskScrollBar::BuildSlider() {
    const QImage& start = m_sliderPieces[0];
    const QImage& middle = m_sliderPieces[1];
    const QImage& end = m_sliderPieces[2];
    if (start.isNull()) return;
    const bool horizontal = m_orientation == skHorizontal;
    const int thickness = horizontal ? start.height() : start.width();
    const int inner = InnerLength();
    int length = 0;
    if (m_lineButton > 0) {
        if (m_lineButton < kMinSlider) m_lineButton = kMinSlider;
        length = m_lineButton;
    } else {
        if (inner == 0) return;
        int p = m_bar->PageSize();
        if (p < 10 || p > 100) p = 10;
        length = static_cast<int>(static_cast<int64_t>(p) * inner / 100);
    }
    // Never longer than the bar it moves in (the bar may have shrunk since LineButton was set), nor
    // than any skin picture may be.
    length = std::clamp(length, 1, std::clamp(inner, 1, kMaxThemePictureSide));
    QImage slider = horizontal ? QImage(length, thickness, QImage::Format_RGB32)
                               : QImage(thickness, length, QImage::Format_RGB32);
    slider.fill(Qt::black);
    {
        QPainter p(&slider);
        const int startLength = horizontal ? start.width() : start.height();
        const int endLength = end.isNull() ? 0 : (horizontal ? end.width() : end.height());
        const int middleLength = std::max(0, length - startLength - endLength);
        if (!middle.isNull() && middleLength > 0) {
            const QImage stretched =
                horizontal ? StretchNearest(middle, TRect(0, 0, middle.width(), middle.height()),
                                            middleLength, thickness)
                           : StretchNearest(middle, TRect(0, 0, middle.width(), middle.height()), thickness,
                                            middleLength);
            p.drawImage(horizontal ? QPoint(startLength, 0) : QPoint(0, startLength), stretched);
        }
        if (!end.isNull())
            p.drawImage(horizontal ? QPoint(length - endLength, 0) : QPoint(0, length - endLength), end);
        p.drawImage(0, 0, start);
    }
    m_bar->SetSliderImage(slider);
    m_bar->SetSliderAutoSize();
    update();
}

void TskScrollBar::resizeEvent(QResizeEvent* event) {
    TskCustomPanel::resizeEvent(event);
    LayOut();
}

void TskScrollBar::FollowNative(const QScrollBar* native) {
    const bool usable =
        native && native->isVisibleTo(native->parentWidget()) && native->maximum() > native->minimum();
    if (!usable) {
        m_lineButton = 0;
        setEnabled(false);
        SetSliderVisible(false);
    } else {
        QStyleOptionSlider option;
        option.initFrom(native);
        option.orientation = native->orientation();
        option.minimum = native->minimum();
        option.maximum = native->maximum();
        option.sliderPosition = native->sliderPosition();
        option.sliderValue = native->value();
        option.singleStep = native->singleStep();
        option.pageStep = native->pageStep();
        option.upsideDown = native->invertedAppearance();
        option.rect = native->rect();
        const QRect thumb = native->style()->subControlRect(QStyle::CC_ScrollBar, &option,
                                                            QStyle::SC_ScrollBarSlider, native);
        const int thumbLength = native->orientation() == Qt::Horizontal ? thumb.width() : thumb.height();
        // Kept within the room between the buttons (SetLineButton refuses more).
        const int room = m_orientation == skHorizontal ? width() - m_back->width() - m_forward->width()
                                                       : height() - m_back->height() - m_forward->height();
        m_lineButton = std::clamp(std::abs(thumbLength), 0, std::max(0, room));
        if (native->orientation() == Qt::Horizontal)
            SetSmallChange(static_cast<int>(std::min<int64_t>(3LL * PageSize(), kMaxChange)));
        setEnabled(true);
        SetSliderVisible(true);
        BuildSlider();
    }
    if (!native) return;
    SetMax(native->maximum());
    SetMin(native->minimum());
    SetPosition(native->value());
}
