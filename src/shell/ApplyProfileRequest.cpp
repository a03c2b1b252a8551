#include "shell/ApplyProfileRequest.h"

#include "device/CatalogueEntries.h"
#include "pages/CKestrovaUSBDevice.h"
#include "platform/Trace.h"
#include "shell/DevicePageSet.h"

namespace quaro {

bool ApplyRequestedProfile(const DevicePageSet& pages, std::uintptr_t kind) {
    const std::vector<CKestrovaUSBDevice*>* list = nullptr;
    switch (kind) {
        case kKindKeyboard:
            list = &pages.Keyboards();
            break;
        case kKindMousePad:
            list = &pages.MousePads();
            break;
        case kKindMouse:
        case kKindMouseSlowLink:
            list = &pages.Mice();
            break;
        case kKindHeadset:
            list = &pages.Headsets();
            break;
        default:
            TraceFormat("profile apply request for unknown device kind %lu refused",
                        static_cast<unsigned long>(kind));
            return false;
    }
    for (CKestrovaUSBDevice* page : *list) {
        if (page != nullptr && page->ApplySelectedProfile()) {
            TraceFormat("profile apply request: kind %lu applied",
                        static_cast<unsigned long>(kind));
            return true;
        }
    }
    TraceFormat("profile apply request: no device of kind %lu present, nothing applied",
                static_cast<unsigned long>(kind));
    return false;
}

}  // namespace quaro
