#include "SimBusTestSupport.h"
#include "TraceCapture.h"
#include "device/Catalogue.h"
#include "device/HidDevice.h"
#include "sim/EmulatorModels.h"

#include <gtest/gtest.h>

#include <array>
#include <chrono>
#include <fcntl.h>
#include <future>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

namespace quaro {
namespace {

using Clock = std::chrono::steady_clock;

TEST(HidDeviceTest, EmptyBusEnumeratesToNothing) {
    test::TempDir bus;
    HidDevice device(std::make_shared<SimHidBackend>(bus.Path()));
    EXPECT_TRUE(device.Enumerate());
    EXPECT_EQ(device.PathCount(), 0u);
    EXPECT_FALSE(device.NextPath().has_value());
}

TEST(HidDeviceTest, PathListDoublesAndKeepsOrder) {
    test::TempDir bus;
    // Three keyboards: five paths each (interface 0, interface 1 with four collections).
    std::vector<std::unique_ptr<DeviceEmulator>> keyboards;
    for (const char* name : {"kb-a", "kb-b", "kb-c"}) {
        keyboards.push_back(std::make_unique<DeviceEmulator>(KeyboardModel(), bus.Path(), name));
        ASSERT_TRUE(keyboards.back()->Plug());
    }
    HidDevice device(std::make_shared<SimHidBackend>(bus.Path()));
    ASSERT_TRUE(device.Enumerate());
    EXPECT_EQ(device.PathCount(), 15u);
    EXPECT_EQ(device.PathCapacity(), 16u);
    std::vector<std::string> paths;
    while (auto path = device.NextPath()) {
        paths.push_back(*path);
    }
    ASSERT_EQ(paths.size(), 15u);
    EXPECT_NE(paths[0].find("kb-a-if0.sock#vid_0c45&pid_7666&mi_00"), std::string::npos);
    EXPECT_EQ(paths[0].find("&col"), std::string::npos);
    EXPECT_NE(paths[4].find("kb-a-if1.sock#vid_0c45&pid_7666&mi_01&col04"), std::string::npos);
    EXPECT_NE(paths[14].find("kb-c-if1"), std::string::npos);
    device.ClearPaths();
    EXPECT_FALSE(device.NextPath().has_value());
}

TEST(HidDeviceTest, OpenGathersCollectionCapabilities) {
    test::EmulatedDevice keyboard(KeyboardModel());
    HidDevice device(keyboard.Backend());
    const std::string path = keyboard.PathOf(1, 4);
    ASSERT_TRUE(device.Open(path, true, true, true, false));
    EXPECT_EQ(device.Attributes().vendorId, 0x0C45);
    EXPECT_EQ(device.Attributes().productId, 0x7666);
    EXPECT_EQ(device.Attributes().versionNumber, 0x0105);
    EXPECT_EQ(device.Capabilities().usagePage, 0xFF1C);
    EXPECT_EQ(device.Capabilities().usage, 0x92);
    EXPECT_EQ(device.Capabilities().inputReportByteLength, 64);
    EXPECT_EQ(device.Capabilities().outputReportByteLength, 64);
    EXPECT_EQ(device.InterfaceNumber(), 1u);
    EXPECT_EQ(device.CollectionNumber(), 4u);
    EXPECT_EQ(device.ReportBuffer(HidReportType::kInput).size(), 64u);

    DeviceInterfaceEntry entry = EntryFromPath(path);
    entry.usagePage = device.Capabilities().usagePage;
    entry.usage = device.Capabilities().usage;
    EXPECT_EQ(FindCatalogueRow(entry), 0);
    device.Close();
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.Capabilities().inputReportByteLength, 0);
}

TEST(HidDeviceTest, OpenRefusesLongAndVanishedPaths) {
    test::EmulatedDevice keyboard(KeyboardModel());
    HidDevice device(keyboard.Backend());
    const std::string path = keyboard.PathOf(1, 3);
    std::string longPath = path;
    longPath.insert(longPath.find('#'), std::string(260 - path.size(), 'x'));
    ASSERT_EQ(longPath.size(), 260u);
    EXPECT_FALSE(device.Open(longPath, true, true, true, false));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.DevicePath(), longPath);

    keyboard.Emulator().Unplug();
    EXPECT_FALSE(device.Open(path, true, true, true, false));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.LastOpenError(), ENOENT);
}

