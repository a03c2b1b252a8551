#pragma once

#include <array>
#include <cstddef>
#include <mutex>
#include <vector>

namespace quaro {

// The window's device pages by kind, filled as pages are built while workers may be reading
// them. One thread (the UI thread) adds pages and reads the lists directly; any other thread
// takes a copy under the lock. Pages are never removed while the lists live, so a pointer a
// worker copied stays valid until the workers are stopped.
template <class Page>
class PageLists {
public:
    // The lists, in the order every walk over all pages takes them.
    enum Kind : std::size_t { kMice, kKeyboards, kMousePads, kHeadsets, kKindCount };

    // Owner thread only.
    void Add(Kind kind, Page* page) {
        std::lock_guard lock(m_mutex);
        m_lists[kind].push_back(page);
    }
    // Owner thread only: the owner is the only writer, so its reads need no lock.
    const std::vector<Page*>& Of(Kind kind) const { return m_lists[kind]; }

    using Order = std::array<Kind, kKindCount>;
    static constexpr Order kListOrder = {kMice, kKeyboards, kMousePads, kHeadsets};

    // Any thread: every page, the lists taken in the given order, into out (its storage is
    // reused, so a worker that looks every millisecond does not allocate each time).
    void CopyAll(std::vector<Page*>& out, const Order& order = kListOrder) const {
        out.clear();
        std::lock_guard lock(m_mutex);
        for (Kind kind : order) {
            out.insert(out.end(), m_lists[kind].begin(), m_lists[kind].end());
        }
    }

private:
    mutable std::mutex m_mutex;
    std::array<std::vector<Page*>, kKindCount> m_lists;
};

}  // namespace quaro
