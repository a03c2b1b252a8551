#pragma once

#include "profiles/ProfileRecords.h"

#include <cstdint>

namespace quaro {

// The mouse profile's three system words as fields, low half first: double-click and pointer
// speed positions; precision and page-scroll flags; scroll position and report-rate option.
// The pointer fields are slider positions, turned into session values only when applied.
struct MouseSystemWords {
    std::uint16_t doubleClick = 0;
    std::uint16_t pointerSpeed = 0;
    std::uint16_t precision = 0;
    std::uint16_t scrollPage = 0;
    std::uint16_t scrollSpeed = 0;
    std::uint16_t reportRate = 0;

    SystemWords ToWords() const {
        return {Pack(doubleClick, pointerSpeed), Pack(precision, scrollPage),
                Pack(scrollSpeed, reportRate)};
    }

    static MouseSystemWords FromWords(const SystemWords& words) {
        MouseSystemWords fields;
        fields.doubleClick = Low(words[0]);
        fields.pointerSpeed = High(words[0]);
        fields.precision = Low(words[1]);
        fields.scrollPage = High(words[1]);
        fields.scrollSpeed = Low(words[2]);
        fields.reportRate = High(words[2]);
        return fields;
    }

    friend constexpr bool operator==(const MouseSystemWords&, const MouseSystemWords&) = default;

private:
    static constexpr std::uint32_t Pack(std::uint16_t low, std::uint16_t high) {
        return low | (std::uint32_t{high} << 16);
    }
    static constexpr std::uint16_t Low(std::uint32_t word) {
        return static_cast<std::uint16_t>(word & 0xFFFF);
    }
    static constexpr std::uint16_t High(std::uint32_t word) {
        return static_cast<std::uint16_t>(word >> 16);
    }
};

}  // namespace quaro
