#pragma once

#include <filesystem>
#include <string_view>

namespace quaro {

// The product's folder under the per-user data and configuration folders. Kept from the
// original data layout so profiles stay where users and their backups expect them.
inline constexpr std::string_view kProductFolderName = "MV5521LUX gaming keyboard";

// The per-user roots the folders are built under. The composition root takes them from the
// environment; tests build them from a temporary folder so they never touch the real home.
struct XdgRoots {
    std::filesystem::path dataHome;    // $XDG_DATA_HOME, default ~/.local/share
    std::filesystem::path configHome;  // $XDG_CONFIG_HOME, default ~/.config
};

XdgRoots XdgRootsFromEnvironment();

// dataHome/<product folder>/<kind name>, each missing level created anew on every call (the
// user may delete the folder while the application runs). Empty path when it cannot be created.
std::filesystem::path UserDataFolder(const std::filesystem::path& dataHome,
                                     std::string_view kindName);

// configHome/<product folder>: language choice, skin choice ("main.ini"), update time.
// Created when missing; empty path when it cannot be created.
std::filesystem::path SettingsFolder(const std::filesystem::path& configHome);

// The folder the running executable lives in; skin/ and DefaultData/ ship beside it.
std::filesystem::path ExecutableDirectory();

// executableDir/DefaultData: factory profiles and data. Never created: it ships with the program.
std::filesystem::path DefaultDataFolder(const std::filesystem::path& executableDir);

}  // namespace quaro
