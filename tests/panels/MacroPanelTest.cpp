// The macro editor built from the shipped fragment over a library in a temporary folder: macros
// added, renamed, deleted, imported and exported through the files; events inserted, recorded,
// moved, saved with the delays typed into the rows and loaded back; the recording lock.

#include "TempDir.h"
#include "panels/macro/CMacroControlUI.h"
#include "profiles/MacroLibrary.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/CResourceManager.h"

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>
#include <string>
#include <vector>

namespace quaro {
namespace {

class PanelControls : public IDialogBuilderCallback {
public:
    CControlUI* CreateControl(const QString& className) override {
        return className == u"MacroControl" ? new CMacroControlUI : nullptr;
    }
};

std::string FileText(const std::filesystem::path& path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream text;
    text << in.rdbuf();
    return text.str();
}

class MacroPanel : public ::testing::Test {
protected:
    MacroPanel() {
        std::filesystem::create_directories(Folder());
        test::WriteFileBytes(m_dir / "w.xml",
                             "<Window size=\"1300,300\"><VerticalLayout name=\"root\">"
                             "<HorizontalLayout name=\"area\"/></VerticalLayout></Window>");
        m_resources.SetResourcePath(test::SourceSkinPath());
        m_resources.LoadLanguage(QStringLiteral("lan_en.xml"));
        m_window.Create(QStringLiteral("t"), Qt::Window | Qt::FramelessWindowHint);
        CDialogBuilder builder;
        CControlUI* built = builder.Create(QStringLiteral("XML/CustomControlXML/MacroControl.xml"),
                                           m_resources, &m_controls);
        m_problems = builder.Problems();
        m_panel = dynamic_cast<CMacroControlUI*>(built);
        if (m_panel == nullptr) {
            delete built;
            return;
        }
        m_window.FindControlAs<CContainerUI>(QStringLiteral("area"))->Add(m_panel);
        InitControls(m_panel);
        m_panel->SetFolder(Folder());
        m_panel->LoadMacroList();
    }

    void SetUp() override {
        ASSERT_NE(m_panel, nullptr);
        EXPECT_TRUE(m_problems.isEmpty()) << m_problems.join(u' ').toStdString();
    }

    std::filesystem::path Folder() const { return m_dir / "keyboard"; }

