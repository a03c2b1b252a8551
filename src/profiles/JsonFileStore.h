#pragma once

#include <json/value.h>

#include <chrono>
#include <cstddef>
#include <filesystem>
#include <optional>
#include <string>
#include <string_view>

namespace quaro {

// How reading a stored file went. Only Missing means there is nothing to keep: a file that is
// Unreadable (an I/O or permission error, not a regular file, over the size cap) or Unparsable
// (not a JSON document within the bounds below) still holds what the user had, so no store
// writes over it before moving it aside.
enum class ReadState { Read, Missing, Unreadable, Unparsable };

struct TextRead {
    ReadState state = ReadState::Missing;
    std::string text;
};

struct DocumentRead {
    ReadState state = ReadState::Missing;
    Json::Value value;

    bool Damaged() const {
        return state == ReadState::Unreadable || state == ReadState::Unparsable;
    }
};

// Whole-file JSON documents: every read opens, reads whole and closes; every write replaces the
// file whole. Stateless; each profile object and file-touching panel holds its own.
//
// Files are the styled writer's text plus one line feed, UTF-8. A write goes to a temporary file
// beside the target, is flushed and synced, then renamed over it, so a crash, a full disk or a
// failed write never leaves a truncated document behind.
class JsonFileStore {
public:
    // Larger files are treated as unreadable. The largest real document is about 200 KB; the cap
    // keeps a stray or hostile file from costing the time and memory of parsing it.
    static constexpr std::size_t kMaxFileBytes = 8u * 1024u * 1024u;
    // JsonCpp spends about a hundred bytes on every array element or object member, so the byte
    // cap alone would let 8 MiB of "0," grow to several hundred megabytes. Real documents hold a
    // few thousand values; a document with more than this many is refused before it is parsed.
    static constexpr std::size_t kMaxValues = 200000;
    // Deeper nesting is refused rather than followed: the reader recurses once per level.
    static constexpr int kMaxDepth = 1000;

    // The whole file, or empty text when it is missing, unreadable, not a regular file, larger
    // than kMaxFileBytes, or shorter than its size said.
    std::string ReadText(const std::filesystem::path& path) const;
    // The same, telling a missing file from one that could not be read.
    TextRead ReadTextFile(const std::filesystem::path& path) const;

    // The parsed root value, or null when the text is empty or is not JSON.
    Json::Value ReadJson(const std::filesystem::path& path) const;
    // The same, telling missing, unreadable and unparsable apart (empty text is unparsable).
    DocumentRead ReadDocument(const std::filesystem::path& path) const;

    // 0 when the document was written, 1 when it could not be; on failure the old file, if
    // any, is left as it was. A target whose permissions forbid writing (no write bit, or no
    // access for this user) is refused; a symbolic link is written through to the file it names.
    int WriteJson(const std::filesystem::path& path, const Json::Value& value) const;

    // Text stored byte for byte, with the same replace-whole guarantee and result as WriteJson:
    // copies of imported and exported files. Temporary files a crash left in the folder are
    // removed first.
    int WriteText(const std::filesystem::path& path, const std::string& text) const;

    // The document a read-modify-write starts from: the stored one when it reads and fits (has
    // the shape its store keeps; any shape when fits is null); a null value when there is none,
    // or when a damaged one was moved aside first; no value when a damaged one could not be
    // moved, which must then not be written over.
    std::optional<Json::Value> ReadForUpdate(const std::filesystem::path& path,
                                             bool (*fits)(const Json::Value&) = nullptr) const;

    // Renames a damaged store to path + ".damaged-" + a time stamp in the same folder and traces
    // it. False when it could not be moved; then nothing may be written in its place.
    bool MoveAside(const std::filesystem::path& path) const;

    // The root value of a document's text; null when it is empty, is not JSON, holds more than
    // kMaxValues values or nests deeper than kMaxDepth.
    static Json::Value ParseDocument(std::string_view text);

    // The styled writer's text of value plus one line feed: exactly the bytes WriteJson stores.
    static std::string FormatDocument(const Json::Value& value);

    // "%d_%02d_%02d_%02d_%02d_%02d_%03d" of local time: year, month, day, hour, minute,
    // second, millisecond. Identifies profiles and macros.
    static std::string MakeTimeStamp();
    static std::string MakeTimeStamp(std::chrono::system_clock::time_point when);
};

}  // namespace quaro
