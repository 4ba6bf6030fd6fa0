#include "recorder/HotkeyDetect.h"

#include "common/GlobeVar.h"
#include "platform/GlobalKeyState.h"
#include "platform/WindowMessages.h"

#include <chrono>
#include <memory>
#include <thread>

namespace {

bool Matches(const THotKeyCombo& combo, bool use, const THotkeyDetector::KeySource& keys) {
    if (!use || combo.HotKey == 0) return false;
    if (combo.PreKey1 != 0 && !keys.isDown(combo.PreKey1)) return false;
    if (combo.PreKey2 != 0 && !keys.isDown(combo.PreKey2)) return false;
    return keys.isDown(combo.HotKey);
}

} // namespace

THotkeyDetector::THotkeyDetector(QObject* windowHandle) : m_windowHandle(windowHandle) {
    m_job.Start([this](const TWorkerJob<void>::Link& link) { Execute({}, true, link); });
}

THotkeyDetector::THotkeyDetector(QObject* windowHandle, KeySource source) : m_windowHandle(windowHandle) {
    m_job.Start([this, source = std::move(source)](const TWorkerJob<void>::Link& link) {
        Execute(source, false, link);
    });
}

void THotkeyDetector::Execute(KeySource source, bool desktop, const TWorkerJob<void>::Link& link) {
    // The desktop's key state is opened here, on the thread that uses it; a request to end wakes
    // its wait, and the wake is taken back before the state goes.
    std::unique_ptr<GlobalKeyState> state;
    if (desktop) {
        state = std::make_unique<GlobalKeyState>();
        source.isDown = [s = state.get()](uint32_t vk) { return s->IsKeyDown(vk); };
        link.SetWake([s = state.get()] { s->Wake(); });
    }
    while (!link.Cancelled()) {
        if (source.update) source.update();
        Round(source);
        ++m_rounds;
        if (state)
            state->WaitForChange(kSettingsRecheckMs);
        else
            std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    link.SetWake({});
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
