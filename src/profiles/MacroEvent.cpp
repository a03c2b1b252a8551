#include "profiles/MacroEvent.h"

#include "profiles/JsonAccess.h"

#include <string>

namespace quaro {
namespace {

std::uint16_t ParseDelay(const Json::Value& value) {
    long long delay = 0;
    if (value.isString()) {
        // Leading decimal digits, as a decimal scan reads them; the rest is ignored.
        const std::string text = value.asString();
        std::size_t i = 0;
        while (i < text.size() && (text[i] == ' ' || text[i] == '\t')) {
            ++i;
        }
        const bool negative = i < text.size() && text[i] == '-';
        if (i < text.size() && (text[i] == '-' || text[i] == '+')) {
            ++i;
        }
        for (; i < text.size() && text[i] >= '0' && text[i] <= '9'; ++i) {
            delay = delay * 10 + (text[i] - '0');
            if (delay > kMaxMacroDelay) {
                break;
            }
        }
        if (negative) {
            delay = 0;
        }
    } else if (value.isInt64()) {
        delay = value.asInt64();
    } else if (value.isUInt64() || (value.isDouble() && value.asDouble() > kMaxMacroDelay)) {
        delay = kMaxMacroDelay;
    } else if (value.isDouble() && value.asDouble() > 0) {
        delay = static_cast<long long>(value.asDouble());
    }
    if (delay < 0) {
        return 0;
    }
    return static_cast<std::uint16_t>(delay > kMaxMacroDelay ? kMaxMacroDelay : delay);
}

}  // namespace

MacroEvent ParseMacroEvent(const Json::Value& object) {
    MacroEvent event;
    event.down = StringMember(object, "Action") == "down";
    event.type = static_cast<std::uint8_t>(IntMember(object, "Type") & 0x7F);
    event.button = static_cast<std::uint8_t>(IntMember(object, "Button"));
    event.delay = ParseDelay(MemberOf(object, "Delay"));
    return event;
}

Json::Value MacroEventToJson(const MacroEvent& event) {
    Json::Value object(Json::objectValue);
    object["Action"] = event.down ? "down" : "up";
    object["Button"] = event.button;
    object["Type"] = event.type;
    object["Delay"] = std::to_string(event.delay);
    return object;
}

CompactEventRecord ToCompactRecord(const MacroEvent& event) {
    return {static_cast<std::uint8_t>(event.delay & 0xFF),
            static_cast<std::uint8_t>(event.delay >> 8),
            static_cast<std::uint8_t>((event.type & 0x7F) | (event.down ? 0x80 : 0)), event.button};
}

std::vector<std::uint8_t> ToCompactRecords(const std::vector<MacroEvent>& events) {
    std::vector<std::uint8_t> bytes;
    bytes.reserve(events.size() * 4);
    for (const MacroEvent& event : events) {
        const CompactEventRecord record = ToCompactRecord(event);
        bytes.insert(bytes.end(), record.begin(), record.end());
    }
    return bytes;
}

}  // namespace quaro
