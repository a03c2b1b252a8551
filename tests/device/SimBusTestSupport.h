#pragma once

#include "TempDir.h"
#include "device/CommandPacket.h"
#include "device/SimHidBackend.h"
#include "sim/DeviceEmulator.h"

#include <memory>
#include <mutex>
#include <string>
#include <vector>

namespace quaro::test {

// A simulated bus in a temporary folder with one device emulator on it, recording every
// command packet the device receives.
class EmulatedDevice {
public:
    explicit EmulatedDevice(EmulatorModel model) : m_emulator(std::move(model), m_bus.Path()) {
        m_emulator.SetPacketObserver(
            [this](DeviceEmulator::Direction direction, uint16_t, std::span<const uint8_t> r) {
                if (direction == DeviceEmulator::Direction::kReceived && r.size() == kPacketSize) {
                    std::lock_guard lock(m_mutex);
                    Packet packet{};
                    std::copy(r.begin(), r.end(), packet.begin());
                    m_received.push_back(packet);
                }
            });
        m_emulator.Plug();
    }

    std::shared_ptr<SimHidBackend> Backend() const {
        return std::make_shared<SimHidBackend>(m_bus.Path());
    }

    // The path of the given interface and collection (0 = the only one) on the bus.
    std::string PathOf(uint16_t interfaceNumber, uint16_t collection) const {
        std::vector<std::string> paths;
        Backend()->Enumerate(paths);
        char keys[32];
        std::snprintf(keys, sizeof keys, "&mi_%02x", interfaceNumber);
        for (const std::string& path : paths) {
            if (path.find(keys) == std::string::npos) {
                continue;
            }
            char col[16];
            std::snprintf(col, sizeof col, "&col%02x", collection);
            if (collection == 0 ? path.find("&col") == std::string::npos
                                : path.find(col) != std::string::npos) {
                return path;
            }
        }
        return {};
    }

    std::vector<Packet> Received() const {
        std::lock_guard lock(m_mutex);
        return m_received;
    }
    void ClearReceived() {
        std::lock_guard lock(m_mutex);
        m_received.clear();
    }

    DeviceEmulator& Emulator() { return m_emulator; }
    const std::filesystem::path& Bus() const { return m_bus.Path(); }

private:
    TempDir m_bus;
    mutable std::mutex m_mutex;
    std::vector<Packet> m_received;
    DeviceEmulator m_emulator;  // last: its bus threads stop before the recorder goes
};

}  // namespace quaro::test
