// Both programs on a desktop, driven as a user drives them: the built programs started on a private
// X server with a window manager (openbox), the mouse and keyboard worked through xdotool. Typing
// into every kind of box (read back from the settings the programs save), where windows and open
// lists appear, moving the shaped main windows, what the window manager may do with the windows,
// double clicks on the skinned captions, a split at a time typed into the splitter.
//
// Where a control lies inside its window is taken from the same window built here, off screen,
// from its form description; the place and size of every window on the desktop from the X server.
#include "tests/support/ProgramOnX.h"
#include "tests/support/XWindowProbe.h"
#include "tests/support/XvfbServer.h"

#include "platform/FormClassRegistry.h"
#include "platform/ProfileFile.h"
#include "recorder/RecorderWindows.h"
#include "ripper/RipperWindows.h"
#include "skin/SKPageControl.h"
#include "skin/SKTabControl.h"
#include "skin/SKTitleBar.h"

#include <QDataStream>
#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <functional>
#include <memory>

namespace {

constexpr QSize kScreen(1280, 1024);

// The share of pixels two pictures of one size have alike (within a few steps of colour).
double Likeness(const QImage& a, const QImage& b) {
    if (a.size() != b.size() || a.isNull()) return 0;
    qsizetype alike = 0;
    for (int y = 0; y < a.height(); ++y)
        for (int x = 0; x < a.width(); ++x) {
            const QRgb p = a.pixel(x, y), q = b.pixel(x, y);
            alike += std::abs(qRed(p) - qRed(q)) <= 24 && std::abs(qGreen(p) - qGreen(q)) <= 24 &&
                     std::abs(qBlue(p) - qBlue(q)) <= 24;
        }
    return double(alike) / double(a.width() * a.height());
}

bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 15000) {
    QElapsedTimer clock;
    clock.start();
    while (!condition()) {
        if (clock.elapsed() > timeoutMs) return false;
        QThread::msleep(30);
    }
    return true;
}

// A WAV file of `seconds` seconds of a quiet tone, 8 kHz mono 16-bit.
bool WriteWav(const QString& path, int seconds) {
    constexpr int kRate = 8000;
    QByteArray samples;
    QDataStream data(&samples, QIODevice::WriteOnly);
    data.setByteOrder(QDataStream::LittleEndian);
    for (int i = 0; i < seconds * kRate; ++i)
        data << qint16(2000 * std::sin(2 * M_PI * 440 * i / kRate));
    QByteArray head;
    QDataStream h(&head, QIODevice::WriteOnly);
    h.setByteOrder(QDataStream::LittleEndian);
    h.writeRawData("RIFF", 4);
    h << quint32(36 + samples.size());
    h.writeRawData("WAVEfmt ", 8);
    h << quint32(16) << quint16(1) << quint16(1) << quint32(kRate) << quint32(2 * kRate) << quint16(2)
      << quint16(16);
    h.writeRawData("data", 4);
    h << quint32(samples.size());
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(head + samples) == head.size() + samples.size();
}

// The length in milliseconds of the sound of a WAV file (its data over its byte rate); -1 when it
// cannot be read.
qint64 WavMs(const QString& path) {
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) return -1;
    QDataStream in(&file);
    in.setByteOrder(QDataStream::LittleEndian);
    char id[4];
    quint32 size = 0, byteRate = 0;
    if (in.readRawData(id, 4) != 4 || QByteArray(id, 4) != "RIFF") return -1;
    in.skipRawData(8);
    while (in.readRawData(id, 4) == 4) {
        in >> size;
        if (QByteArray(id, 4) == "fmt ") {
            in.skipRawData(8);
            in >> byteRate;
            in.skipRawData(int(size) - 12);
        } else if (QByteArray(id, 4) == "data") {
            return byteRate > 0 ? qint64(size) * 1000 / byteRate : -1;
        } else {
            in.skipRawData(int(size + (size & 1)));
        }
    }
    return -1;
}

