#include "shell/FallbackInputCapture.h"

#include "platform/Trace.h"

namespace quaro {

FallbackInputCapture::FallbackInputCapture(std::unique_ptr<InputCapture> first,
                                           std::unique_ptr<InputCapture> second)
    : m_first(std::move(first)), m_second(std::move(second)) {}

FallbackInputCapture::~FallbackInputCapture() {
    Uninstall();
}

CaptureInstall FallbackInputCapture::Install(Sinks sinks) {
    if (IsInstalled()) {
        return CaptureInstall::kAlreadyInstalled;
    }
    m_active = nullptr;
    CaptureInstall result = CaptureInstall::kFailed;
    if (m_first) {
        // Kept for the second in case the first refuses.
        result = m_first->Install(sinks);
        if (result == CaptureInstall::kInstalled) {
            m_active = m_first.get();
            return result;
        }
        if (result != CaptureInstall::kNoDisplay && result != CaptureInstall::kNoInputExtension) {
            return result;
        }
        TraceFormat("input capture: %s, taking the window's own events\n",
                    CaptureInstallText(result));
    }
    if (!m_second) {
        return result;
    }
    result = m_second->Install(std::move(sinks));
    if (result == CaptureInstall::kInstalled) {
        m_active = m_second.get();
    }
    return result;
}

void FallbackInputCapture::Uninstall() {
    if (m_active != nullptr) {
        m_active->Uninstall();
        m_active = nullptr;
    }
}

bool FallbackInputCapture::WithholdKeys(bool withhold) {
    return m_active != nullptr ? m_active->WithholdKeys(withhold) : !withhold;
}

}  // namespace quaro
