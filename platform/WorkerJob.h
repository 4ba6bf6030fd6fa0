#pragma once

#include <QObject>

#include <functional>
#include <memory>
#include <thread>
#include <type_traits>
#include <utility>

// Work on a thread of its own, owned by an object of the windows' thread. The work gets its inputs
// by value when it starts (what its function captures: a settings snapshot, tag values, a file
// list) and touches nothing of a window; what it hands back (progress as it goes, its result at its
// end) arrives on the windows' thread, in order, and only from the work started last: a job
// stopped, replaced or destroyed hands back nothing more. The thread is joined in one place: when
// its end is handed back, or by Stop (also from the destructor).
class TWorkerCore {
public:
    // What the work may do besides its own computing.
    class Link {
    public:
        // True once the owner asked the work to end.
        bool Cancelled() const;
        // Runs `fn` on the windows' thread, after what was handed back before it, unless the job
        // has been stopped or replaced by then.
        void Post(std::function<void()> fn) const;
        // What wakes the work from a wait when it is asked to end (empty: nothing). The work
        // clears it before what it wakes goes; Cancel calls it under the same lock.
        void SetWake(std::function<void()> wake) const;

    private:
        friend class TWorkerCore;
        struct Shared;
        Link(TWorkerCore* owner, std::shared_ptr<Shared> shared, unsigned generation)
            : m_owner(owner), m_shared(std::move(shared)), m_generation(generation) {}
        TWorkerCore* m_owner;
        std::shared_ptr<Shared> m_shared;
        unsigned m_generation;
    };

    TWorkerCore();
    ~TWorkerCore();
    TWorkerCore(const TWorkerCore&) = delete;
    TWorkerCore& operator=(const TWorkerCore&) = delete;

    // Asks the running work to end; its end is still handed back.
    void Cancel();
    // Cancels the running work and waits for it; nothing more of it arrives.
    void Stop();
    // Waits until the work has ended; what it handed back still arrives.
    void Join();
    // From the start until the end has been handed back, or Stop.
    bool Running() const { return m_running; }
    // True once the running work was asked to end (any thread: the work's own view of it).
    bool CancelRequested() const;

protected:
    // Stops the work before, then runs `work` on a new thread; `onEnd` runs on the windows'
    // thread once it has returned and the thread has been joined. An exception that escapes the
    // work is raised there instead (and reported like any escaped error).
    void Begin(std::function<void(const Link&)> work, std::function<void()> onEnd);

private:
    std::unique_ptr<QObject> m_context; // of the windows' thread: what the work hands back goes through it
    std::shared_ptr<Link::Shared> m_shared;
    unsigned m_generation = 0;
    bool m_running = false;
    std::thread m_thread;
};

// What receives a job's result.
template <class Result> struct TWorkerEnd { using Handler = std::function<void(Result)>; };
template <> struct TWorkerEnd<void> { using Handler = std::function<void()>; };

// The typed face of TWorkerCore: the work returns a `Result` (void: none) handed to the end
// handler, and hands back `Progress` values to the progress handler.
template <class Result, class Progress = int> class TWorkerJob : public TWorkerCore {
public:
    using OnEnd = typename TWorkerEnd<Result>::Handler;
    using OnProgress = std::function<void(const Progress&)>;

    class Link {
    public:
        explicit Link(const TWorkerCore::Link& core, TWorkerJob* job) : m_core(core), m_job(job) {}
        bool Cancelled() const { return m_core.Cancelled(); }
        // Hands `value` to the progress handler on the windows' thread.
        void Report(Progress value) const {
            TWorkerJob* job = m_job;
            m_core.Post([job, value = std::move(value)] {
                if (job->m_onProgress) job->m_onProgress(value);
            });
        }
        void SetWake(std::function<void()> wake) const { m_core.SetWake(std::move(wake)); }

    private:
        const TWorkerCore::Link& m_core;
        TWorkerJob* m_job;
    };
    using Work = std::function<Result(const Link&)>;

    // Stops the work before, then starts `work`.
    void Start(Work work, OnEnd onEnd = {}, OnProgress onProgress = {}) {
        m_onProgress = std::move(onProgress);
        if constexpr (std::is_void_v<Result>) {
            Begin([this, work = std::move(work)](const TWorkerCore::Link& core) { work(Link(core, this)); },
                  [onEnd = std::move(onEnd)] {
                      if (onEnd) onEnd();
                  });
        } else {
            // Written by the work, read on the windows' thread once the thread has been joined.
            auto result = std::make_shared<Result>();
            Begin([this, result, work = std::move(work)](
                      const TWorkerCore::Link& core) { *result = work(Link(core, this)); },
                  [result, onEnd = std::move(onEnd)] {
                      if (onEnd) onEnd(std::move(*result));
                  });
        }
    }

private:
    OnProgress m_onProgress;
};
