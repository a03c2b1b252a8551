#pragma once

#include <filesystem>
#include <optional>
#include <string_view>
#include <sys/un.h>

namespace quaro {

// The name of the running application's single-instance guard and local socket.
inline constexpr std::string_view kEndpointName = "MIREL_QUARO";

// Asks the running application to write a kind's selected profile into its device (wParam: the
// device kind), so that a device never has two writers.
inline constexpr std::string_view kApplyProfileMessage = "QUARO_APPLY_PROFILE";

// $XDG_RUNTIME_DIR/MIREL_QUARO when that folder exists, else MIREL_QUARO-<uid> in $TMPDIR (or
// /tmp): where the running application listens, for tools with and without Qt alike.
std::filesystem::path MessageEndpointPath();

// The address of a local socket at socketPath; none when the path is empty or too long for one.
std::optional<sockaddr_un> EndpointAddress(const std::filesystem::path& socketPath);

// Delivers one "POST name wParam lParam" line to the application listening on socketPath. False
// when none answers within timeoutMs; with waitForListener, a copy that holds the guard but does
// not listen yet (it is still starting) is given that time to begin. The name must be one word.
bool PostToRunningApplication(const std::filesystem::path& socketPath, std::string_view name,
                              unsigned long long wParam, long long lParam, int timeoutMs = 2000,
                              bool waitForListener = false);

// Connects to the application listening on socketPath, to hear its broadcasts: the connected
// socket (blocking, closed on exec), which the caller closes, or -1 when none accepts.
int ConnectToRunningApplication(const std::filesystem::path& socketPath);

}  // namespace quaro
