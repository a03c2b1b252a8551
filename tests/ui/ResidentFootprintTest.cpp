// What keeps the window's memory down must not change what it shows: a large picture drawn
// smaller is held at the drawn size but still shows in every control that draws it, a combo
// under the application's style sheet builds its drop-down only when asked, with every row, a
// control the style sheet has not reached yet is styled before it first shows, a tab is sized by
// the page it shows, and the skin's look reaches every window and menu from the windows.

#include "TempDir.h"
#include "support/RecordingWindow.h"
#include "ui/toolkit/CComboUI.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CControlUI.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/CListUI.h"
#include "ui/toolkit/CMenuWnd.h"
#include "ui/toolkit/CRenderEngine.h"
#include "ui/toolkit/CResourceManager.h"
#include "ui/toolkit/CTabLayoutUI.h"

#include <QAbstractItemView>
#include <QApplication>
#include <QImage>
#include <QListView>
#include <QMenu>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

#include <memory>
#include <string>
#include <vector>

namespace quaro {
namespace {

// Left half red, right half blue: a picture scaled or cut wrongly shows the wrong colour at one
// of the probes.
void WriteHalves(const std::filesystem::path& file, int width, int height) {
    QImage image(width, height, QImage::Format_RGB32);
    image.fill(Qt::red);
    QPainter painter(&image);
    painter.fillRect(width / 2, 0, width - width / 2, height, Qt::blue);
    painter.end();
    ASSERT_TRUE(image.save(QString::fromStdString(file.string())));
}

class ScaledPictures : public ::testing::Test {
protected:
    ScaledPictures() {
        WriteHalves(m_dir / "big.png", 400, 200);
        WriteHalves(m_dir / "small.png", 40, 20);
        m_resources.SetResourcePath(QString::fromStdString(m_dir.Path().string()));
    }

