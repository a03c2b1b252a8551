#pragma once

#include "profiles/JsonFileStore.h"
#include "profiles/ProfileOptionTabs.h"

#include <json/value.h>

#include <filesystem>
#include <string>
#include <vector>

namespace quaro {

// A device's named profiles: the list document "ProfileList.ini" (JSON despite its name) and the
// profile documents (identifier + ".Json") in the device's user data folder. The profile panel
// mirrors Names() and SelectedIndex() in its combo. Every operation reads the list from disk
// first and writes it back whole, so the file is the only shared state; Names() follows the
// list as last written.
class ProfileListStore {
public:
    static constexpr int kMaxProfiles = 50;

    void SetDeviceKind(int kind) { m_kind = kind; }
    int DeviceKind() const { return m_kind; }
    void SetFolder(const std::filesystem::path& folder) { m_folder = folder; }
    const std::filesystem::path& Folder() const { return m_folder; }
    void SetDefaultProfilePath(const std::filesystem::path& path) { m_defaultProfilePath = path; }

    // Reads the list; a missing or empty one, or a damaged one (moved aside first), is rebuilt
    // from the profile documents, and only when there are none a list with "profile1" (made from
    // the default profile) is started. Then selects the stored selection (the first profile when
    // the stored one does not exist).
    void InitProfileList();
    // Makes item index current and stores it as the selection. Refused (false) for an index
    // outside the list.
    bool SelectProfile(int index);
    int SelectedIndex() const { return m_selected; }
    const std::vector<std::string>& Names() const { return m_names; }
    // The current profile's identifier; empty when nothing is selected or the list's identifier
    // is not a plain file name.
    const std::string& GetCurrentProfileId() const { return m_currentId; }
    // folder / (identifier + ".Json"); empty for an empty identifier.
    std::filesystem::path ProfilePath(const std::string& identifier) const;
    OptionTabVisibility TabVisibility() const { return OptionTabsForKind(m_kind); }

    // Each returns false when it refuses or a write fails, and changes nothing then. A list
    // that cannot be read or parsed is moved aside and rebuilt from the profile documents
    // before anything is written.
    // "profile%d", the lowest n no profile carries; made from the default profile. At most 50.
    bool AddProfile();
    // A copy of the selected profile named "<name> copy" (" copy" again while taken).
    bool CopyProfile();
    // Needs a selection and two profiles; the profile before the deleted one (the first when the
    // first was deleted) becomes the selection and current profile.
    bool DeleteProfile();
    // A profile document from elsewhere, under a fresh identifier; a taken name gets "(1)",
    // then "(2)" and so on appended. Its "Device" entries are kept as they are.
    bool ImportProfile(const std::filesystem::path& path);
    // The selected profile's document written to path.
    bool ExportProfile(const std::filesystem::path& path) const;
    // Fails when another profile carries the name (without regard to case).
    bool RenameProfile(const std::string& name);
    // The selected profile becomes the default profile again under its name and identifier; a
    // headset keeps its custom equaliser names and curves.
    bool ResetProfile();

private:
    bool HasFolder() const;
    std::filesystem::path ListPath() const;
    // The list a change starts from. A missing or empty list, or a damaged one once it is moved
    // aside, is rebuilt from the profile documents. False when a damaged list could not be moved
    // aside: nothing may then be written. rebuilt tells whether the list differs from the file.
    bool LoadList(Json::Value& list, bool* rebuilt = nullptr) const;
    // One entry per profile document in the folder that names itself ("profileUUID" equal to its
    // file name), in the order of the identifiers; clashing names get counters as on import.
    Json::Value RebuildList() const;
    bool WriteList(const Json::Value& list) const;
    // The names mirror the list as written.
    void TakeNames(const Json::Value& list);
    std::string NewIdentifier(const Json::Value& list) const;
    // The identifier of entry index of list, when it is a plain file name.
    std::string EntryIdentifier(const Json::Value& list, int index) const;
    // Writes document as a new profile's, then the list with its entry appended; on failure
    // neither is left behind and the names stay as they were.
    bool AppendProfile(Json::Value& list, Json::Value document, const std::string& name,
                       bool select);
    bool WriteProfileDocument(Json::Value document, const std::string& name,
                              const std::string& identifier) const;

    JsonFileStore m_store;
    int m_kind = 0;
    std::filesystem::path m_folder;
    std::filesystem::path m_defaultProfilePath;
    std::vector<std::string> m_names;
    int m_selected = -1;
    std::string m_currentId;
};

}  // namespace quaro
