#include "VirtualDisplay.h"
#include "platform/X11InputCapture.h"
#include "shell/CDeviceHook.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <gtest/gtest.h>

#include <X11/XKBlib.h>
#include <X11/Xlib.h>
#include <X11/extensions/XTest.h>
#include <linux/input-event-codes.h>
#include <vector>

namespace quaro {
namespace {

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

// A client of the private display: types through XTest and keeps a focused window of its own.
class OtherClient {
public:
    explicit OtherClient(const std::string& name) : m_display(XOpenDisplay(name.c_str())) {
        if (m_display == nullptr) {
            return;
        }
        m_window =
            XCreateSimpleWindow(m_display, DefaultRootWindow(m_display), 0, 0, 100, 100, 0, 0, 0);
        XSelectInput(m_display, m_window, KeyPressMask | KeyReleaseMask | StructureNotifyMask);
        XMapWindow(m_display, m_window);
        XEvent event;
        do {
            XNextEvent(m_display, &event);
        } while (event.type != MapNotify);
        XSetInputFocus(m_display, m_window, RevertToParent, CurrentTime);
        XSync(m_display, False);
    }
    ~OtherClient() {
        if (m_display != nullptr) {
            XCloseDisplay(m_display);
        }
    }
    bool IsOpen() const { return m_display != nullptr; }
    void Key(unsigned linuxKey, bool down) {
        XTestFakeKeyEvent(m_display, linuxKey + 8, down ? True : False, CurrentTime);
        XSync(m_display, False);
    }
    void Button(unsigned button, bool down) {
        XTestFakeButtonEvent(m_display, button, down ? True : False, CurrentTime);
        XSync(m_display, False);
    }
    // Key presses the window received so far.
    int KeyPresses() {
        XSync(m_display, False);
        int presses = 0;
        while (XPending(m_display) > 0) {
            XEvent event;
            XNextEvent(m_display, &event);
            presses += event.type == KeyPress ? 1 : 0;
        }
        return presses;
    }
    bool CapsLocked() {
        XkbStateRec state;
        XkbGetState(m_display, XkbUseCoreKbd, &state);
        return (state.locked_mods & LockMask) != 0;
    }

private:
    Display* m_display;
    Window m_window = 0;
};

TEST(DeviceHookX11, KeysAreWithheldFromOtherClientsWhileInstalledButLockKeysToggle) {
    test::VirtualDisplay display;
    if (display.Name().empty()) {
        GTEST_SKIP() << "Xvfb not available";
    }
    OtherClient other(display.Name());
    ASSERT_TRUE(other.IsOpen());
    QObject context;
    Received received;
    CDeviceHook hook(std::make_unique<X11InputCapture>(display.Name()), &context, received.Sink());

    // Before the hook the other client types as usual.
    other.Key(KEY_A, true);
    other.Key(KEY_A, false);
    EXPECT_EQ(other.KeyPresses(), 1);

    ASSERT_TRUE(hook.Install(hookmode::kMacro, true, true));
    other.Key(KEY_LEFTCTRL, true);
    other.Key(KEY_A, true);
    other.Key(KEY_A, false);
    other.Key(KEY_LEFTCTRL, false);
    other.Button(1, true);
    other.Button(1, false);
    ASSERT_TRUE(PumpUntil([&] { return received.items.size() == 6; })) << received.items.size();
    const unsigned keys = HookMessageNumber("WM_HOOK_KEY_KBMACRO_MSG");
    EXPECT_EQ(received.items[1].message, keys);
    EXPECT_EQ(received.items[1].wParam, 256u);
    EXPECT_EQ(std::get<KeyRecord>(received.items[1].record).scanCode, 0x1E);
    EXPECT_EQ(received.items[2].wParam, 257u);
    EXPECT_EQ(received.items[4].message, HookMessageNumber("WM_HOOK_KEY_MSMACRO_MSG"));
    EXPECT_EQ(received.items[4].wParam, 0x201u);
    // The server gave the keys to the hook's grab, not to the focused window.
    EXPECT_EQ(other.KeyPresses(), 0);

    // Caps Lock still locks while the keys are withheld.
    ASSERT_FALSE(other.CapsLocked());
    other.Key(KEY_CAPSLOCK, true);
    other.Key(KEY_CAPSLOCK, false);
    ASSERT_TRUE(PumpUntil([&] { return received.items.size() == 8; }));
    EXPECT_TRUE(other.CapsLocked());

    hook.Uninstall();
    other.Key(KEY_B, true);
    other.Key(KEY_B, false);
    EXPECT_EQ(other.KeyPresses(), 1);
    QCoreApplication::processEvents();
    EXPECT_EQ(received.items.size(), 8u);
}

}  // namespace
}  // namespace quaro
