#include "DiscoveryTestSupport.h"
#include "TempDir.h"
#include "TraceCapture.h"
#include "device/CatalogueTables.h"
#include "device/DiscoveryScan.h"
#include "device/HidPath.h"
#include "device/SimHidBackend.h"
#include "sim/DeviceEmulator.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <memory>
#include <sys/socket.h>
#include <sys/un.h>
#include <unistd.h>

namespace quaro {
namespace {

using Notices = std::vector<std::string>;

// One simulated bus, the emulators plugged into it, and discovery's passes run by the test.
class DiscoveryScanTest : public ::testing::Test {
protected:
    DiscoveryScanTest()
        : m_backend(std::make_shared<test::ObservedBackend>(
              std::make_shared<SimHidBackend>(m_bus.Path()))),
          m_scan(m_backend, m_slots, m_sink) {
        m_sink.slots = &m_slots;
    }

    DeviceEmulator& Plug(EmulatorModel model, const std::string& instance) {
        m_devices.push_back(
            std::make_unique<DeviceEmulator>(std::move(model), m_bus.Path(), instance));
        EXPECT_TRUE(m_devices.back()->Plug());
        return *m_devices.back();
    }

    Notices Pass() {
        m_scan.Pass();
        return m_sink.Take();
    }

    test::TempDir m_bus;
    std::shared_ptr<test::ObservedBackend> m_backend;
    DiscoverySlotTable m_slots;
    test::RecordingSink m_sink;
    DiscoveryScan m_scan;
    std::vector<std::unique_ptr<DeviceEmulator>> m_devices;
};

TEST_F(DiscoveryScanTest, KeyboardBindsPrimaryThenSecondaryAndTheSlotPrecedesItsNotice) {
    const std::vector<DeviceInterfaceEntry> empty = m_slots.Snapshot();
    ASSERT_EQ(empty.size(), kInterfaceCatalogue.size());
    for (size_t i = 0; i < empty.size(); ++i) {
        EXPECT_TRUE(empty[i].SameInterface(kInterfaceCatalogue[i])) << i;
        EXPECT_EQ(empty[i].connected, 0) << i;
    }

    Plug(KeyboardModel(), "kb");
    EXPECT_EQ(Pass(), (Notices{"+0", "+1", "first"}));
    EXPECT_TRUE(m_sink.Stale().empty());
    const std::vector<DeviceInterfaceEntry> slots = m_slots.Snapshot();
    EXPECT_NE(slots[0].devicePath.find("kb-if1.sock#vid_0c45&pid_7666&mi_01&col04"),
              std::string::npos);
    EXPECT_NE(slots[1].devicePath.find("&mi_01&col03"), std::string::npos);
    for (size_t i = 2; i < slots.size(); ++i) {
        EXPECT_EQ(slots[i].connected, 0) << i;
    }
    // Bound slots are not probed again.
    const size_t probes = m_backend->Opened().size();
    EXPECT_EQ(Pass(), Notices{});
    EXPECT_EQ(m_backend->Opened().size(), probes);
}

TEST_F(DiscoveryScanTest, OnlyCataloguedInterfacesWithAFreeRowAreProbed) {
    Plug(KeyboardModel(), "kb");
    EmulatorModel namedMouse = MouseModel();
    namedMouse.vendorId = 0x1234;
    namedMouse.productId = 0x5678;
    Plug(std::move(namedMouse), "named-mouse");
    EXPECT_EQ(Pass(), (Notices{"+0", "+1", "first"}));

    const std::vector<std::string> opened = m_backend->Opened();
    ASSERT_EQ(opened.size(), 2u);
    for (const std::string& path : opened) {
        // The keyboard's interface 0, its collections 1 and 2 and the mouse with its own ids
        // are never opened.
        EXPECT_NE(path.find("vid_0c45&pid_7666&mi_01&col0"), std::string::npos) << path;
        EXPECT_TRUE(path.ends_with("col03") || path.ends_with("col04")) << path;
    }
    EXPECT_EQ(m_slots.Slot(2)->connected, 0);
    EXPECT_EQ(m_slots.Slot(3)->connected, 0);

    // The emulated mouse presents the ids 0 of the mouse rows, and binds them.
    Plug(MouseModel(), "mouse");
    EXPECT_EQ(Pass(), (Notices{"+2", "+3"}));
}

TEST_F(DiscoveryScanTest, FirstScanNoticeComesOnceEvenWhenTheFirstEnumerationFails) {
    const test::TraceCapture trace;
    Plug(KeyboardModel(), "kb");
    m_backend->failEnumerations = 2;
    EXPECT_EQ(Pass(), Notices{"first"});
    EXPECT_EQ(Pass(), Notices{});
    // Retried on every pass; one trace line for the whole outage.
    EXPECT_EQ(Pass(), (Notices{"+0", "+1"}));
    EXPECT_EQ(trace.Count("HID enumeration failed; discovery retries on its next pass\n"), 1u);
    EXPECT_TRUE(m_scan.FirstScanDone());

    Plug(MousePadModel(), "pad");
    EXPECT_EQ(Pass(), (Notices{"+4", "+5"}));
}

TEST_F(DiscoveryScanTest, UnplugAndReplugOfTheSameDevice) {
    DeviceEmulator& keyboard = Plug(KeyboardModel(), "kb");
    EXPECT_EQ(Pass(), (Notices{"+0", "+1", "first"}));
    const std::string path = m_slots.Slot(0)->devicePath;

    keyboard.Unplug();
    EXPECT_EQ(Pass(), (Notices{"-0", "-1"}));
    EXPECT_TRUE(m_sink.Stale().empty());
    EXPECT_EQ(m_slots.Slot(0)->devicePath, "");

    ASSERT_TRUE(keyboard.Plug());
    EXPECT_EQ(Pass(), (Notices{"+0", "+1"}));
    EXPECT_EQ(m_slots.Slot(0)->devicePath, path);

    // Unplugged and plugged again between two passes: the same path, but not the same node,
    // so the pages' open handles are dead and the device must arrive anew.
    keyboard.Unplug();
    ASSERT_TRUE(keyboard.Plug());
    EXPECT_EQ(Pass(), (Notices{"-0", "-1", "+0", "+1"}));
}

TEST_F(DiscoveryScanTest, AnotherDeviceTakingTheNodeIsARemovalAndAnArrival) {
    auto keyboard = std::make_unique<DeviceEmulator>(KeyboardModel(), m_bus.Path(), "node");
    ASSERT_TRUE(keyboard->Plug());
    EXPECT_EQ(Pass(), (Notices{"+0", "+1", "first"}));
    keyboard.reset();
    Plug(MousePadModel(), "node");
    EXPECT_EQ(Pass(), (Notices{"-0", "-1", "+4", "+5"}));
    EXPECT_TRUE(m_sink.Stale().empty());
}

TEST(SimHidBackendTest, IdentityNamesTheListeningPlugOnly) {
    const test::TempDir bus;
    SimHidBackend backend(bus.Path());
    auto pad = std::make_unique<DeviceEmulator>(MousePadModel(), bus.Path(), "pad");
    ASSERT_TRUE(pad->Plug());
    std::vector<std::string> paths;
    ASSERT_TRUE(backend.Enumerate(paths));
    ASSERT_FALSE(paths.empty());
    const std::string path = paths.back();
    const std::optional<HidOpenedInterface> opened = backend.Open(path, HidOpenMode{true});
    ASSERT_TRUE(opened.has_value());
    EXPECT_FALSE(opened->identity.empty());
    EXPECT_EQ(backend.Identity(path), opened->identity);

    pad->Unplug();
    EXPECT_EQ(backend.Identity(path), "");
    ASSERT_TRUE(pad->Plug());
    const std::string replugged = backend.Identity(path);
    EXPECT_FALSE(replugged.empty());
    EXPECT_NE(replugged, opened->identity);

    // What a killed emulator leaves: the description and a socket file nobody listens on.
    const std::string description = test::ReadFileBytes(bus.Path() / "pad-if1.json");
    pad.reset();
    test::WriteFileBytes(bus.Path() / "pad-if1.json", description);
    const std::string socket = HidPathNode(path, SimHidBackend::kScheme);
    const int fd = ::socket(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0);
    sockaddr_un address{};
    address.sun_family = AF_UNIX;
    std::snprintf(address.sun_path, sizeof address.sun_path, "%s", socket.c_str());
    ASSERT_EQ(::bind(fd, reinterpret_cast<const sockaddr*>(&address), sizeof address), 0);
    ::close(fd);
    EXPECT_EQ(backend.Identity(path), "");
}

}  // namespace
}  // namespace quaro
