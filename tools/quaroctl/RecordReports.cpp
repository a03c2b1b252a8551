#include "RecordReports.h"

#include "device/CatalogueEntries.h"
#include "devices/StatusRecord.h"
#include "devices/keyboard/KeyCaption.h"
#include "devices/keyboard/KeyMaps.h"
#include "devices/keyboard/KeyboardSettingsRecord.h"
#include "devices/mouse/MouseButtonMap.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "devices/pad/PadSettingsRecord.h"
#include "profiles/KeyCode.h"

#include <algorithm>
#include <functional>
#include <string>
#include <vector>

namespace quaro {
namespace {

bool IsMouse(uint16_t kind) {
    return kind == kKindMouse || kind == kKindMouseSlowLink;
}

void AddLightFields(Report& report, const LightReadBack& light, uint8_t direction) {
    report.Add("mode", light.mode);
    report.Add("brightness", light.brightness);
    report.Add("speed", light.speed);
    report.Add("direction", direction);
    report.Add("multiColor", light.multiColor);
    report.Add("red", light.red);
    report.Add("green", light.green);
    report.Add("blue", light.blue);
}

void AddBytes(Report& report, const char* name, std::span<const uint8_t> bytes) {
    report.Add(name, HexBytes(bytes.data(), bytes.size()));
}

std::string FamilyName(uint8_t type) {
    switch (type) {
        case key_type::kMouseButton:
            return "mouse button";
        case key_type::kMouseSwing:
            return "mouse swing";
        case key_type::kMouseWheel:
            return "mouse wheel";
        case key_type::kDpiFunction:
            return "DPI function";
        case key_type::kFireKey:
            return "fire key";
        case key_type::kDpiShift:
            return "DPI shift";
        case key_type::kKeyboard:
            return "keyboard key";
        case key_type::kCustomShortcut:
            return "editing shortcut";
        case key_type::kShowWindow:
            return "show window";
        case key_type::kConsumer:
            return "media key";
        case key_type::kSystem:
            return "system key";
        case key_type::kMacro:
            return "macro";
        case key_type::kMacroRepeat:
            return "macro, repeated";
        case key_type::kGunKey:
            return "gun key";
        case key_type::kKeyboardFunction:
            return "keyboard function";
        case key_type::kNoFunction:
            return "no function";
        case key_type::kMKey:
            return "M key";
        default:
            return "unknown";
    }
}

// The language ids naming a code; macros and gun keys are named by their number, as their
// names live in the libraries of the computer that wrote them, not in the device.
std::string CaptionOf(KeyCode code) {
    std::string caption;
    for (std::string_view id : KeyCodeCaptionIds(code)) {
        caption += (caption.empty() ? "" : "+") + std::string(id);
    }
    if (caption.empty() && IsMacroCode(code)) {
        caption = "macro " + std::to_string(code.first);
    } else if (caption.empty() && code.type == key_type::kGunKey) {
        caption = "gun key " + std::to_string(code.first);
    }
    return caption;
}

KeyCode CodeAt(std::span<const uint8_t> image, int slot) {
    const std::size_t at = static_cast<std::size_t>(slot) * 3;
    return {image[at], image[at + 1], image[at + 2]};
}

Json::Value OrNull(int value) {
    return value < 0 ? Json::Value() : Json::Value(value);
}

std::string ChargeStateName(uint8_t state) {
    switch (state) {
        case kChargePowered:
            return "powered";
        case kChargeCharging:
            return "charging";
        case kChargeOnBattery:
            return "on battery";
        default:
            return "unknown";
    }
}

std::string PhoneTypeName(uint8_t type) {
    switch (type) {
        case kPhoneIphone:
            return "iphone";
        case kPhoneSamsung:
            return "samsung";
        case kPhoneOther:
            return "other";
        default:
            return "no phone";
    }
}

}  // namespace

Report SettingsReport(uint16_t kind, std::span<const uint8_t> record) {
    Report report("settings");
    if (kind == kKindKeyboard) {
        KeyboardSettingsFields fields;
        if (KeyboardSettingsRecord::Decode(record, fields)) {
            report.Add("recordNumber", fields.recordNumber);
            AddLightFields(report, fields, fields.direction);
            report.Add("wFlag", fields.wFlag);
            report.Add("key6Flag", fields.key6Flag);
            report.Add("winFlag", fields.winFlag);
            report.Add("pollingRate", fields.pollingRate);
        }
    } else if (IsMouse(kind)) {
        MouseSettingsFields fields;
        if (MouseSettingsRecord::Decode(record, fields)) {
            report.Add("recordNumber", fields.recordNumber);
            AddLightFields(report, fields, fields.direction);
            report.Add("reportRate", fields.reportRate);
            report.Add("activeStage", fields.activeStage);
            report.Add("screenWidth", fields.screenWidth);
            report.Add("screenHeight", fields.screenHeight);
            report.Add("minimumSquare", fields.minimumSquare);
            report.Add("pixelThreshold", fields.pixelThreshold);
            report.SetTable("dpiStages", {"stage", "enabled", "xyFlag", "dpiXUnits", "dpiYUnits",
                                          "red", "green", "blue"});
            for (std::size_t s = 0; s < fields.stages.size(); ++s) {
                const DpiStage& stage = fields.stages[s];
                report.AddRow({static_cast<int>(s), stage.enabled, stage.xyFlag, stage.dpiX,
                               stage.dpiY, stage.red, stage.green, stage.blue});
            }
        }
    } else {
        PadSettingsFields fields;
        if (PadSettingsRecord::Decode(record, fields)) {
            report.Add("recordNumber", fields.recordNumber);
            AddLightFields(report, fields, fields.direction);
            AddBytes(report, "reserved", fields.opaque);
        }
    }
    AddBytes(report, "bytes", record);
    return report;
}

Report KeysReport(uint16_t kind, const DeviceInfo& info, std::span<const uint8_t> image) {
    Report report("keys");
    const int slots = std::min<int>(info.keyCount, static_cast<int>(image.size() / 3));
    report.Add("keyCount", info.keyCount);
    // The application finds each logical key by its factory code; a reassigned key has no
    // logical key until the device is reset.
    std::function<int(int)> logicalAt;
    if (IsMouse(kind)) {
        const MouseButtonMap map = BuildMouseButtonMap(image, slots);
        logicalAt = [map](int slot) { return LogicalButtonAtSlot(map, slot); };
    } else {
        const std::vector<uint8_t> noLights(static_cast<std::size_t>(slots), 0);
        const KeyMaps maps = BuildKeyMaps(image, noLights, slots);
        logicalAt = [maps](int slot) { return maps.LogicalKeyAtSlot(slot); };
    }
    report.SetTable("slots", {"slot", "code", "profileCode", "family", "logicalKey", "caption"});
    for (int slot = 0; slot < slots; ++slot) {
        const KeyCode code = CodeAt(image, slot);
        const uint8_t bytes[] = {code.type, code.first, code.second};
        report.AddRow({slot, HexBytes(bytes, 3), static_cast<Json::Int64>(ToProfileInteger(code)),
                       FamilyName(code.type), OrNull(logicalAt(slot)), CaptionOf(code)});
    }
    return report;
}

Report LightsReport(const DeviceInfo& info, std::span<const uint8_t> image,
                    std::span<const uint8_t> lightTable) {
    Report report("lights");
    const int slots = std::min({static_cast<int>(info.keyCount), static_cast<int>(image.size() / 3),
                                static_cast<int>(lightTable.size())});
    report.Add("keyCount", info.keyCount);
    const KeyMaps maps = BuildKeyMaps(image, lightTable, slots);
    report.SetTable("slots", {"slot", "lightIndex", "logicalKey", "caption"});
    for (int slot = 0; slot < slots; ++slot) {
        report.AddRow({slot, lightTable[static_cast<std::size_t>(slot)],
                       OrNull(maps.LogicalKeyAtSlot(slot)), CaptionOf(CodeAt(image, slot))});
    }
    return report;
}

Report StatusReport(std::span<const uint8_t> record, bool slowLink) {
    Report report("status");
    const StatusRecord status = StatusRecord::Parse(record, slowLink);
    report.Add("batteryLevel", status.batteryLevel, std::to_string(status.batteryLevel) + "%");
    report.Add(
        "chargeState", status.chargeState,
        std::to_string(status.chargeState) + " (" + ChargeStateName(status.chargeState) + ")");
    report.Add("wireless", status.wireless != 0);
    report.Add("notice", status.notice);
    report.Add("phoneType", status.phoneType,
               std::to_string(status.phoneType) + " (" + PhoneTypeName(status.phoneType) + ")");
    AddBytes(report, "bytes", record);
    return report;
}

}  // namespace quaro
