// The toolkit adapter: layouts become controls, user actions become notifications of the right
// kind and sender, programmatic changes notify only when asked, and texts follow the language.

#include "TempDir.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CColorPaletteUI.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CControlFactory.h"
#include "ui/toolkit/CEditUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/CListUI.h"
#include "ui/toolkit/COptionUI.h"
#include "ui/toolkit/CRenderEngine.h"
#include "ui/toolkit/CSliderUI.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QSignalSpy>
#include <QTest>
#include <gtest/gtest.h>

namespace quaro {
namespace {

using test::RecordingWindow;

constexpr const char* kLayout = R"(<?xml version="1.0" encoding="UTF-8"?>
<Window size="400,360" caption="0,0,0,30">
  <VerticalLayout name="root" bkcolor="#FF101010">
    <Button name="go" text="%[go_text]" tooltip="go_tip" userdata="payload" width="80" height="30"/>
    <HorizontalLayout height="30">
      <Option name="first" group="g" selected="true" text="A"/>
      <Option name="second" group="g" text="B"/>
    </HorizontalLayout>
    <Slider name="level" min="0" max="10" value="3" height="20"/>
    <Combo name="choice" height="24">
      <ListLabelElement text="%[one]"/>
      <ListLabelElement text="%[two]"/>
    </Combo>
    <Edit name="field" maxchar="4" numberonly="true" minvalue="1" maxvalue="500" height="24"/>
    <List name="rows" height="80">
      <ListLabelElement name="row0" text="r0"/>
      <ListLabelElement name="row1" text="r1"/>
    </List>
    <TabLayout name="pages" selectedid="1" height="20">
      <Control name="page0"/>
      <Control name="page1"/>
    </TabLayout>
    <ColorPalette name="palette" height="60"/>
    <Label name="hidden_label" visible="false" enabled="false" text="x"/>
    <Mystery name="custom"/>
  </VerticalLayout>
</Window>
)";

constexpr const char* kLanguageA = R"(<Language>
  <Text id="go_text">Go</Text><Text id="go_tip">Start</Text>
  <Text id="one">One</Text><Text id="two">Two</Text>
</Language>)";
constexpr const char* kLanguageB = R"(<Language>
  <Text id="go_text">Los</Text><Text id="go_tip">Starten</Text>
  <Text id="one">Eins</Text><Text id="two">Zwei</Text>
</Language>)";

// The window's create-control callback knows one tag of its own.
class CallbackWindow : public RecordingWindow {
public:
    using RecordingWindow::RecordingWindow;
    CControlUI* CreateControl(const QString& className) override {
        if (className == u"Mystery") {
            return new CLabelUI;
        }
        return nullptr;
    }
};

class Toolkit : public ::testing::Test {
protected:
    Toolkit() {
        test::WriteFileBytes(m_dir / "layout.xml", kLayout);
        test::WriteFileBytes(m_dir / "lan_a.xml", kLanguageA);
        test::WriteFileBytes(m_dir / "lan_b.xml", kLanguageB);
        m_resources.SetResourcePath(QString::fromStdString(m_dir.Path().string()));
        m_resources.LoadLanguage(QStringLiteral("lan_a.xml"));
        m_window = std::make_unique<CallbackWindow>(m_resources, QStringLiteral("layout.xml"));
        m_window->Create(QStringLiteral("test"), Qt::Window | Qt::FramelessWindowHint);
        m_window->show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(m_window.get()));
    }

    template <class T>
    T* Find(const char* name) {
        T* control = m_window->FindControlAs<T>(QLatin1String(name));
        EXPECT_NE(control, nullptr) << name;
        return control;
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
    std::unique_ptr<CallbackWindow> m_window;
};

TEST_F(Toolkit, BuildsEveryTagWithItsAttributes) {
    EXPECT_TRUE(m_window->BuildProblems().isEmpty());
    EXPECT_EQ(m_window->size(), QSize(400, 360));
    auto* go = Find<CButtonUI>("go");
    EXPECT_EQ(go->text(), u"Go");
    EXPECT_EQ(go->toolTip(), u"Start");
    EXPECT_EQ(go->GetUserData(), u"payload");
    EXPECT_EQ(go->width(), 80);
    EXPECT_EQ(m_window->FindControl(QStringLiteral("root"))->GetBkColor(), 0xFF101010u);
    EXPECT_TRUE(Find<COptionUI>("first")->IsSelected());
    EXPECT_EQ(Find<CSliderUI>("level")->GetValue(), 3);
    EXPECT_EQ(Find<CComboUI>("choice")->itemText(1), u"Two");
    EXPECT_EQ(Find<CEditUI>("field")->GetMaxChar(), 4);
    EXPECT_EQ(Find<CListUI>("rows")->GetCount(), 2);
    EXPECT_EQ(Find<CTabLayoutUI>("pages")->GetCurSel(), 1);
    auto* label = Find<CLabelUI>("hidden_label");
    EXPECT_FALSE(label->IsVisible());
    EXPECT_FALSE(label->IsEnabled());
    // The unknown tag went to the window's callback.
    EXPECT_NE(Find<CLabelUI>("custom"), nullptr);
}