// Where a control is inside its window: the window built off screen from its description.
class Layout {
public:
    explicit Layout(const QString& form) {
        RegisterRecorderWindows();
        RegisterRipperWindows();
        const FormWindowRegistry::Factory factory = FormWindowRegistry::find(form);
        if (factory) m_window.reset(factory());
        if (m_window) m_window->ensurePolished();
    }
    bool IsValid() const { return m_window != nullptr; }
    // The middle of a control, in its window's coordinates.
    QPoint Centre(const QString& name, QPoint offset = {}) const {
        const QWidget* w = m_window->findChild<QWidget*>(name);
        if (!w) return {-1, -1};
        const QPoint at = offset.isNull() ? w->rect().center() : offset;
        return w->mapTo(m_window.get(), at);
    }
    QRect Rect(const QString& name) const {
        const QWidget* w = m_window->findChild<QWidget*>(name);
        return w ? QRect(w->mapTo(m_window.get(), QPoint(0, 0)), w->size()) : QRect();
    }
    // A point on the tab of a page, in its window's coordinates.
    QPoint Tab(const QString& sheetName) const {
        auto* sheet = m_window->findChild<TskTabSheet*>(sheetName);
        if (!sheet || !sheet->PageControl()) return {-1, -1};
        auto* strip =
            sheet->PageControl()->findChild<TskTabControlTopPanel*>(QString(), Qt::FindDirectChildrenOnly);
        if (!strip) return {-1, -1};
        strip->Render(); // the tabs measure themselves as they are drawn
        const int index = sheet->PageIndex();
        for (int x = 0; x < strip->width(); ++x) {
            const QPoint p(x, strip->height() / 2);
            if (strip->TabAt(p) == index) return strip->mapTo(m_window.get(), p + QPoint(8, 0));
        }
        return {-1, -1};
    }
    // The middle of the window menu's button (the control box) on the title bar.
    QPoint ControlBox() const {
        auto* bar = m_window->findChild<TskTitleBar*>();
        if (!bar) return {-1, -1};
        for (int i = 0; i < bar->Buttons()->Count(); ++i)
            if (bar->Buttons()->Items(i)->ButtonType() == skControlBox && bar->Buttons()->Items(i)->Visible())
                return bar->mapTo(m_window.get(), bar->ButtonRect(i).center());
        return {-1, -1};
    }
    QSize Size() const { return m_window->size(); }
    // The height a one-line label of the window takes.
    int LabelHeight(const QString& name) const {
        const QWidget* w = m_window->findChild<QWidget*>(name);
        return w ? w->fontMetrics().height() : -1;
    }
    // The window as it draws itself.
    QImage Image() const { return m_window->grab().toImage().convertToFormat(QImage::Format_RGB32); }

private:
    std::unique_ptr<QWidget> m_window;
};

// One desktop with one program of its own: the programs copied into a folder of the test's own,
// where they keep their settings.
class Desktop : public ::testing::Test {
protected:
    void SetUp() override {
        const QString why = server.Start();
        if (!why.isEmpty()) GTEST_SKIP() << "no desktop to try the programs on: " << why.toStdString();
        if (QStandardPaths::findExecutable("xdotool").isEmpty()) GTEST_SKIP() << "xdotool is not installed";
        probe = std::make_unique<XWindowProbe>(server.Display());
        ASSERT_TRUE(probe->IsOpen());
        ASSERT_TRUE(QDir(dir.path()).mkpath("bin"));
        ASSERT_TRUE(QDir(dir.path()).mkpath("config"));
        for (const char* program : {"Videzeva", "Duzivuz"})
            ASSERT_TRUE(QFile::copy(QStringLiteral(SUITE_BIN_DIR "/") + program, Bin(program)));
    }
    void TearDown() override { EndsBy(program, 0); }

    QString Bin(const QString& name) const { return dir.filePath("bin/" + name); }

    // Starts the program from its folder and waits for its main window, which opens centred on the
    // screen; 0 when it did not appear.
    unsigned long Launch(const QString& name, const QString& title) {
        const QString failed = StartOnX(
            program, {Bin(name), server.Display(), dir.path(), kTestLineDevices, dir.filePath("config")});
        EXPECT_TRUE(failed.isEmpty()) << failed.toStdString();
        if (!failed.isEmpty()) return 0;
        const unsigned long window = Window(title);
        if (window) ExpectCentredOnScreen(Geometry(window));
        return window;
    }

