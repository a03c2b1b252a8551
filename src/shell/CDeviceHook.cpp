#include "shell/CDeviceHook.h"

#include "platform/Trace.h"
#include "ui/RegisteredMessages.h"

#include <QMetaObject>

namespace quaro {
namespace {

constexpr std::uintptr_t kKeyDown = 256;
constexpr std::uintptr_t kKeyUp = 257;
constexpr std::uintptr_t kSysKeyDown = 260;
constexpr std::uintptr_t kSysKeyUp = 261;

constexpr std::uint16_t kVkLeftCtrl = 0xA2;
constexpr std::uint16_t kVkRightCtrl = 0xA3;
constexpr std::uint16_t kVkLeftAlt = 0xA4;
constexpr std::uint16_t kVkRightAlt = 0xA5;
constexpr std::uint16_t kVkF10 = 0x79;

struct ModeMessages {
    int mode;
    const char* key;
    const char* mouse;
};

// The mouse messages come from the recording modes only; key capture and the other modes see
// keys alone.
constexpr ModeMessages kModeMessages[] = {
    {hookmode::kSingleKey, hookmsg::kKeySingleKey, nullptr},
    {hookmode::kHitKey, hookmsg::kKeyHitKey, nullptr},
    {hookmode::kMacro, hookmsg::kKeyboardMacro, hookmsg::kMouseMacro},
    {hookmode::kMacroPrevious, hookmsg::kKeyboardMacroPrevious, hookmsg::kMouseMacroPrevious},
    {hookmode::kMacroLater, hookmsg::kKeyboardMacroLater, hookmsg::kMouseMacroLater},
    {hookmode::kMacroSingle, hookmsg::kKeyboardMacroSingle, hookmsg::kMouseMacroSingle},
    {hookmode::kMouSingleKey, hookmsg::kMouSingleKey, nullptr},
    {hookmode::kMouHitKey, hookmsg::kMouHitKey, nullptr},
    {hookmode::kMouMacro, hookmsg::kMouKeyboardMacro, hookmsg::kMouMouseMacro},
};

const ModeMessages* FindMode(int mode) {
    for (const ModeMessages& row : kModeMessages) {
        if (row.mode == mode) {
            return &row;
        }
    }
    return nullptr;
}

// Registered only, so that their numbers are the same in every run of the process.
constexpr const char* kMouseRelayMessages[] = {
    "UWM_MOUSELBUTTONDOWN_USER_MSG", "UWM_MOUSELBUTTONUP_USER_MSG", "UWM_MOUSERBUTTONDOWN_USER_MSG",
    "UWM_MOUSERBUTTONUP_USER_MSG",   "UWM_MOUSEMOVE_USER_MSG",
};

// Alt held (without Ctrl) turns key messages into system key messages, as F10 always is.
class KeyMessageState {
public:
    std::uintptr_t WParam(const KeyRecord& key) {
        const bool alt = key.virtualKey == kVkLeftAlt || key.virtualKey == kVkRightAlt;
        const bool ctrl = key.virtualKey == kVkLeftCtrl || key.virtualKey == kVkRightCtrl;
        const bool system = key.virtualKey == kVkF10 || ((m_alt || alt) && !m_ctrl && !ctrl);
        if (alt) {
            m_alt = key.down;
        } else if (ctrl) {
            m_ctrl = key.down;
        }
        if (key.down) {
            return system ? kSysKeyDown : kKeyDown;
        }
        return system ? kSysKeyUp : kKeyUp;
    }

private:
    bool m_alt = false;
    bool m_ctrl = false;
};

}  // namespace

struct CDeviceHook::Delivery {
    bool live = true;  // read and written on the UI thread only
    std::function<void(const HookDelivery&)> deliver;
};

unsigned HookMessageNumber(const char* registeredName) {
    return RegisterWindowMessage(QString::fromLatin1(registeredName));
}

void RegisterHookMessages() {
    for (const ModeMessages& row : kModeMessages) {
        HookMessageNumber(row.key);
        if (row.mouse != nullptr) {
            HookMessageNumber(row.mouse);
        }
    }
    for (const char* name : kMouseRelayMessages) {
        HookMessageNumber(name);
    }
}

CDeviceHook::CDeviceHook(std::unique_ptr<InputCapture> capture, QObject* context,
                         std::function<void(const HookDelivery&)> deliver)
    : m_capture(std::move(capture)), m_context(context), m_deliver(std::move(deliver)) {}

CDeviceHook::~CDeviceHook() {
    Uninstall();
}

unsigned CDeviceHook::KeyMessage(int mode) {
    const ModeMessages* row = FindMode(mode);
    return row != nullptr ? HookMessageNumber(row->key) : 0;
}

unsigned CDeviceHook::MouseMessage(int mode) {
    const ModeMessages* row = FindMode(mode);
    return row != nullptr && row->mouse != nullptr ? HookMessageNumber(row->mouse) : 0;
}

std::uintptr_t CDeviceHook::MouseWParam(const MouseRecord& record) {
    if (record.kind == MouseRecord::Kind::kWheel) {
        return 0x20A;
    }
    const bool down = record.kind == MouseRecord::Kind::kButtonDown;
    switch (record.button) {
        case MouseButton::kLeft:
            return down ? 0x201 : 0x202;
        case MouseButton::kRight:
            return down ? 0x204 : 0x205;
        case MouseButton::kMiddle:
            return down ? 0x207 : 0x208;
        case MouseButton::kBack:
        case MouseButton::kForward:
            return down ? 0x20B : 0x20C;
    }
    return 0;
}

bool CDeviceHook::Install(int mode, bool keyboard, bool library) {
    // A hook left from before goes first, whatever the new one becomes.
    Uninstall();
    if (!m_capture || !m_context) {
        Trace("hook: no input capture to install\n");
        return false;
    }
    const unsigned keyMessage = KeyMessage(mode);
    const unsigned mouseMessage = library ? MouseMessage(mode) : 0;
    if (keyMessage == 0) {
        TraceFormat("hook: mode %d has no message\n", mode);
        return false;
    }

    auto delivery = std::make_shared<Delivery>();
    delivery->deliver = m_deliver;
    QPointer<QObject> context = m_context;
    // One queued call per event keeps them in order on the UI thread; the shared record drops
    // those still queued when the hook is uninstalled.
    auto post = [delivery, context](HookDelivery item) {
        if (!context) {
            return;
        }
        QMetaObject::invokeMethod(
            context.data(),
            [delivery, item = std::move(item)] {
                if (delivery->live && delivery->deliver) {
                    delivery->deliver(item);
                }
            },
            Qt::QueuedConnection);
    };

    InputCapture::Sinks sinks;
    if (keyboard || library) {
        sinks.key = [post, keyMessage, state = KeyMessageState()](const KeyRecord& key) mutable {
            post(HookDelivery{keyMessage, state.WParam(key), key});
        };
    }
    if (mouseMessage != 0) {
        sinks.mouse = [post, mouseMessage](const MouseRecord& mouse) {
            post(HookDelivery{mouseMessage, MouseWParam(mouse), mouse});
        };
    }

    const CaptureInstall result = m_capture->Install(std::move(sinks));
    if (result != CaptureInstall::kInstalled) {
        TraceFormat("hook: install of mode %d failed: %s\n", mode, CaptureInstallText(result));
        if (result == CaptureInstall::kAlreadyInstalled) {
            m_capture->Uninstall();
        }
        return false;
    }
    if (keyboard && !m_capture->WithholdKeys(true)) {
        Trace("hook: keys still reach other applications\n");
    }
    m_delivery = std::move(delivery);
    m_installed = true;
    m_mode = mode;
    TraceFormat("hook: mode %d installed\n", mode);
    return true;
}

void CDeviceHook::Uninstall() {
    if (m_delivery) {
        m_delivery->live = false;
        m_delivery.reset();
    }
    if (m_capture && m_capture->IsInstalled()) {
        m_capture->Uninstall();
    }
    if (m_installed) {
        TraceFormat("hook: mode %d uninstalled\n", m_mode);
    }
    m_installed = false;
}

}  // namespace quaro
