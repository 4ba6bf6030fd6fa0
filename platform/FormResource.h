#pragma once

#include "platform/FormBuilder.h"
#include "platform/FormClassRegistry.h"
#include "platform/FormParser.h"

#include <QObject>
#include <QString>
#include <QStringList>

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
// clBtnFace, enumeration keys), lists ('a' 'b'), sets [fsBold, fsItalic] and binary data
// { 0A1B2C ... } over any number of lines (an embedded theme file). Pictures are paths (resources
// such as ':/pictures/logo.png'); a QByteArray property also takes a resource path, for the whole
// file. Properties are set in the order written, before any event is bound, so loading fires no
// handler. Objects nest at most kMaxFormNesting levels deep. A window's Width and Height are its
// outer size; ClientWidth and ClientHeight are the area inside the frame one of its controls may
// keep around it (the window's contents margins), so they are applied once the controls exist.
//
// The parts: FormParser (the text into a tree of FormNodes), FormClassRegistry (the classes a
// description may name, their property adapters, and the windows by description), FormBuilder (the
// objects, references and event bindings of a window).

// Builds `form` from the description in `resourcePath` (a Qt resource such as
// ":/forms/ripper/Main.form"): the root's properties go to `form`, every object is created with
// its name, and events are bound to the form's slots of the names given.
void LoadFormResource(QWidget* form, const QString& resourcePath);

// Decodes, on a worker thread, the pictures of the resources (":/...") that the given descriptions
// name, so that the windows built from them later take them ready; a picture asked for before it is
// ready is decoded where it is asked for, as without this. Returns at once.
void PrefetchFormPictures(const QStringList& resourcePaths);
// Waits until the pictures asked for so far are decoded and the decoding thread has ended.
void WaitForPrefetchedPictures();
// Every description among the resources (":/forms/<program>/<Unit>.form"), sorted.
QStringList FormResourcePaths();

// The object of that name and class built from the form's description; raises FormResourceError
// when there is none.
QObject* FindFormObject(const QObject* form, const QString& name);
template <class T> T* FormChild(const QObject* form, const QString& name) {
    T* object = qobject_cast<T*>(FindFormObject(form, name));
    if (!object) throw FormResourceError(QStringLiteral("%1 is not of the expected class").arg(name));
    return object;
}
