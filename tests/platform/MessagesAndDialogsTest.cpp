#include "platform/Application.h"
#include "platform/Form.h"
#include "platform/ModalDialogs.h"
#include "platform/UserMessages.h"
#include "platform/WindowMessages.h"

#include <QApplication>
#include <QMessageBox>
#include <QPushButton>
#include <QTest>
#include <QThread>
#include <QTimer>

#include <gtest/gtest.h>

#include <functional>
#include <stdexcept>
#include <vector>

namespace {

class Receiver : public QObject {
public:
    struct Seen {
        WindowMessageId id;
        unsigned msg;
        qintptr w, l;
        bool onUiThread;
    };
    std::vector<Seen> seen;

protected:
    void customEvent(QEvent* e) override {
        if (e->type() != WindowMessageEvent::eventType()) return;
        auto* m = static_cast<WindowMessageEvent*>(e);
        seen.push_back(
            {m->id(), m->message(), m->wParam(), m->lParam(), QThread::currentThread() == qApp->thread()});
    }
};

} // namespace

TEST(WindowMessages, PostedFromAWorkerArriveInOrderOnTheUiThread) {
    Receiver r;
    QThread* worker = QThread::create([&r] {
        for (int i = 0; i <= 100; ++i)
            PostWindowMessage(&r, WindowMessageId::ConvertProgress, 1, i);
        PostWindowMessage(&r, WindowMessageId::HotkeyDetected, 0, 0);
        PostWindowMessage(&r, WindowMessageId::SplitJoinProgress, 3, 50);
    });
    worker->start();
    worker->wait();
    delete worker;
    QCoreApplication::processEvents();
    ASSERT_EQ(r.seen.size(), 103u);
    for (int i = 0; i <= 100; ++i) {
        EXPECT_EQ(r.seen[i].id, WindowMessageId::ConvertProgress);
        EXPECT_EQ(r.seen[i].l, i);
        EXPECT_TRUE(r.seen[i].onUiThread);
    }
    // Same number, different identities.
    EXPECT_EQ(r.seen[101].msg, r.seen[0].msg);
    EXPECT_EQ(r.seen[101].id, WindowMessageId::HotkeyDetected);
    EXPECT_EQ(r.seen[102].msg, WM_SPLITJOINPROGRESS);
    EXPECT_EQ(r.seen[102].w, 3);
}

TEST(WindowMessages, RunOnUiThreadDropsWorkForAGoneTarget) {
    int ran = 0;
    auto* target = new QObject;
    RunOnUiThread(target, [&ran] { ++ran; });
    delete target;
    QObject alive;
    RunOnUiThread(&alive, [&ran] { ran += 10; });
    QCoreApplication::processEvents();
    EXPECT_EQ(ran, 10);
}

namespace {
class TestForm : public TForm {
public:
    std::vector<std::string> calls;
    bool refuse = false;

protected:
    void FormCreate() override { calls.push_back("create"); }
    void FormShow() override { calls.push_back("show"); }
    void FormCloseQuery(bool& canClose) override {
        calls.push_back("closequery");
        canClose = !refuse;
    }
    void FormClose() override { calls.push_back("close"); }
};
} // namespace

TEST(Forms, ModalResultsAndEventsKeepArrivingDuringAModalDialog) {
    TestForm form;
    form.create();
    form.create(); // once only
    Receiver r;
    int ticks = 0;
    QTimer timer;
    QObject::connect(&timer, &QTimer::timeout, [&] { ++ticks; });
    timer.start(5);
    // While the dialog is open: a timer ticks, a posted message arrives, then a button answers "No".
    QTimer::singleShot(60, &form, [&] {
        PostWindowMessage(&r, WindowMessageId::HotkeyDetected, 1, 0);
        QTimer::singleShot(30, &form, [&] { form.setModalResult(mrNo); });
    });
    const int result = form.ShowModal();
    EXPECT_EQ(result, mrNo);
    EXPECT_GT(ticks, 3);
    ASSERT_EQ(r.seen.size(), 1u);
    EXPECT_EQ(r.seen[0].w, 1);
    EXPECT_EQ(form.calls, (std::vector<std::string>{"create", "show", "closequery", "close"}));

    // Closed by the window's close button: a cancel.
    QTimer::singleShot(20, &form, [&] { form.close(); });
    EXPECT_EQ(form.ShowModal(), mrCancel);
    QTimer::singleShot(20, &form, [&] { form.setModalResult(mrYes); });
    EXPECT_EQ(form.ShowModal(), mrYes);
}

