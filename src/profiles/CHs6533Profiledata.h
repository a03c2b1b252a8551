#pragma once

#include "profiles/CBasicProfiledata.h"

#include <array>
#include <string>
#include <vector>

namespace quaro {

// "MagicEnable", "MagicType", "EqType", "CustomEqSeletIndex", "MicInSelect", "MicInValue",
// "MicMoniterSelect", "MicMoniterValue", in this order.
using HeadsetValues = std::array<int, 8>;
// One gain per equaliser band.
using EqCurve = std::array<int, 10>;

// The headset's profile: the light groups of the base, the eight headset values, the
// equaliser presets and the named custom curves.
class CHs6533Profiledata : public CBasicProfiledata {
public:
    static constexpr int kCustomEqType = 13;
    // The headset keeps at most this many custom curves; a curve number from the file beyond
    // them is refused rather than growing the document to that index.
    static constexpr int kMaxCustomEqs = 20;

    void SetSystemSetStages(const HeadsetValues& values);
    HeadsetValues GetSystemSetStages();

    // Type 13 (custom) is ignored and reads as no values; 0, negative types and types above 13
    // stand for type 1. Missing presets read as zeros written into the entry.
    void SetEqValues(int type, const EqCurve& values);
    std::vector<int> GetEqValues(int type);

    void SetCustomEqNames(const std::vector<std::string>& names);
    std::vector<std::string> GetCustomEqNames() const;
    void SetCustomEqValues(int number, const EqCurve& values);
    std::vector<int> GetCustomEqValues(int number);

private:
    HeadsetValues m_values{};
};

}  // namespace quaro