TEST(HidDeviceTest, APathWhoseNodeNowBelongsToAnotherDeviceIsNotOpened) {
    test::TempDir bus;
    auto backend = std::make_shared<SimHidBackend>(bus.Path());
    std::string path;
    {
        DeviceEmulator keyboard(KeyboardModel(), bus.Path(), "usb1");
        ASSERT_TRUE(keyboard.Plug());
        std::vector<std::string> paths;
        backend->Enumerate(paths);
        ASSERT_EQ(paths.size(), 5u);
        path = paths[4];  // interface 1, collection 4: the command collection
    }
    // Another device takes the same bus name, with the same interfaces.
    DeviceEmulator mouse(MouseModel(), bus.Path(), "usb1");
    ASSERT_TRUE(mouse.Plug());
    test::TraceCapture trace;
    HidDevice device(backend);
    EXPECT_FALSE(device.Open(path, true, true, true, false));
    EXPECT_FALSE(device.IsOpen());
    EXPECT_EQ(device.LastOpenError(), ESTALE);
    EXPECT_TRUE(trace.Contains("HID node of " + path +
                               " is now 0000:0000 interface 1, not 0c45:7666 interface 1: "
                               "not opened"));
}

TEST(HidDeviceTest, EventReportsReachOnlyTheirCollection) {
    test::EmulatedDevice keyboard(KeyboardModel());
    HidDevice events(keyboard.Backend());
    HidDevice commands(keyboard.Backend());
    ASSERT_TRUE(events.Open(keyboard.PathOf(1, 3), true, true, true, false));
    ASSERT_TRUE(commands.Open(keyboard.PathOf(1, 4), true, true, true, false));
    ASSERT_TRUE(keyboard.Emulator().SendSettingsChanged());
    ASSERT_TRUE(keyboard.Emulator().SendKeyEvent(7, false));

    std::vector<uint8_t> report(64);
    uint32_t got = 0;
    ASSERT_TRUE(events.ReadReport(report, 1000, got));
    ASSERT_EQ(got, 3u);
    ASSERT_TRUE(events.UnpackReport(HidReportType::kInput, std::span(report.data(), got)));
    const std::vector<HidData>& data = events.Data(HidReportType::kInput);
    ASSERT_EQ(data.size(), 1u);
    EXPECT_TRUE(data[0].isButton);
    EXPECT_EQ(data[0].usages[0], kEventSettingsChanged);
    ASSERT_TRUE(events.ReadReport(report, 1000, got));
    ASSERT_TRUE(events.UnpackReport(HidReportType::kInput, std::span(report.data(), got)));
    EXPECT_EQ(events.Data(HidReportType::kInput)[0].usages[0], kEventKeyReleaseBase + 7);

    EXPECT_FALSE(commands.ReadReport(report, 50, got));
    EXPECT_EQ(got, 0u);
}

TEST(HidDeviceTest, CloseFromAnotherThreadEndsAnEndlessRead) {
    test::EmulatedDevice keyboard(KeyboardModel());
    HidDevice device(keyboard.Backend());
    ASSERT_TRUE(device.Open(keyboard.PathOf(1, 3), true, true, true, false));
    bool result = true;
    Clock::time_point ended;
    std::thread reader([&] {
        std::vector<uint8_t> report(64);
        uint32_t got = 0;
        result = device.ReadReport(report, HidDevice::kInfinite, got);
        ended = Clock::now();
    });
    while (!device.ReadPending()) {
        std::this_thread::yield();
    }
    const auto closed = Clock::now();
    device.Close();
    reader.join();
    EXPECT_FALSE(result);
    EXPECT_LT(ended - closed, std::chrono::milliseconds(500));
    EXPECT_FALSE(device.ReadPending());

    // The cancel does not linger: the object opens and reads again.
    ASSERT_TRUE(device.Open(keyboard.PathOf(1, 3), true, true, true, false));
    ASSERT_TRUE(keyboard.Emulator().SendSettingsChanged());
    std::vector<uint8_t> report(64);
    uint32_t got = 0;
    EXPECT_TRUE(device.ReadReport(report, 1000, got));
}

TEST(HidDeviceTest, UnplugEndsAWaitingReadWithoutSpinning) {
    test::EmulatedDevice keyboard(KeyboardModel());
    HidDevice device(keyboard.Backend());
    ASSERT_TRUE(device.Open(keyboard.PathOf(1, 3), true, true, true, false));
    std::thread unplug([&] {
        std::this_thread::sleep_for(std::chrono::milliseconds(50));
        keyboard.Emulator().Unplug();
    });
    std::vector<uint8_t> report(64);
    uint32_t got = 0;
    const auto start = Clock::now();
    EXPECT_FALSE(device.ReadReport(report, HidDevice::kInfinite, got));
    unplug.join();
    EXPECT_FALSE(device.ReadReport(report, HidDevice::kInfinite, got));
    EXPECT_FALSE(device.WriteReport(report, HidDevice::kInfinite, got));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(1000));
}

