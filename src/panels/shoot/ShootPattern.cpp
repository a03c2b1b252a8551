#include "panels/shoot/ShootPattern.h"

#include "profiles/JsonAccess.h"
#include "profiles/StoreFileNames.h"

namespace quaro {
namespace {

// Macro event kinds: a mouse button, a horizontal and a vertical pointer move.
constexpr int kShootButtonEvent = 1;
constexpr int kShootHorizontalEvent = 4;
constexpr int kShootVerticalEvent = 5;
constexpr int kShootLeftButton = 1;
constexpr int kShootPressMs = 10;
constexpr int kShootStepMs = 5;

Json::Value ShootEvent(const char* action, int button, int delay, int type) {
    Json::Value event(Json::objectValue);
    event["Action"] = action;
    event["Button"] = button;
    event["Delay"] = delay;
    event["Type"] = type;
    return event;
}

Json::ArrayIndex FirstShootEvent(int bullet) {
    return static_cast<Json::ArrayIndex>(bullet * ShootPattern::kEventsPerBullet);
}

}  // namespace

std::string ShootPattern::FileName(int gun) {
    return std::string(kShootFilePrefix) + std::to_string(gun) + std::string(kShootFileExtension);
}

ShootBullet ShootPattern::ReadBullet(const Json::Value& document, int bullet) {
    ShootBullet values;
    if (bullet < 0) {
        return values;
    }
    const Json::Value& events = ArrayMemberOf(document, "Events");
    const Json::Value& horizontal = ElementOf(events, FirstShootEvent(bullet) + 2);
    const Json::Value& vertical = ElementOf(events, FirstShootEvent(bullet) + 3);
    values.left = StringMember(horizontal, "Action") == "down";
    values.up = StringMember(vertical, "Action") == "down";
    values.x = IntMember(horizontal, "Button");
    values.y = IntMember(vertical, "Button");
    values.delay = IntMember(vertical, "Delay");
    return values;
}

void ShootPattern::WriteBullet(Json::Value& document, int bullet, const ShootBullet& values) {
    if (bullet < 0) {
        return;
    }
    if (!document.isObject()) {
        document = Json::Value(Json::objectValue);
    }
    Json::Value& events = document["Events"];
    if (!events.isArray()) {
        events = Json::Value(Json::arrayValue);
    }
    const Json::ArrayIndex first = FirstShootEvent(bullet);
    events[first] = ShootEvent("down", kShootLeftButton, kShootPressMs, kShootButtonEvent);
    events[first + 1] = ShootEvent("up", kShootLeftButton, 0, kShootButtonEvent);
    events[first + 2] =
        ShootEvent(values.left ? "down" : "up", values.x, kShootStepMs, kShootHorizontalEvent);
    events[first + 3] =
        ShootEvent(values.up ? "down" : "up", values.y, values.delay, kShootVerticalEvent);
}

}  // namespace quaro
