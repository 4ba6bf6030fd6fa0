#pragma once

// A top-level window's shape (a mask: the rounded or bitmap-drawn outline of a skinned window).
// The X window system shows a window only inside its shape; Wayland and the off-screen platform
// take the mask only for the pointer and show the whole rectangle, so there the window is made
// see-through (before it first shows) and every paint clears what lies outside the shape: the
// cut-away corners show the desktop behind them, not the window's background.

#include <QRegion>

class QWidget;

// Whether the window system itself shows windows only inside their shape.
bool WindowShapesShown();

// Sets `shape` (window coordinates) as the window's mask and, where shapes are not shown, keeps the
// pixels outside it transparent.
void SetWindowShape(QWidget* window, const QRegion& shape);
// The whole rectangle again.
void ClearWindowShape(QWidget* window);
