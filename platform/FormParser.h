#pragma once

#include <QByteArray>
#include <QList>
#include <QMetaType>
#include <QPair>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <stdexcept>

// Reading a form description's text into a tree of objects (the format is described in
// FormResource.h). Nothing is built here: the builder (FormBuilder) makes the objects.

class FormResourceError : public std::runtime_error {
public:
    explicit FormResourceError(const QString& message);
};

struct FormNode {
    QString name;
    QString className;
    QList<QPair<QString, QVariant>> properties; // in written order
    QList<FormNode> children;
    int line = 0;
};

// Kinds of value in a parsed description, beside integers, reals, texts, lists of texts (a
// QStringList), other lists (a QVariantList) and binary data ({ 0A1B... }, a QByteArray).
struct FormIdent { // an identifier value (True/False and colour names are converted already)
    QString name;
};
struct FormSet { // [a, b]
    QStringList members;
};
Q_DECLARE_METATYPE(FormIdent)
Q_DECLARE_METATYPE(FormSet)

// How deep objects (and lists within values) may nest. Real windows stay far below it; a deeper
// description is refused instead of running the parser out of stack.
constexpr int kMaxFormNesting = 64;

// Parses a description; raises FormResourceError naming the line of a fault.
FormNode ParseFormDescription(const QByteArray& text);
