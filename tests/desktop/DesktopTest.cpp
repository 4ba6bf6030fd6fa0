// Both programs on a desktop, driven as a user drives them: the built programs started on a private
// X server with a window manager (openbox), the mouse and keyboard worked through xdotool. Typing
// into every kind of box (read back from the settings the programs save), where windows and open
// lists appear, moving the shaped main windows, what the window manager may do with the windows,
// double clicks on the skinned captions.
//
// Where a control lies inside its window is taken from the same window built here, off screen,
// from its form description; the place and size of every window on the desktop from the X server.
#include "tests/support/XWindowProbe.h"
#include "tests/support/XvfbServer.h"

#include "platform/FormClassRegistry.h"
#include "platform/ProfileFile.h"
#include "recorder/RecorderWindows.h"
#include "ripper/RipperWindows.h"
#include "skin/SKPageControl.h"
#include "skin/SKTabControl.h"
#include "skin/SKTitleBar.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QProcess>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QTemporaryDir>
#include <QThread>

#include <gtest/gtest.h>
#include <iostream>

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
        QFile conf(dir.filePath("asound.conf"));
        ASSERT_TRUE(conf.open(QIODevice::WriteOnly));
        conf.write("pcm.null { type null }\npcm.line { type file slave.pcm null file \"/dev/null\" infile "
                   "\"/dev/zero\" format \"raw\" hint { show on description \"Test line\" } }\n");
    }
    void TearDown() override {
        if (program.state() != QProcess::NotRunning) {
            program.kill();
            program.waitForFinished(3000);
        }
    }

    QString Bin(const QString& name) const { return dir.filePath("bin/" + name); }

    void Launch(const QString& name) {
        QProcessEnvironment env = QProcessEnvironment::systemEnvironment();
        env.insert("DISPLAY", server.Display());
        env.insert("QT_QPA_PLATFORM", "xcb");
        env.insert("XDG_RUNTIME_DIR", dir.path()); // its own single-instance lock
        env.insert("XDG_CONFIG_HOME", dir.filePath("config"));
        env.insert("ALSA_CONFIG_PATH", dir.filePath("asound.conf"));
        program.setProcessEnvironment(env);
        program.setProcessChannelMode(QProcess::ForwardedChannels);
        program.start(Bin(name), {});
        ASSERT_TRUE(program.waitForStarted(5000));
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
    bool Gone(unsigned long window) {
        return WaitFor([&] {
            return Xdo({"search", "--onlyvisible", "--name", "."})
                       .split('\n')
                       .indexOf(QString::number(window)) < 0;
        });
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
    Launch("Duzivuz");
    const unsigned long ripper = Window("Duzivuz 3.0");
    ASSERT_NE(ripper, 0ul) << "the main window did not appear";
    QRect at = Geometry(ripper);
    EXPECT_EQ(at.size(), QSize(700, 502));
    ExpectCentredOnScreen(at);

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
    const QRect first = Geometry(dialog);
    ExpectCentredOnScreen(first);
    Key("Escape");
    ASSERT_TRUE(Gone(dialog));
    Click(at.topLeft() + main.Centre("btnOptions"));
    dialog = Window("Duzivuz 3.0 Options");
    ASSERT_NE(dialog, 0ul);
    EXPECT_EQ(Geometry(dialog), first);
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
    Click(origin + options.Centre("edtFreeDBTimeOut"));
    Replace("5000");
    Key("Tab");
    Replace("8880");
    Click(origin + options.Tab("tsID3"));
    Click(origin + options.Centre("edtRComments"));
    Replace("ripped at home");
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
    Launch("Videzeva");
    const unsigned long recorder = Window("Ridezo MP3 Recorder");
    ASSERT_NE(recorder, 0ul) << "the main window did not appear";
    QRect at = Geometry(recorder);
    ExpectCentredOnScreen(at);
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
    Click(origin + options.Centre("edSubject"));
    Replace("Take a look");
    Click(origin + options.Centre("memoBody"));
    Replace("Hello");
    Click(origin + options.Tab("tsSave"));
    Click(origin + options.Tab("tsRecorder"));
    Click(origin + options.Centre("edPreName"));
    Replace("Take");
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