    QString Xdo(const QStringList& arguments) {
        QProcess xdo;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", server.Display());
        xdo.setProcessEnvironment(env);
        xdo.start(QStandardPaths::findExecutable("xdotool"), arguments);
        xdo.waitForFinished(10000);
        return QString::fromUtf8(xdo.readAllStandardOutput()).trimmed();
    }

    // The visible top-level window whose title is `title` (Qt adds " — <program>" to a title that
    // does not name the program), waiting for it.
    unsigned long Window(const QString& title, int timeoutMs = 20000) {
        const QString pattern = "^" + QRegularExpression::escape(title) + "( \u2014 .*)?$";
        unsigned long found = 0;
        WaitFor(
            [&] {
                const QStringList ids = Xdo({"search", "--onlyvisible", "--name", pattern}).split('\n');
                for (const QString& id : ids) {
                    const unsigned long w = id.toULong();
                    if (w && probe->Geometry(w).width() > 1) found = w;
                }
                return found != 0;
            },
            timeoutMs);
        return found;
    }
    bool Gone(unsigned long window, int timeoutMs = 15000) {
        return WaitFor(
            [&] {
                return Xdo({"search", "--onlyvisible", "--name", "."})
                           .split('\n')
                           .indexOf(QString::number(window)) < 0;
            },
            timeoutMs);
    }

    QRect Geometry(unsigned long window) { return probe->Geometry(window); }
    bool GeometryBecomes(unsigned long window, const QRect& expected) {
        return WaitFor([&] { return Geometry(window) == expected; });
    }

    void MoveTo(const QPoint& at) { Xdo({"mousemove", QString::number(at.x()), QString::number(at.y())}); }
    void Click(const QPoint& at, int count = 1) {
        MoveTo(at);
        Xdo({"click", "--repeat", QString::number(count), "--delay", "80", "1"});
    }
    // Presses at `from`, moves in steps to `to` with the button held, releases there.
    void Drag(const QPoint& from, const QPoint& to) {
        MoveTo(from);
        Xdo({"mousedown", "1"});
        for (int i = 1; i <= 8; ++i) {
            MoveTo(from + (to - from) * i / 8);
            QThread::msleep(40);
        }
        Xdo({"mouseup", "1"});
    }
    void Type(const QString& text) { Xdo({"type", "--delay", "40", text}); }
    void Key(const QString& keys) { Xdo({"key", "--delay", "40", keys}); }
    // Empties the focused box and types `text` into it.
    void Replace(const QString& text) {
        Key("ctrl+a");
        Key("BackSpace");
        Type(text);
    }
    // Clicks into the box at `at`, empties it and types `text` into it.
    void TypeInto(const QPoint& at, const QString& text) {
        Click(at);
        Replace(text);
    }

    // The window's centre lies on the screen's centre.
    static void ExpectCentredOnScreen(const QRect& window) {
        const QPoint screen(kScreen.width() / 2, kScreen.height() / 2);
        EXPECT_LE((window.center() - screen).manhattanLength(), 2)
            << "window at " << window.x() << "," << window.y() << " " << window.width() << "x"
            << window.height();
    }

    // Asks the window manager for something about the window, then moves the window by the window
    // manager too: once the move shows, the window manager has dealt with the request before it.
    QRect AfterWindowManager(unsigned long window, const std::function<void()>& request) {
        request();
        const QRect before = Geometry(window);
        const QPoint target = before.topLeft() + QPoint(11, 7);
        Xdo({"windowmove", QString::number(window), QString::number(target.x()),
             QString::number(target.y())});
        WaitFor([&] { return Geometry(window).topLeft() == target; });
        return Geometry(window);
    }

    // The window the window manager is told owns `window` (WM_TRANSIENT_FOR); 0 when none.
    unsigned long Owner(unsigned long window) {
        QProcess xprop;
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", server.Display());
        xprop.setProcessEnvironment(env);
        xprop.start(QStandardPaths::findExecutable("xprop"),
                    {"-id", QString::number(window), "WM_TRANSIENT_FOR"});
        xprop.waitForFinished(5000);
        const QRegularExpressionMatch id = QRegularExpression("window id # (0x[0-9a-fA-F]+)")
                                               .match(QString::fromUtf8(xprop.readAllStandardOutput()));
        return id.hasMatch() ? id.captured(1).toULong(nullptr, 16) : 0;
    }

