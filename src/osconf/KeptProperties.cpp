#include "osconf/KeptProperties.h"

#include "platform/Trace.h"
#include "profiles/JsonAccess.h"
#include "profiles/JsonFileStore.h"

#include <utility>

namespace quaro {
namespace {

bool IsObject(const Json::Value& value) {
    return value.isObject();
}

}  // namespace

KeptProperties::KeptProperties(std::filesystem::path file, std::string cardKey)
    : m_file(std::move(file)), m_cardKey(std::move(cardKey)) {
    const JsonFileStore store;
    const std::optional<Json::Value> document = store.ReadForUpdate(m_file, &IsObject);
    if (!document) {
        TraceFormat("osConfLib: %s cannot be read or moved aside; its values are not used\n",
                    m_file.c_str());
        m_writable = false;
        return;
    }
    const Json::Value& card = ObjectMemberOf(*document, m_cardKey.c_str());
    for (const std::string& name : card.getMemberNames()) {
        const Json::Value& value = card[name];
        if (value.isIntegral()) {
            m_values[name] = ReadInt(value);
        }
    }
}

std::optional<int> KeptProperties::Get(const std::string& name) const {
    const auto found = m_values.find(name);
    if (found == m_values.end()) {
        return std::nullopt;
    }
    return found->second;
}

bool KeptProperties::Set(const std::string& name, int value) {
    if (!m_writable) {
        return false;
    }
    const JsonFileStore store;
    std::optional<Json::Value> document = store.ReadForUpdate(m_file, &IsObject);
    if (!document) {
        m_writable = false;
        return false;
    }
    Json::Value& card = WritableMember(*document, m_cardKey.c_str());
    if (card.isNull()) {
        // A fresh document (the old one was moved aside since this card was read) still gets
        // every value this card had, not only the one being set.
        card = Json::Value(Json::objectValue);
        for (const auto& [kept, number] : m_values) {
            card[kept] = number;
        }
    }
    card[name] = value;
    if (store.WriteJson(m_file, *document) != 0) {
        return false;
    }
    m_values[name] = value;
    return true;
}

}  // namespace quaro
