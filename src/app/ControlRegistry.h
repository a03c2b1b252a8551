#pragma once

#include <QStringList>

namespace quaro {

class CControlFactory;

// Registers the application's own control classes with the factory, in the registry's order,
// before any layout is built.
void RegisterControls(CControlFactory& factory);

// The registry's class names in order, including classes whose Parts are not in this build
// (they are listed but not registered).
QStringList ControlRegistryNames();

}  // namespace quaro
