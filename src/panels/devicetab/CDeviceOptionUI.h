#pragma once

#include "panels/devicetab/DeviceKindIcons.h"
#include "panels/devicetab/InnerControl.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/COptionUI.h"

#include <QPointer>

namespace quaro {

class IDeviceTabPage;

// A device's tab in the window's device list: its icon and name, the option that selects its
// page, the option that includes it in light synchronisation, and the timers that drive its
// page's periodic work while the device is connected.
class CDeviceOptionUI : public CHorizontalLayoutUI {
public:
    // The page's timers, numbered as the pages start them.
    static constexpr int kTimerFrame = 1000;
    static constexpr int kTimerStart = 1001;
    static constexpr int kTimerPage1002 = 1002;
    static constexpr int kTimerPage1003 = 1003;
    static constexpr int kTimerPage1004 = 1004;
    static constexpr int kTimerStatus = 1005;
    static constexpr int kFramePeriodMs = 5;
    static constexpr int kStartDelayMs = 500;
    static constexpr int kStatusPeriodMs = 5000;

    explicit CDeviceOptionUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("DeviceOption"); }

    void SetKindIcons(int kind, int role);
    int GetKind() const { return m_kind; }
    int GetRole() const { return m_role; }
    // The pictures "device_select" shows, in the current synchronisation state.
    QString GetShownNormalImage();
    QString GetShownSelectedImage();

    void ShowSynchroOption(bool show);
    void SetSynchroSelected(bool selected);
    bool IsSynchroSelected();
    void SetDeviceSelected(bool selected);
    bool IsDeviceSelected();

    // Selecting "device_select" selects index of the window's tab layout called name.
    void BindTab(const QString& tabLayoutName, int index);
    QString GetBoundTabName() const { return m_boundTab; }
    int GetBoundTabIndex() const { return m_boundIndex; }

    // A negative index keeps the stored one.
    void SetPowerContainer(const QString& name, int index);
    QString GetPowerContainer() const { return m_powerContainer; }
    int GetPowerIndex() const { return m_powerIndex; }

    void SetGroup(const QString& group);
    void SetDeviceName(const QString& text);

    // The page is not owned; it outlives its tab.
    void AttachPage(IDeviceTabPage* page);
    IDeviceTabPage* GetPage() const { return m_page; }
    void SetPreviewControl(CControlUI* control);

    // Hides CControlUI::SetVisible on purpose: the window's selection rules count the tabs it
    // showed, whatever the widget's own state.
    void SetVisible(bool visible);
    bool IsShown() const { return m_visible; }

    // The arrival's start: OnStart after 500 ms, then the frame and status chains.
    void StartPageTimers();
    // Runs the arrival's start at once instead of at its timer (a screenshot scene that cannot
    // wait for it). True when the page has started, now or before; false when no start was
    // armed (the page's device has not arrived).
    bool StartNow();
    // The page's colours moved after its frames rested: the frame chain starts again.
    void ResumeFrames();
    void OnTimer(int id) override;

    // The user's click on the tab outside its options.
    bool Activate();

    void DoInit() override;

protected:
    void mousePressEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;

private:
    COptionUI* DeviceSelect();
    COptionUI* SynchroSelect();
    void ApplyDeviceImages();
    void SelectBoundTab();
    bool PageConnected() const;

    QPointer<QWidget> m_preview;
    IDeviceTabPage* m_page = nullptr;
    InnerControl<COptionUI> m_synchroSelect;
    InnerControl<COptionUI> m_deviceSelect;
    InnerControl<CControlUI> m_nameLabel;
    int m_kind = 0;
    int m_role = 0;
    DeviceKindIcons m_icons;
    QString m_powerContainer;
    bool m_visible = true;
    bool m_started = false;
    int m_powerIndex = -1;
    QString m_boundTab;
    int m_boundIndex = -1;
};

}  // namespace quaro
