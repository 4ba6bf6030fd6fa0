// Every form description of the programs, loaded into its own window class: each object, object
// reference and event binding it names must be in place. New descriptions are picked up from the
// resources by themselves; a description without a registered window fails.
#include "platform/FormResource.h"
#include "recorder/RecorderWindows.h"
#include "ripper/RipperWindows.h"
#include "tests/support/PictureCompare.h"

#include <QColor>
#include <QFile>
#include <QMetaProperty>
#include <QPushButton>
#include <QSignalBlocker>
#include <QTemporaryDir>
#include <QTimer>
#include <QTreeWidget>
#include <QWidget>

#include <gtest/gtest-spi.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <memory>

namespace {

bool isEvent(const QString& name) {
    return name.startsWith(QLatin1String("On")) && name.size() > 2 && name[2].isUpper();
}

// Checks one object of the description and its children against the built window.
void checkNode(QWidget* window, const FormNode& node, bool isRoot, const QList<FormBindingRecord>& bindings) {
    QObject* object = isRoot ? window : window->findChild<QObject*>(node.name);
    ASSERT_NE(object, nullptr) << node.name.toStdString() << " (line " << node.line << ") was not built";
    for (const auto& [name, value] : node.properties) {
        if (isEvent(name)) {
            const QString handler = value.value<FormIdent>().name;
            const bool bound = std::any_of(bindings.begin(), bindings.end(), [&](const FormBindingRecord& b) {
                return b.sender == object && b.event == name && b.handler == handler;
            });
            EXPECT_TRUE(bound) << node.name.toStdString() << "." << name.toStdString() << " = "
                               << handler.toStdString() << " is not bound";
            continue;
        }
        const int index = object->metaObject()->indexOfProperty(name.toLatin1().constData());
        if (index < 0 || value.userType() != qMetaTypeId<FormIdent>()) continue;
        const QMetaProperty p = object->metaObject()->property(index);
        if (!(p.metaType().flags() & QMetaType::PointerToQObject)) continue;
        // "themeMp10", or "frmMain.themeMp10" for a component of another window (the window tried
        // here alone holds a copy of it).
        const QString reference = value.value<FormIdent>().name;
        const auto* target = p.read(object).value<QObject*>();
        EXPECT_EQ(target ? target->objectName() : QStringLiteral("(none)"), reference.section(u'.', -1))
            << node.name.toStdString() << "." << name.toStdString() << " is not set";
    }
    for (const FormNode& child : node.children)
        checkNode(window, child, false, bindings);
}

// Builds the window registered for the description at `path` and checks it.
void checkWindow(const QString& path) {
    SCOPED_TRACE(path.toStdString());
    const FormWindowRegistry::Factory factory = FormWindowRegistry::find(path);
    ASSERT_TRUE(factory) << "no window class is registered for " << path.toStdString();
    std::unique_ptr<QWidget> window;
    try {
        window.reset(factory()); // its constructor loads the description
    } catch (const std::exception& e) {
        FAIL() << e.what();
    }
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const FormNode root = ParseFormDescription(file.readAll());
    checkNode(window.get(), root, true, FormBindings(window.get()));
}

// A small window of the kind the programs have, with its description in a file.
QString g_testForm;

class TestTheme : public QObject {
    Q_OBJECT
public:
    using QObject::QObject;
};

class TestPanel : public QWidget {
    Q_OBJECT
    Q_PROPERTY(TestTheme* FileTheme READ fileTheme WRITE setFileTheme)
public:
    using QWidget::QWidget;
    TestTheme* fileTheme() const { return m_theme; }
    void setFileTheme(TestTheme* t) { m_theme = t; }

private:
    TestTheme* m_theme = nullptr;
};

class TfrmTest : public QWidget {
    Q_OBJECT
public:
    TfrmTest() { LoadFormResource(this, g_testForm); }
public Q_SLOTS:
    void btnGoClick() {}
    void tmTickTimer() {}
};

const char* kTestForm = R"(
object frmTest: TfrmTest
  Caption = 'Test'
  object pnlMain: TTestPanel
    FileTheme = themeBlue
    object btnGo: TButton
      Caption = 'Go'
      OnClick = btnGoClick
    end
  end
  object tmTick: TTimer
    OnTimer = tmTickTimer
  end
  object themeBlue: TTestTheme
  end
end
)";

} // namespace

TEST(Forms, EveryDescriptionLoadsIntoItsWindowWithEverythingResolved) {
    RegisterRecorderWindows();
    RegisterRipperWindows();
    const QStringList forms = FormResourcePaths();
    for (const QString& path : forms)
        checkWindow(path);
    for (const QString& path : FormWindowRegistry::resourcePaths()) {
        const bool listed = !path.startsWith(QLatin1String(":/")) || forms.contains(path);
        EXPECT_TRUE(listed) << path.toStdString() << " is registered but not among the resources";
    }
}

