#pragma once

#include "pages/CKestrovaUSBDevice.h"

namespace quaro {

// The mouse's page. A mouse reached through a slow link (kind 6) shares the page of kind 2;
// its channel then waits longer for replies and carries no light frames.
class CKestrovaMouseDevice : public CKestrovaUSBDevice {
public:
    explicit CKestrovaMouseDevice(QWidget* parent = nullptr) : CKestrovaUSBDevice(parent) {}
    QString GetClass() const override { return QStringLiteral("KestrovaMouseDevice"); }

    bool ConnectDevice(const DeviceInterfaceEntry& slot) override;
};

}  // namespace quaro