    std::map<QString, QString> Settings(const QString& file, const QString& section,
                                        const QStringList& keys) {
        std::map<QString, QString> values;
        ProfileFile ini(Bin(file));
        for (const QString& key : keys)
            values[key] = ini.readString(section, key, QStringLiteral("(none)"));
        return values;
    }
    bool SettingBecomes(const QString& file, const QString& section, const QString& key,
                        const QString& value) {
        return WaitFor([&] { return Settings(file, section, {key})[key] == value; });
    }

    XvfbServer server{XvfbServer::WithWindowManager};
    QTemporaryDir dir;
    QProcess program;
    std::unique_ptr<XWindowProbe> probe;
};

} // namespace

TEST_F(Desktop, RipperTypingPlacesMovesAndSizeLimits) {
    const Layout main(":/forms/Duzivuz/Main.form");
    const Layout options(":/forms/Duzivuz/Options.form");
    ASSERT_TRUE(main.IsValid() && options.IsValid());
    const unsigned long ripper = Launch("Duzivuz", "Duzivuz 3.0");
    ASSERT_NE(ripper, 0ul) << "the main window did not appear";
    QRect at = Geometry(ripper);
    EXPECT_EQ(at.size(), QSize(700, 502));

    // The window manager neither sizes nor maximises a window of a fixed size.
    at = AfterWindowManager(ripper, [&] { Xdo({"windowsize", QString::number(ripper), "300", "200"}); });
    EXPECT_EQ(at.size(), QSize(700, 502)) << "the window manager sized it";
    at = AfterWindowManager(ripper, [&] { probe->AskToMaximise(ripper); });
    EXPECT_EQ(at.size(), QSize(700, 502)) << "the window manager maximised it";

    // It moves by its caption, its title picture and its background.
    for (const QPoint& grip : {main.Centre("titleMain"), main.Centre("imgTitle"), QPoint(500, 16)}) {
        at = Geometry(ripper);
        Drag(at.topLeft() + grip, at.topLeft() + grip + QPoint(-60, 45));
        EXPECT_TRUE(GeometryBecomes(ripper, at.translated(-60, 45)))
            << "not moved by " << grip.x() << "," << grip.y() << ": at " << Geometry(ripper).x() << ","
            << Geometry(ripper).y();
    }

    // The options window opens centred, every time.
    at = Geometry(ripper);
    Click(at.topLeft() + main.Centre("btnOptions"));
    unsigned long dialog = Window("Duzivuz 3.0 Options");
    ASSERT_NE(dialog, 0ul) << "the options window did not appear";
    QRect first;
    WaitFor([&] {
        first = Geometry(dialog);
        return (first.center() - QPoint(kScreen.width() / 2, kScreen.height() / 2)).manhattanLength() <= 2;
    });
    ExpectCentredOnScreen(first);
    Key("Escape");
    ASSERT_TRUE(Gone(dialog));
    Click(at.topLeft() + main.Centre("btnOptions"));
    dialog = Window("Duzivuz 3.0 Options");
    ASSERT_NE(dialog, 0ul);
    // The window shows before the window manager has reported its place: waited for, not read once.
    EXPECT_TRUE(GeometryBecomes(dialog, first))
        << "second opening at " << Geometry(dialog).x() << "," << Geometry(dialog).y();
    const QPoint origin = Geometry(dialog).topLeft();

    // The server list opens right under its box; a key chooses in it.
    Click(origin + options.Centre("cmbFreeDBServer"));
    const QRect box = options.Rect("cmbFreeDBServer").translated(origin);
    ASSERT_TRUE(WaitFor([&] { return !probe->Popups().isEmpty(); })) << "no list opened";
    const QRect list = probe->Popups().first();
    EXPECT_EQ(list.topLeft(), box.bottomLeft() + QPoint(0, 1));
    Key("Home");
    Key("Return");
    ASSERT_TRUE(WaitFor([&] { return probe->Popups().isEmpty(); }));

    // Typing into the boxes, Tab from the time-out to the port, a tag text on its own page.
    TypeInto(origin + options.Centre("edtFreeDBTimeOut"), "5000");
    Key("Tab");
    Replace("8880");
    Click(origin + options.Tab("tsID3"));
    TypeInto(origin + options.Centre("edtRComments"), "ripped at home");
    Click(origin + options.Centre("btnOptionOk"));
    ASSERT_TRUE(Gone(dialog));
    EXPECT_TRUE(SettingBecomes("DuzivuzCfg.ini", "FreeDB", "Port", "8880"));
    const auto saved = Settings("DuzivuzCfg.ini", "FreeDB", {"Server", "TimeOut"});
    EXPECT_EQ(saved.at("Server"), "0");
    EXPECT_EQ(saved.at("TimeOut"), "5000");

    // The tag text is kept when the program ends.
    at = Geometry(ripper);
    Click(at.topLeft() + main.Centre("btnAppClose"));
    ASSERT_TRUE(program.waitForFinished(15000));
    EXPECT_EQ(Settings("DuzivuzCfg.ini", "RSettings", {"RComments"}).at("RComments"), "ripped at home");
}

