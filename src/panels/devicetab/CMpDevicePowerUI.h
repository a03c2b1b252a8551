#pragma once

#include "panels/devicetab/InnerControl.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CProgressUI.h"

#include <cstdint>
#include <span>

namespace quaro {

// A device's power widget beside the device tabs: battery level, charge state, the wireless
// mark of a mouse and the phone lying on a charging mouse pad.
class CMpDevicePowerUI : public CHorizontalLayoutUI {
public:
    // A status record is at most this long; shorter ones read as padded with zeros.
    static constexpr std::size_t kStatusRecordSize = 64;

    explicit CMpDevicePowerUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("MpDevicePower"); }

    void SetKind(int kind, int role);
    int GetKind() const { return m_kind; }
    int GetRole() const { return m_role; }

    // The page passes its power mode: non-zero shows the battery.
    void ShowPowerLayout(int powerMode);
    // Byte 0 battery level in percent, byte 1 charge state, byte 3 wireless, byte 5 phone type.
    void ShowStatus(std::span<const std::uint8_t> record);

    bool Activate();

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    InnerControl<CControlUI> m_powerLayout;
    InnerControl<CControlUI> m_powerValue;
    InnerControl<CControlUI> m_wirelessLogo;
    InnerControl<CControlUI> m_powerStatus;
    InnerControl<CProgressUI> m_powerProgress;
    InnerControl<CControlUI> m_phoneType;
    int m_kind = 0;
    int m_role = 0;
};

}  // namespace quaro
