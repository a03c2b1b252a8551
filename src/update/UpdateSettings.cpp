#include "update/UpdateSettings.h"

#include "platform/Paths.h"
#include "platform/Trace.h"
#include "profiles/JsonFileStore.h"

#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <sys/stat.h>
#include <unistd.h>

#ifndef QUARO_UPDATE_BASE_URL
#define QUARO_UPDATE_BASE_URL ""
#endif

namespace quaro {
namespace {

// A "updatelasttime" object whose "value" is text: what the date store holds.
bool IsDateDocument(const Json::Value& root) {
    return root.isObject() &&
           (!root.isMember("updatelasttime") || root["updatelasttime"].isObject());
}

}  // namespace

UpdateServerSettings LoadUpdateServerSettings(const std::filesystem::path& settingsFolder) {
    UpdateServerSettings settings;
    settings.baseUrl = QUARO_UPDATE_BASE_URL;
    if (settingsFolder.empty()) {
        return settings;
    }
    const Json::Value root = JsonFileStore().ReadJson(settingsFolder / kUpdateServerFile);
    if (!root.isObject()) {
        return settings;
    }
    if (const Json::Value& url = root["base_url"]; url.isString() && !url.asString().empty()) {
        settings.baseUrl = url.asString();
        if (settings.baseUrl.back() != '/') {
            settings.baseUrl += '/';
        }
    }
    if (const Json::Value& ca = root["ca_file"]; ca.isString() && !ca.asString().empty()) {
        settings.client.caFile = ca.asString();
    }
    return settings;
}

std::filesystem::path CacheHomeFromEnvironment() {
    if (const char* cache = std::getenv("XDG_CACHE_HOME"); cache != nullptr && cache[0] == '/') {
        return cache;
    }
    const char* home = std::getenv("HOME");
    return home != nullptr && home[0] != '\0' ? std::filesystem::path(home) / ".cache"
                                              : std::filesystem::path();
}

std::filesystem::path UpdateDownloadFolder(const std::filesystem::path& cacheHome) {
    if (cacheHome.empty()) {
        return {};
    }
    const std::filesystem::path product = cacheHome / kProductFolderName;
    const std::filesystem::path folder = product / "UpdateData";
    std::error_code error;
    std::filesystem::create_directories(product, error);
    if (::mkdir(folder.c_str(), S_IRWXU) != 0 && errno != EEXIST) {
        TraceFormat("update folder cannot be made: %s", folder.c_str());
        return {};
    }
    struct stat info {};
    if (::lstat(folder.c_str(), &info) != 0 || !S_ISDIR(info.st_mode) ||
        info.st_uid != ::geteuid()) {
        TraceFormat("update folder refused: %s", folder.c_str());
        return {};
    }
    if ((info.st_mode & (S_IRWXG | S_IRWXO)) != 0 && ::chmod(folder.c_str(), S_IRWXU) != 0) {
        TraceFormat("update folder refused: %s", folder.c_str());
        return {};
    }
    return folder;
}

std::string TodayText() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    char text[32];
    std::snprintf(text, sizeof text, "%d-%d-%d", local.tm_year + 1900, local.tm_mon + 1,
                  local.tm_mday);
    return text;
}

std::string ReadLastCheckText(const std::filesystem::path& settingsFolder) {
    if (settingsFolder.empty()) {
        return {};
    }
    const Json::Value root = JsonFileStore().ReadJson(settingsFolder / kUpdateTimeFile);
    if (!root.isObject() || !root["updatelasttime"].isObject()) {
        return {};
    }
    const Json::Value& value = root["updatelasttime"]["value"];
    return value.isString() ? value.asString() : std::string();
}

bool WriteLastCheckText(const std::filesystem::path& settingsFolder, const std::string& date) {
    if (settingsFolder.empty()) {
        return false;
    }
    const JsonFileStore store;
    const std::filesystem::path path = settingsFolder / kUpdateTimeFile;
    std::optional<Json::Value> root = store.ReadForUpdate(path, &IsDateDocument);
    if (!root) {
        return false;
    }
    if (!root->isObject()) {
        *root = Json::Value(Json::objectValue);
    }
    (*root)["updatelasttime"]["value"] = date;
    return store.WriteJson(path, *root) == 0;
}

}  // namespace quaro
