#include "panels/devicetab/CDeviceOptionUI.h"

#include "panels/devicetab/IDeviceTabPage.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CTabLayoutUI.h"
#include "ui/toolkit/CWindowWnd.h"

#include <QIcon>
#include <QMouseEvent>
#include <QStyle>

namespace quaro {

CDeviceOptionUI::CDeviceOptionUI(QWidget* parent)
    : CHorizontalLayoutUI(parent),
      m_synchroSelect(this, QStringLiteral("synchro_device_select")),
      m_deviceSelect(this, QStringLiteral("device_select")),
      m_nameLabel(this, QStringLiteral("device_select_name")),
      m_icons(*DeviceKindIconsFor(-1, 0)) {}

COptionUI* CDeviceOptionUI::DeviceSelect() {
    bool fresh = false;
    COptionUI* option = m_deviceSelect.Get(&fresh);
    if (fresh) {
        QObject::connect(option, &QPushButton::toggled, this, [this](bool checked) {
            // The whole card lights up with its option, which the style sheet alone cannot
            // express.
            setProperty("tabselected", checked);
            style()->unpolish(this);
            style()->polish(this);
            if (checked) {
                SelectBoundTab();
            }
        });
    }
    return option;
}

COptionUI* CDeviceOptionUI::SynchroSelect() {
    bool fresh = false;
    COptionUI* option = m_synchroSelect.Get(&fresh);
    if (fresh) {
        // However the option changes (the user, the window), the icon follows it.
        QObject::connect(option, &QPushButton::toggled, this, [this] { ApplyDeviceImages(); });
    }
    return option;
}

void CDeviceOptionUI::DoInit() {
    CHorizontalLayoutUI::DoInit();
    SynchroSelect();
    // Until the window names the kind, the tab shows the unknown device.
    ApplyDeviceImages();
}

void CDeviceOptionUI::SetKindIcons(int kind, int role) {
    m_kind = kind;
    m_role = role;
    const std::optional<DeviceKindIcons> icons = DeviceKindIconsFor(kind, role);
    if (!icons) {
        return;
    }
    m_icons = *icons;
    if (COptionUI* option = DeviceSelect()) {
        option->SetToolTip(m_icons.toolTip);
    }
    ApplyDeviceImages();
}

QString CDeviceOptionUI::GetShownNormalImage() {
    return IsSynchroSelected() ? m_icons.synchroNormal : m_icons.normal;
}

QString CDeviceOptionUI::GetShownSelectedImage() {
    return IsSynchroSelected() ? m_icons.synchroSelected : m_icons.selected;
}

void CDeviceOptionUI::ApplyDeviceImages() {
    COptionUI* option = DeviceSelect();
    if (option == nullptr) {
        return;
    }
    const QString normal = GetShownNormalImage();
    const QString selected = GetShownSelectedImage();
    CResourceManager* resources = option->GetResourceManager();
    auto picture = [resources](const QString& file) {
        return resources != nullptr ? resources->GetImage(file) : QPixmap(file);
    };
    // The option's icon carries all three pictures; Qt picks the one for the checked and
    // enabled state, so a disabled tab shows the plain picture.
    QIcon icon;
    icon.addPixmap(picture(normal), QIcon::Normal, QIcon::Off);
    icon.addPixmap(picture(selected), QIcon::Normal, QIcon::On);
    icon.addPixmap(picture(normal), QIcon::Disabled, QIcon::Off);
    icon.addPixmap(picture(normal), QIcon::Disabled, QIcon::On);
    option->setIcon(icon);
}

void CDeviceOptionUI::ShowSynchroOption(bool show) {
    if (COptionUI* synchro = SynchroSelect()) {
        synchro->SetVisible(show);
    }
    ApplyDeviceImages();
}

void CDeviceOptionUI::SetSynchroSelected(bool selected) {
    if (COptionUI* synchro = SynchroSelect()) {
        synchro->Selected(selected);
    }
    ApplyDeviceImages();
}

bool CDeviceOptionUI::IsSynchroSelected() {
    COptionUI* synchro = SynchroSelect();
    return synchro != nullptr && synchro->IsSelected();
}

void CDeviceOptionUI::SetDeviceSelected(bool selected) {
    if (COptionUI* option = DeviceSelect()) {
        option->Selected(selected);
    }
}

bool CDeviceOptionUI::IsDeviceSelected() {
    COptionUI* option = DeviceSelect();
    return option != nullptr && option->IsSelected();
}

void CDeviceOptionUI::BindTab(const QString& tabLayoutName, int index) {
    if (DeviceSelect() == nullptr) {
        return;
    }
    m_boundTab = tabLayoutName;
    m_boundIndex = index;
    if (IsDeviceSelected()) {
        SelectBoundTab();
    }
}

void CDeviceOptionUI::SelectBoundTab() {
    CWindowWnd* window = GetManager();
    if (window == nullptr || m_boundTab.isEmpty() || m_boundIndex < 0) {
        return;
    }
    for (QWidget* widget : window->findChildren<QWidget*>(m_boundTab)) {
        if (auto* tabs = dynamic_cast<CTabLayoutUI*>(AsControl(widget))) {
            tabs->SelectItem(m_boundIndex);
            return;
        }
    }
}

void CDeviceOptionUI::SetPowerContainer(const QString& name, int index) {
    m_powerContainer = name;
    if (index >= 0) {
        m_powerIndex = index;
    }
}

void CDeviceOptionUI::SetGroup(const QString& group) {
    if (COptionUI* option = DeviceSelect()) {
        option->SetGroup(group);
    }
}

void CDeviceOptionUI::SetDeviceName(const QString& text) {
    if (CControlUI* label = m_nameLabel.Get()) {
        label->SetText(text);
    }
}

void CDeviceOptionUI::AttachPage(IDeviceTabPage* page) {
    m_page = page;
    if (m_page != nullptr) {
        m_page->SetDeviceTab(this);
    }
}

void CDeviceOptionUI::SetPreviewControl(CControlUI* control) {
    m_preview = control != nullptr ? control->GetWidget() : nullptr;
}

void CDeviceOptionUI::SetVisible(bool visible) {
    m_visible = visible;
    CHorizontalLayoutUI::SetVisible(visible);
}

void CDeviceOptionUI::StartPageTimers() {
    m_started = false;
    SetTimer(kTimerStart, kStartDelayMs);
}

bool CDeviceOptionUI::StartNow() {
    if (!m_started && HasTimer(kTimerStart)) {
        OnTimer(kTimerStart);
    }
    return m_started;
}

void CDeviceOptionUI::ResumeFrames() {
    // Before the start the start timer begins the chain; a running chain needs no second one.
    if (m_page != nullptr && !HasTimer(kTimerFrame) && !HasTimer(kTimerStart) && PageConnected()) {
        SetTimer(kTimerFrame, kFramePeriodMs);
    }
}

bool CDeviceOptionUI::PageConnected() const {
    return m_page != nullptr && m_page->IsPrimaryConnected();
}

void CDeviceOptionUI::OnTimer(int id) {
    switch (id) {
        case kTimerStart:
            KillTimer(kTimerStart);
            if (m_page == nullptr) {
                return;
            }
            m_page->OnStart();
            m_started = true;
            SetTimer(kTimerFrame, kFramePeriodMs);
            if (m_page->GetPowerMode() != 0 && PageConnected()) {
                SetTimer(kTimerStatus, kStatusPeriodMs);
            }
            return;
        case kTimerFrame:
            // One shot at a time: a frame that takes long never queues the next ones behind it,
            // and the chain ends on its own once the device is gone.
            KillTimer(kTimerFrame);
            if (m_page == nullptr) {
                return;
            }
            m_page->RenderLightFrame();
            // Taken on every frame, so a tab selected later does not repaint for old changes.
            if (m_page->TakePreviewChanged() && !m_preview.isNull() && IsDeviceSelected() &&
                m_page->IsPreviewEnabled()) {
                m_preview->update();
            }
            // A picture that stands still and is shown needs no frames until it moves.
            if (PageConnected() && !m_page->RestFrames()) {
                SetTimer(kTimerFrame, kFramePeriodMs);
            }
            return;
        case kTimerPage1002:
        case kTimerPage1003:
        case kTimerPage1004:
            KillTimer(id);
            if (m_page == nullptr) {
                return;
            }
            if (id == kTimerPage1002) {
                m_page->OnTimer1002();
            } else if (id == kTimerPage1003) {
                m_page->OnTimer1003();
            } else {
                m_page->OnTimer1004();
            }
            return;
        case kTimerStatus:
            KillTimer(kTimerStatus);
            if (m_page == nullptr) {
                return;
            }
            m_page->OnStatusTimer();
            if (m_page->GetPowerMode() != 0 && PageConnected()) {
                SetTimer(kTimerStatus, kStatusPeriodMs);
            }
            return;
        default:
            CHorizontalLayoutUI::OnTimer(id);
    }
}

bool CDeviceOptionUI::Activate() {
    if (!isEnabled() || !isVisible()) {
        return false;
    }
    SendNotify(notify::kSelectChanged);
    return true;
}

void CDeviceOptionUI::mousePressEvent(QMouseEvent* event) {
    // Taking the press is what brings the matching release here.
    if (event->button() == Qt::LeftButton) {
        event->accept();
        return;
    }
    CHorizontalLayoutUI::mousePressEvent(event);
}

void CDeviceOptionUI::mouseReleaseEvent(QMouseEvent* event) {
    CHorizontalLayoutUI::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton && rect().contains(event->position().toPoint())) {
        Activate();
    }
}

}  // namespace quaro
