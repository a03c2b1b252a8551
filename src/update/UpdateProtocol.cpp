#include "update/UpdateProtocol.h"

#include "platform/Trace.h"

#include <json/reader.h>
#include <json/value.h>

#include <algorithm>
#include <cctype>
#include <cstdio>
#include <exception>
#include <memory>

#ifndef QUARO_VERSION
#define QUARO_VERSION ""
#endif

namespace quaro {
namespace {

// Digits in the given base up to the first character that is not one, kept within 32 bits.
uint32_t LeadingNumber(std::string_view text, int base) {
    uint64_t value = 0;
    for (const char c : text) {
        int digit = -1;
        if (c >= '0' && c <= '9') {
            digit = c - '0';
        } else if (base == 16 && c >= 'a' && c <= 'f') {
            digit = c - 'a' + 10;
        } else if (base == 16 && c >= 'A' && c <= 'F') {
            digit = c - 'A' + 10;
        }
        if (digit < 0) {
            break;
        }
        value = std::min<uint64_t>(value * static_cast<uint64_t>(base) + digit, UINT32_MAX);
    }
    return static_cast<uint32_t>(value);
}

// Members the server sends as text; anything else reads as empty rather than throwing.
std::string TextMember(const Json::Value& root, const char* key) {
    const Json::Value& value = root[key];
    if (value.isString()) {
        return value.asString();
    }
    if (value.isIntegral()) {
        return value.isUInt64() ? std::to_string(value.asUInt64())
                                : std::to_string(value.asInt64());
    }
    return {};
}

bool ParseJson(std::string_view text, Json::Value& root) {
    Json::CharReaderBuilder builder;
    builder["allowComments"] = true;
    builder["collectComments"] = false;
    builder["stackLimit"] = 256;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    // The reader throws past its nesting limit; a reply from the network must not end the
    // thread that asked.
    try {
        return reader->parse(text.data(), text.data() + text.size(), &root, &errors);
    } catch (const std::exception& error) {
        TraceFormat("update reply refused: %s", error.what());
        return false;
    }
}

}  // namespace

std::vector<UpdateEntry> BuildUpdateEntries(const std::vector<uint32_t>& deviceVersions,
                                            uint32_t installedVersion) {
    std::vector<UpdateEntry> entries;
    for (const UpdateTableRow& row : kUpdateTable) {
        entries.push_back(UpdateEntry{row.kind, row.number, 0, row.brand, row.lineId, row.model,
                                      row.secondModel, row.versionText});
    }
    // The application row takes no device's version, only the installed one.
    const size_t deviceRows = entries.size() - 1;
    for (size_t i = 0; i < deviceVersions.size() && i < deviceRows; ++i) {
        entries[i].version = deviceVersions[i];
    }
    entries.back().version = installedVersion;
    return entries;
}

std::string ApplicationKey(const UpdateEntry& entry) {
    if (entry.version == 0) {
        return "NULL";
    }
    return entry.brand + "_" + std::to_string(entry.kind) + "_" + entry.lineId + "_" + entry.model +
           "_" + std::to_string(entry.number);
}

std::string VersionText(uint32_t version, int32_t kind) {
    char text[16];
    if (kind != 0) {
        std::snprintf(text, sizeof text, "V%04x", version);
    } else {
        std::snprintf(text, sizeof text, "V%u", version);
    }
    return text;
}

std::vector<uint8_t> UpdateRequestBody(const UpdateEntry& entry) {
    char version[16];
    std::snprintf(version, sizeof version, entry.kind != 0 ? "%x" : "%u", entry.version);
    const std::string text = "app_key=" + ApplicationKey(entry) + "&version=" + version;
    std::vector<uint8_t> body(text.begin(), text.end());
    body.push_back(0);
    return body;
}

bool IsNoLinkServer(std::string_view name) {
    constexpr std::string_view kNoLink = "NO_LINK_SERVER";
    return name.size() == kNoLink.size() &&
           std::equal(name.begin(), name.end(), kNoLink.begin(), [](char a, char b) {
               return std::toupper(static_cast<unsigned char>(a)) == b;
           });
}

UpdateResult ParseUpdateReply(std::string_view reply, const UpdateEntry& entry) {
    UpdateResult result;
    Json::Value root;
    if (reply.empty() || !ParseJson(reply, root) || !root.isObject()) {
        return result;
    }
    result.downloadPath = TextMember(root, "path");
    result.name = TextMember(root, "name");
    result.versionName = TextMember(root, "version_name");
    const std::string version = TextMember(root, "version");
    const uint32_t newest = LeadingNumber(version, entry.kind != 0 ? 16 : 10);
    result.currentVersionText = VersionText(entry.version, entry.kind);
    result.newestVersionText = entry.kind != 0 ? "V" + version : result.versionName;
    const Json::Value& deviceId = root["device_id"];
    result.deviceId = deviceId.isInt() ? deviceId.asInt() : 0;
    result.status = entry.version < newest ? kStatusNewer : kStatusCurrent;
    return result;
}

UpdatePassOutcome RunUpdatePass(const std::vector<UpdateEntry>& entries,
                                const std::function<UpdateResult(const UpdateEntry&)>& check,
                                const std::function<bool()>& stopRequested) {
    for (const UpdateEntry& entry : entries) {
        if (entry.version == 0) {
            continue;
        }
        if (stopRequested && stopRequested()) {
            return UpdatePassOutcome::Stopped;
        }
        const UpdateResult result = check(entry);
        if (result.name.empty()) {
            continue;
        }
        if (IsNoLinkServer(result.name)) {
            return UpdatePassOutcome::NothingNew;
        }
        if (result.status != kStatusCurrent) {
            return UpdatePassOutcome::SomethingNew;
        }
    }
    return UpdatePassOutcome::NothingNew;
}

int32_t VersionFromText(std::string_view text) {
    int64_t value = 0;
    bool any = false;
    for (const char c : text) {
        if (c == '.') {
            continue;
        }
        if (c < '0' || c > '9') {
            return 0;
        }
        value = value * 10 + (c - '0');
        if (value > INT32_MAX) {
            return 0;
        }
        any = true;
    }
    return any ? static_cast<int32_t>(value) : 0;
}

int32_t InstalledVersion() {
    return VersionFromText(QUARO_VERSION);
}

}  // namespace quaro
