// The mouse's page in the main window against an emulated mouse on a simulated bus: what reaches
// the mouse when it arrives and when a DPI stage moves, what the mouse keeps of it, that a mouse
// failing the write costs the stored profile nothing, that the mouse's own change reaches the
// profile only when read whole, and that a DPI edit with no step known is ignored.

#include "MousePageFixture.h"

namespace quaro {
namespace {

using mousetest::Collapsed;
using mousetest::kWaitMs;
using mousetest::MousePageInWindow;
using mousetest::ReadWhole;

// Arrival reads the mouse in one bracket; a stage slider then writes the 66-byte record at
// record 0, which the mouse keeps; an edit is taken in whole steps.
TEST_F(MousePageInWindow, ArrivalReadsTheMouseAndAStageMoveReachesItsMemory) {
    Start();
    const std::vector<int> start = m_received->Commands();
    const std::vector<int> expectedStart = {kCmdBegin, kCmdReadDeviceInfo, kCmdReadKeyImage,
                                            kCmdEnd};
    ASSERT_GE(start.size(), expectedStart.size());
    EXPECT_EQ(std::vector<int>(start.begin(), start.begin() + 4), expectedStart);
    EXPECT_EQ(m_page->Info().dpiStep, 50);
    EXPECT_EQ(Control<CSliderUI>(QStringLiteral("DPI_slider_0"))->GetMaxValue(), 320);
    // The emulated mouse's profile stage 0 shows in slider units and in DPI.
    const int units0 = Control<CSliderUI>(QStringLiteral("DPI_slider_0"))->GetValue();
    EXPECT_EQ(Control<CEditUI>(QStringLiteral("DPI_edit_0"))->GetText(),
              QString::number(units0 * 50));

    m_received->Clear();
    const int units = units0 == 40 ? 41 : 40;
    MoveSlider(0, units);
    WaitQuiet();
    EXPECT_EQ(Collapsed(m_received->Commands()),
              (std::vector<int>{kCmdBegin, kCmdWriteMemory, kCmdEnd}));
    std::size_t written = 0;
    bool first = true;
    for (const Packet& packet : m_received->Packets()) {
        if (packet[kPacketCommand] != kCmdWriteMemory) {
            continue;
        }
        if (first) {
            EXPECT_EQ(packet[kPacketAddressLow] | (packet[kPacketAddressHigh] << 8), 0);
            first = false;
        }
        written += packet[kPacketLength];
    }
    EXPECT_EQ(written, kMouseSettingsWriteSize);
    EXPECT_EQ(InMouse().stages[0].dpiX, units);
    EXPECT_EQ(Control<CEditUI>(QStringLiteral("DPI_edit_0"))->GetText(),
              QString::number(units * 50));
    ASSERT_FALSE(Stored().GetDpiStages().empty());
    EXPECT_EQ(Stored().GetDpiStages()[0].dpiX, units);
    const int width = InMouse().screenWidth;
    EXPECT_GT(width, 0);

    // 1630 DPI at a step of 50 is 32 units, shown as 1600; below the minimum it is raised.
    auto* edit = Control<CEditUI>(QStringLiteral("DPI_edit_1"));
    edit->SetText(QStringLiteral("1630"));
    Notify(edit, notify::kKillFocus);
    EXPECT_EQ(edit->GetText(), QStringLiteral("1600"));
    EXPECT_EQ(Control<CSliderUI>(QStringLiteral("DPI_slider_1"))->GetValue(), 32);
    edit->SetText(QStringLiteral("20"));
    Notify(edit, notify::kKillFocus);
    EXPECT_EQ(edit->GetText(), QStringLiteral("100"));
    WaitQuiet();
    EXPECT_EQ(InMouse().stages[1].dpiX, 2);
    EXPECT_EQ(Stored().GetDpiStages().at(1).dpiX, 2);

    // A drag moves only the edit; neither the profile nor the mouse hears of it.
    const std::string document = ReadWhole(m_page->Profile().GetProfilePath());
    m_received->Clear();
    auto* slider = Control<CSliderUI>(QStringLiteral("DPI_slider_2"));
    slider->SetValue(10, false);
    Notify(slider, notify::kMoveValueChanged);
    QTest::qWait(300);
    EXPECT_EQ(Control<CEditUI>(QStringLiteral("DPI_edit_2"))->GetText(), QStringLiteral("500"));
    EXPECT_TRUE(m_received->Commands().empty());
    EXPECT_EQ(ReadWhole(m_page->Profile().GetProfilePath()), document);
}

// The stage checks keep one stage on; the report rate and the settings pages follow their
// options, and an option the mouse does not know is never written.
TEST_F(MousePageInWindow, StageChecksKeepOneStageAndOptionsReachTheMouse) {
    Start();
    for (int stage = 0; stage < 5; ++stage) {
        Check(stage, true);
    }
    for (int stage = 4; stage >= 2; --stage) {
        Check(stage, false);
        EXPECT_TRUE(Control<COptionUI>(Indexed("DPI_enable_check_", 0))->IsEnabled());
    }
    // Unchecking the last but one locks the remaining check.
    Check(1, false);
    EXPECT_FALSE(Control<COptionUI>(Indexed("DPI_enable_check_", 0))->IsEnabled());
    EXPECT_TRUE(Control<COptionUI>(Indexed("DPI_enable_check_", 0))->IsSelected());
    // Even a notification the locked check should never send leaves the stage on.
    Check(0, false);
    EXPECT_TRUE(Control<COptionUI>(Indexed("DPI_enable_check_", 0))->IsSelected());
    WaitQuiet();
    const MouseSettingsFields fields = InMouse();
    EXPECT_EQ(fields.stages[0].enabled, 1);
    for (int stage = 1; stage < 5; ++stage) {
        EXPECT_EQ(fields.stages[static_cast<std::size_t>(stage)].enabled, 0) << stage;
    }
    EXPECT_EQ(Stored().GetDpiStages().at(0).enabled, 1);
    Check(3, true);
    EXPECT_TRUE(Control<COptionUI>(Indexed("DPI_enable_check_", 0))->IsEnabled());

    auto* rate = Control<COptionUI>(Indexed("polling_rate_option_", 3));
    rate->Selected(true, false);
    Notify(rate, notify::kSelectChanged);
    WaitQuiet();
    EXPECT_EQ(InMouse().reportRate, 3);
    EXPECT_EQ(MouseSystemWords::FromWords(Stored().GetSystemStages()).reportRate, 3);
    m_page->TakeReportRate(9);
    WaitQuiet();
    EXPECT_EQ(InMouse().reportRate, 0);
    EXPECT_TRUE(Control<COptionUI>(Indexed("polling_rate_option_", 0))->IsSelected());

    auto* pages = Control<CTabLayoutUI>(QStringLiteral("mouse_device_seting_layout"));
    auto* shoot = Control<COptionUI>(Indexed("mouse_device_seting_option_", 1));
    shoot->Selected(true, false);
    Notify(shoot, notify::kSelectChanged);
    EXPECT_EQ(pages->GetCurSel(), 1);
    m_page->ShowSettingsPage(7);
    EXPECT_EQ(pages->GetCurSel(), 0);
    EXPECT_TRUE(Control<COptionUI>(Indexed("mouse_device_seting_option_", 0))->IsSelected());
    EXPECT_FALSE(shoot->IsSelected());

    // The hint belongs to the light, key and system pages only.
    auto* hint = Control<CLabelUI>(QStringLiteral("device_tishi_info"));
    m_page->SelectFunctionTab(3);
    EXPECT_FALSE(hint->IsVisible());
    m_page->SelectFunctionTab(4);
    EXPECT_TRUE(hint->IsVisible());
}

// Every packet of the stage write failing in turn, refused or unanswered: the document holds the
// stage the user chose, nothing the failed write brought back, and the page still shows it.
TEST_F(MousePageInWindow, FaultAtAnyPacketOfAStageWriteLeavesTheStoredProfileAlone) {
    Start();
    struct Case {
        FaultKind kind;
        uint32_t packet;
    };
    const std::vector<Case> cases = {{FaultKind::kStatusFF, 1}, {FaultKind::kStatusFF, 2},
                                     {FaultKind::kStatusFF, 3}, {FaultKind::kStatusFF, 4},
                                     {FaultKind::kNoReply, 2},  {FaultKind::kWrongEcho, 2}};
    int units = 60;
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << static_cast<int>(c.kind) << " at " << c.packet);
        m_emulator->Firmware().ClearFaults();
        m_emulator->ScheduleFault(c.kind, c.packet);
        ++units;
        MoveSlider(0, units);
        const std::string document = ReadWhole(m_page->Profile().GetProfilePath());
        ASSERT_NO_FATAL_FAILURE(WaitFlows());
        EXPECT_EQ(ReadWhole(m_page->Profile().GetProfilePath()), document);
        EXPECT_EQ(Stored().GetDpiStages().at(0).dpiX, units);
        EXPECT_EQ(m_page->Stages().at(0).dpiX, units);
        EXPECT_EQ(Control<CSliderUI>(QStringLiteral("DPI_slider_0"))->GetValue(), units);
    }
    // Once the mouse answers again the next move reaches it whole.
    m_emulator->Firmware().ClearFaults();
    MoveSlider(0, 100);
    ASSERT_NO_FATAL_FAILURE(WaitFlows());
    EXPECT_EQ(InMouse().stages[0].dpiX, 100);
}

