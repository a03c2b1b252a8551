#pragma once

#include <QString>

#include <optional>

namespace quaro {

// Kind codes of the catalogue as the tabs and power widgets tell devices apart.
namespace tabkind {
inline constexpr int kKeyboard = 1;
inline constexpr int kMouse = 2;
inline constexpr int kMousePad = 3;  // role 0: hard surface, role 1: soft surface
inline constexpr int kHeadsetLegacy = 4;
inline constexpr int kHub = 5;
inline constexpr int kHeadset = 7;
}  // namespace tabkind

// The pictures and tool tip a device tab shows for one kind of device.
struct DeviceKindIcons {
    QString normal;
    QString selected;
    QString synchroNormal;
    QString synchroSelected;
    QString toolTip;  // language id
};

// The set for a kind and role; none for a mouse pad role that names no pad (neither hard nor
// soft), which leaves a tab's pictures as they were.
std::optional<DeviceKindIcons> DeviceKindIconsFor(int kind, int role);

}  // namespace quaro
