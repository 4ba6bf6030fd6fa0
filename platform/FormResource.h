#pragma once

#include <QList>
#include <QObject>
#include <QString>
#include <QVariant>

#include <functional>
#include <stdexcept>

class QWidget;

// A window's layout (positions, sizes, captions, list items, pictures, event bindings) is kept apart
// from its behaviour, in a form description: a text resource read when the window is built.
//
//   object frmMain: TfrmMain
//     Caption = 'Duzivuz 3.0'
//     ClientWidth = 699
//     object btnExtract: TskButton
//       Left = 10
//       Top = 20
//       Hint = 'Start extracting'
//       OnClick = btnExtractClick
//     end
//     object tmEject: TTimer
//       Interval = 10
//       Enabled = False
//       OnTimer = tmEjectTimer
//     end
//   end
//
// Values: integers (decimal or $hex), reals, 'texts' ('' is a quote; #13 a character code; parts
// follow each other without blanks: 'a'#13#10'b'), identifiers (True, False, colour names such as
// clBtnFace, enumeration keys), lists ('a' 'b') and sets [fsBold, fsItalic]. Properties are set in
// the order written, before any event is bound, so loading fires no handler.

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

// Kinds of value in a parsed description.
struct FormIdent { // an identifier value (True/False and colour names are converted already)
    QString name;
};
struct FormSet { // [a, b]
    QStringList members;
};
Q_DECLARE_METATYPE(FormIdent)
Q_DECLARE_METATYPE(FormSet)

// The classes a description may name, with how to make one. Each library registers its own
// classes (the skin library its controls, the component layer its components) before any window
// is built.
namespace FormClassRegistry {
// owner: the form (owns everything); parent: the widget the object sits on.
using Factory = std::function<QObject*(QObject* owner, QWidget* parent)>;
void add(const QString& className, Factory factory);
bool contains(const QString& className);
QObject* create(const QString& className, QObject* owner, QWidget* parent);

template <class T> void addWidget(const QString& className) {
    add(className, [](QObject*, QWidget* parent) -> QObject* { return new T(parent); });
}
template <class T> void addObject(const QString& className) {
    add(className, [](QObject* owner, QWidget*) -> QObject* { return new T(owner); });
}
} // namespace FormClassRegistry

// Parses a description; raises FormResourceError naming the line of a fault.
FormNode ParseFormDescription(const QByteArray& text);

// Builds `form` from the description in `resourcePath` (a Qt resource such as
// ":/forms/ripper/Main.form"): the root's properties go to `form`, every object is created with
// its name, and events are bound to the form's slots of the names given.
void LoadFormResource(QWidget* form, const QString& resourcePath);
void LoadFormDescription(QWidget* form, const FormNode& root);

// The object of that name and class built from the form's description; raises FormResourceError
// when there is none.
QObject* FindFormObject(const QObject* form, const QString& name);
template <class T> T* FormChild(const QObject* form, const QString& name) {
    T* object = qobject_cast<T*>(FindFormObject(form, name));
    if (!object) throw FormResourceError(QStringLiteral("%1 is not of the expected class").arg(name));
    return object;
}
