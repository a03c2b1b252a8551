#pragma once

#include "device/DiscoverySink.h"
#include "device/DiscoverySlotTable.h"
#include "device/HidBackend.h"

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace quaro::test {

// Records notices as "+slot", "-slot" and "first", and what the slot held when its notice came.
class RecordingSink : public DiscoverySink {
public:
    // Called inside Arrival, before it returns; a test makes it block to play a busy window.
    std::function<void(int slot)> onArrival;
    const DiscoverySlotTable* slots = nullptr;

    void Arrival(int slot) override {
        Record("+" + std::to_string(slot), slot, true);
        if (onArrival) {
            onArrival(slot);
        }
    }
    void Removal(int slot) override { Record("-" + std::to_string(slot), slot, false); }
    void FirstScanDone() override { Record("first", -1, true); }

    std::vector<std::string> Notices() const {
        std::lock_guard lock(m_mutex);
        return m_notices;
    }
    std::vector<std::string> Take() {
        std::lock_guard lock(m_mutex);
        return std::exchange(m_notices, {});
    }
    // Slots whose table row disagreed with the notice when it arrived.
    std::vector<int> Stale() const {
        std::lock_guard lock(m_mutex);
        return m_stale;
    }
    // Waits until the notices hold `count` entries; a guard against a hang, not a timing check.
    bool WaitForCount(size_t count) {
        std::unique_lock lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(20),
                                  [&] { return m_notices.size() >= count; });
    }

private:
    void Record(std::string notice, int slot, bool bound) {
        if (slots != nullptr && slot >= 0) {
            const auto row = slots->Slot(slot);
            if (!row || (row->connected != 0) != bound || row->devicePath.empty() == bound) {
                std::lock_guard lock(m_mutex);
                m_stale.push_back(slot);
            }
        }
        {
            std::lock_guard lock(m_mutex);
            m_notices.push_back(std::move(notice));
        }
        m_changed.notify_all();
    }

    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<std::string> m_notices;
    std::vector<int> m_stale;
};

// Passes every call to the real backend, counting probes and failing enumerations on request.
class ObservedBackend : public HidBackend {
public:
    explicit ObservedBackend(std::shared_ptr<HidBackend> inner) : m_inner(std::move(inner)) {}

    int failEnumerations = 0;

    bool Enumerate(std::vector<std::string>& paths) override {
        if (failEnumerations > 0) {
            --failEnumerations;
            return false;
        }
        return m_inner->Enumerate(paths);
    }
    bool Handles(const std::string& path) const override { return m_inner->Handles(path); }
    std::optional<HidOpenedInterface> Open(const std::string& path,
                                           const HidOpenMode& mode) override {
        std::lock_guard lock(m_mutex);
        m_opened.push_back(path);
        return m_inner->Open(path, mode);
    }
    std::string Identity(const std::string& path) override { return m_inner->Identity(path); }

    std::vector<std::string> Opened() const {
        std::lock_guard lock(m_mutex);
        return m_opened;
    }

private:
    std::shared_ptr<HidBackend> m_inner;
    mutable std::mutex m_mutex;
    std::vector<std::string> m_opened;
};

}  // namespace quaro::test
