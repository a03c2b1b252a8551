#pragma once

// The mouse's page in the main window against an emulated mouse on a simulated bus, shared by the
// tests of the page's stages and of its buttons' assignments.

#include "TempDir.h"
#include "WindowFixtures.h"
#include "device/CommandPacket.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "pages/CKestrovaMouseDevice.h"
#include "sim/DeviceEmulator.h"
#include "sim/DeviceFirmware.h"
#include "sim/EmulatorModels.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CSliderUI.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <memory>
#include <span>
#include <string>
#include <vector>

namespace quaro::mousetest {

inline constexpr int kWaitMs = test::kDeviceWaitMs;

inline std::string ReadWhole(const std::filesystem::path& path) {
    return test::ReadFileBytes(path);
}

// A block longer than one packet goes as several packets of the same command.
inline std::vector<int> Collapsed(std::vector<int> commands) {
    commands.erase(std::unique(commands.begin(), commands.end(),
                               [](int a, int b) { return a == b && a == kCmdWriteMemory; }),
                   commands.end());
    return commands;
}

class MousePageInWindow : public test::DeviceInWindow<CKestrovaMouseDevice> {
protected:
    // The window with a mouse plugged in, its page started and its start flow ended.
    void Start() {
        ASSERT_NO_FATAL_FAILURE(OpenWindow());
        ASSERT_NO_FATAL_FAILURE(
            PlugDevice(MouseModel(), kKindMouse, {kCmdLightFrame, kCmdReadStatus, kCmdLinkCheck}));
        ASSERT_TRUE(test::WaitFor([&] { return m_page->Info().dpiStep != 0; }, kWaitMs));
        WaitQuiet();
        m_page->SetStreamEnabled(false);
    }

    // Until every flow asked of the mouse's driver so far has ended: a fault without a reply
    // holds the worker for a whole reply time-out, longer than any quiet spell on the bus.
    void WaitFlows() {
        auto done = std::make_shared<std::atomic<bool>>(false);
        m_page->Driver()->RunFlow([done](DeviceDriver&) {
            done->store(true);
            return 1;
        });
        ASSERT_TRUE(test::WaitFor([&] { return done->load(); }, 2 * kWaitMs));
        QTest::qWait(100);
    }

    static QString Indexed(const char* prefix, int n) {
        return QLatin1String(prefix) + QString::number(n);
    }

    void MoveSlider(int stage, int units) {
        auto* slider = Control<CSliderUI>(Indexed("DPI_slider_", stage));
        ASSERT_NE(slider, nullptr);
        slider->SetValue(units, false);
        Notify(slider, notify::kValueChanged);
    }

    void Check(int stage, bool on) {
        auto* check = Control<COptionUI>(Indexed("DPI_enable_check_", stage));
        ASSERT_NE(check, nullptr);
        check->Selected(on, false);
        Notify(check, notify::kSelectChanged);
    }

    // The mouse's entry of the stored profile as a fresh reader sees it.
    CMouseProfiledata Stored() const {
        CMouseProfiledata stored;
        stored.SetDefaultProfilePath(m_page->Profile().GetDefaultProfilePath());
        stored.SetProfilePath(m_page->Profile().GetProfilePath());
        stored.Load(m_page->Profile().GetProfilePath());
        return stored;
    }

    // The record in force in the mouse's memory.
    MouseSettingsFields InMouse() {
        const std::vector<uint8_t> memory = m_emulator->Firmware().Memory().settings;
        MouseSettingsFields fields;
        const std::size_t at = memory.empty() ? 0 : memory[0] * kMouseSettingsRecordStride;
        EXPECT_GE(memory.size(), at + kMouseSettingsReadSize);
        if (memory.size() >= at + kMouseSettingsReadSize) {
            EXPECT_TRUE(MouseSettingsRecord::Decode(
                std::span<const uint8_t>(memory).subspan(at, kMouseSettingsReadSize), fields));
        }
        return fields;
    }
};
}  // namespace quaro::mousetest
