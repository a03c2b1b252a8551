#pragma once

#include <QString>

#include <cstdint>

namespace quaro {

class CControlUI;

// Message parameters keep the widths the window messages always had, so a pointer fits.
using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

// One user action (or a programmatic change that asked to be announced) on a control.
struct TNotifyUI {
    QString sType;
    CControlUI* pSender = nullptr;
    WPARAM wParam = 0;
    LPARAM lParam = 0;
};

class INotifyUI {
public:
    virtual ~INotifyUI() = default;
    virtual void Notify(TNotifyUI& msg) = 0;
};

// Notification kinds the windows and panels compare against.
namespace notify {
inline const QString kWindowInit = QStringLiteral("windowinit");
inline const QString kWindowSize = QStringLiteral("windowsize");
inline const QString kClick = QStringLiteral("click");
inline const QString kSelectChanged = QStringLiteral("selectchanged");
inline const QString kValueChanged = QStringLiteral("valuechanged");
inline const QString kMoveValueChanged = QStringLiteral("movevaluechanged");
inline const QString kItemSelect = QStringLiteral("itemselect");
inline const QString kItemClick = QStringLiteral("itemclick");
inline const QString kItemActivate = QStringLiteral("itemactivate");
inline const QString kTextChanged = QStringLiteral("textchanged");
inline const QString kKillFocus = QStringLiteral("killfocus");
inline const QString kSetFocus = QStringLiteral("setfocus");
inline const QString kTimer = QStringLiteral("timer");
inline const QString kMenu = QStringLiteral("menu");
inline const QString kReturn = QStringLiteral("return");
inline const QString kDbClick = QStringLiteral("dbclick");
inline const QString kMsEnter = QStringLiteral("msenter");
inline const QString kMsLeave = QStringLiteral("msleave");
inline const QString kColorChanged = QStringLiteral("colorchanged");
inline const QString kTabSelect = QStringLiteral("tabselect");
inline const QString kClickSelectEnd = QStringLiteral("click_select_end");
inline const QString kClickHandDelete = QStringLiteral("click_handdelete");
}  // namespace notify

// The window message numbers the windows exchange. The system and tray numbers keep the values
// the rest of the system and other processes already use.
namespace msg {
inline constexpr unsigned kWmDestroy = 0x0002;
inline constexpr unsigned kWmActivate = 0x0006;
inline constexpr unsigned kWmKillFocus = 0x0008;
inline constexpr unsigned kWmClose = 0x0010;
inline constexpr unsigned kWmDisplayChange = 0x007E;
inline constexpr unsigned kWmSysCommand = 0x0112;
inline constexpr unsigned kWmTimer = 0x0113;
inline constexpr unsigned kWmPowerBroadcast = 0x0218;
inline constexpr unsigned kWmMouseHover = 0x02A1;
inline constexpr unsigned kWmMouseLeave = 0x02A3;
inline constexpr unsigned kWmDpiChanged = 0x02E0;
inline constexpr unsigned kWmLButtonUp = 0x0202;  // tray callback mouse codes
inline constexpr unsigned kWmRButtonUp = 0x0205;
inline constexpr unsigned kWaInactive = 0;
inline constexpr unsigned kPbtApmSuspend = 4;
inline constexpr unsigned kPbtApmResumeAutomatic = 18;
inline constexpr WPARAM kScMinimize = 0xF020;
inline constexpr WPARAM kScMaximize = 0xF030;
inline constexpr WPARAM kScRestore = 0xF120;
inline constexpr WPARAM kScClose = 0xF060;
}  // namespace msg

}  // namespace quaro
