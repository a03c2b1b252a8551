// The device page over its driver, against a pad emulator on a simulated bus: the light frames
// that reach the device, the status flow that comes back to the window, and a device that goes
// away in the middle of it.

#include "../device/SimBusTestSupport.h"
#include "DeviceTabFixture.h"
#include "pages/CKestrovaUSBDevice.h"
#include "sim/EmulatorModels.h"
#include "ui/MainMessages.h"

#include <QCoreApplication>
#include <QThread>
#include <gtest/gtest.h>

#include <chrono>
#include <map>

namespace quaro {
namespace {

using namespace std::chrono_literals;
using SteadyClock = std::chrono::steady_clock;

constexpr int kPadLights = 15;
constexpr int kWaitMs = 10000;

// A page that records what reaches it from the driver, and on which thread.
class RecordingPage : public CKestrovaUSBDevice {
public:
    std::map<uint32_t, int32_t> results;
    std::vector<StatusBytes> statuses;
    bool offThread = false;

protected:
    void FlowFinished(uint32_t flowId, int32_t result) override {
        offThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        results[flowId] = result;
    }
    void StatusArrived(const StatusBytes& status) override {
        offThread |= QThread::currentThread() != QCoreApplication::instance()->thread();
        statuses.push_back(status);
        CKestrovaUSBDevice::StatusArrived(status);
    }
};

std::vector<std::vector<uint8_t>> LightFrames(const std::vector<Packet>& received) {
    std::vector<std::vector<uint8_t>> frames;
    for (const Packet& packet : received) {
        if (packet[kPacketCommand] == kCmdLightFrame) {
            frames.emplace_back(packet.begin() + kPacketData,
                                packet.begin() + kPacketData + packet[kPacketLength]);
        }
    }
    return frames;
}

class PageOnDevice : public test::DeviceTabWindow {
protected:
    PageOnDevice() : m_device(MousePadModel()) {
        m_power = BuildInto<CMpDevicePowerUI>("XML/CustomControlXML/MpDevicePower.xml",
                                              "device_power_switch");
        m_page->SetLightCount(kPadLights);
        m_page->SetOwnerWindow(m_window.GetHWND());
        m_page->SetPowerWidget(m_power);
        m_page->SetPowerMode(1);
        m_page->CreateDriver(m_device.Backend());
    }

    void SetUp() override {
        ASSERT_NE(m_power, nullptr);
        ASSERT_TRUE(m_page->Driver()->Connect(m_device.PathOf(1, 4)));
        m_device.ClearReceived();
    }

    // Runs a flow and the UI loop until the page has its result.
    std::optional<int32_t> RunToEnd(uint32_t id) {
        if (!test::WaitFor([&] { return m_page->results.count(id) > 0; }, kWaitMs)) {
            return std::nullopt;
        }
        return m_page->results[id];
    }
    // Flows asked for before it have ended (a flow goes before a waiting frame, so this says
    // nothing about frames).
    void Settle() { ASSERT_TRUE(RunToEnd(m_page->Driver()->RunFlow({}))); }
    // The light packets the device has received once it has received at least count of them.
    std::vector<std::vector<uint8_t>> WaitForFrames(std::size_t count) {
        test::WaitFor([&] { return LightFrames(m_device.Received()).size() >= count; }, kWaitMs);
        return LightFrames(m_device.Received());
    }

