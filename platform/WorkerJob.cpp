#include "platform/WorkerJob.h"

#include "platform/WindowMessages.h"

#include <atomic>
#include <exception>
#include <mutex>

struct TWorkerCore::Link::Shared {
    std::atomic<bool> cancel{false};
    std::mutex wakeLock;
    std::function<void()> wake;
    QObject* context = nullptr; // lives until the thread has been joined
};

bool TWorkerCore::Link::Cancelled() const {
    return m_shared->cancel.load();
}

void TWorkerCore::Link::Post(std::function<void()> fn) const {
    TWorkerCore* owner = m_owner;
    const unsigned generation = m_generation;
    // The context goes only with the owner, after the thread has been joined.
    RunOnUiThread(m_shared->context, [owner, generation, fn = std::move(fn)] {
        if (owner->m_generation == generation) fn();
    });
}

void TWorkerCore::Link::SetWake(std::function<void()> wake) const {
    const std::lock_guard lock(m_shared->wakeLock);
    m_shared->wake = std::move(wake);
}

TWorkerCore::TWorkerCore() : m_context(std::make_unique<QObject>()) {}

TWorkerCore::~TWorkerCore() {
    Stop();
    m_context.reset(); // drops what is still queued
}

bool TWorkerCore::CancelRequested() const {
    return m_shared && m_shared->cancel.load();
}

void TWorkerCore::Cancel() {
    if (!m_shared) return;
    m_shared->cancel.store(true);
    const std::lock_guard lock(m_shared->wakeLock);
    if (m_shared->wake) m_shared->wake();
}

void TWorkerCore::Join() {
    if (m_thread.joinable()) m_thread.join();
}

void TWorkerCore::Stop() {
    Cancel();
    Join();
    ++m_generation;
    m_running = false;
}

void TWorkerCore::Begin(std::function<void(const Link&)> work, std::function<void()> onEnd) {
    Stop();
    m_shared = std::make_shared<Link::Shared>();
    m_shared->context = m_context.get();
    m_running = true;
    const Link link(this, m_shared, m_generation);
    m_thread = std::thread([link, work = std::move(work), onEnd = std::move(onEnd)] {
        std::exception_ptr escaped;
        try {
            work(link);
        } catch (...) {
            escaped = std::current_exception();
        }
        TWorkerCore* owner = link.m_owner;
        link.Post([owner, escaped, onEnd] {
            owner->Join();
            owner->m_running = false;
            if (escaped) std::rethrow_exception(escaped);
            onEnd();
        });
    });
}
