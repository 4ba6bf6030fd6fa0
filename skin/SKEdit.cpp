#include "skin/SKEdit.h"

#include "platform/UserMessages.h"
#include "platform/WindowMessages.h"
#include "skin/SKPublic.h"

#include <QApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QPainter>

#include <algorithm>
#include <cmath>

TskEdit::TskEdit(QWidget* parent) : TskControl(parent) {
    InitColor(clWindow, false);
    SetFocusPolicies(Qt::StrongFocus, Qt::ClickFocus);
    SetTabStop(true);
    // The native edit fills the control; the skin frame is drawn over its outer two pixels.
    m_editor = new QLineEdit(this);
    m_editor->setFrame(false);
    m_editor->setTextMargins(2, 2, 2, 2);
    m_editor->installEventFilter(this);
    SetFocusWidget(m_editor);
    resize(121, height());
    ColorChanged();
    ApplyAutoSize();
    connect(m_editor, &QLineEdit::textChanged, this, &TskEdit::TextChanged);
    SetUIStyle(OwnerFormUIStyle(parent));
}

void TskEdit::UIStyleChanged() {
    m_borderColor = Theme().Color(SkinElement::ControlBorderColor);
    m_editor->update();
}

void TskEdit::ColorChanged() {
    QPalette pal = m_editor->palette();
    pal.setColor(QPalette::Base, ColorToQColor(Color()));
    m_editor->setPalette(pal);
    m_editor->update();
}

void TskEdit::SetBorderColor(TColor value) {
    m_borderColor = value;
    update();
    m_editor->update();
}

void TskEdit::SetAutoSize(bool value) {
    m_autoSize = value;
    ApplyAutoSize();
}

void TskEdit::ApplyAutoSize() {
    // Text height plus the two-pixel frame above and below and a pixel of air each side.
    if (m_autoSize) resize(width(), QFontMetrics(font()).height() + 6);
}

void TskEdit::SetCharCase(TEditCharCase value) {
    m_charCase = value;
    TextChanged();
}

void TskEdit::SetHideSelection(bool value) {
    m_hideSelection = value;
    QPalette pal = m_editor->palette();
    const QPalette::ColorGroup shown = value ? QPalette::Inactive : QPalette::Active;
    pal.setColor(QPalette::Inactive, QPalette::Highlight, pal.color(shown, QPalette::Highlight));
    pal.setColor(QPalette::Inactive, QPalette::HighlightedText, pal.color(shown, QPalette::HighlightedText));
    m_editor->setPalette(pal);
}

void TskEdit::SetMaxLength(int value) {
    m_maxLength = std::max(0, value);
    m_editor->setMaxLength(m_maxLength > 0 ? m_maxLength : 32767);
}

void TskEdit::SetPasswordChar(const QString& value) {
    m_passwordChar = value.left(1);
    m_editor->setEchoMode(m_passwordChar.isEmpty() ? QLineEdit::Normal : QLineEdit::Password);
}

bool TskEdit::ReadOnly() const {
    return m_editor->isReadOnly();
}

void TskEdit::SetReadOnly(bool value) {
    m_editor->setReadOnly(value);
}

QString TskEdit::Text() const {
    return m_editor->text();
}

void TskEdit::SetText(const QString& value) {
    m_editor->setText(value);
}

void TskEdit::TextChanged() {
    if (m_charCase != ecNormal) {
        const QString t = m_editor->text();
        const QString cased = m_charCase == ecUpperCase ? t.toUpper() : t.toLower();
        if (cased != t) {
            const int cursor = m_editor->cursorPosition();
            m_editor->setText(cased); // comes back here once, with the text in its case
            m_editor->setCursorPosition(cursor);
            return;
        }
    }
    Change();
}

void TskEdit::Change() {
    Q_EMIT OnChange();
}

bool TskEdit::KeyPress(QChar) {
    return true;
}

QImage TskEdit::Render() {
    QImage buffer = NewBuffer();
    buffer.fill(ColorToQColor(Color()));
    QPainter p(&buffer);
    FrameControlBorder(p, this, m_borderColor, Color(), true);
    return buffer;
}

void TskEdit::resizeEvent(QResizeEvent* event) {
    TskControl::resizeEvent(event);
    m_editor->setGeometry(rect());
}

void TskEdit::changeEvent(QEvent* event) {
    TskControl::changeEvent(event);
    if (event->type() == QEvent::FontChange) ApplyAutoSize();
    if (event->type() == QEvent::ParentChange) ColorChanged();
}

