// The generated device pictures: the shipped files are the generator's current output, every
// picture builds with one bound button per key or LED of its device page, and a lit button shows
// its light over the dark body.

#include "DevicePictures.h"
#include "TempDir.h"
#include "panels/controls/CDeviceKeyButtonUI.h"
#include "panels/controls/CSelectPanelUI.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CResourceManager.h"

#include <QFile>
#include <QRegularExpression>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

#include <memory>
#include <set>

namespace quaro {
namespace {

using ::testing::IsEmpty;

class PictureControls : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const QString& className) override {
        if (className == u"SelectPanel") {
            return new CSelectPanelUI;
        }
        if (className == u"DeviceKeyButton") {
            return new CDeviceKeyButtonUI;
        }
        return nullptr;
    }
};

QString SkinFile(const QString& relative) {
    return test::SourceSkinPath() + u'/' + relative;
}

// The largest difference of one channel between two pictures, or 256 when their sizes differ.
int LargestDifference(const QImage& a, const QImage& b) {
    if (a.size() != b.size()) {
        return 256;
    }
    const QImage left = a.convertToFormat(QImage::Format_ARGB32);
    const QImage right = b.convertToFormat(QImage::Format_ARGB32);
    int largest = 0;
    for (int y = 0; y < left.height(); ++y) {
        const auto* l = reinterpret_cast<const QRgb*>(left.constScanLine(y));
        const auto* r = reinterpret_cast<const QRgb*>(right.constScanLine(y));
        for (int x = 0; x < left.width(); ++x) {
            largest = std::max(
                {largest, std::abs(qRed(l[x]) - qRed(r[x])), std::abs(qGreen(l[x]) - qGreen(r[x])),
                 std::abs(qBlue(l[x]) - qBlue(r[x])), std::abs(qAlpha(l[x]) - qAlpha(r[x]))});
        }
    }
    return largest;
}

TEST(DevicePictures, ShippedFilesAreTheGeneratorsOutput) {
    test::TempDir dir;
    const QDir fresh(QString::fromStdString(dir.Path().string()));
    ASSERT_TRUE(pictures::WriteDevicePictures(fresh));
    for (const pictures::GeneratedFile& file : pictures::GenerateDevicePictures()) {
        SCOPED_TRACE(file.path.toStdString());
        const QString shipped = SkinFile(file.path);
        if (file.image.isNull()) {
            QFile a(shipped);
            QFile b(fresh.filePath(file.path));
            ASSERT_TRUE(a.open(QIODevice::ReadOnly) && b.open(QIODevice::ReadOnly));
            EXPECT_EQ(a.readAll(), b.readAll())
                << "regenerate with: QT_QPA_PLATFORM=offscreen quaro-device-pictures skin";
        } else {
            // Pixels, not bytes: a different PNG encoder may pack the same picture differently.
            EXPECT_LE(LargestDifference(QImage(shipped), QImage(fresh.filePath(file.path))), 2)
                << "regenerate with: QT_QPA_PLATFORM=offscreen quaro-device-pictures skin";
        }
    }
}

class DevicePictureLayouts : public ::testing::Test {
protected:
    DevicePictureLayouts() { m_resources.SetResourcePath(test::SourceSkinPath()); }

    std::unique_ptr<CSelectPanelUI> Build(const QString& file) {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(file, m_resources, &m_controls);
        EXPECT_THAT(builder.Problems(), IsEmpty()) << file.toStdString();
        auto* panel = dynamic_cast<CSelectPanelUI*>(root);
        if (panel == nullptr && root != nullptr) {
            delete root->GetWidget();
        }
        return std::unique_ptr<CSelectPanelUI>(panel);
    }

    static std::vector<CDeviceKeyButtonUI*> Buttons(CSelectPanelUI& panel) {
        std::vector<CDeviceKeyButtonUI*> buttons;
        for (QWidget* widget : panel.findChildren<QWidget*>()) {
            if (auto* button = dynamic_cast<CDeviceKeyButtonUI*>(AsControl(widget))) {
                buttons.push_back(button);
            }
        }
        return buttons;
    }

    // The index a "prefixN" text names, or -1; the page binds only such names.
    static int Index(const QString& text, const char* prefix) {
        static const QRegularExpression kNumbered(QStringLiteral("^([a-z_]+?)(\\d+)$"));
        const QRegularExpressionMatch match = kNumbered.match(text);
        return match.hasMatch() && match.captured(1) == QLatin1String(prefix)
                   ? match.captured(2).toInt()
                   : -1;
    }

    CResourceManager m_resources;
    PictureControls m_controls;
};

