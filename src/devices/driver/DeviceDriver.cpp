#include "devices/driver/DeviceDriver.h"

#include "platform/Trace.h"

#include <cstring>
#include <utility>

namespace quaro {

namespace {

constexpr size_t kStatusByteLink = 3;

}  // namespace

DeviceDriver::DeviceDriver(std::shared_ptr<HidBackend> backend, DriverEventSink* sink, Clock clock)
    : m_sink(sink), m_clock(std::move(clock)), m_primary(backend), m_secondary(backend) {}

DeviceDriver::~DeviceDriver() {
    Stop();
    DetachSecondary();
    Disconnect();
}

void DeviceDriver::Start() {
    if (m_worker.IsRunning()) {
        return;
    }
    {
        std::lock_guard lock(m_mutex);
        m_stopping = false;
    }
    m_worker.Start([this](StopEvent& stop) { Work(stop); });
}

void DeviceDriver::Stop() {
    {
        std::lock_guard lock(m_mutex);
        m_stopping = true;
    }
    m_wake.notify_all();
    // A flow that is still waiting for the device after the grace period is cut short by closing
    // the device: every further command of it fails at once.
    m_worker.Stop([this] {
        m_primary.SetConnected(false);
        m_primary.Device().Close();
    });
}

bool DeviceDriver::IsStopping() const {
    std::lock_guard lock(m_mutex);
    return m_stopping;
}

uint32_t DeviceDriver::RunFlow(Flow flow) {
    uint32_t id = 0;
    {
        std::lock_guard lock(m_mutex);
        id = m_nextId++;
        m_jobs.push_back(Job{id, std::move(flow)});
    }
    m_wake.notify_all();
    return id;
}

uint32_t DeviceDriver::RequestStatus() {
    return RunFlow(&DeviceDriver::StatusFlow);
}

int32_t DeviceDriver::StatusFlow(DeviceDriver& driver) {
    StatusBytes status{};
    const int32_t result = driver.m_primary.ReadStatus(status, 0);
    if (result == kResultSuccess) {
        status[kStatusByteLink] = driver.m_primary.IsSlowLink() ? 1 : 0;
        if (driver.m_sink != nullptr) {
            driver.m_sink->OnStatusRead(status);
        }
    }
    return result;
}

bool DeviceDriver::SubmitFrame(std::span<const uint8_t> frame) {
    if (!m_primary.IsConnected() || m_primary.IsSlowLink() || frame.empty()) {
        return false;
    }
    bool taken = false;
    {
        std::lock_guard lock(m_mutex);
        if (m_frames.IsUnchanged(frame)) {
            return true;
        }
        taken = m_frames.Offer(frame, m_clock());
    }
    if (taken) {
        m_wake.notify_all();
    }
    return taken;
}

bool DeviceDriver::IsFrameSettled() const {
    std::lock_guard lock(m_mutex);
    return m_frames.IsSettled();
}

FrameStats DeviceDriver::Frames() const {
    std::lock_guard lock(m_mutex);
    return m_frames.Stats();
}

bool DeviceDriver::Connect(const std::string& path) {
    bool opened = false;
    {
        std::lock_guard transfer(m_primary.TransferLock());
        opened = m_primary.Device().Open(path, true, true, true, false);
        if (opened) {
            m_primary.SetConnected(true);
        }
    }
    m_lastOpenError = opened ? 0 : m_primary.Device().LastOpenError();
    if (!opened) {
        TraceFormat("cannot open %s: %s", path.c_str(), std::strerror(m_lastOpenError));
    }
    std::lock_guard lock(m_mutex);
    m_frames.Reset();
    return opened;
}

void DeviceDriver::Disconnect() {
    m_primary.SetConnected(false);
    // Not under the transfer lock: a reader holds it for as long as it waits for a reply, and
    // the close is what ends that wait.
    m_primary.Device().Close();
    std::lock_guard lock(m_mutex);
    m_frames.Reset();
}

bool DeviceDriver::AttachSecondary(const std::string& path) {
    DetachSecondary();
    bool opened = false;
    {
        std::lock_guard transfer(m_secondary.TransferLock());
        opened = m_secondary.Device().Open(path, true, true, true, false);
        if (opened) {
            m_secondary.SetConnected(true);
        }
    }
    if (!opened) {
        TraceFormat("cannot open %s: %s", path.c_str(),
                    std::strerror(m_secondary.Device().LastOpenError()));
        return false;
    }
    StartEventReader();
    return true;
}

void DeviceDriver::DetachSecondary() {
    if (!m_secondary.IsConnected()) {
        return;
    }
    // The reader may be blocked in a read without a time-out: stopping it closes the device,
    // which ends the read before the descriptor goes, and joins it; the close below then finds
    // nothing left to close.
    StopEventReader();
    std::lock_guard transfer(m_secondary.TransferLock());
    m_secondary.SetConnected(false);
    m_secondary.Device().Close();
}

DeviceInterfaceEntry DeviceDriver::DeviceRecord() const {
    std::lock_guard lock(m_recordMutex);
    return m_record;
}

void DeviceDriver::SetDeviceRecord(const DeviceInterfaceEntry& record) {
    std::lock_guard lock(m_recordMutex);
    m_record = record;
}

DeviceInfoBytes DeviceDriver::InfoRecord() const {
    std::lock_guard lock(m_recordMutex);
    return m_info;
}

int32_t DeviceDriver::ReadInfoRecord() {
    DeviceInfoBytes info{};
    const int32_t result = m_primary.ReadDeviceInfo(info);
    if (result == kResultSuccess) {
        std::lock_guard lock(m_recordMutex);
        m_info = info;
    }
    return result;
}

void DeviceDriver::Work(StopEvent& /*stop*/) {
    std::vector<uint8_t> frame;
    std::unique_lock lock(m_mutex);
    for (;;) {
        m_wake.wait(lock, [this] { return m_stopping || !m_jobs.empty() || m_frames.HasFrame(); });
        if (m_stopping) {
            break;
        }
        if (!m_jobs.empty()) {
            Job job = std::move(m_jobs.front());
            m_jobs.pop_front();
            lock.unlock();
            RunJob(job);
            lock.lock();
            continue;
        }
        m_frames.Take(frame);
        lock.unlock();
        const uint64_t dropped = m_primary.DroppedLightPackets();
        const int32_t result = TransmitFrame(frame);
        const bool whole = m_primary.DroppedLightPackets() == dropped;
        lock.lock();
        m_frames.Finished(result == kResultSuccess, m_clock(), whole);
    }
    lock.unlock();
    AnswerLeftovers();
}

void DeviceDriver::RunJob(Job& job) {
    m_currentFlow = job.id;
    const int32_t result = job.flow && m_primary.IsConnected() ? job.flow(*this) : kResultFailed;
    m_currentFlow = 0;
    if (m_sink != nullptr) {
        m_sink->OnFlowDone(job.id, result);
    }
}

void DeviceDriver::AnswerLeftovers() {
    std::deque<Job> left;
    {
        std::lock_guard lock(m_mutex);
        left.swap(m_jobs);
    }
    if (m_sink == nullptr) {
        return;
    }
    for (const Job& job : left) {
        m_sink->OnFlowDone(job.id, kResultFailed);
    }
}

}  // namespace quaro