// One end of a socket pair opened blocking, as a backend might hand it over; the test holds the
// device's end as `peer`.
class SocketPairBackend : public HidBackend {
public:
    static constexpr const char* kPath = "pair:0#vid_1234&pid_5678&mi_01";

    bool Enumerate(std::vector<std::string>& paths) override {
        paths.push_back(kPath);
        return true;
    }
    bool Handles(const std::string&) const override { return true; }
    std::optional<HidOpenedInterface> Open(const std::string&, const HidOpenMode&) override {
        int fds[2];
        if (::socketpair(AF_UNIX, SOCK_SEQPACKET | SOCK_CLOEXEC, 0, fds) != 0) {
            return std::nullopt;
        }
        peer = UniqueFd(fds[1]);
        HidOpenedInterface opened;
        opened.fd = UniqueFd(fds[0]);
        // One unnumbered vendor collection, 64 bytes each way.
        opened.reportDescriptor = {0x06, 0x00, 0xFF, 0x09, 0x01, 0xA1, 0x01, 0x15, 0x00,
                                   0x26, 0xFF, 0x00, 0x75, 0x08, 0x95, 0x40, 0x09, 0x01,
                                   0x81, 0x02, 0x09, 0x02, 0x91, 0x02, 0xC0};
        opened.attributes = {0x1234, 0x5678, 0x0100};
        opened.interfaceNumber = 1;
        return opened;
    }
    std::string Identity(const std::string&) override { return "pair"; }

    UniqueFd peer;
};

// Transfers try the node before they wait on it; a blocking node must not turn that into a
// hang, a full queue must still wait for room within the time-out, and a node whose other end
// has gone must fail the write rather than end the process with SIGPIPE.
TEST(HidDeviceTest, TransfersTryTheNodeFirstWithoutHanging) {
    auto backend = std::make_shared<SocketPairBackend>();
    HidDevice device(backend);
    ASSERT_TRUE(device.Open(SocketPairBackend::kPath, true, true, true, false));
    std::vector<uint8_t> report(64, 0x5A);
    uint32_t got = 0;

    std::future<bool> look = std::async(std::launch::async, [&] {
        std::vector<uint8_t> buffer(64);
        uint32_t n = 0;
        return device.ReadReport(buffer, 0, n);
    });
    const bool returned = look.wait_for(std::chrono::seconds(5)) == std::future_status::ready;
    if (!returned) {
        device.Close();  // ends the stuck read so the test can report it
    }
    ASSERT_TRUE(returned) << "a read without time-out blocked";
    EXPECT_FALSE(look.get());

    // What is waiting is taken at once.
    const std::array<uint8_t, 3> sent = {0x00, 0x11, 0x22};
    ASSERT_EQ(::write(backend->peer.Get(), sent.data(), sent.size()), 3);
    std::vector<uint8_t> buffer(64);
    ASSERT_TRUE(device.ReadReport(buffer, 0, got));
    EXPECT_EQ(got, 3u);
    EXPECT_EQ(buffer[2], 0x22);

    // Nobody reads the other end: the queue fills, and then a write waits its time-out and fails.
    int written = 0;
    const auto start = Clock::now();
    while (written < 100000 && device.WriteReport(report, 20, got)) {
        ++written;
    }
    EXPECT_GT(written, 0);
    EXPECT_LT(written, 100000);
    EXPECT_EQ(got, 0u);
    EXPECT_LT(Clock::now() - start, std::chrono::seconds(5));
    // Room again once the other end reads.
    std::vector<uint8_t> drained(64);
    ASSERT_EQ(::read(backend->peer.Get(), drained.data(), drained.size()), 64);
    EXPECT_TRUE(device.WriteReport(report, 20, got));
    EXPECT_EQ(got, 64u);

    backend->peer.Reset();
    EXPECT_FALSE(device.WriteReport(report, 20, got));
    EXPECT_FALSE(device.ReadReport(buffer, 0, got));
}