// The mouse changed its own settings and says so: a read that fails leaves the profile as it
// was; a whole one takes the active stage and the light.
TEST_F(MousePageInWindow, MousesOwnChangeReachesTheProfileOnlyWhenReadWhole) {
    Start();
    ASSERT_TRUE(test::WaitFor([&] { return m_page->Driver()->IsSecondaryAttached(); }, kWaitMs));
    FirmwareMemory memory = m_emulator->Firmware().Memory();
    const std::size_t record = memory.settings[0] * kMouseSettingsRecordStride;
    ASSERT_GE(memory.settings.size(), record + kMouseSettingsReadSize);
    // A stage the page does not have active yet, whatever the factory profile chose.
    const int target = m_page->Profile().GetActiveStage() == 2 ? 3 : 2;
    memory.settings[record + 1] = 3;
    memory.settings[record + 12] = static_cast<uint8_t>(target);
    m_emulator->Firmware().SetMemory(memory);
    const std::string document = ReadWhole(m_page->Profile().GetProfilePath());

    m_received->Clear();
    m_emulator->ScheduleFault(FaultKind::kStatusFF, 2);
    ASSERT_TRUE(m_emulator->SendSettingsChanged());
    ASSERT_TRUE(test::WaitFor([&] { return m_received->Commands().size() >= 2; }, kWaitMs));
    WaitQuiet();
    EXPECT_EQ(ReadWhole(m_page->Profile().GetProfilePath()), document);
    EXPECT_NE(m_page->Profile().GetActiveStage(), target);

    ASSERT_TRUE(m_emulator->SendSettingsChanged());
    ASSERT_TRUE(
        test::WaitFor([&] { return m_page->Profile().GetActiveStage() == target; }, kWaitMs));
    EXPECT_EQ(m_page->GetLightSetting().effect, 3);
    EXPECT_EQ(Stored().GetLightInfo().effect, 3);
}

// Without a mouse the page knows no DPI step: an edit is ignored instead of divided by zero, and
// neither the stages nor the document change.
TEST_F(MousePageInWindow, DpiEditWithNoStepKnownIsIgnored) {
    OpenWindow();
    m_page = dynamic_cast<CKestrovaMouseDevice*>(m_window->Devices().EnsurePage(kKindMouse));
    ASSERT_NE(m_page, nullptr);
    m_page->OnStart();
    m_page->LoadProfile();
    m_page->RefreshPanels();
    ASSERT_EQ(m_page->Info().dpiStep, 0);
    const std::vector<DpiStage> stages = m_page->Stages();
    const std::string document = ReadWhole(m_page->Profile().GetProfilePath());
    auto* edit = Control<CEditUI>(QStringLiteral("DPI_edit_0"));
    ASSERT_NE(edit, nullptr);
    edit->SetText(QStringLiteral("1630"));
    m_page->TakeStageEdit(0);
    EXPECT_EQ(m_page->Stages(), stages);
    EXPECT_EQ(ReadWhole(m_page->Profile().GetProfilePath()), document);
}

}  // namespace
}  // namespace quaro