    // Draws the description into a canvas of the given size, the way a control's background is.
    QImage Draw(const QString& description, QSize size) {
        QImage canvas(size, QImage::Format_RGB32);
        canvas.fill(Qt::black);
        QPainter painter(&canvas);
        m_drawn = CRenderEngine::DrawImageString(painter, canvas.rect(), description, &m_resources);
        return canvas;
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
    bool m_drawn = false;
};

TEST_F(ScaledPictures, AShrunkPictureIsHeldAtTheDrawnSizeOnce) {
    const QPixmap first = m_resources.GetImageAt(QStringLiteral("big.png"), QSize(100, 50));
    ASSERT_FALSE(first.isNull());
    EXPECT_EQ(first.size(), QSize(100, 50));
    EXPECT_EQ(first.toImage().pixelColor(10, 25), QColor(Qt::red));
    EXPECT_EQ(first.toImage().pixelColor(90, 25), QColor(Qt::blue));
    // The same size again is the kept copy, not a new scaling.
    EXPECT_EQ(m_resources.GetImageAt(QStringLiteral("big.png"), QSize(100, 50)).cacheKey(),
              first.cacheKey());
    // Another size replaces it and is right too.
    const QPixmap other = m_resources.GetImageAt(QStringLiteral("big.png"), QSize(200, 100));
    EXPECT_EQ(other.size(), QSize(200, 100));
    EXPECT_EQ(other.toImage().pixelColor(190, 50), QColor(Qt::blue));
}

TEST_F(ScaledPictures, AWindowThatGrowsOrShrinksKeepsOnlyTheFormItDrawsNow) {
    constexpr qint64 kPixelBytes = 4;
    ASSERT_FALSE(m_resources.GetImageAt(QStringLiteral("big.png"), QSize(100, 50)).isNull());
    EXPECT_EQ(m_resources.HeldPictureBytes(), 100 * 50 * kPixelBytes);
    // Grown past the picture: the full decode serves, the small copy goes.
    EXPECT_EQ(m_resources.GetImageAt(QStringLiteral("big.png"), QSize(800, 400)).size(),
              QSize(400, 200));
    EXPECT_EQ(m_resources.HeldPictureBytes(), 400 * 200 * kPixelBytes);
    // Shrunk again: scaled from the held decode, which then goes.
    const QPixmap small = m_resources.GetImageAt(QStringLiteral("big.png"), QSize(200, 100));
    EXPECT_EQ(small.toImage().pixelColor(190, 50), QColor(Qt::blue));
    EXPECT_EQ(m_resources.HeldPictureBytes(), 200 * 100 * kPixelBytes);
}

TEST_F(ScaledPictures, PicturesShownAtTheirSizeOrStretchedShareTheOneDecode) {
    const QPixmap shared = m_resources.GetImage(QStringLiteral("small.png"));
    ASSERT_FALSE(shared.isNull());
    EXPECT_EQ(m_resources.GetImageAt(QStringLiteral("small.png"), QSize(40, 20)).cacheKey(),
              shared.cacheKey());
    EXPECT_EQ(m_resources.GetImageAt(QStringLiteral("small.png"), QSize(80, 10)).cacheKey(),
              shared.cacheKey());
    // Never asked for whole before: still one decode, kept for the next control.
    const QPixmap stretched = m_resources.GetImageAt(QStringLiteral("big.png"), QSize(800, 400));
    EXPECT_EQ(stretched.size(), QSize(400, 200));
    EXPECT_EQ(m_resources.GetImage(QStringLiteral("big.png")).cacheKey(), stretched.cacheKey());
    EXPECT_TRUE(m_resources.GetImageAt(QStringLiteral("missing.png"), QSize(10, 10)).isNull());
    EXPECT_EQ(m_resources.GetImageAt(QStringLiteral("big.png"), QSize()).size(), QSize(400, 200));
}

TEST_F(ScaledPictures, OnePictureShowsInEveryControlThatDrawsIt) {
    // Two backgrounds of different sizes and a cut-out of the same file, in turn, as two pages
    // drawing one skin picture do: each shows the whole picture (or its part) at its own size.
    const QImage wide = Draw(QStringLiteral("big.png"), QSize(120, 60));
    ASSERT_TRUE(m_drawn);
    EXPECT_EQ(wide.pixelColor(5, 30), QColor(Qt::red));
    EXPECT_EQ(wide.pixelColor(115, 30), QColor(Qt::blue));
    const QImage narrow = Draw(QStringLiteral("file='big.png'"), QSize(60, 30));
    ASSERT_TRUE(m_drawn);
    EXPECT_EQ(narrow.pixelColor(5, 15), QColor(Qt::red));
    EXPECT_EQ(narrow.pixelColor(55, 15), QColor(Qt::blue));
    const QImage part =
        Draw(QStringLiteral("file='big.png' source='200,0,400,200'"), QSize(50, 50));
    ASSERT_TRUE(m_drawn);
    EXPECT_EQ(part.pixelColor(5, 5), QColor(Qt::blue));
    const QImage again = Draw(QStringLiteral("big.png"), QSize(120, 60));
    EXPECT_EQ(again, wide);
    Draw(QStringLiteral("missing.png"), QSize(10, 10));
    EXPECT_FALSE(m_drawn);
}

class StyledCombo : public ::testing::Test {
protected:
    StyledCombo() {
        qApp->setStyleSheet(QStringLiteral("QComboBox { color: #dfe6f3; }"));
        m_host.resize(200, 100);
        for (const char* text : {"one", "two", "three"}) {
            auto* row = new CListLabelElementUI;
            row->SetText(QString::fromLatin1(text));
            m_combo->Add(row);
        }
        m_host.Add(m_combo);
        m_host.show();
        EXPECT_TRUE(QTest::qWaitForWindowExposed(&m_host));
        m_host.ensurePolished();
    }
    ~StyledCombo() override { qApp->setStyleSheet(QString()); }

    bool HasDropDown() const { return m_combo->findChild<QAbstractItemView*>() != nullptr; }

