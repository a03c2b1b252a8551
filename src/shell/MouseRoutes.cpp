#include "shell/MouseRoutes.h"

#include "device/CatalogueEntries.h"
#include "pages/CKestrovaMouseDevice.h"
#include "panels/shoot/CShootControlUI.h"
#include "profiles/JsonFileStore.h"
#include "shell/DevicePageSet.h"
#include "ui/toolkit/COptionUI.h"

#include <algorithm>

namespace quaro {
namespace {

constexpr int kMouseKeyTab = 2;
constexpr KeyCode kLeftButtonCode{0x10, 0x01, 0x00};

// An option of a group speaks only when it became the chosen one.
bool OptionChosen(const TNotifyUI& msg) {
    const auto* option = dynamic_cast<const COptionUI*>(msg.pSender);
    return option != nullptr && option->IsSelected();
}

bool SenderIs(const TNotifyUI& msg, const char* name) {
    return msg.pSender->GetName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

}  // namespace

const RouteTable<MouseRoutes::Handler> MouseRoutes::kRoutes = {
    {notify::kValueChanged, "pointer_speed_slider", RouteMatch::kExact,
     &MouseRoutes::OnPointerSpeed},
    {notify::kSelectChanged, "pointer_precision_check", RouteMatch::kExact,
     &MouseRoutes::OnPointerPrecision},
    {notify::kValueChanged, "scroll_speed_slider", RouteMatch::kExact, &MouseRoutes::OnScrollSpeed},
    {notify::kSelectChanged, "scrolls_page_check", RouteMatch::kExact, &MouseRoutes::OnScrollPage},
    {notify::kValueChanged, "double_click_slider", RouteMatch::kExact, &MouseRoutes::OnDoubleClick},
    {notify::kClick, "key_", RouteMatch::kIndexed, &MouseRoutes::OnKeyPick},
    {notify::kSelectChanged, "DPI_enable_check_", RouteMatch::kIndexed, &MouseRoutes::OnStageCheck},
    {notify::kValueChanged, "DPI_slider_", RouteMatch::kIndexed, &MouseRoutes::OnStageSlider},
    {notify::kMoveValueChanged, "DPI_slider_", RouteMatch::kIndexed,
     &MouseRoutes::OnStageSliderDrag},
    {notify::kKillFocus, "DPI_edit_", RouteMatch::kIndexed, &MouseRoutes::OnStageEdit},
    {notify::kSelectChanged, "polling_rate_option_", RouteMatch::kIndexed,
     &MouseRoutes::OnReportRate},
    {notify::kSelectChanged, "mouse_device_seting_option_", RouteMatch::kIndexed,
     &MouseRoutes::OnSettingsPage},
    {notify::kSelectChanged, "shoot_gun_op_", RouteMatch::kIndexed, &MouseRoutes::OnGun},
    {notify::kSelectChanged, "bullet_op_", RouteMatch::kIndexed, &MouseRoutes::OnBullet},
    {notify::kClick, "bullet_selected_prev", RouteMatch::kExact, &MouseRoutes::OnPreviousBullet},
    {notify::kClick, "bullet_selected_next", RouteMatch::kExact, &MouseRoutes::OnNextBullet},
    {notify::kKillFocus, "bullet_x_eidt", RouteMatch::kExact, &MouseRoutes::OnBulletEdit},
    {notify::kKillFocus, "bullet_y_eidt", RouteMatch::kExact, &MouseRoutes::OnBulletEdit},
    {notify::kKillFocus, "bullet_delay_eidt", RouteMatch::kExact, &MouseRoutes::OnBulletEdit},
    {notify::kClick, "shootdate_reset_btn", RouteMatch::kExact, &MouseRoutes::OnResetGun},
    {notify::kSelectChanged, "bullet_x_check", RouteMatch::kExact, &MouseRoutes::OnDirection},
    {notify::kSelectChanged, "bullet_y_check", RouteMatch::kExact, &MouseRoutes::OnDirection},
    {notify::kClick, "shootdate_save_btn", RouteMatch::kExact, &MouseRoutes::OnNoAction},
    {notify::kClick, "shootdate_import_btn", RouteMatch::kExact, &MouseRoutes::OnNoAction},
    {notify::kClick, "shootdate_export_btn", RouteMatch::kExact, &MouseRoutes::OnNoAction},
};

MouseRoutes::MouseRoutes(const DevicePageSet& pages, ShowMessage showMessage)
    : m_pages(pages), m_showMessage(std::move(showMessage)) {}

CKestrovaMouseDevice* MouseRoutes::CurrentMouse() const {
    auto* page = dynamic_cast<CKestrovaMouseDevice*>(m_pages.CurrentPage());
    if (page == nullptr ||
        (page->GetDeviceKind() != kKindMouse && page->GetDeviceKind() != kKindMouseSlowLink)) {
        return nullptr;
    }
    return page;
}

bool MouseRoutes::Dispatch(const TNotifyUI& msg) {
    CKestrovaMouseDevice* page = CurrentMouse();
    return kRoutes.Dispatch(
        msg, page, [&](Handler handler, int index) { return (this->*handler)(msg, *page, index); });
}

bool MouseRoutes::IsOnlyLeftButton(const std::vector<KeyAssignmentEntry>& keys, int n) {
    if (n < 0 || static_cast<std::size_t>(n) >= keys.size() ||
        keys[static_cast<std::size_t>(n)].code != kLeftButtonCode) {
        return false;
    }
    const auto holders = std::count_if(keys.begin(), keys.end(), [](const KeyAssignmentEntry& key) {
        return key.code == kLeftButtonCode;
    });
    return holders == 1;
}

bool MouseRoutes::OnPointerSpeed(const TNotifyUI&, CKestrovaMouseDevice& page, int) {
    page.SystemView().TakePointerSpeed();
    return true;
}

bool MouseRoutes::OnPointerPrecision(const TNotifyUI&, CKestrovaMouseDevice& page, int) {
    page.SystemView().TakePointerPrecision();
    return true;
}

bool MouseRoutes::OnScrollSpeed(const TNotifyUI&, CKestrovaMouseDevice& page, int) {
    page.SystemView().TakeScrollSpeed();
    return true;
}

bool MouseRoutes::OnScrollPage(const TNotifyUI&, CKestrovaMouseDevice& page, int) {
    page.SystemView().TakeScrollPage();
    return true;
}

bool MouseRoutes::OnDoubleClick(const TNotifyUI&, CKestrovaMouseDevice& page, int) {
    page.SystemView().TakeDoubleClick();
    return true;
}

bool MouseRoutes::OnKeyPick(const TNotifyUI&, CKestrovaMouseDevice& page, int index) {
    if (page.GetFunctionTab() != kMouseKeyTab) {
        return false;
    }
    // A profile that no longer reads is no ground for changing a button.
    const DocumentRead profile = JsonFileStore().ReadDocument(page.CurrentProfilePath());
    if (profile.state != ReadState::Read) {
        return true;
    }
    if (IsOnlyLeftButton(page.GetKeyList(), index)) {
        if (m_showMessage) {
            m_showMessage("message_text_6");
        }
        return true;
    }
    page.SelectKeyListItem(index);
    return true;
}

bool MouseRoutes::OnStageCheck(const TNotifyUI&, CKestrovaMouseDevice& page, int index) {
    page.TakeStageCheck(index);
    return true;
}

bool MouseRoutes::OnStageSlider(const TNotifyUI&, CKestrovaMouseDevice& page, int index) {
    page.TakeStageSlider(index);
    return true;
}

bool MouseRoutes::OnStageSliderDrag(const TNotifyUI&, CKestrovaMouseDevice& page, int index) {
    page.FollowStageSlider(index);
    return true;
}

bool MouseRoutes::OnStageEdit(const TNotifyUI&, CKestrovaMouseDevice& page, int index) {
    page.TakeStageEdit(index);
    return true;
}

bool MouseRoutes::OnReportRate(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index) {
    if (OptionChosen(msg)) {
        page.TakeReportRate(index);
    }
    return true;
}

bool MouseRoutes::OnSettingsPage(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index) {
    if (OptionChosen(msg)) {
        page.ShowSettingsPage(index);
    }
    return true;
}

bool MouseRoutes::OnGun(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index) {
    CShootControlUI* panel = page.GetShootPanel();
    if (panel != nullptr && OptionChosen(msg)) {
        panel->SelectGun(index);
        panel->ShowBullet();
    }
    return true;
}

bool MouseRoutes::OnBullet(const TNotifyUI& msg, CKestrovaMouseDevice& page, int index) {
    CShootControlUI* panel = page.GetShootPanel();
    if (panel != nullptr && OptionChosen(msg)) {
        panel->SelectBullet(index);
    }
    return true;
}

bool MouseRoutes::OnPreviousBullet(const TNotifyUI&, CKestrovaMouseDevice& page, int) {
    if (CShootControlUI* panel = page.GetShootPanel()) {
        panel->PreviousBullet();
    }
    return true;
}

bool MouseRoutes::OnNextBullet(const TNotifyUI&, CKestrovaMouseDevice& page, int) {
    if (CShootControlUI* panel = page.GetShootPanel()) {
        panel->NextBullet();
    }
    return true;
}

bool MouseRoutes::OnBulletEdit(const TNotifyUI&, CKestrovaMouseDevice& page, int) {
    if (CShootControlUI* panel = page.GetShootPanel()) {
        panel->SaveBullet();
    }
    return true;
}

bool MouseRoutes::OnResetGun(const TNotifyUI&, CKestrovaMouseDevice& page, int) {
    if (CShootControlUI* panel = page.GetShootPanel()) {
        panel->ResetGun();
    }
    return true;
}

bool MouseRoutes::OnDirection(const TNotifyUI& msg, CKestrovaMouseDevice& page, int) {
    if (CShootControlUI* panel = page.GetShootPanel()) {
        if (SenderIs(msg, "bullet_x_check")) {
            panel->XCheckChanged();
        } else {
            panel->YCheckChanged();
        }
    }
    return true;
}

bool MouseRoutes::OnNoAction(const TNotifyUI&, CKestrovaMouseDevice&, int) {
    return true;
}

}  // namespace quaro
