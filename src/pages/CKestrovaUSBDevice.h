#pragma once

#include "device/CatalogueEntries.h"
#include "devices/driver/DeviceDriver.h"
#include "devices/driver/DriverEventSink.h"
#include "devices/light/LedColor.h"
#include "devices/light/LightPrimitives.h"
#include "pages/IDevicePage.h"
#include "panels/controls/CDeviceKeyButtonUI.h"
#include "panels/controls/CSelectPanelUI.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "panels/devicetab/CMpDevicePowerUI.h"
#include "panels/devicetab/IDeviceTabPage.h"
#include "panels/light/CLightControlUI.h"
#include "profiles/ProfileRecords.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CTabLayoutUI.h"
#include "ui/toolkit/WindowHandle.h"

#include <QPointer>
#include <QString>

#include <array>
#include <atomic>
#include <cstdint>
#include <filesystem>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <string>
#include <utility>
#include <vector>

namespace quaro {

class CDeviceProfileUI;
class CResourceManager;
class HidBackend;
class IProfileFileChooser;
class PageProfileLink;
class ProfileBarRoutes;

// The common base of the device pages: a horizontal layout holding the device picture and the
// configuration panels of one device, and the owner of the driver that talks to it. The page
// stays a thin container: every device exchange runs on the driver's worker, whose news reaches
// the page only as calls posted to the UI thread. Nothing here waits for the device.
//
// Threads: the UI thread calls everything except the light steps and the fade and ring
// operations, which the page's light thread calls. Those share the light colours, the light
// setting and the animation state with RenderLightFrame under the light lock.
class CKestrovaUSBDevice : public CHorizontalLayoutUI,
                           public IDevicePage,
                           public IDeviceTabPage,
                           private DriverEventSink {
public:
    // Makes the page's driver; the driver must report to the sink it is given.
    using DriverFactory = std::function<std::unique_ptr<DeviceDriver>(DriverEventSink* sink)>;

    static constexpr int kMaxKeyCount = 126;
    static constexpr std::size_t kFrameBufferSize = 512;

    explicit CKestrovaUSBDevice(QWidget* parent = nullptr);
    ~CKestrovaUSBDevice() override;

    QString GetClass() const override { return QStringLiteral("KestrovaUSBDevice"); }

    // --- the driver (page creation) ---
    // Replaces the driver (stopping the old one) and starts the new one.
    void CreateDriver(const DriverFactory& factory);
    // The plain driver of the kinds without transmission of their own.
    void CreateDriver(std::shared_ptr<HidBackend> backend);
    // Page creation's choice: the kind's own driver over the backend (the plain one by default).
    virtual void MakeDriver(std::shared_ptr<HidBackend> backend) {
        CreateDriver(std::move(backend));
    }
    DeviceDriver* Driver() const { return m_driver.get(); }

    // --- the device (arrival and removal, UI thread; nothing here waits for a reply) ---
    // Opens the slot's interface for the driver and takes the slot as the device record. False
    // when the open failed (the driver traced why); the page then stays disconnected.
    virtual bool ConnectDevice(const DeviceInterfaceEntry& slot);
    virtual void DisconnectDevice();
    // The consumer-control interface of the same device.
    virtual bool AttachSecondary(const std::string& path);
    virtual void DetachSecondary();
    // Whether two or more device tabs show; light sync is offered only then.
    virtual void SetMultiDevice(bool multi);
    bool IsMultiDevice() const { return m_multiDevice; }
    // Set while the window's light sync drives the device. It lives on the primary channel,
    // where the light sync thread reads it.
    void SetLightSync(bool on);
    bool IsLightSync() const;

    // --- virtual operations, in slot order ---
    virtual void InitPage();
    virtual int ApplyProfile() { return 0; }
    virtual void LightStepBreathing();
    virtual void LightStepBreathingFourColours();
    virtual void LightStepStatic();
    virtual void LightStepSpectrum();
    virtual void LightStepBlink();
    virtual void LightStepBlinkFourColours();
    virtual void LightStepOff();
    void RenderLightFrame() override;
    bool RestFrames() override;
    // Something moved the colours the frames carry (any thread): frames that rested start
    // again. The light threads call it after their passes; SetLightColour (the light sync's
    // setter) calls it too.
    void NotifyLightChanged();
    // The light sync let go of the device: its light thread draws its own colours again.
    void WakeLight();
    // entry: red, green, blue and intensity from the low byte up.
    virtual void SetLightColour(int index, uint32_t entry);
    virtual uint32_t GetLightColour(int index) const;
    void OnStart() override {}
    void OnTimer1002() override {}
    void OnTimer1003() override {}
    void OnTimer1004() override {}
    void OnStatusTimer() override;
    virtual int LoadProfile() { return 0; }
    virtual void RefreshPanels() {}
    virtual void ValidateMacroAssignments() {}
    virtual void ReapplyProfile() {}
    virtual int WriteKeyAssignments(int imageNumber, const std::vector<KeyAssignmentEntry>& keys);
    virtual int SaveKeyAssignments(int imageNumber);
    virtual int DownloadMacros() { return 0; }
    virtual int WriteSettingsRecord(int32_t v1, int32_t v2, int32_t v3, int32_t v4, int32_t v5);
    virtual void LoadLibraries() {}
    virtual void SetAuxiliaryList(std::vector<CControlUI*> list);
    virtual void FadeStep(int key, bool fast);
    virtual void MarkRingKeys();
    virtual void RotateRing(bool forward);
    virtual void ClearFades();
    virtual void SelectFunctionTab(int page);
    virtual int GetFunctionTab() const { return m_functionTab; }
    virtual void LoadProfileFile() {}
    virtual QString GetProfileName() const { return {}; }
    virtual void SaveProfile() {}
    virtual void SetPageStyle(int style) { m_pageStyle = style; }
    virtual int GetPageStyle() const { return m_pageStyle; }
    // effectWord: effect, brightness, speed, direction from the low byte up; colourWord:
    // multicolour, red, green, blue; extraWord: the 16-bit extra, then the 8-bit extra.
    virtual void SetLightSetting(uint32_t effectWord, uint32_t colourWord, uint32_t extraWord);
    // The device plays the page's light setting anew (the kinds' light threads take it).
    virtual void RefreshLightDisplay() {}
    // A light change as the window's routes make it: the light record takes the setting, the
    // profile stores it, the display follows and the settings go to the device (screenWidth and
    // screenHeight are the window's, taken at start).
    void ApplyLightRecord(const LightSetting& setting, int screenWidth, int screenHeight);
    // The page's lighting panel, or null when its layout has none.
    CLightControlUI* GetLightPanel() const { return m_lightPanel; }
    virtual void SelectKeyListItem(int index) { m_selectedKey = index; }

    // --- IDevicePage ---
    int GetDeviceKind() const override { return m_kind; }
    void SetLightControl(int flag) override { SetStreamEnabled(flag != 0); }
    void SetForeground(int flag) override { m_foreground = flag != 0; }

    // --- IDeviceTabPage ---
    bool IsPrimaryConnected() const override;
    int GetPowerMode() const override { return m_powerMode; }
    bool IsPreviewEnabled() const override { return m_previewEnabled; }
    bool TakePreviewChanged() override { return std::exchange(m_previewChanged, false); }
    void SetDeviceTab(CDeviceOptionUI* tab) override { m_deviceTab = tab; }

    // --- configuration by page creation and the main window ---
    void SetPageLayout(const QString& layout) { m_pageLayout = layout; }
    QString GetPageLayout() const { return m_pageLayout; }
    void SetOwnerWindow(HWND owner) { m_owner = std::move(owner); }
    const HWND& GetOwnerWindow() const { return m_owner; }
    void SetConfigFileStem(const QString& stem) { m_configStem = stem; }
    QString GetConfigFileStem() const { return m_configStem; }
    void SetKindName(const QString& name) { m_kindName = name; }
    QString GetKindName() const { return m_kindName; }
    void SetLightName(const QString& name) { m_lightName = name; }
    QString GetLightName() const { return m_lightName; }
    void SetKeyCount(int count);
    int GetKeyCount() const { return m_keyCount; }
    void SetLightCount(int count);
    int GetLightCount() const { return m_lightCount; }
    void SetPowerMode(int mode);
    void SetPowerWidget(CMpDevicePowerUI* widget);
    CMpDevicePowerUI* GetPowerWidget() const { return m_powerWidget; }
    CDeviceOptionUI* GetDeviceTab() const { return m_deviceTab; }
    void SetDeviceRecord(const DeviceInterfaceEntry& record);
    DeviceInterfaceEntry GetDeviceRecord() const { return m_record; }
    int GetRole() const { return m_role; }
    void SetStreamEnabled(bool enabled) { m_streamEnabled = enabled; }
    bool IsStreamEnabled() const { return m_streamEnabled; }
    void SetPreviewEnabled(bool enabled) { m_previewEnabled = enabled; }
    bool IsForeground() const { return m_foreground; }
    int GetSelectedKey() const { return m_selectedKey; }

    CSelectPanelUI* GetSelectPanel() const { return m_selectPanel; }
    CDeviceKeyButtonUI* GetKeyButton(int index) const;
    CDeviceKeyButtonUI* GetLightButton(int index) const;
    LightSetting GetLightSetting() const;
    // Shows a light colour on a picture's button, marking the picture changed when it is.
    void ShowLight(CDeviceKeyButtonUI* button, const LedColor& colour);
    // A copy of the fade levels, for the light thread's neighbours and tests.
    std::array<uint8_t, kMaxKeyCount> FadeLevels() const;

    // --- data folders ---
    // DefaultData/<kind name>.Json beside the executable.
    std::filesystem::path DefaultDataFile() const;
    // The kind's profile folder under the user's data folder, created when missing. When it
    // cannot be created the path comes back all the same and the file operations on it fail.
    std::filesystem::path UserDataFolder() const;
    // Where the user's data folder is; the environment's by default (tests use a temporary one).
    void SetDataHome(std::filesystem::path dataHome) { m_dataHome = std::move(dataHome); }
    // Where "DefaultData" is; beside the executable by default (tests use a temporary one).
    void SetApplicationFolder(std::filesystem::path folder) {
        m_applicationFolder = std::move(folder);
    }
    // The folder set above, else the executable's.
    std::filesystem::path ApplicationFolder() const;

    // --- the profile bar ("DeviceProfileItem", set up by InitPage) ---
    // The skin's texts for the bar's messages; without it the bar's own resources are used.
    void SetResources(CResourceManager& resources) { m_resources = &resources; }
    // The routes the main window hands this page's notifications to; null without a bar.
    ProfileBarRoutes* ProfileRoutes() const;
    // The current profile's document; empty until the bar named one.
    const std::filesystem::path& CurrentProfilePath() const { return m_profilePath; }
    // Another profile became current: the page takes its document, reloads and refreshes, then
    // writes its settings, macros and key assignments (the kinds hand those writes to their
    // worker). The kinds add what is theirs, such as their key panel, around this sequence.
    virtual void TakeProfile(const std::filesystem::path& profilePath);
    // The current document now holds the defaults: reload, refresh and write as above; the
    // macro write's answer goes to the bar, which shows what the user must know.
    virtual void ReloadResetProfile();
    // Another program (the command line) chose a profile and asks for it to be applied: the
    // bar takes the list as stored now and the selected profile is taken as though chosen in
    // the bar. False when the page has no bar or no device behind it; nothing is written then.
    bool ApplySelectedProfile();

protected:
    // A flow asked for through the driver has ended; on the UI thread. The kinds' flows take
    // their results here.
    virtual void FlowFinished(uint32_t flowId, int32_t result) {
        (void)flowId;
        (void)result;
    }
    // A status record arrived: to the power widget and, as message 3329 with the phone byte,
    // to the owner window. On the UI thread.
    virtual void StatusArrived(const StatusBytes& status);

    // The kinds that write a profile as one flow of their own take its document here.
    void SetCurrentProfilePath(const std::filesystem::path& path) { m_profilePath = path; }

    // Stops and drops the driver. A kind whose flows use its own members calls it first in its
    // destructor, so no flow runs while those members go.
    void StopDriver();

    // The light thread's clock of the blink steps.
    void SetLightClock(MillisecondClock clock) { m_lightClock = std::move(clock); }
    std::mutex& LightLock() const { return m_lightLock; }

    std::vector<CControlUI*> m_auxiliaryLists[3];
    std::vector<KeyAssignmentEntry> m_keyList;

    // Worker thread: only posts to the UI thread. A kind whose driver reports to a sink of its
    // own forwards the common news here.
    void OnFlowDone(uint32_t flowId, int32_t result) override;
    void OnStatusRead(const StatusBytes& status) override;
    // The same news as a sink, for the kinds' own sinks to forward to.
    DriverEventSink& CommonSink() { return *this; }

    // The light colours at once, under one hold of the light lock.
    void SetLightColours(std::span<const LedColor> colours);

private:
    CTabLayoutUI* FindTabLayout(QPointer<CTabLayoutUI>& cache, const QString& name);
    void SetUpProfileBar();
    // The settings write of the profile flows: record 0, value 0, flag 1 and the screen size.
    void WriteProfileSettings();

    std::unique_ptr<DeviceDriver> m_driver;

    QPointer<CSelectPanelUI> m_selectPanel;
    QPointer<CLightControlUI> m_lightPanel;
    QPointer<CDeviceOptionUI> m_deviceTab;
    QPointer<CMpDevicePowerUI> m_powerWidget;
    QPointer<CTabLayoutUI> m_functionSwitch;
    QPointer<CTabLayoutUI> m_keyFunctionSwitch;
    QString m_pageLayout;
    HWND m_owner;
    QString m_configStem;
    QString m_lightName;
    QString m_kindName;
    int m_kind = 0;
    int m_role = 0;
    int m_keyCount = 0;
    int m_lightCount = 0;
    int m_selectedKey = -1;
    int m_functionTab = 1;
    std::vector<QPointer<CDeviceKeyButtonUI>> m_keyButtons;
    std::vector<QPointer<CDeviceKeyButtonUI>> m_lightButtons;

    // The light thread's state; RenderLightFrame and the setters take the lock.
    mutable std::mutex m_lightLock;
    std::vector<LedColor> m_lightColours;
    LightSetting m_lightSetting;
    std::vector<LightSetting> m_perLightSettings;
    BaseLightState m_lightState;
    std::array<uint8_t, kMaxKeyCount> m_fadeLevels{};
    LightRing m_ring{};
    MillisecondClock m_lightClock;

    // Whether the frames rest: counted changes of the colours, the count the last frame was
    // rendered after (UI thread only), and whether the tab's frame chain has stopped.
    std::atomic<std::uint64_t> m_lightChanges{0};
    std::uint64_t m_changesBeforeFrame = 0;
    std::atomic<bool> m_framesResting{false};

    // RenderLightFrame's buffers, reused on every frame (UI thread only).
    std::vector<LedColor> m_frameColours;
    std::array<uint8_t, kFrameBufferSize> m_frame{};

    bool m_streamEnabled = true;
    bool m_previewEnabled = true;
    bool m_previewChanged = true;  // a light button shows a new colour since the last repaint
    bool m_foreground = false;
    bool m_multiDevice = false;
    int m_powerMode = 0;
    DeviceInterfaceEntry m_record;
    int m_pageStyle = 0;
    std::filesystem::path m_dataHome;
    std::filesystem::path m_applicationFolder;

    // The profile bar's routes hold references to the link, the chooser and the bar: they go
    // first, and are never used once the bar is gone.
    CResourceManager* m_resources = nullptr;
    std::filesystem::path m_profilePath;
    QPointer<CDeviceProfileUI> m_profileBar;
    std::unique_ptr<PageProfileLink> m_profileLink;
    std::unique_ptr<IProfileFileChooser> m_profileFiles;
    std::unique_ptr<ProfileBarRoutes> m_profileRoutes;
};

}  // namespace quaro
