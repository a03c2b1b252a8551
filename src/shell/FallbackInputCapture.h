#pragma once

#include "platform/InputCapture.h"

#include <memory>

namespace quaro {

// The session's capture where the display server offers one, else a narrower one: when the first
// refuses for want of a display or of its input extension, the second is installed instead.
// Other refusals stand, since the second would hide a fault of the first.
class FallbackInputCapture : public InputCapture {
public:
    FallbackInputCapture(std::unique_ptr<InputCapture> first, std::unique_ptr<InputCapture> second);
    ~FallbackInputCapture() override;

    CaptureInstall Install(Sinks sinks) override;
    void Uninstall() override;
    bool IsInstalled() const override { return m_active != nullptr && m_active->IsInstalled(); }
    bool WithholdKeys(bool withhold) override;

private:
    std::unique_ptr<InputCapture> m_first;
    std::unique_ptr<InputCapture> m_second;
    InputCapture* m_active = nullptr;
};

}  // namespace quaro
