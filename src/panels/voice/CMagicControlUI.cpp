#include "panels/voice/CMagicControlUI.h"

namespace quaro {

CMagicControlUI::CMagicControlUI(QWidget* parent)
    : CHorizontalLayoutUI(parent),
      m_enableOption(this, QStringLiteral("magic_enable_option")),
      m_effectLayout(this, QStringLiteral("magic_option_layout")) {
    m_effectOptions.reserve(kEffectCount);
    for (int n = 1; n <= kEffectCount; ++n) {
        m_effectOptions.emplace_back(this, QStringLiteral("magic_option_%1").arg(n));
    }
}

void CMagicControlUI::SetVoiceChangerOption(bool on) {
    if (COptionUI* option = m_enableOption.Get()) {
        option->Selected(on, false);
    }
    EnableEffectOptions(on);
}

bool CMagicControlUI::GetVoiceChangerOption() {
    COptionUI* option = m_enableOption.Get();
    return option != nullptr && option->IsSelected();
}

void CMagicControlUI::EnableEffectOptions(bool on) {
    if (CControlUI* layout = m_effectLayout.Get()) {
        layout->SetEnabled(on);
    }
}

bool CMagicControlUI::AreEffectOptionsEnabled() {
    CControlUI* layout = m_effectLayout.Get();
    return layout != nullptr && layout->IsEnabled();
}

void CMagicControlUI::SelectEffectOption(int n) {
    for (auto& effect : m_effectOptions) {
        if (COptionUI* option = effect.Get()) {
            option->Selected(false, false);
        }
    }
    if (n < 1 || n > kEffectCount) {
        m_effect = 0;
        return;
    }
    if (COptionUI* option = m_effectOptions[static_cast<std::size_t>(n - 1)].Get()) {
        option->Selected(true, false);
    }
    m_effect = n;
}

}  // namespace quaro
