#include "platform/InputCapture.h"

#include "platform/KeyScanTable.h"

namespace quaro {

namespace {

// One notch of a wheel, in the units the recorder's wheel records count in.
constexpr int kWheelNotch = 120;

}  // namespace

std::optional<KeyRecord> KeyRecordFromLinuxKey(unsigned linuxKey, bool down, std::uint32_t timeMs) {
    const int row = FindKeyScanRowByLinuxKey(linuxKey);
    if (row < 0) {
        return std::nullopt;
    }
    const KeyScanRow& key = kKeyScanTable[static_cast<std::size_t>(row)];
    return KeyRecord{key.virtualKey, key.scanCode, key.extended, down, timeMs};
}

std::optional<MouseRecord> MouseRecordFromXButton(unsigned button, bool down,
                                                  std::uint32_t timeMs) {
    const MouseRecord::Kind kind =
        down ? MouseRecord::Kind::kButtonDown : MouseRecord::Kind::kButtonUp;
    switch (button) {
        case 1:
            return MouseRecord{kind, MouseButton::kLeft, 0, timeMs, 0, 0};
        case 2:
            return MouseRecord{kind, MouseButton::kMiddle, 0, timeMs, 0, 0};
        case 3:
            return MouseRecord{kind, MouseButton::kRight, 0, timeMs, 0, 0};
        case 4:
        case 5:
            // The server sends each notch as a press and a release; only the press is the notch.
            if (!down) {
                return std::nullopt;
            }
            return MouseRecord{MouseRecord::Kind::kWheel,
                               MouseButton::kLeft,
                               button == 4 ? kWheelNotch : -kWheelNotch,
                               timeMs,
                               0,
                               0};
        case 8:
            return MouseRecord{kind, MouseButton::kBack, 0, timeMs, 0, 0};
        case 9:
            return MouseRecord{kind, MouseButton::kForward, 0, timeMs, 0, 0};
        default:
            return std::nullopt;
    }
}

const char* CaptureInstallText(CaptureInstall result) {
    switch (result) {
        case CaptureInstall::kInstalled:
            return "installed";
        case CaptureInstall::kAlreadyInstalled:
            return "already installed";
        case CaptureInstall::kNoDisplay:
            return "no display";
        case CaptureInstall::kNoInputExtension:
            return "no XInput 2 raw events";
        case CaptureInstall::kFailed:
            return "failed";
    }
    return "failed";
}

}  // namespace quaro
