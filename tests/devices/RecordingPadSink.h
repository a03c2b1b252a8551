#pragma once

#include "devices/pad/PadDriverSink.h"

#include <gtest/gtest.h>

#include <chrono>
#include <condition_variable>
#include <map>
#include <mutex>
#include <optional>
#include <vector>

namespace quaro::test {

// Keeps every flow result and record read a pad or headset driver reports, for tests to wait on.
class RecordingPadSink : public PadDriverSink {
public:
    void OnFlowDone(uint32_t flowId, int32_t result) override {
        std::lock_guard lock(m_mutex);
        m_results[flowId] = result;
        m_changed.notify_all();
    }
    void OnStatusRead(const StatusBytes&) override {}
    void OnPadRecordRead(const PadRecordRead& read) override {
        std::lock_guard lock(m_mutex);
        // Reads are answered before their flow ends.
        EXPECT_EQ(m_results.count(read.flowId), 0u);
        m_reads.push_back(read);
        m_changed.notify_all();
    }

    std::optional<int32_t> ResultOf(
        uint32_t flowId, std::chrono::steady_clock::duration wait = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, wait, [&] { return m_results.count(flowId) > 0; })) {
            return std::nullopt;
        }
        return m_results[flowId];
    }
    std::optional<PadRecordRead> WaitRead(
        std::size_t count, std::chrono::steady_clock::duration wait = std::chrono::seconds(10)) {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, wait, [&] { return m_reads.size() >= count; })) {
            return std::nullopt;
        }
        return m_reads[count - 1];
    }
    std::size_t ReadCount() const {
        std::lock_guard lock(m_mutex);
        return m_reads.size();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<uint32_t, int32_t> m_results;
    std::vector<PadRecordRead> m_reads;
};

}  // namespace quaro::test
