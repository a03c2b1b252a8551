#include "devices/mouse/DpiStageRules.h"

#include <algorithm>

namespace quaro {

DpiStageRules::Checks DpiStageRules::SetStageEnabled(Checks checks, int stage, bool on) {
    if (stage < 0 || stage >= kStageCount) {
        return checks;
    }
    checks[static_cast<std::size_t>(stage)].selected = on;
    if (on) {
        for (Check& check : checks) {
            check.enabled = true;
        }
        return checks;
    }
    const auto selected = std::count_if(checks.begin(), checks.end(),
                                        [](const Check& check) { return check.selected; });
    if (selected == 1) {
        std::find_if(checks.begin(), checks.end(), [](const Check& check) {
            return check.selected;
        })->enabled = false;
    }
    return checks;
}

int DpiStageRules::ParseEditNumber(std::string_view text) {
    // Large enough for any DPI, small enough that the sum below never overflows.
    constexpr int kLargest = 1000000;
    int value = 0;
    for (const char c : text) {
        if (c < '0' || c > '9') {
            break;
        }
        value = std::min(value * 10 + (c - '0'), kLargest);
    }
    return value;
}

std::optional<int> DpiStageRules::UnitsForEditDpi(int editDpi, const Limits& limits) {
    if (limits.dpiStep <= 0) {
        return std::nullopt;
    }
    const int dpi = std::max(editDpi, limits.minimumDpi);
    int units = dpi / limits.dpiStep;
    if (limits.sliderMaximum > 0) {
        units = std::min(units, limits.sliderMaximum);
    }
    return std::max(units, 0);
}

int DpiStageRules::EditDpiForUnits(int units, const Limits& limits) {
    return units * std::max(limits.dpiStep, 0);
}

}  // namespace quaro
