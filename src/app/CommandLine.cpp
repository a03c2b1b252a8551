#include "app/CommandLine.h"

#include <array>
#include <string_view>

namespace quaro {
namespace {

// Qt's own options that may come with two dashes; those in the first list take a value.
constexpr std::array<std::string_view, 9> kQtValueOptions = {
    "platform",     "platformpluginpath", "platformtheme", "plugin",    "qwindowgeometry",
    "qwindowtitle", "qwindowicon",        "style",         "stylesheet"};
constexpr std::array<std::string_view, 4> kQtFlagOptions = {"reverse", "widgetcount", "nograb",
                                                            "dograb"};

template <std::size_t N>
bool Contains(const std::array<std::string_view, N>& names, std::string_view name) {
    for (std::string_view known : names) {
        if (known == name) {
            return true;
        }
    }
    return false;
}

bool IsSet(const char* value) {
    return value != nullptr && value[0] != '\0';
}

}  // namespace

const char* const kAppUsage =
    "usage: quaro [--tray] [Qt options]\n"
    "\n"
    "Configures the supported keyboards, mice, mouse pads and headsets. One copy runs at a\n"
    "time: starting another brings the running window to the front.\n"
    "\n"
    "options:\n"
    "  --tray      start hidden in the tray (the session's autostart entry uses it)\n"
    "  --version   print the version and exit\n"
    "  --help      show this text\n"
    "\n"
    "Qt's own options (-platform, -style, ...) are passed on to Qt.\n"
    "Without a display (neither DISPLAY nor WAYLAND_DISPLAY set) quaro exits with status 1;\n"
    "quaroctl works without one.\n";

AppCommandLine ParseAppCommandLine(int argc, const char* const* argv) {
    AppCommandLine parsed;
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg = argv[i];
        if (arg == "--help" || arg == "-h") {
            parsed.help = true;
        } else if (arg == "--version") {
            parsed.version = true;
        } else if (arg == "--tray") {
            parsed.tray = true;
        } else if (arg == "-platform" || arg.starts_with("-platform=")) {
            parsed.platformGiven = true;
        } else if (arg.starts_with("--") && arg.size() > 2) {
            std::string_view name = arg.substr(2);
            const bool inlineValue = name.find('=') != std::string_view::npos;
            name = name.substr(0, name.find('='));
            parsed.platformGiven = parsed.platformGiven || name == "platform";
            if (Contains(kQtValueOptions, name)) {
                i += inlineValue ? 0 : 1;
            } else if (!Contains(kQtFlagOptions, name) && parsed.error.empty()) {
                parsed.error = "unknown option '" + std::string(arg) + "'";
            }
        }
    }
    return parsed;
}

std::string MissingDisplayReason(const EnvironmentLookup& environment, bool platformArgument) {
    if (platformArgument) {
        return {};
    }
    // offscreen, vnc, eglfs and the like need no display server; only the desktop ones do.
    if (const char* platform = environment("QT_QPA_PLATFORM"); IsSet(platform)) {
        const std::string_view name(platform);
        if (!name.starts_with("xcb") && !name.starts_with("wayland")) {
            return {};
        }
    }
    if (IsSet(environment("DISPLAY")) || IsSet(environment("WAYLAND_DISPLAY"))) {
        return {};
    }
    return "quaro: no display: neither DISPLAY nor WAYLAND_DISPLAY is set. quaro needs a "
           "graphical session; quaroctl works without one.";
}

}  // namespace quaro
