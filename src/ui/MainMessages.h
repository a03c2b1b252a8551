#pragma once

namespace quaro {

// Window messages and timers of the main window, numbered as the pages, workers and the
// settings window already send them. Menu choices arrive as the toolkit's kMenuCommandMessage.
namespace mainmsg {
inline constexpr unsigned kTrayCallback = 1025;
inline constexpr unsigned kKeyCapture = 1054;
inline constexpr unsigned kDpiNotice = 1224;
inline constexpr unsigned kShowSettingProgress = 3072;
inline constexpr unsigned kApplyLanguage = 3089;
inline constexpr unsigned kDeviceArrival = 3090;
inline constexpr unsigned kDeviceRemoval = 3091;
inline constexpr unsigned kOpenSettings = 3093;
inline constexpr unsigned kClearUpdateIndicator = 3094;
inline constexpr unsigned kPageNotice1 = 3328;
inline constexpr unsigned kPageNotice2 = 3329;

inline constexpr unsigned kTimerRelayout = 1011;
inline constexpr unsigned kTimerTrayMenu = 1032;
}  // namespace mainmsg

}  // namespace quaro
