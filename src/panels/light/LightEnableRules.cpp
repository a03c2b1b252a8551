#include "panels/light/LightEnableRules.h"

#include <vector>

namespace quaro {
namespace {

constexpr bool E = true;
constexpr bool D = false;

// One line of a table: the effects it covers, then the groups in LightGroup order (effect,
// multicolour, colour, palette, brightness, speed, direction), then synchronisable.
struct RuleRow {
    std::vector<int> effects;
    LightRule rule;
};

constexpr LightRule Rule(bool effect, bool multi, bool colour, bool palette, bool brightness,
                         bool speed, bool direction, bool canSync,
                         LightVisibility visibility = LightVisibility::Unchanged) {
    return {{effect, multi, colour, palette, brightness, speed, direction}, canSync, visibility};
}

// The keyboard's firmware effects: which of brightness, speed, colour and direction each one
// reads. Effect 18 also reads only its brightness. We keep the effect selector enabled there:
// with it disabled the user could never leave that effect from the panel.
constexpr LightVisibility kAll = LightVisibility::AllGroups;
const std::vector<RuleRow> kKeyboardRows = {
    {{0, 1, 2, 11, 13, 22, 27}, Rule(E, E, E, E, E, E, E, false, kAll)},
    {{3}, Rule(E, D, D, D, E, E, D, true, kAll)},
    {{4, 8, 21}, Rule(E, E, E, E, E, E, D, true, kAll)},
    {{5}, Rule(E, D, E, E, E, D, D, true, kAll)},
    {{6, 7, 9, 12, 14, 15, 20, 23}, Rule(E, E, E, E, E, E, D, false, kAll)},
    {{10, 24, 25}, Rule(E, D, D, D, E, E, D, false, kAll)},
    {{16}, Rule(E, D, D, D, E, E, E, false, kAll)},
    {{17}, Rule(E, D, E, E, E, D, D, false, LightVisibility::AllGroupsAndCustom)},
    {{18}, Rule(E, E, E, E, E, E, D, true, LightVisibility::EffectAndBrightnessOnly)},
    {{26}, Rule(E, D, D, D, D, D, D, true, kAll)},
};
constexpr LightRule kKeyboardOther = Rule(E, D, D, D, D, D, D, false);

const std::vector<RuleRow> kMouseRows = {
    {{0, 5}, Rule(E, E, E, E, E, E, E, false)}, {{1}, Rule(E, D, D, D, E, E, D, true)},
    {{2}, Rule(E, E, E, E, E, E, E, true)},     {{3}, Rule(E, D, E, E, E, D, D, true)},
    {{4}, Rule(E, E, E, E, E, E, D, true)},     {{6, 7}, Rule(E, D, D, D, E, E, D, false)},
    {{8}, Rule(E, D, D, D, D, D, D, true)},
};
constexpr LightRule kOtherWithEffectOnly = Rule(E, D, D, D, D, D, D, false);

// The mouse pad and the headset run the same nine firmware effects.
const std::vector<RuleRow> kPadAndHeadsetRows = {
    {{0}, Rule(E, E, E, E, E, E, E, false)},   {{1}, Rule(E, D, D, D, E, E, D, true)},
    {{2, 4}, Rule(E, E, E, E, E, E, D, true)}, {{3}, Rule(E, D, E, E, E, D, D, true)},
    {{8}, Rule(E, D, D, D, D, D, D, true)},
};

const LightRule* FindIn(const std::vector<RuleRow>& rows, const LightRule& other, int effect) {
    for (const RuleRow& row : rows) {
        for (int listed : row.effects) {
            if (listed == effect) {
                return &row.rule;
            }
        }
    }
    return &other;
}

}  // namespace

const LightRule* FindLightRule(int kind, int effect) {
    switch (kind) {
        case 1:
            return FindIn(kKeyboardRows, kKeyboardOther, effect);
        case 2:
            return FindIn(kMouseRows, kOtherWithEffectOnly, effect);
        case 3:
        case 4:
        case 7:
            return FindIn(kPadAndHeadsetRows, kOtherWithEffectOnly, effect);
        default:
            return nullptr;
    }
}

bool LightRuleHidesCustomGroup(int kind) {
    return kind == 1;
}

}  // namespace quaro
