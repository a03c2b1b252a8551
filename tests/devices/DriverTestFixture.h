#pragma once

#include "../device/SimBusTestSupport.h"
#include "device/CommandChannel.h"
#include "devices/driver/DriverEventSink.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <map>
#include <memory>
#include <mutex>
#include <optional>
#include <string>
#include <vector>

namespace quaro::test {

// Generous enough for a loaded machine and ThreadSanitizer, yet well below two time-outs.
inline constexpr auto kOneTimeout =
    std::chrono::milliseconds(CommandChannel::kTimeoutMs) + std::chrono::milliseconds(900);

// The commands of the packets received, light frames left out.
inline std::vector<uint8_t> Commands(const std::vector<Packet>& received) {
    std::vector<uint8_t> commands;
    for (const Packet& packet : received) {
        if (packet[kPacketCommand] != kCmdLightFrame) {
            commands.push_back(packet[kPacketCommand]);
        }
    }
    return commands;
}

// The faults a flow is put through, with the result its flow must end with.
struct FaultCase {
    FaultKind kind;
    int32_t result;
    const char* name;
};

inline constexpr FaultCase kFaults[] = {
    {FaultKind::kNoReply, kResultFailed, "no reply"},
    {FaultKind::kWrongEcho, kResultFailed, "wrong echo"},
    {FaultKind::kStatusFE, kResultSecondError, "status FE"},
    {FaultKind::kStatusFF, kResultRejected, "status FF"},
    {FaultKind::kUnplug, kResultFailed, "unplug"},
};

// Whether the device still answers after the fault (it refused), as opposed to falling silent.
inline bool Answered(FaultKind kind) {
    return kind == FaultKind::kStatusFE || kind == FaultKind::kStatusFF;
}

// Keeps every flow result and every settings record read a driver reports, for tests to wait on.
// SinkBase is the kind's sink interface; its record-read call hands the read to RecordRead.
template <typename SinkBase, typename Read>
class RecordingSink : public SinkBase {
public:
    void OnFlowDone(uint32_t flowId, int32_t result) override {
        std::lock_guard lock(m_mutex);
        m_results[flowId] = result;
        m_changed.notify_all();
    }
    void OnStatusRead(const StatusBytes&) override {}

    std::optional<int32_t> ResultOf(
        uint32_t flowId, std::chrono::steady_clock::duration wait = std::chrono::seconds(20)) {
        std::unique_lock lock(m_mutex);
        if (!m_changed.wait_for(lock, wait, [&] { return m_results.count(flowId) > 0; })) {
            return std::nullopt;
        }
        return m_results[flowId];
    }
    std::optional<Read> WaitRead(
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

protected:
    void RecordRead(const Read& read) {
        std::lock_guard lock(m_mutex);
        // Reads are answered before their flow ends.
        EXPECT_EQ(m_results.count(read.flowId), 0u);
        m_reads.push_back(read);
        m_changed.notify_all();
    }
    // Keeps one more report of another kind (a start read, a macro download) under the lock.
    template <typename Report>
    void Keep(std::vector<Report>& reports, const Report& report) {
        std::lock_guard lock(m_mutex);
        reports.push_back(report);
    }
    template <typename Report>
    Report LastOf(const std::vector<Report>& reports) const {
        std::lock_guard lock(m_mutex);
        return reports.empty() ? Report{} : reports.back();
    }

private:
    mutable std::mutex m_mutex;
    std::condition_variable m_changed;
    std::map<uint32_t, int32_t> m_results;
    std::vector<Read> m_reads;
};

// One driver of a kind, started, over one emulated device whose primary and secondary
// interfaces it has open; the sink records what the driver reports.
template <typename Driver, typename Sink>
class DriverFixture : public ::testing::Test {
protected:
    // The device's primary and secondary interfaces as (interface, collection).
    struct Interfaces {
        uint16_t interfaceNumber = 1;
        uint16_t primaryCollection = 4;
        uint16_t secondaryCollection = 3;
    };

    explicit DriverFixture(EmulatorModel model, Interfaces interfaces = {})
        : m_interfaces(interfaces), m_device(std::move(model)) {}

    void SetUp() override {
        m_driver = MakeDriver();
        m_driver->Start();
        Attach();
    }
    void TearDown() override { m_driver.reset(); }

    virtual std::unique_ptr<Driver> MakeDriver() {
        return std::make_unique<Driver>(m_device.Backend(), &m_sink);
    }

    void Attach() {
        const std::string primary =
            m_device.PathOf(m_interfaces.interfaceNumber, m_interfaces.primaryCollection);
        const std::string secondary =
            m_device.PathOf(m_interfaces.interfaceNumber, m_interfaces.secondaryCollection);
        ASSERT_FALSE(primary.empty());
        ASSERT_FALSE(secondary.empty());
        ASSERT_TRUE(m_driver->Connect(primary));
        ASSERT_TRUE(m_driver->AttachSecondary(secondary));
    }
    // Unplugs the device (and forgets its faults), plugs it back in and opens it again.
    void Replug() {
        m_driver->DetachSecondary();
        m_driver->Disconnect();
        m_device.Emulator().Unplug();
        m_device.Emulator().Firmware().ClearFaults();
        ASSERT_TRUE(m_device.Emulator().Plug());
        Attach();
        m_device.ClearReceived();
    }

    FirmwareMemory Memory() { return m_device.Emulator().Firmware().Memory(); }
    void SetMemory(const FirmwareMemory& memory) {
        m_device.Emulator().Firmware().SetMemory(memory);
    }
    std::vector<uint8_t> SettingsMemory() { return Memory().settings; }
    void SetSettings(std::vector<uint8_t> settings) {
        FirmwareMemory memory = Memory();
        memory.settings = std::move(settings);
        SetMemory(memory);
    }

    Interfaces m_interfaces;
    // The light thread's clock, for the kinds whose tests move it by hand.
    std::atomic<uint32_t> m_now{1000};
    EmulatedDevice m_device;
    Sink m_sink;
    std::unique_ptr<Driver> m_driver;
};

}  // namespace quaro::test
