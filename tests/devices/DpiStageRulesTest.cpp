#include "devices/mouse/DpiStageRules.h"

#include <gtest/gtest.h>

#include <optional>
#include <string>

namespace quaro {
namespace {

using Checks = DpiStageRules::Checks;

// Checks as text, one letter per stage: S selected, s selected but locked, - clear, _ clear and
// locked.
std::string Show(const Checks& checks) {
    std::string shown;
    for (const DpiStageRules::Check& check : checks) {
        shown += check.selected ? (check.enabled ? 'S' : 's') : (check.enabled ? '-' : '_');
    }
    return shown;
}

Checks Parse(const std::string& shown) {
    Checks checks{};
    for (std::size_t i = 0; i < checks.size(); ++i) {
        checks[i] = {shown[i] == 'S' || shown[i] == 's', shown[i] == 'S' || shown[i] == '-'};
    }
    return checks;
}

TEST(DpiStageRules, EnableChecksAlwaysKeepOneStageOn) {
    struct Row {
        const char* before;
        int stage;
        bool on;
        const char* after;
    };
    const Row rows[] = {
        {"SSSSS", 4, false, "SSSS-"},  // plenty left: nothing locked
        {"SS---", 1, false, "s----"},  // the last but one goes: the remaining one is locked
        {"-S---", 1, false, "-----"},  // cleared by the page itself: nothing left to lock
        {"s----", 3, true, "S--S-"},   // switching one on unlocks every check
        {"s----", 0, true, "S----"},
        {"SS___", 0, false, "-s___"},  // locked clear checks stay locked
        {"SSSSS", 5, false, "SSSSS"},  // no such stage
        {"SSSSS", -1, true, "SSSSS"},
    };
    for (const Row& row : rows) {
        EXPECT_EQ(Show(DpiStageRules::SetStageEnabled(Parse(row.before), row.stage, row.on)),
                  row.after)
            << row.before << " stage " << row.stage << (row.on ? " on" : " off");
    }
}

TEST(DpiStageRules, EditedDpiBecomesWholeStepsNeverBelowTheMinimum) {
    struct Row {
        const char* text;
        DpiStageRules::Limits limits;
        std::optional<int> units;
        int shown;  // the edit's DPI after the units are put back on the slider
    };
    const Row rows[] = {
        {"1630", {50, 200, 160}, 32, 1600},  // rounded down to the step
        {"1600", {50, 200, 160}, 32, 1600},
        {"50", {50, 200, 160}, 4, 200},  // raised to the minimum
        {"", {50, 200, 160}, 4, 200},    // empty counts as 0
        {"abc", {50, 200, 160}, 4, 200},
        {"12000", {50, 200, 160}, 160, 8000},  // kept on the slider
        {"99999999999", {50, 200, 160}, 160, 8000},
        {"800dpi", {100, 100, 0}, 8, 800},         // slider maximum not known: not limited
        {"1630", {0, 200, 160}, std::nullopt, 0},  // no step known: the edit is ignored
        {"1630", {-5, 200, 160}, std::nullopt, 0},
    };
    for (const Row& row : rows) {
        const std::optional<int> units =
            DpiStageRules::UnitsForEditDpi(DpiStageRules::ParseEditNumber(row.text), row.limits);
        EXPECT_EQ(units, row.units) << row.text << " step " << row.limits.dpiStep;
        EXPECT_EQ(DpiStageRules::EditDpiForUnits(units.value_or(0), row.limits), row.shown)
            << row.text;
    }
}

}  // namespace
}  // namespace quaro
