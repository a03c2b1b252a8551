#pragma once

#include "app/ControlRegistry.h"
#include "ui/toolkit/CControlFactory.h"

namespace quaro::test {

// The application's control classes, registered once per test program as start-up does, so
// that the main window builds its device pages whole.
inline void RegisterApplicationControls() {
    static const bool registered = [] {
        RegisterControls(CControlFactory::GetInstance());
        return true;
    }();
    (void)registered;
}

}  // namespace quaro::test
