#pragma once

#include "device/CatalogueEntries.h"
#include "device/Discovery.h"
#include "platform/WorkerThread.h"
#include "shell/CDeviceHook.h"
#include "shell/CTrayIcon.h"
#include "shell/DevicePageSet.h"
#include "shell/HeadsetRoutes.h"
#include "shell/KeyRoutes.h"
#include "shell/KeyboardRoutes.h"
#include "shell/LightRoutes.h"
#include "shell/LightSyncRunner.h"
#include "shell/MacroRoutes.h"
#include "shell/MouseRoutes.h"
#include "ui/Language.h"
#include "ui/SkinChange.h"
#include "ui/toolkit/WindowImplBase.h"

#include <QMenu>
#include <QPointer>

#include <array>
#include <filesystem>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quaro {

class CButtonUI;
class CKestrovaUSBDevice;
class DiscoveryLink;
class HidBackend;
class PointerSettingsApplier;
class SystemSettingsService;

// The application's one top-level window: title bar, tray icon and menus, the device tab strip
// and page area, and the switchboard every notification and window message of the application
// passes through.
class CMainWnd : public WindowImplBase, public SkinChangeReceiver {
public:
    // What the composition root hands the window.
    struct Services {
        std::filesystem::path settingsFolder;
        std::filesystem::path defaultDataFolder;
        // Sends a registered message to every listening process.
        std::function<void(const QString& name, WPARAM wParam, LPARAM lParam)> broadcast;
        // False when the desktop has no tray (yet): then the window never hides into one.
        bool trayAvailable = true;
        // The session's locale; it picks the language on a first start.
        std::string sessionLocale;
        // Where devices are found; without one the window runs no discovery.
        std::shared_ptr<HidBackend> backend;
        DiscoveryOptions discovery = DefaultDiscoveryOptions();
        // Where the device pages keep their profiles; empty: the user's data folder.
        std::filesystem::path dataHome;
        // Where the keyboard's repeat delay and speed go (not owned; outlives the window).
        // Without one they are traced as not applied.
        SystemSettingsService* systemSettings = nullptr;
        // The session's input for key capture and macro recording; without one both are refused
        // (traced) and the window carries on.
        std::function<std::unique_ptr<InputCapture>()> makeInputCapture;
    };
    using SettingsWindowFactory = std::function<WindowImplBase*(CMainWnd& owner)>;

    static constexpr int kThreadSlots = 20;
    static constexpr int kLightSyncSlot = 8;
    static constexpr const char* kProductTitle = "MV5521LUX gaming keyboard";

    CMainWnd(CResourceManager& resources, Services services);
    ~CMainWnd() override;

    QString GetWindowClassName() const override { return QStringLiteral("MainWnd"); }
    QString GetSkinFile() const override { return QStringLiteral("XML_MAIN"); }
    void Notify(TNotifyUI& msg) override;
    CControlUI* CreateControl(const QString& className) override;
    int Receive(SkinChangedParam param) override;

    // Tabs of "device_select_layout" that have a device (shown tabs); first: index of the first.
    int DeviceTabCount(int* first = nullptr) const;
    void SetEditState(bool lockTabs, bool idle);
    bool IsIdle() const { return m_idle; }
    void OpenSettingsWindow(bool centred);
    void SetSettingsWindowFactory(SettingsWindowFactory factory) {
        m_settingsFactory = std::move(factory);
    }
    WindowImplBase* GetSettingsWindow() const { return m_settingsWindow; }
    void ApplyLanguage(int index);
    int GetLanguageIndex() const { return m_languageIndex; }
    int GetLightControl() const { return m_lightControl; }
    bool IsResumed() const { return m_resumed; }
    bool IsInitialised() const { return m_initialised; }
    void Relayout();
    // The application's one way out, as the tray menu's "exit" takes it: the window is
    // destroyed (workers stopped, tray icon removed) and the event loop ends.
    void Exit();
    // A tray appeared after start: the icon is added and from now on the window hides into it.
    void TrayBecameAvailable();
    bool HasTrayIcon() const { return m_tray.IsCreated(); }
    QMenu* GetTrayMenu() const { return m_tray.GetContextMenu(); }

    // Device pages by kind, built as they are first needed and kept for the window's life.
    const std::vector<CKestrovaUSBDevice*>& Mice() const { return m_devices.Mice(); }
    const std::vector<CKestrovaUSBDevice*>& Keyboards() const { return m_devices.Keyboards(); }
    const std::vector<CKestrovaUSBDevice*>& MousePads() const { return m_devices.MousePads(); }
    const std::vector<CKestrovaUSBDevice*>& Headsets() const { return m_devices.Headsets(); }
    DevicePageSet& Devices() { return m_devices; }
    LightSyncRunner& LightSync() { return m_lightSync; }
    KeyboardRoutes& KeyboardRouting() { return m_keyboardRoutes; }
    MacroRoutes& MacroRouting() { return m_macroRoutes; }
    // The one hook of key capture and macro recording.
    CDeviceHook& Hook() { return *m_hook; }
    bool IsKeyCaptureOn() const { return m_keyCapture; }
    MouseRoutes& MouseRouting() { return m_mouseRoutes; }
    // The page of the first selected device tab; null when no device shows.
    CKestrovaUSBDevice* CurrentPage() const { return m_devices.CurrentPage(); }
    // A copy of discovery's slot table; the catalogue's rows before discovery runs.
    std::vector<DeviceInterfaceEntry> SlotTable() const;

