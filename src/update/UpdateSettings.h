#pragma once

#include "update/HttpTransport.h"

#include <filesystem>
#include <string>

namespace quaro {

// Where updates are asked for and kept. The server's address is fixed at build time; a file in
// the settings folder may point the application elsewhere (a test server, a mirror) and name
// the authorities that server's certificate is checked against.
struct UpdateServerSettings {
    std::string baseUrl;
    HttpClientSettings client;
};

inline constexpr const char* kUpdateServerFile = "updateserver.config";
inline constexpr const char* kUpdateTimeFile = "updatetime.config";

// The build's address, overridden by {"base_url": ..., "ca_file": ...} in kUpdateServerFile.
UpdateServerSettings LoadUpdateServerSettings(const std::filesystem::path& settingsFolder);

// $XDG_CACHE_HOME, or ~/.cache.
std::filesystem::path CacheHomeFromEnvironment();
// cacheHome/<product folder>/UpdateData, created with mode 0700. Refused (empty path) when it
// is not a directory of this user that only this user can reach: what is run from it must be
// what was downloaded.
std::filesystem::path UpdateDownloadFolder(const std::filesystem::path& cacheHome);

// Today's local date as "%d-%d-%d" (year, month, day).
std::string TodayText();
// The stored "updatelasttime" date, or empty text when none is stored.
std::string ReadLastCheckText(const std::filesystem::path& settingsFolder);
// Stores the date; false when it could not be (a damaged file is moved aside first).
bool WriteLastCheckText(const std::filesystem::path& settingsFolder, const std::string& date);

}  // namespace quaro
