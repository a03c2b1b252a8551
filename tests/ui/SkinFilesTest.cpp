// The shipped skin: every layout builds completely, carries the control names the windows
// look up, and every language id it shows has a text in every offered language.

#include "support/QtTestApp.h"
#include "ui/Language.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CControlUI.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CMenuWnd.h"
#include "ui/toolkit/CResourceManager.h"

#include <QDirIterator>
#include <QDomDocument>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gmock/gmock.h>
#include <gtest/gtest.h>

namespace quaro {
namespace {

using ::testing::IsEmpty;

class SkinFiles : public ::testing::Test {
protected:
    SkinFiles() { m_resources.SetResourcePath(test::SourceSkinPath()); }

    // Builds a layout, expecting no problem; the caller owns the root.
    CControlUI* Build(const QString& file, IDialogBuilderCallback* callback = nullptr) {
        CDialogBuilder builder;
        CControlUI* root = builder.Create(file, m_resources, callback);
        EXPECT_THAT(builder.Problems(), IsEmpty()) << file.toStdString();
        EXPECT_NE(root, nullptr) << file.toStdString();
        return root;
    }

    static bool Has(CControlUI* root, const QString& name) {
        if (root->GetName() == name) {
            return true;
        }
        for (QWidget* widget : root->GetWidget()->findChildren<QWidget*>(name)) {
            if (AsControl(widget) != nullptr) {
                return true;
            }
        }
        return false;
    }

    static QSet<QString> LanguageIds(const QString& file) {
        QFile input(
            QString::fromStdString((test::SourceSkinFolder() / file.toStdString()).string()));
        QDomDocument document;
        EXPECT_TRUE(input.open(QIODevice::ReadOnly) && document.setContent(&input))
            << file.toStdString();
        QSet<QString> ids;
        for (QDomElement e = document.documentElement().firstChildElement(); !e.isNull();
             e = e.nextSiblingElement()) {
            ids.insert(e.attribute(QStringLiteral("id")));
        }
        return ids;
    }

