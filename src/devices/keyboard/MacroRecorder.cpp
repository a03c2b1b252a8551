#include "devices/keyboard/MacroRecorder.h"

#include "devices/keyboard/KeyTables.h"
#include "devices/keyboard/MacroMouseTable.h"
#include "platform/KeyScanTable.h"
#include "platform/Trace.h"
#include "profiles/JsonAccess.h"
#include "profiles/MacroEvent.h"

#include <algorithm>
#include <chrono>
#include <utility>

namespace quaro {
namespace {

constexpr std::uint8_t kDownBit = 0x80;
constexpr std::uint8_t kTypeBits = 0x7F;
constexpr std::uint8_t kButtonType = 1;
constexpr std::uint8_t kModifierType = 9;
constexpr std::uint8_t kKeyType = 10;
constexpr std::uint8_t kKeyboardCodeKind = 0x20;
constexpr int kModifierRows = 8;
constexpr int kMovementVariants = 4;

std::uint32_t SteadyMilliseconds() {
    return static_cast<std::uint32_t>(std::chrono::duration_cast<std::chrono::milliseconds>(
                                          std::chrono::steady_clock::now().time_since_epoch())
                                          .count());
}

bool IsKeyDown(unsigned message) {
    return message == MacroRecorder::kKeyDown || message == MacroRecorder::kSysKeyDown;
}

MacroActionStyle ActionStyle(bool down) {
    return down ? MacroActionStyle::kDown : MacroActionStyle::kUp;
}

// The mouse table row of a pointer message; extra buttons by their number (1 back, 2 forward).
int MouseRowOf(unsigned message, int extraButton) {
    for (int row = 0; row < kMainButtonRows; ++row) {
        if (kMacroMouseTable[static_cast<std::size_t>(row)].message == message) {
            return row;
        }
    }
    if (message != mouse_message::kExtraDown && message != mouse_message::kExtraUp) {
        return -1;
    }
    const int up = message == mouse_message::kExtraUp ? 1 : 0;
    if (extraButton == 2) {
        return 6 + up;
    }
    if (extraButton == 1) {
        return 8 + up;
    }
    return -1;
}

}  // namespace

MacroRecorder::MacroRecorder(Clock clock)
    : m_clock(clock ? std::move(clock) : Clock(SteadyMilliseconds)) {}

void MacroRecorder::Start(int mode) {
    m_mode = mode == kConstantDelay || mode == kNoDelay ? mode : kRealGaps;
    m_lastTick = m_clock();
}

void MacroRecorder::SetConstantDelay(long long delay) {
    m_constantDelay = static_cast<int>(std::clamp<long long>(delay, 0, kMaxDelay));
}

bool MacroRecorder::OnKey(MacroPlacement placement, unsigned message, std::uint8_t scanCode,
                          bool extended, MacroRowModel& rows) {
    // A held key repeats its down message; only the first one counts.
    std::optional<KeyMemory>& held = m_lastKey[static_cast<std::size_t>(placement)];
    const bool down = IsKeyDown(message);
    const bool same = held && held->scanCode == scanCode && held->extended == extended;
    if (down) {
        if (same) {
            return false;
        }
        held = KeyMemory{scanCode, extended};
    } else if (same) {
        held.reset();
    }
    const int row = FindKeyScanRow(scanCode, extended);
    if (row < 0) {
        return false;
    }
    const KeyTableRow& key = kKeyNameTable[static_cast<std::size_t>(row)];
    Event event;
    if (key.code.second != 0) {
        event.button = key.code.second;
        event.type = kKeyType;
    } else if (key.code.first != 0) {
        event.button = key.code.first;
        event.type = kModifierType;
    } else {
        return false;
    }
    event.down = down;
    event.look = {std::string(key.caption), MacroNameStyle::kKeyboard, ActionStyle(down), {}};
    return Record(placement, event, rows);
}

bool MacroRecorder::OnMouse(MacroPlacement placement, unsigned message, int extraButton, int x,
                            int y, MacroRowModel& rows) {
    const int row = MouseRowOf(message, extraButton);
    if (row < 0) {
        return false;
    }
    std::optional<unsigned>& last = m_lastMouseMessage[static_cast<std::size_t>(placement)];
    if (last && *last == message) {
        return false;
    }
    last = message;
    // The click that ends the recording is no part of it.
    const bool left = message == mouse_message::kLeftDown || message == mouse_message::kLeftUp;
    if (left && rows.IsOnStopButton(x, y)) {
        return false;
    }
    const MacroMouseRow& mouse = kMacroMouseTable[static_cast<std::size_t>(row)];
    Event event;
    event.button = mouse.button;
    event.type = mouse.kind & kTypeBits;
    event.down = (mouse.kind & kDownBit) != 0;
    event.look = {std::string(mouse.caption), MacroNameStyle::kMouse, ActionStyle(event.down), {}};
    return Record(placement, event, rows);
}

bool MacroRecorder::InsertMouseEvent(unsigned message, int variant, long long distance,
                                     MacroRowModel& rows) {
    Event event;
    if (message == mouse_message::kMove) {
        if (variant < 0 || variant >= kMovementVariants) {
            return false;
        }
        const MacroMouseRow& mouse =
            kMacroMouseTable[static_cast<std::size_t>(kFirstMovementRow + variant)];
        // A movement's distance is one byte on the device.
        event.button = static_cast<std::uint8_t>(distance & 0xFF);
        event.type = mouse.kind & kTypeBits;
        event.down = (mouse.kind & kDownBit) != 0;
        event.look = {std::string(mouse.caption), MacroNameStyle::kMouse, MacroActionStyle::kText,
                      std::to_string(event.button)};
    } else {
        int row = -1;
        if (message == mouse_message::kExtraDown || message == mouse_message::kExtraUp) {
            if (variant == 0 || variant == 1) {
                row = MouseRowOf(message, variant == 0 ? 2 : 1);
            }
        } else {
            row = MouseRowOf(message, 0);
        }
        if (row < 0) {
            return false;
        }
        const MacroMouseRow& mouse = kMacroMouseTable[static_cast<std::size_t>(row)];
        event.button = mouse.button;
        event.type = mouse.kind & kTypeBits;
        event.down = (mouse.kind & kDownBit) != 0;
        event.look = {
            std::string(mouse.caption), MacroNameStyle::kMouse, ActionStyle(event.down), {}};
    }
    if (rows.RowCount() >= kMaxRows) {
        return false;
    }
    const int selected = rows.SelectedRow();
    const int index = selected < 0 ? 0 : selected + 1;
    Json::Value object = EventObject(event);
    object["Delay"] = std::to_string(m_constantDelay);
    rows.InsertRow(index, {object, event.look});
    rows.SelectRow(index);
    rows.ShowSelectionSoon();
    return true;
}

bool MacroRecorder::Record(MacroPlacement placement, const Event& event, MacroRowModel& rows) {
    if (placement == MacroPlacement::kReplace) {
        return Replace(event, rows);
    }
    const int selected = rows.SelectedRow();
    if (placement != MacroPlacement::kAppend && selected < 0) {
        return false;
    }
    const int count = rows.RowCount();
    if (count >= kMaxRows) {
        return false;
    }
    int index = count;
    if (placement == MacroPlacement::kBefore) {
        index = selected;
    } else if (placement == MacroPlacement::kAfter) {
        index = selected + 1;
        TraceFormat("m_MacroRedioTime %d", m_mode);
    }
    std::uint32_t gap = 0;
    if (m_mode == kRealGaps) {
        const std::uint32_t now = m_clock();
        gap = std::min<std::uint32_t>(now - m_lastTick, kMaxDelay);
        m_lastTick = now;
    } else if (m_mode == kConstantDelay) {
        gap = static_cast<std::uint32_t>(m_constantDelay);
    }
    const bool first = index == 0;
    Json::Value object = EventObject(event);
    if (first) {
        // Nothing precedes it yet; the next event writes its real delay.
        object["Delay"] = 0;
    } else {
        object["Delay"] = m_mode == kConstantDelay ? std::to_string(m_constantDelay) : "0";
    }
    rows.InsertRow(index, {object, event.look});
    if (m_recordedBefore && !first) {
        rows.SetRowDelay(index - 1, std::to_string(gap));
    }
    m_recordedBefore = true;
    // Recording before a row keeps that row selected, so later events go before it too.
    rows.SelectRow(placement == MacroPlacement::kBefore ? index + 1 : index);
    rows.ShowSelectionSoon();
    return true;
}

bool MacroRecorder::Replace(const Event& event, MacroRowModel& rows) {
    const int selected = rows.SelectedRow();
    if (selected < 0) {
        return false;
    }
    Json::Value object = rows.RowEvent(selected);
    if (!object.isObject()) {
        return false;
    }
    object["Button"] = event.button;
    object["Type"] = event.type;
    MacroRowLook look = event.look;
    look.actionStyle = MacroActionStyle::kNone;
    rows.SetRowName(selected, object, look);
    return true;
}

Json::Value MacroRecorder::EventObject(const Event& event) {
    Json::Value object(Json::objectValue);
    object["Action"] = event.down ? "down" : "up";
    object["Button"] = event.button;
    object["Type"] = event.type;
    return object;
}

MacroRowLook MacroRecorder::LookOfEvent(const Json::Value& event) {
    const int type = IntMember(event, "Type");
    const int button = IntMember(event, "Button");
    const bool down = StringMember(event, "Action") == "down";
    MacroRowLook look;
    look.actionStyle = ActionStyle(down);
    switch (type) {
        case kKeyType:
            look.nameStyle = MacroNameStyle::kKeyboard;
            for (int row = kModifierRows; row < kKeyNameRowCount; ++row) {
                const KeyTableRow& key = kKeyNameTable[static_cast<std::size_t>(row)];
                if (key.code.type == kKeyboardCodeKind && key.code.first == 0 &&
                    key.code.second == button) {
                    look.captionId = key.caption;
                    break;
                }
            }
            break;
        case kModifierType:
            look.nameStyle = MacroNameStyle::kKeyboard;
            for (int row = 0; row < kModifierRows; ++row) {
                const KeyTableRow& key = kKeyNameTable[static_cast<std::size_t>(row)];
                if (key.code.first == button && key.code.second == 0) {
                    look.captionId = key.caption;
                    break;
                }
            }
            break;
        case kButtonType:
            look.nameStyle = MacroNameStyle::kMouse;
            for (int row = 0; row < kButtonRows; ++row) {
                const MacroMouseRow& mouse = kMacroMouseTable[static_cast<std::size_t>(row)];
                if (mouse.button == button) {
                    look.captionId = mouse.caption;
                    break;
                }
            }
            break;
        case 4:
        case 5: {
            look.nameStyle = MacroNameStyle::kMouse;
            look.actionStyle = MacroActionStyle::kText;
            look.actionText = std::to_string(button);
            const int kind = type | (down ? kDownBit : 0);
            for (int row = kFirstMovementRow; row < kFirstMovementRow + kMovementVariants; ++row) {
                const MacroMouseRow& mouse = kMacroMouseTable[static_cast<std::size_t>(row)];
                if (mouse.kind == kind) {
                    look.captionId = mouse.caption;
                    break;
                }
            }
            break;
        }
        case 2:
        case 3:
            look.nameStyle = MacroNameStyle::kMouse;
            look.actionStyle = MacroActionStyle::kText;
            break;
        default:
            break;
    }
    return look;
}

std::string MacroRecorder::DelayText(const Json::Value& event) {
    return std::to_string(ParseMacroEvent(event).delay);
}

}  // namespace quaro
