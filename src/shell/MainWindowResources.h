#pragma once

#include <QString>

namespace quaro {

// Skin files the main window and its tray share.
inline const QString kTrayMenuFile = QStringLiteral("menu.xml");
inline const QString kLogoFile = QStringLiteral("common/logo.png");

}  // namespace quaro
