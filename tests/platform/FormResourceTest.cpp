#include "platform/FormResource.h"
#include "platform/Application.h"
#include "platform/UserMessages.h"
#include "platform/WindowMessages.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QLabel>
#include <QPushButton>
#include <QTemporaryDir>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

#include <stdexcept>
#include <string>

namespace {

// A control with published properties and an event, as the skin library's controls have.
class Knob : public QWidget {
    Q_OBJECT
    Q_PROPERTY(int Position READ position WRITE setPosition)
    Q_PROPERTY(Style UIStyle READ uiStyle WRITE setUIStyle)
    Q_PROPERTY(QColor Color READ color WRITE setColor)
    Q_PROPERTY(QStringList Items READ items WRITE setItems)
    Q_PROPERTY(QString Caption READ caption WRITE setCaption)
public:
    enum Style { MacOS, WinXP, DeepBlue };
    Q_ENUM(Style)
    using QWidget::QWidget;
    int position() const { return m_pos; }
    void setPosition(int p) {
        m_pos = p;
        Q_EMIT OnChange(p);
    }
    Style uiStyle() const { return m_style; }
    void setUIStyle(Style s) { m_style = s; }
    QColor color() const { return m_color; }
    void setColor(const QColor& c) { m_color = c; }
    QStringList items() const { return m_items; }
    void setItems(const QStringList& i) { m_items = i; }
    QString caption() const { return m_caption; }
    void setCaption(const QString& c) { m_caption = c; }
Q_SIGNALS:
    void OnChange(int position);

private:
    int m_pos = 0;
    Style m_style = DeepBlue;
    QColor m_color;
    QStringList m_items;
    QString m_caption;
};

// A non-visual component other objects point at.
class Theme : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
};

class Skinned : public QWidget {
    Q_OBJECT
    Q_PROPERTY(Theme* FileTheme READ fileTheme WRITE setFileTheme)
public:
    using QWidget::QWidget;
    Theme* fileTheme() const { return m_theme; }
    void setFileTheme(Theme* t) { m_theme = t; }

private:
    Theme* m_theme = nullptr;
};

class TestWindow : public QWidget {
    Q_OBJECT
public:
    int clicks = 0;
    int ticks = 0;
    QList<int> changes;
public Q_SLOTS:
    void btnGoClick() { ++clicks; }
    void kbVolumeChange(int p) { changes << p; }
    void tmTickTimer() { ++ticks; }
    void kbFailChange(int p) { throw std::runtime_error("No volume " + std::to_string(p)); }
};

// Embedded data and a picture, as a theme component and a shaped form hold them.
class Holder : public QObject {
    Q_OBJECT
    Q_PROPERTY(QByteArray Data MEMBER data)
    Q_PROPERTY(QImage Glyph MEMBER glyph)
public:
    using QObject::QObject;
    QByteArray data;
    QImage glyph;
};

const char* kForm = R"(
object frmTest: TfrmTest
  Caption = 'Duzivuz 3.0'
  ClientWidth = 699
  ClientHeight = 502
  object plSide: TPanel
    Left = 10
    Top = 20
    Width = 300
    Height = 200
    object btnGo: TButton
      Left = 5
      Top = 6
      Width = 70
      Height = 22
      Caption = 'It''s &Go'#13#10'now'
      Hint = 'Start extracting'
      OnClick = btnGoClick
    end
    object kbVolume: TKnob
      Position = 40
      UIStyle = WinXP
      Color = $000000FF
      Items = ('WAV' 'MP3' 'OGG' 'WMA')
      Caption = 'Volume'
      OnChange = kbVolumeChange
    end
  end
  object cboxGenre: TComboBox
    Items = ('Blues' 'Classic Rock')
    ItemIndex = 1
    Font.Style = [fsBold]
    Font.Height = -13
    Palette.Base = $00282B2F
    Palette.Disabled.Text = $0078818A
  end
  object tmTick: TTimer
    Interval = 30
    Enabled = False
    OnTimer = tmTickTimer
  end
end
)";

