#include "panels/devicetab/DeviceKindIcons.h"

namespace quaro {
namespace {

DeviceKindIcons IconsOf(const char* prefix) {
    const QString base = QStringLiteral("common/device_ico/") + QLatin1String(prefix);
    return {base + QStringLiteral("_device_normal.png"),
            base + QStringLiteral("_device_selected.png"),
            base + QStringLiteral("_device_synchro_normal.png"),
            base + QStringLiteral("_device_synchro_selected.png"),
            QLatin1String(prefix) + QStringLiteral("_device_name_text")};
}

}  // namespace

std::optional<DeviceKindIcons> DeviceKindIconsFor(int kind, int role) {
    switch (kind) {
        case tabkind::kKeyboard:
            return IconsOf("kb");
        case tabkind::kMouse:
            return IconsOf("ms");
        case tabkind::kMousePad:
            if (role == 0) {
                return IconsOf("hard_mp");
            }
            if (role == 1) {
                return IconsOf("soft_mp");
            }
            return std::nullopt;
        case tabkind::kHeadsetLegacy:
        case tabkind::kHeadset:
            return IconsOf("hd");
        case tabkind::kHub:
            return IconsOf("hub");
        default:
            return IconsOf("unknow");
    }
}

}  // namespace quaro
