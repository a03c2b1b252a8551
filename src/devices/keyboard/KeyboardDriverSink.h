#pragma once

#include "devices/driver/DriverEventSink.h"
#include "devices/keyboard/KeyMaps.h"
#include "devices/keyboard/KeyboardSettingsRecord.h"
#include "profiles/ProfileRecords.h"

#include <cstdint>

namespace quaro {

// The outcome of reading the keyboard when it came (Begin, information, image, light table,
// End).
struct KeyboardStartRead {
    std::uint32_t flowId = 0;
    std::int32_t result = 0;  // the first failure's code, else 1
    int keyCount = 0;         // from the information record; 0 when it was not read
    // Whether the image and light table were read and the maps rebuilt from them. A keyboard
    // with more keys than the channel's image holds is not read; its profile still loads.
    bool imageRead = false;
    KeyMaps maps;  // the maps in force after the flow (the old ones when not rebuilt)
};

// The outcome of a macro download.
struct KeyboardMacroDownload {
    std::uint32_t flowId = 0;
    std::int32_t result = 0;  // the channel's code of the transfer (1 also when nothing was due)
    // 0 sent (or nothing to send), -1 the block could not be allocated, or a positive number of
    // 4-byte units over the keyboard's macro memory plus one: what the user is told.
    int figure = 0;
    std::size_t capacityBytes = 0;
};

// Why the settings record was read.
enum class KeyboardReadCause : std::uint8_t {
    kRequested,        // the page asked for it
    kSettingsChanged,  // the keyboard reported that its own settings changed
};

// The outcome of a read of the settings record in force.
struct KeyboardRecordRead {
    std::uint32_t flowId = 0;
    KeyboardReadCause cause = KeyboardReadCause::kRequested;
    std::int32_t result = 0;  // 1 only when both reads succeeded
    // Valid when Succeeded(): the record as parsed, and the light setting the driver now plays
    // (the one before with mode, brightness, speed, multicolour and colour as read). Only a
    // successful read may go into the profile.
    KeyboardSettingsReadBack record;
    LightSetting light;
    LightSetting previousLight;

    bool Succeeded() const { return result == 1; }
};

// What the keyboard driver tells its page besides the flows' results. Called on the driver's
// worker thread like DriverEventSink; the page hands the news on to its own thread. Each of
// these comes just before the OnFlowDone of its flow.
class KeyboardDriverSink : public DriverEventSink {
public:
    virtual void OnKeyboardStartRead(const KeyboardStartRead& read) = 0;
    virtual void OnMacroDownload(const KeyboardMacroDownload& download) = 0;
    // Every read that ran, successful or not; the re-reads the keyboard asks for come here too,
    // with flow ids the page never saw.
    virtual void OnSettingsRecordRead(const KeyboardRecordRead& read) = 0;
};

}  // namespace quaro
