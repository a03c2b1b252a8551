#pragma once

#include <array>
#include <cstdint>
#include <optional>
#include <string_view>

namespace quaro {

// The rules of the mouse page's DPI stage controls, apart from the controls: which enable checks
// may still be cleared, and how an edited DPI becomes slider units and back. Stages hold their
// DPI in slider units of the device's DPI step.
class DpiStageRules {
public:
    static constexpr int kStageCount = 5;

    struct Check {
        bool selected = false;
        bool enabled = true;

        friend constexpr bool operator==(const Check&, const Check&) = default;
    };
    using Checks = std::array<Check, kStageCount>;

    // What the device's information record says; all zero while none was read.
    struct Limits {
        int dpiStep = 0;
        int minimumDpi = 0;
        int sliderMaximum = 0;
    };

    // Stage s switched on or off. Switching on makes every check usable again; switching off
    // locks the one check left selected, so the mouse always keeps a stage. A stage outside
    // 0-4 changes nothing.
    static Checks SetStageEnabled(Checks checks, int stage, bool on);

    // The number an edit holds: its leading decimal digits, 0 when it starts with none.
    static int ParseEditNumber(std::string_view text);

    // Slider units for an edited DPI: raised to the minimum DPI, divided by the step (rounding
    // down) and kept within the slider. No value while no step is known: the edit is then
    // ignored rather than divided by zero.
    static std::optional<int> UnitsForEditDpi(int editDpi, const Limits& limits);

    // The DPI an edit shows for a slider position.
    static int EditDpiForUnits(int units, const Limits& limits);
};

}  // namespace quaro
