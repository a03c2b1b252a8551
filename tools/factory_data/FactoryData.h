#pragma once

#include <json/value.h>

#include <filesystem>
#include <string>
#include <utility>
#include <vector>

namespace quaro::factory {

// The documents of the default data folder, each built from the tables it describes.
Json::Value KeyboardProfile();
Json::Value MouseProfile();
Json::Value MousePadProfile();
Json::Value HeadsetProfile();
Json::Value DefaultLightNames();
Json::Value LanguageConfig();
Json::Value ShootData(int gun);

// Every file name of the folder with its document.
std::vector<std::pair<std::string, Json::Value>> FactoryDocuments();

// Writes every document into folder; false when one could not be written.
bool WriteFactoryData(const std::filesystem::path& folder);

}  // namespace quaro::factory