TEST_F(Toolkit, UnknownTagsAndAttributesAreReported) {
    test::WriteFileBytes(
        m_dir / "bad.xml",
        "<VerticalLayout><Gizmo name=\"g\"/><Button wobble=\"1\"/></VerticalLayout>");
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(QStringLiteral("bad.xml"), m_resources));
    ASSERT_TRUE(root);
    EXPECT_TRUE(builder.Problems().contains(QStringLiteral("Gizmo")));
    EXPECT_TRUE(builder.Problems().contains(QStringLiteral("Button.wobble")));
}

// Children are placed in their parents while the layout is read, so a container built off screen
// shows them only once it is shown itself, and what was hidden on purpose stays hidden.
TEST_F(Toolkit, OverlappingChildrenShowWithTheirContainer) {
    test::WriteFileBytes(m_dir / "overlap.xml",
                         "<Container name=\"box\"><VerticalLayout name=\"inner\">"
                         "<Control name=\"deep\"/></VerticalLayout>"
                         "<Control name=\"shut\" visible=\"false\"/>"
                         "<Label name=\"text\"><Button name=\"lost\"/></Label></Container>");
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(QStringLiteral("overlap.xml"), m_resources));
    ASSERT_TRUE(root);
    QWidget* box = root->GetWidget();
    auto* inner = box->findChild<QWidget*>(QStringLiteral("inner"));
    auto* deep = box->findChild<QWidget*>(QStringLiteral("deep"));
    auto* shut = box->findChild<QWidget*>(QStringLiteral("shut"));
    ASSERT_NE(inner, nullptr);
    ASSERT_NE(deep, nullptr);
    ASSERT_NE(shut, nullptr);
    EXPECT_EQ(deep->parentWidget(), inner);
    EXPECT_EQ(box->findChild<QWidget*>(QStringLiteral("lost")), nullptr);
    EXPECT_TRUE(builder.Problems().contains(QStringLiteral("Label:cannot hold Button")));
    EXPECT_FALSE(inner->isVisible());

    box->show();
    EXPECT_TRUE(inner->isVisible());
    EXPECT_TRUE(deep->isVisible());
    EXPECT_FALSE(shut->isVisible());
    // Added to a container already on screen, a child shows at once, unless hidden on purpose.
    auto* late = new CLabelUI;
    auto* hiddenLate = new CLabelUI;
    hiddenLate->SetVisible(false);
    auto* container = dynamic_cast<CContainerUI*>(root.get());
    ASSERT_NE(container, nullptr);
    container->Add(late);
    container->Add(hiddenLate);
    EXPECT_TRUE(late->GetWidget()->isVisible());
    EXPECT_FALSE(hiddenLate->GetWidget()->isVisible());
}

TEST_F(Toolkit, RegisteredClassesBuildInAnyWindow) {
    CControlFactory::GetInstance().RegistControl(QStringLiteral("CTestWidgetUI"),
                                                 [] { return new CLabelUI; });
    test::WriteFileBytes(m_dir / "registered.xml", "<CTestWidgetUI name=\"made\"/>");
    CDialogBuilder builder;
    std::unique_ptr<CControlUI> root(builder.Create(QStringLiteral("registered.xml"), m_resources));
    ASSERT_TRUE(root);
    EXPECT_EQ(root->GetName(), u"made");
    EXPECT_TRUE(builder.Problems().isEmpty());
}

TEST_F(Toolkit, WindowInitArrivesFromTheEventLoopWithTheRoot) {
    ASSERT_TRUE(test::WaitFor([&] { return !m_window->NotesOf(notify::kWindowInit).empty(); }));
    EXPECT_EQ(m_window->NotesOf(notify::kWindowInit)[0].sender, u"root");
}

