#include "platform/FormResource.h"

#include "platform/Colors.h"

#include <QAbstractButton>
#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHash>
#include <QIcon>
#include <QImage>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QMetaMethod>
#include <QPixmap>
#include <QPlainTextEdit>
#include <QTimer>
#include <QWidget>

#include <optional>

FormResourceError::FormResourceError(const QString& message) : std::runtime_error(message.toStdString()) {}

// ---------------------------------------------------------------------------------------------
// Registry

namespace FormClassRegistry {
namespace {
QHash<QString, Factory>& table() {
    static QHash<QString, Factory> t = [] {
        QHash<QString, Factory> s;
        s.insert(QStringLiteral("TTimer"),
                 [](QObject* owner, QWidget*) -> QObject* { return new QTimer(owner); });
        s.insert(QStringLiteral("TLabel"), [](QObject*, QWidget* p) -> QObject* { return new QLabel(p); });
        s.insert(QStringLiteral("TEdit"), [](QObject*, QWidget* p) -> QObject* { return new QLineEdit(p); });
        s.insert(QStringLiteral("TComboBox"),
                 [](QObject*, QWidget* p) -> QObject* { return new QComboBox(p); });
        s.insert(QStringLiteral("TMemo"),
                 [](QObject*, QWidget* p) -> QObject* { return new QPlainTextEdit(p); });
        s.insert(QStringLiteral("TPanel"), [](QObject*, QWidget* p) -> QObject* { return new QWidget(p); });
        s.insert(QStringLiteral("TImage"), [](QObject*, QWidget* p) -> QObject* { return new QLabel(p); });
        s.insert(QStringLiteral("TListBox"),
                 [](QObject*, QWidget* p) -> QObject* { return new QListWidget(p); });
        return s;
    }();
    return t;
}
} // namespace

void add(const QString& className, Factory factory) {
    table().insert(className, std::move(factory));
}
bool contains(const QString& className) {
    return table().contains(className);
}
QObject* create(const QString& className, QObject* owner, QWidget* parent) {
    const auto it = table().constFind(className);
    if (it == table().constEnd()) return nullptr;
    return (*it)(owner, parent);
}
} // namespace FormClassRegistry

// ---------------------------------------------------------------------------------------------
// Parser

namespace {

const QHash<QString, TColor>& colourNames() {
    static const QHash<QString, TColor> names{
        {"clBlack", 0x000000},
        {"clMaroon", 0x000080},
        {"clGreen", 0x008000},
        {"clOlive", 0x008080},
        {"clNavy", 0x800000},
        {"clPurple", 0x800080},
        {"clTeal", 0x808000},
        {"clGray", 0x808080},
        {"clSilver", 0xC0C0C0},
        {"clRed", 0x0000FF},
        {"clLime", 0x00FF00},
        {"clYellow", 0x00FFFF},
        {"clBlue", 0xFF0000},
        {"clFuchsia", 0xFF00FF},
        {"clAqua", 0xFFFF00},
        {"clWhite", 0xFFFFFF},
        {"clNone", clNone},
        {"clBtnFace", clBtnFace},
        {"clWindow", clWindow},
        {"clWindowText", clWindowText},
        {"clHighlight", clHighlight},
        {"clMenuText", clMenuText},
        {"clHighlightText", clHighlightText},
        {"clBtnText", clBtnText},
        {"clBtnShadow", clBtnShadow},
        {"clBtnHighlight", clBtnHighlight},
        {"clGrayText", clGrayText},
        {"clInactiveCaption", clInactiveCaption},
    };
    return names;
}

struct Token {
    enum Kind { End, Ident, Integer, Real, String, Symbol } kind = End;
    QString text;
    qlonglong integer = 0;
    double real = 0;
    int line = 0;
};

class Lexer {
public:
    explicit Lexer(const QString& text) : m_text(text) {}