class FormResourceTest : public ::testing::Test {
protected:
    static void SetUpTestSuite() {
        FormClassRegistry::addWidget<Knob>("TKnob");
        FormClassRegistry::addWidget<QPushButton>("TButton");
        FormClassRegistry::addWidget<Skinned>("TSkinned");
        FormClassRegistry::addObject<Theme>("TTheme");
        FormClassRegistry::addObject<Holder>("THolder");
    }
};

} // namespace

TEST_F(FormResourceTest, BuildsTheTreeWithPropertiesAndBindsEventsAfterLoading) {
    TestWindow w;
    LoadFormDescription(&w, ParseFormDescription(kForm));
    EXPECT_EQ(w.windowTitle(), "Duzivuz 3.0");
    EXPECT_EQ(w.size(), QSize(699, 502));

    auto* btn = FormChild<QPushButton>(&w, "btnGo");
    EXPECT_EQ(btn->text(), "It's &Go\r\nnow");
    EXPECT_EQ(btn->toolTip(), "Start extracting");
    EXPECT_EQ(btn->geometry(), QRect(5, 6, 70, 22));
    EXPECT_EQ(btn->parentWidget()->objectName(), "plSide");
    btn->click();
    EXPECT_EQ(w.clicks, 1);

    auto* knob = FormChild<Knob>(&w, "kbVolume");
    EXPECT_EQ(knob->position(), 40);
    EXPECT_EQ(knob->uiStyle(), Knob::WinXP);
    EXPECT_EQ(knob->color(), QColor(255, 0, 0));
    EXPECT_EQ(knob->items(), QStringList({"WAV", "MP3", "OGG", "WMA"}));
    EXPECT_EQ(knob->caption(), "Volume");
    // Setting Position while loading fired no handler; afterwards the event is bound.
    EXPECT_TRUE(w.changes.isEmpty());
    knob->setPosition(7);
    EXPECT_EQ(w.changes, QList<int>{7});

    auto* genre = FormChild<QComboBox>(&w, "cboxGenre");
    EXPECT_EQ(genre->count(), 2);
    EXPECT_EQ(genre->currentIndex(), 1);
    EXPECT_TRUE(genre->font().bold());
    EXPECT_EQ(genre->font().pixelSize(), 13);
    // A palette colour for every group, or for the one group named.
    for (QPalette::ColorGroup group : {QPalette::Active, QPalette::Inactive, QPalette::Disabled})
        EXPECT_EQ(genre->palette().color(group, QPalette::Base), QColor(0x2F, 0x2B, 0x28));
    EXPECT_EQ(genre->palette().color(QPalette::Disabled, QPalette::Text), QColor(0x8A, 0x81, 0x78));
    EXPECT_NE(genre->palette().color(QPalette::Active, QPalette::Text), QColor(0x8A, 0x81, 0x78));

    auto* timer = FormChild<QTimer>(&w, "tmTick");
    EXPECT_EQ(timer->interval(), 30);
    EXPECT_FALSE(timer->isActive());
    EXPECT_EQ(timer->parent(), &w); // non-visual objects belong to the form
}

