#pragma once
/// \brief Gives memory back off the calling thread: a project replaced by an opened workspace may
/// hold gigabytes in millions of blocks, and freeing them takes longer than a window may stand still.
/// One thread frees everything handed to it, in order; the program's end waits for it.

#include <functional>
#include <memory>

namespace plotra {

/// Runs \p release on the freeing thread (at once, on the calling thread, if that thread cannot be
/// started). \p release may only free what nothing else refers to any more.
void FreeInBackground(std::function<void()> release);

/// Destroys \p held on the freeing thread.
template <class T> void FreeInBackground(std::unique_ptr<T> held) {
    if (!held) return;
    auto shared = std::make_shared<std::unique_ptr<T>>(std::move(held));
    FreeInBackground([shared] { shared->reset(); });
}

/// Waits until everything handed over so far has been freed (the tests, and the program's end).
void WaitForBackgroundFrees();

} // namespace plotra
