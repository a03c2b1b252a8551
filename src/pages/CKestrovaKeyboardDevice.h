#pragma once

#include "pages/CKestrovaUSBDevice.h"

namespace quaro {

// The keyboard's page: its picture of 126 keys bound to key and light buttons, the profile bar
// and, through its secondary interface, the consumer-control collection of the same keyboard.
class CKestrovaKeyboardDevice : public CKestrovaUSBDevice {
public:
    explicit CKestrovaKeyboardDevice(QWidget* parent = nullptr) : CKestrovaUSBDevice(parent) {}
    QString GetClass() const override { return QStringLiteral("KestrovaKeyboardDevice"); }
};

}  // namespace quaro
