#pragma once

#include <array>
#include <cstdint>

namespace quaro {

// The keyboard's system values as three 32-bit words of two 16-bit halves, low half first:
// Repeat/RepeatDelay, Key6Flag/PollingRate, WFlag/WinFlag.
struct SystemSettings {
    std::uint16_t repeat = 0;
    std::uint16_t repeatDelay = 0;
    std::uint16_t key6Flag = 0;
    std::uint16_t pollingRate = 0;
    std::uint16_t wFlag = 0;
    std::uint16_t winFlag = 0;

    std::array<std::uint32_t, 3> ToWords() const {
        return {Pack(repeat, repeatDelay), Pack(key6Flag, pollingRate), Pack(wFlag, winFlag)};
    }

    static SystemSettings FromWords(const std::array<std::uint32_t, 3>& words) {
        SystemSettings settings;
        settings.repeat = Low(words[0]);
        settings.repeatDelay = High(words[0]);
        settings.key6Flag = Low(words[1]);
        settings.pollingRate = High(words[1]);
        settings.wFlag = Low(words[2]);
        settings.winFlag = High(words[2]);
        return settings;
    }

    friend constexpr bool operator==(const SystemSettings&, const SystemSettings&) = default;

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