    Token next() {
        skipBlanks();
        Token t;
        t.line = m_line;
        if (m_pos >= m_text.size()) return t;
        const QChar c = m_text[m_pos];
        if (c.isLetter() || c == u'_') {
            const qsizetype start = m_pos;
            while (m_pos < m_text.size() &&
                   (m_text[m_pos].isLetterOrNumber() || m_text[m_pos] == u'_' || m_text[m_pos] == u'.'))
                ++m_pos;
            t.kind = Token::Ident;
            t.text = m_text.mid(start, m_pos - start);
            return t;
        }
        if (c.isDigit() || c == u'-' || c == u'$' || c == u'+') return number(t);
        if (c == u'\'' || c == u'#') return string(t);
        if (QStringLiteral(":=()[],<>").contains(c)) {
            ++m_pos;
            t.kind = Token::Symbol;
            t.text = c;
            return t;
        }
        fail(t.line, QStringLiteral("unexpected character '%1'").arg(c));
    }

    [[noreturn]] static void fail(int line, const QString& what) {
        throw FormResourceError(QStringLiteral("Form description, line %1: %2").arg(line).arg(what));
    }

private:
    void skipBlanks() {
        while (m_pos < m_text.size()) {
            const QChar c = m_text[m_pos];
            if (c == u'\n') {
                ++m_line;
                ++m_pos;
            } else if (c.isSpace()) {
                ++m_pos;
            } else if (c == u'/' && m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'/') {
                while (m_pos < m_text.size() && m_text[m_pos] != u'\n')
                    ++m_pos;
            } else {
                break;
            }
        }
    }

    Token number(Token& t) {
        const qsizetype start = m_pos;
        bool negative = false;
        if (m_text[m_pos] == u'-' || m_text[m_pos] == u'+') negative = m_text[m_pos++] == u'-';
        bool ok = false;
        if (m_pos < m_text.size() && m_text[m_pos] == u'$') {
            const qsizetype digits = ++m_pos;
            while (m_pos < m_text.size() && m_text[m_pos].isLetterOrNumber())
                ++m_pos;
            t.integer = m_text.mid(digits, m_pos - digits).toLongLong(&ok, 16);
            if (negative) t.integer = -t.integer;
            t.kind = Token::Integer;
        } else {
            while (m_pos < m_text.size() && (m_text[m_pos].isDigit() || m_text[m_pos] == u'.' ||
                                             m_text[m_pos] == u'e' || m_text[m_pos] == u'E'))
                ++m_pos;
            const QString s = m_text.mid(start, m_pos - start);
            if (s.contains(u'.') || s.contains(u'e') || s.contains(u'E')) {
                t.real = s.toDouble(&ok);
                t.kind = Token::Real;
            } else {
                t.integer = s.toLongLong(&ok);
                t.kind = Token::Integer;
            }
        }
        if (!ok) fail(t.line, QStringLiteral("bad number '%1'").arg(m_text.mid(start, m_pos - start)));
        return t;
    }

    Token string(Token& t) {
        t.kind = Token::String;
        while (m_pos < m_text.size()) {
            if (m_text[m_pos] == u'\'') {
                ++m_pos;
                for (;;) {
                    if (m_pos >= m_text.size() || m_text[m_pos] == u'\n')
                        fail(t.line, QStringLiteral("unterminated text"));
                    if (m_text[m_pos] == u'\'') {
                        if (m_pos + 1 < m_text.size() && m_text[m_pos + 1] == u'\'') {
                            t.text += u'\'';
                            m_pos += 2;
                            continue;
                        }
                        ++m_pos;
                        break;
                    }
                    t.text += m_text[m_pos++];
                }
            } else if (m_text[m_pos] == u'#') {
                const qsizetype digits = ++m_pos;
                while (m_pos < m_text.size() && m_text[m_pos].isDigit())
                    ++m_pos;
                bool ok = false;
                const uint code = m_text.mid(digits, m_pos - digits).toUInt(&ok);
                if (!ok || code > 0x10FFFF) fail(t.line, QStringLiteral("bad character code"));
                t.text += QString::fromUcs4(reinterpret_cast<const char32_t*>(&code), 1);
            } else {
                break;
            }
        }
        return t;
    }

