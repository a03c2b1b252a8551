#include "sim/DeviceEmulator.h"

#include "sim/EmulatorDescriptors.h"

#include <thread>

namespace quaro {

namespace {

// The headset keeps this many light reports; a light stream sends twelve per frame.
constexpr size_t kKeptLightReports = 1024;
constexpr size_t kHeadsetLightReportSize = 17;

}  // namespace

DeviceEmulator::DeviceEmulator(EmulatorModel model, std::filesystem::path busFolder,
                               std::string instanceName)
    : m_model(std::move(model)),
      m_busFolder(std::move(busFolder)),
      m_instanceName(instanceName.empty() ? m_model.name : std::move(instanceName)),
      m_firmware(m_model.memory) {
    for (const EmulatorInterface& interface : m_model.interfaces) {
        SimInterfaceDescription description;
        description.name = m_instanceName + "-if" + std::to_string(interface.number);
        description.vendorId = m_model.vendorId;
        description.productId = m_model.productId;
        description.version = m_model.version;
        description.interfaceNumber = interface.number;
        description.reportDescriptor = interface.reportDescriptor;
        description.product = m_model.product;
        const uint16_t number = interface.number;
        m_servers.push_back(std::make_unique<SimInterfaceServer>(
            m_busFolder, std::move(description),
            [this, number](std::span<const uint8_t> report,
                           SimInterfaceServer::Clock::time_point arrived) {
                OnOutputReport(number, report, arrived);
            }));
    }
}

DeviceEmulator::~DeviceEmulator() {
    // Joins every bus thread, including one that unplugged itself on a fault, before the
    // firmware, the observer and the mutex go.
    Unplug();
    m_servers.clear();
}

bool DeviceEmulator::Plug() {
    for (auto& server : m_servers) {
        if (!server->Start()) {
            Unplug();
            return false;
        }
    }
    m_plugged = true;
    return true;
}

void DeviceEmulator::Unplug() {
    m_plugged = false;
    for (auto& server : m_servers) {
        server->Stop();
    }
}

void DeviceEmulator::SetPacketObserver(PacketObserver observer) {
    std::lock_guard lock(m_mutex);
    m_observer = std::move(observer);
}

void DeviceEmulator::Observe(Direction direction, uint16_t interfaceNumber,
                             std::span<const uint8_t> report) {
    std::lock_guard lock(m_mutex);
    if (m_observer) {
        m_observer(direction, interfaceNumber, report);
    }
}

SimInterfaceServer* DeviceEmulator::ServerFor(uint16_t interfaceNumber) {
    for (auto& server : m_servers) {
        if (server->Description().interfaceNumber == interfaceNumber) {
            return server.get();
        }
    }
    return nullptr;
}

void DeviceEmulator::OnOutputReport(uint16_t interfaceNumber, std::span<const uint8_t> report,
                                    std::chrono::steady_clock::time_point arrived) {
    // The reply latency counts from the request's arrival on the socket, so the time the bus
    // thread takes to wake up and the firmware and the observer take is part of it rather than
    // added to it.
    Observe(Direction::kReceived, interfaceNumber, report);
    if (report.empty()) {
        return;
    }
    if (report[0] == kHeadsetLightReportId && report.size() == kHeadsetLightReportSize) {
        std::lock_guard lock(m_mutex);
        if (m_lightReports.size() == kKeptLightReports) {
            m_lightReports.erase(m_lightReports.begin());
        }
        m_lightReports.emplace_back(report.begin(), report.end());
        return;
    }
    if (interfaceNumber != m_model.commandInterface) {
        return;
    }
    const DeviceFirmware::Outcome outcome = m_firmware.Handle(report);
    if (outcome.unplug) {
        Unplug();
        return;
    }
    if (!outcome.reply) {
        return;
    }
    const int64_t latency = m_latencyMs.load();
    if (latency > 0) {
        std::this_thread::sleep_until(arrived + std::chrono::milliseconds(latency));
    }
    if (SimInterfaceServer* server = ServerFor(interfaceNumber)) {
        for (const std::vector<uint8_t>& report : outcome.before) {
            Observe(Direction::kSent, interfaceNumber, report);
            server->SendInput(report);
        }
        Observe(Direction::kSent, interfaceNumber, *outcome.reply);
        server->SendInput(*outcome.reply);
    }
}

bool DeviceEmulator::SendEvent(uint16_t code) {
    SimInterfaceServer* server = ServerFor(m_model.eventInterface);
    if (server == nullptr) {
        return false;
    }
    const uint8_t report[] = {kEventReportId, static_cast<uint8_t>(code & 0xFF),
                              static_cast<uint8_t>(code >> 8)};
    Observe(Direction::kSent, m_model.eventInterface, report);
    return server->SendInput(report);
}

bool DeviceEmulator::SendKeyEvent(uint8_t slot, bool pressed) {
    return SendEvent(
        static_cast<uint16_t>((pressed ? kEventKeyPressBase : kEventKeyReleaseBase) + slot));
}

bool DeviceEmulator::SendCommandReport(std::span<const uint8_t> report) {
    SimInterfaceServer* server = ServerFor(m_model.commandInterface);
    if (server == nullptr) {
        return false;
    }
    Observe(Direction::kSent, m_model.commandInterface, report);
    return server->SendInput(report);
}

std::vector<std::vector<uint8_t>> DeviceEmulator::LightReports() const {
    std::lock_guard lock(m_mutex);
    return m_lightReports;
}

void DeviceEmulator::ClearLightReports() {
    std::lock_guard lock(m_mutex);
    m_lightReports.clear();
}

}  // namespace quaro
