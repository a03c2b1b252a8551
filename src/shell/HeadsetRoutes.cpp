#include "shell/HeadsetRoutes.h"

#include "pages/CKestrovaHS6533Device.h"
#include "pages/ControlNameNumber.h"
#include "panels/voice/CMagicControlUI.h"
#include "panels/voice/CVoice6533ControlUI.h"
#include "shell/DevicePageSet.h"
#include "ui/MessageTexts.h"
#include "ui/toolkit/COptionUI.h"

#include <optional>

namespace quaro {
namespace {

bool IsSelectedOption(const TNotifyUI& msg) {
    const auto* option = dynamic_cast<const COptionUI*>(msg.pSender);
    return option != nullptr && option->IsSelected();
}

bool Inside(const CControlUI* panel, const TNotifyUI& msg) {
    return panel != nullptr && panel->GetWidget()->isAncestorOf(msg.pSender->GetWidget());
}

}  // namespace

const HeadsetRoutes::Route HeadsetRoutes::kRoutes[] = {
    {notify::kClick, "hs_EQ_btn_save", false, &HeadsetRoutes::OnSave},
    {notify::kClick, "hs_EQ_btn_delete", false, &HeadsetRoutes::OnDelete},
    {notify::kSelectChanged, "magic_option_", true, &HeadsetRoutes::OnEffect},
    {notify::kSelectChanged, "6533_eq_option_", true, &HeadsetRoutes::OnPreset},
    {notify::kSelectChanged, "magic_enable_option", false, &HeadsetRoutes::OnVoiceChanger},
    {notify::kSelectChanged, "6533_MicIn_option", false, &HeadsetRoutes::OnMicSwitch},
    {notify::kSelectChanged, "6533_MicMoniter_option", false, &HeadsetRoutes::OnMonitorSwitch},
    {notify::kValueChanged, "6533_eq_hz_slider_", true, &HeadsetRoutes::OnBand},
    {notify::kValueChanged, "6533_MicIn_slider", false, &HeadsetRoutes::OnMicLevel},
    {notify::kValueChanged, "6533_MicMoniter_slider", false, &HeadsetRoutes::OnMonitorLevel},
    {notify::kItemSelect, "custom_eq_name_combo", false, &HeadsetRoutes::OnCurve},
};

HeadsetRoutes::HeadsetRoutes(const DevicePageSet& pages,
                             std::function<void(const char* id)> showMessage)
    : m_pages(pages), m_showMessage(std::move(showMessage)) {}

bool HeadsetRoutes::Dispatch(const TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return false;
    }
    const QString name = msg.pSender->GetName();
    for (const Route& route : kRoutes) {
        if (msg.sType != route.type) {
            continue;
        }
        int index = 0;
        if (route.indexed) {
            const std::optional<ControlNameNumber> split = SplitControlNameNumber(name);
            if (!split ||
                split->prefix.compare(QLatin1String(route.name), Qt::CaseInsensitive) != 0) {
                continue;
            }
            index = split->number;
        } else if (name.compare(QLatin1String(route.name), Qt::CaseInsensitive) != 0) {
            continue;
        }
        // Every headset page has panels with the same names; only the current page's act.
        auto* page = dynamic_cast<CKestrovaHS6533Device*>(m_pages.CurrentPage());
        if (page != nullptr &&
            (Inside(page->GetVoicePanel(), msg) || Inside(page->GetMagicPanel(), msg))) {
            (this->*route.handler)(msg, *page, index);
        }
        return true;
    }
    return false;
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
