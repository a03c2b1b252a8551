#include "TempDir.h"
#include "device/HidDevice.h"
#include "device/HidrawBackend.h"
#include "sim/EmulatorDescriptors.h"

#include <gtest/gtest.h>

#include <chrono>
#include <filesystem>

namespace quaro {
namespace {

namespace fs = std::filesystem;

// A sysfs tree as the kernel lays it out for USB HID devices, with /dev beside it.
class HidrawFixture {
public:
    HidrawFixture() {
        fs::create_directories(Sysfs() / "class" / "hidraw");
        fs::create_directories(Dev());
    }

    fs::path Sysfs() const { return m_root.Path() / "sys"; }
    fs::path Dev() const { return m_root.Path() / "dev"; }

    // Adds hidraw<node> under USB device <usb> interface <iface>.
    void AddNode(int node, const std::string& usb, int iface, const std::string& hidId,
                 const std::vector<uint8_t>& descriptor, bool withUevent = true) {
        const fs::path usbDevice = Sysfs() / "devices" / "pci0000:00" / "usb1" / usb;
        const fs::path usbInterface = usbDevice / (usb + ":1." + std::to_string(iface));
        const fs::path hid = usbInterface / ("0003:" + hidId + "." + std::to_string(node));
        const fs::path nodeDir = hid / "hidraw" / ("hidraw" + std::to_string(node));
        fs::create_directories(nodeDir);
        test::WriteFileBytes(usbDevice / "bcdDevice", "0105\n");
        char number[8];
        std::snprintf(number, sizeof number, "%02x\n", iface);
        test::WriteFileBytes(usbInterface / "bInterfaceNumber", number);
        if (withUevent) {
            const std::string vendor = hidId.substr(0, 4);
            const std::string product = hidId.substr(5, 4);
            test::WriteFileBytes(hid / "uevent", "DRIVER=hid-generic\nHID_ID=0003:0000" + vendor +
                                                     ":0000" + product + "\nHID_NAME=x\n");
        }
        test::WriteFileBytes(hid / "report_descriptor",
                             std::string(descriptor.begin(), descriptor.end()));
        fs::create_directory_symlink(fs::relative(nodeDir, Sysfs() / "class" / "hidraw"),
                                     Sysfs() / "class" / "hidraw" / nodeDir.filename());
        test::WriteFileBytes(Dev() / nodeDir.filename(), "");
    }

private:
    test::TempDir m_root;
};

TEST(HidrawBackendTest, EnumeratesOnePathPerCollectionInNodeOrder) {
    HidrawFixture fixture;
    fixture.AddNode(0, "1-1", 0, "0C45:7666", BootKeyboardDescriptor());
    fixture.AddNode(1, "1-1", 1, "0C45:7666", ControlInterfaceDescriptor());
    fixture.AddNode(10, "1-2", 3, "0D8C:01DA", HeadsetDescriptor());
    fixture.AddNode(2, "1-3", 0, "1234:5678", {0x05, 0x01, 0xA1});  // truncated descriptor
    fixture.AddNode(3, "1-4", 0, "1234:5679", BootKeyboardDescriptor(), false);  // no HID_ID

    HidrawBackend backend(fixture.Sysfs(), fixture.Dev());
    std::vector<std::string> paths;
    ASSERT_TRUE(backend.Enumerate(paths));
    const std::string dev = fixture.Dev().string();
    const std::vector<std::string> expected = {
        "hidraw:" + dev + "/hidraw0#vid_0c45&pid_7666&mi_00",
        "hidraw:" + dev + "/hidraw1#vid_0c45&pid_7666&mi_01&col01",
        "hidraw:" + dev + "/hidraw1#vid_0c45&pid_7666&mi_01&col02",
        "hidraw:" + dev + "/hidraw1#vid_0c45&pid_7666&mi_01&col03",
        "hidraw:" + dev + "/hidraw1#vid_0c45&pid_7666&mi_01&col04",
        "hidraw:" + dev + "/hidraw10#vid_0d8c&pid_01da&mi_03",
    };
    EXPECT_EQ(paths, expected);

    const auto info = backend.ReadNode("hidraw10");
    ASSERT_TRUE(info.has_value());
    EXPECT_EQ(info->attributes.vendorId, 0x0D8C);
    EXPECT_EQ(info->attributes.productId, 0x01DA);
    EXPECT_EQ(info->attributes.versionNumber, 0x0105);
    EXPECT_EQ(info->interfaceNumber, 3);
    EXPECT_EQ(info->reportDescriptor, HeadsetDescriptor());
}

TEST(HidrawBackendTest, OpenTakesCapabilitiesFromSysfsAndTreatsEndOfFileAsGone) {
    HidrawFixture fixture;
    fixture.AddNode(1, "1-1", 1, "0C45:7666", ControlInterfaceDescriptor());
    HidDevice device(std::make_shared<HidrawBackend>(fixture.Sysfs(), fixture.Dev()));
    ASSERT_TRUE(device.Enumerate());
    EXPECT_EQ(device.PathCount(), 4u);
    const std::string path =
        "hidraw:" + fixture.Dev().string() + "/hidraw1#vid_0c45&pid_7666&mi_01&col03";
    ASSERT_TRUE(device.Open(path, true, true, true, false));
    EXPECT_EQ(device.Capabilities().usagePage, 0x0C);
    EXPECT_EQ(device.Capabilities().usage, 0x01);
    EXPECT_EQ(device.Capabilities().inputReportByteLength, 3);
    EXPECT_EQ(device.CollectionNumber(), 3u);
    EXPECT_EQ(device.Attributes().versionNumber, 0x0105);

    std::vector<uint8_t> report(64);
    uint32_t got = 0;
    const auto start = std::chrono::steady_clock::now();
    EXPECT_FALSE(device.ReadReport(report, HidDevice::kInfinite, got));
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::milliseconds(500));

