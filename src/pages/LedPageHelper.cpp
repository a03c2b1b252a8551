#include "pages/LedPageHelper.h"

#include "devices/pad/PadDriver.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/light/CLightControlUI.h"
#include "platform/Trace.h"
#include "profiles/CBasicProfiledata.h"
#include "profiles/LightLibrary.h"

namespace quaro {

void LedPageHelper::LoadProfileDocument() {
    m_profile.SetPageStyle(m_page.GetPageStyle());
    m_profile.SetDefaultProfilePath(m_page.DefaultDataFile());
    if (!m_page.CurrentProfilePath().empty()) {
        m_profile.SetProfilePath(m_page.CurrentProfilePath());
    }
    m_profile.SetLightConfigPath(m_page.UserDataFolder() /
                                 (m_page.GetLightName().toStdString() + ".config"));
    m_profile.Load(m_profile.GetProfilePath());
}

LightSetting LedPageHelper::TakeProfileLight() {
    const LightSetting setting = m_profile.GetLightInfo();
    const LightWords words = LightSettingToWords(setting);
    m_page.SetLightSetting(words.first, words.second, words.third);
    return setting;
}

void LedPageHelper::FillLightEffects(int brightnessMax, int speedMax, bool customNames) {
    CLightControlUI* panel = m_page.GetLightPanel();
    if (panel == nullptr) {
        return;
    }
    LightLibrary library(m_page.GetPageStyle());
    library.LoadDefaultNames(m_page.DefaultDataFile().parent_path() / "default_light.json");
    library.LoadCustomNames(m_profile.GetLightConfigPath());
    panel->FillEffects(library.BuiltInNames(), library.BuiltInVisible(), brightnessMax, speedMax);
    if (customNames) {
        panel->FillCustomEffects(library.CustomNames());
    }
}

void LedPageHelper::ShowLight() {
    if (CLightControlUI* panel = m_page.GetLightPanel()) {
        panel->ShowLightSetting(m_page.GetLightSetting());
    }
}

void LedPageHelper::StoreLight() {
    const LightWords words = LightSettingToWords(m_page.GetLightSetting());
    m_profile.SetLightInfo(words.first, words.second, words.third);
}

bool LedPageHelper::Save(const char* failureText) {
    if (m_profile.Save() != 0) {
        Trace(failureText);
        return false;
    }
    return true;
}

std::function<void()> LedPageHelper::LightDrawn() const {
    CKestrovaUSBDevice* page = &m_page;
    return [page] { page->NotifyLightChanged(); };
}

bool LedPageHelper::PrimaryConnected() const {
    return m_page.IsPrimaryConnected();
}

void LedPageHelper::LoadAndRefresh() {
    m_page.LoadProfile();
    m_page.RefreshPanels();
}

void LedPageHelper::TakeRecordRead(const PadRecordRead& read, unsigned notice) {
    if (!read.Succeeded()) {
        return;
    }
    const LightSetting setting = read.record.OverLight(m_page.GetLightSetting());
    const LightWords words = LightSettingToWords(setting);
    m_page.SetLightSetting(words.first, words.second, words.third);
    if (read.cause == PadReadCause::kSettingsChanged) {
        m_page.SaveProfile();
        m_page.RefreshPanels();
        if (const HWND& owner = m_page.GetOwnerWindow()) {
            owner->Send(notice, read.record.RecordNumber(), 0);
        }
    }
}

int LedPageHelper::WriteRecord(PadDriver* driver, std::int32_t recordNumber) {
    if (driver == nullptr || !m_page.IsPrimaryConnected()) {
        return 0;
    }
    driver->RequestWrite(static_cast<std::uint8_t>(recordNumber));
    return 1;
}

}  // namespace quaro
