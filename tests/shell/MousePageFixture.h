#pragma once

// The mouse's page in the main window against an emulated mouse on a simulated bus, shared by the
// tests of the page's stages and of its buttons' assignments.

#include "RegisteredControls.h"
#include "TempDir.h"
#include "device/CommandPacket.h"
#include "device/SimHidBackend.h"
#include "devices/mouse/MouseSettingsRecord.h"
#include "pages/CKestrovaMouseDevice.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "platform/RecordingSystemSettings.h"
#include "shell/CMainWnd.h"
#include "sim/DeviceEmulator.h"
#include "sim/DeviceFirmware.h"
#include "sim/EmulatorModels.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CSliderUI.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <fstream>
#include <iterator>
#include <memory>
#include <mutex>
#include <span>

namespace quaro::mousetest {

inline constexpr int kWaitMs = 8000;

inline std::string ReadWhole(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    return {std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>()};
}

// The command packets the mouse received, light frames, link checks and power status left out.
// Shared with the emulator's threads, which may still report after a test body ends.
struct Received {
    std::mutex mutex;
    std::vector<Packet> packets;

    std::vector<Packet> Packets() {
        std::lock_guard lock(mutex);
        return packets;
    }
    std::vector<int> Commands() {
        std::vector<int> commands;
        for (const Packet& packet : Packets()) {
            commands.push_back(packet[kPacketCommand]);
        }
        return commands;
    }
    void Clear() {
        std::lock_guard lock(mutex);
        packets.clear();
    }
};

// A block longer than one packet goes as several packets of the same command.
inline std::vector<int> Collapsed(std::vector<int> commands) {
    commands.erase(std::unique(commands.begin(), commands.end(),
                               [](int a, int b) { return a == b && a == kCmdWriteMemory; }),
                   commands.end());
    return commands;
}

class MousePageInWindow : public ::testing::Test {
protected:
    MousePageInWindow() {
        test::RegisterApplicationControls();
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadResource(QStringLiteral("res.xml"));
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
    }
    ~MousePageInWindow() override {
        m_window.reset();
        m_emulator.reset();
    }

    void OpenWindow() {
        CMainWnd::Services services;
        services.settingsFolder = m_dir / "config";
        services.defaultDataFolder = test::SourceDefaultDataFolder();
        services.backend = std::make_shared<SimHidBackend>(m_bus.Path());
        services.discovery.watchHidraw = false;
        services.discovery.simBusFolder = m_bus.Path();
        services.dataHome = m_dir / "data";
        services.systemSettings = &m_session;
        m_window = std::make_unique<CMainWnd>(m_resources, services);
        m_window->Create(QStringLiteral("main"), Qt::Window | Qt::FramelessWindowHint);
        m_window->show();
        ASSERT_TRUE(test::WaitFor([&] { return m_window->IsInitialised(); }));
    }

    // The window with a mouse plugged in, its page started and its start flow ended.
    void Start() {
        OpenWindow();
        m_emulator = std::make_unique<DeviceEmulator>(MouseModel(), m_bus.Path());
        m_emulator->SetPacketObserver([received = m_received](DeviceEmulator::Direction direction,
                                                              uint16_t,
                                                              std::span<const uint8_t> report) {
            if (direction != DeviceEmulator::Direction::kReceived || report.size() != kPacketSize ||
                report[kPacketCommand] == kCmdLightFrame ||
                report[kPacketCommand] == kCmdReadStatus ||
                report[kPacketCommand] == kCmdLinkCheck) {
                return;
            }
            std::lock_guard lock(received->mutex);
            received->packets.emplace_back();
            std::copy(report.begin(), report.end(), received->packets.back().begin());
        });
        ASSERT_TRUE(m_emulator->Plug());
        ASSERT_TRUE(test::WaitFor(
            [&] {
                m_page = dynamic_cast<CKestrovaMouseDevice*>(
                    m_window->Devices().FirstPageOfKind(kKindMouse));
                return m_page != nullptr && m_page->GetDeviceTab() != nullptr &&
                       m_page->GetDeviceTab()->IsShown();
            },
            kWaitMs));
        ASSERT_TRUE(test::WaitFor([&] { return m_page->Info().dpiStep != 0; }, kWaitMs));
        WaitQuiet();
        m_page->SetStreamEnabled(false);
    }

    // Until the mouse heard nothing new for a while.
    void WaitQuiet() {
        std::size_t seen = m_received->Packets().size();
        for (int round = 0; round < 40; ++round) {
            QTest::qWait(250);
            const std::size_t now = m_received->Packets().size();
            if (now == seen) {
                return;
            }
            seen = now;
        }
    }

    template <class T>
    T* Control(const QString& name) const {
        return dynamic_cast<T*>(AsControl(m_page->GetWidget()->findChild<QWidget*>(name)));
    }
    static QString Indexed(const char* prefix, int n) {
        return QLatin1String(prefix) + QString::number(n);
    }

    void Notify(CControlUI* sender, const QString& type) {
        ASSERT_NE(sender, nullptr);
        TNotifyUI msg;
        msg.sType = type;
        msg.pSender = sender;
        m_window->Notify(msg);
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

    test::TempDir m_dir;
    test::TempDir m_bus;
    CResourceManager m_resources;
    RecordingSystemSettings m_session;
    std::shared_ptr<Received> m_received = std::make_shared<Received>();
    std::unique_ptr<DeviceEmulator> m_emulator;
    std::unique_ptr<CMainWnd> m_window;
    CKestrovaMouseDevice* m_page = nullptr;
};
}  // namespace quaro::mousetest