// A socket node waits for a report inside the receive itself, under a receive time-out kept
// from one read to the next: each read's own time-out must hold whatever the one before it
// asked for, a report already waiting is taken at once, and Close ends the wait.
TEST(HidDeviceTest, SocketReadsKeepTheirOwnTimeOuts) {
    auto backend = std::make_shared<SocketPairBackend>();
    HidDevice device(backend);
    ASSERT_TRUE(device.Open(SocketPairBackend::kPath, true, true, true, false));
    std::vector<uint8_t> buffer(64);
    uint32_t got = 0;
    const auto elapsedReading = [&](uint32_t timeoutMs) {
        const auto start = Clock::now();
        EXPECT_FALSE(device.ReadReport(buffer, timeoutMs, got));
        EXPECT_EQ(got, 0u);
        return Clock::now() - start;
    };
    // Shorter after longer, then longer after shorter.
    EXPECT_GE(elapsedReading(200), std::chrono::milliseconds(200));
    EXPECT_LT(elapsedReading(20), std::chrono::milliseconds(150));
    EXPECT_GE(elapsedReading(300), std::chrono::milliseconds(300));

    // A reply that came before the read began.
    const std::array<uint8_t, 4> early = {0x00, 0x04, 0x01, 0x00};
    ASSERT_EQ(::write(backend->peer.Get(), early.data(), early.size()), 4);
    const auto start = Clock::now();
    ASSERT_TRUE(device.ReadReport(buffer, 1000, got));
    EXPECT_LT(Clock::now() - start, std::chrono::milliseconds(500));
    EXPECT_EQ(got, 4u);
    EXPECT_EQ(buffer[1], 0x04);

    // Close ends a read that would otherwise wait ten seconds.
    std::future<bool> waiting = std::async(std::launch::async, [&] {
        std::vector<uint8_t> report(64);
        uint32_t n = 0;
        return device.ReadReport(report, 10000, n);
    });
    while (!device.ReadPending()) {
        std::this_thread::yield();
    }
    const auto closed = Clock::now();
    device.Close();
    ASSERT_EQ(waiting.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_FALSE(waiting.get());
    EXPECT_LT(Clock::now() - closed, std::chrono::milliseconds(1000));
}

// Only one read at a time waits inside the receive; a second one meanwhile must neither inherit
// the first one's time-out nor queue behind it.
TEST(HidDeviceTest, TwoReadsOnOneSocketEachKeepTheirTimeOut) {
    auto backend = std::make_shared<SocketPairBackend>();
    HidDevice device(backend);
    ASSERT_TRUE(device.Open(SocketPairBackend::kPath, true, true, true, false));
    std::future<uint32_t> longRead = std::async(std::launch::async, [&] {
        std::vector<uint8_t> report(64);
        uint32_t n = 0;
        return device.ReadReport(report, 5000, n) ? n : 0u;
    });
    while (!device.ReadPending()) {
        std::this_thread::yield();
    }
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    std::vector<uint8_t> buffer(64);
    uint32_t got = 0;
    const auto start = Clock::now();
    EXPECT_FALSE(device.ReadReport(buffer, 50, got));
    const auto waited = Clock::now() - start;
    EXPECT_GE(waited, std::chrono::milliseconds(50));
    EXPECT_LT(waited, std::chrono::milliseconds(1000));

    const std::array<uint8_t, 3> report = {0x00, 0x12, 0x00};
    ASSERT_EQ(::write(backend->peer.Get(), report.data(), report.size()), 3);
    ASSERT_EQ(longRead.wait_for(std::chrono::seconds(5)), std::future_status::ready);
    EXPECT_EQ(longRead.get(), 3u);
}

TEST(HidDeviceTest, HeadsetLightReportsAreRecorded) {
    test::EmulatedDevice headset(HeadsetModel());
    HidDevice device(headset.Backend());
    const std::string path = headset.PathOf(3, 0);
    ASSERT_TRUE(device.Open(path, true, true, true, false));
    EXPECT_EQ(device.Capabilities().usagePage, 0x0C);
    EXPECT_EQ(device.Capabilities().outputReportByteLength, 64);
    std::vector<uint8_t> light(17, 0);
    light[0] = 0xFF;
    light[1] = 0x22;
    light[2] = 0xAA;
    light[4] = 0xF7;
    ASSERT_TRUE(device.SetOutputReport(light));
    for (int i = 0; i < 100 && headset.Emulator().LightReports().empty(); ++i) {
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    const auto reports = headset.Emulator().LightReports();
    ASSERT_EQ(reports.size(), 1u);
    EXPECT_EQ(reports[0], light);
}

}  // namespace
}  // namespace quaro