// The file tools' lists draw lines between their rows and columns, also below the last row: each
// list's description asks for them and its window draws them (the recordings list: test_recorder).
TEST(Forms, TheToolListsDrawGridLines) {
    RegisterRecorderWindows();
    const std::pair<const char*, const char*> lists[] = {{":/forms/Videzeva/Player.form", "lvPlayList"},
                                                         {":/forms/Videzeva/Splitter.form", "lvSplitList"},
                                                         {":/forms/Videzeva/Joiner.form", "lvFolderList"},
                                                         {":/forms/Videzeva/Joiner.form", "lvJoinList"}};
    const QRgb grid = QColor(0xE0, 0xE0, 0xE0).rgb();
    for (const auto& [path, name] : lists) {
        SCOPED_TRACE(std::string(path) + " " + name);
        const FormWindowRegistry::Factory factory = FormWindowRegistry::find(QString::fromLatin1(path));
        ASSERT_TRUE(factory);
        std::unique_ptr<QWidget> window(factory());
        auto* list = window->findChild<QTreeWidget*>(QString::fromLatin1(name));
        ASSERT_NE(list, nullptr);
        list->clear();
        for (const char* text : {"first", "second"})
            new QTreeWidgetItem(list, QStringList(QString::fromLatin1(text)));
        list->resize(400, 200);
        const QImage picture = list->viewport()->grab().toImage();
        const QRect first = list->visualItemRect(list->topLevelItem(0));
        ASSERT_GT(first.height(), 0);
        const int columnEdge = list->columnWidth(0) - 1;
        // Along the foot of each row, and down the first column's edge past the rows.
        for (int row = 1; row <= 4; ++row) {
            const int y = first.top() + row * first.height() - 1;
            int lined = 0;
            for (int x = 0; x < columnEdge; ++x)
                lined += picture.pixel(x, y) == grid;
            EXPECT_EQ(lined, columnEdge) << "row " << row;
        }
        for (int y = first.top(); y < picture.height(); ++y)
            ASSERT_EQ(picture.pixel(columnEdge, y), grid) << "column edge at " << y;
        // The row's foot line leaves an underscore of its text to be seen. (The window's own
        // handlers are kept out of these rows, which are not its files.)
        const QSignalBlocker quiet(list);
        list->topLevelItem(0)->setText(0, QStringLiteral("_"));
        const QImage underscored = list->viewport()->grab(first).toImage();
        list->topLevelItem(0)->setText(0, QString());
        EXPECT_GE(StrongDifferences(underscored, list->viewport()->grab(first).toImage()), 3);
    }
}

// The check itself: a window whose description resolves passes, and a window that loses a
// binding or a reference after loading is caught.
TEST(Forms, TheCheckFindsWhatDidNotResolve) {
    FormClassRegistry::addWidget<QPushButton>(QStringLiteral("TButton"));
    FormClassRegistry::addWidget<TestPanel>(QStringLiteral("TTestPanel"));
    FormClassRegistry::addObject<TestTheme>(QStringLiteral("TTestTheme"));
    QTemporaryDir dir;
    g_testForm = dir.filePath(QStringLiteral("Test.form"));
    {
        QFile f(g_testForm);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(kTestForm);
    }
    FormWindowRegistry::add<TfrmTest>(g_testForm);
    checkWindow(g_testForm);

    TfrmTest window;
    QFile file(g_testForm);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const FormNode root = ParseFormDescription(file.readAll());
    const QList<FormBindingRecord> bindings = FormBindings(&window);
    EXPECT_EQ(bindings.size(), 2);
    {
        testing::TestPartResultArray failures;
        {
            testing::ScopedFakeTestPartResultReporter reporter(
                testing::ScopedFakeTestPartResultReporter::INTERCEPT_ONLY_CURRENT_THREAD, &failures);
            FormChild<TestPanel>(&window, "pnlMain")->setFileTheme(nullptr);
            checkNode(&window, root, true, bindings.mid(1));
        }
        EXPECT_EQ(failures.size(), 2) << "the lost reference and the lost binding";
    }
}

#include "FormsTest.moc"

// Pictures decoded ahead on the worker thread: a description that is not there is passed over, the
// windows take the same pictures as those decoded where they are asked for, and a picture that
// cannot be read still stops the loading with its error.
TEST(Forms, PicturesDecodedAheadAreTheOnesTheWindowsTake) {
    RegisterRecorderWindows();
    RegisterRipperWindows();
    const QStringList forms = FormResourcePaths();
    PrefetchFormPictures(forms + QStringList{QStringLiteral(":/forms/none.form")});
    WaitForPrefetchedPictures();
    const QString path = QStringLiteral(":/art/Videzeva/SplitterBackground.png");
    const QImage ahead = FormValue::toPicture(path, QStringLiteral("Picture"));
    EXPECT_FALSE(ahead.isNull());
    EXPECT_EQ(ahead, QImage(path));
    for (const QString& form : forms)
        checkWindow(form);
    EXPECT_THROW(FormValue::toPicture(QStringLiteral(":/art/none.png"), QStringLiteral("Picture")),
                 FormResourceError);
}
