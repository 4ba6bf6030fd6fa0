#pragma once

#include <QImage>
#include <QMetaObject>
#include <QObject>
#include <QString>
#include <QStringList>
#include <QVariant>

#include <functional>

class QWidget;

// The classes a form description may name, with how to make one and how it takes the properties
// that are not plain Q_PROPERTYs. Each library registers its own classes (the skin library its
// controls and themes, the component layer its components) before any window is built; the
// standard ones (TTimer, TLabel, TEdit, TComboBox, TMemo, TPanel, TImage, TListBox, TMenuItem) are
// always there.
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

// A class's own way of taking a property of the description (Caption of a button, Items of a
// list, Font.Style of any control): returns false when the name is none of its own, raises
// FormResourceError for a value it cannot take. The builder offers a property to the object's
// class and then to each base class in turn; at each class the adapter comes first, then the
// Q_PROPERTYs that class declares itself, so a class's published property of that name wins over
// the adapter of a base class.
using PropertyAdapter = std::function<bool(QObject* object, const QString& name, const QVariant& value)>;
void addPropertyAdapter(const QMetaObject& cls, PropertyAdapter adapter);
template <class T>
void addPropertyAdapter(std::function<bool(T* object, const QString& name, const QVariant& value)> adapter) {
    addPropertyAdapter(T::staticMetaObject, [adapter](QObject* o, const QString& name, const QVariant& v) {
        return adapter(static_cast<T*>(o), name, v);
    });
}
// The adapter registered for exactly that class; empty when none.
PropertyAdapter propertyAdapter(const QMetaObject& cls);
} // namespace FormClassRegistry

// The windows, each under the resource path of its description (":/forms/recorder/Main.form"):
// how to make one, so that every description can be loaded into its own window class and checked.
// Each program library registers its windows.
namespace FormWindowRegistry {
using Factory = std::function<QWidget*()>;
void add(const QString& resourcePath, Factory factory);
template <class T> void add(const QString& resourcePath) {
    add(resourcePath, [] { return static_cast<QWidget*>(new T()); });
}
// Empty when no window is registered for that description.
Factory find(const QString& resourcePath);
QStringList resourcePaths();
} // namespace FormWindowRegistry

// Values as the adapters want them; each raises FormResourceError naming `property`.
namespace FormValue {
int toInt(const QVariant& value, const QString& property);
QString toText(const QVariant& value, const QString& property);
QStringList toTextList(const QVariant& value, const QString& property);
// An identifier value (crHandPoint, poScreenCenter).
QString toIdentifier(const QVariant& value, const QString& property);
// A 0x00BBGGRR colour, a colour name or a system colour.
QColor toColor(const QVariant& value, const QString& property);
// A colour of the widget's palette: "Palette.<Role>" for every colour group, or
// "Palette.<Group>.<Role>" for one (Active, Inactive, Disabled), roles named as Qt names them
// (Window, Base, Text, Highlight, ...). False when `name` is no palette colour.
bool applyPaletteColor(QWidget* widget, const QString& name, const QVariant& value);
// A picture from its path (a resource such as ":/pictures/logo.png" or a file); an empty path is
// no picture. A path that does not give a picture raises.
QImage toPicture(const QVariant& value, const QString& property);
// Keeps a picture of the resources decoded ahead of the windows that name it (any thread): toPicture
// takes it from here. An empty path keeps nothing.
void KeepDecodedPicture(const QString& path, const QImage& image);
} // namespace FormValue
