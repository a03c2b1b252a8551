#include "shell/CMainWnd.h"

#include "pages/CKestrovaKeyboardDevice.h"
#include "pages/CKestrovaMouseDevice.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "panels/profile/ProfileBarRoutes.h"
#include "platform/PointerSettingsApplier.h"
#include "platform/Trace.h"
#include "shell/ApplyProfileRequest.h"
#include "shell/CSkinFrame.h"
#include "shell/DiscoveryLink.h"
#include "shell/MainWindowResources.h"
#include "ui/CMsgWnd.h"
#include "ui/MainMessages.h"
#include "ui/MessageTexts.h"
#include "ui/RegisteredMessages.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CControlFactory.h"
#include "ui/toolkit/CMenuWnd.h"
#include "ui/toolkit/CResourceManager.h"

#include <QApplication>
#include <QCursor>
#include <QScreen>
#include <QStyle>

namespace quaro {
namespace {

constexpr QSize kMainWindowSize(1350, 810);
constexpr int kTrayMenuLift = 50;
const QString kMacroActionMenuFile = QStringLiteral("XML/Menus/macro_action_menu.xml");
const QString kLightOnText = QStringLiteral("控制灯光");
const QString kLightOffText = QStringLiteral("不控制灯光");

template <class T>
CControlUI* Make() {
    return new T;
}

// Tags of the main window's layouts and what they become: a class of the control registry, a
// class only the main window makes (the keyboard and mouse pages), or a layout fragment.
struct OwnControl {
    const char* tag;
    const char* registered;
    CControlUI* (*make)();
    const char* fragment;
};
constexpr OwnControl kOwnControls[] = {
    {"CircleProgress", "CCircleProgressUI", nullptr, nullptr},
    {"SelectPanel", "CSelectPanelUI", nullptr, nullptr},
    {"DeviceKeyButton", "CDeviceKeyButtonUI", nullptr, nullptr},
    {"HandImgButton", "CHandImgButtonUI", nullptr, nullptr},
    {"HandImgSelectButton", "CHandImgSelectButtonUI", nullptr, nullptr},
    {"RedioMacroButton", "CRedioMacroButtonUI", nullptr, nullptr},
    {"ComboEditContainerElement", "CComboEditContainerElementUI", nullptr, nullptr},
    {"KestrovaMousePadDevice", "CKestrovaMousePadDevice", nullptr, nullptr},
    {"KestrovaHS6533Device", "CKestrovaHS6533Device", nullptr, nullptr},
    {"KestrovaMouseDevice", nullptr, &Make<CKestrovaMouseDevice>, nullptr},
    {"KestrovaKeyboardDevice", nullptr, &Make<CKestrovaKeyboardDevice>, nullptr},
    {"DeviceProfile", "CDeviceProfileUI", nullptr, nullptr},
    {"LightControl", "CLightControlUI", nullptr, nullptr},
    {"MagicControl", "CMagicControlUI", nullptr, nullptr},
    {"Voice6533Control", "CVoice6533ControlUI", nullptr, nullptr},
    {"KeySetControl", "CKeySetControlUI", nullptr, nullptr},
    {"MacroControl", "CMacroControlUI", nullptr, nullptr},
    {"ShootControl", "CShootControlUI", nullptr, nullptr},
    // The device tab and power widget fragments' own tags.
    {"DeviceOption", "CDeviceOptionUI", nullptr, nullptr},
    {"MpDevicePower", "CMpDevicePowerUI", nullptr, nullptr},
    {"DeviceProfileUI", nullptr, nullptr, "XML/CustomControlXML/DeviceProfile.xml"},
    {"LightSetControlUI", nullptr, nullptr, "XML/CustomControlXML/LightControl.xml"},
    {"Voice6533SetControlUI", nullptr, nullptr, "XML/CustomControlXML/Voice6533Control.xml"},
    {"MagicSetControlUI", nullptr, nullptr, "XML/CustomControlXML/MagicControl.xml"},
    {"KeySetControlUI", nullptr, nullptr, "XML/CustomControlXML/KeySetControl.xml"},
    {"MacroSetControlUI", nullptr, nullptr, "XML/CustomControlXML/MacroControl.xml"},
    {"ShootKeySetControlUI", nullptr, nullptr, "XML/CustomControlXML/ShootControl.xml"},
};

bool NameIs(const CControlUI* control, const char* name) {
    return control != nullptr &&
           control->GetName().compare(QLatin1String(name), Qt::CaseInsensitive) == 0;
}

}  // namespace

CMainWnd::CMainWnd(CResourceManager& resources, Services services)
    : WindowImplBase(resources),
      m_services(std::move(services)),
      m_languages(m_services.defaultDataFolder, m_services.settingsFolder,
                  m_services.sessionLocale),
      m_instanceMessage(RegisterWindowMessage(registered::kInstanceMessage)),
      m_updateProgressMessage(RegisterWindowMessage(registered::kUpdateProgress)),
      m_lightAnnounceMessage(RegisterWindowMessage(registered::kLightAnnounce)),
      m_lightRequestMessage(RegisterWindowMessage(registered::kLightRequest)),
      m_applyProfileMessage(RegisterWindowMessage(registered::kApplyProfile)),
      m_devices(DevicePageSet::Host{
          .findControl = [this](const QString& name) { return FindControl(name); },
          .builder = this,
          .resources = &resources,
          .owner = GetHWND(),
          .backend = m_services.backend,
          .dataHome = m_services.dataHome,
          .configFileStem = QStringLiteral("main"),
          .selectedTabLeaving = [this] { CloseForTabChange(); },
          .pageBuilt = [this](CKestrovaUSBDevice& page) { ConfigureNewPage(page); },
      }) {}

CMainWnd::~CMainWnd() {
    if (m_discovery) {
        m_discovery->Stop();
    }
    // Workers still running (the window went without the exit sequence) end before their owner.
    for (auto& worker : m_workers) {
        if (worker) {
            worker->Stop();
        }
    }
    // The pages outlive the window's members: they must not hold on to the applier, which
    // applies what still waits and joins its thread here.
    for (CKestrovaUSBDevice* page : Mice()) {
        if (auto* mouse = dynamic_cast<CKestrovaMouseDevice*>(page)) {
            mouse->SetPointerApplier(nullptr);
        }
    }
    m_pointerApplier.reset();
    Resources().SetTextQueryInterface({});
}

void CMainWnd::InitWindow() {
    Trace("InitWindow");
    // The window answers no text itself, so every text comes from the language file.
    Resources().SetTextQueryInterface([](const QString&) { return QString(); });
    Resources().LoadLanguage(QStringLiteral("lan_cn.xml"));
    // The first layout measures every text on show. Resolving them already in the language the
    // user chose (applied in full once the window is up) spares a window in another language a
    // face for a script it never shows: a CJK face keeps megabytes of its file resident.
    const std::string chosenFile = m_languages.StoredEntry().file;
    if (!chosenFile.empty() && Resources().LoadLanguage(QString::fromStdString(chosenFile))) {
        Resources().ReloadText();
    }
    GetSkinChangeObserver().AddReceiver(this);

    m_closeButton = FindControl(QStringLiteral("closebtn"));
    m_maxButton = FindControl(QStringLiteral("maxbtn"));
    m_restoreButton = FindControl(QStringLiteral("restorebtn"));
    m_minButton = FindControl(QStringLiteral("minbtn"));
    m_skinButton = FindControl(QStringLiteral("skinbtn"));
    m_gameModeButton = FindControl(QStringLiteral("gamemodebtn"));
    m_cloudButton = FindControl(QStringLiteral("cloudbtn"));
    m_smartEyesButton = FindControl(QStringLiteral("smarteyesbtn"));
    m_settingsButton = FindControl(QStringLiteral("setbtn"));

    // A change of the screen's resolution arrives as the display-change message.
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        QObject::connect(screen, &QScreen::geometryChanged, this,
                         [this] { PostMessage(msg::kWmDisplayChange, 0, 0); });
    }

