#pragma once

#include <QString>

#include <filesystem>
#include <functional>

namespace quaro::test {

// The shipped skin and factory data of the source tree.
std::filesystem::path SourceSkinFolder();
std::filesystem::path SourceDefaultDataFolder();
QString SourceSkinPath();

// Runs the event loop until condition holds or timeoutMs passes; returns the condition.
bool WaitFor(const std::function<bool()>& condition, int timeoutMs = 3000);

}  // namespace quaro::test
