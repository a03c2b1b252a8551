#pragma once

#include "profiles/CBasicProfiledata.h"

#include <vector>

namespace quaro {

// The keyboard's profile: the light and key groups of the base, the system words and the
// custom per-key colour groups.
class CKeyboardProfiledata : public CBasicProfiledata {
public:
    // Groups beyond this are refused: the group index comes from the file, and writing a group
    // at a huge index would grow the document by that many null elements.
    static constexpr int kMaxCustomLightGroups = 64;

    // word 0 "Repeat", "RepeatDelay"; word 1 "Key6Flag", "PollingRate"; word 2 "WFlag",
    // "WinFlag" (low half, high half).
    void SetSystemStages(std::uint32_t word0, std::uint32_t word1, std::uint32_t word2);
    SystemWords GetSystemStages();

    void SetCustomLightColors(const std::vector<CustomLightColor>& colours, int group);
    // count colours of the group; missing ones are written into the entry as zero colours.
    std::vector<CustomLightColor> GetCustomLightColors(int group, int count);
    void SetCustomLightGroupIndex(int group);
    int GetCustomLightGroupIndex();

private:
    SystemWords m_systemWords{};
    std::vector<CustomLightColor> m_customLightColors;
    int m_customLightGroup = 0;
};

}  // namespace quaro
