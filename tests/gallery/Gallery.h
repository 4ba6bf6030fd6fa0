#pragma once
// Where the gallery puts its pictures and how it draws a window into one.
#include <QString>

class QWidget;

namespace gallery {

// The build tree's gallery/ folder (made when missing): the skin's pictures and sheets.
QString Folder();
// gallery/windows/ (made when missing): the programs' windows.
QString WindowsFolder();

// Shows `window`, lets it paint and saves it as windows/<name>.png; each layout fault of the window
// as it is shown (LayoutFaults) fails the gallery, named with `name`.
void SaveWindow(QWidget& window, const QString& name);

// Puts the window pictures `names` (windows/<name>.png, as SaveWindow wrote them) side by side on
// one sheet, windows/<sheet>.png, so that a program's windows can be seen together.
void SaveSideBySide(const QString& sheet, const QStringList& names);

} // namespace gallery
