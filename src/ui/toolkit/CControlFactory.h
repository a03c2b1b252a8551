#pragma once

#include <QString>

#include <functional>
#include <vector>

namespace quaro {

class CControlUI;

// The registry of the application's own control classes by the names layouts use. Filled once
// by the composition root before any layout is built; read by every layout build.
class CControlFactory {
public:
    using Creator = std::function<CControlUI*()>;

    static CControlFactory& GetInstance();

    void RegistControl(const QString& className, Creator creator);
    // A new control of the registered class (no parent), or null for an unknown name.
    CControlUI* CreateControl(const QString& className) const;
    // Registered names in registration order.
    QStringList RegisteredNames() const;
    void Clear();

private:
    std::vector<std::pair<QString, Creator>> m_creators;
};

}  // namespace quaro