TEST_F(DevicePictureLayouts, EachPictureBindsEveryKeyAndLightOfItsPageOnce) {
    const struct {
        const char* file;
        const DevicePageEntry& page;
    } devices[] = {
        {"XML/Devices/KeyboardPicture.xml", pictures::PageOf("keyboard")},
        {"XML/Devices/MousePadPicture.xml", pictures::PageOf("MousePad")},
        {"XML/Devices/HeadsetPicture.xml", pictures::PageOf("HD")},
        {"XML/Devices/MousePicture.xml", pictures::PageOf("mouse")},
    };
    for (const auto& device : devices) {
        SCOPED_TRACE(device.file);
        std::unique_ptr<CSelectPanelUI> panel = Build(QLatin1String(device.file));
        ASSERT_TRUE(panel);
        const QRect area(QPoint(0, 0), panel->size());
        std::set<QString> names;
        std::set<int> keys;
        std::set<int> lights;
        std::size_t buttons = 0;
        for (CDeviceKeyButtonUI* button : Buttons(*panel)) {
            ++buttons;
            EXPECT_TRUE(names.insert(button->GetName()).second) << button->GetName().toStdString();
            const int key = Index(button->GetName(), "key_");
            if (key >= 0 && key < device.page.keyCount) {
                EXPECT_TRUE(keys.insert(key).second) << key;
            }
            const int light = Index(button->GetUserData(), "light_");
            if (light >= 0) {
                ASSERT_LT(light, device.page.lightCount);
                EXPECT_TRUE(lights.insert(light).second) << light;
            }
            // A button that binds nothing is dead weight on the picture.
            EXPECT_TRUE(light >= 0 || (key >= 0 && key < device.page.keyCount))
                << button->GetName().toStdString();
            EXPECT_TRUE(area.contains(button->geometry())) << button->GetName().toStdString();
        }
        EXPECT_EQ(buttons, names.size());
        EXPECT_EQ(keys.size(), static_cast<std::size_t>(device.page.keyCount));
        EXPECT_EQ(lights.size(), static_cast<std::size_t>(device.page.lightCount));
    }
}

TEST_F(DevicePictureLayouts, ShownKeysNeverOverlap) {
    for (const char* file : {"XML/Devices/KeyboardPicture.xml", "XML/Devices/MousePadPicture.xml",
                             "XML/Devices/HeadsetPicture.xml", "XML/Devices/MousePicture.xml"}) {
        SCOPED_TRACE(file);
        std::unique_ptr<CSelectPanelUI> panel = Build(QLatin1String(file));
        ASSERT_TRUE(panel);
        std::vector<CDeviceKeyButtonUI*> shown;
        for (CDeviceKeyButtonUI* button : Buttons(*panel)) {
            if (!button->isHidden()) {
                shown.push_back(button);
            }
        }
        for (std::size_t i = 0; i < shown.size(); ++i) {
            for (std::size_t j = i + 1; j < shown.size(); ++j) {
                EXPECT_FALSE(shown[i]->geometry().intersects(shown[j]->geometry()))
                    << shown[i]->GetName().toStdString() << " and "
                    << shown[j]->GetName().toStdString();
            }
        }
    }
}

TEST_F(DevicePictureLayouts, ALitKeyShowsItsColourOverTheDarkBody) {
    std::unique_ptr<CSelectPanelUI> panel =
        Build(QStringLiteral("XML/Devices/KeyboardPicture.xml"));
    ASSERT_TRUE(panel);
    CDeviceKeyButtonUI* escape = panel->findChild<CDeviceKeyButtonUI*>(QStringLiteral("key_0"));
    ASSERT_NE(escape, nullptr);
    const QImage dark = panel->grab().toImage();
    escape->SetLight(0x0000FF, 255, true);  // red, in the pages' packing
    const QImage lit = panel->grab().toImage();

    // Somewhere on the key the light shows clearly red; unlit, the key is a neutral grey.
    auto reddest = [&escape](const QImage& picture) {
        int most = -255;
        const QRect key = escape->geometry();
        for (int y = key.top(); y <= key.bottom(); ++y) {
            for (int x = key.left(); x <= key.right(); ++x) {
                const QColor c = picture.pixelColor(x, y);
                most = std::max(most, c.red() - std::max(c.green(), c.blue()));
            }
        }
        return most;
    };
    EXPECT_LT(reddest(dark), 20);
    EXPECT_GT(reddest(lit), 100);
    // The body round the keys stays dark and is painted (not the page showing through).
    const QColor body = dark.pixelColor(panel->width() / 2, 30);
    EXPECT_EQ(body.alpha(), 255);
    EXPECT_LT(body.lightness(), 70);
}

}  // namespace
}  // namespace quaro
