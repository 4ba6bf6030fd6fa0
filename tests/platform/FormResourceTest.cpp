#include "platform/FormResource.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTimer>
#include <QWidget>

#include <gtest/gtest.h>

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

#include "FormResourceTest.moc"
