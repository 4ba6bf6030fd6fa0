#include "common/GlobeVar.h"
#include "common/OptionsSettings.h"
#include "platform/WindowMessages.h"
#include "recorder/HotkeyDetect.h"
#include "tests/support/XvfbServer.h"

#include <QCoreApplication>
#include <QTest>

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <chrono>
#include <memory>
#include <thread>

namespace {

// Receives what the detector posts, as the main window would.
class MessageSink : public QObject {
public:
    std::vector<qintptr> received;

protected:
    void customEvent(QEvent* event) override {
        if (event->type() == WindowMessageEvent::eventType()) {
            auto* m = static_cast<WindowMessageEvent*>(event);
            EXPECT_EQ(m->message(), WM_HOTKEYDETECTED);
            received.push_back(m->wParam());
        }
    }
};

class HotkeyTest : public ::testing::Test {
protected:
    void SetUp() override {
        using namespace GlobeVar;
        StartHotKeyCombo1 = {0x11, 0, 0x52}; // Ctrl + R
        StartHotKeyCombo2 = {0, 0, 0x6B};    // Numpad +
        StopHotKeyCombo1 = {0x11, 0, 0x53};  // Ctrl + S
        StopHotKeyCombo2 = {0, 0, 0x6D};     // Numpad -
        StartUse1 = StartUse2 = StopUse1 = StopUse2 = true;
        PublishHotKeys();
    }

    // Lets the detector run a few whole rounds with the keys as they are now, then delivers its messages.
    static void Settle(const THotkeyDetector& detector) {
        const uint64_t start = detector.Rounds();
        ASSERT_TRUE(QTest::qWaitFor([&] { return detector.Rounds() >= start + 3; }, 5000));
        QCoreApplication::sendPostedEvents();
    }
};

} // namespace

TEST_F(HotkeyTest, EdgeTriggeredStartWinsAndDisabledOrEmptyNeverMatch) {
    std::array<std::atomic<bool>, 256> down{};
    MessageSink sink;
    auto press = [&](std::initializer_list<uint32_t> keys, bool state) {
        for (uint32_t k : keys)
            down[k] = state;
    };
    THotkeyDetector detector(&sink, {nullptr, [&](uint32_t vk) { return vk < 256 && down[vk].load(); }});

    press({0x11, 0x52}, true); // hold Ctrl + R: one start only
    Settle(detector);
    Settle(detector);
    EXPECT_EQ(sink.received, (std::vector<qintptr>{0}));
    press({0x11, 0x52}, false);
    Settle(detector);
    press({0x11, 0x52}, true); // released and pressed again: another start
    Settle(detector);
    press({0x11, 0x52}, false);
    Settle(detector);
    EXPECT_EQ(sink.received, (std::vector<qintptr>{0, 0}));

    press({0x6D}, true); // Numpad - held: stop fires; Ctrl + R meanwhile posts nothing new
    Settle(detector);
    press({0x11, 0x52}, true);
    Settle(detector);
    press({0x11, 0x52, 0x6D}, false);
    Settle(detector);
    EXPECT_EQ(sink.received, (std::vector<qintptr>{0, 0, 1}));

    press({0x11, 0x52, 0x53}, true); // start and stop pressed in the same round: start wins
    Settle(detector);
    press({0x11, 0x52, 0x53}, false);
    Settle(detector);
    EXPECT_EQ(sink.received, (std::vector<qintptr>{0, 0, 1, 0}));

    GlobeVar::StartUse2 = false; // disabled: never matches
    GlobeVar::StopHotKeyCombo2 = {0, 0, 0};
    GlobeVar::PublishHotKeys();
    press({0x6B, 0x6D, 0}, true); // a key code of 0 never matches either
    Settle(detector);
    press({0x6B, 0x6D, 0}, false);
    Settle(detector);
    EXPECT_EQ(sink.received.size(), 4u);
    EXPECT_FALSE(detector.Fired());
}

// The settings window's "&Ok" rewrites the combinations while the detector tests them: a round sees
// either the old or the new combinations, never a mix. Ctrl + S are held; the settings switch
// start 1 between Ctrl + R and Shift + S (the other rows off), so only a half-written combination
// (Ctrl from one, S from the other) could match.
TEST_F(HotkeyTest, ARoundNeverSeesAHalfWrittenCombination) {
    using namespace Videzeva;
    TOptionsValues ctrlR = DefaultOptionsValues();
    for (OptionSetting off : {StartUse2, StopUse1, StopUse2})
        ctrlR.number[off] = 0;
    TOptionsValues shiftS = ctrlR;
    ctrlR.number[StartPreHotKey1] = 1;  // Ctrl
    ctrlR.number[StartHotKey1] = 28;    // R
    shiftS.number[StartPreHotKey1] = 3; // Shift
    shiftS.number[StartHotKey1] = 29;   // S
    ApplyOptionsToGlobals(ctrlR);

    MessageSink sink;
    // Asking for Ctrl takes a while, so a settings change often falls between the reads of a round.
    THotkeyDetector detector(&sink, {nullptr, [](uint32_t vk) {
                                         if (vk == 0x11)
                                             std::this_thread::sleep_for(std::chrono::microseconds(200));
                                         return vk == 0x11 || vk == 0x53;
                                     }});
    const uint64_t start = detector.Rounds();
    for (int i = 0; detector.Rounds() < start + 300 || i < 2000; ++i)
        ApplyOptionsToGlobals(i % 2 ? ctrlR : shiftS);
    QCoreApplication::sendPostedEvents();
    EXPECT_TRUE(sink.received.empty()) << sink.received.size() << " messages from mixed combinations";
}

// The desktop's key state, through a real X server: keys pressed for another program reach the
// detector without the recorder having the focus or grabbing anything.
TEST_F(HotkeyTest, DesktopKeysThroughARealXServer) {
    XvfbServer server;
    const QString why = server.Start();
    if (!why.isEmpty()) GTEST_SKIP() << "no real X server for global key state: " << why.toStdString();
    if (!server.Run("xdotool", {"version"}))
        GTEST_SKIP() << "xdotool is not installed, so no key can be pressed on the X server";
    const QByteArray previous = qgetenv("DISPLAY");
    qputenv("DISPLAY", server.Display().toUtf8());
    MessageSink sink;
    {
        THotkeyDetector detector(&sink);
        Settle(detector);
        ASSERT_TRUE(server.Run("xdotool", {"keydown", "ctrl+r"}));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                QCoreApplication::sendPostedEvents();
                return !sink.received.empty();
            },
            5000));
        Settle(detector); // held: still one message
        ASSERT_TRUE(server.Run("xdotool", {"keyup", "ctrl+r"}));
        // Held as a hand holds a key (xdotool's own tap lasts 12 ms, which a busy machine's key-state
        // polling may never see), then let go.
        ASSERT_TRUE(server.Run("xdotool", {"keydown", "KP_Subtract"}));
        ASSERT_TRUE(QTest::qWaitFor(
            [&] {
                QCoreApplication::sendPostedEvents();
                return sink.received.size() >= 2;
            },
            5000));
        ASSERT_TRUE(server.Run("xdotool", {"keyup", "KP_Subtract"}));
        Settle(detector);
        EXPECT_EQ(sink.received, (std::vector<qintptr>{0, 1}));
    }
    if (previous.isEmpty())
        qunsetenv("DISPLAY");
    else
        qputenv("DISPLAY", previous);
}
