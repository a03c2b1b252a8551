#pragma once

#include "platform/InputCapture.h"

#include <QObject>
#include <QPointer>

#include <cstdint>
#include <functional>
#include <memory>
#include <variant>

namespace quaro {

// One input event as the hook hands it to the window: the registered message of the hook's
// mode, the key message (256 down, 257 up; 260 and 261 while Alt is held) or the mouse message
// (0x201-0x20C), and the record itself.
struct HookDelivery {
    unsigned message = 0;
    std::uintptr_t wParam = 0;
    std::variant<KeyRecord, MouseRecord> record;
};

// The names of the hook's registered messages.
namespace hookmsg {
inline constexpr const char* kKeySingleKey = "WM_HOOK_KEY_SINGLEKEY_MSG";
inline constexpr const char* kKeyHitKey = "WM_HOOK_KEY_HITKEY_MSG";
inline constexpr const char* kKeyboardMacro = "WM_HOOK_KEY_KBMACRO_MSG";
inline constexpr const char* kKeyboardMacroPrevious = "WM_HOOK_KEY_KBMACROPREVIOUS_MSG";
inline constexpr const char* kKeyboardMacroLater = "WM_HOOK_KEY_KBMACROLATER_MSG";
inline constexpr const char* kKeyboardMacroSingle = "WM_HOOK_KEY_KBMACROSINGLE_MSG";
inline constexpr const char* kMouseMacro = "WM_HOOK_KEY_MSMACRO_MSG";
inline constexpr const char* kMouseMacroPrevious = "WM_HOOK_KEY_MSMACROPREVIOUS_MSG";
inline constexpr const char* kMouseMacroLater = "WM_HOOK_KEY_MSMACROLATER_MSG";
inline constexpr const char* kMouseMacroSingle = "WM_HOOK_KEY_MSMACROSINGLE_MSG";
inline constexpr const char* kMouSingleKey = "WM_HOOK_MOU_SINGLEKEY_MSG";
inline constexpr const char* kMouHitKey = "WM_HOOK_MOU_HITKEY_MSG";
inline constexpr const char* kMouKeyboardMacro = "WM_HOOK_MOU_KBMACRO_MSG";
inline constexpr const char* kMouMouseMacro = "WM_HOOK_MOU_MSMACRO_MSG";
}  // namespace hookmsg

// Hook modes, as Install takes them.
namespace hookmode {
inline constexpr int kSingleKey = 1;
inline constexpr int kHitKey = 2;
inline constexpr int kMacro = 4;
inline constexpr int kMacroPrevious = 8;
inline constexpr int kMacroLater = 16;
inline constexpr int kMacroSingle = 32;
inline constexpr int kMouSingleKey = 256;
inline constexpr int kMouHitKey = 512;
inline constexpr int kMouMacro = 1024;
}  // namespace hookmode

// The number of a registered message name (registering it on first use).
unsigned HookMessageNumber(const char* registeredName);
// Registers every name of the hook and of the mouse relay, so their numbers are fixed from the
// start of the process on.
void RegisterHookMessages();

// The session's keys and buttons for key capture and macro recording. Over an InputCapture it
// delivers each event, on the UI thread and in order, as the registered message of its mode.
// While installed with the keyboard set, other applications get no keys but the three lock keys.
//
// Threads: constructed, installed and uninstalled on the UI thread; the capture's thread only
// queues deliveries to the context object's thread.
class CDeviceHook {
public:
    CDeviceHook(std::unique_ptr<InputCapture> capture, QObject* context,
                std::function<void(const HookDelivery&)> deliver);
    ~CDeviceHook();
    CDeviceHook(const CDeviceHook&) = delete;
    CDeviceHook& operator=(const CDeviceHook&) = delete;

    // Modes 1, 2, 4, 8, 16, 32, 256, 512 and 1024. keyboard: keys are delivered and withheld
    // from other applications; library: keys and mouse buttons are delivered (mouse buttons only
    // in the recording modes). False (traced) when the capture cannot be set up; the hook is
    // then not installed and the window carries on without it.
    bool Install(int mode, bool keyboard, bool library);
    void Uninstall();
    bool IsInstalled() const { return m_installed; }
    int Mode() const { return m_mode; }

    // The message of a mode for key events, 0 for a mode without one.
    static unsigned KeyMessage(int mode);
    // The message of a mode for mouse events, 0 when the mode records no mouse buttons.
    static unsigned MouseMessage(int mode);
    // The window's mouse message of a record: 0x201-0x208 the three buttons, 0x20A the wheel,
    // 0x20B/0x20C the side buttons.
    static std::uintptr_t MouseWParam(const MouseRecord& record);

private:
    // Shared with the deliveries still queued: an uninstall turns them into nothing.
    struct Delivery;

    std::unique_ptr<InputCapture> m_capture;
    QPointer<QObject> m_context;
    std::function<void(const HookDelivery&)> m_deliver;
    std::shared_ptr<Delivery> m_delivery;
    bool m_installed = false;
    int m_mode = 0;
};

}  // namespace quaro
