#include "recorder/HotkeyDetect.h"

#include "common/GlobeVar.h"
#include "platform/GlobalKeyState.h"
#include "platform/WindowMessages.h"

#include <chrono>
#include <memory>

namespace {

bool Matches(const THotKeyCombo& combo, bool use, const THotkeyDetector::KeySource& keys) {
    if (!use || combo.HotKey == 0) return false;
    if (combo.PreKey1 != 0 && !keys.isDown(combo.PreKey1)) return false;
    if (combo.PreKey2 != 0 && !keys.isDown(combo.PreKey2)) return false;
    return keys.isDown(combo.HotKey);
}

} // namespace

THotkeyDetector::THotkeyDetector(QObject* windowHandle) : m_windowHandle(windowHandle) {
    m_thread = std::thread([this] { Execute({}, true); });
}

THotkeyDetector::THotkeyDetector(QObject* windowHandle, KeySource source) : m_windowHandle(windowHandle) {
    m_thread = std::thread([this, source = std::move(source)] { Execute(source, false); });
}

THotkeyDetector::~THotkeyDetector() {
    Terminate();
    if (m_thread.joinable()) m_thread.join();
}

void THotkeyDetector::Terminate() {
    m_terminated = true;
    const std::lock_guard lock(m_desktopLock);
    if (m_desktop) m_desktop->Wake();
}

void THotkeyDetector::Execute(KeySource source, bool desktop) {
    // The desktop's key state is opened here, on the thread that uses it.
    std::unique_ptr<GlobalKeyState> state;
    if (desktop) {
        state = std::make_unique<GlobalKeyState>();
        source.isDown = [s = state.get()](uint32_t vk) { return s->IsKeyDown(vk); };
        const std::lock_guard lock(m_desktopLock);
        m_desktop = state.get();
    }
    while (!m_terminated.load()) {
        if (source.update) source.update();
        Round(source);
        ++m_rounds;
        if (state)
            state->WaitForChange(kSettingsRecheckMs);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    const std::lock_guard lock(m_desktopLock);
    m_desktop = nullptr;
}

void THotkeyDetector::Round(const KeySource& keys) {
    struct Candidate {
        const THotKeyCombo& combo;
        bool use;
        int wParam;
    };
    // One copy per round, taken whole: the settings window may hand over new combinations meanwhile.
    const GlobeVar::THotKeySet set = GlobeVar::PublishedHotKeys();
    const Candidate candidates[] = {
        {set.start1, set.startUse1, 0},
        {set.start2, set.startUse2, 0},
        {set.stop1, set.stopUse1, 1},
        {set.stop2, set.stopUse2, 1},
    };
    for (const Candidate& c : candidates) {
        if (!Matches(c.combo, c.use, keys)) continue;
        if (!m_fired.load()) {
            PostWindowMessage(m_windowHandle, WindowMessageId::HotkeyDetected, c.wParam, 0);
            m_fired = true;
        }
        return;
    }
    m_fired = false;
}