    // Starts a worker in one of the window's thread slots; the window stops it on exit.
    void StartWorker(int slot, WorkerThread::Body body);
    // Lets the stored settings be written through a given catalogue (tests).
    const LanguageCatalogue& Languages() const { return m_languages; }

protected:
    void InitWindow() override;
    LRESULT HandleCustomMessage(unsigned message, WPARAM wParam, LPARAM lParam,
                                bool& handled) override;

private:
    void OnWindowInit();
    void OnClick(TNotifyUI& msg);
    void OnTimer(unsigned id);
    void OnTray(LPARAM mouseEvent);
    void OnMenuCommand(WPARAM commandRecord);
    void OnDestroy();
    void OnInstanceMessage(unsigned message, WPARAM wParam, LPARAM lParam);
    void OnDeviceMessage(unsigned message, WPARAM slot);
    void OnSelectChanged(TNotifyUI& msg);
    // A route's message box: the text of a language id, owned by this window.
    void ShowRouteMessage(const char* id);
    void StartDiscovery();
    // A page built after start takes the window's services and flags.
    void ConfigureNewPage(CKestrovaUSBDevice& page);
    void CloseForTabChange();
    void SetLightControl(int flag);
    void UpdateNoDeviceOverlay();
    void CopyLightControlIntoPages(int flag);
    void CopyForegroundIntoPages();
    void HideToTray();
    void CreateTray();
    void RebuildTrayMenu();
    bool ConfirmDefaults();
    // What the macro routes need of the window: message boxes, file dialogs, the edit state and
    // the recording hook.
    MacroRoutes::Host MacroHost();
    void HandBackKeyboardLight();
    // Message 1054: key capture on (1) or off (0).
    void OnKeyCapture(WPARAM on);
    void OnHookDelivery(const HookDelivery& delivery);

    Services m_services;
    LanguageCatalogue m_languages;
    SettingsWindowFactory m_settingsFactory;

    // Title bar controls, found once.
    CControlUI* m_closeButton = nullptr;
    CControlUI* m_maxButton = nullptr;
    CControlUI* m_restoreButton = nullptr;
    CControlUI* m_minButton = nullptr;
    CControlUI* m_skinButton = nullptr;
    CControlUI* m_gameModeButton = nullptr;
    CControlUI* m_cloudButton = nullptr;
    CControlUI* m_smartEyesButton = nullptr;
    CControlUI* m_settingsButton = nullptr;

    CTrayIcon m_tray;
    QPointer<QMenu> m_trayMenu;
    QPointer<QMenu> m_macroActionMenu;
    QPointer<WindowImplBase> m_settingsWindow;

    std::array<std::unique_ptr<WorkerThread>, kThreadSlots> m_workers;

    unsigned m_instanceMessage;
    unsigned m_updateProgressMessage;
    unsigned m_lightAnnounceMessage;
    unsigned m_lightRequestMessage;
    unsigned m_applyProfileMessage;

    DevicePageSet m_devices;
    std::unique_ptr<DiscoveryLink> m_discovery;  // thread slot 0
    LightSyncRunner m_lightSync{m_devices};      // runs on thread slot 8
    LightRoutes m_lightRoutes{m_devices, m_lightSync,
                              [this] { return QSize(m_screenWidth, m_screenHeight); }};
    KeyboardRoutes m_keyboardRoutes{m_devices, [this] { return ConfirmDefaults(); }};
    HeadsetRoutes m_headsetRoutes{m_devices, [this](const char* id) { ShowRouteMessage(id); }};
    MacroRoutes m_macroRoutes{m_devices, MacroHost()};
    KeyRoutes m_keyRoutes{m_devices,
                          [this](bool lockTabs, bool idle) { SetEditState(lockTabs, idle); }};
    MouseRoutes m_mouseRoutes{m_devices, [this](const char* id) { ShowRouteMessage(id); }};
    // The mouse pages' pointer settings reach the session on its thread; joined with the window.
    std::unique_ptr<PointerSettingsApplier> m_pointerApplier;

    int m_languageIndex = -1;
    int m_lightControl = 1;
    int m_active = 0;
    int m_foreground = 0;
    bool m_resumed = true;
    bool m_initialised = false;
    bool m_idle = true;
    bool m_displayChanged = false;
    bool m_exiting = false;
    bool m_keyCapture = false;
    int m_screenWidth = 0;
    int m_screenHeight = 0;
    // Last: it goes first, so no delivery reaches a window half gone.
    std::unique_ptr<CDeviceHook> m_hook{std::make_unique<CDeviceHook>(
        m_services.makeInputCapture ? m_services.makeInputCapture() : nullptr, this,
        [this](const HookDelivery& delivery) { OnHookDelivery(delivery); })};
};

}  // namespace quaro
