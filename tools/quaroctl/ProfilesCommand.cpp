#include "ProfilesCommand.h"

#include "DeviceListing.h"
#include "JsonOutput.h"
#include "Quaroctl.h"
#include "device/CatalogueTables.h"
#include "platform/Paths.h"
#include "profiles/ProfileListStore.h"
#include "profiles/StoredNames.h"

#include <json/value.h>

#include <optional>

namespace quaro {
namespace {

Json::Value ListingJson(const std::string& kindName, const ProfileListStore& store) {
    Json::Value document(Json::objectValue);
    document["kind"] = kindName;
    document["folder"] = store.Folder().string();
    const std::vector<std::string>& names = store.Names();
    const int selected = store.SelectedIndex();
    document["selected"] = selected >= 0 && selected < static_cast<int>(names.size())
                               ? Json::Value(names[static_cast<std::size_t>(selected)])
                               : Json::Value(Json::nullValue);
    Json::Value& profiles = document["profiles"] = Json::Value(Json::arrayValue);
    for (std::size_t i = 0; i < names.size(); ++i) {
        Json::Value entry(Json::objectValue);
        entry["name"] = names[i];
        entry["selected"] = static_cast<int>(i) == selected;
        profiles.append(entry);
    }
    return document;
}

void ListingText(const ProfileListStore& store, std::ostream& out) {
    const std::vector<std::string>& names = store.Names();
    for (std::size_t i = 0; i < names.size(); ++i) {
        out << (static_cast<int>(i) == store.SelectedIndex() ? "* " : "  ") << names[i] << '\n';
    }
}

int Usage(std::ostream& err) {
    err << "quaroctl: usage: quaroctl profiles KIND [select NAME] [--json]\n";
    return kExitUsage;
}

}  // namespace

std::string KindFolderName(uint16_t kind) {
    const uint16_t pageKind = kind == kKindMouseSlowLink ? uint16_t{kKindMouse} : kind;
    for (const DeviceTypeEntry& type : kDeviceTypes) {
        if (type.kind == pageKind) {
            return std::string(type.kindName);
        }
    }
    return {};
}

std::optional<int> FindProfile(const std::vector<std::string>& names, const std::string& name) {
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (names[i] == name) {
            return static_cast<int>(i);
        }
    }
    for (std::size_t i = 0; i < names.size(); ++i) {
        if (EqualsIgnoringCase(names[i], name)) {
            return static_cast<int>(i);
        }
    }
    return std::nullopt;
}

int OpenProfileStore(uint16_t kind, const ProfileFolders& folders, std::ostream& err,
                     ProfileListStore& store) {
    const std::string kindName(KindName(kind));
    const std::string folderName = KindFolderName(kind);
    const std::filesystem::path folder = UserDataFolder(folders.dataHome, folderName);
    if (folder.empty()) {
        err << "quaroctl: the " << kindName << "'s profile folder "
            << (folders.dataHome / kProductFolderName / folderName).string()
            << " cannot be created\n";
        return kExitStoreError;
    }

    store.SetDeviceKind(kind);
    store.SetFolder(folder);
    store.SetDefaultProfilePath(folders.defaultDataFolder / (folderName + ".Json"));
    store.InitProfileList();
    if (store.Names().empty()) {
        err << "quaroctl: the " << kindName << "'s profile list in " << folder.string()
            << " cannot be read or started\n";
        return kExitStoreError;
    }
    return kExitSuccess;
}

int SelectProfileNamed(ProfileListStore& store, const std::string& name, std::ostream& err) {
    const std::string kindName(KindName(static_cast<uint16_t>(store.DeviceKind())));
    const std::optional<int> index = FindProfile(store.Names(), name);
    if (!index) {
        err << "quaroctl: the " << kindName << " has no profile named '" << name
            << "' ('quaroctl profiles " << kindName << "' lists them)\n";
        return kExitNoSuchProfile;
    }
    if (!store.SelectProfile(*index)) {
        err << "quaroctl: the " << kindName << "'s profile list in " << store.Folder().string()
            << " cannot be written; the selection is unchanged\n";
        return kExitStoreError;
    }
    return kExitSuccess;
}

int RunProfiles(const std::vector<std::string>& args, bool json, const ProfileFolders& folders,
                std::ostream& out, std::ostream& err) {
    if (args.size() != 1 && !(args.size() == 3 && args[1] == "select")) {
        return Usage(err);
    }
    const std::optional<uint16_t> kind = KindByName(args[0]);
    if (!kind) {
        err << "quaroctl: '" << args[0]
            << "' is not a device kind (keyboard, mouse, mousepad or headset)\n";
        return kExitUsage;
    }
    const std::string kindName(KindName(*kind));
    ProfileListStore store;
    if (const int status = OpenProfileStore(*kind, folders, err, store); status != kExitSuccess) {
        return status;
    }

    if (args.size() == 3) {
        if (const int status = SelectProfileNamed(store, args[2], err); status != kExitSuccess) {
            return status;
        }
        if (!json) {
            out << kindName << ": selected "
                << store.Names()[static_cast<std::size_t>(store.SelectedIndex())] << '\n';
            return kExitSuccess;
        }
    }
    if (json) {
        WriteJson(ListingJson(kindName, store), out);
    } else {
        ListingText(store, out);
    }
    return kExitSuccess;
}

}  // namespace quaro