    CResourceManager m_resources;
};

TEST_F(SkinFiles, CatalogueNamesTheWindowLayouts) {
    ASSERT_TRUE(m_resources.LoadResource(QStringLiteral("res.xml")));
    for (const char* name : {"XML_MAIN", "XML_MSG"}) {
        EXPECT_TRUE(QFile::exists(m_resources.GetXmlPath(QLatin1String(name)))) << name;
    }
}

TEST_F(SkinFiles, MainLayoutHoldsEveryControlTheWindowUses) {
    std::unique_ptr<CControlUI> root(Build(QStringLiteral("main.xml")));
    ASSERT_TRUE(root);
    for (const char* name :
         {"root", "closebtn", "maxbtn", "restorebtn", "minbtn", "skinbtn", "gamemodebtn",
          "cloudbtn", "smarteyesbtn", "setbtn", "device_select_layout", "device_switch",
          "device_power_switch", "No_device_Link", "nodevice_ok_btn", "setting_progress",
          "control_light_status"}) {
        EXPECT_TRUE(Has(root.get(), QLatin1String(name))) << name;
    }
    // The progress line appears only when a setting is being written.
    EXPECT_FALSE(root->GetWidget()
                     ->findChild<QWidget*>(QStringLiteral("setting_progress"))
                     ->isVisibleTo(root->GetWidget()));
}

TEST_F(SkinFiles, MessageBoxLayoutHoldsItsControls) {
    std::unique_ptr<CControlUI> root(Build(QStringLiteral("msgbox.xml")));
    ASSERT_TRUE(root);
    for (const char* name :
         {"MessageTitle", "MessageText", "confirm_btn", "cancel_btn", "closebtn"}) {
        EXPECT_TRUE(Has(root.get(), QLatin1String(name))) << name;
    }
}

TEST_F(SkinFiles, SkinPickerOffersLoadablePicturesAndColours) {
    std::unique_ptr<CControlUI> root(Build(QStringLiteral("skin.xml")));
    ASSERT_TRUE(root);
    for (const char* name : {"skin_tab", "skin_color", "skin_image", "skin_reset", "skin_Custom"}) {
        EXPECT_TRUE(Has(root.get(), QLatin1String(name))) << name;
    }
    int pictures = 0;
    int swatches = 0;
    for (QWidget* widget : root->GetWidget()->findChildren<QWidget*>()) {
        CControlUI* control = AsControl(widget);
        if (control == nullptr) {
            continue;
        }
        if (control->GetName() == u"skin_image_btn") {
            ++pictures;
            EXPECT_FALSE(m_resources.GetImage(control->GetUserData()).isNull())
                << control->GetUserData().toStdString();
        } else if (control->GetName() == u"skin_color_btn") {
            ++swatches;
            EXPECT_EQ(control->GetBkColor() >> 24, 0xFFu);
        }
    }
    EXPECT_GE(pictures, 4);
    EXPECT_GE(swatches, 6);
    EXPECT_FALSE(m_resources.GetImage(QStringLiteral("common/background.png")).isNull());
}

// A fragment's root may be one of the application's own controls, which the window's builder
// callback supplies; a plain container stands in for it so that everything inside is checked.
class RootStandIn : public IDialogBuilderCallback {
public:
    explicit RootStandIn(const QString& file) {
        QFile input(file);
        QDomDocument document;
        if (input.open(QIODevice::ReadOnly) && document.setContent(&input)) {
            m_rootTag = document.documentElement().tagName();
        }
    }
    CControlUI* CreateControl(const QString& className) override {
        if (m_used || className != m_rootTag) {
            return nullptr;
        }
        m_used = true;
        return new CHorizontalLayoutUI;
    }

private:
    QString m_rootTag;
    bool m_used = false;
};

TEST_F(SkinFiles, EveryLayoutFragmentBuilds) {
    QDirIterator it(test::SourceSkinPath() + QStringLiteral("/XML/CustomControlXML"),
                    {QStringLiteral("*.xml")});
    int fragments = 0;
    while (it.hasNext()) {
        const QString file = it.next();
        RootStandIn standIn(file);
        std::unique_ptr<CControlUI> root(Build(file, &standIn));
        ++fragments;
    }
    EXPECT_GE(fragments, 1);
}

TEST_F(SkinFiles, MenusCarryTheirCommands) {
    std::unique_ptr<QMenu> tray(CMenuWnd::Build(QStringLiteral("menu.xml"), m_resources));
    ASSERT_TRUE(tray);
    EXPECT_NE(tray->findChild<QAction*>(QStringLiteral("exit")), nullptr);

    std::unique_ptr<QMenu> macro(
        CMenuWnd::Build(QStringLiteral("XML/Menus/macro_action_menu.xml"), m_resources));
    ASSERT_TRUE(macro);
    for (const char* item : {"redio_previous_record_time",
                             "redio_previous_constant_time",
                             "redio_previous_ignore_time",
                             "redio_later_record_time",
                             "redio_later_constant_time",
                             "redio_later_ignore_time",
                             "macro_action_edit",
                             "left_down",
                             "left_up",
                             "right_down",
                             "right_up",
                             "middle_down",
                             "middle_up",
                             "forward_down",
                             "forward_up",
                             "back_down",
                             "back_up",
                             "left_click",
                             "right_click",
                             "middle_click",
                             "forward_click",
                             "back_click"}) {
        EXPECT_NE(macro->findChild<QAction*>(QLatin1String(item)), nullptr) << item;
    }
}

TEST_F(SkinFiles, EveryShownLanguageIdHasATextInEveryLanguage) {
    const std::vector<LanguageEntry> languages =
        LanguageCatalogue(test::SourceDefaultDataFolder(), {}).ReadEntries();
    ASSERT_GE(languages.size(), 2u);

    // Ids the layouts and menus show ("%[id]" texts and tool tips) plus those the code sets.
    QSet<QString> used = {QStringLiteral("控制灯光"), QStringLiteral("不控制灯光"),
                          QStringLiteral("message_text_22"), QStringLiteral("message_text_5")};
    static const QRegularExpression kText(QStringLiteral("text=\"%\\[([^\\]]+)\\]\""));
    static const QRegularExpression kTip(QStringLiteral("tooltip=\"([^\"]+)\""));
    QDirIterator it(test::SourceSkinPath(), {QStringLiteral("*.xml")}, QDir::Files,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        if (QFileInfo(path).fileName().startsWith(u"lan_")) {
            continue;
        }
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QString text = QString::fromUtf8(file.readAll());
        for (const auto& match : kText.globalMatch(text)) {
            used.insert(match.captured(1));
        }
        for (const auto& match : kTip.globalMatch(text)) {
            used.insert(match.captured(1));
        }
    }
    QSet<QString> first;
    for (const LanguageEntry& language : languages) {
        const QString file = QString::fromStdString(language.file);
        const QSet<QString> ids = LanguageIds(file);
        for (const QString& id : used) {
            EXPECT_TRUE(ids.contains(id)) << file.toStdString() << " lacks " << id.toStdString();
        }
        EXPECT_TRUE(ids.contains(QString::fromStdString(language.text)));
        if (first.isEmpty()) {
            first = ids;
        } else {
            EXPECT_EQ(ids, first) << file.toStdString() << " has other ids than the first";
        }
    }
}

}  // namespace
}  // namespace quaro
