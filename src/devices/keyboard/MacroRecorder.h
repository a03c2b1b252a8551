#pragma once

#include <json/value.h>

#include <array>
#include <cstdint>
#include <functional>
#include <optional>
#include <string>

namespace quaro {

// Where a recorded event goes in the editor's rows: appended, before the selected row, after
// it, or into it (the selected row takes the new key or button and keeps its action and delay).
enum class MacroPlacement : std::uint8_t { kAppend, kBefore, kAfter, kReplace };
inline constexpr int kMacroPlacementCount = 4;

enum class MacroNameStyle : std::uint8_t { kNone, kKeyboard, kMouse };
enum class MacroActionStyle : std::uint8_t { kNone, kDown, kUp, kText };

// How a row shows its event: the caption's language id (empty for none), the name label's
// style, the action label's style and, for movements, the distance the action label shows.
struct MacroRowLook {
    std::string captionId;
    MacroNameStyle nameStyle = MacroNameStyle::kNone;
    MacroActionStyle actionStyle = MacroActionStyle::kNone;
    std::string actionText;
};

// One new row: the event object ("Action", "Button", "Type", "Delay") and its look.
struct MacroRow {
    Json::Value event;
    MacroRowLook look;
};

// The editor's event rows as the recorder sees them. The panel implements it over its list; tests
// over a vector.
class MacroRowModel {
public:
    virtual ~MacroRowModel() = default;
    virtual int RowCount() const = 0;
    // -1 when no row is selected.
    virtual int SelectedRow() const = 0;
    virtual void InsertRow(int index, const MacroRow& row) = 0;
    // The row's event as its user data holds it; null when it holds none.
    virtual Json::Value RowEvent(int index) const = 0;
    // The row's delay edit and its event's "Delay" take the text.
    virtual void SetRowDelay(int index, const std::string& delay) = 0;
    // The row takes a new event (user data) and name label; its action label stays.
    virtual void SetRowName(int index, const Json::Value& event, const MacroRowLook& look) = 0;
    virtual void SelectRow(int index) = 0;
    // Brings the selected row into view soon (the panel's 50 ms timer).
    virtual void ShowSelectionSoon() = 0;
    // Whether a screen point lies on the button that stops recording.
    virtual bool IsOnStopButton(int x, int y) const = 0;
};

// The recorder behind the macro editor: turns key and pointer events into rows with their
// delays, placed as the handler that received them says. It holds the record mode, the constant
// delay, the time of the last event and what each handler last took; nothing of the UI.
//
// Delays: the delay stored on a row is the time until the next recorded event, so each event
// writes the gap since the previous one into the row above it (once any event was recorded in
// the editor's life); the new row itself carries 0 (mode 1 and 3) or the constant delay (mode 2),
// and a row that is first in the list carries the integer 0.
//
// Threads: the UI thread only.
class MacroRecorder {
public:
    static constexpr int kMaxRows = 2000;
    static constexpr int kRealGaps = 1;
    static constexpr int kConstantDelay = 2;
    static constexpr int kNoDelay = 3;
    static constexpr int kMaxDelay = 65535;
    static constexpr int kDefaultConstantDelay = 50;
    // Key messages: down, and down with Alt held.
    static constexpr unsigned kKeyDown = 256;
    static constexpr unsigned kSysKeyDown = 260;

    using Clock = std::function<std::uint32_t()>;

    // clock: milliseconds of a monotonic tick counter; a steady clock when empty.
    explicit MacroRecorder(Clock clock = {});

    // Record mode 1, 2 or 3 (others are taken as 1); the gaps are counted from now.
    void Start(int mode);
    int Mode() const { return m_mode; }
    int ConstantDelay() const { return m_constantDelay; }
    // Clamped to 0..65535.
    void SetConstantDelay(long long delay);

    // A key event (message 256 or 260 down, anything else up). False when it made no change.
    bool OnKey(MacroPlacement placement, unsigned message, std::uint8_t scanCode, bool extended,
               MacroRowModel& rows);
    // A pointer event: message 0x201-0x20C; extraButton 1 (back) or 2 (forward) for 0x20B and
    // 0x20C; the point in screen coordinates. False when it made no change.
    bool OnMouse(MacroPlacement placement, unsigned message, int extraButton, int x, int y,
                 MacroRowModel& rows);
    // A button event or a movement inserted by hand after the selected row (first without
    // one), carrying the constant delay. Extra buttons: variant 0 forward, 1 back; movement
    // (0x200): variant 0 left, 1 right, 2 up, 3 down, distance cut to 8 bits.
    bool InsertMouseEvent(unsigned message, int variant, long long distance, MacroRowModel& rows);

    // How a stored event shows when a macro is loaded.
    static MacroRowLook LookOfEvent(const Json::Value& event);
    // The delay a loaded row's edit shows: "Delay" as a decimal number, above 65534 shown as
    // 65535.
    static std::string DelayText(const Json::Value& event);

private:
    struct Event {
        std::uint8_t button = 0;
        std::uint8_t type = 0;
        bool down = false;
        MacroRowLook look;
    };
    struct KeyMemory {
        std::uint8_t scanCode = 0;
        bool extended = false;
    };

    bool Record(MacroPlacement placement, const Event& event, MacroRowModel& rows);
    static bool Replace(const Event& event, MacroRowModel& rows);
    static Json::Value EventObject(const Event& event);

    Clock m_clock;
    int m_mode = kRealGaps;
    int m_constantDelay = kDefaultConstantDelay;
    std::uint32_t m_lastTick = 0;
    bool m_recordedBefore = false;
    // What each handler last took, by placement: the key held down, the pointer message.
    std::array<std::optional<KeyMemory>, kMacroPlacementCount> m_lastKey{};
    std::array<std::optional<unsigned>, kMacroPlacementCount> m_lastMouseMessage{};
};

}  // namespace quaro
