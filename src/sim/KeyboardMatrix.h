#pragma once

#include <array>
#include <cstdint>
#include <vector>

namespace quaro {

// The keyboard firmware's key matrix: 6 rows of 21 positions, each the factory code (type,
// first, second parameter) of the key wired there. The firmware numbers its key slots column by
// column through this matrix, and its light positions row by row, so slot order and light order
// differ.
inline constexpr int kMatrixRows = 6;
inline constexpr int kMatrixColumns = 21;
inline constexpr int kKeyboardSlots = kMatrixRows * kMatrixColumns;

using KeyCodeBytes = std::array<uint8_t, 3>;
extern const std::array<std::array<KeyCodeBytes, kMatrixColumns>, kMatrixRows> kKeyboardMatrix;

// The factory key image: slot k holds the code at row k % 6, column k / 6.
std::vector<uint8_t> KeyboardFactoryImage();
// Light position of each slot: row × 21 + column of the slot's matrix position.
std::vector<uint8_t> KeyboardLightIndexTable();

}  // namespace quaro
