#pragma once

#include "devices/driver/DeviceDriver.h"
#include "devices/driver/FlowFrame.h"
#include "devices/driver/SecondaryEventReader.h"
#include "devices/mouse/MouseButtonMap.h"
#include "devices/mouse/MouseDriverSink.h"
#include "devices/mouse/MouseLightThread.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "profiles/MacroEvent.h"
#include "profiles/ProfileRecords.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <vector>

namespace quaro {

// What the page puts into the mouse's settings record. The screen size is the page's (its primary
// screen, taken once); the rest comes from the profile.
struct MouseSettingsWrite {
    LightSetting light;
    std::uint8_t reportRate = 0;
    std::uint8_t activeStage = 0;
    std::vector<DpiStage> stages;
    std::uint16_t screenWidth = 0;
    std::uint16_t screenHeight = 0;
    std::vector<CorrectPreset> corrections;
};

// The mouse's side of its page: the device flows (reading the mouse when it comes, settings
// record, macros, button image), the re-read the mouse asks for when its own settings change,
// and the light thread whose colours the page streams.
//
// A mouse behind a wireless receiver (the primary channel's slow-link flag, set by the page for
// kind 6) may be switched off while the receiver answers: there every command of every flow is
// preceded by a link check, and a mouse that is not there ends the flow with 0 before anything
// else is sent.
//
// The page creates it with a backend and its sink, starts the worker (Start), connects the
// primary interface and attaches the secondary one once discovery gave the paths, asks for
// RequestStart, loads the profile (ApplyLight, the custom steps) and starts the light thread.
// Its 5 ms frame timer calls SubmitLightFrame.
//
// Threads: the page's thread calls everything public; the flows and the sink's calls run on the
// worker, the re-read's timing on the event reader, the effects on the light thread.
class MouseDriver : public DeviceDriver {
public:
    // How long after the mouse reported a change of its settings the record is read again; a
    // further report within that time puts the read off again.
    static constexpr std::chrono::milliseconds kRereadDelay{500};

    // The sink (not owned, may be null) must outlive the driver.
    MouseDriver(std::shared_ptr<HidBackend> backend, MouseDriverSink* sink,
                Clock clock = &std::chrono::steady_clock::now,
                MillisecondClock lightClock = SteadyMillisecondClock());
    ~MouseDriver() override;

    // --- flows; each returns the flow id its OnFlowDone carries ---
    // Begin, the information record, the image length from the button count, the button image,
    // End. The image and map are replaced only when the whole flow succeeded.
    uint32_t RequestStart();
    // Clears the light-sync flag, reads the record number r and the 71 bytes at r x 128. Only
    // when both reads succeed is the record taken and played; OnSettingsRecordRead either way.
    uint32_t RequestReadSettings();
    // Begin, the 66 composed bytes at recordNumber x 128, End.
    uint32_t RequestWriteSettingsRecord(const MouseSettingsWrite& settings,
                                        std::uint8_t recordNumber = 0);
    // The information record (for the macro memory's size), then, when the block fits and is
    // not empty, Begin, the block, End. The outcome goes to OnMacroDownload.
    uint32_t RequestDownloadMacros(std::vector<MacroEvents> macros);
    // The information record (for a fresh button count), then Begin, the image read at the start
    // with each mapped logical button's code at its slot, End. Refused (nothing after the
    // information record) while no image of that button count was read. buttons holds one entry
    // per logical button, in the profile's "KeyList" order.
    uint32_t RequestWriteKeyAssignments(std::vector<KeyAssignmentEntry> buttons);

    // --- what was read ---
    MouseInfo Info() const;
    MouseButtonMap ButtonMap() const;
    std::vector<std::uint8_t> ButtonImage() const;
    // The last record read successfully, if any.
    std::optional<MouseSettingsReadBack> LastRecord() const;

    // --- light ---
    // Takes the profile's light for the effects (a change of mode restarts the effect).
    void ApplyLight(const LightSetting& light);
    LightSetting CurrentLight() const;
    MouseLightThread& Light() { return m_light; }
    void WakeLight() override { m_light.Wake(); }
    // Composes the frame of the current colours and hands it to the worker (see SubmitFrame).
    bool SubmitLightFrame();

    // True while a re-read is due (the mouse reported a change less than kRereadDelay ago).
    bool IsRereadPending() const;

protected:
    void StartEventReader() override;
    void StopEventReader() override;

private:
    // Whether the next command may go: always without the slow-link flag, else only when the
    // link check finds the mouse. The gate of every command of every flow.
    bool LinkGuard();

    int32_t StartFlow();
    int32_t ReadFlow(MouseReadCause cause);
    int32_t WriteSettingsFlow(const MouseSettingsBytes& bytes, uint16_t address);
    int32_t MacroFlow(std::span<const MacroEvents> macros);
    int32_t ButtonImageFlow(std::span<const KeyAssignmentEntry> buttons);
    uint32_t QueueRead(MouseReadCause cause);
    void OnEvent(std::uint16_t code);

    MouseDriverSink* m_sink;
    FlowFrame m_frame;  // over the primary channel, behind LinkGuard

    mutable std::mutex m_stateMutex;  // everything read from the mouse, and the light
    MouseButtonMap m_map{};
    int m_buttonCount = 0;
    std::vector<std::uint8_t> m_image;  // as read at the start, button count x 3 bytes
    std::optional<MouseSettingsReadBack> m_record;
    LightSetting m_lightSetting;

    // The event reader of the secondary interface and the re-read it schedules.
    SecondaryEventReader m_reader;

    MouseLightThread m_light;  // last: stopped before the channel it reads goes
};

}  // namespace quaro
