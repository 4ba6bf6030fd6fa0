#pragma once

#include "platform/FormParser.h"

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
