#pragma once

#include <QString>

#include <optional>

namespace quaro {

// A control name such as "key_17" split into its prefix and its trailing decimal number.
struct ControlNameNumber {
    QString prefix;
    int number = 0;
};

// Nullopt when the text has no trailing digits or its number does not fit an int: such a
// control names no table entry.
std::optional<ControlNameNumber> SplitControlNameNumber(const QString& text);

}  // namespace quaro
