#pragma once

#include "TempDir.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "panels/devicetab/CMpDevicePowerUI.h"
#include "panels/devicetab/IDeviceTabPage.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CResourceManager.h"

#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <algorithm>
#include <utility>
#include <vector>

namespace quaro::test {

// What the main window's builder callback does for the two composite controls.
class DeviceTabControls : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const QString& className) override {
        if (className == u"DeviceOption") {
            return new CDeviceOptionUI;
        }
        if (className == u"MpDevicePower") {
            return new CMpDevicePowerUI;
        }
        return nullptr;
    }
};

// A device page reduced to what its tab sees, recording every call.
class FakeTabPage : public IDeviceTabPage {
public:
    void OnStart() override { calls.push_back(1001); }
    void RenderLightFrame() override { ++frames; }
    bool RestFrames() override { return restFrames; }
    void OnTimer1002() override { calls.push_back(1002); }
    void OnTimer1003() override { calls.push_back(1003); }
    void OnTimer1004() override { calls.push_back(1004); }
    void OnStatusTimer() override { calls.push_back(1005); }
    bool IsPrimaryConnected() const override { return connected; }
    int GetPowerMode() const override { return powerMode; }
    bool IsPreviewEnabled() const override { return previewEnabled; }
    bool TakePreviewChanged() override { return std::exchange(previewChanged, false); }
    void SetDeviceTab(CDeviceOptionUI* tab) override { attachedTab = tab; }

    int Count(int call) const {
        return static_cast<int>(std::count(calls.begin(), calls.end(), call));
    }

    std::vector<int> calls;
    int frames = 0;
    bool connected = true;
    int powerMode = 0;
    bool previewEnabled = true;
    bool previewChanged = true;
    bool restFrames = false;
    CDeviceOptionUI* attachedTab = nullptr;
};

// The shipped fragments built into a window, as page creation builds them.
class DeviceTabWindow : public ::testing::Test {
protected:
    DeviceTabWindow() {
        WriteFileBytes(m_dir / "w.xml",
                       "<Window size=\"900,300\"><VerticalLayout name=\"root\">"
                       "<HorizontalLayout name=\"device_select_layout\"/>"
                       "<TabLayout name=\"device_switch\"><Control name=\"p0\"/>"
                       "<Control name=\"p1\"/><Control name=\"p2\"/></TabLayout>"
                       "<TabLayout name=\"device_power_switch\"/>"
                       "</VerticalLayout></Window>");
        m_resources.SetResourcePath(SourceSkinPath());
        m_window.Create(QStringLiteral("t"), Qt::Window | Qt::FramelessWindowHint);
    }

    template <class T>
    T* BuildInto(const char* fragment, const char* containerName) {
        CDialogBuilder builder;
        CControlUI* built = builder.Create(QLatin1String(fragment), m_resources, &m_controls);
        EXPECT_THAT(builder.Problems(), ::testing::IsEmpty()) << fragment;
        auto* control = dynamic_cast<T*>(built);
        EXPECT_NE(control, nullptr) << fragment;
        auto* container = m_window.FindControlAs<CContainerUI>(QLatin1String(containerName));
        if (control == nullptr || container == nullptr) {
            delete built;
            return nullptr;
        }
        container->Add(control);
        InitControls(control);
        return control;
    }

    TempDir m_dir;
    CResourceManager m_resources;
    DeviceTabControls m_controls;
    RecordingWindow m_window{m_resources, QString::fromStdString((m_dir / "w.xml").string())};
};

}  // namespace quaro::test
