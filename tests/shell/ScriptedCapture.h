#pragma once

#include "platform/InputCapture.h"

#include <functional>
#include <thread>

namespace quaro::test {

// An input capture driven by the test: its sinks are called from a thread of the test's own, as
// a real capture thread would call them.
class ScriptedCapture : public InputCapture {
public:
    CaptureInstall Install(Sinks sinks) override {
        if (refuse) {
            return CaptureInstall::kNoDisplay;
        }
        m_sinks = std::move(sinks);
        m_installed = true;
        return CaptureInstall::kInstalled;
    }
    void Uninstall() override {
        m_installed = false;
        withheld = false;
    }
    bool IsInstalled() const override { return m_installed; }
    bool WithholdKeys(bool withhold) override {
        withheld = withhold;
        return true;
    }
    void FromOtherThread(const std::function<void(const Sinks&)>& step) {
        std::thread([&] { step(m_sinks); }).join();
    }
    // A key as the capture thread reports it.
    void Key(std::uint16_t virtualKey, std::uint8_t scanCode, bool down) {
        FromOtherThread([&](const Sinks& sinks) {
            if (sinks.key) {
                sinks.key(KeyRecord{virtualKey, scanCode, false, down, 0});
            }
        });
    }

    bool refuse = false;
    bool withheld = false;

private:
    Sinks m_sinks;
    bool m_installed = false;
};

}  // namespace quaro::test
