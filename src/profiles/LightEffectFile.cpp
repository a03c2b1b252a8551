#include "profiles/LightEffectFile.h"

#include "profiles/JsonAccess.h"
#include "profiles/StoreFileNames.h"
#include "profiles/StoredNames.h"

#include <cstdint>
#include <string>

namespace quaro {

std::filesystem::path LightEffectFilePath(const std::filesystem::path& libraryFolder,
                                          std::string_view guid) {
    if (!CheckPlainFileName(guid, "light effect Guid")) {
        return {};
    }
    return libraryFolder / (std::string(guid) + std::string(kLightEffectExtension));
}

std::vector<LightEffectStep> ReadLightEffectFile(const JsonFileStore& store,
                                                 const std::filesystem::path& path) {
    std::vector<LightEffectStep> steps;
    if (path.empty()) {
        return steps;
    }
    const Json::Value document = store.ReadJson(path);
    const Json::Value& list = ArrayMemberOf(document, "LEDEffectList");
    for (const Json::Value& element : list) {
        LightEffectStep step;
        step.mode = static_cast<std::uint8_t>(IntMember(element, "LEDREGMode"));
        step.brightness = static_cast<std::uint8_t>(IntMember(element, "LEDBrightness"));
        step.speed = static_cast<std::uint8_t>(IntMember(element, "LEDSpeed"));
        step.direction = static_cast<std::uint8_t>(IntMember(element, "LEDDirection"));
        step.multiColor = static_cast<std::uint8_t>(IntMember(element, "LEDMultiColor"));
        step.red = static_cast<std::uint8_t>(IntMember(element, "red"));
        step.green = static_cast<std::uint8_t>(IntMember(element, "green"));
        step.blue = static_cast<std::uint8_t>(IntMember(element, "blue"));
        step.time = IntMember(element, "Time");
        step.cycle = IntMember(element, "Cyle");
        steps.push_back(step);
    }
    return steps;
}

}  // namespace quaro
