#include "ui/toolkit/CControlFactory.h"

#include <QStringList>

namespace quaro {

CControlFactory& CControlFactory::GetInstance() {
    static CControlFactory factory;
    return factory;
}

void CControlFactory::RegistControl(const QString& className, Creator creator) {
    for (auto& [name, existing] : m_creators) {
        if (name == className) {
            existing = std::move(creator);
            return;
        }
    }
    m_creators.emplace_back(className, std::move(creator));
}

CControlUI* CControlFactory::CreateControl(const QString& className) const {
    for (const auto& [name, creator] : m_creators) {
        if (name == className) {
            return creator();
        }
    }
    return nullptr;
}

QStringList CControlFactory::RegisteredNames() const {
    QStringList names;
    for (const auto& entry : m_creators) {
        names.append(entry.first);
    }
    return names;
}

void CControlFactory::Clear() {
    m_creators.clear();
}

}  // namespace quaro