    QString m_text;
    qsizetype m_pos = 0;
    int m_line = 1;
};

class Parser {
public:
    explicit Parser(const QString& text) : m_lexer(text) { advance(); }

    FormNode parseRoot() {
        FormNode root = parseObject();
        if (m_tok.kind != Token::End) Lexer::fail(m_tok.line, QStringLiteral("text after the last 'end'"));
        return root;
    }

private:
    void advance() { m_tok = m_lexer.next(); }
    bool isSymbol(const char* s) const {
        return m_tok.kind == Token::Symbol && m_tok.text == QLatin1String(s);
    }
    void expectSymbol(const char* s) {
        if (!isSymbol(s)) Lexer::fail(m_tok.line, QStringLiteral("'%1' expected").arg(QLatin1String(s)));
        advance();
    }
    QString expectIdent() {
        if (m_tok.kind != Token::Ident) Lexer::fail(m_tok.line, QStringLiteral("name expected"));
        QString s = m_tok.text;
        advance();
        return s;
    }

    FormNode parseObject() {
        FormNode node;
        node.line = m_tok.line;
        if (m_tok.kind != Token::Ident ||
            m_tok.text.compare(QLatin1String("object"), Qt::CaseInsensitive) != 0)
            Lexer::fail(m_tok.line, QStringLiteral("'object' expected"));
        advance();
        node.name = expectIdent();
        expectSymbol(":");
        node.className = expectIdent();
        for (;;) {
            if (m_tok.kind == Token::End)
                Lexer::fail(m_tok.line, QStringLiteral("'end' missing for %1").arg(node.name));
            if (m_tok.kind != Token::Ident) Lexer::fail(m_tok.line, QStringLiteral("property name expected"));
            if (m_tok.text.compare(QLatin1String("end"), Qt::CaseInsensitive) == 0) {
                advance();
                return node;
            }
            if (m_tok.text.compare(QLatin1String("object"), Qt::CaseInsensitive) == 0) {
                node.children.append(parseObject());
                continue;
            }
            const QString name = expectIdent();
            expectSymbol("=");
            node.properties.append({name, parseValue()});
        }
    }

    QVariant parseValue() {
        const Token t = m_tok;
        switch (t.kind) {
        case Token::Integer:
            advance();
            if (t.integer >= INT_MIN && t.integer <= INT_MAX) return QVariant(static_cast<int>(t.integer));
            return QVariant(t.integer);
        case Token::Real:
            advance();
            return QVariant(t.real);
        case Token::String:
            advance();
            return QVariant(t.text);
        case Token::Ident: {
            advance();
            if (t.text.compare(QLatin1String("True"), Qt::CaseInsensitive) == 0) return QVariant(true);
            if (t.text.compare(QLatin1String("False"), Qt::CaseInsensitive) == 0) return QVariant(false);
            const auto c = colourNames().constFind(t.text);
            if (c != colourNames().constEnd()) return QVariant(static_cast<qlonglong>(*c));
            return QVariant::fromValue(FormIdent{t.text});
        }
        case Token::Symbol:
            if (t.text == u'(') {
                advance();
                QVariantList items;
                bool allText = true;
                while (!isSymbol(")")) {
                    if (m_tok.kind == Token::End) Lexer::fail(t.line, QStringLiteral("')' missing"));
                    QVariant v = parseValue();
                    allText = allText && v.typeId() == QMetaType::QString;
                    items.append(v);
                }
                advance();
                if (allText) {
                    QStringList list;
                    for (const QVariant& v : items)
                        list << v.toString();
                    return QVariant(list);
                }
                return QVariant(items);
            }
            if (t.text == u'[') {
                advance();
                FormSet set;
                while (!isSymbol("]")) {
                    set.members << expectIdent();
                    if (isSymbol(","))
                        advance();
                    else if (!isSymbol("]"))
                        Lexer::fail(m_tok.line, QStringLiteral("',' or ']' expected"));
                }
                advance();
                return QVariant::fromValue(set);
            }
            break;
        case Token::End:
            break;
        }
        Lexer::fail(t.line, QStringLiteral("value expected"));
    }