    setWindowIcon(QIcon(Resources().GetFilePath(kLogoFile)));
    if (m_services.trayAvailable) {
        CreateTray();
    }
}

void CMainWnd::Exit() {
    m_exiting = true;
    Close(0);
}

void CMainWnd::Notify(TNotifyUI& msg) {
    const QString senderName = msg.pSender != nullptr ? msg.pSender->GetName() : QString();
    if (msg.sType != notify::kTimer) {
        TraceFormat("%s %s", msg.sType.toUtf8().constData(), senderName.toUtf8().constData());
    }
    // The current page's profile bar takes its own controls' notifications.
    if (CKestrovaUSBDevice* page = CurrentPage()) {
        if (ProfileBarRoutes* routes = page->ProfileRoutes(); routes != nullptr) {
            if (routes->Dispatch(msg)) {
                return;
            }
        }
    }
    if (m_lightRoutes.Dispatch(msg)) {
        return;
    }
    if (m_keyboardRoutes.Dispatch(msg) || m_keyRoutes.Dispatch(msg) ||
        m_mouseRoutes.Dispatch(msg) || m_headsetRoutes.Dispatch(msg)) {
        return;
    }
    if (m_macroRoutes.Dispatch(msg)) {
        return;
    }
    if (msg.sType == notify::kWindowInit) {
        OnWindowInit();
    } else if (msg.sType == notify::kWindowSize) {
        if (NameIs(msg.pSender, "root") && m_displayChanged) {
            m_displayChanged = false;
            Relayout();
        }
    } else if (msg.sType == notify::kClick) {
        OnClick(msg);
    } else if (msg.sType == notify::kSelectChanged) {
        OnSelectChanged(msg);
    } else if (msg.sType == notify::kItemActivate) {
        if (NameIs(msg.pSender, "macro_action")) {
            if (m_macroActionMenu) {
                m_macroActionMenu->close();
            }
            m_macroActionMenu =
                CMenuWnd::Init(kMacroActionMenuFile, QCursor::pos(), this, Resources());
        }
    } else if (msg.sType == notify::kSetFocus) {
        if (NameIs(msg.pSender, "keyset_keyboard_text_edit")) {
            SendMessage(mainmsg::kKeyCapture, 1, 0);
        }
    } else if (msg.sType == notify::kKillFocus) {
        if (NameIs(msg.pSender, "keyset_keyboard_text_edit")) {
            SendMessage(mainmsg::kKeyCapture, 0, 0);
        }
    }
    // Selection, value, item and edit routes arrive with the device pages and their panels.
}

