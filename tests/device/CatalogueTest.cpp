#include "device/Catalogue.h"
#include "device/CatalogueTables.h"

#include <gtest/gtest.h>

namespace quaro {
namespace {

TEST(DevicePath, ParsesAllFourNumbersInEitherCase) {
    for (const char* path : {"\\\\?\\hid#vid_0c45&pid_7666&mi_01&col04#7&2a0e&0&0003#{4d1e55b2}",
                             "\\\\?\\HID#VID_0C45&PID_7666&MI_01&COL04#7&2A0E&0&0003#{4D1E55B2}",
                             "hidraw:/dev/hidraw3#vid_0C45&Pid_7666&Mi_01&cOl04"}) {
        SCOPED_TRACE(path);
        EXPECT_EQ(PathVendorId(path), 0x0C45);
        EXPECT_EQ(PathProductId(path), 0x7666);
        EXPECT_EQ(PathInterface(path), 1);
        EXPECT_EQ(PathCollection(path), 4);
    }
}

TEST(DevicePath, MissingKeysAndMissingDigitsReadAsZero) {
    const char* headset = "hidraw:/dev/hidraw7#vid_0d8c&pid_01da&mi_03";
    EXPECT_EQ(PathInterface(headset), 3);
    EXPECT_EQ(PathCollection(headset), 0);
    EXPECT_EQ(PathInterface("vid_0c45&pid_7666"), 0);
    EXPECT_EQ(PathVendorId("vid_&pid_12"), 0);
    EXPECT_EQ(PathProductId("vid_12&pid_zz"), 0);
    EXPECT_EQ(PathVendorId(""), 0);
    // "mi_" without the ampersand is not the interface key.
    EXPECT_EQ(PathInterface("vid_1&pid_2#mi_05"), 0);
}

TEST(DevicePath, StopsAtTheFirstNonHexCharacterAndKeepsLow16Bits) {
    EXPECT_EQ(PathVendorId("vid_0c45g7&pid_1"), 0x0C45);
    EXPECT_EQ(PathCollection("&col0a#{guid}"), 0x0A);
    EXPECT_EQ(PathVendorId("vid_12345678&"), 0x5678);
    // The first occurrence of a key wins.
    EXPECT_EQ(PathVendorId("vid_1111&vid_2222"), 0x1111);
}

TEST(Catalogue, TablesHaveTheirFixedShape) {
    ASSERT_EQ(kInterfaceCatalogue.size(), 7u);
    ASSERT_EQ(kDeviceTypes.size(), 4u);
    ASSERT_EQ(kDevicePages.size(), 4u);
    for (const auto& row : kInterfaceCatalogue) {
        EXPECT_EQ(row.connected, 0);
        EXPECT_EQ(row.paired, 0);
        EXPECT_TRUE(row.devicePath.empty());
        // Every primary row of a device type resolves to that type.
        if (row.role == kRolePrimary) {
            EXPECT_GE(DeviceTypeIndexOf(row.vendorId, row.productId, row.kind, row.role), 0);
        }
    }
    // Page rows follow type rows: the keyboard row sizes its tables for 126 keys.
    const int keyboard = DeviceTypeIndexOf(0x0C45, 0x7666, kKindKeyboard, kRolePrimary);
    ASSERT_EQ(keyboard, 1);
    EXPECT_EQ(kDeviceTypes[1].kindName, "keyboard");
    EXPECT_EQ(kDevicePages[1].keyCount, 126);
    EXPECT_EQ(kDevicePages[1].lightCount, 126);
}

TEST(Catalogue, IndexLookupsReturnFirstMatchOrMinusOne) {
    EXPECT_EQ(CatalogueIndexOf(0x0C45, 0x7666, kKindKeyboard, kRolePrimary), 0);
    EXPECT_EQ(CatalogueIndexOf(0x0C45, 0x7666, kKindKeyboard, kRoleSecondary), 1);
    EXPECT_EQ(CatalogueIndexOf(0x0C45, 0x6627, kKindMousePad, kRoleSecondary), 5);
    EXPECT_EQ(CatalogueIndexOf(0x0C45, 0x7666, kKindMousePad, kRolePrimary), -1);
    EXPECT_EQ(DeviceTypeIndexOf(0x0D8C, 0x01DA, kKindHeadset, kRolePrimary), 3);
    EXPECT_EQ(DeviceTypeIndexOf(0, 0, kKindMouse, kRolePrimary), 0);
    // The slow-link kind never names a device type of its own.
    EXPECT_EQ(DeviceTypeIndexOf(0, 0, kKindMouseSlowLink, kRolePrimary), -1);
}

TEST(Catalogue, IsCataloguedComparesVendorProductInterfaceAndCollection) {
    EXPECT_TRUE(IsCatalogued(EntryFromPath("vid_0c45&pid_7666&mi_01&col04")));
    EXPECT_TRUE(IsCatalogued(EntryFromPath("vid_0c45&pid_7666&mi_01&col03")));
    // The keyboard's boot interface 0 and other collections of interface 1 are not driven.
    EXPECT_FALSE(IsCatalogued(EntryFromPath("vid_0c45&pid_7666&mi_00")));
    EXPECT_FALSE(IsCatalogued(EntryFromPath("vid_0c45&pid_7666&mi_01&col02")));
    // A path without "&col" is collection 0, which is the headset's row.
    EXPECT_TRUE(IsCatalogued(EntryFromPath("vid_0d8c&pid_01da&mi_03")));
    EXPECT_FALSE(IsCatalogued(EntryFromPath("vid_0d8c&pid_01da&mi_03&col01")));
}

TEST(Catalogue, FindCatalogueRowNeedsUsageAndCopiesKindAndRole) {
    DeviceInterfaceEntry entry = EntryFromPath("vid_0c45&pid_6627&mi_01&col03");
    entry.usagePage = 0xFF1C;  // wrong usage for collection 3
    entry.usage = 0x92;
    EXPECT_EQ(FindCatalogueRow(entry), -1);
    EXPECT_EQ(entry.kind, 0);

    entry.usagePage = 0x000C;
    entry.usage = 0x0001;
    EXPECT_EQ(FindCatalogueRow(entry), 5);
    EXPECT_EQ(entry.kind, kKindMousePad);
    EXPECT_EQ(entry.role, kRoleSecondary);
}

TEST(Catalogue, NoDeviceWithNonZeroIdsBindsToTheMouseRows) {
    for (uint16_t vendor : {0x0000, 0x0C45}) {
        for (uint16_t product : {0x0000, 0x7666, 0x1234}) {
            if (vendor == 0 && product == 0) {
                continue;
            }
            for (uint16_t collection : {3, 4}) {
                DeviceInterfaceEntry entry;
                entry.vendorId = vendor;
                entry.productId = product;
                entry.interfaceNumber = 1;
                entry.collection = collection;
                entry.usagePage = collection == 4 ? 0xFF1C : 0x000C;
                entry.usage = collection == 4 ? 0x92 : 0x01;
                const int row = FindCatalogueRow(entry);
                EXPECT_NE(row, 2);
                EXPECT_NE(row, 3);
            }
        }
    }
}

}  // namespace
}  // namespace quaro
