#include "skin/SKTabControl.h"

#include "skin/SKPublic.h"

#include <QMouseEvent>
#include <QPainter>

// ---------------------------------------------------------------------------------------------
// The strip

TskTabControlTopPanel::TskTabControlTopPanel(TskTab* tabControl, QWidget* parent)
    : TskCustomPanel(parent), m_tabControl(tabControl) {
    m_tabWidths.fill(-1);
    m_tabVisible.fill(true);
    TskCustomPanel::SetCaption(QStringLiteral(" "));
    SetBorderWidth(0);
    setMouseTracking(true);
}

void TskTabControlTopPanel::SetTabs(const QStringList& value) {
    m_tabs = value;
    update();
}

void TskTabControlTopPanel::AddTab(const QString& caption) {
    m_tabs.append(caption);
    update();
}

void TskTabControlTopPanel::DeleteTab(int index) {
    if (index < 0 || index >= m_tabs.size()) return;
    m_tabs.removeAt(index);
    if (m_tabs.isEmpty()) m_tabIndex = -1;
    update();
}

void TskTabControlTopPanel::ClearTabs() {
    m_tabs.clear();
    m_tabIndex = -1;
    update();
}

void TskTabControlTopPanel::SetLeftMargin(int value) {
    // Kept on the strip: a margin past any screen would only push every tab out of sight.
    m_leftMargin = std::clamp(value, -kMaxThemePictureSide, kMaxThemePictureSide);
    update();
}

void TskTabControlTopPanel::UIStyleChanged() {
    const TskThemeSource source = Theme();
    m_tabPicture = source.Bitmap(SkinElement::TabControlTabImage);
    m_barPicture = source.Bitmap(SkinElement::TabControlBarImage);
    const QImage button = source.Bitmap(SkinElement::ScrollButtonImage, 4, 1);
    // Both pictures are at most 4096 high, so the strip stays within 8192.
    resize(width(), m_tabPicture.height() + m_barPicture.height());
    m_buttonWidth = button.width();
    m_buttonHeight = button.height();
}

bool TskTabControlTopPanel::TabVisible(int index) const {
    return index < 0 || index >= kMaxTabs || m_tabVisible[static_cast<size_t>(index)];
}

void TskTabControlTopPanel::SetTabVisible(int index, bool value) {
    if (index < 0 || index >= kMaxTabs) return;
    m_tabVisible[static_cast<size_t>(index)] = value;
    update();
}

int TskTabControlTopPanel::TabWidth(int index) const {
    return index >= 0 && index < kMaxTabs ? m_tabWidths[static_cast<size_t>(index)] : -1;
}

void TskTabControlTopPanel::ChangeTabIndex(int value, bool byClick) {
    if (value == m_tabIndex) return;
    if (m_tabs.isEmpty()) {
        m_tabIndex = -1;
        update();
        return;
    }
    if (value < -1 || value >= m_tabs.size()) {
        update();
        return;
    }
    if (byClick && !m_tabControl->CanChange()) return;
    m_tabIndex = value;
    m_keepActiveInView = true;
    update();
    m_tabControl->TabActivated(m_tabIndex);
}

