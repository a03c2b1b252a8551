#include "platform/Paths.h"

#include "platform/Trace.h"

#include <cstdlib>
#include <pwd.h>
#include <system_error>
#include <unistd.h>

namespace quaro {
namespace {

std::filesystem::path HomeFolder() {
    if (const char* home = std::getenv("HOME"); home != nullptr && home[0] == '/') {
        return home;
    }
    if (const passwd* entry = getpwuid(getuid()); entry != nullptr && entry->pw_dir != nullptr) {
        return entry->pw_dir;
    }
    return "/tmp";
}

// XDG says a relative value is invalid and must be ignored.
std::filesystem::path XdgFolder(const char* variable, const char* fallbackBelowHome) {
    if (const char* value = std::getenv(variable); value != nullptr && value[0] == '/') {
        return value;
    }
    return HomeFolder() / fallbackBelowHome;
}

std::filesystem::path EnsureFolder(const std::filesystem::path& folder) {
    std::error_code error;
    std::filesystem::create_directories(folder, error);
    if (error || !std::filesystem::is_directory(folder, error)) {
        TraceFormat("cannot create folder %s: %s\n", folder.c_str(), error.message().c_str());
        return {};
    }
    return folder;
}

}  // namespace

XdgRoots XdgRootsFromEnvironment() {
    return {XdgFolder("XDG_DATA_HOME", ".local/share"), XdgFolder("XDG_CONFIG_HOME", ".config")};
}

std::filesystem::path UserDataFolder(const std::filesystem::path& dataHome,
                                     std::string_view kindName) {
    return EnsureFolder(dataHome / kProductFolderName / kindName);
}

std::filesystem::path SettingsFolder(const std::filesystem::path& configHome) {
    return EnsureFolder(configHome / kProductFolderName);
}

std::filesystem::path ExecutableDirectory() {
    std::error_code error;
    const std::filesystem::path self = std::filesystem::read_symlink("/proc/self/exe", error);
    if (error) {
        return std::filesystem::current_path(error);
    }
    return self.parent_path();
}

std::filesystem::path DefaultDataFolder(const std::filesystem::path& executableDir) {
    return executableDir / "DefaultData";
}

}  // namespace quaro
