#pragma once

#include <cstdint>
#include <filesystem>
#include <optional>
#include <ostream>
#include <string>
#include <vector>

namespace quaro {

class ProfileListStore;

// Where the profile lists are kept and where a kind's factory profile comes from.
struct ProfileFolders {
    std::filesystem::path dataHome;           // $XDG_DATA_HOME
    std::filesystem::path defaultDataFolder;  // DefaultData/ beside the executable
};

// "profiles KIND" lists a kind's profiles and marks the selected one; "profiles KIND select NAME"
// selects one. args start after the word "profiles". The list is read and written through the
// same store as the application's profile bar, so a first listing starts the list exactly as
// the application would.
int RunProfiles(const std::vector<std::string>& args, bool json, const ProfileFolders& folders,
                std::ostream& out, std::ostream& err);

// The folder name the application keeps a kind's profiles under ("keyboard", "MousePad", ...).
std::string KindFolderName(uint16_t kind);

// A name as typed first; otherwise the one name that differs only in case (names are unique
// without regard to case, so there is at most one).
std::optional<int> FindProfile(const std::vector<std::string>& names, const std::string& name);

// The kind's profile list, started as the application would start it. An exit status; the
// reason goes to err.
int OpenProfileStore(uint16_t kind, const ProfileFolders& folders, std::ostream& err,
                     ProfileListStore& store);

// Makes the profile of that name (letter case may differ) the selected one. An exit status.
int SelectProfileNamed(ProfileListStore& store, const std::string& name, std::ostream& err);

}  // namespace quaro