bool TskEdit::EditorKeyPress(QKeyEvent* event) {
    Q_EMIT OnKeyDown(event->key(), event->modifiers());
    // The character of the key as the platform delivers it to the edit; Ctrl+letter is the
    // control character of the letter.
    QChar ch;
    if (!event->text().isEmpty()) ch = event->text().at(0);
    if ((event->modifiers() & Qt::ControlModifier) && event->key() >= Qt::Key_A && event->key() <= Qt::Key_Z)
        ch = QChar(static_cast<char16_t>(event->key() - Qt::Key_A + 1));
    if (event->key() == Qt::Key_Backspace) ch = QChar(8);
    // Keys the window handles (Tab, Return, Escape) are not characters for the edit.
    const bool windowKey = event->key() == Qt::Key_Tab || event->key() == Qt::Key_Backtab ||
                           event->key() == Qt::Key_Return || event->key() == Qt::Key_Enter ||
                           event->key() == Qt::Key_Escape;
    if (ch.isNull() || windowKey) return false;
    Q_EMIT OnKeyPress(ch);
    return !KeyPress(ch);
}

bool TskEdit::eventFilter(QObject* watched, QEvent* event) {
    if (watched != m_editor) return TskControl::eventFilter(watched, event);
    auto* target = static_cast<QObject*>(m_editor);
    switch (event->type()) {
    case QEvent::Paint: {
        // The edit paints itself, then the skin frame goes over it: the border colour outside,
        // the edit's colour inside, hiding anything the native edit drew there.
        target->event(event);
        QPainter p(m_editor);
        FrameControlBorder(p, this, m_borderColor, Color(), true);
        return true;
    }
    case QEvent::KeyPress:
        return EditorKeyPress(static_cast<QKeyEvent*>(event));
    case QEvent::KeyRelease:
        target->event(event);
        EmitKeyUp(static_cast<QKeyEvent*>(event));
        return true;
    case QEvent::MouseButtonPress: {
        auto* e = static_cast<QMouseEvent*>(event);
        target->event(event);
        ArmClick(e);
        EmitMouseDown(e);
        return true;
    }
    case QEvent::MouseMove:
        target->event(event);
        EmitMouseMove(static_cast<QMouseEvent*>(event));
        return true;
    case QEvent::MouseButtonRelease: {
        auto* e = static_cast<QMouseEvent*>(event);
        target->event(event);
        if (TakeClick(e)) Click();
        EmitMouseUp(e);
        return true;
    }
    case QEvent::MouseButtonDblClick:
        target->event(event);
        if (static_cast<QMouseEvent*>(event)->button() == Qt::LeftButton) Q_EMIT OnDblClick();
        return true;
    case QEvent::FocusIn:
        target->event(event);
        if (!m_autoSelect) m_editor->deselect();
        DoEnter();
        return true;
    case QEvent::FocusOut:
        target->event(event);
        DoExit();
        return true;
    default:
        return false;
    }
}

// ---------------------------------------------------------------------------------------------

namespace {

struct MaskSection {
    QString prefix;     // literal text before the first digit place
    QString suffix;     // literal text after the last digit place
    int minInteger = 0; // "0" places of the integer part, from the first "0"
    int minDecimals = 0;
    int maxDecimals = 0;
    bool thousands = false;
};

// The mask's sections split at ";" outside quotes.
QStringList SplitSections(const QString& mask) {
    QStringList sections{QString()};
    QChar quote;
    for (const QChar c : mask) {
        if (!quote.isNull()) {
            if (c == quote) quote = QChar();
        } else if (c == u'"' || c == u'\'') {
            quote = c;
        } else if (c == u';' && sections.size() < 3) {
            sections.append(QString());
            continue;
        }
        sections.last() += c;
    }
    return sections;
}

MaskSection ParseSection(const QString& section) {
    MaskSection s;
    bool seenPlace = false, afterPoint = false, firstZero = false;
    QString literal;
    QChar quote;
    int decimals = 0;
    for (const QChar c : section) {
        if (!quote.isNull()) {
            if (c == quote)
                quote = QChar();
            else
                literal += c;
            continue;
        }
        if (c == u'"' || c == u'\'') {
            quote = c;
            continue;
        }
        const bool place = c == u'0' || c == u'#';
        if (place || c == u'.' || (c == u',' && seenPlace)) {
            if (!seenPlace) s.prefix = literal;
            literal.clear();
            seenPlace = true;
            if (c == u'.') {
                afterPoint = true;
            } else if (c == u',') {
                if (!afterPoint) s.thousands = true;
            } else if (afterPoint) {
                ++decimals;
                if (c == u'0') s.minDecimals = decimals;
            } else {
                if (c == u'0') firstZero = true;
                if (firstZero) ++s.minInteger;
            }
            continue;
        }
        literal += c;
    }
    if (seenPlace)
        s.suffix = literal;
    else
        s.prefix = literal;
    s.maxDecimals = decimals;
    return s;
}

} // namespace

