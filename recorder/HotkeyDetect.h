#pragma once

#include "platform/WorkerJob.h"

#include <QObject>

#include <atomic>
#include <cstdint>
#include <functional>

// Watches the keyboard for the recorder's four hot-key combinations, whichever program has the
// focus, and posts WM_HOTKEYDETECTED to the main window when one is pressed: wParam 0 to start a
// recording, 1 to stop it. It reads the combinations and their enable flags on every round, as the
// settings window last handed them over (GlobeVar::PublishHotKeys), whole.
//
// Each round tests the combinations in order (start 1, start 2, stop 1, stop 2); the first that
// matches posts its message unless `Fired` is already set, and sets it; a round in which none
// matches clears `Fired`. On the desktop a round runs whenever a key goes down or up (and at least
// ten times a second, for changed settings), so an idle recorder does not wake a thousand times a
// second; a source of its own (tests) is asked every millisecond. A held combination thus posts once, the
// next message needs every combination released first, and a start held together with a stop wins.
//
// The thread (a TWorkerJob) starts with the object and ends with it: the destructor asks it to end,
// waking its wait, and waits for the round in progress, so the thread never outlives the window that
// owns the detector.
class THotkeyDetector {
public:
    // Whether a virtual key is down now; `update` is called once at the start of every round.
    struct KeySource {
        std::function<void()> update;
        std::function<bool(uint32_t virtualKey)> isDown;
    };
    static constexpr int kSettingsRecheckMs = 100;

    // Watches the desktop's keyboard (GlobalKeyState, opened on the detector's own thread).
    explicit THotkeyDetector(QObject* windowHandle);
    // Watches the keys `source` reports (tests). `source` is called on the detector's thread.
    THotkeyDetector(QObject* windowHandle, KeySource source);
    ~THotkeyDetector() = default;
    THotkeyDetector(const THotkeyDetector&) = delete;
    THotkeyDetector& operator=(const THotkeyDetector&) = delete;

    // Asks the loop to end at its next round.
    void Terminate() { m_job.Cancel(); }
    bool Fired() const { return m_fired.load(); }
    // Rounds run so far (tests wait on it instead of on the clock).
    uint64_t Rounds() const { return m_rounds.load(); }

private:
    void Execute(KeySource source, bool desktop, const TWorkerJob<void>::Link& link);
    void Round(const KeySource& source);

    QObject* m_windowHandle; // outlives the detector: its owner destroys the detector first
    std::atomic<bool> m_fired{false};
    std::atomic<uint64_t> m_rounds{0};
    TWorkerJob<void> m_job; // the last member: it goes first, waiting for the round in progress
};