int TskTabControlTopPanel::DrawTabs(QPainter& canvas, int width) {
    const int count = static_cast<int>(m_tabs.size());
    const int lastLimit = width - 10;
    const int otherLimit = width - 2 * m_buttonWidth - 2;
    QImage active, inactive;
    if (!m_tabPicture.isNull()) {
        CopyBitmapPart(m_tabPicture, active, 2, 1);
        CopyBitmapPart(m_tabPicture, inactive, 2, 2);
    }
    m_tabHeight = active.height();
    const int h = inactive.height();
    const int barHeight = m_barPicture.height();
    if (!m_barPicture.isNull() && width > 2)
        canvas.drawImage(
            1, h,
            StretchNearest(m_barPicture, TRect(0, 0, m_barPicture.width(), barHeight), width - 2, barHeight));
    canvas.setPen(ColorToQColor(m_tabControl->BorderColor()));
    if (barHeight > 0) {
        canvas.drawLine(0, h, 0, h + barHeight - 1);
        canvas.drawLine(width - 1, h, width - 1, h + barHeight - 1);
    }
    int x = m_leftMargin;
    const QFont font = m_tabControl->font();
    canvas.setFont(font);
    const QFontMetrics fm(font);
    int result = count - 1;
    bool cut = false;
    int shown = 0;
    for (int i = 0; i < count; ++i) {
        if (!TabVisible(i)) {
            if (i < kMaxTabs) m_tabWidths[static_cast<size_t>(i)] = 0;
            continue;
        }
        if (cut) break;
        const QString& caption = m_tabs[i];
        int tabWidth = caption.isEmpty() ? 80 : fm.horizontalAdvance(caption) + 20;
        tabWidth = std::clamp(tabWidth, 15, kMaxThemePictureSide);
        if (i < kMaxTabs - 1) m_tabWidths[static_cast<size_t>(i)] = tabWidth;
        if (shown++ < m_firstShownTab) continue;
        if (i >= kMaxTabs) break; // beyond what the strip can record
        const bool isActive = i == m_tabIndex;
        TRect r = isActive ? TRect(x, 1, x + tabWidth, h + 1) : TRect(x, 0, x + tabWidth, h);
        const int limit = i == count - 1 ? lastLimit : otherLimit;
        if (r.Right > limit) {
            r.Right = otherLimit;
            cut = true;
            result = i - 1;
            if (!isActive && i < kMaxTabs - 1) m_tabWidths[static_cast<size_t>(i)] = std::max(0, r.Width());
        }
        const QImage& picture = isActive ? active : inactive;
        if (!picture.isNull() && r.Width() > 0) DrawThreePartBitmap(picture, canvas, r, false);
        x += tabWidth;
        canvas.setPen(m_tabControl->palette().color(QPalette::Active, QPalette::WindowText));
        // A caption is drawn like a label's: "&&" shows one "&", a single "&" marks the hot key.
        const QString shown = StripAccelerator(caption);
        if (cut) {
            const QRect text = TRect(r.Left + 10, r.Top, r.Right - 4, r.Bottom).ToQRect();
            canvas.drawText(text, Qt::AlignLeft | Qt::AlignVCenter | Qt::TextSingleLine, shown);
        } else {
            canvas.drawText(r.ToQRect(), Qt::AlignCenter | Qt::TextSingleLine, shown);
        }
    }
    m_overflow = (lastLimit < x || cut) && count > 0;
    return result;
}

void TskTabControlTopPanel::DrawScrollButtons(QPainter& canvas, int width, int height) {
    if (!m_overflow && m_firstShownTab <= 0) return;
    const TskThemeSource source = Theme();
    const int y = m_buttonHeight + 4 < height ? (height - m_buttonHeight) / 2 - 2 : 0;
    const TRect right(width - m_buttonWidth - 2, y, width - 2, y + m_buttonHeight);
    const TRect left(right.Left - m_buttonWidth, y, right.Left, y + m_buttonHeight);
    auto inside = [this](const TRect& r) { return r.ToQRect().contains(m_mouse); };
    if (inside(right)) m_hotButton = 1;
    if (inside(left)) m_hotButton = -1;
    const QImage rightPicture = source.Bitmap(SkinElement::ScrollButtonImage, 4, m_hotButton == 1 ? 2 : 1);
    const QImage leftPicture = source.Bitmap(SkinElement::ScrollButtonImage, 4, m_hotButton == -1 ? 4 : 3);
    if (!rightPicture.isNull()) DrawMasked(canvas, right.Left, right.Top, rightPicture, 0xFF00FF);
    if (!leftPicture.isNull()) DrawMasked(canvas, left.Left, left.Top, leftPicture, 0xFF00FF);
}

QImage TskTabControlTopPanel::Render() {
    const int w = std::clamp(width(), 1, kMaxThemePictureSide);
    const int h = std::clamp(height(), 1, kMaxThemePictureSide);
    QImage buffer(w, h, QImage::Format_RGB32);
    buffer.fill(ColorToQColor(m_tabControl->Color()));
    QPainter p(&buffer);
    DrawParentBackground(p, m_tabControl);
    m_hotButton = 0;
    int last = DrawTabs(p, w);
    if (m_keepActiveInView) {
        // Scroll until the active tab is drawn whole; every pass draws over the same picture.
        while (last < m_tabIndex && m_firstShownTab < m_tabs.size()) {
            ++m_firstShownTab;
            DrawParentBackground(p, m_tabControl);
            last = DrawTabs(p, w);
        }
        m_keepActiveInView = false;
    }
    DrawScrollButtons(p, w, h);
    return buffer;
}

int TskTabControlTopPanel::TabAt(const QPoint& point) const {
    int left = m_leftMargin;
    for (int i = std::max(0, m_firstShownTab); i < m_tabs.size(); ++i) {
        const int w = TabWidth(i);
        if (w == -1) break;
        if (left < point.x() && point.x() < left + w && 0 < point.y() && point.y() < m_tabHeight) return i;
        left += w;
    }
    return -1;
}

