#pragma once

#include "device/CatalogueEntries.h"
#include "device/CommandChannel.h"
#include "device/DeviceInfoRecord.h"
#include "devices/driver/DriverEventSink.h"
#include "devices/driver/FrameSlot.h"
#include "platform/WorkerThread.h"

#include <chrono>
#include <condition_variable>
#include <cstdint>
#include <deque>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <vector>

namespace quaro {

// The part of a device page that talks to the device, the same for every kind: the primary
// channel (commands and light frames), the secondary channel (the consumer-control interface of
// the same device), the device record and the information record, and one worker thread that
// does all of the page's device I/O.
//
// The worker runs the flows the page asks for one after the other, in the order they were asked
// for, and in between sends the newest light frame. A flow always goes before a waiting frame:
// the channel drops light packets while a command runs anyway. Nothing here blocks the calling
// thread on the device: a device that stops answering costs the worker its reply time-outs.
//
// Threads: the page's thread calls everything public; flows run on the worker and may use the
// channels, the records and IsStopping. The sink is called on the worker.
class DeviceDriver {
public:
    // One device flow. Its result code goes to DriverEventSink::OnFlowDone.
    using Flow = std::function<int32_t(DeviceDriver& driver)>;
    using Clock = std::function<std::chrono::steady_clock::time_point()>;

    // The sink (not owned, may be null) must outlive the driver or at least its Stop.
    DeviceDriver(std::shared_ptr<HidBackend> backend, DriverEventSink* sink,
                 Clock clock = &std::chrono::steady_clock::now);
    virtual ~DeviceDriver();
    DeviceDriver(const DeviceDriver&) = delete;
    DeviceDriver& operator=(const DeviceDriver&) = delete;

    // --- the worker ---
    void Start();
    // Signals the worker, closes the device if a flow overstays the grace period, and joins.
    // Flows not yet run are answered with 0. The driver can be started again afterwards.
    void Stop();
    bool IsStopping() const;

    // Queues a flow and returns its id (counting from 1). While the primary channel is not
    // connected when its turn comes, the flow is not run and answers 0; so does an empty flow.
    uint32_t RunFlow(Flow flow);
    // Queues the power status read: command 0x1A, 6 bytes from offset 0. On success the record
    // goes to OnStatusRead with byte 3 set from the slow-link flag.
    uint32_t RequestStatus();

    // Hands a light frame (command 0x12) to the worker; the newest frame waiting wins. False
    // when the frame is not taken: not connected, behind a slow link (which carries no light),
    // or within the pause after a failed frame.
    // A frame equal to the one the device shows, or is being sent, is not sent again (and
    // counts as taken).
    bool SubmitFrame(std::span<const uint8_t> frame);
    // Whether the device shows the last frame taken, whole, and no other frame waits: until the
    // colours change, further frames would send nothing.
    bool IsFrameSettled() const;
    FrameStats Frames() const;

    // Wakes the kind's light thread to look at its flags again (the light sync let go of the
    // device); kinds without a light thread have nothing to wake.
    virtual void WakeLight() {}

    // --- the primary interface ---
    // Opens the interface under the channel's transfer lock, so the worker never sees a half
    // opened device, and marks the channel connected. False when the open fails; the reason is
    // traced and LastOpenError() keeps it.
    bool Connect(const std::string& path);
    // Marks the channel disconnected and closes the interface. Returns at once even while a
    // flow waits for a reply: the close ends that wait, and the flow's further commands answer 0.
    void Disconnect();
    bool IsConnected() const { return m_primary.IsConnected(); }
    int LastOpenError() const { return m_lastOpenError; }

    // --- the secondary interface ---
    // Opens it under its own transfer lock and starts the event reader.
    bool AttachSecondary(const std::string& path);
    // Stops the event reader, then closes the interface.
    void DetachSecondary();
    bool IsSecondaryAttached() const { return m_secondary.IsConnected(); }

    // --- records ---
    DeviceInterfaceEntry DeviceRecord() const;
    void SetDeviceRecord(const DeviceInterfaceEntry& record);
    DeviceInfoBytes InfoRecord() const;
    // For flows: reads the information record (0x03) and keeps it when the read succeeds.
    int32_t ReadInfoRecord();

    CommandChannel& Primary() { return m_primary; }
    CommandChannel& Secondary() { return m_secondary; }

    // For flows: the id of the flow running on the worker (0 outside a flow).
    uint32_t CurrentFlowId() const { return m_currentFlow; }

protected:
    // Hooks of the kinds. A class that overrides any of them must call Stop and DetachSecondary
    // in its own destructor: the base destructor can no longer reach the overrides.
    //
    // Of the kinds whose secondary interface reports events: start a reader of the secondary
    // channel's device after it was opened, stop (and join) it before it is closed.
    virtual void StartEventReader() {}
    virtual void StopEventReader() {}
    // Sends one light frame on the worker; command 0x12 unless the kind lights up otherwise
    // (the headset takes output reports).
    virtual int32_t TransmitFrame(std::span<const uint8_t> frame) {
        return m_primary.SendLightFrame(frame);
    }

private:
    struct Job {
        uint32_t id;
        Flow flow;
    };

    void Work(StopEvent& stop);
    void RunJob(Job& job);
    // Answers every queued flow with 0; the worker's last act.
    void AnswerLeftovers();
    static int32_t StatusFlow(DeviceDriver& driver);

    DriverEventSink* m_sink;
    Clock m_clock;
    CommandChannel m_primary;
    CommandChannel m_secondary;
    int m_lastOpenError = 0;

    mutable std::mutex m_recordMutex;
    DeviceInterfaceEntry m_record;
    DeviceInfoBytes m_info{};

    mutable std::mutex m_mutex;  // everything below
    std::condition_variable m_wake;
    std::deque<Job> m_jobs;
    uint32_t m_nextId = 1;
    FrameSlot m_frames;
    bool m_stopping = false;

    uint32_t m_currentFlow = 0;  // the worker's own

    WorkerThread m_worker;  // last: stopped before anything it uses goes
};

}  // namespace quaro
