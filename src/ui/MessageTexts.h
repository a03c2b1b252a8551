#pragma once

namespace quaro {

// Language ids of the message boxes the main window's routes show. The texts live in the
// language files; these say what each must mean.
namespace msgtext {
// Confirms restoring the page's defaults (OK and Cancel).
inline constexpr const char* kConfirmRestoreDefaults = "message_text_22";
// A name was refused: empty, or already in use (profile rename, macro rename, custom EQ).
inline constexpr const char* kNameRefused = "message_text_5";
// A mouse would be left without a key holding the left-button function.
inline constexpr const char* kLeftButtonNeeded = "message_text_6";
// The macros could not be written to the device.
inline constexpr const char* kMacroWriteFailed = "message_text_7";
// A format with one integer: the macros did not fit in the device, and by how much.
inline constexpr const char* kMacrosDoNotFit = "message_text_16";
// Confirms deleting the selected macro (OK and Cancel).
inline constexpr const char* kConfirmMacroDelete = "message_text_4";
// The macro to delete is assigned to keys: delete anyway? (OK and Cancel)
inline constexpr const char* kMacroInUse = "message_text_2";
// A change of the profile list or a profile could not be saved; nothing was changed.
inline constexpr const char* kProfileNotSaved = "message_text_30";
// The profile could not be written to the file the user chose.
inline constexpr const char* kProfileExportFailed = "message_text_31";

inline constexpr const char* kAll[] = {
    kConfirmRestoreDefaults, kNameRefused, kLeftButtonNeeded, kMacroWriteFailed,    kMacrosDoNotFit,
    kConfirmMacroDelete,     kMacroInUse,  kProfileNotSaved,  kProfileExportFailed,
};
// The ids whose text is a format taking exactly one integer.
inline constexpr const char* kIntegerFormats[] = {kMacrosDoNotFit};
}  // namespace msgtext

}  // namespace quaro
