#pragma once

#include <functional>
#include <string>

namespace quaro {

// What quaro was asked for on its command line. Arguments that are not quaro's are Qt's own
// (-platform, -style, ...) and are left for QApplication.
struct AppCommandLine {
    bool help = false;
    bool version = false;
    bool tray = false;           // start hidden in the tray even where the window would be shown
    bool platformGiven = false;  // Qt was told its platform on the command line
    std::string error;           // a "--" option neither quaro nor Qt knows; empty when none
};

AppCommandLine ParseAppCommandLine(int argc, const char* const* argv);

extern const char* const kAppUsage;

// Reads one environment variable; null when it is not set.
using EnvironmentLookup = std::function<const char*(const char*)>;

// Why no display can be reached, as the one line quaro prints before it leaves; empty when a
// display is there or Qt was told to use a platform that needs none. Checked before Qt opens the
// display, which would otherwise end the process with an abort.
std::string MissingDisplayReason(const EnvironmentLookup& environment, bool platformArgument);

}  // namespace quaro
