#pragma once
/// \brief A long calculation on its own thread, the way the desktop program needs it: a snapshot of
/// the inputs goes in, a result comes out, and the caller applies the result to the document on its
/// own thread once the job has finished. The work never sees the live document, a host or a window.
/// It reports through a Progress (thread-safe), honours its cancel flag, and an exception inside the
/// work ends the job as a failure with a readable text instead of ending the program.

#include <algorithm>
#include <atomic>
#include <exception>
#include <functional>
#include <new>
#include <optional>
#include <stdexcept>
#include <string>
#include <thread>
#include <utility>

#ifdef __linux__
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace plotra {

/// Gives the calling thread (a job's, and the threads it starts, which inherit it) a lower
/// scheduling priority than the user-interface thread, so that the window keeps answering while
/// every core computes.
inline void LowerThreadPriority() {
#ifdef __linux__
    const pid_t tid = static_cast<pid_t>(::syscall(SYS_gettid));
    const int current = ::getpriority(PRIO_PROCESS, static_cast<id_t>(tid));
    ::setpriority(PRIO_PROCESS, static_cast<id_t>(tid), std::min(current + 5, 19));
#endif
}

/// The text a failed job reports for an exception.
inline std::string JobFailureText(std::exception_ptr error) {
    try {
        std::rethrow_exception(error);
    } catch (const std::bad_alloc&) {
        return "There is not enough memory for this calculation.";
    } catch (const std::exception& e) {
        return std::string("The calculation failed: ") + e.what();
    } catch (...) {
        return "The calculation failed.";
    }
}

template <class Result> class Job {
public:
    using Work = std::function<Result()>;

    /// Starts \p work at once on a new thread. \p finished runs on that thread after the result (or
    /// the failure) has been stored; the desktop program uses it to post a message to its event loop.
    /// It must not touch the document.
    explicit Job(Work work, std::function<void()> finished = {})
        : m_work(std::move(work)), m_finished(std::move(finished)) {
        // Every member the thread touches exists before it starts, so it is started last.
        m_thread = std::thread([this] { Run(); });
    }
    ~Job() {
        if (m_thread.joinable()) m_thread.join();
    }
    Job(const Job&) = delete;
    Job& operator=(const Job&) = delete;

    /// True once the work has returned or thrown; Take() then does not block.
    bool Finished() const { return m_done.load(std::memory_order_acquire); }

    /// Waits for the work (callers on the user-interface thread call it only once Finished() is true)
    /// and hands over its result; nothing when it threw, with the reason in \p failure.
    std::optional<Result> Take(std::string* failure = nullptr) {
        if (m_thread.joinable()) m_thread.join();
        if (m_error) {
            if (failure) *failure = JobFailureText(m_error);
            return std::nullopt;
        }
        return std::move(m_result);
    }

private:
    void Run() {
        LowerThreadPriority();
        try {
            m_result.emplace(m_work());
        } catch (...) {
            m_error = std::current_exception();
        }
        m_done.store(true, std::memory_order_release);
        if (m_finished) m_finished();
    }

    Work m_work;
    std::function<void()> m_finished;
    std::optional<Result> m_result;
    std::exception_ptr m_error;
    std::atomic<bool> m_done{false};
    std::thread m_thread;
};

} // namespace plotra