    Lexer m_lexer;
    Token m_tok;
};

// ---------------------------------------------------------------------------------------------
// Building

// A property that names another object of the form (FileTheme = themeMp10): set once every object
// exists, so the named object may come later in the description.
struct Reference {
    QObject* object;
    int propertyIndex;
    QString target;
    const FormNode* node;
};

bool isObjectReference(const QMetaProperty& p) {
    return (p.metaType().flags() & QMetaType::PointerToQObject) != 0;
}

struct Geometry {
    std::optional<int> left, top, width, height, clientWidth, clientHeight;
};

[[noreturn]] void failAt(const FormNode& node, const QString& what) {
    throw FormResourceError(
        QStringLiteral("Form description, %1 (line %2): %3").arg(node.name).arg(node.line).arg(what));
}

QString lowerFirst(const QString& s) {
    return s.isEmpty() ? s : s.left(1).toLower() + s.mid(1);
}

int metaPropertyIndex(const QObject* o, const QString& name) {
    const QMetaObject* mo = o->metaObject();
    int i = mo->indexOfProperty(name.toLatin1().constData());
    if (i < 0) i = mo->indexOfProperty(lowerFirst(name).toLatin1().constData());
    return i;
}

bool writeMetaProperty(QObject* o, const QMetaProperty& p, const QVariant& value) {
    const int type = p.metaType().id();
    QVariant v = value;
    if (v.userType() == qMetaTypeId<FormIdent>()) {
        const QString key = v.value<FormIdent>().name;
        if (p.isEnumType()) {
            bool ok = false;
            const int e = p.enumerator().keyToValue(key.toLatin1().constData(), &ok);
            if (!ok) return false;
            return p.write(o, QVariant(e));
        }
        v = QVariant(key);
    } else if (v.userType() == qMetaTypeId<FormSet>()) {
        const QStringList members = v.value<FormSet>().members;
        if (p.isFlagType()) {
            bool ok = true;
            const int e = members.isEmpty()
                              ? 0
                              : p.enumerator().keysToValue(members.join(u'|').toLatin1().constData(), &ok);
            return ok && p.write(o, QVariant(e));
        }
        v = QVariant(members);
    }
    if (v.typeId() == QMetaType::QString) {
        const QString path = v.toString();
        if (type == QMetaType::QPixmap)
            return p.write(o, QVariant(path.isEmpty() ? QPixmap() : QPixmap(path)));
        if (type == QMetaType::QImage) return p.write(o, QVariant(path.isEmpty() ? QImage() : QImage(path)));
        if (type == QMetaType::QIcon) return p.write(o, QVariant(path.isEmpty() ? QIcon() : QIcon(path)));
    }
    if (type == QMetaType::QColor && (v.typeId() == QMetaType::Int || v.typeId() == QMetaType::LongLong))
        return p.write(o, QVariant(ColorToQColor(static_cast<TColor>(v.toLongLong()))));
    if (!v.canConvert(p.metaType())) return false;
    v.convert(p.metaType());
    return p.write(o, v);
}

QFont::Weight boldOr(bool bold) {
    return bold ? QFont::Bold : QFont::Normal;
}

void applyProperty(QObject* o, const FormNode& node, const QString& name, const QVariant& v, Geometry& geo,
                   bool isRoot, QList<Reference>& references) {
    auto asInt = [&] {
        bool ok = false;
        const int i = v.toInt(&ok);
        if (!ok) failAt(node, QStringLiteral("%1 wants a number").arg(name));
        return i;
    };
    if (name == QLatin1String("Left")) return void(geo.left = asInt());
    if (name == QLatin1String("Top")) return void(geo.top = asInt());
    if (name == QLatin1String("Width")) return void(geo.width = asInt());
    if (name == QLatin1String("Height")) return void(geo.height = asInt());
    if (name == QLatin1String("ClientWidth")) return void(geo.clientWidth = asInt());
    if (name == QLatin1String("ClientHeight")) return void(geo.clientHeight = asInt());

    if (auto* timer = qobject_cast<QTimer*>(o)) {
        if (name == QLatin1String("Enabled")) return v.toBool() ? timer->start() : timer->stop();
        if (name == QLatin1String("Interval")) {
            const bool active = timer->isActive();
            timer->setInterval(asInt());
            if (active) timer->start();
            return;
        }
    }
    auto* w = qobject_cast<QWidget*>(o);
    if (w && name.startsWith(QLatin1String("Font."))) {
        QFont f = w->font();
        const QString part = name.mid(5);
        if (part == QLatin1String("Name"))
            f.setFamily(v.toString());
        else if (part == QLatin1String("Size"))
            f.setPointSize(asInt());
        else if (part == QLatin1String("Height"))
            f.setPixelSize(std::abs(asInt()));
        else if (part == QLatin1String("Style")) {
            const QStringList s = v.value<FormSet>().members;
            f.setWeight(boldOr(s.contains(QLatin1String("fsBold"))));
            f.setItalic(s.contains(QLatin1String("fsItalic")));
            f.setUnderline(s.contains(QLatin1String("fsUnderline")));
            f.setStrikeOut(s.contains(QLatin1String("fsStrikeOut")));
        } else if (part == QLatin1String("Color")) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::WindowText, ColorToQColor(static_cast<TColor>(v.toLongLong())));
            pal.setColor(QPalette::ButtonText, ColorToQColor(static_cast<TColor>(v.toLongLong())));
            pal.setColor(QPalette::Text, ColorToQColor(static_cast<TColor>(v.toLongLong())));
            w->setPalette(pal);
            return;
        } else if (part == QLatin1String("Charset")) {
            return; // one character set for all texts
        } else {
            failAt(node, QStringLiteral("unknown property %1").arg(name));
        }
        w->setFont(f);
        return;
    }

    // The class's own published property of that name.
    const int index = metaPropertyIndex(o, name);
    if (index >= 0 && o->metaObject()->property(index).isWritable() &&
        isObjectReference(o->metaObject()->property(index))) {
        if (v.userType() != qMetaTypeId<FormIdent>())
            failAt(node, QStringLiteral("%1 wants an object name").arg(name));
        references.append({o, index, v.value<FormIdent>().name, &node});
        return;
    }
    if (index >= 0 && o->metaObject()->property(index).isWritable()) {
        if (!writeMetaProperty(o, o->metaObject()->property(index), v))
            failAt(node, QStringLiteral("bad value for %1").arg(name));
        return;
    }

    // Common properties of the standard widgets.
    if (w) {
        if (name == QLatin1String("Caption") || name == QLatin1String("Text")) {
            const QString text = v.toString();
            if (auto* b = qobject_cast<QAbstractButton*>(w)) return b->setText(text);
            if (auto* l = qobject_cast<QLabel*>(w)) return l->setText(text);
            if (auto* e = qobject_cast<QLineEdit*>(w)) return e->setText(text);
            if (auto* m = qobject_cast<QPlainTextEdit*>(w)) return m->setPlainText(text);
            if (auto* g = qobject_cast<QGroupBox*>(w)) return g->setTitle(text);
            if (isRoot || w->isWindow()) return w->setWindowTitle(text);
        }
        if (name == QLatin1String("Hint")) return w->setToolTip(v.toString());
        if (name == QLatin1String("Items") || name == QLatin1String("Lines")) {
            if (auto* c = qobject_cast<QComboBox*>(w)) return c->addItems(v.toStringList());
            if (auto* l = qobject_cast<QListWidget*>(w)) return l->addItems(v.toStringList());
            if (auto* m = qobject_cast<QPlainTextEdit*>(w))
                return m->setPlainText(v.toStringList().join(u'\n'));
        }
        if (name == QLatin1String("ItemIndex")) {
            if (auto* c = qobject_cast<QComboBox*>(w)) return c->setCurrentIndex(asInt());
        }
        if (name == QLatin1String("Picture")) {
            if (auto* l = qobject_cast<QLabel*>(w)) return l->setPixmap(QPixmap(v.toString()));
        }
        if (name == QLatin1String("Color")) {
            QPalette pal = w->palette();
            pal.setColor(QPalette::Window, ColorToQColor(static_cast<TColor>(v.toLongLong())));
            w->setPalette(pal);
            w->setAutoFillBackground(true);
            return;
        }
        if (name == QLatin1String("Cursor")) {
            const QString c = v.value<FormIdent>().name;
            if (c == QLatin1String("crHandPoint")) return w->setCursor(Qt::PointingHandCursor);
            if (c == QLatin1String("crDefault")) return w->unsetCursor();
        }
        if (name == QLatin1String("Tag")) return void(w->setProperty("Tag", v));
        if (isRoot && (name == QLatin1String("Position") || name == QLatin1String("BorderStyle")))
            return void(w->setProperty(name.toLatin1().constData(), v.value<FormIdent>().name));
    }
    failAt(node, QStringLiteral("unknown property %1 of %2").arg(name, node.className));
}

