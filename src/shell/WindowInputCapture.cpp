#include "shell/WindowInputCapture.h"

#include "platform/Trace.h"

#include <QCoreApplication>
#include <QKeyEvent>
#include <QMouseEvent>
#include <QWheelEvent>

namespace quaro {
namespace {

constexpr std::uint16_t kVkCapsLock = 0x14;
constexpr std::uint16_t kVkNumLock = 0x90;
constexpr std::uint16_t kVkScrollLock = 0x91;
constexpr int kWheelNotch = 120;

std::optional<MouseButton> ButtonOf(Qt::MouseButton button) {
    switch (button) {
        case Qt::LeftButton:
            return MouseButton::kLeft;
        case Qt::RightButton:
            return MouseButton::kRight;
        case Qt::MiddleButton:
            return MouseButton::kMiddle;
        case Qt::BackButton:
            return MouseButton::kBack;
        case Qt::ForwardButton:
            return MouseButton::kForward;
        default:
            return std::nullopt;
    }
}

}  // namespace

WindowInputCapture::~WindowInputCapture() {
    Uninstall();
}

CaptureInstall WindowInputCapture::Install(Sinks sinks) {
    if (m_installed) {
        return CaptureInstall::kAlreadyInstalled;
    }
    QCoreApplication* app = QCoreApplication::instance();
    if (app == nullptr) {
        Trace("input capture: no application to take window events from\n");
        return CaptureInstall::kFailed;
    }
    m_sinks = std::move(sinks);
    app->installEventFilter(this);
    m_installed = true;
    return CaptureInstall::kInstalled;
}

void WindowInputCapture::Uninstall() {
    if (!m_installed) {
        return;
    }
    if (QCoreApplication* app = QCoreApplication::instance()) {
        app->removeEventFilter(this);
    }
    m_sinks = {};
    m_installed = false;
    m_withheld = false;
}

bool WindowInputCapture::WithholdKeys(bool withhold) {
    if (!m_installed) {
        return !withhold;
    }
    m_withheld = withhold;
    return true;
}

std::optional<KeyRecord> WindowInputCapture::KeyRecordFromEvent(const QEvent& event) {
    if (event.type() != QEvent::KeyPress && event.type() != QEvent::KeyRelease) {
        return std::nullopt;
    }
    const auto& key = static_cast<const QKeyEvent&>(event);
    // X11 and Wayland both hand Qt the evdev code moved up by 8.
    const quint32 native = key.nativeScanCode();
    if (native < kXKeycodeOffset) {
        return std::nullopt;
    }
    return KeyRecordFromLinuxKey(native - kXKeycodeOffset, event.type() == QEvent::KeyPress,
                                 static_cast<std::uint32_t>(key.timestamp()));
}

std::optional<MouseRecord> WindowInputCapture::MouseRecordFromEvent(const QEvent& event) {
    if (event.type() == QEvent::MouseButtonPress || event.type() == QEvent::MouseButtonRelease) {
        const auto& mouse = static_cast<const QMouseEvent&>(event);
        const std::optional<MouseButton> button = ButtonOf(mouse.button());
        if (!button) {
            return std::nullopt;
        }
        const QPoint at = mouse.globalPosition().toPoint();
        return MouseRecord{event.type() == QEvent::MouseButtonPress ? MouseRecord::Kind::kButtonDown
                                                                    : MouseRecord::Kind::kButtonUp,
                           *button,
                           0,
                           static_cast<std::uint32_t>(mouse.timestamp()),
                           at.x(),
                           at.y()};
    }
    if (event.type() == QEvent::Wheel) {
        const auto& wheel = static_cast<const QWheelEvent&>(event);
        const int delta = wheel.angleDelta().y();
        // Touchpads send fractions of a notch; only whole notches are recorded, as the X server
        // reports them.
        if (delta == 0 || delta % kWheelNotch != 0) {
            return std::nullopt;
        }
        const QPoint at = wheel.globalPosition().toPoint();
        return MouseRecord{MouseRecord::Kind::kWheel,
                           MouseButton::kLeft,
                           delta > 0 ? kWheelNotch : -kWheelNotch,
                           static_cast<std::uint32_t>(wheel.timestamp()),
                           at.x(),
                           at.y()};
    }
    return std::nullopt;
}

bool WindowInputCapture::eventFilter(QObject* watched, QEvent* event) {
    // Qt hands one input event to the window and then to each widget on its way; the window's
    // copy is the one counted.
    if (!watched->isWindowType()) {
        if (m_withheld &&
            (event->type() == QEvent::KeyPress || event->type() == QEvent::KeyRelease ||
             event->type() == QEvent::ShortcutOverride)) {
            const auto record = KeyRecordFromEvent(*event);
            const std::uint16_t vk = record ? record->virtualKey : 0;
            return vk != kVkCapsLock && vk != kVkNumLock && vk != kVkScrollLock;
        }
        return false;
    }
    if (const auto key = KeyRecordFromEvent(*event)) {
        if (m_sinks.key) {
            m_sinks.key(*key);
        }
        const std::uint16_t vk = key->virtualKey;
        return m_withheld && vk != kVkCapsLock && vk != kVkNumLock && vk != kVkScrollLock;
    }
    if (const auto mouse = MouseRecordFromEvent(*event)) {
        if (m_sinks.mouse) {
            m_sinks.mouse(*mouse);
        }
    }
    return false;
}

}  // namespace quaro