    CVerticalLayoutUI m_host;
    CComboUI* m_combo = new CComboUI;
};

TEST_F(StyledCombo, TheDropDownIsBuiltWhenFirstAskedForWithEveryRow) {
    EXPECT_FALSE(HasDropDown());
    // A later change of the sheet reaches the combo again without building it.
    qApp->setStyleSheet(QStringLiteral("QComboBox { color: #18d8ff; }"));
    EXPECT_FALSE(HasDropDown());
    EXPECT_EQ(m_combo->GetCount(), 3);

    m_combo->SetItemVisible(1, false);
    ASSERT_TRUE(HasDropDown());
    auto* list = qobject_cast<QListView*>(m_combo->view());
    ASSERT_NE(list, nullptr);
    EXPECT_EQ(list->model()->rowCount(), 3);
    EXPECT_TRUE(list->isRowHidden(1));
    EXPECT_FALSE(m_combo->IsItemVisible(1));
    EXPECT_TRUE(m_combo->IsItemVisible(2));

    // Once built, style changes go to it as before, and it still opens.
    qApp->setStyleSheet(QStringLiteral("QComboBox { color: #dfe6f3; }"));
    m_combo->showPopup();
    EXPECT_TRUE(m_combo->view()->isVisible());
    m_combo->hidePopup();
    EXPECT_TRUE(m_combo->SelectItem(2, false, false));
    EXPECT_EQ(m_combo->currentText(), u"three");
}

// Records the order in which the style reaches deferred controls.
class PolishProbe : public CControlOn<QWidget> {
public:
    PolishProbe(std::string name, std::vector<std::string>& order, QWidget* parent = nullptr)
        : CControlOn<QWidget>(parent), m_name(std::move(name)), m_order(order) {
        setProperty("skin", "probe");
    }

protected:
    void ReplayStyleEvent(QEvent::Type type) override {
        if (type == QEvent::Polish) {
            m_order.push_back(m_name);
        }
        CControlOn<QWidget>::ReplayStyleEvent(type);
    }

private:
    std::string m_name;
    std::vector<std::string>& m_order;
};

TEST(DeferredPolish, AControlIsStyledAtItsFirstShowEnclosingControlsFirst) {
    qApp->setStyleSheet(QStringLiteral("QWidget[skin=\"probe\"] { background: #ff0000; }"));
    std::vector<std::string> order;
    PolishProbe window("window", order);
    window.resize(120, 60);
    auto* shown = new PolishProbe("shown", order, &window);
    shown->setGeometry(0, 0, 40, 40);
    auto* panel = new PolishProbe("panel", order, &window);
    panel->setGeometry(60, 0, 40, 40);
    auto* inner = new PolishProbe("inner", order, panel);
    inner->setGeometry(0, 0, 20, 20);
    panel->hide();
    window.show();
    QCoreApplication::processEvents();

    EXPECT_TRUE(window.IsStylePolished());
    EXPECT_TRUE(shown->IsStylePolished());
    EXPECT_EQ(shown->palette().color(QPalette::Window), QColor(0xff, 0, 0));
    // Behind the window's other content: never styled while it is not shown.
    EXPECT_FALSE(panel->IsStylePolished());
    EXPECT_FALSE(inner->IsStylePolished());
    EXPECT_FALSE(inner->testAttribute(Qt::WA_WState_Polished));

    order.clear();
    panel->show();
    EXPECT_EQ(order, (std::vector<std::string>{"panel", "inner"}));
    EXPECT_TRUE(inner->testAttribute(Qt::WA_WState_Polished));
    EXPECT_EQ(inner->palette().color(QPalette::Window), QColor(0xff, 0, 0));
    const QImage picture = window.grab().toImage();
    EXPECT_EQ(picture.pixelColor(70, 10), QColor(0xff, 0, 0));

    // A child added to a container not on screen is neither shown nor styled by the adding,
    // and shows, styled, with its container.
    auto* box = new CVerticalLayoutUI;
    auto* late = new PolishProbe("late", order, nullptr);
    box->Add(late);
    EXPECT_FALSE(late->isHidden());
    EXPECT_FALSE(late->testAttribute(Qt::WA_WState_Polished));
    box->setParent(&window);
    box->setGeometry(0, 40, 60, 20);
    QCoreApplication::processEvents();
    // Moving it under the window would have styled it at once had the adding shown it.
    EXPECT_NE(late->palette().color(QPalette::Window), QColor(0xff, 0, 0));
    box->show();
    EXPECT_TRUE(late->isVisible());
    EXPECT_EQ(late->palette().color(QPalette::Window), QColor(0xff, 0, 0));
    qApp->setStyleSheet(QString());
}

// A page that counts how often a layout measures it.
class SizeProbe : public CControlOn<QWidget> {
public:
    explicit SizeProbe(QSize hint) : m_hint(hint) {}
    QSize sizeHint() const override {
        ++m_measured;
        return m_hint;
    }
    QSize minimumSizeHint() const override {
        ++m_measured;
        return m_hint;
    }
    mutable int m_measured = 0;

private:
    QSize m_hint;
};

TEST(CurrentPageLayout, ATabIsSizedByTheOnePageItShows) {
    QWidget window;
    auto* box = new CVerticalLayoutUI;
    auto* tabs = new CTabLayoutUI;
    auto* small = new SizeProbe({100, 50});
    auto* large = new SizeProbe({300, 200});
    tabs->Add(small);
    tabs->Add(large);
    box->Add(tabs);
    box->setParent(&window);
    tabs->SelectItem(0, false);

    EXPECT_EQ(box->sizeHint(), QSize(100, 50));
    EXPECT_EQ(box->minimumSizeHint(), QSize(100, 50));
    window.show();
    QCoreApplication::processEvents();
    // The page not shown is never measured, and so never styled for it.
    EXPECT_GT(small->m_measured, 0);
    EXPECT_EQ(large->m_measured, 0);

    // Another page: the enclosing layouts ask again, also before anything is laid out.
    tabs->SelectItem(1, false);
    EXPECT_EQ(box->sizeHint(), QSize(300, 200));
    EXPECT_EQ(box->minimumSizeHint(), QSize(300, 200));
    QCoreApplication::processEvents();
    EXPECT_EQ(large->geometry().size(), box->size());

    // A page that asks to be ignored in a direction gives nothing there, as in Qt's own stack.
    large->setSizePolicy(QSizePolicy::Ignored, QSizePolicy::Preferred);
    EXPECT_EQ(tabs->GetWidget()->layout()->itemAt(0)->layout()->sizeHint(), QSize(0, 200));
}

TEST(WindowStyleSheet, TheSkinsLookReachesWindowsAndMenusButNotTheApplication) {
    test::TempDir dir;
    test::WriteFileBytes(dir / "style.qss",
                         "QWidget[skin=\"probe\"] { background: #ff0000; }\n"
                         "QMenu { background: #00ff00; }\n");
    test::WriteFileBytes(dir / "w.xml",
                         "<Window><VerticalLayout name=\"root\"><Control name=\"c\" "
                         "height=\"20\"/></VerticalLayout></Window>");
    test::WriteFileBytes(dir / "m.xml", "<Menu><MenuElement name=\"a\" text=\"A\"/></Menu>");
    CResourceManager resources;
    resources.SetResourcePath(QString::fromStdString(dir.Path().string()));
    test::RecordingWindow window(resources, QStringLiteral("w.xml"));
    ASSERT_TRUE(window.Create(QStringLiteral("t"), Qt::Window));
    EXPECT_TRUE(qApp->styleSheet().isEmpty());
    EXPECT_FALSE(window.styleSheet().isEmpty());

    // Built after the window, as device pages are: styled once it shows.
    std::vector<std::string> order;
    auto* late = new PolishProbe("late", order, nullptr);
    static_cast<CContainerUI*>(window.FindControl(QStringLiteral("root")))->Add(late);
    window.resize(100, 60);
    window.show();
    QCoreApplication::processEvents();
    EXPECT_EQ(order, std::vector<std::string>{"late"});
    EXPECT_EQ(late->palette().color(QPalette::Window), QColor(0xff, 0, 0));

    std::unique_ptr<QMenu> menu(CMenuWnd::Build(QStringLiteral("m.xml"), resources));
    ASSERT_NE(menu, nullptr);
    menu->ensurePolished();
    EXPECT_EQ(menu->palette().color(QPalette::Window), QColor(0, 0xff, 0));
}

}  // namespace
}  // namespace quaro
