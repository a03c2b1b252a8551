#pragma once

#include "pages/CKestrovaHS6533Device.h"
#include "pages/CKestrovaKeyboardDevice.h"
#include "pages/CKestrovaMouseDevice.h"
#include "pages/CKestrovaMousePadDevice.h"
#include "panels/controls/CDeviceKeyButtonUI.h"
#include "panels/controls/CSelectPanelUI.h"
#include "panels/light/CLightControlUI.h"
#include "panels/profile/CDeviceProfileUI.h"
#include "panels/shoot/CShootControlUI.h"
#include "panels/voice/CMagicControlUI.h"
#include "panels/voice/CVoice6533ControlUI.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CResourceManager.h"

#include <QStringList>

namespace quaro {

// The main window's control factory as far as the device pages need it: the page classes, the
// picture's controls, and the profile bar and lighting panel fragments standing in for
// "DeviceProfileUI" and "LightSetControlUI", and the voice and shoot panels' fragments.
class PageControls : public IDialogBuilderCallback {
public:
    explicit PageControls(CResourceManager& resources) : m_resources(resources) {}

    CControlUI* CreateControl(const QString& className) override {
        const QString name = className.toLower();
        if (name == u"kestrovakeyboarddevice") {
            return new CKestrovaKeyboardDevice;
        }
        if (name == u"kestrovamousedevice") {
            return new CKestrovaMouseDevice;
        }
        if (name == u"kestrovamousepaddevice") {
            return new CKestrovaMousePadDevice;
        }
        if (name == u"kestrovahs6533device") {
            return new CKestrovaHS6533Device;
        }
        if (name == u"selectpanel") {
            return new CSelectPanelUI;
        }
        if (name == u"devicekeybutton") {
            return new CDeviceKeyButtonUI;
        }
        if (name == u"deviceprofile") {
            return new CDeviceProfileUI;
        }
        if (name == u"deviceprofileui") {
            CDialogBuilder fragment;
            CControlUI* bar = fragment.Create(
                QStringLiteral("XML/CustomControlXML/DeviceProfile.xml"), m_resources, this);
            m_problems.append(fragment.Problems());
            return bar;
        }
        if (name == u"lightcontrol") {
            return new CLightControlUI;
        }
        if (name == u"lightsetcontrolui") {
            CDialogBuilder fragment;
            CControlUI* panel = fragment.Create(
                QStringLiteral("XML/CustomControlXML/LightControl.xml"), m_resources, this);
            m_problems.append(fragment.Problems());
            return panel;
        }
        if (name == u"voice6533control") {
            return new CVoice6533ControlUI;
        }
        if (name == u"magiccontrol") {
            return new CMagicControlUI;
        }
        if (name == u"voice6533setcontrolui") {
            return Fragment("XML/CustomControlXML/Voice6533Control.xml");
        }
        if (name == u"shootcontrol") {
            return new CShootControlUI;
        }
        if (name == u"shootkeysetcontrolui") {
            return Fragment("XML/CustomControlXML/ShootControl.xml");
        }
        if (name == u"magicsetcontrolui") {
            return Fragment("XML/CustomControlXML/MagicControl.xml");
        }
        return nullptr;
    }

    QStringList m_problems;

private:
    CControlUI* Fragment(const char* file) {
        CDialogBuilder fragment;
        CControlUI* control = fragment.Create(QLatin1String(file), m_resources, this);
        m_problems.append(fragment.Problems());
        return control;
    }

    CResourceManager& m_resources;
};

}  // namespace quaro
