#pragma once

#include "RegisteredControls.h"
#include "TempDir.h"
#include "device/CommandPacket.h"
#include "device/SimHidBackend.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "platform/RecordingSystemSettings.h"
#include "shell/CMainWnd.h"
#include "sim/DeviceEmulator.h"
#include "sim/EmulatorModels.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CResourceManager.h"

#include <QTest>
#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <span>
#include <vector>

namespace quaro::test {

// Long enough for a device's whole start flow on a loaded machine.
inline constexpr int kDeviceWaitMs = 8000;

// The command packets an emulated device received, the kinds a test leaves out dropped. Shared
// with the emulator's threads, which may still report after a test body ends.
class ReceivedPackets {
public:
    explicit ReceivedPackets(std::vector<int> ignored) : m_ignored(std::move(ignored)) {}

    void Take(std::span<const uint8_t> report) {
        if (report.size() != kPacketSize || std::find(m_ignored.begin(), m_ignored.end(),
                                                      report[kPacketCommand]) != m_ignored.end()) {
            return;
        }
        std::lock_guard lock(m_mutex);
        m_packets.emplace_back();
        std::copy(report.begin(), report.end(), m_packets.back().begin());
    }

    std::vector<Packet> Packets() {
        std::lock_guard lock(m_mutex);
        return m_packets;
    }
    std::vector<int> Commands() {
        std::vector<int> commands;
        for (const Packet& packet : Packets()) {
            commands.push_back(packet[kPacketCommand]);
        }
        return commands;
    }
    void Clear() {
        std::lock_guard lock(m_mutex);
        m_packets.clear();
    }

private:
    const std::vector<int> m_ignored;
    std::mutex m_mutex;
    std::vector<Packet> m_packets;
};

// The main window on a simulated bus (empty until a test plugs something in), with the shipped
// skin and factory data, folders of its own and a recording session.
class WindowInTest : public ::testing::Test {
protected:
    WindowInTest() {
        RegisterApplicationControls();
        m_resources.SetResourcePath(SourceSkinPath());
        m_resources.LoadResource(QStringLiteral("res.xml"));
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
    }

    // adjust changes the window's services before it is built (an input capture, say).
    void OpenWindow(const std::function<void(CMainWnd::Services&)>& adjust = {}) {
        CMainWnd::Services services;
        services.settingsFolder = m_dir / "config";
        services.defaultDataFolder = SourceDefaultDataFolder();
        services.backend = std::make_shared<SimHidBackend>(m_bus.Path());
        services.discovery.watchHidraw = false;
        services.discovery.simBusFolder = m_bus.Path();
        services.dataHome = m_dir / "data";
        services.systemSettings = &m_session;
        if (adjust) {
            adjust(services);
        }
        m_window = std::make_unique<CMainWnd>(m_resources, services);
        m_window->Create(QStringLiteral("main"), Qt::Window | Qt::FramelessWindowHint);
        m_window->show();
        ASSERT_TRUE(WaitFor([&] { return m_window->IsInitialised(); }));
    }

    // The notification the control raises when the user works it, straight to the window.
    void Notify(CControlUI* sender, const QString& type) {
        ASSERT_NE(sender, nullptr);
        TNotifyUI msg;
        msg.sType = type;
        msg.pSender = sender;
        m_window->Notify(msg);
    }

    // The user picks the device tab of kind (its page built and shown first, as an arrival would).
    void Show(int kind) {
        CDeviceOptionUI* tab = m_window->Devices().EnsurePage(kind)->GetDeviceTab();
        m_window->Devices().ShowTab(tab, true);
    }

    TempDir m_dir;
    TempDir m_bus;
    CResourceManager m_resources;
    RecordingSystemSettings m_session;
    std::unique_ptr<CMainWnd> m_window;
};

// The window with one emulated device plugged in and its page of type Page shown.
template <class Page>
class DeviceInWindow : public WindowInTest {
protected:
    ~DeviceInWindow() override {
        // The window goes first: its pages still talk to the device as they close.
        m_window.reset();
        m_emulator.reset();
    }

    // Plugs the emulated device (its received packets, but for the ignored commands, go to
    // m_received) and waits until the window shows its page, the first of kind.
    void PlugDevice(const EmulatorModel& model, int kind,
                    std::vector<int> ignored = {kCmdLightFrame, kCmdReadStatus}) {
        m_received = std::make_shared<ReceivedPackets>(std::move(ignored));
        m_emulator = std::make_unique<DeviceEmulator>(model, m_bus.Path());
        m_emulator->SetPacketObserver([received = m_received](DeviceEmulator::Direction direction,
                                                              uint16_t,
                                                              std::span<const uint8_t> report) {
            if (direction == DeviceEmulator::Direction::kReceived) {
                received->Take(report);
            }
        });
        ASSERT_TRUE(m_emulator->Plug());
        ASSERT_TRUE(WaitFor(
            [&] {
                m_page = dynamic_cast<Page*>(m_window->Devices().FirstPageOfKind(kind));
                return m_page != nullptr && m_page->GetDeviceTab() != nullptr &&
                       m_page->GetDeviceTab()->IsShown();
            },
            kDeviceWaitMs));
    }

    // Until the device heard nothing new for a while.
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

    // A control of the device's page by name; null when there is none of class T.
    template <class T = CControlUI>
    T* Control(const QString& name) const {
        const QWidget* page = m_page->GetWidget();
        return dynamic_cast<T*>(AsControl(page->findChild<QWidget*>(name)));
    }
    template <class T = CControlUI>
    T* Control(const char* name) const {
        return Control<T>(QLatin1String(name));
    }

    std::shared_ptr<ReceivedPackets> m_received =
        std::make_shared<ReceivedPackets>(std::vector<int>{});
    std::unique_ptr<DeviceEmulator> m_emulator;
    Page* m_page = nullptr;
};

}  // namespace quaro::test
