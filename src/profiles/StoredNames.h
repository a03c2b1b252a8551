#pragma once

#include <filesystem>
#include <functional>
#include <string>
#include <string_view>

namespace quaro {

// Identifiers read from files ("Guid", "profileUUID") become file names. One that could name
// another folder, or none, is refused before it reaches the file system; the refusal is traced
// with what the name was for.
bool IsPlainFileName(std::string_view name);
bool CheckPlainFileName(std::string_view name, std::string_view what);

// Display names are unique without regard to case (ASCII letters).
bool EqualsIgnoringCase(std::string_view left, std::string_view right);

// prefix followed by the lowest n from 1 upwards for which taken() says no.
std::string LowestFreeName(std::string_view prefix,
                           const std::function<bool(const std::string&)>& taken);

// A fresh identifier time stamp. Two made in the same millisecond would be equal and the second
// document would overwrite the first, so the time moves on a millisecond while taken() says the
// identifier is in use.
std::string MakeFreshIdentifier(const std::function<bool(const std::string&)>& taken);

}  // namespace quaro