void CMainWnd::ShowRouteMessage(const char* id) {
    CMsgWnd::ShowMessage(Resources(), this, QString(), QLatin1String(id));
}

void CMainWnd::OnWindowInit() {
    // Discovery's first scan runs while the window applies its language and settles; what it
    // finds reaches the window as messages, handled once this notification is done.
    StartDiscovery();
    if (m_services.broadcast) {
        m_services.broadcast(registered::kLightAnnounce, 1, 1);
    }
    ApplyLanguage(m_languages.ReadStoredLanguage());
    // The device pages are built as their devices arrive (ConfigureNewPage gives each what the
    // window holds by then), not here: an arrival then waits for its own page only.
    if (m_services.systemSettings != nullptr) {
        m_pointerApplier = std::make_unique<PointerSettingsApplier>(*m_services.systemSettings);
    }
    if (QScreen* screen = QGuiApplication::primaryScreen()) {
        m_screenWidth = screen->size().width();
        m_screenHeight = screen->size().height();
    }
    UpdateNoDeviceOverlay();
    // The application lives in the tray; without one the window stays on screen.
    if (m_services.trayAvailable) {
        HideToTray();
    }
    SetTimer(mainmsg::kTimerRelayout, 100);
    m_initialised = true;
}

void CMainWnd::CloseForTabChange() {
    if (m_macroActionMenu) {
        m_macroActionMenu->close();
    }
    if (m_trayMenu) {
        m_trayMenu->close();
    }
    if (m_keyCapture) {
        SendMessage(mainmsg::kKeyCapture, 0, 0);
        SetEditState(false, m_idle);
    }
}

void CMainWnd::OnSelectChanged(TNotifyUI& msg) {
    if (NameIs(msg.pSender, "device_select")) {
        for (QWidget* widget = msg.pSender->GetWidget(); widget != nullptr;
             widget = widget->parentWidget()) {
            if (auto* tab = dynamic_cast<CDeviceOptionUI*>(AsControl(widget))) {
                m_devices.TabChosen(tab);
                return;
            }
        }
    }
}

