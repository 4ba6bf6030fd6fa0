#pragma once
// Looks over a shown window for what a user would see cut: a text wider than the room its control
// gives it or partly under a control stacked above it, a control reaching past its parent, a
// control on the window closer to the window's border than the margin, list columns wider than
// their list and tab rows wider than their control. Texts are taken from the widgets and their
// Caption properties, so every layer's controls are covered.
#include <QString>
#include <QStringList>

class QWidget;

// The least room, in pixels, between a control and the window's outer edge: the width of a skinned
// frame, and two pixels clear of the rim line a shaped window draws there.
constexpr int kWindowMargin = 3;

// One line per fault, naming the control and by how many pixels it misses; empty when all fits.
QStringList LayoutFaults(const QWidget& window);
