#include "device/SimBusLayout.h"

#include "platform/FileText.h"

#include <json/json.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <system_error>
#include <unistd.h>

namespace quaro {

namespace {

std::string ToHex(const std::vector<uint8_t>& bytes) {
    static constexpr char kDigits[] = "0123456789abcdef";
    std::string text;
    text.reserve(bytes.size() * 2);
    for (uint8_t byte : bytes) {
        text.push_back(kDigits[byte >> 4]);
        text.push_back(kDigits[byte & 0x0F]);
    }
    return text;
}

int HexDigit(char c) {
    if (c >= '0' && c <= '9') {
        return c - '0';
    }
    if (c >= 'a' && c <= 'f') {
        return c - 'a' + 10;
    }
    if (c >= 'A' && c <= 'F') {
        return c - 'A' + 10;
    }
    return -1;
}

std::optional<std::vector<uint8_t>> FromHex(const std::string& text) {
    if (text.size() % 2 != 0) {
        return std::nullopt;
    }
    std::vector<uint8_t> bytes;
    bytes.reserve(text.size() / 2);
    for (size_t i = 0; i < text.size(); i += 2) {
        const int high = HexDigit(text[i]);
        const int low = HexDigit(text[i + 1]);
        if (high < 0 || low < 0) {
            return std::nullopt;
        }
        bytes.push_back(static_cast<uint8_t>(high * 16 + low));
    }
    return bytes;
}

bool ReadU16(const Json::Value& root, const char* key, uint16_t& out) {
    const Json::Value& value = root[key];
    // isUInt before asUInt: JsonCpp throws for an integral number outside the asked range.
    if (!value.isIntegral() || !value.isUInt() || value.asUInt() > 0xFFFF) {
        return false;
    }
    out = static_cast<uint16_t>(value.asUInt());
    return true;
}

}  // namespace

std::filesystem::path DefaultSimBusFolder() {
    const char* runtime = std::getenv("XDG_RUNTIME_DIR");
    if (runtime != nullptr && runtime[0] != '\0') {
        return std::filesystem::path(runtime) / "quaro-hid-sim";
    }
    return std::filesystem::path("/tmp") / ("quaro-hid-sim-" + std::to_string(::getuid()));
}

std::string FormatSimDescription(const SimInterfaceDescription& description) {
    Json::Value root(Json::objectValue);
    root["vendorId"] = description.vendorId;
    root["productId"] = description.productId;
    root["version"] = description.version;
    root["interfaceNumber"] = description.interfaceNumber;
    root["reportDescriptor"] = ToHex(description.reportDescriptor);
    root["product"] = description.product;
    return Json::StyledWriter().write(root);
}

std::optional<SimInterfaceDescription> ParseSimDescription(const std::string& name,
                                                           const std::string& text) {
    Json::CharReaderBuilder builder;
    std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    try {
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors) ||
            !root.isObject()) {
            return std::nullopt;
        }
    } catch (const std::exception&) {
        // The reader throws instead of failing when nesting passes its stack limit.
        return std::nullopt;
    }
    SimInterfaceDescription description;
    description.name = name;
    if (!ReadU16(root, "vendorId", description.vendorId) ||
        !ReadU16(root, "productId", description.productId) ||
        !ReadU16(root, "version", description.version) ||
        !ReadU16(root, "interfaceNumber", description.interfaceNumber) ||
        !root["reportDescriptor"].isString()) {
        return std::nullopt;
    }
    std::optional<std::vector<uint8_t>> bytes = FromHex(root["reportDescriptor"].asString());
    if (!bytes) {
        return std::nullopt;
    }
    description.reportDescriptor = std::move(*bytes);
    if (root["product"].isString()) {
        description.product = root["product"].asString();
    }
    return description;
}

bool PublishSimDescription(const std::filesystem::path& folder,
                           const SimInterfaceDescription& description) {
    const std::filesystem::path target = folder / (description.name + kSimDescriptionSuffix);
    const std::filesystem::path temporary = folder / ("." + description.name + ".json.tmp");
    {
        std::ofstream out(temporary, std::ios::binary | std::ios::trunc);
        out << FormatSimDescription(description);
        out.flush();
        if (!out) {
            return false;
        }
    }
    std::error_code error;
    std::filesystem::rename(temporary, target, error);
    return !error;
}

std::vector<SimInterfaceDescription> ListSimInterfaces(const std::filesystem::path& folder) {
    std::vector<SimInterfaceDescription> found;
    std::error_code error;
    for (const auto& entry : std::filesystem::directory_iterator(folder, error)) {
        const std::filesystem::path& path = entry.path();
        if (path.extension() != kSimDescriptionSuffix || path.filename().string()[0] == '.') {
            continue;
        }
        const std::optional<std::string> text = ReadSmallFile(path);
        if (!text) {
            continue;
        }
        if (auto description = ParseSimDescription(path.stem().string(), *text)) {
            found.push_back(std::move(*description));
        }
    }
    std::sort(found.begin(), found.end(),
              [](const auto& a, const auto& b) { return a.name < b.name; });
    return found;
}

}  // namespace quaro
