#include "profiles/CHs6533Profiledata.h"

#include "platform/Trace.h"
#include "profiles/JsonAccess.h"

namespace quaro {
namespace {

constexpr const char* kValueNames[8] = {"MagicEnable",        "MagicType",      "EqType",
                                        "CustomEqSeletIndex", "MicInSelect",    "MicInValue",
                                        "MicMoniterSelect",   "MicMoniterValue"};

int PresetIndex(int type) {
    return (type <= 0 || type > CHs6533Profiledata::kCustomEqType) ? 1 : type;
}

// The curve at list[index]; ten zeros are written there first when it is missing.
std::vector<int> ReadCurve(Json::Value& entry, const char* listName, int index) {
    const Json::Value& stored =
        ElementOf(ArrayMemberOf(entry, listName), static_cast<Json::ArrayIndex>(index));
    std::vector<int> values;
    if (!stored.isArray()) {
        Json::Value& curve =
            WritableElement(WritableMember(entry, listName), static_cast<Json::ArrayIndex>(index));
        curve = Json::Value(Json::arrayValue);
        for (Json::ArrayIndex i = 0; i < 10; ++i) {
            curve[i]["value"] = 0;
        }
        values.assign(10, 0);
        return values;
    }
    for (Json::ArrayIndex i = 0; i < 10; ++i) {
        values.push_back(IntMember(ElementOf(stored, i), "value"));
    }
    return values;
}

void WriteCurve(Json::Value& entry, const char* listName, int index, const EqCurve& values) {
    Json::Value& curve =
        WritableElement(WritableMember(entry, listName), static_cast<Json::ArrayIndex>(index));
    for (Json::ArrayIndex i = 0; i < values.size(); ++i) {
        WritableMember(WritableElement(curve, i), "value") = values[i];
    }
}

}  // namespace

void CHs6533Profiledata::SetSystemSetStages(const HeadsetValues& values) {
    m_values = values;
    Json::Value& stages = WritableGroup("SystemSetStages");
    for (std::size_t i = 0; i < values.size(); ++i) {
        stages[kValueNames[i]] = values[i];
    }
}

HeadsetValues CHs6533Profiledata::GetSystemSetStages() {
    const Json::Value& stages = ObjectMemberOf(m_deviceEntry, "SystemSetStages");
    for (std::size_t i = 0; i < m_values.size(); ++i) {
        m_values[i] = IntMember(stages, kValueNames[i]);
    }
    return m_values;
}

void CHs6533Profiledata::SetEqValues(int type, const EqCurve& values) {
    if (type == kCustomEqType) {
        return;
    }
    WriteCurve(m_deviceEntry, "EQHzValueInfo", PresetIndex(type), values);
}

std::vector<int> CHs6533Profiledata::GetEqValues(int type) {
    if (type == kCustomEqType) {
        return {};
    }
    return ReadCurve(m_deviceEntry, "EQHzValueInfo", PresetIndex(type));
}

void CHs6533Profiledata::SetCustomEqNames(const std::vector<std::string>& names) {
    Json::Value list(Json::arrayValue);
    for (const std::string& name : names) {
        Json::Value element(Json::objectValue);
        element["Name"] = name;
        list.append(element);
    }
    WritableMember(m_deviceEntry, "CustomEQNameInfo") = list;
}

std::vector<std::string> CHs6533Profiledata::GetCustomEqNames() const {
    std::vector<std::string> names;
    for (const Json::Value& element : ArrayMemberOf(m_deviceEntry, "CustomEQNameInfo")) {
        names.push_back(StringMember(element, "Name"));
    }
    return names;
}

void CHs6533Profiledata::SetCustomEqValues(int number, const EqCurve& values) {
    if (number < 0 || number >= kMaxCustomEqs) {
        TraceFormat("custom EQ %d out of range, not stored\n", number);
        return;
    }
    WriteCurve(m_deviceEntry, "CustomEQHzValueInfo", number, values);
}

std::vector<int> CHs6533Profiledata::GetCustomEqValues(int number) {
    if (number < 0 || number >= kMaxCustomEqs) {
        TraceFormat("custom EQ %d out of range, read as a flat curve\n", number);
        return std::vector<int>(10, 0);
    }
    return ReadCurve(m_deviceEntry, "CustomEQHzValueInfo", number);
}

}  // namespace quaro
