#pragma once

#include "sim/DeviceFirmware.h"
#include "sim/EmulatorModels.h"
#include "sim/SimInterfaceServer.h"

#include <atomic>
#include <chrono>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace quaro {

// Event codes the devices report on their event collection.
inline constexpr uint16_t kEventSettingsChanged = 0x0401;
inline constexpr uint16_t kEventKeyPressBase = 0x0500;    // + physical slot
inline constexpr uint16_t kEventKeyReleaseBase = 0x0600;  // + physical slot

// One emulated device on the simulated bus: its firmware answering the command packets of its
// command interface, its event reports, and the faults a test or the simulator asks for.
// Plugging publishes one bus entry per interface, named "<instance>-if<N>"; unplugging removes
// them and hangs up on every host that has them open.
class DeviceEmulator {
public:
    enum class Direction { kReceived, kSent };
    // Sees every report the device receives and sends, on the bus thread of its interface.
    using PacketObserver = std::function<void(Direction direction, uint16_t interfaceNumber,
                                              std::span<const uint8_t> report)>;

    DeviceEmulator(EmulatorModel model, std::filesystem::path busFolder,
                   std::string instanceName = {});
    ~DeviceEmulator();
    DeviceEmulator(const DeviceEmulator&) = delete;
    DeviceEmulator& operator=(const DeviceEmulator&) = delete;

    bool Plug();
    void Unplug();
    bool IsPlugged() const { return m_plugged.load(); }

    DeviceFirmware& Firmware() { return m_firmware; }
    const EmulatorModel& Model() const { return m_model; }
    const std::string& InstanceName() const { return m_instanceName; }

    void SetReplyLatency(std::chrono::milliseconds latency) { m_latencyMs = latency.count(); }
    void ScheduleFault(FaultKind kind, uint32_t nthFromNow = 1) {
        m_firmware.ScheduleFault(kind, nthFromNow);
    }
    void SetPacketObserver(PacketObserver observer);

    // Event reports on the event collection; false when no host has the interface open.
    bool SendEvent(uint16_t code);
    bool SendSettingsChanged() { return SendEvent(kEventSettingsChanged); }
    bool SendKeyEvent(uint8_t slot, bool pressed);
    // An unsolicited report on the command interface, as a late reply to an earlier packet
    // would arrive.
    bool SendCommandReport(std::span<const uint8_t> report);

    // The headset's light output reports (17 bytes each), oldest first.
    std::vector<std::vector<uint8_t>> LightReports() const;
    void ClearLightReports();

private:
    void OnOutputReport(uint16_t interfaceNumber, std::span<const uint8_t> report,
                        std::chrono::steady_clock::time_point arrived);
    SimInterfaceServer* ServerFor(uint16_t interfaceNumber);
    void Observe(Direction direction, uint16_t interfaceNumber, std::span<const uint8_t> report);

    EmulatorModel m_model;
    std::filesystem::path m_busFolder;
    std::string m_instanceName;
    DeviceFirmware m_firmware;
    std::atomic<bool> m_plugged{false};
    std::atomic<int64_t> m_latencyMs{0};
    mutable std::mutex m_mutex;  // observer and light reports
    PacketObserver m_observer;
    std::vector<std::vector<uint8_t>> m_lightReports;
    // Last, so destroyed first: their threads call into everything above until they are joined.
    std::vector<std::unique_ptr<SimInterfaceServer>> m_servers;
};

}  // namespace quaro
