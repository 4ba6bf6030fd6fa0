#pragma once

class QPoint;
class QWidget;

// Qt keeps its own record of where each top-level window stands, from what the window manager
// reports. On X11 that record can be wrong from a window's first showing on: a configure report
// the window had before it was mapped is read late, and Qt asks the server for the window's place
// at that moment, while the window manager has taken the window into its frame but not yet moved
// the frame to the window's place (openbox: at 0,0). No later report comes when the window manager
// leaves the window where the program asked, so the record keeps 0,0 and everything placed by it
// (open lists, menus) lands off its window. `CorrectWindowPlace` asks the X server where the
// window's client area really is and, when the record differs, sets the record right (the window
// itself stays where it is). Elsewhere (Wayland, offscreen) it does nothing.
void CorrectWindowPlace(QWidget* window);

// Hands the move of a top-level window to the X window manager (_NET_WM_MOVERESIZE), as if the
// window's caption had been pressed at `pressedAt` (device-independent screen coordinates, where
// the mouse button went down): the window manager moves the window with the mouse from there until
// the button is released, so the window keeps the distance to the mouse it had at the press. True
// when handed over; false where there is no X window manager that takes the request (a bare X
// server, or not X at all), and nothing was done.
bool StartWindowManagerMove(QWidget* window, const QPoint& pressedAt);
