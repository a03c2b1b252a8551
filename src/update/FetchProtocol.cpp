#include "update/FetchProtocol.h"

#include <json/reader.h>
#include <json/value.h>
#include <json/writer.h>

#include <array>
#include <exception>
#include <memory>

namespace quaro {
namespace {

constexpr std::string_view kBase64Alphabet =
    "ABCDEFGHIJKLMNOPQRSTUVWXYZabcdefghijklmnopqrstuvwxyz0123456789+/";

std::string WriteLine(const Json::Value& root) {
    Json::StreamWriterBuilder builder;
    builder["indentation"] = "";
    // Bytes as they are: an address or path that is not valid UTF-8 must reach the other side
    // unchanged, and escaping would alter it.
    builder["emitUTF8"] = true;
    return Json::writeString(builder, root);
}

bool ParseJson(std::string_view text, Json::Value& root) {
    Json::CharReaderBuilder builder;
    builder["collectComments"] = false;
    builder["stackLimit"] = 32;
    builder["failIfExtra"] = true;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    std::string errors;
    // The reader throws past its nesting limit; what the other process wrote must not end
    // this one.
    try {
        return reader->parse(text.data(), text.data() + text.size(), &root, &errors) &&
               root.isObject();
    } catch (const std::exception&) {
        return false;
    }
}

std::string Base64Member(std::span<const uint8_t> bytes) {
    return EncodeBase64(bytes);
}

std::string Base64Member(const std::string& text) {
    return EncodeBase64(std::span(reinterpret_cast<const uint8_t*>(text.data()), text.size()));
}

// The members below read a wrong type as a failure rather than letting JsonCpp throw.
bool ReadText(const Json::Value& root, const char* key, std::string& out) {
    const Json::Value& value = root[key];
    if (!value.isString()) {
        return false;
    }
    out = value.asString();
    return true;
}

bool ReadBytes(const Json::Value& root, const char* key, std::vector<uint8_t>& out) {
    std::string text;
    if (!ReadText(root, key, text)) {
        return false;
    }
    std::optional<std::vector<uint8_t>> bytes = DecodeBase64(text);
    if (!bytes) {
        return false;
    }
    out = std::move(*bytes);
    return true;
}

bool ReadPath(const Json::Value& root, const char* key, std::filesystem::path& out) {
    std::vector<uint8_t> bytes;
    if (!ReadBytes(root, key, bytes)) {
        return false;
    }
    out = std::string(bytes.begin(), bytes.end());
    return true;
}

bool ReadUnsigned(const Json::Value& root, const char* key, uint64_t limit, uint64_t& out) {
    const Json::Value& value = root[key];
    if (!value.isUInt64() || value.asUInt64() > limit) {
        return false;
    }
    out = value.asUInt64();
    return true;
}

bool ReadMilliseconds(const Json::Value& root, const char* key, uint32_t& out) {
    uint64_t value = 0;
    if (!ReadUnsigned(root, key, UINT32_MAX, value)) {
        return false;
    }
    out = static_cast<uint32_t>(value);
    return true;
}

bool ReadBool(const Json::Value& root, const char* key, bool& out) {
    const Json::Value& value = root[key];
    if (!value.isBool()) {
        return false;
    }
    out = value.asBool();
    return true;
}

std::optional<HttpClientSettings> ReadSettings(const Json::Value& value) {
    HttpClientSettings settings;
    if (!value.isObject() || !ReadText(value, "userAgent", settings.userAgent) ||
        !ReadText(value, "namedProxy", settings.namedProxy) ||
        !ReadText(value, "proxyUserName", settings.proxyUserName) ||
        !ReadText(value, "proxyPassword", settings.proxyPassword) ||
        !ReadMilliseconds(value, "resolveTimeoutMs", settings.resolveTimeoutMs) ||
        !ReadMilliseconds(value, "connectTimeoutMs", settings.connectTimeoutMs) ||
        !ReadMilliseconds(value, "sendTimeoutMs", settings.sendTimeoutMs) ||
        !ReadMilliseconds(value, "receiveTimeoutMs", settings.receiveTimeoutMs) ||
        !ReadPath(value, "caFile", settings.caFile)) {
        return std::nullopt;
    }
    return settings;
}

}  // namespace

std::string EncodeBase64(std::span<const uint8_t> bytes) {
    std::string text;
    text.reserve((bytes.size() + 2) / 3 * 4);
    size_t i = 0;
    for (; i + 3 <= bytes.size(); i += 3) {
        const uint32_t group =
            (uint32_t{bytes[i]} << 16) | (uint32_t{bytes[i + 1]} << 8) | uint32_t{bytes[i + 2]};
        for (int shift = 18; shift >= 0; shift -= 6) {
            text.push_back(kBase64Alphabet[(group >> shift) & 0x3F]);
        }
    }
    const size_t rest = bytes.size() - i;
    if (rest != 0) {
        uint32_t group = uint32_t{bytes[i]} << 16;
        if (rest == 2) {
            group |= uint32_t{bytes[i + 1]} << 8;
        }
        text.push_back(kBase64Alphabet[(group >> 18) & 0x3F]);
        text.push_back(kBase64Alphabet[(group >> 12) & 0x3F]);
        text.push_back(rest == 2 ? kBase64Alphabet[(group >> 6) & 0x3F] : '=');
        text.push_back('=');
    }
    return text;
}

std::optional<std::vector<uint8_t>> DecodeBase64(std::string_view text) {
    if (text.size() % 4 != 0) {
        return std::nullopt;
    }
    std::array<int, 256> values{};
    values.fill(-1);
    for (size_t k = 0; k < kBase64Alphabet.size(); ++k) {
        values[static_cast<unsigned char>(kBase64Alphabet[k])] = static_cast<int>(k);
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 4 * 3);
    for (size_t i = 0; i < text.size(); i += 4) {
        const bool last = i + 4 == text.size();
        // Padding only at the very end, and never more than two.
        const int padding = last ? (text[i + 3] == '=') + (text[i + 2] == '=') : 0;
        if (padding == 1 && text[i + 2] == '=') {
            return std::nullopt;
        }
        uint32_t group = 0;
        for (int k = 0; k < 4; ++k) {
            const int value =
                k >= 4 - padding ? 0 : values[static_cast<unsigned char>(text[i + k])];
            if (value < 0) {
                return std::nullopt;
            }
            group = (group << 6) | static_cast<uint32_t>(value);
        }
        bytes.push_back(static_cast<uint8_t>(group >> 16));
        if (padding < 2) {
            bytes.push_back(static_cast<uint8_t>(group >> 8));
        }
        if (padding < 1) {
            bytes.push_back(static_cast<uint8_t>(group));
        }
    }
    return bytes;
}

std::string EncodeFetchRequest(const FetchRequest& request) {
    Json::Value settings(Json::objectValue);
    settings["userAgent"] = request.settings.userAgent;
    settings["namedProxy"] = request.settings.namedProxy;
    settings["proxyUserName"] = request.settings.proxyUserName;
    settings["proxyPassword"] = request.settings.proxyPassword;
    settings["resolveTimeoutMs"] = request.settings.resolveTimeoutMs;
    settings["connectTimeoutMs"] = request.settings.connectTimeoutMs;
    settings["sendTimeoutMs"] = request.settings.sendTimeoutMs;
    settings["receiveTimeoutMs"] = request.settings.receiveTimeoutMs;
    settings["caFile"] = Base64Member(request.settings.caFile.string());

    Json::Value root(Json::objectValue);
    root["settings"] = settings;
    root["url"] = request.url;
    if (request.operation == FetchOperation::Request) {
        root["operation"] = "request";
        root["method"] = request.method;
        root["body"] = Base64Member(request.body);
        root["replyCapacity"] = static_cast<Json::UInt64>(request.replyCapacity);
        root["useNamedProxy"] = request.useNamedProxy;
    } else {
        root["operation"] = "download";
        root["file"] = Base64Member(request.file.string());
        root["temporary"] = Base64Member(request.temporary.string());
        root["requireTls"] = request.requireTls;
    }
    return WriteLine(root);
}

std::optional<FetchRequest> DecodeFetchRequest(std::string_view text, std::string& why) {
    Json::Value root;
    if (!ParseJson(text, root)) {
        why = "not a JSON object";
        return std::nullopt;
    }
    FetchRequest request;
    std::string operation;
    if (!ReadText(root, "operation", operation) || !ReadText(root, "url", request.url)) {
        why = "no operation or address";
        return std::nullopt;
    }
    std::optional<HttpClientSettings> settings = ReadSettings(root["settings"]);
    if (!settings) {
        why = "settings incomplete";
        return std::nullopt;
    }
    request.settings = std::move(*settings);
    if (operation == "request") {
        request.operation = FetchOperation::Request;
        uint64_t capacity = 0;
        if (!ReadText(root, "method", request.method) || !ReadBytes(root, "body", request.body) ||
            !ReadUnsigned(root, "replyCapacity", kFetchMaxReplyCapacity, capacity) ||
            !ReadBool(root, "useNamedProxy", request.useNamedProxy)) {
            why = "request incomplete";
            return std::nullopt;
        }
        request.replyCapacity = static_cast<std::size_t>(capacity);
        return request;
    }
    if (operation == "download") {
        request.operation = FetchOperation::Download;
        if (!ReadPath(root, "file", request.file) ||
            !ReadPath(root, "temporary", request.temporary) ||
            !ReadBool(root, "requireTls", request.requireTls) || request.file.empty() ||
            request.temporary.empty()) {
            why = "download incomplete";
            return std::nullopt;
        }
        return request;
    }
    why = "unknown operation";
    return std::nullopt;
}

std::string FetchProgressLine(double total, double done) {
    Json::Value root(Json::objectValue);
    Json::Value pair(Json::arrayValue);
    pair.append(total);
    pair.append(done);
    root["progress"] = pair;
    return WriteLine(root) + '\n';
}

std::string FetchTraceLine(std::string_view text) {
    Json::Value root(Json::objectValue);
    root["trace"] = std::string(text);
    return WriteLine(root) + '\n';
}

std::string FetchResultLine(int64_t result, uint32_t lastError, std::span<const uint8_t> reply) {
    Json::Value root(Json::objectValue);
    root["result"] = static_cast<Json::Int64>(result);
    root["lastError"] = lastError;
    root["reply"] = Base64Member(reply);
    return WriteLine(root) + '\n';
}

std::optional<FetchLine> ParseFetchLine(std::string_view line) {
    Json::Value root;
    if (!ParseJson(line, root)) {
        return std::nullopt;
    }
    FetchLine parsed;
    if (root.isMember("progress")) {
        const Json::Value& pair = root["progress"];
        if (!pair.isArray() || pair.size() != 2 || !pair[0].isNumeric() || !pair[1].isNumeric()) {
            return std::nullopt;
        }
        parsed.kind = FetchLine::Kind::Progress;
        parsed.total = pair[0].asDouble();
        parsed.done = pair[1].asDouble();
        return parsed;
    }
    if (root.isMember("trace")) {
        parsed.kind = FetchLine::Kind::Trace;
        return ReadText(root, "trace", parsed.text) ? std::optional(parsed) : std::nullopt;
    }
    uint64_t lastError = 0;
    if (!root["result"].isInt64() || !ReadUnsigned(root, "lastError", UINT32_MAX, lastError) ||
        !ReadBytes(root, "reply", parsed.reply)) {
        return std::nullopt;
    }
    parsed.kind = FetchLine::Kind::Result;
    parsed.result = root["result"].asInt64();
    parsed.lastError = static_cast<uint32_t>(lastError);
    return parsed;
}

}  // namespace quaro
