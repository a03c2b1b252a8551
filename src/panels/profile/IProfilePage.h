#pragma once

#include <filesystem>

namespace quaro {

// The device page as its profile bar sees it. Pages sit in a layer above the panels, so the bar
// reaches its page only through this. At set-up the bar takes the page's kind and folders. When
// the bar made another profile current (the user chose one, or the current one was deleted) it
// hands the page that profile's document; when it reset the current profile it asks the page to
// apply it again. Everything here runs on the UI thread and must return at once: whatever goes
// to the device is handed to the page's device worker, and results the user must see come back
// later (see ProfileBarRoutes::ReportResetMacroWrite).
class IProfilePage {
public:
    virtual ~IProfilePage() = default;

    // 1 keyboard, 2 mouse, 3 mouse pad, 7 headset; it decides which option tabs show.
    virtual int GetDeviceKind() const = 0;
    // The device's user data folder: "ProfileList.ini" and the profile documents.
    virtual std::filesystem::path GetUserDataFolder() const = 0;
    // The device's document in the default data folder, which new and reset profiles copy.
    virtual std::filesystem::path GetDefaultProfilePath() const = 0;

    // Another profile is current: the page takes its document, reloads from it, refreshes its
    // controls and writes its settings, macros and key assignments to the device.
    virtual void LoadProfile(const std::filesystem::path& profilePath) = 0;
    // The current profile's document was replaced by the defaults: the page reloads and
    // refreshes, writes its settings, and (keyboard and mouse) its macros and key assignments.
    virtual void ReapplyProfile() = 0;
    // Option tab n (1 to 7) was chosen: the page shows that function.
    virtual void SelectFunctionTab(int n) = 0;
};

}  // namespace quaro
