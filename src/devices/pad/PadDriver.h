#pragma once

#include "devices/driver/DeviceDriver.h"
#include "devices/driver/FlowFrame.h"
#include "devices/driver/SecondaryEventReader.h"
#include "devices/pad/PadDriverSink.h"
#include "devices/pad/PadLightThread.h"
#include "devices/pad/PadSettingsRecord.h"
#include "platform/StopEvent.h"
#include "profiles/ProfileRecords.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <span>
#include <thread>

namespace quaro {

// The mouse pad's side of its page: the device flows (start, read and write of the light
// record), the re-read the pad asks for when its own settings change, and the light thread
// whose colours the page streams.
//
// The page creates it with a backend and its sink, starts the worker (Start) and, once
// discovery gave the paths, connects the primary interface and attaches the secondary one. It
// then asks for RequestStart, takes the record through the sink, applies the profile's light
// with ApplyLight and writes it with RequestWrite. Every 5 ms its frame timer calls
// SubmitLightFrame (or composes the frame itself from Light().SnapshotColors()).
//
// Threads: the page's thread calls everything public; the flows, the sink's calls and the
// re-read's timing run on the worker and on the event reader, the effects on the light thread.
class PadDriver : public DeviceDriver {
public:
    // How long after the pad reported a change of its settings the record is read again; a
    // further report within that time puts the read off again.
    static constexpr std::chrono::milliseconds kRereadDelay{500};

    // The sink (not owned, may be null) must outlive the driver.
    PadDriver(std::shared_ptr<HidBackend> backend, PadDriverSink* sink,
              Clock clock = &std::chrono::steady_clock::now,
              MillisecondClock lightClock = SteadyMillisecondClock());
    ~PadDriver() override;

    // --- flows; each returns the flow id its OnFlowDone carries ---
    // Begin (0x01), the information record (0x03), End (0x02).
    uint32_t RequestStart();
    // Clears the light-sync flag, then reads the record number r (one byte at 0) and the 25
    // bytes at r x 25. Only when both reads succeed does the record read replace the kept one;
    // the outcome goes to OnPadRecordRead either way.
    uint32_t RequestRead();
    // Begin, the 21 kept bytes at recordNumber x 64 (speed inverted, a mode above 8 as 0), End.
    // The bytes are those kept when asked, not when the flow runs.
    uint32_t RequestWrite(std::uint8_t recordNumber = 0);

    // --- the kept record ---
    PadSettingsRecord Record() const;
    // The record kept before the last read that replaced it.
    PadSettingsRecord PreviousRecord() const;
    // Takes the profile's light: mode, brightness, speed, multicolour and colour go into the
    // kept record (the direction and bytes 9-20 stay as read); the light thread plays the light
    // with the record's fields.
    void ApplyLight(const LightSetting& light);

    // --- light ---
    PadLightThread& Light() { return m_light; }
    void WakeLight() override { m_light.Wake(); }
    // Composes the frame of the current colours and hands it to the worker (see SubmitFrame).
    bool SubmitLightFrame();

    // True while a re-read is due (the pad reported a change less than kRereadDelay ago).
    bool IsRereadPending() const;

protected:
    // For the headset, whose light record, re-read and effects are the pad's over its own LEDs.
    PadDriver(std::shared_ptr<HidBackend> backend, PadDriverSink* sink, LedDeviceKind lightKind,
              int ledCount, Clock clock, MillisecondClock lightClock);

    void StartEventReader() override;
    void StopEventReader() override;

private:
    int32_t ReadFlow(PadReadCause cause);
    int32_t WriteFlow(const PadSettingsBytes& bytes, uint16_t address);
    uint32_t QueueRead(PadReadCause cause);
    void PlayRecord(const PadSettingsRecord& record);
    void OnEvent(std::uint16_t code);

    PadDriverSink* m_sink;
    FlowFrame m_frame;  // over the primary channel, no gate

    mutable std::mutex m_recordMutex;
    PadSettingsRecord m_record;
    PadSettingsRecord m_previous;
    LightSetting m_profileLight;

    // The event reader of the secondary interface and the re-read it schedules.
    SecondaryEventReader m_reader;

    PadLightThread m_light;  // last: stopped before the channel it reads goes
};

}  // namespace quaro