    test::EmulatedDevice m_device;
    CMpDevicePowerUI* m_power = nullptr;
    std::unique_ptr<RecordingPage> m_page = std::make_unique<RecordingPage>();
};

TEST_F(PageOnDevice, FrameOfFifteenLightsReachesTheDeviceScaledByIntensity) {
    for (int l = 0; l < kPadLights; ++l) {
        const auto v = static_cast<uint32_t>(l * 16);
        // red, green, blue, intensity
        m_page->SetLightColour(l, 0xFF | (v << 8) | (uint32_t{200} << 16) | (v << 24));
    }
    m_page->RenderLightFrame();

    const auto frames = WaitForFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    ASSERT_EQ(frames[0].size(), 45u);
    for (int l = 0; l < kPadLights; ++l) {
        const int v = l * 16;
        EXPECT_EQ(frames[0][3 * l], 255 * v / 256) << l;
        EXPECT_EQ(frames[0][3 * l + 1], v * v / 256) << l;
        EXPECT_EQ(frames[0][3 * l + 2], 200 * v / 256) << l;
    }
}

TEST_F(PageOnDevice, NoFrameWhileStreamingIsOffOrBehindASlowLink) {
    m_page->SetLightColour(0, 0xFFFFFFFF);
    m_page->SetLightControl(0);
    m_page->RenderLightFrame();
    m_page->SetLightControl(1);
    m_page->Driver()->Primary().SetSlowLink(true);
    m_page->RenderLightFrame();
    m_page->Driver()->Primary().SetSlowLink(false);
    EXPECT_EQ(m_page->Driver()->Frames().accepted, 0u);

    // The first frame the device sees is the one handed over after streaming came back.
    m_page->SetLightColour(0, 0xFF0000FF);
    m_page->RenderLightFrame();
    const auto frames = WaitForFrames(1);
    ASSERT_EQ(frames.size(), 1u);
    EXPECT_EQ(frames[0][0], 0xFF * 0xFF / 256);
    EXPECT_EQ(frames[0][1], 0);
}

TEST_F(PageOnDevice, VisibleLightButtonsShowTheFrameHiddenOnesKeepTheirLook) {
    m_page->SetPageLayout(QStringLiteral("pad.xml"));
    auto* panel = new CSelectPanelUI;
    m_page->Add(panel);
    auto* shown = new CDeviceKeyButtonUI;
    shown->SetUserData(QStringLiteral("light_0"));
    panel->Add(shown);
    auto* hidden = new CDeviceKeyButtonUI;
    hidden->SetUserData(QStringLiteral("light_1"));
    panel->Add(hidden);
    m_page->InitPage();
    hidden->SetVisible(false);

    // red 0x10, green 0x20, blue 0x30 at 0x80
    m_page->SetLightColour(0, 0x80302010);
    m_page->SetLightColour(1, 0x80302010);
    m_page->RenderLightFrame();
    EXPECT_EQ(shown->GetLightColour(), 0x10u | (0x30u << 8) | (0x20u << 16));
    EXPECT_EQ(shown->GetLightIntensity(), 0x80u);
    EXPECT_EQ(hidden->GetLightColour(), 0xFFFFFFu);
}

TEST_F(PageOnDevice, StatusReachesThePowerWidgetAndTheWindowOnTheUiThread) {
    FirmwareMemory memory = m_device.Emulator().Firmware().Memory();
    memory.status = {57, kChargeCharging, 1, 1, 0x21, kPhoneSamsung};
    m_device.Emulator().Firmware().SetMemory(memory);
    m_power->SetKind(3, 0);

    m_page->OnStatusTimer();
    ASSERT_TRUE(test::WaitFor([&] { return !m_page->statuses.empty(); }, kWaitMs));
    EXPECT_FALSE(m_page->offThread);
    EXPECT_EQ(m_page->statuses[0], (StatusBytes{57, kChargeCharging, 1, 0, 0x21, kPhoneSamsung}));
    EXPECT_EQ(m_window.FindControl(QStringLiteral("device_power_value"))->GetShownText(), u"57%");
    ASSERT_EQ(m_window.m_messages.size(), 1u);
    EXPECT_EQ(m_window.m_messages[0].message, mainmsg::kPageNotice2);
    EXPECT_EQ(m_window.m_messages[0].wParam, 0x21u);
    EXPECT_EQ(m_window.m_messages[0].lParam, 0);

    // A refused read shows nothing and tells the window nothing.
    m_device.Emulator().ScheduleFault(FaultKind::kStatusFF);
    m_page->OnStatusTimer();
    Settle();
    EXPECT_EQ(m_page->statuses.size(), 1u);
    EXPECT_EQ(m_window.m_messages.size(), 1u);
}

TEST_F(PageOnDevice, DisconnectedPageAsksNothingOfTheDevice) {
    m_page->Driver()->Disconnect();
    EXPECT_FALSE(m_page->IsPrimaryConnected());
    m_page->OnStatusTimer();
    m_page->SetLightColour(0, 0xFFFFFFFF);
    m_page->RenderLightFrame();
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_device.Received().empty());
    EXPECT_TRUE(m_page->statuses.empty());
}

TEST_F(PageOnDevice, DeviceUnpluggedMidFlowCostsNoCrashAndNoHang) {
    m_device.Emulator().ScheduleFault(FaultKind::kUnplug);
    const uint32_t status = m_page->Driver()->RequestStatus();
    // The window keeps handing frames over while the flow waits for the vanished device.
    const auto start = SteadyClock::now();
    while (m_page->results.count(status) == 0 && SteadyClock::now() - start < 10s) {
        m_page->SetLightColour(0, 0xFF0000FF);
        m_page->RenderLightFrame();
        QCoreApplication::processEvents();
    }
    ASSERT_EQ(m_page->results.count(status), 1u);
    EXPECT_NE(m_page->results[status], kResultSuccess);
    EXPECT_TRUE(m_page->statuses.empty());
    EXPECT_TRUE(m_window.m_messages.empty());

    // Removal as the window does it, then more timers, then the page goes: nothing waits.
    m_page->Driver()->Disconnect();
    m_page->OnStatusTimer();
    m_page->RenderLightFrame();
    m_page.reset();
    QCoreApplication::processEvents();
}

TEST_F(PageOnDevice, PageGoingAwayWithFlowsQueuedDropsTheirNews) {
    for (int i = 0; i < 5; ++i) {
        m_page->OnStatusTimer();
    }
    // The worker's posts to the vanished page are dropped by the event loop, not delivered.
    m_page.reset();
    QCoreApplication::processEvents();
    EXPECT_TRUE(m_window.m_messages.empty());
}

}  // namespace
}  // namespace quaro
