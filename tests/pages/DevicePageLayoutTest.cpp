// The shipped page layouts, built the way the main window builds them: each page binds every key
// and light of its row of the page table, holds the profile bar and the function tabs the page
// switches, and fits the main window's page area with its picture whole and centred.

#include "PageControls.h"
#include "device/CatalogueTables.h"
#include "pages/CKestrovaHS6533Device.h"
#include "pages/CKestrovaKeyboardDevice.h"
#include "pages/CKestrovaMouseDevice.h"
#include "pages/CKestrovaMousePadDevice.h"
#include "panels/controls/CDeviceKeyButtonUI.h"
#include "panels/controls/CSelectPanelUI.h"
#include "panels/light/CLightControlUI.h"
#include "panels/profile/CDeviceProfileUI.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QApplication>
#include <QTest>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>

namespace quaro {
namespace {

using ::testing::IsEmpty;

struct PageRow {
    const char* tag;
    std::size_t row;  // of the page table
};

void PrintTo(const PageRow& row, std::ostream* out) {
    *out << row.tag;
}

class DevicePageLayouts : public ::testing::TestWithParam<PageRow> {
protected:
    DevicePageLayouts() {
        m_resources.SetResourcePath(test::SourceSkinPath());
        EXPECT_TRUE(m_resources.LoadLanguage(QStringLiteral("lan_en.xml")));
    }

    const DevicePageEntry& Row() const { return kDevicePages.at(GetParam().row); }

    QString LayoutFile() const {
        const std::string_view layout = Row().pageLayout;
        return QString::fromUtf8(layout.data(), static_cast<qsizetype>(layout.size()));
    }

    // The page as discovery sets it up: built, given its layout and counts, then initialised.
    std::unique_ptr<CKestrovaUSBDevice> BuildPage() {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(LayoutFile(), m_resources, &m_controls);
        EXPECT_THAT(builder.Problems(), IsEmpty());
        EXPECT_THAT(m_controls.m_problems, IsEmpty());
        auto* page = dynamic_cast<CKestrovaUSBDevice*>(root);
        if (page == nullptr) {
            if (root != nullptr) {
                delete root->GetWidget();
            }
            return nullptr;
        }
        page->SetPageLayout(LayoutFile());
        page->SetKeyCount(Row().keyCount);
        page->SetLightCount(Row().lightCount);
        page->InitPage();
        return std::unique_ptr<CKestrovaUSBDevice>(page);
    }

    template <class T>
    static T* Find(QWidget* root, const char* name) {
        return root->findChild<T*>(QLatin1String(name));
    }

