#pragma once

#include "device/DeviceInfoRecord.h"
#include "devices/driver/DriverEventSink.h"
#include "devices/mouse/MouseButtonMap.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "profiles/ProfileRecords.h"

#include <cstddef>
#include <cstdint>

namespace quaro {

// What the page takes from the mouse's information record.
struct MouseInfo {
    int buttonCount = 0;
    int dpiStep = 0;    // DPI per slider unit; 0 while no record was read
    int sliderMax = 0;  // slider units
    int minDpi = 0;
    std::size_t macroCapacityBytes = 0;

    static MouseInfo From(const DeviceInfoBytes& record);
    // The highest DPI the edits accept: slider maximum x DPI step.
    int MaxDpi() const { return sliderMax * dpiStep; }

    friend bool operator==(const MouseInfo&, const MouseInfo&) = default;
};

// The outcome of reading the mouse when it came (Begin, information, button image, End).
struct MouseStartRead {
    std::uint32_t flowId = 0;
    std::int32_t result = 0;  // the first failure's code, else 1
    // Whether the information record was read in this flow; info is the one in force either way.
    bool infoRead = false;
    MouseInfo info;
    // Whether the button image was read and the map rebuilt from it. A mouse with more buttons
    // than one image holds (or none at all) is not read.
    bool imageRead = false;
    MouseButtonMap map{};  // the map in force after the flow (the old one when not rebuilt)
};

// The outcome of a macro download.
struct MouseMacroDownload {
    std::uint32_t flowId = 0;
    std::int32_t result = 0;  // the channel's code of the transfer (1 also when nothing was due)
    // 0 sent (or nothing to send), -1 the block could not be allocated, or a positive number of
    // 4-byte units over the mouse's macro memory plus one: what the user is told.
    int figure = 0;
    std::size_t capacityBytes = 0;
};

// Why the settings record was read.
enum class MouseReadCause : std::uint8_t {
    kRequested,        // the page asked for it
    kSettingsChanged,  // the mouse reported that its own settings changed
};

// The outcome of a read of the settings record in force.
struct MouseRecordRead {
    std::uint32_t flowId = 0;
    MouseReadCause cause = MouseReadCause::kRequested;
    std::int32_t result = 0;  // 1 only when both reads succeeded
    // Valid when Succeeded(): the record as read, and the light the driver now plays (the one
    // before with mode, brightness, speed, multicolour and colour as read; the direction stays).
    // Only a successful read may go into the profile.
    MouseSettingsReadBack record;
    LightSetting light;
    LightSetting previousLight;

    bool Succeeded() const { return result == 1; }
};

// What the mouse driver tells its page besides the flows' results. Called on the driver's worker
// thread like DriverEventSink; the page hands the news on to its own thread. Each comes just before
// the OnFlowDone of its flow.
class MouseDriverSink : public DriverEventSink {
public:
    virtual void OnMouseStartRead(const MouseStartRead& read) = 0;
    virtual void OnMacroDownload(const MouseMacroDownload& download) = 0;
    // Every read that ran, successful or not; the re-reads the mouse asks for come here too, with
    // flow ids the page never saw.
    virtual void OnSettingsRecordRead(const MouseRecordRead& read) = 0;
};

}  // namespace quaro
