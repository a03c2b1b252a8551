#pragma once

#include "devices/keyboard/KeyboardDriver.h"
#include "devices/keyboard/KeyboardDriverSink.h"
#include "devices/keyboard/SystemSettings.h"
#include "pages/CKestrovaUSBDevice.h"
#include "pages/KeyAssignmentPage.h"
#include "pages/KeyboardSystemView.h"
#include "pages/LedPageHelper.h"
#include "pages/PageKeyAssignment.h"
#include "panels/keyset/CKeySetControlUI.h"
#include "profiles/CKeyboardProfiledata.h"

#include <chrono>
#include <cstdint>
#include <memory>
#include <vector>

namespace quaro {

class CMacroControlUI;
class SystemSettingsService;

// The keyboard's page: its picture of 126 keys lit by the live preview, the profile bar, the
// lighting panel and the system sub-page. Its driver reads the keyboard when it comes, writes
// profiles as one flow (settings record, macros, key image), runs the light thread whose
// colours the page streams and previews, and reads the settings record again when the keyboard
// says its own settings changed; such a read goes into the profile only when it was read whole.
//
// The repeat delay and speed are the desktop session's, not the keyboard's: they go to the
// SystemSettingsService the window hands the page, and only when the user changes them.
class CKestrovaKeyboardDevice : public CKestrovaUSBDevice, public KeyAssignmentPage {
public:
    static constexpr int kBrightnessMax = 5;
    static constexpr int kSpeedMax = 4;
    static constexpr int kFnKey = 110;
    static constexpr std::uint8_t kCustomColourMode = 17;
    static constexpr int kCustomGroupCount = 4;
    // Where the keyboard keeps the light it plays on its own once the application is gone.
    static constexpr std::uint16_t kHandBackAddress = 25;

    // The three flags of the system sub-page.
    enum class SystemFlag : std::uint8_t { kWinLock, kWFlag, kKey6 };

    explicit CKestrovaKeyboardDevice(QWidget* parent = nullptr);
    ~CKestrovaKeyboardDevice() override;
    QString GetClass() const override { return QStringLiteral("KestrovaKeyboardDevice"); }

    void MakeDriver(std::shared_ptr<HidBackend> backend) override;
    KeyboardDriver* GetKeyboardDriver() const;
    // Where repeat delay and speed go; without one they are traced as not applied.
    void SetSystemSettingsService(SystemSettingsService& service) { m_systemService = &service; }

    // --- the page's operations ---
    void InitPage() override;
    void OnStart() override;
    void OnTimer1002() override;
    int LoadProfile() override;
    int ApplyProfile() override;
    void RefreshPanels() override;
    void LoadLibraries() override;
    void ValidateMacroAssignments() override;
    void ReapplyProfile() override;
    void SaveProfile() override;
    void RefreshLightDisplay() override;
    int WriteSettingsRecord(int32_t recordNumber, int32_t v2, int32_t v3, int32_t v4,
                            int32_t v5) override;
    int DownloadMacros() override;
    int SaveKeyAssignments(int imageNumber) override;
    int WriteKeyAssignments(int imageNumber, const std::vector<KeyAssignmentEntry>& keys) override;
    void RenderLightFrame() override;
    void SelectFunctionTab(int page) override;
    void TakeProfile(const std::filesystem::path& profilePath) override;
    void ReloadResetProfile() override;

    // Back to the factory profile: the current document takes the defaults, the page shows
    // them and the keyboard gets its key image and settings record (no macros).
    bool RestoreDefaults();

    // --- the lighting ---
    // Mode 17 paints keys: with the current colour (bright) or dark (off).
    void SetCustomPaint(bool bright) { m_paintBright = bright; }
    bool IsCustomPaintBright() const { return m_paintBright; }
    // In mode 17 only: the key takes the paint, the colours go into the selected custom group of
    // the profile, which is saved, and the effect starts again with them.
    void PaintKey(int key);
    // The same for every key the picture's band selection touched.
    void PaintBandSelection();
    // Another custom colour group: stored in the profile, its colours played.
    void TakeCustomGroup(int group);
    int GetCustomGroup() const { return m_customGroup; }
    const std::vector<CustomLightColor>& CustomColours() const { return m_customColours; }

    // --- the system sub-page ---
    KeyboardSystemView& SystemView() { return m_systemView; }
    const SystemSettings& GetSystemSettings() const { return m_system; }
    // A flag option changed: stored, saved and written to the keyboard.
    void TakeSystemFlag(SystemFlag flag);
    // Report-rate option n chosen: stored as received, saved and written to the keyboard.
    void TakeReportRate(int n);
    // Repeat-delay option n chosen: stored, saved and handed to the session (not the keyboard).
    void TakeRepeatDelay(int n);
    // The repeat slider moved: its value stored, saved and handed to the session.
    void TakeRepeatRate();

    // The application is ending: the keyboard gets a light it can play on its own (the stored
    // brightness and colour, speed 4), the shutdown notice and the write, on the driver's
    // worker. Waits at most wait for it; false when nothing was written in that time.
    bool HandBackLight(std::chrono::milliseconds wait);

    const CKeyboardProfiledata& Profile() const { return m_profile; }

    // --- the macro editor ("MacroControlItem", given its folder by InitPage) ---
    CMacroControlUI* GetMacroPanel() const { return m_keyAssignment.MacroPanel(); }
    // --- key assignments ---
    PageKeyAssignment& KeyAssignment() override { return m_keyAssignment; }
    CKeySetControlUI* GetKeySetPanel() const { return m_keyAssignment.Panel(); }
    void SelectKeyListItem(int index) override { m_keyAssignment.Select(index); }
    void RefreshKeyAssignmentList() override { m_keyAssignment.RefreshCaptions(); }
    const std::vector<KeyAssignmentEntry>& KeyList() const { return m_keyList; }

protected:
    // A read of the settings record arrived on the UI thread.
    virtual void RecordRead(const KeyboardRecordRead& read);
    // A macro download ended (on the UI thread).
    virtual void MacrosDownloaded(const KeyboardMacroDownload& download);
    void FlowFinished(uint32_t flowId, int32_t result) override;

private:
    class Sink;

    std::vector<MacroEvents> LoadMacros() const;
    // The flow's id, or 0 when the keyboard is not there to take it.
    uint32_t WriteProfileToKeyboard(KeyboardProfileWrite kind);
    void StoreSystemSettings();
    void PlayLight();

    std::unique_ptr<Sink> m_sink;
    CKeyboardProfiledata m_profile;
    LedPageHelper m_led;
    SystemSettings m_system;
    std::vector<CustomLightColor> m_customColours;
    int m_customGroup = 0;
    bool m_paintBright = true;
    SystemSettingsService* m_systemService = nullptr;
    KeyboardSystemView m_systemView;
    PageKeyAssignment m_keyAssignment;
    // The profile flow whose macro answer the profile bar reports (a reset), or 0.
    uint32_t m_resetFlow = 0;
};

}  // namespace quaro
