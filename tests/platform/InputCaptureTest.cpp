#include "TraceCapture.h"
#include "VirtualDisplay.h"
#include "platform/InputCapture.h"
#include "platform/X11InputCapture.h"

#include <gtest/gtest.h>

#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <chrono>
#include <condition_variable>
#include <linux/input-event-codes.h>
#include <mutex>
#include <optional>
#include <thread>
#include <vector>

namespace quaro {
namespace {

using namespace std::chrono_literals;

TEST(InputRecords, KeysBecomeTheirVirtualKeyAndScanCode) {
    const auto a = KeyRecordFromLinuxKey(KEY_A, true, 1000);
    ASSERT_TRUE(a);
    EXPECT_EQ(a->virtualKey, 0x41);
    EXPECT_EQ(a->scanCode, 0x1E);
    EXPECT_FALSE(a->extended);
    EXPECT_TRUE(a->down);
    EXPECT_EQ(a->timeMs, 1000u);
    EXPECT_EQ(a->Flags(), 0x00u);

    const auto numEnter = KeyRecordFromLinuxKey(KEY_KPENTER, false, 0);
    ASSERT_TRUE(numEnter);
    EXPECT_EQ(numEnter->scanCode, 0x1C);
    EXPECT_TRUE(numEnter->extended);
    EXPECT_EQ(numEnter->Flags(), 0x81u);

    EXPECT_FALSE(KeyRecordFromLinuxKey(KEY_VOLUMEUP, true, 0));
    EXPECT_FALSE(KeyRecordFromLinuxKey(0, true, 0));
}

TEST(InputRecords, ButtonsAndWheelNotches) {
    struct Case {
        unsigned button;
        MouseButton expected;
    };
    for (const Case& c :
         {Case{1, MouseButton::kLeft}, Case{2, MouseButton::kMiddle}, Case{3, MouseButton::kRight},
          Case{8, MouseButton::kBack}, Case{9, MouseButton::kForward}}) {
        const auto down = MouseRecordFromXButton(c.button, true, 5);
        ASSERT_TRUE(down) << c.button;
        EXPECT_EQ(down->kind, MouseRecord::Kind::kButtonDown);
        EXPECT_EQ(down->button, c.expected) << c.button;
        const auto up = MouseRecordFromXButton(c.button, false, 6);
        ASSERT_TRUE(up) << c.button;
        EXPECT_EQ(up->kind, MouseRecord::Kind::kButtonUp);
    }
    const auto wheelUp = MouseRecordFromXButton(4, true, 0);
    ASSERT_TRUE(wheelUp);
    EXPECT_EQ(wheelUp->kind, MouseRecord::Kind::kWheel);
    EXPECT_EQ(wheelUp->wheelDelta, 120);
    const auto wheelDown = MouseRecordFromXButton(5, true, 0);
    ASSERT_TRUE(wheelDown);
    EXPECT_EQ(wheelDown->wheelDelta, -120);
    // A notch is one record, not two.
    EXPECT_FALSE(MouseRecordFromXButton(4, false, 0));
    EXPECT_FALSE(MouseRecordFromXButton(5, false, 0));
    // The horizontal wheel and unknown buttons are not recorded.
    EXPECT_FALSE(MouseRecordFromXButton(6, true, 0));
    EXPECT_FALSE(MouseRecordFromXButton(7, true, 0));
    EXPECT_FALSE(MouseRecordFromXButton(0, true, 0));
    EXPECT_FALSE(MouseRecordFromXButton(12, true, 0));
}

// What the capture thread delivered, for the test thread to wait on.
class Collected {
public:
    InputCapture::Sinks Sinks() {
        return {[this](const KeyRecord& key) {
                    std::lock_guard lock(m_mutex);
                    m_keys.push_back(key);
                    m_changed.notify_all();
                },
                [this](const MouseRecord& mouse) {
                    std::lock_guard lock(m_mutex);
                    m_mice.push_back(mouse);
                    m_changed.notify_all();
                }};
    }
    std::vector<KeyRecord> WaitForKeys(std::size_t count) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 5s, [&] { return m_keys.size() >= count; });
        return m_keys;
    }
    std::vector<MouseRecord> WaitForMice(std::size_t count) {
        std::unique_lock lock(m_mutex);
        m_changed.wait_for(lock, 5s, [&] { return m_mice.size() >= count; });
        return m_mice;
    }

private:
    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<KeyRecord> m_keys;
    std::vector<MouseRecord> m_mice;
};

// Another client of the display that types and clicks through XTest, as a user would.
class Injector {
public:
    explicit Injector(const std::string& name) : m_display(XOpenDisplay(name.c_str())) {}
    ~Injector() {
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
        }
    }
    bool IsOpen() const { return m_display != nullptr; }
    void Key(unsigned linuxKey, bool down) {
        XTestFakeKeyEvent(m_display, linuxKey + kXKeycodeOffset, down ? True : False, CurrentTime);
        XSync(m_display, False);
    }
    void MoveTo(int x, int y) {
        XTestFakeMotionEvent(m_display, 0, x, y, CurrentTime);
        XSync(m_display, False);
    }
    void Button(unsigned button, bool down) {
        XTestFakeButtonEvent(m_display, button, down ? True : False, CurrentTime);
        XSync(m_display, False);
    }

private:
    Display* m_display;
};

