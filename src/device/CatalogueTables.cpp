#include "device/CatalogueTables.h"

namespace quaro {

// vendor, product, interface, collection, kind, role, connected, usage page, usage, paired,
// partner, path
const std::array<DeviceInterfaceEntry, kCatalogueRowCount> kInterfaceCatalogue = {{
    {0x0C45, 0x7666, 1, 4, kKindKeyboard, kRolePrimary, 0, 0xFF1C, 0x0092, 0, 0, {}},
    {0x0C45, 0x7666, 1, 3, kKindKeyboard, kRoleSecondary, 0, 0x000C, 0x0001, 0, 0, {}},
    {0x0000, 0x0000, 1, 4, kKindMouse, kRolePrimary, 0, 0xFF1C, 0x0092, 0, 0, {}},
    {0x0000, 0x0000, 1, 3, kKindMouse, kRoleSecondary, 0, 0x000C, 0x0001, 0, 0, {}},
    {0x0C45, 0x6627, 1, 4, kKindMousePad, kRolePrimary, 0, 0xFF1C, 0x0092, 0, 0, {}},
    {0x0C45, 0x6627, 1, 3, kKindMousePad, kRoleSecondary, 0, 0x000C, 0x0001, 0, 0, {}},
    {0x0D8C, 0x01DA, 3, 0, kKindHeadset, kRolePrimary, 0, 0x000C, 0x0001, 0, 0, {}},
}};

}  // namespace quaro