    fs::remove(fixture.Dev() / "hidraw1");
    EXPECT_FALSE(device.Open(path, true, true, true, false));
    EXPECT_EQ(device.LastOpenError(), ENOENT);
    EXPECT_FALSE(device.Open("hidraw:" + fixture.Dev().string() + "/hidraw1#vid_0c45&col09", true,
                             true, true, false));
}

TEST(HidrawBackendTest, AReplugGivingTheNodeToAnotherDeviceIsRefused) {
    HidrawFixture fixture;
    fixture.AddNode(1, "1-1", 1, "0C45:7666", ControlInterfaceDescriptor());
    const std::string path =
        "hidraw:" + fixture.Dev().string() + "/hidraw1#vid_0c45&pid_7666&mi_01&col04";
    // Unplugged; hidraw1 goes to another device with the same report descriptor, then to the
    // same model on another interface.
    const std::vector<std::pair<std::string, int>> replugs = {{"1234:5678", 1}, {"0C45:7666", 2}};
    int usb = 2;
    for (const auto& [hidId, iface] : replugs) {
        fs::remove(fixture.Sysfs() / "class" / "hidraw" / "hidraw1");
        fixture.AddNode(1, "1-" + std::to_string(usb++), iface, hidId,
                        ControlInterfaceDescriptor());
        HidDevice device(std::make_shared<HidrawBackend>(fixture.Sysfs(), fixture.Dev()));
        EXPECT_FALSE(device.Open(path, true, true, true, false)) << hidId;
        EXPECT_EQ(device.LastOpenError(), ESTALE) << hidId;
    }
    // Only hidraw nodes of the backend's own folder are opened.
    HidDevice device(std::make_shared<HidrawBackend>(fixture.Sysfs(), fixture.Dev()));
    test::WriteFileBytes(fixture.Dev() / "other", "");
    EXPECT_FALSE(device.Open("hidraw:" + fixture.Dev().string() + "/other#vid_0c45&pid_7666&mi_01",
                             true, true, true, false));
    EXPECT_FALSE(
        device.Open("hidraw:/tmp/hidraw1#vid_0c45&pid_7666&mi_01", true, true, true, false));
}

TEST(HidrawBackendTest, IdentityTellsASecondUnitOnTheSameNodeFromTheFirst) {
    HidrawFixture fixture;
    fixture.AddNode(1, "1-1", 1, "0C45:7666", ControlInterfaceDescriptor());
    HidrawBackend backend(fixture.Sysfs(), fixture.Dev());
    const std::string path =
        "hidraw:" + fixture.Dev().string() + "/hidraw1#vid_0c45&pid_7666&mi_01&col04";
    const std::optional<HidOpenedInterface> first = backend.Open(path, HidOpenMode{true});
    ASSERT_TRUE(first.has_value());
    ASSERT_FALSE(first->identity.empty());
    EXPECT_EQ(backend.Identity(path), first->identity);

    // The same model in another port gets hidraw1: the path is the same and it opens, but it
    // is not the device that was bound.
    fs::remove(fixture.Sysfs() / "class" / "hidraw" / "hidraw1");
    fixture.AddNode(1, "1-2", 1, "0C45:7666", ControlInterfaceDescriptor());
    const std::optional<HidOpenedInterface> second = backend.Open(path, HidOpenMode{true});
    ASSERT_TRUE(second.has_value());
    EXPECT_NE(second->identity, first->identity);
    EXPECT_EQ(backend.Identity(path), second->identity);

    fs::remove(fixture.Dev() / "hidraw1");
    EXPECT_EQ(backend.Identity(path), "");
    EXPECT_EQ(backend.Identity("hidraw:/tmp/hidraw1#vid_0c45&pid_7666&mi_01"), "");
}

}  // namespace
}  // namespace quaro
