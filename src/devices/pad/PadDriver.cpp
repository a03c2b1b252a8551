#include "devices/pad/PadDriver.h"

#include "device/HidReportData.h"
#include "platform/Trace.h"

#include <algorithm>
#include <array>
#include <utility>

namespace quaro {

PadDriver::PadDriver(std::shared_ptr<HidBackend> backend, PadDriverSink* sink, Clock clock,
                     MillisecondClock lightClock)
    : PadDriver(std::move(backend), sink, LedDeviceKind::kPad, kPadLedCount, std::move(clock),
                std::move(lightClock)) {}

PadDriver::PadDriver(std::shared_ptr<HidBackend> backend, PadDriverSink* sink,
                     LedDeviceKind lightKind, int ledCount, Clock clock,
                     MillisecondClock lightClock)
    : DeviceDriver(std::move(backend), sink, std::move(clock)),
      m_sink(sink),
      m_frame(Primary()),
      m_reader(
          Secondary().Device(), kRereadDelay, [this](std::uint16_t code) { OnEvent(code); },
          [this] { QueueRead(PadReadCause::kSettingsChanged); }),
      m_light(Primary(), std::move(lightClock), lightKind, ledCount) {}

PadDriver::~PadDriver() {
    m_light.Stop();
    Stop();
    DetachSecondary();
    Disconnect();
}

uint32_t PadDriver::RequestStart() {
    return RunFlow([this](DeviceDriver&) {
        return m_frame.SendBracketed(RefusedBegin::kStop, [this] { return ReadInfoRecord(); });
    });
}

uint32_t PadDriver::RequestRead() {
    return QueueRead(PadReadCause::kRequested);
}

uint32_t PadDriver::QueueRead(PadReadCause cause) {
    return RunFlow([this, cause](DeviceDriver&) { return ReadFlow(cause); });
}

int32_t PadDriver::ReadFlow(PadReadCause cause) {
    PadRecordRead read;
    read.flowId = CurrentFlowId();
    read.cause = cause;
    {
        std::lock_guard lock(m_recordMutex);
        read.previous = m_record;
    }
    std::array<uint8_t, kPadSettingsReadSize> bytes{};
    read.result = m_frame.ReadRecordInForce(bytes, kPadSettingsReadStride);
    {
        std::lock_guard lock(m_recordMutex);
        // Only a whole read replaces the record: a pad unplugged between the two reads must not
        // leave zeros where the user's light setting was.
        if (read.result == kResultSuccess) {
            m_previous = m_record;
            m_record.TakeFromDevice(bytes);
        }
        read.record = m_record;
    }
    if (read.result == kResultSuccess) {
        PlayRecord(read.record);
    } else {
        TraceFormat("light record not read (%d); the kept record stays", read.result);
    }
    if (m_sink != nullptr) {
        m_sink->OnPadRecordRead(read);
    }
    return read.result;
}

uint32_t PadDriver::RequestWrite(std::uint8_t recordNumber) {
    const PadSettingsBytes bytes = Record().ComposeForDevice();
    const auto address = static_cast<uint16_t>(recordNumber * kPadSettingsWriteStride);
    return RunFlow([this, bytes, address](DeviceDriver&) { return WriteFlow(bytes, address); });
}

int32_t PadDriver::WriteFlow(const PadSettingsBytes& bytes, uint16_t address) {
    return m_frame.WriteRecord(RefusedBegin::kStop, bytes, address);
}

PadSettingsRecord PadDriver::Record() const {
    std::lock_guard lock(m_recordMutex);
    return m_record;
}

PadSettingsRecord PadDriver::PreviousRecord() const {
    std::lock_guard lock(m_recordMutex);
    return m_previous;
}

void PadDriver::ApplyLight(const LightSetting& light) {
    PadSettingsRecord record;
    {
        std::lock_guard lock(m_recordMutex);
        m_profileLight = light;
        m_record.ApplyLight(light);
        record = m_record;
    }
    PlayRecord(record);
}

void PadDriver::PlayRecord(const PadSettingsRecord& record) {
    LightSetting profileLight;
    {
        std::lock_guard lock(m_recordMutex);
        profileLight = m_profileLight;
    }
    m_light.SetSetting(record.OverLight(profileLight));
}

bool PadDriver::SubmitLightFrame() {
    std::array<uint8_t, 3 * kMaxLedCount> frame{};
    const std::size_t length = m_light.ComposeFrame(frame);
    return SubmitFrame(std::span<const uint8_t>(frame.data(), length));
}

bool PadDriver::IsRereadPending() const {
    return m_reader.IsRereadPending();
}

void PadDriver::StartEventReader() {
    m_reader.Start();
}

void PadDriver::StopEventReader() {
    m_reader.Stop();
}

void PadDriver::OnEvent(std::uint16_t code) {
    if (code == SecondaryEventReader::kSettingsChangedEvent) {
        m_reader.ScheduleReread();
    }
}

}  // namespace quaro
