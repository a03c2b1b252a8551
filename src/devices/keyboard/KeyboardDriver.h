#pragma once

#include "devices/driver/DeviceDriver.h"
#include "devices/driver/FlowFrame.h"
#include "devices/driver/SecondaryEventReader.h"
#include "devices/keyboard/KeyMaps.h"
#include "devices/keyboard/KeyboardDriverSink.h"
#include "devices/keyboard/KeyboardLightThread.h"
#include "devices/keyboard/KeyboardSettingsRecord.h"
#include "devices/keyboard/SystemSettings.h"
#include "platform/StopEvent.h"
#include "profiles/MacroEvent.h"
#include "profiles/ProfileRecords.h"

#include <array>
#include <chrono>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <optional>
#include <span>
#include <thread>
#include <vector>

namespace quaro {

// What a profile puts into the keyboard.
struct KeyboardProfileImage {
    LightSetting light;
    SystemSettings system;
    std::vector<MacroEvents> macros;  // the macro library in list order
    std::vector<KeyAssignmentEntry> keys;
};

// Which of the page's flows puts a profile into the keyboard.
enum class KeyboardProfileWrite : std::uint8_t {
    // Another profile chosen, or the profile reloaded: the settings record, the macros, then the
    // key image.
    kSwitch,
    // Back to the defaults: the key image, then the settings record; no macros.
    kDefaults,
};

// The keyboard's side of its page: the device flows (reading the keyboard when it comes,
// settings record, macros, key image), the re-read the keyboard asks for when its own settings
// change, the key events that drive the reactive effects, and the light thread whose colours the
// page streams.
//
// The page creates it with a backend and its sink, starts the worker (Start), connects the
// primary interface and attaches the secondary one once discovery gave the paths, asks for
// RequestStart, loads the profile (ApplyLight and the light thread's list and steps) and starts
// the light thread. Its 5 ms frame timer calls SubmitLightFrame.
//
// Threads: the page's thread calls everything public; the flows and the sink's calls run on the
// worker, the key events and the re-read's timing on the event reader, the effects on the light
// thread.
class KeyboardDriver : public DeviceDriver {
public:
    // How long after the keyboard reported a change of its settings the record is read again; a
    // further report within that time puts the read off again.
    static constexpr std::chrono::milliseconds kRereadDelay{100};

    // The sink (not owned, may be null) must outlive the driver.
    KeyboardDriver(std::shared_ptr<HidBackend> backend, KeyboardDriverSink* sink,
                   Clock clock = &std::chrono::steady_clock::now,
                   MillisecondClock lightClock = SteadyMillisecondClock(),
                   RandomSource random = SeededRandomSource(1));
    ~KeyboardDriver() override;

    // --- flows; each returns the flow id its OnFlowDone carries ---
    // Begin, the information record, the image length from the key count, the key image, the key
    // light index table, End; the maps are rebuilt only when image and table were both read.
    uint32_t RequestStart();
    // Clears the light-sync flag, reads the record number r and the 25 bytes at r x 25. Only when
    // both reads succeed is the record taken and played; OnSettingsRecordRead either way.
    uint32_t RequestReadSettings();
    // Begin, the composed record at recordNumber x 25, End.
    uint32_t RequestWriteSettingsRecord(const LightSetting& light, const SystemSettings& system,
                                        std::uint8_t recordNumber = 0);
    // The information record (for the macro memory's size), then, when the block fits and is not
    // empty, Begin, the block, End. The outcome goes to OnMacroDownload.
    uint32_t RequestDownloadMacros(std::vector<MacroEvents> macros);
    // The information record (for a fresh key count), then Begin, the image composed from the
    // image read at the start with the keys' codes at their slots, End. Refused (nothing after
    // the information record) while no image of that key count was read.
    uint32_t RequestWriteKeyAssignments(std::vector<KeyAssignmentEntry> keys, int imageIndex = 0);
    // The blocks of kind in their order as one flow. A block the keyboard refused does not keep
    // the others back; a keyboard that stopped answering ends the flow, so a silent keyboard
    // costs one reply time-out. The result is the first failure's code.
    uint32_t RequestApplyProfile(KeyboardProfileImage image, KeyboardProfileWrite kind);

    // --- what was read ---
    KeyMaps Maps() const;
    int KeyCount() const;
    // The last record read successfully, if any.
    std::optional<KeyboardSettingsReadBack> LastRecord() const;

    // --- light ---
    // Takes the profile's light for the effects: a change of mode restarts the effect (mode 17
    // with these per-key colours, which are kept for later restarts).
    void ApplyLight(const LightSetting& light, std::span<const CustomLightColor> customColors = {});
    KeyboardLightThread& Light() { return m_light; }
    void WakeLight() override { m_light.Wake(); }
    // Composes the frame of the current colours and hands it to the worker (see SubmitFrame).
    bool SubmitLightFrame();

    // True while a re-read is due (the keyboard reported a change less than kRereadDelay ago).
    bool IsRereadPending() const;

protected:
    void StartEventReader() override;
    void StopEventReader() override;

private:
    int32_t StartFlow();
    int32_t ReadFlow(KeyboardReadCause cause);
    int32_t WriteSettingsFlow(const KeyboardSettingsBytes& bytes, uint16_t address);
    int32_t MacroFlow(std::span<const MacroEvents> macros);
    // refusedHere tells a refusal of our own (no image to compose) from a silent keyboard.
    int32_t KeyImageFlow(std::span<const KeyAssignmentEntry> keys, int imageIndex,
                         bool* refusedHere = nullptr);
    int32_t ProfileFlow(const KeyboardProfileImage& image, KeyboardProfileWrite kind);
    uint32_t QueueRead(KeyboardReadCause cause);
    void OnKeyEvent(uint16_t code);

    KeyboardDriverSink* m_sink;
    FlowFrame m_frame;  // over the primary channel, no gate

    mutable std::mutex m_stateMutex;  // everything read from the keyboard, and the light
    KeyMaps m_maps;
    std::vector<std::uint8_t> m_image;  // as read at the start, key count x 3 bytes
    std::optional<KeyboardSettingsReadBack> m_record;
    LightSetting m_lightSetting;
    std::vector<CustomLightColor> m_customColors;

    // The event reader of the secondary interface and the re-read it schedules.
    SecondaryEventReader m_reader;

    KeyboardLightThread m_light;  // last: stopped before the channel it reads goes
};

}  // namespace quaro
