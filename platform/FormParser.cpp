#include "platform/FormParser.h"

#include "platform/Colors.h"

#include <QHash>

#include <cctype>
#include <climits>

FormResourceError::FormResourceError(const QString& message) : std::runtime_error(message.toStdString()) {}

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
    enum Kind { End, Ident, Integer, Real, String, Symbol, Binary } kind = End;
    QString text;
    QByteArray bytes;
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
        if (c == u'{') return binary(t);
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

    // { hex digits }, over any number of lines: the bytes of embedded data (a theme file).
    Token binary(Token& t) {
        t.kind = Token::Binary;
        ++m_pos;
        QByteArray hex;
        for (;;) {
            skipBlanks();
            if (m_pos >= m_text.size()) fail(t.line, QStringLiteral("'}' missing"));
            const QChar c = m_text[m_pos++];
            if (c == u'}') break;
            if (!isxdigit(c.unicode()) || c.unicode() > 0x7F)
                fail(m_line, QStringLiteral("bad character '%1' in binary data").arg(c));
            hex += static_cast<char>(c.unicode());
        }
        if (hex.size() % 2 != 0) fail(t.line, QStringLiteral("binary data with an odd number of digits"));
        t.bytes = QByteArray::fromHex(hex);
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

    // Counts one level of nesting while it lives.
    struct Nesting {
        explicit Nesting(Parser& p) : parser(p) {
            if (++parser.m_depth > kMaxFormNesting)
                Lexer::fail(parser.m_tok.line,
                            QStringLiteral("nested deeper than %1 levels").arg(kMaxFormNesting));
        }
        ~Nesting() { --parser.m_depth; }
        Nesting(const Nesting&) = delete;
        Nesting& operator=(const Nesting&) = delete;
        Parser& parser;
    };

    FormNode parseObject() {
        const Nesting nesting(*this);
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
        const Nesting nesting(*this);
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
        case Token::Binary:
            advance();
            return QVariant(t.bytes);
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
    int m_depth = 0;
};

} // namespace

FormNode ParseFormDescription(const QByteArray& text) {
    return Parser(QString::fromUtf8(text)).parseRoot();
}
