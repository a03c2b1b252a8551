// The window's page lists as a worker sees them while the UI thread adds pages: every copy is
// whole (no page torn or missing from the middle), in the fixed kind order, and a page seen once
// is seen in every later copy.

#include "shell/PageLists.h"

#include <gtest/gtest.h>

#include <array>
#include <atomic>
#include <thread>
#include <vector>

namespace quaro {
namespace {

using Lists = PageLists<int>;

TEST(PageLists, CopiesTakeEveryKindInOrder) {
    Lists lists;
    std::array<int, 5> pages{};
    lists.Add(Lists::kHeadsets, &pages[0]);
    lists.Add(Lists::kMice, &pages[1]);
    lists.Add(Lists::kKeyboards, &pages[2]);
    lists.Add(Lists::kMice, &pages[3]);
    lists.Add(Lists::kMousePads, &pages[4]);

    EXPECT_EQ(lists.Of(Lists::kMice), (std::vector<int*>{&pages[1], &pages[3]}));
    EXPECT_EQ(lists.Of(Lists::kHeadsets), (std::vector<int*>{&pages[0]}));
    // A copy into a list that holds something replaces it.
    std::vector<int*> copy{&pages[0], &pages[0], &pages[0], &pages[0], &pages[0], &pages[0]};
    lists.CopyAll(copy);
    EXPECT_EQ(copy, (std::vector<int*>{&pages[1], &pages[3], &pages[2], &pages[4], &pages[0]}));
}

// Run under ThreadSanitizer (QUARO_SANITIZE=thread) this is the race check; without it, the
// copies must still never see a page that was not added or lose one they saw.
TEST(PageLists, WorkerCopiesWhileTheOwnerAdds) {
    constexpr int kPages = 400;
    Lists lists;
    std::vector<int> pages(kPages);
    for (int i = 0; i < kPages; ++i) {
        pages[static_cast<std::size_t>(i)] = i;
    }
    std::atomic<bool> done{false};
    std::atomic<int> faults{0};
    std::thread worker([&] {
        std::vector<int*> copy;
        std::size_t seen = 0;
        while (!done.load()) {
            lists.CopyAll(copy);
            // Pages go to the mice list in order, so a copy is a prefix of the pages, never
            // shorter than the one before.
            if (copy.size() < seen) {
                ++faults;
            }
            seen = copy.size();
            for (std::size_t i = 0; i < copy.size(); ++i) {
                if (copy[i] != &pages[i] || *copy[i] != static_cast<int>(i)) {
                    ++faults;
                    break;
                }
            }
        }
    });
    for (int i = 0; i < kPages; ++i) {
        lists.Add(Lists::kMice, &pages[static_cast<std::size_t>(i)]);
        if (i % 50 == 0) {
            std::this_thread::yield();
        }
    }
    done = true;
    worker.join();
    EXPECT_EQ(faults.load(), 0);
    EXPECT_EQ(lists.Of(Lists::kMice).size(), static_cast<std::size_t>(kPages));
}

}  // namespace
}  // namespace quaro
