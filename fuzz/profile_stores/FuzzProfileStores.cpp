// The stores read documents users may have edited by hand. The first byte picks the store whose
// file the rest of the input becomes; every reader of that store then runs over it.
#include "platform/Trace.h"
#include "profiles/CHs6533Profiledata.h"
#include "profiles/CKeyboardProfiledata.h"
#include "profiles/CMouseProfiledata.h"
#include "profiles/LightLibrary.h"
#include "profiles/MacroLibrary.h"
#include "profiles/ProfileListStore.h"

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>

namespace {

// One scratch folder per run; libFuzzer leaves by _Exit, so it is not removed (it stays small).
const std::filesystem::path& Folder() {
    static const std::filesystem::path folder = [] {
        char pattern[] = "/tmp/quaro-fuzz-XXXXXX";
        const char* made = ::mkdtemp(pattern);
        if (made == nullptr) {
            std::abort();
        }
        return std::filesystem::path(made);
    }();
    return folder;
}

void Put(const std::string& name, const uint8_t* data, size_t size) {
    std::ofstream(Folder() / name, std::ios::binary)
        .write(reinterpret_cast<const char*>(data), static_cast<std::streamsize>(size));
}

void ReadProfile(const std::filesystem::path& path) {
    quaro::CKeyboardProfiledata keyboard;
    keyboard.Load(path);
    keyboard.GetLightInfo();
    keyboard.GetLightList();
    keyboard.GetKeyList();
    keyboard.GetSystemStages();
    keyboard.GetCustomLightColors(keyboard.GetCustomLightGroupIndex(), 126);
    keyboard.SetKeyList(keyboard.GetKeyList());
    keyboard.SetLightInfo(1, 2, 3);

    quaro::CMouseProfiledata mouse;
    mouse.Load(path);
    mouse.SetDpiStages(mouse.GetDpiStages());
    mouse.GetSystemStages();
    mouse.GetCorrectInfo();

    quaro::CHs6533Profiledata headset;
    headset.Load(path);
    const quaro::HeadsetValues values = headset.GetSystemSetStages();
    headset.GetEqValues(values[2]);
    headset.GetCustomEqValues(values[3]);
    headset.GetCustomEqNames();
    // Whatever was read must write out again.
    quaro::JsonFileStore::FormatDocument(headset.DeviceEntry());
}

}  // namespace

// See fuzz/json_document: the memory limit should measure the stores, not the quarantine.
extern "C" const char* __asan_default_options() {
    return "quarantine_size_mb=16";
}

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool silenced = (quaro::SetTraceSink({}), true);
    (void)silenced;
    if (size == 0) {
        return 0;
    }
    const std::filesystem::path& folder = Folder();
    for (const auto& item : std::filesystem::directory_iterator(folder)) {
        std::filesystem::remove_all(item.path());
    }
    switch (data[0] % 5) {
        case 0:
            Put("p.Json", data + 1, size - 1);
            ReadProfile(folder / "p.Json");
            break;
        case 1: {
            Put("ProfileList.ini", data + 1, size - 1);
            quaro::ProfileListStore list;
            list.SetFolder(folder);
            list.InitProfileList();
            list.CopyProfile();
            list.RenameProfile("x");
            list.AddProfile();
            list.DeleteProfile();
            break;
        }
        case 2: {
            Put("macro.config", data + 1, size - 1);
            quaro::MacroLibrary library(folder);
            library.Names();
            library.Load(0);
            library.Rename(0, "x");
            library.Delete(1);
            library.Import(folder / "macro.config");
            break;
        }
        case 3: {
            Put("m.mac", data + 1, size - 1);
            const char library[] = R"({"MacroInfo":[{"MacroName":"m","Guid":"m"}]})";
            Put("macro.config", reinterpret_cast<const uint8_t*>(library), sizeof library - 1);
            quaro::ToCompactRecords(quaro::MacroLibrary(folder).Load(0));
            break;
        }
        default: {
            Put("light.json", data + 1, size - 1);
            for (int style = 0; style < 4; ++style) {
                quaro::LightLibrary names(style);
                names.LoadDefaultNames(folder / "light.json");
                names.LoadCustomNames(folder / "light.json");
            }
            quaro::CBasicProfiledata profile;
            profile.LoadLightConfig(folder / "light.json");
            profile.GetCustomLightEffect();
            break;
        }
    }
    return 0;
}