void CMainWnd::OnClick(TNotifyUI& msg) {
    CControlUI* sender = msg.pSender;
    if (NameIs(sender, "closebtn")) {
        if (m_settingsWindow) {
            m_settingsWindow->Close(0);
        }
        HideToTray();
    } else if (NameIs(sender, "nodevice_ok_btn")) {
        HideToTray();
    } else if (NameIs(sender, "control_light_status")) {
        const int flag = m_lightControl == 1 ? 0 : 1;
        if (m_services.broadcast) {
            m_services.broadcast(registered::kLightAnnounce, 1, flag);
        }
        SetLightControl(flag);
    } else if (sender != nullptr && sender == m_minButton) {
        SendMessage(msg::kWmSysCommand, msg::kScMinimize, 0);
    } else if (sender != nullptr && sender == m_maxButton) {
        SendMessage(msg::kWmSysCommand, msg::kScMaximize, 0);
    } else if (sender != nullptr && sender == m_restoreButton) {
        SendMessage(msg::kWmSysCommand, msg::kScRestore, 0);
    } else if (sender != nullptr && sender == m_skinButton) {
        CSkinFrame::Open(Resources(), this, m_skinButton, m_services.settingsFolder);
    } else if (sender != nullptr && sender == m_settingsButton) {
        OpenSettingsWindow(false);
    }
}

void CMainWnd::SetLightControl(int flag) {
    m_lightControl = flag;
    if (CControlUI* status = FindControl(QStringLiteral("control_light_status"))) {
        status->SetResourceText(true);
        status->SetText(flag == 1 ? kLightOnText : kLightOffText);
        status->GetWidget()->setProperty("lightoff", flag == 0);
        status->GetWidget()->style()->unpolish(status->GetWidget());
        status->GetWidget()->style()->polish(status->GetWidget());
    }
    CopyLightControlIntoPages(flag);
}

void CMainWnd::CopyLightControlIntoPages(int flag) {
    for (const auto* list : {&Keyboards(), &Mice(), &MousePads()}) {
        for (CKestrovaUSBDevice* page : *list) {
            page->SetLightControl(flag);
        }
    }
}

void CMainWnd::CopyForegroundIntoPages() {
    for (const auto* list : {&Keyboards(), &Mice(), &MousePads()}) {
        for (CKestrovaUSBDevice* page : *list) {
            page->SetForeground(m_foreground);
        }
    }
}

int CMainWnd::DeviceTabCount(int* first) const {
    return m_devices.ShownTabCount(first);
}

void CMainWnd::UpdateNoDeviceOverlay() {
    if (CControlUI* overlay = FindControl(QStringLiteral("No_device_Link"))) {
        overlay->SetVisible(DeviceTabCount() == 0);
    }
}

void CMainWnd::SetEditState(bool lockTabs, bool idle) {
    m_idle = idle;
    if (lockTabs) {
        if (CControlUI* tabs = FindControl(QStringLiteral("device_select_layout"))) {
            tabs->SetEnabled(idle);
        }
        if (CControlUI* profiles = FindControl(QStringLiteral("device_profile_layout"))) {
            profiles->SetEnabled(idle);
        }
    }
    for (const char* name : {"key_butt_keysave", "key_butt_keydefalut", "key_butt_keycancel"}) {
        if (CControlUI* button = FindControl(QLatin1String(name))) {
            button->SetEnabled(!idle);
        }
    }
}

void CMainWnd::OpenSettingsWindow(bool centred) {
    if (m_settingsWindow || !m_settingsFactory) {
        return;
    }
    WindowImplBase* window = m_settingsFactory(*this);
    if (window == nullptr) {
        return;
    }
    m_settingsWindow = window;
    window->SetDpi(GetDpi());
    if (centred) {
        window->CenterWindow();
    } else {
        const int scale = GetDpi();
        const QRect frame = frameGeometry();
        window->move(frame.right() - 30 * scale / 96 - window->width(),
                     frame.top() + 60 * scale / 96);
    }
    window->ShowModal();
    m_settingsWindow = nullptr;
}

