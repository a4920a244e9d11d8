#pragma once
/// \brief Holds the next file writer (AtomicFileWriter) at its first write until Release(), so that a
/// test acts while a job writes: cancels it, or tries an edit.

#include "files/FileIo.h"

#include <atomic>
#include <future>

namespace plotra::test {

class HeldWriter {
  public:
    HeldWriter() {
        std::shared_future<void> released = m_release.get_future().share();
        SetWriteHookForTesting([this, released] {
            m_entered = true;
            released.wait();
        });
    }
    ~HeldWriter() {
        Release();
        SetWriteHookForTesting({});
    }
    HeldWriter(const HeldWriter&) = delete;
    HeldWriter& operator=(const HeldWriter&) = delete;
    bool Entered() const { return m_entered; }
    void Release() {
        if (!m_released.exchange(true)) m_release.set_value();
    }

  private:
    std::promise<void> m_release;
    std::atomic<bool> m_entered{false}, m_released{false};
};

} // namespace plotra::test
