#pragma once

#include "panels/profile/IProfilePage.h"

#include <filesystem>

namespace quaro {

class CKestrovaUSBDevice;

// A device page as its profile bar sees it. The page's own virtual `LoadProfile()` (reload from
// the current document) shares its name with the bar's `LoadProfile(path)` (take another
// document), so the page hands the bar this small adapter rather than deriving from both.
class PageProfileLink : public IProfilePage {
public:
    explicit PageProfileLink(CKestrovaUSBDevice& page) : m_page(page) {}

    int GetDeviceKind() const override;
    std::filesystem::path GetUserDataFolder() const override;
    std::filesystem::path GetDefaultProfilePath() const override;
    void LoadProfile(const std::filesystem::path& profilePath) override;
    void ReapplyProfile() override;
    void SelectFunctionTab(int n) override;

private:
    CKestrovaUSBDevice& m_page;
};

}  // namespace quaro
