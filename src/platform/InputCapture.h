#pragma once

#include <cstdint>
#include <functional>
#include <optional>

namespace quaro {

// A key as the macro recorder and the key capture see it: the key's virtual-key code, its PC set-1
// make code with the extended (E0) flag, press or release, and the time of the event in
// milliseconds on the input source's own clock (only differences between records mean anything).
struct KeyRecord {
    std::uint16_t virtualKey = 0;
    std::uint8_t scanCode = 0;
    bool extended = false;
    bool down = false;
    std::uint32_t timeMs = 0;

    // Bit 0 the extended flag and bit 7 a release, as the recorder's handlers read them.
    std::uint32_t Flags() const { return (extended ? 0x01u : 0u) | (down ? 0u : 0x80u); }
};

enum class MouseButton : std::uint8_t { kLeft, kRight, kMiddle, kBack, kForward };

struct MouseRecord {
    enum class Kind : std::uint8_t { kButtonDown, kButtonUp, kWheel };

    Kind kind = Kind::kButtonDown;
    MouseButton button = MouseButton::kLeft;  // for button records
    int wheelDelta = 0;                       // for wheel records: +120 a notch away, -120 toward
    std::uint32_t timeMs = 0;
    // Where the pointer was, in screen coordinates: the recorder must not record the click on its
    // own stop button.
    int x = 0;
    int y = 0;
};

// X key codes are the Linux input key codes moved up by 8 on every evdev-based server.
inline constexpr unsigned kXKeycodeOffset = 8;

// The record of a Linux input key code, or nothing for a key the recorder has no row for.
std::optional<KeyRecord> KeyRecordFromLinuxKey(unsigned linuxKey, bool down, std::uint32_t timeMs);

// The record of an X pointer button (1 left, 2 middle, 3 right, 4 and 5 the wheel, 8 back,
// 9 forward). A wheel counts once per notch, on the press; the horizontal wheel and buttons beyond
// 9 give nothing.
std::optional<MouseRecord> MouseRecordFromXButton(unsigned button, bool down, std::uint32_t timeMs);

enum class CaptureInstall {
    kInstalled,
    kAlreadyInstalled,
    kNoDisplay,         // no X server to reach
    kNoInputExtension,  // the server cannot report raw input of the whole session
    kFailed,            // the capture could not be set up for another reason
};

// A short English text for a trace line.
const char* CaptureInstallText(CaptureInstall result);

// Reports every key and mouse button event of the session while installed, for the macro
// recorder and the single-key capture. A refused install leaves nothing running, so the caller
// can report it and carry on without capture.
class InputCapture {
public:
    // Called on the capture's own thread, one record at a time; a sink must not call Uninstall.
    struct Sinks {
        std::function<void(const KeyRecord&)> key;
        std::function<void(const MouseRecord&)> mouse;
    };

    virtual ~InputCapture() = default;

    // Events from the moment it returns kInstalled on reach the sinks.
    virtual CaptureInstall Install(Sinks sinks) = 0;
    // Returns once no sink runs any more and none will; does nothing when not installed.
    virtual void Uninstall() = 0;
    virtual bool IsInstalled() const = 0;
    // While installed: true keeps every key but Caps, Num and Scroll Lock from other
    // applications (the lock keys still toggle), false lets them through again. Returns false
    // when the keys cannot be withheld; the capture itself goes on either way. Ends with
    // Uninstall.
    virtual bool WithholdKeys(bool withhold) { return !withhold; }
};

}  // namespace quaro
