#pragma once

#include "devices/mouse/MouseDriver.h"
#include "devices/mouse/MouseDriverSink.h"
#include "pages/CKestrovaUSBDevice.h"
#include "pages/KeyAssignmentPage.h"
#include "pages/LedPageHelper.h"
#include "pages/MouseStageView.h"
#include "pages/MouseSystemView.h"
#include "pages/PageKeyAssignment.h"
#include "panels/shoot/CShootControlUI.h"
#include "profiles/CMouseProfiledata.h"

#include <QPointer>

#include <memory>
#include <vector>

namespace quaro {

class PointerSettingsApplier;

// The mouse's page. A mouse reached through a slow link (kind 6) shares the page of kind 2;
// its channel then waits longer for replies and carries no light frames.
//
// Its driver reads the mouse when it comes (information record and button image), writes the
// settings record (light, report rate, DPI stages, screen size, correction preset), macros and
// buttons, runs the light thread whose colours the page previews and streams, and reads the
// record again when the mouse says its own settings changed; such a read goes into the profile
// only when it was read whole. Every change the user makes is stored in the profile first and
// then written, so a mouse that fails a write never costs the document anything.
class CKestrovaMouseDevice : public CKestrovaUSBDevice, public KeyAssignmentPage {
public:
    static constexpr int kBrightnessMax = 5;
    static constexpr int kSpeedMax = 4;
    static constexpr int kStageCount = MouseStageView::kStageCount;

    explicit CKestrovaMouseDevice(QWidget* parent = nullptr);
    ~CKestrovaMouseDevice() override;
    QString GetClass() const override { return QStringLiteral("KestrovaMouseDevice"); }

    void MakeDriver(std::shared_ptr<HidBackend> backend) override;
    MouseDriver* GetMouseDriver() const;

    bool ConnectDevice(const DeviceInterfaceEntry& slot) override;
    // Besides the base's controls: the shoot panel gets its folders and shows gun 0, bullet 0;
    // the key assignment panel and the macro editor are found.
    void InitPage() override;

    // --- the page's operations ---
    void OnStart() override;
    void OnTimer1002() override;
    // The profile's buttons, stages and system words; the controls follow in RefreshPanels.
    int LoadProfile() override;
    int ApplyProfile() override;
    void RefreshPanels() override;
    void LoadLibraries() override;
    void SaveProfile() override;
    void RefreshLightDisplay() override;
    // Record number, two values the mouse ignores, and the screen size; a size of 0 keeps the
    // one taken at start.
    int WriteSettingsRecord(int32_t recordNumber, int32_t v2, int32_t v3, int32_t screenWidth,
                            int32_t screenHeight) override;
    int DownloadMacros() override;
    int SaveKeyAssignments(int imageNumber) override;
    int WriteKeyAssignments(int imageNumber, const std::vector<KeyAssignmentEntry>& keys) override;
    void ValidateMacroAssignments() override { m_keyAssignment.ValidateMacros(); }
    void RenderLightFrame() override;
    void SelectFunctionTab(int page) override;

    // --- the buttons' assignments ("KeySetControlItem") and the macro editor ---
    PageKeyAssignment& KeyAssignment() override { return m_keyAssignment; }
    CKeySetControlUI* GetKeySetPanel() const { return m_keyAssignment.Panel(); }
    CMacroControlUI* GetMacroPanel() const { return m_keyAssignment.MacroPanel(); }
    // The panel shows the button's records when the key list has it.
    void SelectKeyListItem(int index) override { m_keyAssignment.Select(index); }
    // The picture's button captions: a reassigned button shows what it does now.
    void RefreshKeyAssignmentList() override { m_keyAssignment.RefreshCaptions(); }

    // --- the DPI stages, report rate and settings pages ---
    void SetStageEnabled(int stage, bool on) { m_stageView.SetStageEnabled(stage, on); }
    bool IsStageChecked(int stage) { return m_stageView.IsStageChecked(stage); }
    void SetStageSlider(int stage, int units);
    int GetStageSlider(int stage) { return m_stageView.GetStageSlider(stage); }
    int GetStageEditDpi(int stage) { return m_stageView.GetStageEditDpi(stage); }
    void SelectReportRate(int option) { m_stageView.SelectReportRate(option); }
    void ShowSettingsPage(int page) { m_stageView.ShowSettingsPage(page); }
    MouseStageView& StageView() { return m_stageView; }

    // The user's changes, as the routes hand them over: each is stored in the profile, which is
    // saved, and then the settings record goes to the mouse.
    void TakeStageCheck(int stage);
    void TakeStageSlider(int stage);
    // While a slider is dragged only its edit follows; nothing is stored or written.
    void FollowStageSlider(int stage) { m_stageView.FollowStageSlider(stage); }
    // The edit left: its DPI in whole steps. Ignored while the mouse's step is unknown.
    void TakeStageEdit(int stage);
    void TakeReportRate(int option);

    // What the mouse told at its start (zero until then).
    const MouseInfo& Info() const { return m_info; }
    const std::vector<DpiStage>& Stages() const { return m_stages; }
    const CMouseProfiledata& Profile() const { return m_profile; }

    // Where the pointer settings go; the main window owns it and outlives the page's use of it.
    void SetPointerApplier(PointerSettingsApplier* applier) { m_systemView.SetApplier(applier); }
    MouseSystemView& SystemView() { return m_systemView; }
    const std::vector<KeyAssignmentEntry>& GetKeyList() const { return m_keyList; }
    // The "ShootControlItem" panel, or null when the layout has none.
    CShootControlUI* GetShootPanel() const { return m_shootPanel; }

protected:
    // The driver's news, on the UI thread.
    virtual void StartRead(const MouseStartRead& read);
    virtual void RecordRead(const MouseRecordRead& read);
    void FlowFinished(uint32_t flowId, int32_t result) override {
        m_keyAssignment.FlowFinished(flowId, result);
    }

private:
    class Sink;

    void StoreSystemWords(const MouseSystemWords& words);
    // The stage list reaching at least stage + 1 entries; null for a stage outside 0-4.
    DpiStage* GrowStages(int stage);
    void ShowStages();
    void StoreAndWrite();
    DpiStageRules::Limits Limits() const;

    std::unique_ptr<Sink> m_sink;
    CMouseProfiledata m_profile;
    LedPageHelper m_led;
    MouseInfo m_info;
    std::vector<DpiStage> m_stages;
    MouseSystemWords m_systemWords;
    MouseSystemView m_systemView;
    MouseStageView m_stageView;
    QPointer<CShootControlUI> m_shootPanel;
    std::vector<QPointer<CDeviceKeyButtonUI>> m_previewLeds;
    QPointer<CDeviceKeyButtonUI> m_logo;
    int m_screenWidth = 0;
    int m_screenHeight = 0;
    PageKeyAssignment m_keyAssignment;
};

}  // namespace quaro