    CResourceManager m_resources;
    PageControls m_controls{m_resources};
};

TEST_P(DevicePageLayouts, EveryKeyAndLightOfTheRowIsBound) {
    std::unique_ptr<CKestrovaUSBDevice> page = BuildPage();
    ASSERT_TRUE(page);
    EXPECT_EQ(page->GetClass(), QLatin1String(GetParam().tag));
    ASSERT_NE(page->GetSelectPanel(), nullptr);
    EXPECT_EQ(page->GetKeyCount(), Row().keyCount);
    EXPECT_EQ(page->GetLightCount(), Row().lightCount);
    for (int key = 0; key < Row().keyCount; ++key) {
        EXPECT_NE(page->GetKeyButton(key), nullptr) << "key " << key;
    }
    for (int light = 0; light < Row().lightCount; ++light) {
        CDeviceKeyButtonUI* button = page->GetLightButton(light);
        ASSERT_NE(button, nullptr) << "light " << light;
        EXPECT_TRUE(button->IsLightOn());
    }
}

TEST_P(DevicePageLayouts, HoldsTheProfileBarAndTheFunctionTabsItSwitches) {
    std::unique_ptr<CKestrovaUSBDevice> page = BuildPage();
    ASSERT_TRUE(page);
    EXPECT_NE(Find<CDeviceProfileUI>(page.get(), "DeviceProfileItem"), nullptr);
    EXPECT_NE(Find<CLightControlUI>(page.get(), "light_control_panel"), nullptr);
    auto* functions = Find<CTabLayoutUI>(page.get(), "device_function_switch");
    auto* keyFunctions = Find<CTabLayoutUI>(page.get(), "device_key_function_switch");
    ASSERT_NE(functions, nullptr);
    ASSERT_NE(keyFunctions, nullptr);
    EXPECT_EQ(functions->GetCount(), 3);
    EXPECT_EQ(keyFunctions->GetCount(), 3);

    page->SelectFunctionTab(3);  // macros
    EXPECT_EQ(functions->GetCurSel(), 1);
    page->SelectFunctionTab(5);  // pointer
    EXPECT_EQ(functions->GetCurSel(), 2);
    page->SelectFunctionTab(4);  // system
    EXPECT_EQ(functions->GetCurSel(), 0);
    EXPECT_EQ(keyFunctions->GetCurSel(), 2);
    // The key areas sit inside the first function tab, so they show only with it.
    EXPECT_TRUE(functions->GetItemAt(0)->GetWidget()->isAncestorOf(keyFunctions));
}

TEST_P(DevicePageLayouts, FitsThePageAreaWithItsPictureWholeAndCentred) {
    std::unique_ptr<CKestrovaUSBDevice> page = BuildPage();
    ASSERT_TRUE(page);
    // The page takes the main window's page area at the window's designed size.
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> main(builder.Create(QStringLiteral("main.xml"), m_resources));
    ASSERT_TRUE(main);
    auto* pages = Find<CTabLayoutUI>(main->GetWidget(), "device_switch");
    ASSERT_NE(pages, nullptr);
    Find<QWidget>(main->GetWidget(), "No_device_Link")->hide();
    CKestrovaUSBDevice* shown = page.release();  // the page area owns it from here
    ASSERT_TRUE(pages->Add(shown));
    pages->SelectItem(pages->GetCount() - 1, false);
    main->GetWidget()->resize(builder.GetWindowSize());
    main->GetWidget()->show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(main->GetWidget()));
    QApplication::processEvents();

    EXPECT_EQ(main->GetWidget()->size(), builder.GetWindowSize())
        << "the page stretches the window";
    const QRect area = shown->rect();
    ASSERT_GT(area.width(), 0);
    auto placed = [shown](QWidget* widget) {
        return QRect(widget->mapTo(shown, QPoint(0, 0)), widget->size());
    };
    CSelectPanelUI* picture = shown->GetSelectPanel();
    ASSERT_NE(picture, nullptr);
    const QRect at = placed(picture);
    EXPECT_EQ(at.size(), picture->maximumSize()) << "the picture is squeezed";
    EXPECT_TRUE(area.contains(at));
    EXPECT_LE(std::abs(at.left() - (area.width() - at.right() - 1)), 2) << "not centred";

    QWidget* bar = Find<CDeviceProfileUI>(shown, "DeviceProfileItem");
    QWidget* functions = Find<CTabLayoutUI>(shown, "device_function_switch");
    ASSERT_NE(bar, nullptr);
    ASSERT_NE(functions, nullptr);
    EXPECT_TRUE(area.contains(placed(bar)));
    EXPECT_TRUE(area.contains(placed(functions)));
    EXPECT_FALSE(placed(bar).intersects(at));
    EXPECT_FALSE(placed(functions).intersects(at));
    EXPECT_LT(placed(bar).bottom(), at.top()) << "the profile bar belongs above the picture";
    EXPECT_GE(placed(functions).height(), functions->minimumHeight());
}

INSTANTIATE_TEST_SUITE_P(
    EveryDeviceType, DevicePageLayouts,
    ::testing::Values(PageRow{"KestrovaMouseDevice", 0}, PageRow{"KestrovaKeyboardDevice", 1},
                      PageRow{"KestrovaMousePadDevice", 2}, PageRow{"KestrovaHS6533Device", 3}),
    [](const ::testing::TestParamInfo<PageRow>& info) { return std::string(info.param.tag); });

}  // namespace
}  // namespace quaro