class X11InputCaptureTest : public ::testing::Test {
protected:
    void SetUp() override {
        if (m_display.Name().empty()) {
            GTEST_SKIP() << "Xvfb not available";
        }
        m_injector.emplace(m_display.Name());
        ASSERT_TRUE(m_injector->IsOpen());
    }

    test::VirtualDisplay m_display;
    std::optional<Injector> m_injector;
};

TEST_F(X11InputCaptureTest, AKeyPressAndReleaseArriveWithTheirGap) {
    X11InputCapture capture(m_display.Name());
    Collected collected;
    ASSERT_EQ(capture.Install(collected.Sinks()), CaptureInstall::kInstalled);
    EXPECT_TRUE(capture.IsInstalled());

    m_injector->Key(KEY_A, true);
    std::this_thread::sleep_for(120ms);
    m_injector->Key(KEY_A, false);
    const auto keys = collected.WaitForKeys(2);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].virtualKey, 0x41);
    EXPECT_EQ(keys[0].scanCode, 0x1E);
    EXPECT_FALSE(keys[0].extended);
    EXPECT_TRUE(keys[0].down);
    EXPECT_FALSE(keys[1].down);
    EXPECT_EQ(keys[1].scanCode, 0x1E);
    const std::uint32_t gap = keys[1].timeMs - keys[0].timeMs;
    EXPECT_GE(gap, 100u);
    EXPECT_LT(gap, 5000u);

    // The prefixed twin of a plain key keeps its flag.
    m_injector->Key(KEY_RIGHTCTRL, true);
    m_injector->Key(KEY_RIGHTCTRL, false);
    const auto more = collected.WaitForKeys(4);
    ASSERT_EQ(more.size(), 4u);
    EXPECT_EQ(more[2].scanCode, 0x1D);
    EXPECT_TRUE(more[2].extended);
    EXPECT_EQ(more[2].virtualKey, 0xA3);
    capture.Uninstall();
    EXPECT_FALSE(capture.IsInstalled());
}

TEST_F(X11InputCaptureTest, WheelNotchesAndSideButtonsArrive) {
    X11InputCapture capture(m_display.Name());
    Collected collected;
    ASSERT_EQ(capture.Install(collected.Sinks()), CaptureInstall::kInstalled);

    m_injector->MoveTo(200, 150);
    m_injector->Button(5, true);
    m_injector->Button(5, false);
    m_injector->Button(8, true);
    m_injector->Button(8, false);
    const auto mice = collected.WaitForMice(3);
    ASSERT_EQ(mice.size(), 3u);
    EXPECT_EQ(mice[0].kind, MouseRecord::Kind::kWheel);
    EXPECT_EQ(mice[0].wheelDelta, -120);
    EXPECT_EQ(mice[1].kind, MouseRecord::Kind::kButtonDown);
    EXPECT_EQ(mice[1].button, MouseButton::kBack);
    EXPECT_EQ(mice[1].x, 200);
    EXPECT_EQ(mice[1].y, 150);
    EXPECT_EQ(mice[2].kind, MouseRecord::Kind::kButtonUp);
    EXPECT_EQ(mice[2].button, MouseButton::kBack);
}

TEST_F(X11InputCaptureTest, InstallsOnceAndAgainAfterUninstall) {
    X11InputCapture capture(m_display.Name());
    Collected first;
    ASSERT_EQ(capture.Install(first.Sinks()), CaptureInstall::kInstalled);
    Collected ignored;
    EXPECT_EQ(capture.Install(ignored.Sinks()), CaptureInstall::kAlreadyInstalled);
    capture.Uninstall();
    capture.Uninstall();

    Collected second;
    ASSERT_EQ(capture.Install(second.Sinks()), CaptureInstall::kInstalled);
    m_injector->Key(KEY_B, true);
    m_injector->Key(KEY_B, false);
    const auto keys = second.WaitForKeys(2);
    ASSERT_EQ(keys.size(), 2u);
    EXPECT_EQ(keys[0].scanCode, 0x30);
    // The refused second install and the ended first one report nothing.
    std::this_thread::sleep_for(50ms);
    EXPECT_TRUE(ignored.WaitForKeys(0).empty());
    EXPECT_TRUE(first.WaitForKeys(0).empty());
}

TEST(X11InputCapture, WithoutADisplayTheInstallIsRefusedAndTraced) {
    test::TraceCapture traces;
    X11InputCapture capture("/nonexistent-display:0");
    Collected collected;
    EXPECT_EQ(capture.Install(collected.Sinks()), CaptureInstall::kNoDisplay);
    EXPECT_FALSE(capture.IsInstalled());
    EXPECT_TRUE(traces.Contains("input capture: cannot open display \"/nonexistent-display:0\"\n"));
    capture.Uninstall();
}

TEST(X11InputCapture, AServerThatGoesAwayEndsOnlyTheCapture) {
    std::optional<test::VirtualDisplay> display(std::in_place);
    if (display->Name().empty()) {
        GTEST_SKIP() << "Xvfb not available";
    }
    test::TraceCapture traces;
    X11InputCapture capture(display->Name());
    Collected collected;
    ASSERT_EQ(capture.Install(collected.Sinks()), CaptureInstall::kInstalled);
    display.reset();
    for (int i = 0; i < 100 && !traces.Contains("input capture: the display connection was lost\n");
         ++i) {
        std::this_thread::sleep_for(20ms);
    }
    EXPECT_TRUE(traces.Contains("input capture: the display connection was lost\n"));
    capture.Uninstall();
    EXPECT_FALSE(capture.IsInstalled());
}

}  // namespace
}  // namespace quaro