TEST_F(Toolkit, UserActionsReachNotifyWithTypeAndSender) {
    QTest::mouseClick(Find<CButtonUI>("go"), Qt::LeftButton);
    QTest::mouseClick(Find<COptionUI>("second"), Qt::LeftButton);
    auto* edit = Find<CEditUI>("field");
    edit->setFocus();
    QTest::keyClicks(edit, "12");
    QTest::keyClick(edit, Qt::Key_Return);
    Find<CButtonUI>("go")->setFocusPolicy(Qt::StrongFocus);
    Find<CButtonUI>("go")->setFocus();

    const auto clicks = m_window->NotesOf(notify::kClick);
    ASSERT_GE(clicks.size(), 2u);
    EXPECT_EQ(clicks[0].sender, u"go");
    const auto selects = m_window->NotesOf(notify::kSelectChanged);
    ASSERT_EQ(selects.size(), 2u);  // the new one selected, the old one cleared
    EXPECT_TRUE((selects[0].sender == u"second" && selects[0].wParam == 1) ||
                (selects[1].sender == u"second" && selects[1].wParam == 1));
    EXPECT_FALSE(Find<COptionUI>("first")->IsSelected());
    EXPECT_EQ(m_window->NotesOf(notify::kTextChanged).size(), 2u);
    EXPECT_EQ(m_window->NotesOf(notify::kReturn).at(0).sender, u"field");
    EXPECT_EQ(m_window->NotesOf(notify::kSetFocus).at(0).sender, u"field");
    EXPECT_EQ(m_window->NotesOf(notify::kKillFocus).at(0).sender, u"field");
}

TEST_F(Toolkit, SliderDragMovesThenSettles) {
    auto* slider = Find<CSliderUI>("level");
    slider->setSliderDown(true);
    slider->setSliderPosition(5);
    slider->setSliderPosition(6);
    slider->setSliderDown(false);
    const auto moves = m_window->NotesOf(notify::kMoveValueChanged);
    ASSERT_EQ(moves.size(), 2u);
    EXPECT_EQ(moves[1].wParam, 6u);
    const auto values = m_window->NotesOf(notify::kValueChanged);
    ASSERT_EQ(values.size(), 1u);
    EXPECT_EQ(values[0].sender, u"level");
    EXPECT_EQ(values[0].wParam, 6u);
}

TEST_F(Toolkit, ListAndComboChoicesNotifyItemSelectAndActivate) {
    auto* rows = Find<CListUI>("rows");
    auto* row1 = dynamic_cast<CListContainerElementUI*>(rows->GetItemAt(1));
    ASSERT_NE(row1, nullptr);
    QTest::mouseClick(row1, Qt::LeftButton);
    QTest::mouseDClick(row1, Qt::LeftButton);
    const auto selects = m_window->NotesOf(notify::kItemSelect);
    ASSERT_EQ(selects.size(), 1u);
    EXPECT_EQ(selects[0].sender, u"rows");
    EXPECT_EQ(selects[0].wParam, 1u);
    EXPECT_EQ(m_window->NotesOf(notify::kItemActivate).at(0).sender, u"row1");
    EXPECT_EQ(m_window->NotesOf(notify::kItemClick).at(0).sender, u"row1");

    auto* combo = Find<CComboUI>("choice");
    emit combo->activated(1);
    EXPECT_EQ(m_window->NotesOf(notify::kItemSelect).back().sender, u"choice");
}

TEST_F(Toolkit, PaletteChoiceNotifiesColourChanged) {
    auto* palette = Find<CColorPaletteUI>("palette");
    QTest::mouseClick(palette, Qt::LeftButton, {}, QPoint(2, 2));
    const auto changes = m_window->NotesOf(notify::kColorChanged);
    ASSERT_EQ(changes.size(), 1u);
    EXPECT_EQ(changes[0].wParam, palette->GetSelectColor());
    palette->SetSelectColor(0xFF00FF00);
    EXPECT_EQ(palette->GetSelectColor(), 0xFF00FF00u);
    EXPECT_EQ(m_window->NotesOf(notify::kColorChanged).size(), 1u);
}

TEST_F(Toolkit, ProgrammaticChangesNotifyOnlyWhenAsked) {
    m_window->ClearNotes();
    Find<COptionUI>("second")->Selected(true, false);
    Find<CSliderUI>("level")->SetValue(7);
    Find<CComboUI>("choice")->SelectItem(1, false, false);
    Find<CListUI>("rows")->SelectItem(0, false, false);
    Find<CTabLayoutUI>("pages")->SelectItem(0, false);
    Find<CEditUI>("field")->SetText(QStringLiteral("9"));
    EXPECT_TRUE(m_window->NotesOf(notify::kSelectChanged).empty());
    EXPECT_TRUE(m_window->NotesOf(notify::kValueChanged).empty());
    EXPECT_TRUE(m_window->NotesOf(notify::kItemSelect).empty());
    EXPECT_TRUE(m_window->NotesOf(notify::kTabSelect).empty());
    EXPECT_TRUE(m_window->NotesOf(notify::kTextChanged).empty());
    EXPECT_TRUE(Find<COptionUI>("second")->IsSelected());
    EXPECT_FALSE(Find<COptionUI>("first")->IsSelected());

    Find<COptionUI>("first")->Selected(true, true);
    Find<CSliderUI>("level")->SetValue(2, true);
    Find<CComboUI>("choice")->SelectItem(0, false, true);
    Find<CListUI>("rows")->SelectItem(1, false, true);
    Find<CTabLayoutUI>("pages")->SelectItem(1, true);
    EXPECT_FALSE(m_window->NotesOf(notify::kSelectChanged).empty());
    EXPECT_EQ(m_window->NotesOf(notify::kValueChanged).at(0).wParam, 2u);
    EXPECT_EQ(m_window->NotesOf(notify::kItemSelect).size(), 2u);
    EXPECT_EQ(m_window->NotesOf(notify::kTabSelect).at(0).wParam, 1u);

    // A selected option may be cleared by the program even inside its group.
    Find<COptionUI>("first")->Selected(false, false);
    EXPECT_FALSE(Find<COptionUI>("first")->IsSelected());
}

