#include "AudioCommand.h"

#include "JsonOutput.h"
#include "Quaroctl.h"
#include "osconf/HeadsetCard.h"

#include <json/value.h>

#include <cmath>
#include <cstdio>
#include <memory>
#include <string>

namespace quaro {
namespace {

struct LevelReading {
    std::optional<double> level;  // 0.0-1.0
    std::optional<long> unit;
    bool unitIsDb = false;
    std::optional<bool> muted;
};

LevelReading ReadLevel(HeadsetMixer& mixer, HeadsetLevel level) {
    return {mixer.Level(level), mixer.Unit(level), mixer.UnitIsDb(level), mixer.Muted(level)};
}

int Percent(double level) {
    return static_cast<int>(std::lround(level * 100.0));
}

Json::Value LevelJson(const LevelReading& reading) {
    Json::Value value(Json::objectValue);
    if (reading.level) {
        value["level"] = Percent(*reading.level);
    }
    if (reading.unit && reading.unitIsDb) {
        value["dB"] = static_cast<double>(*reading.unit) / 100.0;
    } else if (reading.unit) {
        value["raw"] = static_cast<Json::Int64>(*reading.unit);
    }
    if (reading.muted) {
        value["muted"] = *reading.muted;
    }
    return value;
}

std::string LevelText(const char* title, const LevelReading& reading) {
    std::string line = title;
    if (reading.level) {
        line += std::to_string(Percent(*reading.level)) + "%";
        char unit[48];
        if (reading.unit && reading.unitIsDb) {
            std::snprintf(unit, sizeof unit, " (%.2f dB)",
                          static_cast<double>(*reading.unit) / 100.0);
            line += unit;
        } else if (reading.unit) {
            std::snprintf(unit, sizeof unit, " (step %ld)", *reading.unit);
            line += unit;
        }
    } else {
        line += "no volume control";
    }
    line += reading.muted ? (*reading.muted ? ", muted" : ", on") : ", no switch";
    return line + '\n';
}

}  // namespace

int ReadHeadsetAudio(const std::filesystem::path& busFolder, bool json, std::ostream& out,
                     std::ostream& err) {
    const std::unique_ptr<HeadsetCard> card = FindHeadsetCard(busFolder);
    if (!card) {
        err << "quaroctl: no headset sound card found (neither a USB headset's card nor the "
               "simulated headset's mixer in "
            << busFolder.string() << ")\n";
        return kExitDeviceError;
    }
    const LevelReading microphone = ReadLevel(*card->mixer, HeadsetLevel::kMicrophone);
    const LevelReading monitor = ReadLevel(*card->mixer, HeadsetLevel::kMonitor);
    if (!microphone.level && !microphone.muted && !monitor.level && !monitor.muted) {
        err << "quaroctl: " << card->description
            << ": the sound card shows no microphone level or mute\n";
        return kExitDeviceError;
    }
    if (json) {
        Json::Value document(Json::objectValue);
        document["kind"] = "headset";
        document["card"] = card->description;
        Json::Value& audio = document["audio"] = Json::Value(Json::objectValue);
        audio["microphone"] = LevelJson(microphone);
        audio["monitor"] = LevelJson(monitor);
        WriteJson(document, out);
    } else {
        out << "headset " << card->description << ": audio\n"
            << LevelText("microphone: ", microphone) << LevelText("monitoring: ", monitor);
    }
    return kExitSuccess;
}

}  // namespace quaro
