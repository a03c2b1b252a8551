#pragma once

#include "profiles/CBasicProfiledata.h"

#include <vector>

namespace quaro {

// The mouse's profile: buttons in the base's key list, DPI stages, system words and the
// correction presets.
class CMouseProfiledata : public CBasicProfiledata {
public:
    // Stages read from the file overwrite the stored ones by position; stored stages beyond
    // the file's count stay. The active stage is taken from the file too.
    std::vector<DpiStage> GetDpiStages();
    void SetDpiStages(const std::vector<DpiStage>& stages);
    void SetActiveStage(int stage);
    int GetActiveStage() const { return m_activeStage; }

    // word 0 "DoubleClickTime", "MouseSpeed"; word 1 "PointerPrecision", "ScorllPage"; word 2
    // "WheelScorlllinse" and, in the high half, "ReportStages"."StageActive".
    void SetSystemStages(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);
    SystemWords GetSystemStages();

    std::vector<CorrectPreset> GetCorrectInfo();

private:
    std::vector<DpiStage> m_dpiStages;
    int m_activeStage = 0;
    SystemWords m_systemWords{};
    std::vector<CorrectPreset> m_correctPresets;
};

}  // namespace quaro
