#pragma once

#include "pages/CKestrovaUSBDevice.h"

namespace quaro {

// The mouse pad's page: the pad with its 15 LEDs bound to light buttons, and the profile bar.
class CKestrovaMousePadDevice : public CKestrovaUSBDevice {
public:
    explicit CKestrovaMousePadDevice(QWidget* parent = nullptr) : CKestrovaUSBDevice(parent) {}
    QString GetClass() const override { return QStringLiteral("KestrovaMousePadDevice"); }
};

}  // namespace quaro
