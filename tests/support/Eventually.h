#pragma once

// Waiting on threads in the Qt-free suites: a condition polled up to a generous limit, so that
// only the outcome is checked, never how long it took.

#include <chrono>
#include <functional>
#include <thread>

namespace quaro::test {

inline bool Eventually(const std::function<bool()>& condition,
                       std::chrono::milliseconds limit = std::chrono::seconds(5)) {
    const auto until = std::chrono::steady_clock::now() + limit;
    while (!condition()) {
        if (std::chrono::steady_clock::now() > until) {
            return false;
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

}  // namespace quaro::test
