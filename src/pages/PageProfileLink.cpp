#include "pages/PageProfileLink.h"

#include "pages/CKestrovaUSBDevice.h"

namespace quaro {

int PageProfileLink::GetDeviceKind() const {
    return m_page.GetDeviceKind();
}

std::filesystem::path PageProfileLink::GetUserDataFolder() const {
    return m_page.UserDataFolder();
}

std::filesystem::path PageProfileLink::GetDefaultProfilePath() const {
    return m_page.DefaultDataFile();
}

void PageProfileLink::LoadProfile(const std::filesystem::path& profilePath) {
    m_page.TakeProfile(profilePath);
}

void PageProfileLink::ReapplyProfile() {
    // The bar has already written the defaults into the current document, keeping what a reset
    // must keep (the headset's own equaliser curves). The page's ReapplyProfile would copy the
    // factory document over it once more and lose them, so the page reloads the document.
    m_page.ReloadResetProfile();
}

void PageProfileLink::SelectFunctionTab(int n) {
    m_page.SelectFunctionTab(n);
}

}  // namespace quaro
