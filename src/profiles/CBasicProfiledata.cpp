#include "profiles/CBasicProfiledata.h"

#include "profiles/JsonAccess.h"
#include "profiles/LightEffectFile.h"

#include <optional>

namespace quaro {
namespace {

const Json::Value& EntryAt(const Json::Value& document, int index) {
    if (index < 0) {
        return Json::Value::nullSingleton();
    }
    const Json::Value& entry =
        ElementOf(ArrayMemberOf(document, "Device"), static_cast<Json::ArrayIndex>(index));
    // An entry that is not an object holds none of the groups: it counts as missing.
    return entry.isObject() ? entry : Json::Value::nullSingleton();
}

// A "Device" of another type than an array holds what a rewrite would lose.
bool IsProfileDocument(const Json::Value& document) {
    return document.isObject() && (!document.isMember("Device") || document["Device"].isArray());
}

}  // namespace

void CBasicProfiledata::SetProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) {
        m_profilePath = path;
    }
}

void CBasicProfiledata::SetDefaultProfilePath(const std::filesystem::path& path) {
    if (!path.empty()) {
        m_defaultProfilePath = path;
    }
}

Json::Value CBasicProfiledata::Load(const std::filesystem::path& path) {
    const DocumentRead read = m_store.ReadDocument(path);
    const Json::Value& document = IsProfileDocument(read.value) ? read.value : Json::Value();
    m_deviceEntry = EntryAt(document, m_deviceIndex);
    if (m_deviceEntry.isNull() && m_deviceIndex >= 0) {
        const Json::Value defaults = m_store.ReadJson(m_defaultProfilePath);
        m_deviceEntry = EntryAt(defaults, m_deviceIndex);
        // The page works with the default entry either way; a damaged document is written over
        // only once it is moved aside.
        std::optional<Json::Value> stored = m_store.ReadForUpdate(path, IsProfileDocument);
        if (stored) {
            WritableElement(WritableMember(*stored, "Device"),
                            static_cast<Json::ArrayIndex>(m_deviceIndex)) = m_deviceEntry;
            m_store.WriteJson(path, *stored);
        }
    }
    return m_deviceEntry;
}

int CBasicProfiledata::Save() {
    return SaveDeviceEntry(m_deviceEntry, m_profilePath);
}

int CBasicProfiledata::SaveDeviceEntry(const Json::Value& value,
                                       const std::filesystem::path& path) {
    if (m_deviceIndex < 0 || path.empty()) {
        return 1;
    }
    std::optional<Json::Value> document = m_store.ReadForUpdate(path, IsProfileDocument);
    if (!document) {
        return 1;
    }
    WritableElement(WritableMember(*document, "Device"),
                    static_cast<Json::ArrayIndex>(m_deviceIndex)) = value;
    return m_store.WriteJson(path, *document);
}

int CBasicProfiledata::WriteDocument(const Json::Value& value, const std::filesystem::path& path) {
    return m_store.WriteJson(path, value);
}

Json::Value CBasicProfiledata::LoadLightConfig(const std::filesystem::path& path) {
    m_lightDocument = m_store.ReadJson(path);
    m_lightDocumentFolder = path.parent_path();
    return m_lightDocument;
}

Json::Value& CBasicProfiledata::WritableGroup(const char* name) {
    Json::Value& group = WritableMember(m_deviceEntry, name);
    if (!group.isObject()) {
        group = Json::Value(Json::objectValue);
    }
    return group;
}

LightSetting CBasicProfiledata::GetLightInfo() {
    const Json::Value& info = ObjectMemberOf(m_deviceEntry, "LightInfo");
    if (info.isNull()) {
        m_lightSetting = m_defaultLightSetting;
        return m_lightSetting;
    }
    LightSetting setting;
    setting.effect = static_cast<std::uint8_t>(IntMember(info, "SelectItem"));
    setting.brightness = static_cast<std::uint8_t>(IntMember(info, "Light"));
    setting.speed = static_cast<std::uint8_t>(IntMember(info, "Speed"));
    setting.direction = static_cast<std::uint8_t>(IntMember(info, "Fx"));
    setting.multiColor = BoolMember(info, "MultiColor") ? 1 : 0;
    setting.red = static_cast<std::uint8_t>(IntMember(info, "Red"));
    setting.green = static_cast<std::uint8_t>(IntMember(info, "Green"));
    setting.blue = static_cast<std::uint8_t>(IntMember(info, "Blue"));
    m_lightSetting = setting;
    return m_lightSetting;
}