void TskTabControlTopPanel::mousePressEvent(QMouseEvent* event) {
    TskCustomPanel::mousePressEvent(event);
    if (event->button() != Qt::LeftButton) return;
    m_mouse = event->position().toPoint();
    Render(); // finds the hot scroll button
    if (m_hotButton == -1 || (m_hotButton == 1 && m_overflow)) {
        m_firstShownTab += m_hotButton;
        m_firstShownTab = std::clamp(m_firstShownTab, 0, static_cast<int>(m_tabs.size()));
        update();
        return;
    }
    const int tab = TabAt(m_mouse);
    if (tab >= 0) ChangeTabIndex(tab, true);
}

void TskTabControlTopPanel::mouseMoveEvent(QMouseEvent* event) {
    TskCustomPanel::mouseMoveEvent(event);
    m_mouse = event->position().toPoint();
    if (m_overflow) update();
}

void TskTabControlTopPanel::leaveEvent(QEvent* event) {
    TskCustomPanel::leaveEvent(event);
    m_mouse = QPoint(-1, -1);
    if (m_overflow) update();
}

// ---------------------------------------------------------------------------------------------
// The tab control

TskTab::TskTab(QWidget* parent) : TskCustomPanel(parent) {}

TskTab::~TskTab() = default;

void TskTab::InitTopPanel() {
    m_topPanel = CreateTopPanel();
    m_topPanel->setParent(this);
    connect(m_topPanel, &TskCustomPanel::OnClick, this, &TskCustomPanel::OnClick);
    connect(m_topPanel, &TskCustomPanel::OnDblClick, this, &TskCustomPanel::OnDblClick);
    TskCustomPanel::SetCaption(QStringLiteral(" "));
    SetBorderWidth(0);
    resize(width(), 80);
    SetUIStyle(OwnerFormUIStyle(parentWidget()));
    PlaceTopPanel();
}

void TskTab::PlaceTopPanel() {
    if (m_topPanel) m_topPanel->setGeometry(0, 0, width(), m_topPanel->height());
}

void TskTab::SetBorderColor(TColor value) {
    m_borderColor = value;
    BorderColorChanged();
    update();
    if (m_topPanel) m_topPanel->update();
}

void TskTab::UIStyleChanged() {
    if (!m_topPanel) return;
    const TskUIStyle value = UIStyle();
    m_topPanel->SetFileTheme(FileTheme());
    m_topPanel->SetUIStyle(value);
    m_topPanel->update();
    UIStyleChanged(value, FileTheme());
    const TskThemeSource source = Theme();
    const TColor background = source.Color(SkinElement::ControlBackgroundColor);
    m_topPanel->SetColor(background);
    m_borderColor = source.Color(SkinElement::ControlBorderColor);
    SetColor(!source.fromFile && value == WinXP ? 0xFFFFFF : background);
    // The strip's height follows its pictures; the pages below it follow the strip.
    PlaceTopPanel();
    AlignControls();
}

void TskTab::SelectTab(int index) {
    m_topPanel->SetTabIndex(index);
}

void TskTab::TabActivated(int index) {
    Q_EMIT OnTabActive(index);
    Q_EMIT OnChange();
}

bool TskTab::CanChange() {
    bool allow = true;
    Q_EMIT OnChanging(&allow);
    return allow;
}

void TskTab::UIStyleChanged(TskUIStyle style, TskFileTheme* fileTheme) {
    ApplyUIStyleToChildren(this, style, fileTheme);
}

QRect TskTab::AlignRect() const {
    const int top = m_topPanel ? m_topPanel->height() : 0;
    return QRect(QPoint(3, top + 3), QPoint(width() - 4, height() - 4));
}

QImage TskTab::Render() {
    const int w = std::clamp(width(), 1, kMaxThemePictureSide);
    const int h = std::clamp(height(), 1, kMaxThemePictureSide);
    const int top = m_topPanel ? m_topPanel->height() : 0;
    QImage buffer(w, h, QImage::Format_RGB32);
    buffer.fill(ColorToQColor(Color()));
    QPainter p(&buffer);
    // The sides and bottom of the page frame.
    p.setPen(ColorToQColor(m_borderColor));
    p.drawLine(0, top, 0, h - 1);
    p.drawLine(0, h - 1, w - 1, h - 1);
    p.drawLine(w - 1, h - 1, w - 1, top);
    return buffer;
}

void TskTab::resizeEvent(QResizeEvent* event) {
    TskCustomPanel::resizeEvent(event);
    PlaceTopPanel();
}

void TskTab::changeEvent(QEvent* event) {
    TskCustomPanel::changeEvent(event);
    if (event->type() == QEvent::FontChange && m_topPanel) m_topPanel->update();
}

bool TskTab::event(QEvent* event) {
    if (event->type() == QEvent::CursorChange && m_topPanel) m_topPanel->setCursor(cursor());
    return TskCustomPanel::event(event);
}