void CMainWnd::ApplyLanguage(int index) {
    if (index == m_languageIndex) {
        return;
    }
    const QString face = LanguageCatalogue::FontFaceForSwitch(m_languageIndex, index);
    if (!face.isEmpty()) {
        LanguageCatalogue::ApplyFontSet(Resources(), face);
    }
    m_languageIndex = index;
    const LanguageEntry entry = m_languages.EntryAt(index);
    Resources().SetLanguage(QString::fromStdString(entry.name));
    Resources().LoadLanguage(QString::fromStdString(entry.file));
    Resources().ReloadText();
    m_languages.StoreLanguage(entry.id);
    if (m_tray.IsCreated()) {
        RebuildTrayMenu();
    }
    update();
    if (m_settingsWindow) {
        m_settingsWindow->SendMessage(mainmsg::kApplyLanguage, 0, 0);
    }
}

void CMainWnd::Relayout() {
    const bool visible = isVisible() && !isMinimized();
    // A minimised window is restored so it can take its size; a hidden one is sized unseen
    // rather than flashed on screen.
    if (isMinimized()) {
        SystemCommand(msg::kScRestore);
    }
    SetDpi(96);
    // The fixed size where the screen has room for it, scaled down where it has not (never below
    // what the content needs), inside the screen's available area so the title bar and the
    // status line stay reachable.
    setGeometry(FitIntoArea(kMainWindowSize, AvailableArea()));
    CenterWindow();
    setVisible(visible);
}

int CMainWnd::Receive(SkinChangedParam param) {
    CControlUI* root = FindControl(QStringLiteral("root"));
    if (root == nullptr) {
        return 0;
    }
    if (param.bColor) {
        root->SetBkColor(param.bkcolor);
        root->SetBkImage(QString());
    } else {
        root->SetBkColor(0);
        root->SetBkImage(param.bgimage);
    }
    return 1;
}

CControlUI* CMainWnd::CreateControl(const QString& className) {
    for (const OwnControl& own : kOwnControls) {
        if (className.compare(QLatin1String(own.tag), Qt::CaseInsensitive) != 0) {
            continue;
        }
        if (own.registered != nullptr) {
            return CControlFactory::GetInstance().CreateControl(QLatin1String(own.registered));
        }
        if (own.make != nullptr) {
            return own.make();
        }
        CDialogBuilder builder;
        // The fragment's own tags (its root among them) are the window's classes too.
        return builder.Create(QLatin1String(own.fragment), Resources(), this);
    }
    return nullptr;
}

void CMainWnd::StartWorker(int slot, WorkerThread::Body body) {
    if (slot < 0 || slot >= kThreadSlots) {
        return;
    }
    if (!m_workers[slot]) {
        m_workers[slot] = std::make_unique<WorkerThread>(WorkerThread::kWindowTexts);
    }
    m_workers[slot]->Start(std::move(body));
}

