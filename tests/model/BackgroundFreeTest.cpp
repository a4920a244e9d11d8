// What a replaced project leaves behind is freed by a thread of its own: never on the calling
// thread, in the order it was handed over, and a wait returns once all of it is gone.
#include "model/BackgroundFree.h"

#include <gtest/gtest.h>

#include <mutex>
#include <numeric>
#include <thread>
#include <vector>

using namespace plotra;

namespace {

struct Freed {
    std::mutex mutex;
    std::vector<int> order;
    std::vector<std::thread::id> threads;
};

struct Tracked {
    Tracked(Freed* f, int n) : freed(f), number(n) {}
    Tracked(const Tracked&) = delete;
    Tracked& operator=(const Tracked&) = delete;
    Freed* freed;
    int number;
    std::vector<double> payload = std::vector<double>(1000, 1.0);
    ~Tracked() {
        std::lock_guard lock(freed->mutex);
        freed->order.push_back(number);
        freed->threads.push_back(std::this_thread::get_id());
    }
};

} // namespace

TEST(BackgroundFree, FreesOffTheCallingThreadInOrderAndTheWaitSeesItDone) {
    Freed freed;
    for (int round = 0; round < 2; ++round) {
        for (int i = 0; i < 100; ++i)
            FreeInBackground(std::make_unique<Tracked>(&freed, round * 100 + i));
        FreeInBackground(std::unique_ptr<Tracked>()); // nothing to free
        WaitForBackgroundFrees();
        std::lock_guard lock(freed.mutex);
        std::vector<int> expected(static_cast<std::size_t>((round + 1) * 100));
        std::iota(expected.begin(), expected.end(), 0);
        EXPECT_EQ(freed.order, expected);
        for (const std::thread::id& id : freed.threads) {
            EXPECT_NE(id, std::this_thread::get_id());
            EXPECT_EQ(id, freed.threads.front()) << "one freeing thread";
        }
    }
}
