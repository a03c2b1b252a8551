#pragma once

#include "panels/devicetab/InnerControl.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/COptionUI.h"

#include <QString>

#include <vector>

namespace quaro {

// The headset's voice changer panel: its switch and the four effects, whose options are enabled
// only while the voice changer is on. A thin view like the voice panel.
class CMagicControlUI : public CHorizontalLayoutUI {
public:
    static constexpr int kEffectCount = 4;

    explicit CMagicControlUI(QWidget* parent = nullptr);
    QString GetClass() const override { return QStringLiteral("MagicControl"); }

    // Selects the switch silently and enables the effects to match.
    void SetVoiceChangerOption(bool on);
    bool GetVoiceChangerOption();
    void EnableEffectOptions(bool on);
    bool AreEffectOptionsEnabled();
    // Selects effect n (1-4) alone, silently; any other n leaves all clear and keeps 0.
    void SelectEffectOption(int n);
    int GetEffectOption() const { return m_effect; }

private:
    InnerControl<COptionUI> m_enableOption;
    InnerControl<CControlUI> m_effectLayout;
    std::vector<InnerControl<COptionUI>> m_effectOptions;
    int m_effect = 0;
};

}  // namespace quaro
