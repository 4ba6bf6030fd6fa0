#pragma once

#include <QByteArray>
#include <QList>
#include <QPoint>
#include <QProcess>
#include <QSize>
#include <QString>

// Starting a built program on a test's own X server as a user starts it: the X platform, a folder
// of the test's own for its single-instance lock (and, unless given apart, its settings), and the
// sound devices of an ALSA configuration the test writes.

// An ALSA configuration with a null device and one capture line ("Test line") that reads silence.
extern const QByteArray kTestLineDevices;

struct ProgramOnX {
    QString program;         // the program file to run
    QString display;         // ":<n>"
    QString folder;          // its single-instance lock's folder, and where `devices` is written
    QByteArray devices;      // the ALSA configuration it gets
    QString configHome = {}; // XDG_CONFIG_HOME; empty: `folder`
};

// Starts the program in `process`; an empty text when it started, else what went wrong.
QString StartOnX(QProcess& process, const ProgramOnX& start);

// Waits up to `timeoutMs` for the program to end by itself; true when it did. One that does not
// is killed.
bool EndsBy(QProcess& process, int timeoutMs);

// What a shaped main window must show on the screen once a program started on `display` has put it
// up: its shape (waited for) holds every point of `inShape` and none of `outOfShape`, and on a grab
// of the screen its top-left corner pixel is the desktop's beside the window while `painted` (in the
// window's coordinates) is not. Checked with the test's expectations; false when the window never
// came.
struct ShapedWindowLook {
    QString title;
    QSize size;
    QList<QPoint> inShape, outOfShape;
    QPoint painted;
};
bool ExpectShapedWindow(const QString& display, const ShapedWindowLook& look);