TEST(Forms, CloseQueryCanRefuse) {
    TestForm form;
    form.create();
    form.refuse = true;
    form.show();
    form.close();
    EXPECT_TRUE(form.isVisible());
    form.refuse = false;
    form.close();
    EXPECT_FALSE(form.isVisible());
}

namespace {
class Thrower : public QPushButton {
protected:
    void mousePressEvent(QMouseEvent*) override {
        throw std::runtime_error("Error during start playing the track!");
    }
};
} // namespace

TEST(Application, EscapedExceptionShowsItsTextAndTheLoopGoesOn) {
    TScriptedMessages script;
    Thrower button;
    button.show();
    QTest::mouseClick(&button, Qt::LeftButton);
    int after = 0;
    QTimer::singleShot(0, [&] { ++after; });
    QCoreApplication::processEvents();
    EXPECT_EQ(script.All(), QStringList{"Error during start playing the track!"});
    EXPECT_EQ(script.Errors().size(), 1);
    EXPECT_EQ(after, 1);
}

namespace {
// An error box that a user reads: while it is open, its loop delivers what `whileOpen` queues.
class ReadingBox : public TScriptedMessages {
public:
    void Error(const QString& text, QWidget* from) override {
        TScriptedMessages::Error(text, from);
        if (!whileOpen) return;
        const std::function<void()> during = std::move(whileOpen);
        whileOpen = nullptr;
        during();
        QCoreApplication::processEvents();
    }
    std::function<void()> whileOpen;
};
} // namespace

// A posted call and a timer that throw reach the channel once each, through every guard they pass;
// a fault that comes round again while its box is open adds no box, another fault gets its own, and
// the first fault is shown again once its box was closed.
TEST(Application, OneFaultOneBox) {
    ReadingBox script;
    QObject context;
    const auto deviceGone = [] { throw std::runtime_error("The device went away"); };
    script.whileOpen = [&] {
        RunOnUiThread(&context, deviceGone);
        QTimer::singleShot(0, &context, deviceGone); // outside any guard: Application::notify
        RunOnUiThread(&context, [] { throw std::runtime_error("Unable to write to a.ini"); });
        RunOnUiThread(&context, [&] { RunGuarded(deviceGone); });
    };
    RunOnUiThread(&context, deviceGone);
    QCoreApplication::processEvents();
    EXPECT_EQ(script.Errors(), QStringList({"The device went away", "Unable to write to a.ini"}));
    EXPECT_EQ(script.Log.size(), 2);
    QTimer::singleShot(0, &context, deviceGone);
    QCoreApplication::processEvents();
    EXPECT_EQ(script.Errors().size(), 3);
}

// The plain boxes: the application's title, the text, the buttons each kind has and their answers.
TEST(Application, PlainBoxesShowTheTextAndGiveTheAnswer) {
    qApp->setApplicationDisplayName(QStringLiteral("Ridezo test"));
    QWidget owner;
    owner.show();
    struct Seen {
        QString title, text;
        QMessageBox::Icon icon;
        QMessageBox::StandardButtons buttons;
    };
    QList<Seen> seen;
    QMessageBox::StandardButton press = QMessageBox::Ok;
    QTimer poll;
    QObject::connect(&poll, &QTimer::timeout, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box) return;
        seen.append({box->windowTitle(), box->text(), box->icon(), box->standardButtons()});
        if (press == QMessageBox::Cancel)
            box->reject();
        else
            box->button(press)->click();
    });
    poll.start(5);
    TMessageBoxes boxes;
    boxes.Tell(QStringLiteral("Please select track(s) first."), &owner);
    press = QMessageBox::Yes;
    EXPECT_TRUE(boxes.Ask(QStringLiteral("Do you want refresh this CD information?"), &owner));
    press = QMessageBox::No;
    EXPECT_FALSE(boxes.Ask(QStringLiteral("Do you want refresh this CD information?"), &owner));
    press = QMessageBox::Cancel;
    EXPECT_FALSE(boxes.Ask(QStringLiteral("Do you want refresh this CD information?"), &owner));
    press = QMessageBox::Ok;
    boxes.Error(QStringLiteral("Error during playing the track!"), nullptr);
    ASSERT_EQ(seen.size(), 5);
    EXPECT_EQ(seen[0].title, "Ridezo test");
    EXPECT_EQ(seen[0].text, "Please select track(s) first.");
    EXPECT_EQ(seen[0].buttons, QMessageBox::Ok);
    EXPECT_EQ(seen[1].buttons, QMessageBox::Yes | QMessageBox::No);
    EXPECT_EQ(seen[4].icon, QMessageBox::Critical);
    EXPECT_EQ(seen[4].text, "Error during playing the track!");
}
