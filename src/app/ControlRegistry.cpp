#include "app/ControlRegistry.h"

#include "pages/CKestrovaHS6533Device.h"
#include "pages/CKestrovaMousePadDevice.h"
#include "pages/CKestrovaUSBDevice.h"
#include "panels/controls/CChartViewUI.h"
#include "panels/controls/CCircleProgressUI.h"
#include "panels/controls/CCloudShareListItemUI.h"
#include "panels/controls/CComboEditContainerElementUI.h"
#include "panels/controls/CDeviceKeyButtonUI.h"
#include "panels/controls/CHandImgButtonUI.h"
#include "panels/controls/CHandImgSelectButtonUI.h"
#include "panels/controls/CRedioMacroButtonUI.h"
#include "panels/controls/CSelectPanelUI.h"
#include "panels/controls/CWndUI.h"
#include "panels/devicetab/CDeviceOptionUI.h"
#include "panels/devicetab/CMpDevicePowerUI.h"
#include "panels/light/CLightControlUI.h"
#include "panels/profile/CDeviceProfileUI.h"
#include "panels/shoot/CShootControlUI.h"
#include "panels/voice/CMagicControlUI.h"
#include "panels/voice/CVoice6533ControlUI.h"
#include "shell/CUpdateInfoListItemUI.h"
#include "ui/toolkit/CControlFactory.h"

namespace quaro {
namespace {

template <class T>
CControlUI* Make() {
    return new T;
}

struct RegistryRow {
    const char* name;
    CControlUI* (*create)();  // null: the class comes with a later part of the application
};

// Registration order matters to nobody but is kept stable, as layouts were written against it.
constexpr RegistryRow kRegistry[] = {
    {"CCircleProgressUI", &Make<CCircleProgressUI>},
    {"CChartViewUI", &Make<CChartViewUI>},
    {"CWndUI", &Make<CWndUI>},
    {"CSelectPanelUI", &Make<CSelectPanelUI>},
    {"CDeviceKeyButtonUI", &Make<CDeviceKeyButtonUI>},
    {"CCloudShareListItemUI", &Make<CCloudShareListItemUI>},
    {"CUpdateInfoListItemUI", &Make<CUpdateInfoListItemUI>},
    {"CDeviceOptionUI", &Make<CDeviceOptionUI>},
    {"CMpDevicePowerUI", &Make<CMpDevicePowerUI>},
    {"CComboEditContainerElementUI", &Make<CComboEditContainerElementUI>},
    {"CHandImgButtonUI", &Make<CHandImgButtonUI>},
    {"CHandImgSelectButtonUI", &Make<CHandImgSelectButtonUI>},
    {"CRedioMacroButtonUI", &Make<CRedioMacroButtonUI>},
    {"CLightControlUI", &Make<CLightControlUI>},
    {"CMacroControlUI", nullptr},
    {"CKeySetControlUI", nullptr},
    {"CDeviceProfileUI", &Make<CDeviceProfileUI>},
    {"CShootControlUI", &Make<CShootControlUI>},
    {"CMagicControlUI", &Make<CMagicControlUI>},
    {"CVoice6533ControlUI", &Make<CVoice6533ControlUI>},
    {"CKestrovaUSBDevice", &Make<CKestrovaUSBDevice>},
    {"CKestrovaMousePadDevice", &Make<CKestrovaMousePadDevice>},
    {"CKestrovaHS6533Device", &Make<CKestrovaHS6533Device>},
};

}  // namespace

void RegisterControls(CControlFactory& factory) {
    for (const RegistryRow& row : kRegistry) {
        if (row.create != nullptr) {
            factory.RegistControl(QLatin1String(row.name), row.create);
        }
    }
}

QStringList ControlRegistryNames() {
    QStringList names;
    for (const RegistryRow& row : kRegistry) {
        names.append(QLatin1String(row.name));
    }
    return names;
}

}  // namespace quaro
