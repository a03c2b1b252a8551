#pragma once

#include "profiles/JsonFileStore.h"
#include "profiles/ProfileRecords.h"

#include <filesystem>
#include <string_view>
#include <vector>

namespace quaro {

// A custom light effect's file: "Guid" + ".light" beside the light library that names it. The
// library comes from outside the system, so the identifier may be a real GUID text; it is
// refused (empty path) only when it is not a plain file name.
std::filesystem::path LightEffectFilePath(const std::filesystem::path& libraryFolder,
                                          std::string_view guid);

// The steps of "LEDEffectList" in playing order; none when the file is missing or unreadable.
// The first eight values of a step are cut to 8 bits.
std::vector<LightEffectStep> ReadLightEffectFile(const JsonFileStore& store,
                                                 const std::filesystem::path& path);

}  // namespace quaro
