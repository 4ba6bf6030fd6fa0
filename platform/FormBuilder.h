#pragma once

#include "platform/FormParser.h"

#include <functional>

class QMetaObject;
class QWidget;

// Builds a window from a parsed description: the root's properties go to `form`, every object is
// made through FormClassRegistry with its name, properties are set in the order written, object
// references once every object exists, and last the events are bound to the form's handlers of the
// names given, each called inside RunGuarded. Raises FormResourceError naming the object and line.
void LoadFormDescription(QWidget* form, const FormNode& root);

// What a loaded description left in the window: one entry per event binding, so a check can see
// that every binding is in place.
struct FormBindingRecord {
    QObject* sender;
    QString event;
    QString handler;
};
QList<FormBindingRecord> FormBindings(const QWidget* form);

// The object a property value names, as the builder resolves it: "themeMp10" is an object of `form`
// (or the form itself); "frmMain.themeMp10" is the component themeMp10 of the window frmMain, a window
// built from its description before this one (the most recent of that name). Raises FormResourceError
// ("names no object ...", "names frmMain.x, but there is no window frmMain", "... the window frmMain
// has no component x", "cannot be ...") when the window or the component does not exist or is not a
// `wanted` (when given). A window that does not exist may be stood in for (SetMissingWindowStandIn).
QObject* ResolveFormReference(QWidget* form, const QString& name, const QMetaObject* wanted = nullptr);

// Gives, for a reference to a component of a window that does not exist (a window made on its own,
// without the window it refers to), an object of `form` to take its place, or null when there is
// none (then the reference is a fault). The library whose components are referred to sets it.
using MissingWindowStandIn = std::function<QObject*(QWidget* form, const QString& window,
                                                    const QString& component, const QMetaObject* wanted)>;
void SetMissingWindowStandIn(MissingWindowStandIn standIn);
