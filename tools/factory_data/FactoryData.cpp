#include "FactoryData.h"

#include "FactoryTables.h"
#include "devices/keyboard/KeyTables.h"
#include "devices/mouse/MouseTables.h"
#include "profiles/JsonFileStore.h"
#include "profiles/StoreFileNames.h"

#include <algorithm>
#include <cmath>

namespace quaro::factory {
namespace {

constexpr int kGunCount = 4;
constexpr int kBulletCount = 30;
// The mouse's DPI stages are stored in device slider units; 50 DPI each on the factory mouse.
constexpr int kDpiPerSliderUnit = 50;

struct Rgb {
    int red;
    int green;
    int blue;
};

Json::Value LightInfo(int effect, Rgb colour) {
    Json::Value info(Json::objectValue);
    info["SelectItem"] = effect;
    info["Light"] = 5;  // the brightest of levels 0-5
    info["Speed"] = 3;
    info["Fx"] = 1;
    info["MultiColor"] = 1;
    info["Red"] = colour.red;
    info["Green"] = colour.green;
    info["Blue"] = colour.blue;
    return info;
}

// Areas with no setting of their own follow the device's effect.
Json::Value NoAreaSettings() {
    return Json::Value(Json::arrayValue);
}

Json::Value KeyList(const KeyCode* codes, std::size_t count) {
    Json::Value list(Json::arrayValue);
    for (std::size_t i = 0; i < count; ++i) {
        Json::Value key(Json::objectValue);
        key["Assignment"] = static_cast<Json::Int64>(ToProfileInteger(codes[i]));
        key["DefaultAssignment"] = static_cast<Json::Int64>(ToProfileInteger(codes[i]));
        list.append(key);
    }
    return list;
}

Json::Value Document(const char* kindName, Json::Value entry) {
    Json::Value document(Json::objectValue);
    document["Device"].append(std::move(entry));
    document["profilename"] = "default";
    document["profileUUID"] = kindName;
    return document;
}

Json::Value Colour(Rgb colour, int alpha) {
    Json::Value value(Json::objectValue);
    value["Red"] = colour.red;
    value["Green"] = colour.green;
    value["Blue"] = colour.blue;
    value["Alpha"] = alpha;
    return value;
}

// A hue of the 0-191 colour wheel as the light engine's six ramps make it, coarsely.
Rgb WheelColour(int hue) {
    const int run = (hue / 32) % 6;
    const int step = (hue % 32) * 255 / 31;
    switch (run) {
        case 0:
            return {255, step, 0};
        case 1:
            return {255 - step, 255, 0};
        case 2:
            return {0, 255, step};
        case 3:
            return {0, 255 - step, 255};
        case 4:
            return {step, 0, 255};
        default:
            return {255, 0, 255 - step};
    }
}

bool IsGamingKey(int key) {
    // W A S D and the arrow keys.
    constexpr int kKeys[] = {44, 64, 65, 66, 96, 113, 114, 115};
    return std::find(std::begin(kKeys), std::end(kKeys), key) != std::end(kKeys);
}

Json::Value CustomLightGroups() {
    Json::Value groups(Json::arrayValue);
    Json::Value white(Json::arrayValue);
    Json::Value rainbow(Json::arrayValue);
    Json::Value gaming(Json::arrayValue);
    Json::Value ice(Json::arrayValue);
    for (int key = 0; key < kLogicalKeyCount; ++key) {
        white.append(Colour({255, 255, 255}, 255));
        rainbow.append(Colour(WheelColour(key * 192 / kLogicalKeyCount), 255));
        gaming.append(IsGamingKey(key) ? Colour({255, 0, 0}, 255) : Colour({0, 40, 255}, 255));
        ice.append(Colour({0, 200 - key % 21 * 5, 255}, 255));
    }
    groups.append(white);
    groups.append(rainbow);
    groups.append(gaming);
    groups.append(ice);
    return groups;
}

Json::Value EqCurve(const std::array<int, 10>& gains) {
    Json::Value curve(Json::arrayValue);
    for (int gain : gains) {
        Json::Value band(Json::objectValue);
        band["value"] = gain;
        curve.append(band);
    }
    return curve;
}

Json::Value NameList(const EffectName* effects, std::size_t count) {
    Json::Value list(Json::arrayValue);
    for (std::size_t i = 0; i < count; ++i) {
        Json::Value effect(Json::objectValue);
        effect["LightName"] = std::string(effects[i].languageId);
        effect["visible"] = effects[i].visible;
        list.append(effect);
    }
    return list;
}

Json::Value ShootEvent(const char* action, int button, int delay, int type) {
    Json::Value event(Json::objectValue);
    event["Action"] = action;
    event["Button"] = button;
    event["Delay"] = delay;
    event["Type"] = type;
    return event;
}

}  // namespace

Json::Value KeyboardProfile() {
    Json::Value entry(Json::objectValue);
    entry["LightInfo"] = LightInfo(0, {255, 0, 0});
    entry["LightList"] = NoAreaSettings();
    entry["KeyList"] = KeyList(kDefaultKeyTable.data(), kDefaultKeyTable.size());
    Json::Value& system = entry["SystemStages"];
    system["Repeat"] = 31;      // the fastest character repeat
    system["RepeatDelay"] = 1;  // 500 ms
    system["Key6Flag"] = 0;
    system["PollingRate"] = 0;
    system["WFlag"] = 0;
    system["WinFlag"] = 0;
    entry["CustomLightMode"]["LightColorInfo"] = CustomLightGroups();
    entry["CustomLightMode"]["CustomLightModeGroupIndex"] = 0;
    return Document("keyboard", entry);
}

Json::Value MouseProfile() {
    Json::Value entry(Json::objectValue);
    entry["LightInfo"] = LightInfo(0, {255, 0, 0});
    entry["LightList"] = NoAreaSettings();
    entry["KeyList"] = KeyList(kMouseDefaultButtonTable.data(), kMouseDefaultButtonTable.size());
    constexpr int kStageDpi[] = {400, 800, 1600, 3200, 6400};
    constexpr Rgb kStageColour[] = {
        {255, 0, 0}, {0, 255, 0}, {0, 0, 255}, {255, 255, 0}, {255, 0, 255}};
    Json::Value& stages = entry["DPIStages"];
    stages["StageActive"] = 2;
    stages["StageDPIs"] = Json::Value(Json::arrayValue);
    for (int s = 0; s < 5; ++s) {
        Json::Value stage(Json::objectValue);
        stage["StageActive"] = 1;
        stage["StageXY"] = 0;
        stage["StageDPIX"] = kStageDpi[s] / kDpiPerSliderUnit;
        stage["StageDPIY"] = kStageDpi[s] / kDpiPerSliderUnit;
        stage["StageColorR"] = kStageColour[s].red;
        stage["StageColorG"] = kStageColour[s].green;
        stage["StageColorB"] = kStageColour[s].blue;
        stages["StageDPIs"].append(stage);
    }
    // Slider positions giving the desktop's usual values: 500 ms double-click on a 1-9
    // slider, pointer speed 10, three wheel lines.
    Json::Value& system = entry["SystemStages"];
    system["DoubleClickTime"] = 5;
    system["MouseSpeed"] = 4;
    system["PointerPrecision"] = 1;
    system["ScorllPage"] = 0;
    system["WheelScorlllinse"] = 2;
    entry["ReportStages"]["StageActive"] = 0;
    constexpr const char* kPresetNames[] = {"low", "medium", "high"};
    for (int p = 0; p < 3; ++p) {
        Json::Value preset(Json::objectValue);
        preset["CorrectPixThresh"] = 2 + 2 * p;
        preset["CorrectMinSq"] = 4 + 4 * p;
        preset["CorrectSelect"] = 0;
        preset["CorrectName"] = kPresetNames[p];
        entry["CorrectInfo"].append(preset);
    }
    return Document("mouse", entry);
}

Json::Value MousePadProfile() {
    Json::Value entry(Json::objectValue);
    entry["LightInfo"] = LightInfo(0, {255, 0, 0});
    entry["LightList"] = NoAreaSettings();
    return Document("MousePad", entry);
}

Json::Value HeadsetProfile() {
    Json::Value entry(Json::objectValue);
    entry["LightInfo"] = LightInfo(1, {0, 160, 255});
    entry["LightList"] = NoAreaSettings();
    Json::Value& values = entry["SystemSetStages"];
    values["MagicEnable"] = 0;
    values["MagicType"] = 1;
    values["EqType"] = 5;  // the flat preset
    values["CustomEqSeletIndex"] = 0;
    values["MicInSelect"] = 1;
    values["MicInValue"] = 80;
    values["MicMoniterSelect"] = 0;
    values["MicMoniterValue"] = 50;
    // Indexed by EQ type: presets 1 to 12; type 0 reads as type 1, so its slot is flat.
    Json::Value& presets = entry["EQHzValueInfo"];
    presets.append(EqCurve({}));
    for (const auto& preset : kEqPresets) {
        presets.append(EqCurve(preset));
    }
    entry["CustomEQNameInfo"] = Json::Value(Json::arrayValue);
    entry["CustomEQHzValueInfo"] = Json::Value(Json::arrayValue);
    return Document("HD", entry);
}

Json::Value DefaultLightNames() {
    Json::Value document(Json::objectValue);
    Json::Value& effects = document["DefaultLightName"];
    effects.append(NameList(kKeyboardEffects.data(), kKeyboardEffects.size()));
    effects.append(NameList(kMouseEffects.data(), kMouseEffects.size()));
    effects.append(NameList(kPadAndHeadsetEffects.data(), kPadAndHeadsetEffects.size()));
    effects.append(NameList(kPadAndHeadsetEffects.data(), kPadAndHeadsetEffects.size()));
    Json::Value& areas = document["AreaLightName"];
    for (int style = 0; style < 4; ++style) {
        areas.append(Json::Value(Json::arrayValue));
    }
    return document;
}

Json::Value LanguageConfig() {
    Json::Value document(Json::objectValue);
    for (const LanguageRow& row : kLanguages) {
        Json::Value language(Json::objectValue);
        language["Language_name"] = std::string(row.name);
        language["Language_file"] = std::string(row.file);
        language["Language_ID"] = row.id;
        language["Language_text"] = std::string(row.textId);
        document["Language"].append(language);
    }
    return document;
}

Json::Value ShootData(int gun) {
    const GunPattern& pattern = kGunPatterns[static_cast<std::size_t>(gun)];
    // One bullet is a 10 ms press, a release, a 5 ms step and the wait: together one shot.
    const int wait = 60000 / pattern.roundsPerMinute - 15;
    Json::Value document(Json::objectValue);
    Json::Value& events = document["Events"];
    for (int b = 0; b < kBulletCount; ++b) {
        const int pull =
            (pattern.pullDown * std::min(b + 1, pattern.rampShots) + pattern.rampShots / 2) /
            pattern.rampShots;
        const double phase = 2.0 * 3.14159265358979 * b / pattern.swayPeriod;
        const int sway = static_cast<int>(std::lround(pattern.sway * std::sin(phase)));
        events.append(ShootEvent("down", 1, 10, 1));
        events.append(ShootEvent("up", 1, 0, 1));
        events.append(ShootEvent(sway < 0 ? "down" : "up", std::abs(sway), 5, 4));
        events.append(ShootEvent("up", pull, wait, 5));  // "up" pulls downwards
    }
    return document;
}

std::vector<std::pair<std::string, Json::Value>> FactoryDocuments() {
    const std::string extension(kProfileExtension);
    std::vector<std::pair<std::string, Json::Value>> documents = {
        {"keyboard" + extension, KeyboardProfile()},
        {"mouse" + extension, MouseProfile()},
        {"MousePad" + extension, MousePadProfile()},
        {"HD" + extension, HeadsetProfile()},
        {std::string(kDefaultLightFileName), DefaultLightNames()},
        {std::string(kLanguageFileName), LanguageConfig()},
    };
    for (int gun = 0; gun < kGunCount; ++gun) {
        documents.emplace_back(
            std::string(kShootFilePrefix) + std::to_string(gun) + std::string(kShootFileExtension),
            ShootData(gun));
    }
    return documents;
}

bool WriteFactoryData(const std::filesystem::path& folder) {
    const JsonFileStore store;
    bool written = true;
    for (const auto& [name, document] : FactoryDocuments()) {
        written = store.WriteJson(folder / name, document) == 0 && written;
    }
    return written;
}

}  // namespace quaro::factory
