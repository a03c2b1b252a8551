#include "profiles/CMouseProfiledata.h"

#include "profiles/JsonAccess.h"

namespace quaro {

std::vector<DpiStage> CMouseProfiledata::GetDpiStages() {
    const Json::Value& group = ObjectMemberOf(m_deviceEntry, "DPIStages");
    if (group.isNull()) {
        return m_dpiStages;
    }
    m_activeStage = IntMember(group, "StageActive");
    const Json::Value& list = ArrayMemberOf(group, "StageDPIs");
    for (Json::ArrayIndex j = 0; j < list.size(); ++j) {
        DpiStage stage;
        stage.enabled = static_cast<std::uint8_t>(IntMember(list[j], "StageActive"));
        stage.xyFlag = static_cast<std::uint8_t>(IntMember(list[j], "StageXY"));
        stage.dpiX = static_cast<std::uint16_t>(IntMember(list[j], "StageDPIX"));
        stage.dpiY = static_cast<std::uint16_t>(IntMember(list[j], "StageDPIY"));
        stage.red = static_cast<std::uint8_t>(IntMember(list[j], "StageColorR"));
        stage.green = static_cast<std::uint8_t>(IntMember(list[j], "StageColorG"));
        stage.blue = static_cast<std::uint8_t>(IntMember(list[j], "StageColorB"));
        if (j < m_dpiStages.size()) {
            m_dpiStages[j] = stage;
        } else {
            m_dpiStages.push_back(stage);
        }
    }
    return m_dpiStages;
}

void CMouseProfiledata::SetDpiStages(const std::vector<DpiStage>& stages) {
    m_dpiStages = stages;
    Json::Value& list = WritableMember(WritableGroup("DPIStages"), "StageDPIs");
    for (Json::ArrayIndex i = 0; i < stages.size(); ++i) {
        Json::Value& stage = WritableElement(list, i);
        WritableMember(stage, "StageActive") = stages[i].enabled;
        stage["StageXY"] = stages[i].xyFlag;
        stage["StageDPIX"] = stages[i].dpiX;
        stage["StageDPIY"] = stages[i].dpiY;
        stage["StageColorR"] = stages[i].red;
        stage["StageColorG"] = stages[i].green;
        stage["StageColorB"] = stages[i].blue;
    }
}

void CMouseProfiledata::SetActiveStage(int stage) {
    m_activeStage = stage;
    WritableGroup("DPIStages")["StageActive"] = stage;
}

void CMouseProfiledata::SetSystemStages(std::uint32_t word0, std::uint32_t word1,
                                        std::uint32_t word2) {
    m_systemWords = {word0, word1, word2};
    Json::Value& stages = WritableGroup("SystemStages");
    stages["DoubleClickTime"] = static_cast<int>(word0 & 0xFFFF);
    stages["MouseSpeed"] = static_cast<int>(word0 >> 16);
    stages["PointerPrecision"] = static_cast<int>(word1 & 0xFFFF);
    stages["ScorllPage"] = static_cast<int>(word1 >> 16);
    stages["WheelScorlllinse"] = static_cast<int>(word2 & 0xFFFF);
    WritableGroup("ReportStages")["StageActive"] = static_cast<int>(word2 >> 16);
}

SystemWords CMouseProfiledata::GetSystemStages() {
    const Json::Value& stages = ObjectMemberOf(m_deviceEntry, "SystemStages");
    if (stages.isNull()) {
        m_systemWords = {0, 0, 0};
        return m_systemWords;
    }
    auto half = [&stages](const char* name) {
        return static_cast<std::uint32_t>(IntMember(stages, name)) & 0xFFFF;
    };
    m_systemWords[0] = half("MouseSpeed") << 16 | half("DoubleClickTime");
    m_systemWords[1] = half("ScorllPage") << 16 | half("PointerPrecision");
    m_systemWords[2] = half("WheelScorlllinse");
    const Json::Value& report = ObjectMemberOf(m_deviceEntry, "ReportStages");
    if (!report.isNull()) {
        m_systemWords[2] |= static_cast<std::uint32_t>(IntMember(report, "StageActive")) << 16;
    }
    return m_systemWords;
}

std::vector<CorrectPreset> CMouseProfiledata::GetCorrectInfo() {
    m_correctPresets.clear();
    for (const Json::Value& element : ArrayMemberOf(m_deviceEntry, "CorrectInfo")) {
        CorrectPreset preset;
        preset.pixelThreshold = static_cast<std::uint8_t>(IntMember(element, "CorrectPixThresh"));
        preset.minimumSquare = static_cast<std::uint8_t>(IntMember(element, "CorrectMinSq"));
        preset.select = static_cast<std::uint8_t>(IntMember(element, "CorrectSelect"));
        preset.name = StringMember(element, "CorrectName");
        m_correctPresets.push_back(preset);
    }
    return m_correctPresets;
}

}  // namespace quaro
