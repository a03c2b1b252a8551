#include "profiles/LightLibrary.h"

#include "profiles/JsonAccess.h"

namespace quaro {
namespace {

// The list of a page style, or null when there is none.
const Json::Value& StyleList(const Json::Value& document, const char* member, int pageStyle) {
    if (pageStyle < 0) {
        return Json::Value::nullSingleton();
    }
    const Json::Value& list =
        ElementOf(ArrayMemberOf(document, member), static_cast<Json::ArrayIndex>(pageStyle));
    return list.isArray() ? list : Json::Value::nullSingleton();
}

}  // namespace

void LightLibrary::LoadDefaultNames(const std::filesystem::path& defaultLightFile) {
    const Json::Value document = m_store.ReadJson(defaultLightFile);
    const Json::Value& effects = StyleList(document, "DefaultLightName", m_pageStyle);
    if (!effects.isNull()) {
        m_builtInNames.clear();
        m_builtInVisible.clear();
        for (const Json::Value& effect : effects) {
            m_builtInNames.push_back(StringMember(effect, "LightName"));
            m_builtInVisible.push_back(BoolMember(effect, "visible"));
        }
    }
    const Json::Value& areas = StyleList(document, "AreaLightName", m_pageStyle);
    if (!areas.isNull()) {
        m_areaNames.clear();
        for (const Json::Value& area : areas) {
            m_areaNames.push_back(StringMember(area, "LightName"));
        }
    }
}

void LightLibrary::LoadCustomNames(const std::filesystem::path& libraryFile) {
    const Json::Value document = m_store.ReadJson(libraryFile);
    const Json::Value& effects = StyleList(document, "LightInfo", m_pageStyle);
    if (effects.isNull()) {
        return;
    }
    m_customNames.clear();
    for (const Json::Value& effect : effects) {
        m_customNames.push_back(StringMember(effect, "LightName"));
    }
}

}  // namespace quaro