TEST_F(Desktop, RecorderTypingDoubleClicksAndAClickThatMustNotMove) {
    const Layout main(":/forms/Videzeva/Main.form");
    const Layout options(":/forms/Videzeva/Options.form");
    ASSERT_TRUE(main.IsValid() && options.IsValid());
    const unsigned long recorder = Launch("Videzeva", "Ridezo MP3 Recorder");
    ASSERT_NE(recorder, 0ul) << "the main window did not appear";
    QRect at = Geometry(recorder);
    const QSize size = at.size();
    at = AfterWindowManager(recorder, [&] { probe->AskToMaximise(recorder); });
    EXPECT_EQ(at.size(), size) << "the window manager maximised it";

    // Its background moves it.
    Drag(at.topLeft() + QPoint(450, 16), at.topLeft() + QPoint(400, 60));
    EXPECT_TRUE(GeometryBecomes(recorder, at.translated(-50, 44)));
    at = Geometry(recorder);

    Click(at.topLeft() + main.Centre("btnOptions"));
    unsigned long dialog = Window("Ridezo MP3 Recorder Options");
    ASSERT_NE(dialog, 0ul) << "the options window did not appear";
    // The window manager knows the main window owns it (it keeps it above and places it by it).
    EXPECT_EQ(Owner(dialog), recorder);
    const QRect normal = Geometry(dialog);
    ExpectCentredOnScreen(normal);

    // The screen shows it as it draws itself, though it opens wholly over the main window (a
    // window that never painted, or painted before it was shown and not again, leaves black or
    // the main window there: under a tenth alike).
    const QImage drawn = options.Image();
    double shown = 0;
    WaitFor([&] { return (shown = Likeness(probe->Screen().copy(normal), drawn)) > 0.9; }, 5000);
    EXPECT_GT(shown, 0.9) << "the screen does not show the options window as it draws itself";

    // A double click on its caption maximises it, another one restores it.
    const QPoint caption = normal.topLeft() + QPoint(normal.width() / 2, 8);
    Click(caption, 2);
    EXPECT_TRUE(GeometryBecomes(dialog, QRect(QPoint(0, 0), kScreen)))
        << "at " << Geometry(dialog).width() << "x" << Geometry(dialog).height();
    Click(QPoint(kScreen.width() / 2, 8), 2);
    EXPECT_TRUE(GeometryBecomes(dialog, normal))
        << "not restored: at " << Geometry(dialog).x() << "," << Geometry(dialog).y() << " "
        << Geometry(dialog).width() << "x" << Geometry(dialog).height();

    // Typing: the mail subject and body, the file-name prefix.
    const QPoint origin = Geometry(dialog).topLeft();
    Click(origin + options.Tab("tsEMail"));
    TypeInto(origin + options.Centre("edSubject"), "Take a look");
    TypeInto(origin + options.Centre("memoBody"), "Hello");
    Click(origin + options.Tab("tsSave"));
    Click(origin + options.Tab("tsRecorder"));
    TypeInto(origin + options.Centre("edPreName"), "Take");
    // Escape with a list open closes the list only: the window and what was typed stay.
    Click(origin + options.Tab("tsFormat"));
    const QRect frequencies = options.Rect("cboxWavFreq").translated(origin);
    Click(QPoint(frequencies.right() - 6, frequencies.center().y()));
    ASSERT_TRUE(WaitFor([&] { return !probe->Popups().isEmpty(); })) << "no list opened";
    Key("Escape");
    EXPECT_TRUE(WaitFor([&] { return probe->Popups().isEmpty(); })) << "the list stayed open";
    ASSERT_FALSE(WaitFor([&] { return Gone(dialog, 0); }, 1000)) << "Escape closed the window under the list";
    Click(origin + options.Centre("btnOptionOk"));
    ASSERT_TRUE(Gone(dialog));
    EXPECT_TRUE(SettingBecomes("VidezevaCfg.ini", "Mail", "Subject", "Take a look"));
    EXPECT_EQ(Settings("VidezevaCfg.ini", "Mail", {"Body"}).at("Body"), "48656C6C6F"); // "Hello"
    EXPECT_EQ(Settings("VidezevaCfg.ini", "OutputPath", {"PreName"}).at("PreName"), "Take");

    // Left with Escape, then a click on the main window's status line: the window stays where it
    // is while the mouse moves on with no button held.
    Click(at.topLeft() + main.Centre("btnOptions"));
    dialog = Window("Ridezo MP3 Recorder Options");
    ASSERT_NE(dialog, 0ul);
    Key("Escape");
    ASSERT_TRUE(Gone(dialog));
    Click(at.topLeft() + main.Centre("Label1"));
    MoveTo(at.topLeft() + main.Centre("Label1") + QPoint(120, -90));
    EXPECT_FALSE(WaitFor([&] { return Geometry(recorder) != at; }, 1000)) << "the window followed the mouse";

    // A double click on the control box closes the window (the click before it opens its menu).
    Click(at.topLeft() + main.Centre("btnOptions"));
    dialog = Window("Ridezo MP3 Recorder Options");
    ASSERT_NE(dialog, 0ul);
    ASSERT_GE(options.ControlBox().x(), 0) << "no window menu on the caption";
    Click(Geometry(dialog).topLeft() + options.ControlBox(), 2);
    EXPECT_TRUE(Gone(dialog)) << "the double click did not close the window";
    EXPECT_TRUE(WaitFor([&] { return probe->Popups().isEmpty(); })) << "a menu stayed open";
}