void CBasicProfiledata::SetLightInfo(std::uint32_t word0, std::uint32_t word1,
                                     std::uint32_t word2) {
    m_lightSetting = LightSettingFromWords(word0, word1, word2);

    Json::Value& info = WritableGroup("LightInfo");
    info["SelectItem"] = m_lightSetting.effect;
    info["Light"] = m_lightSetting.brightness;
    info["Speed"] = m_lightSetting.speed;
    info["Fx"] = m_lightSetting.direction;
    info["MultiColor"] = m_lightSetting.multiColor;
    info["Red"] = m_lightSetting.red;
    info["Green"] = m_lightSetting.green;
    info["Blue"] = m_lightSetting.blue;
}

std::vector<LightSetting> CBasicProfiledata::GetLightList() {
    m_lightList.clear();
    for (const Json::Value& element : ArrayMemberOf(m_deviceEntry, "LightList")) {
        LightSetting setting;
        if (element.isObject()) {
            setting.effect = static_cast<std::uint8_t>(IntMember(element, "LEDREGMode"));
            setting.brightness = static_cast<std::uint8_t>(IntMember(element, "LEDBrightness"));
            setting.speed = static_cast<std::uint8_t>(IntMember(element, "LEDSpeed"));
            setting.direction = BoolMember(element, "LEDDirection") ? 1 : 0;
            setting.multiColor = BoolMember(element, "LEDMultiColor") ? 1 : 0;
            setting.red = static_cast<std::uint8_t>(IntMember(element, "red"));
            setting.green = static_cast<std::uint8_t>(IntMember(element, "green"));
            setting.blue = static_cast<std::uint8_t>(IntMember(element, "blue"));
            setting.extraByte = 1;
        }
        m_lightList.push_back(setting);
    }
    return m_lightList;
}

std::vector<LightEffectStep> CBasicProfiledata::GetCustomLightEffect() {
    m_customLightEffect.clear();
    if (m_lightDocument.isNull() || m_pageStyle < 0) {
        return m_customLightEffect;
    }
    const Json::Value& list = ElementOf(ArrayMemberOf(m_lightDocument, "LightInfo"),
                                        static_cast<Json::ArrayIndex>(m_pageStyle));
    const Json::Value& entry = ElementOf(list, m_lightSetting.effect);
    if (!entry.isObject()) {
        return m_customLightEffect;
    }
    const std::filesystem::path path =
        LightEffectFilePath(m_lightDocumentFolder, StringMember(entry, "Guid"));
    m_customLightEffect = ReadLightEffectFile(m_store, path);
    return m_customLightEffect;
}

std::vector<KeyAssignmentEntry> CBasicProfiledata::GetKeyList() {
    // A profile without keys must not keep the previous profile's list.
    m_keyList.clear();
    const Json::Value& keys = ArrayMemberOf(m_deviceEntry, "KeyList");
    for (Json::ArrayIndex i = 0; i < keys.size(); ++i) {
        KeyAssignmentEntry entry;
        entry.keyIndex = static_cast<std::uint16_t>(i);
        entry.defaultKeyIndex = static_cast<std::uint16_t>(i);
        entry.code = FromProfileInteger(IntMember(keys[i], "Assignment"));
        entry.defaultCode = FromProfileInteger(IntMember(keys[i], "DefaultAssignment"));
        m_keyList.push_back(entry);
    }
    return m_keyList;
}

void CBasicProfiledata::SetKeyList(const std::vector<KeyAssignmentEntry>& list) {
    m_keyList = list;
    Json::Value& keys = WritableMember(m_deviceEntry, "KeyList");
    for (Json::ArrayIndex i = 0; i < list.size(); ++i) {
        WritableMember(WritableElement(keys, i), "Assignment") =
            static_cast<Json::Int64>(ToProfileInteger(list[i].code));
    }
}

}  // namespace quaro