QString FormatFloat(const QString& mask, double value, const QLocale& locale) {
    if (std::isnan(value)) return QStringLiteral("NAN");
    if (std::isinf(value)) return value > 0 ? QStringLiteral("INF") : QStringLiteral("-INF");
    const QStringList sections = SplitSections(mask);
    MaskSection s = ParseSection(sections.value(0));
    // Digits beyond what a double holds are zeros; the text stays bounded by the mask's length.
    constexpr int kMaxComputedDecimals = 20;
    const double magnitude = std::fabs(value);
    auto hasNonZero = [](const QString& d) {
        return std::any_of(d.begin(), d.end(), [](QChar c) { return c >= u'1' && c <= u'9'; });
    };
    QString digits = QString::number(magnitude, 'f', std::min(s.maxDecimals, kMaxComputedDecimals));
    bool negative = value < 0 && hasNonZero(digits);
    bool signInSection = false;
    if (negative && sections.size() >= 2 && !sections[1].isEmpty()) {
        s = ParseSection(sections[1]);
        signInSection = true;
    } else if (!hasNonZero(digits) && sections.size() >= 3 && !sections[2].isEmpty()) {
        s = ParseSection(sections[2]);
        negative = false;
    }
    digits = QString::number(magnitude, 'f', std::min(s.maxDecimals, kMaxComputedDecimals));
    QString integer = digits.section(u'.', 0, 0);
    QString fraction = digits.section(u'.', 1);
    fraction += QString(std::max(0, s.maxDecimals - static_cast<int>(fraction.size())), u'0');
    while (fraction.size() > s.minDecimals && fraction.endsWith(u'0'))
        fraction.chop(1);
    if (integer == QLatin1String("0") && s.minInteger == 0) integer.clear();
    if (integer.size() < s.minInteger) integer.prepend(QString(s.minInteger - integer.size(), u'0'));
    if (s.thousands) {
        const QString group = locale.groupSeparator();
        for (qsizetype i = integer.size() - 3; i > 0; i -= 3)
            integer.insert(i, group);
    }
    QString number = integer;
    if (!fraction.isEmpty()) number += locale.decimalPoint() + fraction;
    QString text = s.prefix + number + s.suffix;
    if (negative && !signInSection) text.prepend(u'-');
    return text;
}

TskNumberEdit::TskNumberEdit(QWidget* parent) : TskEdit(parent) {
    Editor()->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
}

void TskNumberEdit::SetValue(double value) {
    m_value = value;
    SetText(FormatFloat(m_mask, value));
}

bool TskNumberEdit::KeyPress(QChar key) {
    const QLocale locale;
    const QString decimal = locale.decimalPoint();
    bool accepted = key.isDigit() && key.unicode() >= u'0' && key.unicode() <= u'9';
    const QString t = Text();
    accepted = accepted || (QString(key) == decimal && m_mask.contains(u'.') &&
                            !t.contains(decimal, Qt::CaseInsensitive));
    accepted = accepted || key == QChar(8);
    const QLineEdit* e = Editor();
    const int selStart = e->hasSelectedText() ? e->selectionStart() : e->cursorPosition();
    accepted = accepted || (key == u'-' && m_mask.contains(u'-') && selStart == 0 && !t.contains(u'-'));
    if (!accepted) QApplication::beep();
    return accepted;
}

namespace {
// The text as a number: the locale's thousands separators taken out first.
bool ToNumber(const QString& text, double& value) {
    const QLocale locale;
    QString plain = text;
    plain.remove(locale.groupSeparator());
    bool ok = false;
    const double v = locale.toDouble(plain, &ok);
    if (!ok || !std::isfinite(v)) return false;
    value = v;
    return true;
}
} // namespace

void TskNumberEdit::Change() {
    const QString t = Text();
    if (!t.isEmpty() && t != QLatin1String("-")) {
        double v = 0;
        if (!ToNumber(t, v)) {
            // Back to the last good value; the error is reported once the change is over.
            SetValue(m_value);
            const QString message = QStringLiteral("'%1' is not a valid floating point value").arg(t);
            // Queued on the edit: an edit that is gone by then reports nothing.
            RunOnUiThread(this, [message, this] { ReportError(message, this); });
            return;
        }
        m_value = v;
    }
    TskEdit::Change();
}

void TskNumberEdit::DoEnter() {
    TskEdit::DoEnter();
    if (m_autoSelectSigns > 0 && AutoSelect()) {
        const int length = static_cast<int>(Text().size());
        const int start = std::max(0, length - m_autoSelectSigns);
        Editor()->setSelection(start, length - start);
    }
}

void TskNumberEdit::Click() {
    TskEdit::Click();
    DoEnter();
}

void TskNumberEdit::DoExit() {
    TskEdit::DoExit();
    if (Text().isEmpty() || Text() == QLatin1String("-")) SetText(QStringLiteral("0"));
    double v = m_value;
    if (ToNumber(Text(), v)) SetValue(v);
}