LRESULT CMainWnd::HandleCustomMessage(unsigned message, WPARAM wParam, LPARAM lParam,
                                      bool& handled) {
    handled = false;
    if (message == msg::kWmActivate) {
        m_active = m_foreground = wParam != msg::kWaInactive ? 1 : 0;
        CopyForegroundIntoPages();
        return 0;
    }
    if (message == msg::kWmMouseLeave || message == msg::kWmMouseHover) {
        const bool leaving = message == msg::kWmMouseLeave;
        Trace(leaving ? "鼠标移出" : "鼠标移入");
        if (m_active == 0) {
            m_foreground = leaving ? 0 : 1;
            CopyForegroundIntoPages();
        }
        return 0;
    }
    if (message == m_instanceMessage) {
        OnInstanceMessage(message, wParam, lParam);
        return 0;
    }
    if (message == m_updateProgressMessage) {
        if (m_settingsWindow) {
            m_settingsWindow->PostMessage(message, wParam, lParam);
        }
        return 0;
    }
    if (message == m_lightRequestMessage) {
        if (wParam == 1 && (lParam == 0 || lParam == 1)) {
            SetLightControl(static_cast<int>(lParam));
        }
        return 0;
    }
    if (message == m_applyProfileMessage) {
        ApplyRequestedProfile(m_devices, wParam);
        return 0;
    }
    if (message == msg::kWmClose) {
        // Only the tray menu's exit ends the application while a tray can bring it back;
        // the window system's close just puts it away.
        if (!m_exiting && m_services.trayAvailable) {
            HideToTray();
            handled = true;
        }
        return 0;
    }
    if (message == msg::kWmDestroy) {
        OnDestroy();
        handled = true;
        return 0;
    }
    if (message == msg::kWmPowerBroadcast) {
        if (wParam == msg::kPbtApmResumeAutomatic) {
            m_resumed = true;
            CopyLightControlIntoPages(m_lightControl);
        } else if (wParam == msg::kPbtApmSuspend) {
            m_resumed = false;
            CopyLightControlIntoPages(0);
        }
        return 0;
    }
    if (!m_resumed) {
        return 0;
    }
    switch (message) {
        case msg::kWmDisplayChange:
            Trace("显示器分辨率发生变化");
            m_displayChanged = true;
            Relayout();
            break;
        case msg::kWmTimer:
            OnTimer(static_cast<unsigned>(wParam));
            break;
        case msg::kWmDpiChanged:
            SetDpi(static_cast<int>(wParam & 0xFFFF));
            CenterWindow();
            update();
            Trace("界面 DPI 发生变化");
            break;
        case mainmsg::kTrayCallback:
            OnTray(lParam);
            break;
        case mainmsg::kKeyCapture:
            OnKeyCapture(wParam);
            break;
        case mainmsg::kDeviceArrival:
        case mainmsg::kDeviceRemoval:
            OnDeviceMessage(message, wParam);
            break;
        case kMenuCommandMessage:
            OnMenuCommand(wParam);
            handled = true;
            break;
        case mainmsg::kDpiNotice:
            Trace("界面 DPI 1发生变化");
            break;
        case mainmsg::kShowSettingProgress:
            if (CControlUI* progress = FindControl(QStringLiteral("setting_progress"))) {
                progress->SetVisible(true);
            }
            break;
        case mainmsg::kApplyLanguage:
            ApplyLanguage(static_cast<int>(wParam));
            for (const auto* list : {&Mice(), &Keyboards()}) {
                for (CKestrovaUSBDevice* page : *list) {
                    page->RefreshKeyAssignmentList();
                }
            }
            break;
        case mainmsg::kOpenSettings:
            OpenSettingsWindow(true);
            break;
        case mainmsg::kClearUpdateIndicator:
            if (m_settingsButton != nullptr) {
                m_settingsButton->SetForeImage(QString());
            }
            break;
        default:
            break;
    }
    return 0;
}

void CMainWnd::OnInstanceMessage(unsigned message, WPARAM wParam, LPARAM lParam) {
    TraceFormat("软件标示 %d，%xd%xd", message, static_cast<unsigned>(wParam),
                static_cast<unsigned>(lParam));
    UpdateNoDeviceOverlay();
    SendMessage(msg::kWmSysCommand, msg::kScRestore, 0);
    RaiseToFront();
}

void CMainWnd::OnTimer(unsigned id) {
    KillTimer(id);
    if (id == mainmsg::kTimerRelayout) {
        Relayout();
        update();
    } else if (id == mainmsg::kTimerTrayMenu) {
        if (m_trayMenu) {
            m_trayMenu->close();
        }
        m_trayMenu = CMenuWnd::Init(kTrayMenuFile, QCursor::pos() - QPoint(0, kTrayMenuLift), this,
                                    Resources());
    }
}

void CMainWnd::OnDestroy() {
    m_tray.DeleteTrayIcon();
    Trace("退出测试");
    hide();
    for (auto& worker : m_workers) {
        if (worker) {
            worker->Signal();
        }
    }
    if (m_discovery) {
        m_discovery->Stop();
    }
    for (auto& worker : m_workers) {
        if (worker) {
            worker->Stop();
        }
    }
    QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
    HandBackKeyboardLight();
}

void CMainWnd::HandBackKeyboardLight() {
    if (Keyboards().empty()) {
        return;
    }
    // The keyboard keeps a light of its own once nothing streams to it. A keyboard that does
    // not answer costs the exit one reply time-out, no more.
    if (auto* keyboard = dynamic_cast<CKestrovaKeyboardDevice*>(Keyboards().front())) {
        keyboard->HandBackLight(std::chrono::milliseconds(CommandChannel::kTimeoutMs));
    }
}

bool CMainWnd::ConfirmDefaults() {
    return CMsgWnd::ShowMessage(Resources(), this, QString(),
                                QLatin1String(msgtext::kConfirmRestoreDefaults), GetDpi(), true,
                                1) == 1;
}

}  // namespace quaro
