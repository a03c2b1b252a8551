#include "panels/devicetab/CMpDevicePowerUI.h"

#include "panels/devicetab/DeviceKindIcons.h"
#include "platform/Trace.h"

#include <QMouseEvent>

#include <algorithm>
#include <array>

namespace quaro {
namespace {

// Charge states of the status record.
constexpr std::uint8_t kChargeFull = 0;
constexpr std::uint8_t kChargeCharging = 1;
constexpr std::uint8_t kChargeOnBattery = 2;

struct PhoneType {
    std::uint8_t code;
    const char* toolTip;  // language id
    const char* image;
};
// What the pad reports lying on its charging surface; any other code means nothing lies there.
constexpr PhoneType kPhoneTypes[] = {
    {1, "Phone_type_iphone", "file='power/Phone_type_iphone.png'"},
    {2, "Phone_type_samsung", "file='power/Phone_type_samsung.png'"},
    {3, "Phone_type_other", "file='power/Phone_type_other.png'"},
};
constexpr PhoneType kNoPhone = {0, "Phone_type_no_device", "file='power/Phone_type_no_device.png'"};

constexpr int kMaxLevel = 100;

}  // namespace

CMpDevicePowerUI::CMpDevicePowerUI(QWidget* parent)
    : CHorizontalLayoutUI(parent),
      m_powerLayout(this, QStringLiteral("device_power_Layout")),
      m_powerValue(this, QStringLiteral("device_power_value")),
      m_wirelessLogo(this, QStringLiteral("device_wuxian_logo")),
      m_powerStatus(this, QStringLiteral("device_power_status")),
      m_powerProgress(this, QStringLiteral("device_Power_progress")),
      m_phoneType(this, QStringLiteral("device_phone_type")) {}

void CMpDevicePowerUI::SetKind(int kind, int role) {
    m_kind = kind;
    m_role = role;
}

void CMpDevicePowerUI::ShowPowerLayout(int powerMode) {
    if (CControlUI* layout = m_powerLayout.Get()) {
        layout->SetVisible(powerMode != 0);
    }
}

void CMpDevicePowerUI::ShowStatus(std::span<const std::uint8_t> record) {
    CControlUI* value = m_powerValue.Get();
    CControlUI* wireless = m_wirelessLogo.Get();
    CProgressUI* progress = m_powerProgress.Get();
    CControlUI* status = m_powerStatus.Get();
    CControlUI* phone = m_phoneType.Get();
    if (value == nullptr || wireless == nullptr || progress == nullptr || status == nullptr ||
        phone == nullptr) {
        return;
    }
    std::array<std::uint8_t, kStatusRecordSize> bytes{};
    std::copy_n(record.begin(), std::min(record.size(), bytes.size()), bytes.begin());

    // A level past 100 is not a percentage; the device said "full" at most.
    int level = bytes[0];
    if (level > kMaxLevel) {
        TraceFormat("power status: battery level %d read as 100", level);
        level = kMaxLevel;
    }
    const std::uint8_t charge = bytes[1];
    const bool isWireless = bytes[3] != 0;
    const std::uint8_t phoneCode = bytes[5];

    progress->SetValue(kMaxLevel - level);
    value->SetResourceText(false);
    value->SetText(QString::asprintf("%d%s", level, "%"));

    if (m_kind == tabkind::kMouse) {
        wireless->SetVisible(isWireless);
    }

    if (charge == kChargeFull) {
        progress->SetVisible(true);
        status->SetBkImage(QStringLiteral("file='power/powered.png'"));
    } else if (charge == kChargeCharging) {
        progress->SetVisible(!isWireless);
        status->SetBkImage(isWireless ? QStringLiteral("file='power/wuxian_powering.png'")
                                      : QStringLiteral("file='power/powering.png'"));
    } else if (charge == kChargeOnBattery) {
        progress->SetVisible(true);
        status->SetBkImage(QStringLiteral("file='power/power.png'"));
    }

    if (m_kind == tabkind::kMousePad) {
        const PhoneType* shown = &kNoPhone;
        for (const PhoneType& type : kPhoneTypes) {
            if (type.code == phoneCode) {
                shown = &type;
            }
        }
        phone->SetToolTip(QLatin1String(shown->toolTip));
        phone->SetBkImage(QLatin1String(shown->image));
    }
}

bool CMpDevicePowerUI::Activate() {
    if (!isEnabled() || !isVisible()) {
        return false;
    }
    SendNotify(notify::kSelectChanged);
    return true;
}

void CMpDevicePowerUI::mousePressEvent(QMouseEvent* event) {
    // Taking the press is what brings the matching release here.
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    CHorizontalLayoutUI::mousePressEvent(event);
}

void CMpDevicePowerUI::mouseReleaseEvent(QMouseEvent* event) {
    CHorizontalLayoutUI::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Activate();
    }
}

}  // namespace quaro
