#include "shell/LightRoutes.h"

#include "device/CatalogueEntries.h"
#include "devices/light/LightSync.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/light/CLightControlUI.h"
#include "shell/DevicePageSet.h"
#include "shell/LightSyncRunner.h"
#include "ui/toolkit/COptionUI.h"

#include <optional>

namespace quaro {
namespace {

constexpr int kChannelMax = 255;

std::optional<SyncDeviceKind> SyncKindOf(int kind) {
    switch (kind) {
        case kKindKeyboard:
            return SyncDeviceKind::kKeyboard;
        case kKindMouse:
            return SyncDeviceKind::kMouse;
        case kKindMousePad:
            return SyncDeviceKind::kPad;
        case kKindHeadset:
            return SyncDeviceKind::kHeadset;
        default:
            return std::nullopt;
    }
}

QString Decimal(int value) {
    return QString::number(value);
}

// The edits show the channels, the multicolour option is cleared without a notification of its
// own (that would be a route of its own), and the palette shows the colour.
void ShowPlainColour(CLightControlUI& panel, const LightSetting& setting) {
    panel.SetRed(Decimal(setting.red));
    panel.SetGreen(Decimal(setting.green));
    panel.SetBlue(Decimal(setting.blue));
    panel.SetMulticolour(false, false);
    panel.SetColour(0xFF000000u | (uint32_t{setting.red} << 16) | (uint32_t{setting.green} << 8) |
                    setting.blue);
}

void TakeArgb(LightSetting& setting, uint32_t argb) {
    setting.red = static_cast<uint8_t>(argb >> 16);
    setting.green = static_cast<uint8_t>(argb >> 8);
    setting.blue = static_cast<uint8_t>(argb);
    setting.multiColor = 0;
}

}  // namespace

// Rows of one line each read better than what the formatter makes of the nested action.
// clang-format off
const RouteTable<LightRoutes::Action> LightRoutes::kRoutes = {
    {notify::kItemSelect, "light_combo_modeSelect", RouteMatch::kExact, {&LightRoutes::OnEffect, false}},
    {notify::kValueChanged, "deng_light_slider", RouteMatch::kExact, {&LightRoutes::OnBrightness, false}},
    {notify::kValueChanged, "deng_speed_slider", RouteMatch::kExact, {&LightRoutes::OnSpeed, false}},
    {notify::kSelectChanged, "deng_FXL_check", RouteMatch::kExact, {&LightRoutes::OnDirection, false}},
    {notify::kSelectChanged, "deng_FXR_check", RouteMatch::kExact, {&LightRoutes::OnDirection, false}},
    {notify::kSelectChanged, "deng_7color_check", RouteMatch::kExact, {&LightRoutes::OnMulticolour, false}},
    {notify::kColorChanged, "deng_Color_Pallet", RouteMatch::kExact, {&LightRoutes::OnPalette, false}},
    {notify::kKillFocus, "deng_edit_R", RouteMatch::kExact, {&LightRoutes::OnChannelEdit, false}},
    {notify::kKillFocus, "deng_edit_G", RouteMatch::kExact, {&LightRoutes::OnChannelEdit, false}},
    {notify::kKillFocus, "deng_edit_B", RouteMatch::kExact, {&LightRoutes::OnChannelEdit, false}},
    {notify::kClick, "color_option_", RouteMatch::kIndexed, {&LightRoutes::OnPreset, true}},
};
// clang-format on

LightRoutes::LightRoutes(const DevicePageSet& pages, LightSyncRunner& sync,
                         std::function<QSize()> screen)
    : m_pages(pages), m_sync(sync), m_screen(std::move(screen)) {}

bool LightRoutes::Dispatch(const TNotifyUI& msg) {
    if (msg.pSender == nullptr) {
        return false;
    }
    const QString name = msg.pSender->GetName();
    CKestrovaUSBDevice* page = m_pages.CurrentPage();
    // Every page has a panel with the same control names; only the current page's panel acts,
    // and never on a notification its own refresh raised on another page.
    const auto ownedByPage = [&] {
        return page != nullptr && SenderInside(page->GetLightPanel(), msg);
    };
    if (msg.sType == notify::kClick && name.compare(u"deng_same_mode", Qt::CaseInsensitive) == 0) {
        if (ownedByPage()) {
            SameMode(*page);
        }
        return true;
    }
    const auto hit = kRoutes.Find(msg);
    if (!hit) {
        return false;
    }
    if (!ownedByPage()) {
        return true;
    }
    const Action& action = hit->row.action;
    LightSetting setting = page->GetLightSetting();
    if (!(this->*action.handler)(msg, *page->GetLightPanel(), setting, hit->index)) {
        return true;
    }
    if (!action.leavesSync) {
        page->SetLightSync(false);
    }
    const QSize screen = m_screen ? m_screen() : QSize();
    page->ApplyLightRecord(setting, screen.width(), screen.height());
    return true;
}

bool LightRoutes::OnEffect(const TNotifyUI&, CLightControlUI& panel, LightSetting& setting, int) {
    const int effect = panel.GetEffect();
    if (effect < 0) {
        return false;
    }
    setting.effect = static_cast<uint8_t>(effect);
    return true;
}

bool LightRoutes::OnBrightness(const TNotifyUI&, CLightControlUI& panel, LightSetting& setting,
                               int) {
    setting.brightness = static_cast<uint8_t>(panel.GetBrightness());
    return true;
}

bool LightRoutes::OnSpeed(const TNotifyUI&, CLightControlUI& panel, LightSetting& setting, int) {
    setting.speed = static_cast<uint8_t>(panel.GetSpeed());
    return true;
}

bool LightRoutes::OnDirection(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting,
                              int) {
    // The two options are a group: only the one that became selected speaks.
    auto* option = dynamic_cast<COptionUI*>(msg.pSender);
    if (option == nullptr || !option->IsSelected()) {
        return false;
    }
    const int direction =
        msg.pSender->GetName().compare(u"deng_FXL_check", Qt::CaseInsensitive) == 0 ? 1 : 0;
    setting.direction = static_cast<uint8_t>(direction);
    panel.SetDirection(direction);
    return true;
}

bool LightRoutes::OnMulticolour(const TNotifyUI&, CLightControlUI& panel, LightSetting& setting,
                                int) {
    setting.multiColor = panel.GetMulticolour() ? 1 : 0;
    return true;
}

bool LightRoutes::OnPalette(const TNotifyUI&, CLightControlUI& panel, LightSetting& setting, int) {
    TakeArgb(setting, panel.GetColour());
    ShowPlainColour(panel, setting);
    return true;
}

bool LightRoutes::OnChannelEdit(const TNotifyUI& msg, CLightControlUI& panel, LightSetting& setting,
                                int) {
    const QString name = msg.pSender->GetName();
    const QChar channel = name.back().toUpper();
    const QString text = channel == u'R'   ? panel.GetRed()
                         : channel == u'G' ? panel.GetGreen()
                                           : panel.GetBlue();
    bool ok = false;
    int value = text.trimmed().toInt(&ok);
    // What is no number, or below zero, counts as 0; above the range as 255; the edit shows it.
    if (!ok || value < 0) {
        value = 0;
    } else if (value > kChannelMax) {
        value = kChannelMax;
    }
    const auto byte = static_cast<uint8_t>(value);
    if (channel == u'R') {
        setting.red = byte;
    } else if (channel == u'G') {
        setting.green = byte;
    } else {
        setting.blue = byte;
    }
    setting.multiColor = 0;
    ShowPlainColour(panel, setting);
    return true;
}

bool LightRoutes::OnPreset(const TNotifyUI&, CLightControlUI& panel, LightSetting& setting,
                           int index) {
    TakeArgb(setting, panel.PresetColour(index));
    ShowPlainColour(panel, setting);
    return true;
}

void LightRoutes::SameMode(CKestrovaUSBDevice& page) {
    const LightSetting setting = page.GetLightSetting();
    SyncEffect effect = m_sync.Effect();
    if (const std::optional<SyncDeviceKind> kind = SyncKindOf(page.GetDeviceKind())) {
        const std::optional<SyncEffect> mapped = SyncEffectForMode(*kind, setting.effect);
        if (!mapped) {
            return;
        }
        effect = *mapped;
    }
    m_sync.Configure(effect, setting);
    const QSize screen = m_screen ? m_screen() : QSize();
    for (const auto* list :
         {&m_pages.Keyboards(), &m_pages.Mice(), &m_pages.MousePads(), &m_pages.Headsets()}) {
        for (CKestrovaUSBDevice* target : *list) {
            const std::optional<SyncDeviceKind> kind = SyncKindOf(target->GetDeviceKind());
            if (!kind || !target->IsPrimaryConnected()) {
                continue;
            }
            target->SetLightSync(true);
            LightSetting synced = setting;
            synced.effect = DeviceModeForSyncEffect(*kind, effect);
            if (CLightControlUI* panel = target->GetLightPanel()) {
                panel->ShowLightSetting(synced);
            }
            target->ApplyLightRecord(synced, screen.width(), screen.height());
        }
    }
}

}  // namespace quaro