    template <class T = CControlUI>
    T* Find(const char* name) {
        return m_window.FindControlAs<T>(QLatin1String(name));
    }
    void Type(const char* edit, const QString& text) { Find<CEditUI>(edit)->SetText(text); }
    QString Caption(int row) {
        auto* item = dynamic_cast<CContainerUI*>(m_panel->Rows().Row(row));
        return dynamic_cast<CLabelUI*>(item->GetItemAt(0))->GetShownText();
    }
    QString Delay(int row) { return m_panel->Rows().DelayEdit(row)->GetEditText(); }
    std::vector<QString> Captions() {
        std::vector<QString> captions;
        for (int row = 0; row < m_panel->Rows().RowCount(); ++row) {
            captions.push_back(Caption(row));
        }
        return captions;
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
    test::RecordingWindow m_window{m_resources, QString::fromStdString((m_dir / "w.xml").string())};
    PanelControls m_controls;
    QStringList m_problems;
    CMacroControlUI* m_panel = nullptr;
};

TEST_F(MacroPanel, AddRenameSaveLoadAndDeleteThroughTheFiles) {
    EXPECT_FALSE(Find("macro_action_layout")->IsEnabled());
    EXPECT_EQ(m_panel->AddMacro(), u"macro_1");
    EXPECT_EQ(m_panel->AddMacro(), u"macro_2");
    EXPECT_EQ(m_panel->GetSelectedMacro(), 1);
    EXPECT_TRUE(Find("macro_action_layout")->IsEnabled());

    // Rename: empty refused, a name in the list refused whatever its case, else taken.
    EXPECT_EQ(m_panel->RenameMacro(), std::make_pair(QStringLiteral("IsEmpty"), -1));
    Type("macro_edit_macroname", QStringLiteral("MACRO_1"));
    EXPECT_EQ(m_panel->RenameMacro(), std::make_pair(QString(), 1));
    Type("macro_edit_macroname", QStringLiteral("Jump"));
    EXPECT_EQ(m_panel->RenameMacro(), std::make_pair(QStringLiteral("Jump"), 1));
    EXPECT_TRUE(Find<CEditUI>("macro_edit_macroname")->GetEditText().isEmpty());
    EXPECT_EQ(MacroLibrary(Folder()).Names(), (std::vector<std::string>{"macro_1", "Jump"}));

    // Events: a left press, then an upward movement of "300", cut to its low byte.
    m_panel->InsertMouseEvent(0x201);
    Type("mouse_y_up_edit", QStringLiteral("300"));
    m_panel->InsertMouseEvent(0x200, 2);
    EXPECT_EQ(Captions(),
              (std::vector<QString>{QStringLiteral("Left button"), QStringLiteral("Move up")}));
    Type("macro_fixed_time_edit", QStringLiteral("20"));
    m_panel->Rows().DelayEdit(0)->SetText(QStringLiteral("120"));
    m_panel->SaveSelectedMacro();

    const std::vector<MacroEvent> saved = MacroLibrary(Folder()).Load(1);
    ASSERT_EQ(saved.size(), 2u);
    EXPECT_EQ(saved[0].delay, 120);
    EXPECT_EQ(saved[0].type, 1);
    EXPECT_TRUE(saved[0].down);
    EXPECT_EQ(saved[1].delay, 50);  // the constant delay when it was inserted
    EXPECT_EQ(saved[1].type, 5);
    EXPECT_EQ(saved[1].button, 44);

    // Loaded again from the files into a fresh list.
    m_panel->LoadMacroList();
    EXPECT_EQ(m_panel->MacroNames(),
              (std::vector<QString>{QStringLiteral("macro_1"), QStringLiteral("Jump")}));
    Find<CListUI>("macro_name_list")->SelectItem(1, false, false);
    m_panel->LoadSelectedMacro();
    ASSERT_EQ(m_panel->Rows().RowCount(), 2);
    EXPECT_EQ(Delay(0), u"120");
    EXPECT_EQ(Delay(1), u"50");
    EXPECT_EQ(Caption(1), u"Move up");

    // Delete: the selected macro and its file go; the first macro is selected.
    const std::filesystem::path events = MacroLibrary(Folder()).EventFilePath(1);
    ASSERT_TRUE(std::filesystem::exists(events));
    EXPECT_EQ(m_panel->DeleteMacro(), 1);
    EXPECT_FALSE(std::filesystem::exists(events));
    EXPECT_EQ(m_panel->GetSelectedMacro(), 0);
    EXPECT_EQ(MacroLibrary(Folder()).Names(), (std::vector<std::string>{"macro_1"}));
    EXPECT_EQ(m_panel->DeleteMacro(), 0);
    EXPECT_EQ(m_panel->DeleteMacro(), -1);
    EXPECT_FALSE(Find("macro_action_layout")->IsEnabled());
}

TEST_F(MacroPanel, ExportAndImportCopyTheFileAndStopAtFifty) {
    m_panel->AddMacro();
    m_panel->InsertMouseEvent(0x20B, 1);
    m_panel->InsertMouseEvent(0x20C, 1);
    m_panel->SaveSelectedMacro();
    const std::filesystem::path exported = m_dir / "out.mac";
    m_panel->ExportSelectedMacro(exported);
    EXPECT_EQ(FileText(exported), FileText(MacroLibrary(Folder()).EventFilePath(0)));

    EXPECT_TRUE(m_panel->ImportMacro({}).isEmpty());
    EXPECT_EQ(m_panel->ImportMacro(exported), u"macro_2");
    EXPECT_EQ(m_panel->GetSelectedMacro(), 1);
    EXPECT_EQ(Captions(), (std::vector<QString>{QStringLiteral("Back"), QStringLiteral("Back")}));

    while (m_panel->MacroNames().size() < 50) {
        ASSERT_FALSE(m_panel->AddMacro().isEmpty());
    }
    EXPECT_TRUE(m_panel->AddMacro().isEmpty());
    EXPECT_TRUE(m_panel->ImportMacro(exported).isEmpty());
    EXPECT_EQ(MacroLibrary(Folder()).Count(), 50);
}

TEST_F(MacroPanel, MovesRebuildRowsAndDeletesRemoveThem) {
    m_panel->AddMacro();
    for (unsigned message : {0x201u, 0x204u, 0x207u}) {
        m_panel->InsertMouseEvent(message);
    }
    auto* list = Find<CListUI>("macro_action_list");
    list->SelectItem(2, false, false);
    m_panel->MoveActionTop();
    EXPECT_EQ(Captions(),
              (std::vector<QString>{QStringLiteral("Middle button"), QStringLiteral("Left button"),
                                    QStringLiteral("Right button")}));
    EXPECT_EQ(list->GetCurSel(), 0);
    m_panel->MoveActionUp();  // at the edge: nothing
    m_panel->MoveActionDown();
    EXPECT_EQ(Caption(1), u"Middle button");
    m_panel->MoveActionBottom();
    EXPECT_EQ(Caption(2), u"Middle button");
    EXPECT_EQ(list->GetCurSel(), 2);
    m_panel->DeleteAction();
    EXPECT_EQ(m_panel->Rows().RowCount(), 2);
    m_panel->DeleteAllActions();
    EXPECT_EQ(m_panel->Rows().RowCount(), 0);
    EXPECT_EQ(list->GetCurSel(), -1);
}

TEST_F(MacroPanel, RecordingLocksTheEditorAndTakesKeys) {
    m_panel->AddMacro();
    Find<COptionUI>("macro_check_time")->Selected(true, false);
    EXPECT_TRUE(m_panel->IsConstantDelayChosen());
    Type("macro_fixed_time_edit", QStringLiteral("70"));
    m_panel->StartRecording(MacroRecorder::kConstantDelay);
    EXPECT_FALSE(Find("macro_btn_starredio")->IsVisible());
    EXPECT_TRUE(Find("macro_btn_stopredio")->IsVisible());
    EXPECT_FALSE(Find("macro_tab_macroaction_edit")->IsEnabled());
    EXPECT_FALSE(Find("macro_tab_macrodelay_edit")->IsEnabled());

    KeyRecord a;
    a.scanCode = 0x1E;
    m_panel->OnKeyEvent(MacroPlacement::kAppend, 256, a);
    m_panel->OnKeyEvent(MacroPlacement::kAppend, 256, a);
    m_panel->OnKeyEvent(MacroPlacement::kAppend, 257, a);
    MouseRecord back;
    back.button = MouseButton::kBack;
    m_panel->OnMouseEvent(MacroPlacement::kAppend, 0x20B, back);
    EXPECT_EQ(Captions(), (std::vector<QString>{QStringLiteral("A"), QStringLiteral("A"),
                                                QStringLiteral("Back")}));
    EXPECT_EQ(Delay(0), u"70");
    EXPECT_EQ(Delay(2), u"70");

    m_panel->StopRecording();
    EXPECT_TRUE(Find("macro_btn_starredio")->IsVisible());
    EXPECT_FALSE(Find("macro_btn_stopredio")->IsVisible());
    EXPECT_TRUE(Find("macro_tab_macroaction_edit")->IsEnabled());

    // A constant delay past the device's range is held at 65535 and shown so.
    Type("macro_fixed_time_edit", QStringLiteral("70000"));
    EXPECT_EQ(m_panel->Recorder().ConstantDelay(), 65535);
    EXPECT_EQ(Find<CEditUI>("macro_fixed_time_edit")->GetEditText(), u"65535");
}

}  // namespace
}  // namespace quaro
