#pragma once

// The art of the programs' windows, drawn from code like the skin pictures: window backgrounds,
// the 6 x 6 corner pictures that shape the bitmap-shaped windows, side panels, the four pictures
// (normal, hot, down, disabled) of every image button, list icons and the application icons.
//
// Each program has one look (`RecorderLook`, `RipperLook`); every picture of its windows is drawn
// from that look, so the windows belong together. A window's pictures are written by its art
// function (RecorderArt.cpp, PlayerArt.cpp, ToolsArt.cpp, RipperArt.cpp) through an `ArtWriter`,
// into `art/<program>/<name>.png`, which the windows' form descriptions name as
// ":/art/<program>/<name>.png".

#include <QColor>
#include <QImage>
#include <QSize>
#include <QString>
#include <QStringList>

#include <array>
#include <initializer_list>

class QPainter;
class QRectF;

namespace WindowArt {

struct ArtLook {
    QColor outside;        // what lies outside a shaped window: white, left out of the window
    QColor back1, back2;   // window background, top and bottom
    QColor panel1, panel2; // raised panels (side panel, list frames), top and bottom
    QColor well;           // sunken displays (spectrum, meters, player display)
    QColor edge;           // outlines of panels and buttons
    QColor face1, face2;   // button face, top and bottom
    QColor accent;         // the program's colour: hot outlines, progress, selection
    QColor glyph;          // marks on buttons
    QColor glyphHot;       // marks under the mouse
    QColor glyphDisabled;  // marks of disabled buttons
    QColor record;         // the record mark
    QColor text;           // captions drawn on the art
    int radius = 4;        // corner radius of buttons
};

ArtLook RecorderLook();
ArtLook RipperLook();

// Marks drawn on image buttons and icons.
enum class Glyph {
    None,
    Record,
    Stop,
    Play,
    Pause,
    Previous,
    Next,
    Rewind, // back to the start
    Folder,
    Options, // a gear
    Player,  // a note
    Help,    // "?"
    Mail,    // an envelope
    Minimize,
    Close,
    Home,
    Split,   // scissors-like cut mark
    Join,    // two arrows meeting
    Reorder, // up and down arrows
    Up,
    Down,
    Add,
    Remove,
    Eject,
    Lock,
    Unlock,
    Refresh,
    Extract, // an arrow into a tray
    Cancel,
    Speaker,
    SpeakerMuted,
    Equalizer,
    Disc,
    Recorder, // a microphone
    Ripper,   // a disc with an arrow
    Mark,     // a flag on a pole
    Check,
};

// Draws `glyph` centred in `r`, in `color`, with antialiasing.
void DrawGlyph(QPainter& p, Glyph glyph, const QRectF& r, const QColor& color);

enum class ButtonState { Normal, Hot, Down, Disabled };

// One picture of an image button of `size`, standing on `matte` (the colour under the button in
// the window), so the rounded corners blend into what surrounds them.
QImage ImageButton(const ArtLook& look, QSize size, Glyph glyph, ButtonState state, const QColor& matte,
                   const QString& caption = {});

// A corner picture of a shaped window: 0 top left, 1 top right, 2 bottom left, 3 bottom right.
// The part outside the rounded corner is `look.outside`; the rest is the window's edge colour.
QImage Corner(const ArtLook& look, int which, int size = 6);

// The window background: a soft vertical gradient with a one-pixel edge.
QImage WindowBackground(const ArtLook& look, QSize size);
// A raised panel (side panel, frames) and a sunken display well.
QImage RaisedPanel(const ArtLook& look, QSize size);
QImage Well(const ArtLook& look, QSize size);

// A small list icon: a rounded tag in `tag` with a short text (the format icons "WAV", "MP3" ...).
QImage TagIcon(const QString& text, const QColor& tag, int size = 16);
// The application icon of a program, 64 x 64 on transparent.
QImage AppIcon(const ArtLook& look, Glyph glyph);
// The mark at the left of a window's title: the glyph in the look's accent, 20 x 20 on transparent.
QImage TitleMark(const ArtLook& look, Glyph glyph);

// Where a form places an image button, and what it shows.
struct ButtonSpot {
    const char* name;
    int x, y, w, h;
    Glyph glyph;
    const char* caption;
};

// Writes pictures into art/<program>/ of the output folder and lists them for the resources.
class ArtWriter {
public:
    ArtWriter(const QString& outFolder, const QString& program, QStringList& files);

    bool ok() const { return m_ok; }
    // art/<program>/<name>.png
    void Picture(const QString& name, const QImage& image);
    // The four pictures of an image button: <name>_normal, <name>_hot, <name>_down, <name>_disabled.
    void Button(const QString& name, const ArtLook& look, QSize size, Glyph glyph, const QColor& matte,
                const QString& caption = {});
    // The four corner pictures imgLT, imgRT, imgLD, imgRD of a bitmap-shaped window.
    void Corners(const ArtLook& look);
    // The buttons of a window, each standing on `background` where its form places it.
    void ButtonsOn(const QImage& background, const ArtLook& look, std::initializer_list<ButtonSpot> spots);

private:
    QString m_folder;
    QString m_program;
    QStringList& m_files;
    bool m_ok = true;
};

// Each program's windows; each writes the pictures its windows name.
void WriteRecorderArt(const QString& outFolder, QStringList& files, bool& ok);
void WritePlayerArt(const QString& outFolder, QStringList& files, bool& ok);
void WriteToolsArt(const QString& outFolder, QStringList& files, bool& ok);
void WriteRipperArt(const QString& outFolder, QStringList& files, bool& ok);

} // namespace WindowArt
