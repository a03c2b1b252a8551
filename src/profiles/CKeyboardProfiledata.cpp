#include "profiles/CKeyboardProfiledata.h"

#include "platform/Trace.h"
#include "profiles/JsonAccess.h"

namespace quaro {
namespace {

constexpr const char* kStageNames[3][2] = {
    {"Repeat", "RepeatDelay"}, {"Key6Flag", "PollingRate"}, {"WFlag", "WinFlag"}};

Json::Value ZeroColour() {
    Json::Value colour(Json::objectValue);
    colour["Red"] = 0;
    colour["Green"] = 0;
    colour["Blue"] = 0;
    colour["Alpha"] = 0;
    return colour;
}

}  // namespace

void CKeyboardProfiledata::SetSystemStages(std::uint32_t word0, std::uint32_t word1,
                                           std::uint32_t word2) {
    m_systemWords = {word0, word1, word2};
    Json::Value& stages = WritableGroup("SystemStages");
    for (int w = 0; w < 3; ++w) {
        stages[kStageNames[w][0]] = static_cast<int>(m_systemWords[w] & 0xFFFF);
        stages[kStageNames[w][1]] = static_cast<int>(m_systemWords[w] >> 16);
    }
}

SystemWords CKeyboardProfiledata::GetSystemStages() {
    const Json::Value& stages = ObjectMemberOf(m_deviceEntry, "SystemStages");
    if (stages.isNull()) {
        m_systemWords = {0, 0, 0};
        return m_systemWords;
    }
    for (int w = 0; w < 3; ++w) {
        const auto low = static_cast<std::uint32_t>(IntMember(stages, kStageNames[w][0]));
        const auto high = static_cast<std::uint32_t>(IntMember(stages, kStageNames[w][1]));
        m_systemWords[w] = high << 16 | (low & 0xFFFF);
    }
    return m_systemWords;
}

void CKeyboardProfiledata::SetCustomLightColors(const std::vector<CustomLightColor>& colours,
                                                int group) {
    m_customLightColors = colours;
    if (group < 0 || group >= kMaxCustomLightGroups) {
        TraceFormat("custom light group %d out of range, not stored\n", group);
        return;
    }
    Json::Value& groupList =
        WritableElement(WritableMember(WritableGroup("CustomLightMode"), "LightColorInfo"),
                        static_cast<Json::ArrayIndex>(group));
    for (Json::ArrayIndex i = 0; i < colours.size(); ++i) {
        Json::Value& colour = WritableElement(groupList, i);
        colour = Json::Value(Json::objectValue);
        colour["Red"] = colours[i].red;
        colour["Green"] = colours[i].green;
        colour["Blue"] = colours[i].blue;
        colour["Alpha"] = colours[i].alpha;
    }
}

std::vector<CustomLightColor> CKeyboardProfiledata::GetCustomLightColors(int group, int count) {
    m_customLightColors.assign(count > 0 ? static_cast<std::size_t>(count) : 0, {});
    if (group < 0 || group >= kMaxCustomLightGroups) {
        TraceFormat("custom light group %d out of range, read as zero colours\n", group);
        return m_customLightColors;
    }
    const Json::Value& stored =
        ElementOf(ArrayMemberOf(ObjectMemberOf(m_deviceEntry, "CustomLightMode"), "LightColorInfo"),
                  static_cast<Json::ArrayIndex>(group));
    if (!stored.isArray()) {
        Json::Value zeros(Json::arrayValue);
        for (int j = 0; j < count; ++j) {
            zeros.append(ZeroColour());
        }
        WritableElement(WritableMember(WritableGroup("CustomLightMode"), "LightColorInfo"),
                        static_cast<Json::ArrayIndex>(group)) = zeros;
        return m_customLightColors;
    }
    // Copied first: writing zero colours into the entry may move the stored array.
    const Json::Value colours = stored;
    for (int j = 0; j < count; ++j) {
        const Json::Value& colour = ElementOf(colours, static_cast<Json::ArrayIndex>(j));
        if (!colour.isObject()) {
            WritableElement(
                WritableElement(WritableMember(WritableGroup("CustomLightMode"), "LightColorInfo"),
                                static_cast<Json::ArrayIndex>(group)),
                static_cast<Json::ArrayIndex>(j)) = ZeroColour();
            continue;
        }
        CustomLightColor& result = m_customLightColors[static_cast<std::size_t>(j)];
        result.red = static_cast<std::uint8_t>(IntMember(colour, "Red"));
        result.green = static_cast<std::uint8_t>(IntMember(colour, "Green"));
        result.blue = static_cast<std::uint8_t>(IntMember(colour, "Blue"));
        result.alpha = static_cast<std::uint8_t>(IntMember(colour, "Alpha"));
    }
    return m_customLightColors;
}

void CKeyboardProfiledata::SetCustomLightGroupIndex(int group) {
    m_customLightGroup = group;
    WritableGroup("CustomLightMode")["CustomLightModeGroupIndex"] = group;
}

int CKeyboardProfiledata::GetCustomLightGroupIndex() {
    m_customLightGroup =
        IntMember(ObjectMemberOf(m_deviceEntry, "CustomLightMode"), "CustomLightModeGroupIndex");
    return m_customLightGroup;
}

}  // namespace quaro