void applyGeometry(QWidget* w, const Geometry& g, bool isRoot) {
    const int width = g.clientWidth.value_or(g.width.value_or(w->width()));
    const int height = g.clientHeight.value_or(g.height.value_or(w->height()));
    if (isRoot) {
        w->resize(width, height);
        if (g.left && g.top) w->move(*g.left, *g.top);
    } else {
        w->setGeometry(g.left.value_or(w->x()), g.top.value_or(w->y()), width, height);
    }
}

struct Binding {
    QObject* sender;
    QString event;
    QString handler;
    const FormNode* node;
};

// The signal an event stands for: the class's own signal of the event's name, or the standard one.
QMetaMethod findSignal(const QObject* o, const QString& event) {
    const QMetaObject* mo = o->metaObject();
    for (int i = 0; i < mo->methodCount(); ++i) {
        const QMetaMethod m = mo->method(i);
        if (m.methodType() == QMetaMethod::Signal && QLatin1String(m.name()) == event) return m;
    }
    static const QHash<QString, QStringList> standard{
        {"OnClick", {"clicked()"}},
        {"OnTimer", {"timeout()"}},
        {"OnChange",
         {"textChanged(QString)", "currentIndexChanged(int)", "valueChanged(int)", "textChanged()"}},
        {"OnDblClick", {"doubleClicked(QModelIndex)"}},
    };
    for (const QString& sig : standard.value(event)) {
        const int i =
            mo->indexOfSignal(QMetaObject::normalizedSignature(sig.toLatin1().constData()).constData());
        if (i >= 0) return mo->method(i);
    }
    return {};
}

