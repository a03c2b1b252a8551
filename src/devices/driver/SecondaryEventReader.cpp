#include "devices/driver/SecondaryEventReader.h"

#include "device/HidDevice.h"
#include "platform/Trace.h"

#include <algorithm>
#include <array>
#include <optional>

namespace quaro {

using SteadyClock = std::chrono::steady_clock;

SecondaryEventReader::SecondaryEventReader(HidDevice& device, std::chrono::milliseconds rereadDelay,
                                           EventHandler onEvent, RereadHandler onReread)
    : m_device(device),
      m_rereadDelay(rereadDelay),
      m_onEvent(std::move(onEvent)),
      m_onReread(std::move(onReread)) {}

SecondaryEventReader::~SecondaryEventReader() {
    Stop();
}

void SecondaryEventReader::Start() {
    Stop();
    m_stop.Reset();
    m_thread = std::thread([this] { Run(); });
}

void SecondaryEventReader::Stop() {
    {
        // A report being decoded is decoded whole before the close below frees what the
        // decoding reads; a report that arrives later finds the stop and is left alone.
        std::lock_guard decoding(m_decodeMutex);
        m_stop.Signal();
    }
    if (m_thread.joinable()) {
        // The reader waits in the kernel for the next report without a time-out; closing the
        // interface ends that wait (the close lets the read return before the node goes).
        m_device.Close();
        m_thread.join();
    }
    std::lock_guard lock(m_mutex);
    m_rereadDue = false;
}

void SecondaryEventReader::ScheduleReread() {
    std::lock_guard lock(m_mutex);
    m_rereadDue = true;
    m_rereadAt = SteadyClock::now() + m_rereadDelay;
}

bool SecondaryEventReader::IsRereadPending() const {
    std::lock_guard lock(m_mutex);
    return m_rereadDue;
}

std::uint32_t SecondaryEventReader::NextWait() {
    std::lock_guard lock(m_mutex);
    if (!m_rereadDue) {
        return HidDevice::kInfinite;
    }
    const auto left = std::chrono::ceil<std::chrono::milliseconds>(m_rereadAt - SteadyClock::now());
    if (left.count() <= 0) {
        m_rereadDue = false;
        return 0;
    }
    return static_cast<std::uint32_t>(
        std::min<std::int64_t>(left.count(), HidDevice::kInfinite - 1));
}

void SecondaryEventReader::Run() {
    std::array<std::uint8_t, 64> report{};
    while (!m_stop.IsSignalled()) {
        const std::uint32_t waitMs = NextWait();
        if (waitMs == 0) {
            m_onReread();
            continue;
        }
        const auto started = SteadyClock::now();
        std::uint32_t got = 0;
        if (!m_device.ReadReport(report, waitMs, got) || got == 0) {
            // A vanished interface fails at once: look again after a while instead of spinning.
            const std::uint32_t retryMs = std::min(waitMs, kRetryMs);
            if (SteadyClock::now() - started < std::chrono::milliseconds(retryMs) / 2) {
                m_stop.Wait(retryMs);
            }
            continue;
        }
        std::optional<std::uint16_t> usage;
        {
            std::lock_guard decoding(m_decodeMutex);
            if (m_stop.IsSignalled()) {
                break;
            }
            if (!m_device.UnpackReport(HidReportType::kInput, std::span(report.data(), got))) {
                continue;
            }
            const std::vector<HidData>& data = m_device.Data(HidReportType::kInput);
            const auto button = std::find_if(data.begin(), data.end(), [](const HidData& d) {
                return d.isButton && d.isSet && !d.usages.empty();
            });
            if (button != data.end()) {
                usage = button->usages[0];
            }
        }
        if (usage) {
            m_onEvent(*usage);
        }
    }
    Trace("MS设备同步线程设定退出");
}

}  // namespace quaro
