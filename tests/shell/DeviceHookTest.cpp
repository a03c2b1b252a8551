#include "ScriptedCapture.h"
#include "TraceCapture.h"
#include "VirtualDisplay.h"
#include "platform/X11InputCapture.h"
#include "shell/CDeviceHook.h"
#include "shell/FallbackInputCapture.h"
#include "shell/WindowInputCapture.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QKeyEvent>
#include <QWidget>
#include <QWindow>
#include <gtest/gtest.h>

#include <linux/input-event-codes.h>
#include <vector>

namespace quaro {
namespace {

using test::ScriptedCapture;

// The UI thread's queue until pred holds or 5 s pass.
template <class Pred>
bool PumpUntil(Pred pred) {
    QElapsedTimer timer;
    timer.start();
    while (!pred() && timer.elapsed() < 5000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 10);
    }
    return pred();
}

struct Received {
    std::vector<HookDelivery> items;
    std::function<void(const HookDelivery&)> Sink() {
        return [this](const HookDelivery& item) { items.push_back(item); };
    }
};

// The keys that reached a widget.
class KeyCounter : public QObject {
public:
    std::vector<int> keys;

protected:
    bool eventFilter(QObject*, QEvent* event) override {
        if (event->type() == QEvent::KeyPress) {
            keys.push_back(static_cast<QKeyEvent*>(event)->key());
        }
        return false;
    }
};

KeyRecord Key(std::uint16_t vk, std::uint8_t scan, bool down) {
    return KeyRecord{vk, scan, false, down, 0};
}

TEST(DeviceHook, DeliversEachEventInOrderWithTheMessageOfItsMode) {
    auto owned = std::make_unique<ScriptedCapture>();
    ScriptedCapture* capture = owned.get();
    QObject context;
    Received received;
    CDeviceHook hook(std::move(owned), &context, received.Sink());

    ASSERT_TRUE(hook.Install(hookmode::kMacroLater, true, true));
    EXPECT_TRUE(hook.IsInstalled());
    EXPECT_EQ(hook.Mode(), 16);
    EXPECT_TRUE(capture->withheld);
    capture->FromOtherThread([](const InputCapture::Sinks& sinks) {
        sinks.key(Key(0xA4, 0x38, true));  // Alt
        sinks.key(Key(0x41, 0x1E, true));
        sinks.key(Key(0x41, 0x1E, false));
        sinks.key(Key(0xA4, 0x38, false));
        sinks.key(Key(0x42, 0x30, true));
        sinks.mouse(MouseRecord{MouseRecord::Kind::kButtonDown, MouseButton::kRight, 0, 0, 1, 2});
        sinks.mouse(MouseRecord{MouseRecord::Kind::kButtonUp, MouseButton::kForward, 0, 0, 1, 2});
        sinks.mouse(MouseRecord{MouseRecord::Kind::kWheel, MouseButton::kLeft, -120, 0, 1, 2});
    });
    // Nothing runs on the capture's thread: the deliveries wait for the UI thread.
    EXPECT_TRUE(received.items.empty());
    ASSERT_TRUE(PumpUntil([&] { return received.items.size() == 8; }));

    const unsigned keys = HookMessageNumber("WM_HOOK_KEY_KBMACROLATER_MSG");
    const unsigned mice = HookMessageNumber("WM_HOOK_KEY_MSMACROLATER_MSG");
    const std::uintptr_t expectedWParams[] = {260, 260, 261, 261, 256, 0x204, 0x20C, 0x20A};
    for (std::size_t i = 0; i < received.items.size(); ++i) {
        EXPECT_EQ(received.items[i].message, i < 5 ? keys : mice) << i;
        EXPECT_EQ(received.items[i].wParam, expectedWParams[i]) << i;
    }
    EXPECT_EQ(std::get<KeyRecord>(received.items[1].record).scanCode, 0x1E);
    EXPECT_EQ(std::get<MouseRecord>(received.items[7].record).wheelDelta, -120);

    // Events queued before the uninstall are not delivered after it.
    capture->FromOtherThread(
        [](const InputCapture::Sinks& sinks) { sinks.key(Key(0x43, 0x2E, true)); });
    hook.Uninstall();
    EXPECT_FALSE(hook.IsInstalled());
    EXPECT_FALSE(capture->IsInstalled());
    QCoreApplication::processEvents();
    EXPECT_EQ(received.items.size(), 8u);
}

TEST(DeviceHook, KeyCaptureSeesKeysOnlyAndALibraryHookWithholdsNothing) {
    auto owned = std::make_unique<ScriptedCapture>();
    ScriptedCapture* capture = owned.get();
    QObject context;
    Received received;
    CDeviceHook hook(std::move(owned), &context, received.Sink());

    ASSERT_TRUE(hook.Install(hookmode::kSingleKey, true, true));
    capture->FromOtherThread([](const InputCapture::Sinks& sinks) {
        EXPECT_TRUE(sinks.key);
        // Key capture records no mouse buttons.
        EXPECT_FALSE(sinks.mouse);
        sinks.key(Key(0xA2, 0x1D, true));  // Ctrl: a plain key message, even with Alt later
        sinks.key(Key(0xA4, 0x38, true));
    });
    ASSERT_TRUE(PumpUntil([&] { return received.items.size() == 2; }));
    EXPECT_EQ(received.items[0].message, HookMessageNumber("WM_HOOK_KEY_SINGLEKEY_MSG"));
    EXPECT_EQ(received.items[0].wParam, 256u);
    EXPECT_EQ(received.items[1].wParam, 256u);

    // A new install replaces the old one; without the keyboard nothing is withheld.
    ASSERT_TRUE(hook.Install(hookmode::kMouMacro, false, true));
    EXPECT_FALSE(capture->withheld);
    EXPECT_EQ(hook.Mode(), 1024);
}

TEST(DeviceHook, ARefusedInstallIsTracedAndLeavesNothingInstalled) {
    test::TraceCapture traces;
    auto owned = std::make_unique<ScriptedCapture>();
    owned->refuse = true;
    QObject context;
    Received received;
    CDeviceHook hook(std::move(owned), &context, received.Sink());
    EXPECT_FALSE(hook.Install(hookmode::kMacro, true, true));
    EXPECT_FALSE(hook.IsInstalled());
    EXPECT_TRUE(traces.Contains("hook: install of mode 4 failed: no display\n"));
    // A mode without a message is refused too.
    EXPECT_FALSE(hook.Install(3, true, true));
    EXPECT_FALSE(hook.IsInstalled());
}

TEST(DeviceHook, WithoutADisplayTheWindowsOwnEventsAreCaptured) {
    test::TraceCapture traces;
    auto window = std::make_unique<WindowInputCapture>();
    WindowInputCapture* fallback = window.get();
    auto capture = std::make_unique<FallbackInputCapture>(
        std::make_unique<X11InputCapture>("/nonexistent-display:0"), std::move(window));
    QObject context;
    Received received;
    CDeviceHook hook(std::move(capture), &context, received.Sink());
    ASSERT_TRUE(hook.Install(hookmode::kSingleKey, true, true));
    EXPECT_TRUE(fallback->IsInstalled());
    EXPECT_TRUE(traces.Contains("input capture: no display, taking the window's own events\n"));

    QWidget widget;
    KeyCounter reached;
    widget.installEventFilter(&reached);
    widget.show();
    ASSERT_NE(widget.windowHandle(), nullptr);
    // The key A as the window system reports it (evdev code + 8), and Caps Lock.
    QKeyEvent a(QEvent::KeyPress, Qt::Key_A, Qt::NoModifier, KEY_A + 8, 0, 0, "a");
    EXPECT_TRUE(QCoreApplication::sendEvent(widget.windowHandle(), &a));
    QKeyEvent caps(QEvent::KeyPress, Qt::Key_CapsLock, Qt::NoModifier, KEY_CAPSLOCK + 8, 0, 0);
    QCoreApplication::sendEvent(widget.windowHandle(), &caps);
    ASSERT_TRUE(PumpUntil([&] { return received.items.size() == 2; }));
    EXPECT_EQ(std::get<KeyRecord>(received.items[0].record).scanCode, 0x1E);
    EXPECT_EQ(std::get<KeyRecord>(received.items[1].record).virtualKey, 0x14);
    // The lock key goes on to the window's widget; the other was withheld.
    EXPECT_EQ(reached.keys, std::vector<int>{Qt::Key_CapsLock});

    hook.Uninstall();
    EXPECT_FALSE(fallback->IsInstalled());
    QKeyEvent b(QEvent::KeyPress, Qt::Key_B, Qt::NoModifier, KEY_B + 8, 0, 0, "b");
    QCoreApplication::sendEvent(widget.windowHandle(), &b);
    QCoreApplication::processEvents();
    EXPECT_EQ(received.items.size(), 2u);
    EXPECT_EQ(reached.keys, (std::vector<int>{Qt::Key_CapsLock, Qt::Key_B}));
}

}  // namespace
}  // namespace quaro
