#pragma once

#include "ui/toolkit/UIDefs.h"

#include <QMenu>
#include <QPointer>

namespace quaro {

class CResourceManager;
class CWindowWnd;

// What a menu choice carries to its window (message kMenuCommandMessage, wParam = address of
// this record, valid during the call only: the handler copies what it needs).
struct MenuCmd {
    QString szName;
    QString szUserData;
    QString szText;
    bool bChecked = false;
};

inline constexpr unsigned kMenuCommandMessage = 1145;

// A pop-up menu built from a menu layout of the skin ("Menu" with "MenuElement" items, nested
// for sub-menus, and "Separator"). Items are language ids like every visible text.
class CMenuWnd {
public:
    // Builds the menu; null when the file does not load.
    static QMenu* Build(const QString& xml, CResourceManager& resources);
    // Builds a menu whose choices are sent to owner as kMenuCommandMessage, for whoever shows
    // it (the tray icon's own context menu); the caller owns it.
    static QMenu* BuildFor(const QString& xml, CWindowWnd* owner, CResourceManager& resources);
    // Builds and pops it up with its top-left corner at point (screen coordinates). A choice
    // is sent to owner as kMenuCommandMessage. The menu deletes itself once closed.
    static QMenu* Init(const QString& xml, const QPoint& point, CWindowWnd* owner,
                       CResourceManager& resources);
};

}  // namespace quaro