// Every fresh start of the ripper opens its lists at their boxes. The window manager frames a new
// window before it moves the frame to the window's place, and a place Qt reads in between stays
// its record of the window (0,0): the list then opened at the box's place inside the window.
TEST_F(Desktop, RipperListsOpenAtTheirBoxesInEveryStart) {
    const Layout main(":/forms/Duzivuz/Main.form");
    ASSERT_TRUE(main.IsValid());
    // A disc in the drive, so that the lists can be opened.
    QFile image(dir.filePath("disc.bin"));
    ASSERT_TRUE(image.open(QIODevice::WriteOnly));
    image.write(QByteArray(2352 * 300, '\0'));
    image.close();
    QFile cue(dir.filePath("disc.cue"));
    ASSERT_TRUE(cue.open(QIODevice::WriteOnly));
    cue.write("FILE \"disc.bin\" BINARY\n  TRACK 01 AUDIO\n    INDEX 01 00:00:00\n");
    cue.close();
    ASSERT_TRUE(QDir().mkpath(dir.filePath("config/AudioCDGrabber")));
    QFile drives(dir.filePath("config/AudioCDGrabber/drives.list"));
    ASSERT_TRUE(drives.open(QIODevice::WriteOnly));
    drives.write(cue.fileName().toUtf8() + "\n");
    drives.close();

    for (int start = 1; start <= 4; ++start) {
        const unsigned long ripper = Launch("Duzivuz", "Duzivuz 3.0");
        ASSERT_NE(ripper, 0ul) << "the main window did not appear in start " << start;
        const QRect at = Geometry(ripper);
        const QRect box = main.Rect("cboxROutputFormat").translated(at.topLeft());
        // The format button drops the list down once the drive is read.
        QList<QRect> lists;
        for (int attempt = 0; attempt < 20 && lists.isEmpty(); ++attempt) {
            Click(at.topLeft() + main.Centre("btnOutput"));
            WaitFor([&] { return !(lists = probe->Popups()).isEmpty(); }, 1000);
        }
        ASSERT_FALSE(lists.isEmpty()) << "no list opened in start " << start;
        EXPECT_EQ(lists.first().topLeft(), box.bottomLeft() + QPoint(0, 1))
            << "start " << start << ": window at " << at.x() << "," << at.y() << ", list at "
            << lists.first().x() << "," << lists.first().y();
        Key("Escape");
        ASSERT_TRUE(WaitFor([&] { return probe->Popups().isEmpty(); }));
        Click(at.topLeft() + main.Centre("btnAppClose"));
        ASSERT_TRUE(program.waitForFinished(15000)) << "start " << start;
    }
}