QMetaMethod findHandler(const QObject* form, const QString& handler, const QMetaMethod& signal) {
    const QMetaObject* mo = form->metaObject();
    for (int i = 0; i < mo->methodCount(); ++i) {
        const QMetaMethod m = mo->method(i);
        if (QLatin1String(m.name()) != handler || m.methodType() == QMetaMethod::Signal) continue;
        if (m.parameterCount() > signal.parameterCount()) continue;
        bool same = true;
        for (int p = 0; p < m.parameterCount(); ++p)
            same = same && m.parameterType(p) == signal.parameterType(p);
        if (same) return m;
    }
    return {};
}

void build(QWidget* form, QObject* object, const FormNode& node, bool isRoot, QList<Binding>& bindings,
           QList<Reference>& references) {
    Geometry geo;
    for (const auto& [name, value] : node.properties) {
        if (name.startsWith(QLatin1String("On")) && name.size() > 2 && name[2].isUpper()) {
            if (value.userType() != qMetaTypeId<FormIdent>())
                failAt(node, QStringLiteral("%1 wants a handler name").arg(name));
            bindings.append({object, name, value.value<FormIdent>().name, &node});
            continue;
        }
        applyProperty(object, node, name, value, geo, isRoot, references);
    }
    auto* widget = qobject_cast<QWidget*>(object);
    if (widget) applyGeometry(widget, geo, isRoot);
    QWidget* parentForChildren = widget ? widget : form;
    for (const FormNode& child : node.children) {
        QObject* o = FormClassRegistry::create(child.className, form, parentForChildren);
        if (!o) failAt(child, QStringLiteral("unknown class %1").arg(child.className));
        o->setObjectName(child.name);
        if (!qobject_cast<QWidget*>(o) && o->parent() != form) o->setParent(form);
        build(form, o, child, false, bindings, references);
    }
}

} // namespace

