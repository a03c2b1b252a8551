#pragma once

#include "profiles/JsonFileStore.h"

#include <filesystem>
#include <string>
#include <vector>

namespace quaro {

// The light names a device page hands to its lighting panel: the built-in effects of
// "default_light.json" with their visibility, the light areas, and the custom effects of the
// device's light library, each taken from the list of the page's style (keyboard 0, mouse 1,
// mouse pad 2, headset 3). A missing file or list leaves the names as they were.
class LightLibrary {
public:
    explicit LightLibrary(int pageStyle = 0) : m_pageStyle(pageStyle) {}

    void SetPageStyle(int pageStyle) { m_pageStyle = pageStyle; }
    int PageStyle() const { return m_pageStyle; }

    // Refills the built-in names with their visibility flags and the area names.
    void LoadDefaultNames(const std::filesystem::path& defaultLightFile);
    // Refills the custom effect names from the light library ("quaro_light.config").
    void LoadCustomNames(const std::filesystem::path& libraryFile);

    const std::vector<std::string>& BuiltInNames() const { return m_builtInNames; }
    // One flag per built-in name, pairing up by position.
    const std::vector<bool>& BuiltInVisible() const { return m_builtInVisible; }
    const std::vector<std::string>& AreaNames() const { return m_areaNames; }
    const std::vector<std::string>& CustomNames() const { return m_customNames; }

private:
    JsonFileStore m_store;
    int m_pageStyle = 0;
    std::vector<std::string> m_builtInNames;
    std::vector<bool> m_builtInVisible;
    std::vector<std::string> m_areaNames;
    std::vector<std::string> m_customNames;
};

}  // namespace quaro