TEST_F(FormResourceTest, FaultsNameTheirLine) {
    auto message = [](const char* text) {
        try {
            TestWindow w;
            LoadFormDescription(&w, ParseFormDescription(text));
        } catch (const FormResourceError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(message("object a: T\n  Caption = 'x\nend").find("line 2"), std::string::npos);
    EXPECT_NE(message("object a: T\n  Caption = 'x'\n").find("'end' missing"), std::string::npos);
    EXPECT_NE(message("object a: T\n  object b: TNoSuchClass\n  end\nend").find("unknown class TNoSuchClass"),
              std::string::npos);
    EXPECT_NE(
        message("object a: T\n  object k: TKnob\n    Wobble = 3\n  end\nend").find("unknown property Wobble"),
        std::string::npos);
    EXPECT_NE(message("object a: T\n  object k: TKnob\n    UIStyle = Purple\n  end\nend")
                  .find("bad value for UIStyle"),
              std::string::npos);
    EXPECT_NE(message("object a: T\n  object k: TKnob\n    OnChange = nothingLikeThis\n  end\nend")
                  .find("no handler"),
              std::string::npos);
    EXPECT_NE(
        message("object a: T\n  object k: TKnob\n    OnWhatever = btnGoClick\n  end\nend").find("no event"),
        std::string::npos);
    EXPECT_NE(message("object a: T\nend\nend").find("after the last"), std::string::npos);
    EXPECT_EQ(message("object a: T\nend"), "no error");
}

TEST_F(FormResourceTest, ObjectReferencesResolveWhateverTheOrder) {
    TestWindow w;
    LoadFormDescription(&w, ParseFormDescription(R"(
object frm: TfrmTest
  object pnl: TSkinned
    FileTheme = themeMp10
  end
  object themeMp10: TTheme
  end
  object pnl2: TSkinned
  end
end
)"));
    EXPECT_EQ(FormChild<Skinned>(&w, "pnl")->fileTheme(), FormChild<Theme>(&w, "themeMp10"));
    EXPECT_EQ(FormChild<Skinned>(&w, "pnl2")->fileTheme(), nullptr);

    auto fails = [](const char* text) {
        TestWindow other;
        try {
            LoadFormDescription(&other, ParseFormDescription(text));
        } catch (const FormResourceError& e) {
            return std::string(e.what());
        }
        return std::string("no error");
    };
    EXPECT_NE(
        fails("object f: T\n object p: TSkinned\n FileTheme = nowhere\n end\nend").find("names no object"),
        std::string::npos);
    EXPECT_NE(fails("object f: T\n object p: TSkinned\n FileTheme = q\n end\n object q: TSkinned\n end\nend")
                  .find("cannot be q"),
              std::string::npos);
}

TEST_F(FormResourceTest, MissingObjectsAndResourcesAreReported) {
    TestWindow w;
    EXPECT_THROW(FindFormObject(&w, "nothing"), FormResourceError);
    EXPECT_THROW(LoadFormResource(&w, ":/forms/none.form"), FormResourceError);
}

std::string loadError(const QByteArray& text) {
    try {
        TestWindow w;
        LoadFormDescription(&w, ParseFormDescription(text));
    } catch (const FormResourceError& e) {
        return e.what();
    }
    return "no error";
}

// A handler that throws: the error is shown, the exception stops in the handler (the control that
// raised the event goes on, and so do the other receivers of the event), and so for a component
// event run on the user-interface thread.
TEST_F(FormResourceTest, HandlersAndComponentEventsRunInsideTheErrorGuard) {
    TScriptedMessages script;
    TestWindow w;
    LoadFormDescription(&w,
                        ParseFormDescription("object f: T\n  object k: TKnob\n    OnChange = kbFailChange\n"
                                             "  end\nend\n"));
    auto* knob = FormChild<Knob>(&w, "k");
    int later = 0;
    QObject::connect(knob, &Knob::OnChange, [&] { ++later; });
    EXPECT_NO_THROW(knob->setPosition(3));
    EXPECT_NO_THROW(knob->setPosition(4));
    EXPECT_EQ(script.Errors(), QStringList({"No volume 3", "No volume 4"}));
    EXPECT_EQ(later, 2);

    script.Clear();
    QObject context;
    int after = 0;
    RunOnUiThread(&context, [] { throw std::runtime_error("The device went away"); });
    RunOnUiThread(&context, [&] { ++after; });
    QCoreApplication::processEvents();
    EXPECT_EQ(script.All(), QStringList{"The device went away"});
    EXPECT_EQ(after, 1);
}

TEST_F(FormResourceTest, NestingIsBoundedWithAClearMessage) {
    const int deep = 40000;
    QByteArray objects;
    for (int i = 0; i < deep; ++i)
        objects += "object a: T\n";
    for (int i = 0; i < deep; ++i)
        objects += "end\n";
    const std::string tooDeep = loadError(objects);
    EXPECT_NE(tooDeep.find("line 65: nested deeper than 64 levels"), std::string::npos) << tooDeep;
    EXPECT_NE(loadError("object a: T\n  Items = " + QByteArray(deep, '(') + "\nend\n").find("nested deeper"),
              std::string::npos);

    // Real windows nest far less: 60 levels load.
    QByteArray fine;
    for (int i = 0; i < 60; ++i)
        fine += "object p" + QByteArray::number(i) + ": TPanel\n";
    for (int i = 0; i < 60; ++i)
        fine += "end\n";
    EXPECT_EQ(loadError(fine), "no error");
}

TEST_F(FormResourceTest, EmbeddedDataAndPicturesFromTheirPaths) {
    QTemporaryDir dir;
    const QString png = dir.filePath("glyph.png");
    QImage picture(3, 2, QImage::Format_RGB32);
    picture.fill(Qt::red);
    ASSERT_TRUE(picture.save(png));

    TestWindow w;
    LoadFormDescription(&w, ParseFormDescription("object f: T\n"
                                                 "  object h: THolder\n"
                                                 "    Data = {\n      48656C6C6F\n      0021}\n"
                                                 "    Glyph = '" +
                                                 png.toUtf8() +
                                                 "'\n"
                                                 "  end\n"
                                                 "  object img: TImage\n"
                                                 "    Picture = '" +
                                                 png.toUtf8() +
                                                 "'\n"
                                                 "  end\n"
                                                 "end\n"));
    auto* holder = FormChild<Holder>(&w, "h");
    EXPECT_EQ(holder->data, QByteArray("Hello\0!", 7));
    EXPECT_EQ(holder->glyph.size(), QSize(3, 2));
    EXPECT_EQ(holder->glyph.pixel(0, 0), QColor(Qt::red).rgb());
    EXPECT_EQ(FormChild<QLabel>(&w, "img")->pixmap().size(), QSize(3, 2));

    EXPECT_NE(loadError("object f: T\n object h: THolder\n Glyph = '/no/such.png'\n end\nend")
                  .find("the picture /no/such.png cannot be read"),
              std::string::npos);
    EXPECT_NE(loadError("object f: T\n object i: TImage\n Picture = ':/no/such.png'\n end\nend")
                  .find("cannot be read"),
              std::string::npos);
    EXPECT_NE(loadError("object f: T\n object h: THolder\n Data = { 123 }\n end\nend").find("odd number"),
              std::string::npos);
    EXPECT_NE(loadError("object f: T\n object h: THolder\n Data = { 12 zz }\n end\nend")
                  .find("line 3: bad character"),
              std::string::npos);
    EXPECT_NE(loadError("object f: T\n object h: THolder\n Data = { 12\n").find("'}' missing"),
              std::string::npos);
    EXPECT_NE(loadError("object f: T\n object h: THolder\n Data = ':/no/such.skn'\n end\nend")
                  .find("cannot be read"),
              std::string::npos);
}

// A class brings its own adapter for what is not a Q_PROPERTY; its base classes' adapters (the
// widget's Hint) still apply, and its own published properties win over them.
TEST_F(FormResourceTest, AClassAddsItsOwnPropertyAdapter) {
    FormClassRegistry::addPropertyAdapter<Knob>([](Knob* knob, const QString& name, const QVariant& value) {
        if (name != QLatin1String("Percent")) return false;
        knob->setPosition(FormValue::toInt(value, name) * 2);
        return true;
    });
    TestWindow w;
    LoadFormDescription(&w, ParseFormDescription("object f: T\n  object k: TKnob\n    Percent = 21\n"
                                                 "    Hint = 'Volume'\n    Caption = 'Own'\n  end\nend\n"));
    auto* knob = FormChild<Knob>(&w, "k");
    EXPECT_EQ(knob->position(), 42);
    EXPECT_EQ(knob->toolTip(), "Volume");
    EXPECT_EQ(knob->caption(), "Own");
    EXPECT_NE(loadError("object f: T\n object k: TKnob\n Percent = 'x'\n end\nend")
                  .find("k (line 2): Percent wants a number"),
              std::string::npos);
}

#include "FormResourceTest.moc"