FormNode ParseFormDescription(const QByteArray& text) {
    return Parser(QString::fromUtf8(text)).parseRoot();
}

void LoadFormDescription(QWidget* form, const FormNode& root) {
    if (form->objectName().isEmpty()) form->setObjectName(root.name);
    QList<Binding> bindings;
    QList<Reference> references;
    build(form, form, root, true, bindings, references);
    for (const Reference& r : references) {
        const QMetaProperty p = r.object->metaObject()->property(r.propertyIndex);
        QObject* target = r.target == form->objectName() ? form : form->findChild<QObject*>(r.target);
        const QMetaObject* wanted = p.metaType().metaObject();
        if (!target)
            failAt(*r.node, QStringLiteral("%1 names no object %2").arg(QLatin1String(p.name()), r.target));
        if (wanted && !target->metaObject()->inherits(wanted))
            failAt(*r.node, QStringLiteral("%1 cannot be %2").arg(QLatin1String(p.name()), r.target));
        // A variant of the property's own pointer type, holding the target.
        if (!p.write(r.object, QVariant(p.metaType(), &target)))
            failAt(*r.node, QStringLiteral("bad value for %1").arg(QLatin1String(p.name())));
    }
    for (const Binding& b : bindings) {
        const QMetaMethod signal = findSignal(b.sender, b.event);
        if (!signal.isValid())
            failAt(*b.node, QStringLiteral("%1 has no event %2").arg(b.node->className, b.event));
        const QMetaMethod slot = findHandler(form, b.handler, signal);
        if (!slot.isValid()) failAt(*b.node, QStringLiteral("no handler %1 for %2").arg(b.handler, b.event));
        QObject::connect(b.sender, signal, form, slot);
    }
}

// The form descriptions are compiled into a static library: name them here so the linker keeps them.
static void initFormResources() {
    static const bool done = [] {
        Q_INIT_RESOURCE(forms);
        return true;
    }();
    (void)done;
}

void LoadFormResource(QWidget* form, const QString& resourcePath) {
    initFormResources();
    QFile f(resourcePath);
    if (!f.open(QIODevice::ReadOnly))
        throw FormResourceError(QStringLiteral("Form description %1 not found").arg(resourcePath));
    LoadFormDescription(form, ParseFormDescription(f.readAll()));
}

QObject* FindFormObject(const QObject* form, const QString& name) {
    QObject* o = form->findChild<QObject*>(name);
    if (!o) throw FormResourceError(QStringLiteral("The form has no object %1").arg(name));
    return o;
}
