#pragma once

#include <string_view>

namespace quaro {

// Names of the stored files, fixed by the data layout users and their backups already have.
inline constexpr std::string_view kProfileExtension = ".Json";
inline constexpr std::string_view kProfileListFileName = "ProfileList.ini";
inline constexpr std::string_view kMacroLibraryFileName = "macro.config";
// The headset and mouse pad pages read their macro names from this file; nothing writes it.
inline constexpr std::string_view kSharedMacroLibraryFileName = "quaro_macro.config";
inline constexpr std::string_view kMacroExtension = ".mac";
inline constexpr std::string_view kLightLibraryExtension = ".config";
inline constexpr std::string_view kLightEffectExtension = ".light";
inline constexpr std::string_view kDefaultLightFileName = "default_light.json";
inline constexpr std::string_view kLanguageFileName = "Language.config";
inline constexpr std::string_view kShootFilePrefix = "ShootData_";
inline constexpr std::string_view kShootFileExtension = ".Shoot";

// Page styles: the first index of every light store.
inline constexpr int kPageStyleKeyboard = 0;
inline constexpr int kPageStyleMouse = 1;
inline constexpr int kPageStyleMousePad = 2;
inline constexpr int kPageStyleHeadset = 3;

}  // namespace quaro
