#include "pages/CKestrovaMouseDevice.h"

namespace quaro {

bool CKestrovaMouseDevice::ConnectDevice(const DeviceInterfaceEntry& slot) {
    const bool opened = CKestrovaUSBDevice::ConnectDevice(slot);
    if (opened && Driver() != nullptr) {
        Driver()->Primary().SetSlowLink(slot.kind == kKindMouseSlowLink);
    }
    return opened;
}

}  // namespace quaro
