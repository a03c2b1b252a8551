#pragma once

#include <QString>

namespace quaro {

// Process-wide message names (the instance message, the light-control and installer messages,
// the hook messages). Each name gets a stable number in 0xC000..0xFFFF for the life of the
// process; other processes address the same messages by name through the message endpoint.
namespace registered {
inline const QString kInstanceMessage = QStringLiteral("QUARO_MIREL_001");
inline const QString kInstanceGuard = QStringLiteral("MIREL_QUARO");
inline const QString kUpdateProgress = QStringLiteral("{4695579F-999A-41d4-9FAF-EFFCE93EBF15}");
inline const QString kLightAnnounce = QStringLiteral("{4695579F-999A-41d4-9FAF-EFFCE93EBF16}");
inline const QString kLightRequest = QStringLiteral("{4695579F-999A-41d4-9FAF-EFFCE93EBF17}");
// A kind's selected profile into its device, asked by the command line (wParam: the kind).
inline const QString kApplyProfile = QStringLiteral("QUARO_APPLY_PROFILE");
}  // namespace registered

inline constexpr unsigned kFirstRegisteredMessage = 0xC000;
inline constexpr unsigned kLastRegisteredMessage = 0xFFFF;

// The number of the name, registering it on first use; 0 when the range is exhausted or the
// name is empty.
unsigned RegisterWindowMessage(const QString& name);
// The number of an already registered name, or 0.
unsigned FindWindowMessage(const QString& name);
// The name of a registered number, or empty text.
QString WindowMessageName(unsigned message);

}  // namespace quaro
