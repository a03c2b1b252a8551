// The headset's page over its driver, against the headset emulator: what it sends when it
// starts, the light frames that reach the headset as output reports, and the light record the
// headset reports changed, read back into the profile only when it was read whole.

#include "../device/SimBusTestSupport.h"
#include "DeviceTabFixture.h"
#include "device/CatalogueTables.h"
#include "pages/CKestrovaHS6533Device.h"
#include "sim/EmulatorModels.h"
#include "support/QtTestApp.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <filesystem>
#include <fstream>
#include <sstream>

namespace quaro {
namespace {

namespace fs = std::filesystem;

constexpr int kWaitMs = 10000;
constexpr uint16_t kInterface = 3;

// The page with its audio hook and record reads counted.
class CountingHeadsetPage : public CKestrovaHS6533Device {
public:
    int audioInits = 0;
    std::vector<PadRecordRead> reads;

    void InitAudio() override { ++audioInits; }

protected:
    void RecordRead(const PadRecordRead& read) override {
        reads.push_back(read);
        CKestrovaHS6533Device::RecordRead(read);
    }
};

std::string FileText(const fs::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class HeadsetPage : public test::DeviceTabWindow {
protected:
    HeadsetPage() : m_device(HeadsetModel()) {
        fs::create_directories(m_dir / "app" / "DefaultData");
        fs::create_directories(m_dir / "data");
        for (const char* file : {"HD.Json", "default_light.json"}) {
            fs::copy_file(test::SourceDefaultDataFolder() / file,
                          m_dir / "app" / "DefaultData" / file);
        }
        fs::copy_file(test::SourceDefaultDataFolder() / "HD.Json", ProfileFile());
        m_page->SetKindName(QStringLiteral("HD"));
        m_page->SetLightName(QStringLiteral("quaro_light"));
        m_page->SetDataHome(m_dir / "data");
        m_page->SetApplicationFolder(m_dir / "app");
        // Named but not built: the page keeps its counts and simply finds no picture to bind.
        m_page->SetPageLayout(QStringLiteral("XML/DeviceXml/hs6533device.xml"));
        m_page->SetLightCount(kHeadsetLedCount);
        m_page->SetOwnerWindow(m_window.GetHWND());
        m_page->MakeDriver(m_device.Backend());
        m_page->InitPage();
    }

    void SetUp() override {
        m_slot = kInterfaceCatalogue.back();
        ASSERT_EQ(m_slot.kind, kKindHeadset);
        m_slot.devicePath = m_device.PathOf(kInterface, 0);
        ASSERT_TRUE(m_page->ConnectDevice(m_slot));
    }

    fs::path ProfileFile() const { return m_dir / "data" / "headset.Json"; }
    HeadsetDriver& Driver() { return *m_page->GetHeadsetDriver(); }

    // Flows asked for before it have ended.
    void Settle() {
        bool done = false;
        Driver().RunFlow([&done](DeviceDriver&) {
            done = true;
            return 1;
        });
        ASSERT_TRUE(test::WaitFor([&] { return done; }, kWaitMs));
    }
    std::vector<std::vector<uint8_t>> WaitForReports(std::size_t count) {
        test::WaitFor(
            [&] {
                m_page->RenderLightFrame();
                return m_device.Emulator().LightReports().size() >= count;
            },
            kWaitMs);
        return m_device.Emulator().LightReports();
    }
    std::size_t NoticesOfRecordRead() const {
        return static_cast<std::size_t>(std::count_if(
            m_window.m_messages.begin(), m_window.m_messages.end(),
            [](auto& m) { return m.message == CKestrovaHS6533Device::kRecordReadNotice; }));
    }

    test::EmulatedDevice m_device;
    DeviceInterfaceEntry m_slot;
    std::unique_ptr<CountingHeadsetPage> m_page = std::make_unique<CountingHeadsetPage>();
};

TEST_F(HeadsetPage, StartsWithoutACommandAndStreamsItsLightAsCappedOutputReports) {
    EXPECT_EQ(m_page->audioInits, 1);
    EXPECT_TRUE(Driver().IsSecondaryAttached());
    m_page->OnStart();
    Settle();
    EXPECT_TRUE(m_device.Received().empty());
    EXPECT_TRUE(Driver().Light().IsRunning());

    // Driven by the light sync, the page's own colours go out: white at full intensity.
    m_page->SetLightSync(true);
    for (int led = 0; led < kHeadsetLedCount; ++led) {
        m_page->SetLightColour(led, 0xFFFFFFFFu);
    }
    const auto reports = WaitForReports(12);
    ASSERT_EQ(reports.size(), 12u);
    for (const auto& report : reports) {
        ASSERT_EQ(report.size(), kHeadsetReportSize);
        EXPECT_EQ(report[4], kHeadsetMaxChannel);
        EXPECT_LE(*std::max_element(report.begin() + 4, report.end()), kHeadsetMaxChannel);
    }
    // Light never goes as command packets.
    EXPECT_TRUE(m_device.Received().empty());
    // The headset shows that frame: rendering the same colours again sends nothing.
    for (int i = 0; i < 5; ++i) {
        m_page->RenderLightFrame();
    }
    Settle();
    EXPECT_EQ(m_device.Emulator().LightReports().size(), 12u);
    EXPECT_TRUE(m_page->RestFrames() || m_page->RestFrames());

    // Unplugged while streaming: the page lets go of both handles and nothing waits.
    m_device.Emulator().Unplug();
    for (int i = 0; i < 10; ++i) {
        m_page->RenderLightFrame();
    }
    m_page->DisconnectDevice();
    EXPECT_FALSE(Driver().IsSecondaryAttached());
    EXPECT_FALSE(m_page->IsPrimaryConnected());
}

TEST_F(HeadsetPage, ItsOwnChangeReachesTheProfileOnlyWhenTheRecordWasReadWhole) {
    m_page->TakeProfile(ProfileFile());
    m_page->OnStart();
    Settle();
    const LightSetting before = m_page->GetLightSetting();
    const std::string stored = FileText(ProfileFile());

    // The headset goes away in the middle of the re-read it asked for.
    m_device.Emulator().ScheduleFault(FaultKind::kUnplug, 2);
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    ASSERT_TRUE(test::WaitFor([&] { return !m_page->reads.empty(); }, kWaitMs));
    EXPECT_FALSE(m_page->reads.back().Succeeded());
    EXPECT_EQ(m_page->GetLightSetting().effect, before.effect);
    EXPECT_EQ(FileText(ProfileFile()), stored);
    EXPECT_EQ(NoticesOfRecordRead(), 0u);

    // Back again, with a light of its own.
    m_page->DisconnectDevice();
    m_device.Emulator().Firmware().ClearFaults();
    ASSERT_TRUE(m_device.Emulator().Plug());
    ASSERT_TRUE(m_page->ConnectDevice(m_slot));
    FirmwareMemory memory = m_device.Emulator().Firmware().Memory();
    const std::size_t record = memory.settings[0] * kPadSettingsReadStride;
    memory.settings[record + 1] = before.effect == 7 ? 6 : 7;
    memory.settings[record + 6] = 0x21;
    m_device.Emulator().Firmware().SetMemory(memory);
    const int effect = memory.settings[record + 1];
    ASSERT_TRUE(m_device.Emulator().SendSettingsChanged());
    ASSERT_TRUE(test::WaitFor([&] { return m_page->GetLightSetting().effect == effect; }, kWaitMs));
    EXPECT_EQ(m_page->GetLightSetting().red, 0x21);
    EXPECT_EQ(NoticesOfRecordRead(), 1u);
    CHs6533Profiledata reread;
    reread.SetDefaultProfilePath(m_page->Profile().GetDefaultProfilePath());
    reread.Load(ProfileFile());
    EXPECT_EQ(reread.GetLightInfo().effect, effect);
    EXPECT_EQ(reread.GetLightInfo().red, 0x21);
}

TEST_F(HeadsetPage, ProfileLightIsWrittenToTheHeadsetsRecordAndPlayed) {
    m_page->TakeProfile(ProfileFile());
    Settle();
    LightSetting light = m_page->GetLightSetting();
    light.effect = 3;  // steady colour
    light.brightness = 5;
    light.multiColor = 0;
    light.red = 255;
    light.green = 0;
    light.blue = 9;
    m_device.ClearReceived();
    m_page->ApplyLightRecord(light, 1920, 1080);
    Settle();
    const std::vector<Packet> sent = m_device.Received();
    ASSERT_EQ(sent.size(), 3u);
    EXPECT_EQ(sent[1][kPacketCommand], kCmdWriteMemory);
    EXPECT_EQ(sent[1][kPacketData + 1], 3);
    EXPECT_EQ(sent[1][kPacketData + 6], 255);

    m_page->OnStart();
    m_device.Emulator().ClearLightReports();
    // The start of the last whole frame.
    const auto lastFrame = [](const std::vector<std::vector<uint8_t>>& reports) {
        return (reports.size() / 12 - 1) * 12;
    };
    // The light thread plays the steady colour: red, capped, and no green.
    ASSERT_TRUE(test::WaitFor(
        [&] {
            m_page->RenderLightFrame();
            const auto reports = m_device.Emulator().LightReports();
            return reports.size() >= 12 && reports[lastFrame(reports)][4] > 0;
        },
        kWaitMs));
    const auto reports = m_device.Emulator().LightReports();
    const std::size_t frame = lastFrame(reports);
    EXPECT_EQ(reports[frame][2], 0xAA);
    EXPECT_LE(reports[frame][4], kHeadsetMaxChannel);
    EXPECT_EQ(reports[frame + 4][2], 0xAB);
    EXPECT_EQ(reports[frame + 4][4], 0);
}

}  // namespace
}  // namespace quaro
