#include "sim/SimMixer.h"

#include "platform/FileText.h"

#include <json/reader.h>
#include <json/writer.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <memory>
#include <unistd.h>

namespace quaro {
namespace {

constexpr std::size_t kMaxElements = 64;
constexpr std::size_t kMaxNameLength = 64;
constexpr std::size_t kMaxFileBytes = 64 * 1024;
// Far past any sound card's range, near enough to zero that no sum below overflows.
constexpr long kMaxMagnitude = 1000000;

Json::Value FormatDirection(const SimMixerDirection& direction) {
    Json::Value value(Json::objectValue);
    if (direction.hasVolume) {
        value["min"] = static_cast<Json::Int64>(direction.min);
        value["max"] = static_cast<Json::Int64>(direction.max);
        value["value"] = static_cast<Json::Int64>(direction.value);
        if (direction.hasDb) {
            value["dBMin"] = static_cast<Json::Int64>(direction.dbMin);
            value["dBMax"] = static_cast<Json::Int64>(direction.dbMax);
            value["muteAtMin"] = direction.muteAtMin;
        }
    }
    if (direction.hasSwitch) {
        value["switch"] = direction.on;
    }
    return value;
}

// Sound cards name their elements in plain ASCII; anything else would not survive being
// written back unchanged.
bool IsElementName(const std::string& name) {
    if (name.empty() || name.size() > kMaxNameLength) {
        return false;
    }
    for (const char c : name) {
        if (c < 0x20 || c > 0x7E) {
            return false;
        }
    }
    return true;
}

bool ReadBounded(const Json::Value& object, const char* key, long& out) {
    const Json::Value& value = object[key];
    // isInt64 before asInt64: JsonCpp throws for an integral number outside its range.
    if (!value.isInt64() || value.asInt64() < -kMaxMagnitude || value.asInt64() > kMaxMagnitude) {
        return false;
    }
    out = static_cast<long>(value.asInt64());
    return true;
}

bool ParseDirection(const Json::Value& value, SimMixerDirection& direction) {
    direction = {};
    if (value.isNull()) {
        return true;
    }
    if (!value.isObject()) {
        return false;
    }
    if (value.isMember("min") || value.isMember("max")) {
        direction.hasVolume = true;
        if (!ReadBounded(value, "min", direction.min) ||
            !ReadBounded(value, "max", direction.max) || direction.min >= direction.max) {
            return false;
        }
        long current = direction.min;
        if (value.isMember("value") && !ReadBounded(value, "value", current)) {
            return false;
        }
        direction.value = std::clamp(current, direction.min, direction.max);
        if (value.isMember("dBMin") || value.isMember("dBMax")) {
            direction.hasDb = true;
            if (!ReadBounded(value, "dBMin", direction.dbMin) ||
                !ReadBounded(value, "dBMax", direction.dbMax) ||
                direction.dbMin > direction.dbMax) {
                return false;
            }
            const Json::Value& mute = value["muteAtMin"];
            if (!mute.isNull() && !mute.isBool()) {
                return false;
            }
            direction.muteAtMin = mute.isBool() && mute.asBool();
        }
    }
    if (value.isMember("switch")) {
        if (!value["switch"].isBool()) {
            return false;
        }
        direction.hasSwitch = true;
        direction.on = value["switch"].asBool();
    }
    return true;
}

}  // namespace

std::optional<long> SimMixerDirection::DbOf(long raw) const {
    if (!hasVolume || !hasDb || raw < min || raw > max) {
        return std::nullopt;
    }
    if (muteAtMin && raw == min) {
        return kSimMixerMuteCentiDb;
    }
    return dbMin + (raw - min) * (dbMax - dbMin) / (max - min);
}

SimMixer DefaultHeadsetMixer() {
    SimMixer mixer;
    mixer.card = "USB gaming headset (simulated)";
    SimMixerElement speaker;
    speaker.name = "Speaker";
    speaker.playback = {true, 0, 100, 80, true, -4000, 0, false, true, true};
    SimMixerElement mic;
    mic.name = "Mic";
    // Steps of 0.3 dB for the capture gain and 0.4 dB for monitoring, so every percent the
    // page sets is a step of its own and the file shows it as set. The monitoring path
    // silences at its lowest step and starts muted, so a fresh headset does not echo the user.
    mic.capture = {true, 0, 100, 50, true, -1200, 1800, false, true, true};
    mic.playback = {true, 0, 100, 50, true, -3000, 1000, true, true, false};
    mixer.elements = {speaker, mic};
    return mixer;
}

std::string FormatSimMixer(const SimMixer& mixer) {
    Json::Value root(Json::objectValue);
    root["card"] = mixer.card;
    Json::Value& elements = root["elements"] = Json::Value(Json::arrayValue);
    for (const SimMixerElement& element : mixer.elements) {
        Json::Value entry(Json::objectValue);
        entry["name"] = element.name;
        if (element.capture.hasVolume || element.capture.hasSwitch) {
            entry["capture"] = FormatDirection(element.capture);
        }
        if (element.playback.hasVolume || element.playback.hasSwitch) {
            entry["playback"] = FormatDirection(element.playback);
        }
        elements.append(entry);
    }
    return Json::StyledWriter().write(root);
}

std::optional<SimMixer> ParseSimMixer(const std::string& text) {
    Json::CharReaderBuilder builder;
    builder["stackLimit"] = 32;
    const std::unique_ptr<Json::CharReader> reader(builder.newCharReader());
    Json::Value root;
    std::string errors;
    if (text.size() > kMaxFileBytes) {
        return std::nullopt;
    }
    try {
        // The reader throws, rather than fails, on nesting past its stack limit.
        if (!reader->parse(text.data(), text.data() + text.size(), &root, &errors)) {
            return std::nullopt;
        }
    } catch (const Json::Exception&) {
        return std::nullopt;
    }
    if (!root.isObject()) {
        return std::nullopt;
    }
    SimMixer mixer;
    if (root["card"].isString()) {
        mixer.card = root["card"].asString();
    }
    const Json::Value& elements = root["elements"];
    if (!elements.isArray() || elements.empty() || elements.size() > kMaxElements) {
        return std::nullopt;
    }
    for (const Json::Value& entry : elements) {
        if (!entry.isObject() || !entry["name"].isString()) {
            return std::nullopt;
        }
        SimMixerElement element;
        element.name = entry["name"].asString();
        if (!IsElementName(element.name) || !ParseDirection(entry["capture"], element.capture) ||
            !ParseDirection(entry["playback"], element.playback)) {
            return std::nullopt;
        }
        mixer.elements.push_back(std::move(element));
    }
    return mixer;
}

std::filesystem::path SimMixerPath(const std::filesystem::path& busFolder) {
    return busFolder / kSimMixerFileName;
}

bool PublishSimMixer(const std::filesystem::path& busFolder, const SimMixer& mixer) {
    std::error_code error;
    std::filesystem::create_directories(busFolder, error);
    const std::filesystem::path target = SimMixerPath(busFolder);
    std::string temporary = (busFolder / ".headset-mixer.json.XXXXXX").string();
    const int fd = ::mkostemp(temporary.data(), O_CLOEXEC);
    if (fd < 0) {
        return false;
    }
    const std::string text = FormatSimMixer(mixer);
    std::size_t written = 0;
    bool ok = true;
    while (ok && written < text.size()) {
        const ssize_t count = ::write(fd, text.data() + written, text.size() - written);
        if (count < 0 && errno == EINTR) {
            continue;
        }
        ok = count > 0;
        written += ok ? static_cast<std::size_t>(count) : 0;
    }
    ok = ::close(fd) == 0 && ok;
    if (!ok || ::rename(temporary.c_str(), target.c_str()) != 0) {
        ::unlink(temporary.c_str());
        return false;
    }
    return true;
}

std::optional<SimMixer> ReadSimMixer(const std::filesystem::path& busFolder) {
    const std::optional<std::string> text = ReadSmallFile(SimMixerPath(busFolder), kMaxFileBytes);
    if (!text) {
        return std::nullopt;
    }
    return ParseSimMixer(*text);
}

void RemoveSimMixer(const std::filesystem::path& busFolder) {
    std::error_code error;
    std::filesystem::remove(SimMixerPath(busFolder), error);
}

}  // namespace quaro