TEST_F(Toolkit, NumberOnlyEditRefusesTextAndOutOfRange) {
    auto* edit = Find<CEditUI>("field");
    edit->setFocus();
    QTest::keyClicks(edit, "a7x");
    EXPECT_EQ(edit->text(), u"7");
    edit->clear();
    QTest::keyClicks(edit, "9999");
    EXPECT_FALSE(edit->hasAcceptableInput());
}

TEST_F(Toolkit, ControlTimersRepeatUntilKilled) {
    auto* label = Find<CLabelUI>("hidden_label");
    label->SetTimer(7, 5);
    ASSERT_TRUE(test::WaitFor([&] { return m_window->NotesOf(notify::kTimer).size() >= 2; }));
    label->KillTimer(7);
    const size_t seen = m_window->NotesOf(notify::kTimer).size();
    QTest::qWait(40);
    EXPECT_EQ(m_window->NotesOf(notify::kTimer).size(), seen);
    EXPECT_EQ(m_window->NotesOf(notify::kTimer)[0].wParam, 7u);
    EXPECT_EQ(m_window->NotesOf(notify::kTimer)[0].sender, u"hidden_label");
}

TEST_F(Toolkit, WindowTimersDeliverTheTimerMessage) {
    m_window->SetTimer(1011, 5);
    ASSERT_TRUE(test::WaitFor([&] {
        for (const auto& m : m_window->m_messages) {
            if (m.message == msg::kWmTimer && m.wParam == 1011) {
                return true;
            }
        }
        return false;
    }));
    m_window->KillTimer(1011);
    EXPECT_FALSE(m_window->HasTimer(1011));
}

TEST_F(Toolkit, LanguageSwitchReloadsEveryShownText) {
    ASSERT_TRUE(m_resources.LoadLanguage(QStringLiteral("lan_b.xml")));
    m_resources.ReloadText();
    EXPECT_EQ(Find<CButtonUI>("go")->text(), u"Los");
    EXPECT_EQ(Find<CButtonUI>("go")->toolTip(), u"Starten");
    EXPECT_EQ(Find<CComboUI>("choice")->itemText(0), u"Eins");
    // A language file that does not load keeps the texts there are.
    EXPECT_FALSE(m_resources.LoadLanguage(QStringLiteral("missing.xml")));
    EXPECT_EQ(m_resources.GetText(QStringLiteral("two")), u"Zwei");
    // An id with no text shows itself.
    EXPECT_EQ(m_resources.GetText(QStringLiteral("nowhere")), u"nowhere");
}

TEST(ImageDescription, ParsesFileSourceAndFade) {
    const ImageDescription plain = ImageDescription::Parse(QStringLiteral("common/a.png"));
    EXPECT_EQ(plain.file, u"common/a.png");
    EXPECT_TRUE(plain.source.isNull());
    const ImageDescription full =
        ImageDescription::Parse(QStringLiteral("file='x.png' source='10,20,110,70' fade='300'"));
    EXPECT_EQ(full.file, u"x.png");
    EXPECT_EQ(full.source, QRect(10, 20, 100, 50));
    EXPECT_EQ(full.fade, 255);
    EXPECT_EQ(ImageDescription::Parse(QStringLiteral("res='r.png' fade='80'")).fade, 80);
}

TEST(ParseColor, AcceptsTheLayoutForms) {
    EXPECT_EQ(ParseColor(QStringLiteral("#FF102030")), 0xFF102030u);
    EXPECT_EQ(ParseColor(QStringLiteral("#102030")), 0xFF102030u);
    EXPECT_EQ(ParseColor(QStringLiteral("0x80FFFFFF")), 0x80FFFFFFu);
    EXPECT_EQ(ParseColor(QStringLiteral("nonsense")), 0u);
}

}  // namespace
}  // namespace quaro
