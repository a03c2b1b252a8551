#include "shell/HeadsetRoutes.h"

#include "pages/CKestrovaHS6533Device.h"
#include "panels/voice/CMagicControlUI.h"
#include "panels/voice/CVoice6533ControlUI.h"
#include "shell/DevicePageSet.h"
#include "ui/MessageTexts.h"
#include "ui/toolkit/COptionUI.h"

namespace quaro {
namespace {

bool IsSelectedOption(const TNotifyUI& msg) {
    const auto* option = dynamic_cast<const COptionUI*>(msg.pSender);
    return option != nullptr && option->IsSelected();
}

}  // namespace

const RouteTable<HeadsetRoutes::Handler> HeadsetRoutes::kRoutes = {
    {notify::kClick, "hs_EQ_btn_save", RouteMatch::kExact, &HeadsetRoutes::OnSave},
    {notify::kClick, "hs_EQ_btn_delete", RouteMatch::kExact, &HeadsetRoutes::OnDelete},
    {notify::kSelectChanged, "magic_option_", RouteMatch::kIndexed, &HeadsetRoutes::OnEffect},
    {notify::kSelectChanged, "6533_eq_option_", RouteMatch::kIndexed, &HeadsetRoutes::OnPreset},
    {notify::kSelectChanged, "magic_enable_option", RouteMatch::kExact,
     &HeadsetRoutes::OnVoiceChanger},
    {notify::kSelectChanged, "6533_MicIn_option", RouteMatch::kExact, &HeadsetRoutes::OnMicSwitch},
    {notify::kSelectChanged, "6533_MicMoniter_option", RouteMatch::kExact,
     &HeadsetRoutes::OnMonitorSwitch},
    {notify::kValueChanged, "6533_eq_hz_slider_", RouteMatch::kIndexed, &HeadsetRoutes::OnBand},
    {notify::kValueChanged, "6533_MicIn_slider", RouteMatch::kExact, &HeadsetRoutes::OnMicLevel},
    {notify::kValueChanged, "6533_MicMoniter_slider", RouteMatch::kExact,
     &HeadsetRoutes::OnMonitorLevel},
    {notify::kItemSelect, "custom_eq_name_combo", RouteMatch::kExact, &HeadsetRoutes::OnCurve},
};

HeadsetRoutes::HeadsetRoutes(const DevicePageSet& pages,
                             std::function<void(const char* id)> showMessage)
    : m_pages(pages), m_showMessage(std::move(showMessage)) {}

bool HeadsetRoutes::Dispatch(const TNotifyUI& msg) {
    const auto hit = kRoutes.Find(msg);
    if (!hit) {
        return false;
    }
    // Every headset page has panels with the same names; only the current page's act. A name of
    // ours from elsewhere is still ours: it goes to no later table.
    auto* page = dynamic_cast<CKestrovaHS6533Device*>(m_pages.CurrentPage());
    if (page != nullptr &&
        (SenderInside(page->GetVoicePanel(), msg) || SenderInside(page->GetMagicPanel(), msg))) {
        (this->*hit->row.action)(msg, *page, hit->index);
    }
    return true;
}

void HeadsetRoutes::OnSave(const TNotifyUI&, CKestrovaHS6533Device& page, int) {
    CVoice6533ControlUI* voice = page.GetVoicePanel();
    if (voice == nullptr) {
        return;
    }
    page.SaveCustomEq(voice->GetNewCurveName(), [show = m_showMessage] {
        if (show) {
            show(msgtext::kNameRefused);
        }
    });
}

void HeadsetRoutes::OnDelete(const TNotifyUI&, CKestrovaHS6533Device& page, int) {
    page.DeleteCustomEq();
}

void HeadsetRoutes::OnEffect(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index) {
    if (IsSelectedOption(msg)) {
        page.SelectVoiceEffect(index);
    }
}

void HeadsetRoutes::OnPreset(const TNotifyUI& msg, CKestrovaHS6533Device& page, int index) {
    if (IsSelectedOption(msg)) {
        page.SelectEqPreset(index);
    }
}

void HeadsetRoutes::OnVoiceChanger(const TNotifyUI&, CKestrovaHS6533Device& page, int) {
    if (CMagicControlUI* magic = page.GetMagicPanel()) {
        page.ToggleVoiceChanger(magic->GetVoiceChangerOption());
    }
}

void HeadsetRoutes::OnMicSwitch(const TNotifyUI&, CKestrovaHS6533Device& page, int) {
    page.ToggleMicMute();
}

void HeadsetRoutes::OnMonitorSwitch(const TNotifyUI&, CKestrovaHS6533Device& page, int) {
    page.ToggleMonitorMute();
}

void HeadsetRoutes::OnBand(const TNotifyUI&, CKestrovaHS6533Device& page, int index) {
    page.SetEqBand(index);
}

void HeadsetRoutes::OnMicLevel(const TNotifyUI&, CKestrovaHS6533Device& page, int) {
    if (CVoice6533ControlUI* voice = page.GetVoicePanel()) {
        page.SetMicLevel(voice->GetMicInSlider());
    }
}

void HeadsetRoutes::OnMonitorLevel(const TNotifyUI&, CKestrovaHS6533Device& page, int) {
    if (CVoice6533ControlUI* voice = page.GetVoicePanel()) {
        page.SetMonitorLevel(voice->GetMonitorSlider());
    }
}

void HeadsetRoutes::OnCurve(const TNotifyUI&, CKestrovaHS6533Device& page, int) {
    CVoice6533ControlUI* voice = page.GetVoicePanel();
    const int curve = voice != nullptr ? voice->GetSelectedCurve() : -1;
    if (curve >= 0) {
        page.SelectCustomEq(curve);
    }
}

}  // namespace quaro
