#include "shell/KeyboardRoutes.h"

#include "device/CatalogueEntries.h"
#include "pages/CKestrovaKeyboardDevice.h"
#include "panels/light/CLightControlUI.h"
#include "shell/DevicePageSet.h"
#include "ui/toolkit/COptionUI.h"

namespace quaro {
namespace {

constexpr int kLightTab = 1;

// An option of a group speaks only when it became the chosen one.
bool BecameSelected(const TNotifyUI& msg) {
    const auto* option = dynamic_cast<const COptionUI*>(msg.pSender);
    return option != nullptr && option->IsSelected();
}

}  // namespace

const RouteTable<KeyboardRoutes::Handler> KeyboardRoutes::kRoutes = {
    {notify::kSelectChanged, "winlockflag_option", RouteMatch::kExact,
     &KeyboardRoutes::OnSystemFlag},
    {notify::kSelectChanged, "wflag_option", RouteMatch::kExact, &KeyboardRoutes::OnSystemFlag},
    {notify::kSelectChanged, "6flag_option", RouteMatch::kExact, &KeyboardRoutes::OnSystemFlag},
    {notify::kSelectChanged, "polling_rate_option_", RouteMatch::kIndexed,
     &KeyboardRoutes::OnReportRate},
    {notify::kSelectChanged, "repeat_delay_check_", RouteMatch::kIndexed,
     &KeyboardRoutes::OnRepeatDelay},
    {notify::kValueChanged, "repeat_rate_slider", RouteMatch::kExact,
     &KeyboardRoutes::OnRepeatRate},
    {notify::kClick, "reset_repeat_btn", RouteMatch::kExact, &KeyboardRoutes::OnResetRepeat},
    {notify::kClick, "default_btn", RouteMatch::kExact, &KeyboardRoutes::OnDefaults},
    {notify::kClick, "custom_bright_color_btn", RouteMatch::kExact, &KeyboardRoutes::OnPaintColour},
    {notify::kClick, "custom_off_color_btn", RouteMatch::kExact, &KeyboardRoutes::OnPaintColour},
    {notify::kClick, "key_", RouteMatch::kIndexed, &KeyboardRoutes::OnKeyPick},
    {notify::kClickSelectEnd, "device_key_light", RouteMatch::kExact,
     &KeyboardRoutes::OnBandSelected},
    {notify::kItemSelect, "light_combo_custommodeSelect", RouteMatch::kExact,
     &KeyboardRoutes::OnCustomGroup},
};

KeyboardRoutes::KeyboardRoutes(const DevicePageSet& pages, Confirm confirmDefaults)
    : m_pages(pages), m_confirmDefaults(std::move(confirmDefaults)) {}

CKestrovaKeyboardDevice* KeyboardRoutes::CurrentKeyboard() const {
    auto* page = dynamic_cast<CKestrovaKeyboardDevice*>(m_pages.CurrentPage());
    return page != nullptr && page->GetDeviceKind() == kKindKeyboard ? page : nullptr;
}

bool KeyboardRoutes::Dispatch(const TNotifyUI& msg) {
    CKestrovaKeyboardDevice* page = CurrentKeyboard();
    // The picture's band selection ends on the page's own select panel, whatever the skin
    // calls that panel.
    if (msg.sType == notify::kClickSelectEnd && page != nullptr &&
        msg.pSender == page->GetSelectPanel() && SenderInside(page, msg)) {
        return OnBandSelected(msg, *page, kRouteNoIndex);
    }
    return kRoutes.Dispatch(
        msg, page, [&](Handler handler, int index) { return (this->*handler)(msg, *page, index); });
}

bool KeyboardRoutes::OnSystemFlag(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int) {
    const QString name = msg.pSender->GetName();
    using Flag = CKestrovaKeyboardDevice::SystemFlag;
    Flag flag = Flag::kKey6;
    if (name.compare(u"winlockflag_option", Qt::CaseInsensitive) == 0) {
        flag = Flag::kWinLock;
    } else if (name.compare(u"wflag_option", Qt::CaseInsensitive) == 0) {
        flag = Flag::kWFlag;
    }
    page.TakeSystemFlag(flag);
    return true;
}

bool KeyboardRoutes::OnReportRate(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index) {
    if (BecameSelected(msg)) {
        page.TakeReportRate(index);
    }
    return true;
}

bool KeyboardRoutes::OnRepeatDelay(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int index) {
    if (BecameSelected(msg)) {
        page.TakeRepeatDelay(index);
    }
    return true;
}

bool KeyboardRoutes::OnRepeatRate(const TNotifyUI&, CKestrovaKeyboardDevice& page, int) {
    page.TakeRepeatRate();
    return true;
}

bool KeyboardRoutes::OnResetRepeat(const TNotifyUI&, CKestrovaKeyboardDevice& page, int) {
    page.SystemView().ClearRepeatField();
    return true;
}

bool KeyboardRoutes::OnDefaults(const TNotifyUI&, CKestrovaKeyboardDevice& page, int) {
    if (m_confirmDefaults && m_confirmDefaults()) {
        page.RestoreDefaults();
    }
    return true;
}

bool KeyboardRoutes::OnPaintColour(const TNotifyUI& msg, CKestrovaKeyboardDevice& page, int) {
    page.SetCustomPaint(
        msg.pSender->GetName().compare(u"custom_bright_color_btn", Qt::CaseInsensitive) == 0);
    return true;
}

bool KeyboardRoutes::OnKeyPick(const TNotifyUI&, CKestrovaKeyboardDevice& page, int index) {
    // On the light page a key is picked for its colour; on the key page it is picked for its
    // assignment, which is the key panel's route.
    if (page.GetFunctionTab() != kLightTab) {
        return false;
    }
    page.PaintKey(index);
    return true;
}

bool KeyboardRoutes::OnBandSelected(const TNotifyUI&, CKestrovaKeyboardDevice& page, int) {
    if (page.GetFunctionTab() == kLightTab) {
        page.PaintBandSelection();
    }
    return true;
}

bool KeyboardRoutes::OnCustomGroup(const TNotifyUI&, CKestrovaKeyboardDevice& page, int) {
    if (CLightControlUI* panel = page.GetLightPanel()) {
        page.TakeCustomGroup(panel->GetCustomEffect());
    }
    return true;
}

}  // namespace quaro
