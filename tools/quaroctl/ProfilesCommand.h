#pragma once

#include <filesystem>
#include <ostream>
#include <string>
#include <vector>

namespace quaro {

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

}  // namespace quaro
