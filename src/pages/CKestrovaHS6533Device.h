#pragma once

#include "pages/CKestrovaUSBDevice.h"

namespace quaro {

// The headset's page: the headset with its 13 LEDs bound to light buttons, and the profile bar.
class CKestrovaHS6533Device : public CKestrovaUSBDevice {
public:
    explicit CKestrovaHS6533Device(QWidget* parent = nullptr) : CKestrovaUSBDevice(parent) {}
    QString GetClass() const override { return QStringLiteral("KestrovaHS6533Device"); }
};

}  // namespace quaro
