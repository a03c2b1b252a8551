#pragma once

#include <json/value.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <string>
#include <string_view>

namespace quaro {

// Whole-file JSON documents: every read opens, reads whole and closes; every write replaces the
// file whole. Stateless; each profile object and file-touching panel holds its own.
//
// Files are the styled writer's text plus one line feed, UTF-8. A write goes to a temporary file
// beside the target, is flushed and synced, then renamed over it, so a crash, a full disk or a
// failed write never leaves a truncated document behind.
class JsonFileStore {
public:
    // Larger files are treated as unreadable: no profile comes near this, and a stray huge
    // file must not exhaust memory.
    static constexpr std::size_t kMaxFileBytes = 64u * 1024u * 1024u;

    // The whole file, or empty text when it is missing, unreadable, not a regular file, larger
    // than kMaxFileBytes, or shorter than its size said.
    std::string ReadText(const std::filesystem::path& path) const;

    // The parsed root value, or null when the text is empty or is not JSON.
    Json::Value ReadJson(const std::filesystem::path& path) const;

    // 0 when the document was written, 1 when it could not be; on failure the old file, if
    // any, is left as it was.
    int WriteJson(const std::filesystem::path& path, const Json::Value& value) const;

    // Text stored byte for byte, with the same replace-whole guarantee and result as WriteJson:
    // copies of imported and exported files.
    int WriteText(const std::filesystem::path& path, const std::string& text) const;

    // The root value of a document's text; null when it is empty or is not JSON.
    static Json::Value ParseDocument(std::string_view text);

    // The styled writer's text of value plus one line feed: exactly the bytes WriteJson stores.
    static std::string FormatDocument(const Json::Value& value);

    // "%d_%02d_%02d_%02d_%02d_%02d_%03d" of local time: year, month, day, hour, minute,
    // second, millisecond. Identifies profiles and macros.
    static std::string MakeTimeStamp();
    static std::string MakeTimeStamp(std::chrono::system_clock::time_point when);
};

}  // namespace quaro