// The splitter's go-to boxes take a typed time. The player opens the splitter on a file of the
// output folder; minutes, seconds and milliseconds typed into the three boxes place the cut, and
// the two pieces split there are as long as the typed time says.
TEST_F(Desktop, SplitterCutsAtTheTypedTime) {
    const Layout main(":/forms/Videzeva/Main.form");
    const Layout player(":/forms/Videzeva/Player.form");
    const Layout splitter(":/forms/Videzeva/Splitter.form");
    ASSERT_TRUE(main.IsValid() && player.IsValid() && splitter.IsValid());
    const QString audio = dir.filePath("audio");
    ASSERT_TRUE(QDir().mkpath(audio));
    ASSERT_TRUE(WriteWav(audio + "/take.wav", 70));
    QFile settings(Bin("VidezevaCfg.ini"));
    ASSERT_TRUE(settings.open(QIODevice::WriteOnly));
    settings.write(("[OutputPath]\nOutputPath=" + audio + "\nSplitOutputPath=" + audio + "\n").toUtf8());
    settings.close();
    const unsigned long recorder = Launch("Videzeva", "Ridezo MP3 Recorder");
    ASSERT_NE(recorder, 0ul) << "the main window did not appear";

    Click(Geometry(recorder).topLeft() + main.Centre("btnPlayer"));
    const unsigned long list = Window("Ridezo MP3 Player");
    ASSERT_NE(list, 0ul) << "the player did not appear";
    QPoint origin = Geometry(list).topLeft();
    // The file's row chosen with the keyboard, in the list focused by a click below its rows. The
    // list is filled while the window shows: until the row is there, the player asks for a file.
    unsigned long window = 0;
    for (int attempt = 0; attempt < 5 && !window; ++attempt) {
        Click(origin + player.Rect("lvPlayList").bottomLeft() + QPoint(60, -12));
        Key("Home");
        Click(origin + player.Centre("btnSplitter"));
        window = Window("Ridezo mp3 recorder: Splitter", 3000);
        if (const unsigned long asked = window ? 0 : Window("Message", 1000)) {
            Key("Escape");
            ASSERT_TRUE(Gone(asked));
        }
    }
    ASSERT_NE(window, 0ul) << "the splitter did not appear";
    origin = Geometry(window).topLeft();

    TypeInto(origin + splitter.Centre("numGotoMin"), "001");
    TypeInto(origin + splitter.Centre("numGotoSec"), "02");
    TypeInto(origin + splitter.Centre("numGotoMs"), "250");
    Click(origin + splitter.Centre("btnGoto"));
    Click(origin + splitter.Centre("btnAddTime"));
    Click(origin + splitter.Centre("btnSplit"));
    const unsigned long told = Window("Message"); // "Split finished"
    ASSERT_NE(told, 0ul) << "the split did not end";
    // A short message's window is 220 wide and its label's height + 121 high on the screen, its
    // frame inside that: the outermost column shows the border line.
    const QRect message = Geometry(told);
    const Layout confirm(":/forms/Videzeva/Confirm.form");
    ASSERT_TRUE(confirm.IsValid());
    EXPECT_EQ(message.size(), QSize(220, confirm.LabelHeight("Label1") + 121));
    EXPECT_TRUE(WaitFor([&] {
        return (probe->Screen().pixel(message.left(), message.center().y()) & 0xFFFFFF) == 0x808080;
    })) << "no border line at the window's left edge";
    Key("Escape");
    EXPECT_TRUE(Gone(told));
    EXPECT_EQ(WavMs(audio + "/take-Splitted0.wav"), 62250);
    EXPECT_EQ(WavMs(audio + "/take-Splitted1.wav"), 7750);
}
