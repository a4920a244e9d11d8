#include "model/BackgroundFree.h"

#include "model/Job.h"

#include <condition_variable>
#include <deque>
#include <mutex>
#include <system_error>
#include <thread>

namespace plotra {

namespace {

class Freer {
  public:
    ~Freer() {
        {
            std::lock_guard lock(m_mutex);
            m_stop = true;
        }
        m_wake.notify_all();
        if (m_thread.joinable()) m_thread.join();
    }

    void Add(std::function<void()> release) {
        {
            std::lock_guard lock(m_mutex);
            if (!m_thread.joinable()) {
                try {
                    m_thread = std::thread([this] { Run(); });
                } catch (const std::system_error&) {
                    // No thread to be had: this thread frees it, as it would have without one.
                }
            }
            if (m_thread.joinable()) {
                m_queue.push_back(std::move(release));
                ++m_handed;
                m_wake.notify_all();
                return;
            }
        }
        release();
    }

    void Wait() {
        std::unique_lock lock(m_mutex);
        const std::uint64_t target = m_handed;
        m_done.wait(lock, [&] { return m_freed >= target; });
    }

  private:
    void Run() {
        LowerThreadPriority();
        std::unique_lock lock(m_mutex);
        for (;;) {
            m_wake.wait(lock, [&] { return m_stop || !m_queue.empty(); });
            if (m_queue.empty()) return; // stopped with nothing left
            std::function<void()> release = std::move(m_queue.front());
            m_queue.pop_front();
            lock.unlock();
            release();
            release = nullptr;
            lock.lock();
            ++m_freed;
            m_done.notify_all();
        }
    }

    std::mutex m_mutex;
    std::condition_variable m_wake, m_done;
    std::deque<std::function<void()>> m_queue;
    std::uint64_t m_handed = 0, m_freed = 0;
    bool m_stop = false;
    std::thread m_thread;
};

Freer& TheFreer() {
    static Freer freer;
    return freer;
}

} // namespace

void FreeInBackground(std::function<void()> release) {
    if (release) TheFreer().Add(std::move(release));
}

void WaitForBackgroundFrees() {
    TheFreer().Wait();
}

} // namespace plotra
