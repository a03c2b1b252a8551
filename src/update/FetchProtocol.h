#pragma once

#include "update/HttpTransport.h"

#include <cstddef>
#include <cstdint>
#include <filesystem>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

namespace quaro {

// What passes between the application and its fetch helper, quaro-fetch. The application
// writes one JSON document, the request, to the helper's standard input and closes it; the
// helper answers on standard output with one JSON object a line: traces and download progress
// while it works, then one result line. Byte strings (bodies, replies, paths) travel in
// base64, so nothing in them is lost to JSON's text rules.

enum class FetchOperation { Request, Download };

struct FetchRequest {
    FetchOperation operation = FetchOperation::Request;
    HttpClientSettings settings;
    std::string url;
    // A request's.
    std::string method;
    std::vector<uint8_t> body;
    std::size_t replyCapacity = 0;
    bool useNamedProxy = false;
    // A download's: the target, and the temporary file the helper writes before renaming it.
    std::filesystem::path file;
    std::filesystem::path temporary;
    bool requireTls = true;
};

// A reply buffer larger than this is refused: the helper allocates it whole.
inline constexpr std::size_t kFetchMaxReplyCapacity = std::size_t{256} << 20;

struct FetchLine {
    enum class Kind { Progress, Trace, Result };
    Kind kind = Kind::Result;
    double total = 0;
    double done = 0;
    std::string text;
    // Request's byte count or -1; 1 or 0 for a download that succeeded or failed.
    int64_t result = 0;
    uint32_t lastError = 0;
    std::vector<uint8_t> reply;
};

// One document, no line breaks inside it.
std::string EncodeFetchRequest(const FetchRequest& request);
// None, with the reason in why, when text is not a complete and well-formed request.
std::optional<FetchRequest> DecodeFetchRequest(std::string_view text, std::string& why);

// Each ends in a line break.
std::string FetchProgressLine(double total, double done);
std::string FetchTraceLine(std::string_view text);
std::string FetchResultLine(int64_t result, uint32_t lastError, std::span<const uint8_t> reply);
// One line without its line break; none when it is not one of the lines above.
std::optional<FetchLine> ParseFetchLine(std::string_view line);

std::string EncodeBase64(std::span<const uint8_t> bytes);
// None when text has anything but base64 characters and its padding.
std::optional<std::vector<uint8_t>> DecodeBase64(std::string_view text);

}  // namespace quaro
