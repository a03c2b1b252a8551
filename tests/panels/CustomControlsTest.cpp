// The application's own controls, driven like a user would and drawn onto offscreen images.

#include "TempDir.h"
#include "panels/controls/CChartViewUI.h"
#include "panels/controls/CCircleProgressUI.h"
#include "panels/controls/CComboEditContainerElementUI.h"
#include "panels/controls/CDeviceKeyButtonUI.h"
#include "panels/controls/CHandImgButtonUI.h"
#include "panels/controls/CHandImgSelectButtonUI.h"
#include "panels/controls/CRedioMacroButtonUI.h"
#include "panels/controls/CSelectPanelUI.h"
#include "panels/controls/CWndUI.h"
#include "support/QtTestApp.h"
#include "support/RecordingWindow.h"

#include <QApplication>
#include <QImage>
#include <QPainter>
#include <QTest>
#include <gtest/gtest.h>

namespace quaro {
namespace {

QImage Render(QWidget& widget) {
    QImage image(widget.size(), QImage::Format_ARGB32);
    image.fill(Qt::black);
    widget.render(&image);
    return image;
}

TEST(CircleProgress, QuarterRingStartsAtTheBottomAndRunsClockwise) {
    CCircleProgressUI ring;
    ring.resize(100, 100);
    ring.SetMinValue(0);
    ring.SetMaxValue(100);
    ring.SetValue(25);
    ring.SetBkColor(0xFF0000FF);
    ring.SetForeColor(0xFFFF0000);
    EXPECT_EQ(ring.SweepDegrees(), 90);

    QImage image(100, 100, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    ring.PaintRing(painter, QRect(0, 0, 100, 100));
    painter.end();
    // On the ring (radius between 40 and 50): bottom-left quarter foreground, the rest
    // background; the centre is white.
    EXPECT_EQ(image.pixelColor(50 - 32, 50 + 32), QColor(Qt::red));   // lower left
    EXPECT_EQ(image.pixelColor(50 + 32, 50 + 32), QColor(Qt::blue));  // lower right
    EXPECT_EQ(image.pixelColor(50 - 32, 50 - 32), QColor(Qt::blue));  // upper left
    EXPECT_EQ(image.pixelColor(50, 50), QColor(Qt::white));
}

TEST(CircleProgress, SweepIsTruncatedAndSafeForAnEmptyRange) {
    CCircleProgressUI ring;
    ring.SetMinValue(0);
    ring.SetMaxValue(7);
    ring.SetValue(1);
    EXPECT_EQ(ring.SweepDegrees(), 51);  // 51.43 truncated
    ring.SetMaxValue(0);
    EXPECT_EQ(ring.SweepDegrees(), 0);
}

TEST(RecordButton, PulsesBetween80And255) {
    CRedioMacroButtonUI button;
    button.SetAttribute(QStringLiteral("redioimage"), QStringLiteral("rec.png"));
    std::vector<int> levels;
    for (int i = 0; i < 19; ++i) {
        button.OnTimer(CRedioMacroButtonUI::kPulseTimer);
        levels.push_back(button.GetFadeLevel());
    }
    const std::vector<int> expected = {235, 215, 195, 175, 155, 135, 115, 95,  80, 100,
                                       120, 140, 160, 180, 200, 220, 240, 255, 235};
    EXPECT_EQ(levels, expected);
    EXPECT_EQ(button.GetNormalImage(), u"res='rec.png' fade='235'");
    // Not blinking: the step does not start the timer again.
    EXPECT_FALSE(button.HasTimer(CRedioMacroButtonUI::kPulseTimer));
    button.SetBlinking(true);
    button.OnTimer(CRedioMacroButtonUI::kPulseTimer);
    EXPECT_TRUE(button.HasTimer(CRedioMacroButtonUI::kPulseTimer));
}

TEST(RecordButton, WithoutARecordImageTheLevelStays) {
    CRedioMacroButtonUI button;
    button.OnTimer(CRedioMacroButtonUI::kPulseTimer);
    EXPECT_EQ(button.GetFadeLevel(), 255);
}

class InWindow : public ::testing::Test {
protected:
    InWindow() {
        test::WriteFileBytes(m_dir / "w.xml",
                             "<Window size=\"300,200\"><VerticalLayout name=\"root\"/></Window>");
        m_resources.SetResourcePath(QString::fromStdString(m_dir.Path().string()));
        m_window.Create(QStringLiteral("t"), Qt::Window | Qt::FramelessWindowHint);
        m_root = dynamic_cast<CContainerUI*>(m_window.GetRoot());
    }

    test::TempDir m_dir;
    CResourceManager m_resources;
    test::RecordingWindow m_window{m_resources, QStringLiteral("w.xml")};
    CContainerUI* m_root = nullptr;
};

TEST_F(InWindow, BandSelectionMarksKeysItTouchesEvenAtACorner) {
    auto* panel = new CSelectPanelUI;
    panel->setObjectName(QStringLiteral("device_key_light"));
    m_root->Add(panel);
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    auto* touched = new CDeviceKeyButtonUI(panel);
    touched->setGeometry(100, 100, 30, 30);
    auto* apart = new CDeviceKeyButtonUI(panel);
    apart->setGeometry(200, 20, 30, 30);
    touched->show();
    apart->show();

    QTest::mousePress(panel, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(panel, QPoint(60, 60));
    EXPECT_TRUE(panel->IsSelecting());
    QTest::mouseMove(panel, QPoint(100, 100));  // just the key's top-left pixel
    QTest::mouseRelease(panel, Qt::LeftButton, {}, QPoint(100, 100));
    EXPECT_FALSE(panel->IsSelecting());
    EXPECT_TRUE(touched->IsBandSelected());
    EXPECT_FALSE(apart->IsBandSelected());
    const auto ends = m_window.NotesOf(notify::kClickSelectEnd);
    ASSERT_EQ(ends.size(), 1u);
    EXPECT_EQ(ends[0].sender, u"device_key_light");
}

TEST_F(InWindow, APressWithoutMovingSelectsNothing) {
    auto* panel = new CSelectPanelUI;
    m_root->Add(panel);
    m_window.show();
    QTest::mouseClick(panel, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_TRUE(m_window.NotesOf(notify::kClickSelectEnd).empty());
}

TEST(SelectPanel, BandIsTranslucentBlueWithAnOpaqueBorder) {
    CSelectPanelUI panel;
    QImage image(50, 50, QImage::Format_ARGB32);
    image.fill(Qt::black);
    QPainter painter(&image);
    // Only the band's own drawing: fill then 2-pixel border around (10,10)-(40,40).
    panel.setGeometry(0, 0, 50, 50);
    QTest::mousePress(&panel, Qt::LeftButton, {}, QPoint(10, 10));
    QTest::mouseMove(&panel, QPoint(40, 40));
    panel.PaintBand(painter);
    painter.end();
    EXPECT_EQ(image.pixelColor(25, 25), QColor(0, 153 * 70 / 255, 255 * 70 / 255));
    EXPECT_EQ(image.pixelColor(10, 25), QColor(0, 153, 255));
}

TEST_F(InWindow, HandImageDeleteAreaRaisesDeleteOnlyWhenEnabled) {
    auto* tile = new CHandImgButtonUI;
    tile->setObjectName(QStringLiteral("tile"));
    tile->setFixedSize(100, 80);
    m_root->Add(tile);
    m_window.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&m_window));
    EXPECT_EQ(tile->DeleteArea(), QRect(70, 51, 20, 20));
    const QPoint inside = tile->DeleteArea().center();

    QTest::mouseClick(tile, Qt::LeftButton, {}, inside);  // delete area disabled
    EXPECT_EQ(m_window.NotesOf(notify::kClick).size(), 1u);
    EXPECT_TRUE(m_window.NotesOf(notify::kClickHandDelete).empty());

    tile->SetDeleteDisabled(false);
    QTest::mouseClick(tile, Qt::LeftButton, {}, inside);
    EXPECT_EQ(m_window.NotesOf(notify::kClickHandDelete).size(), 1u);
    QTest::mouseClick(tile, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(m_window.NotesOf(notify::kClick).size(), 2u);
    // A release without a press of its own does nothing.
    QTest::mouseRelease(tile, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(m_window.NotesOf(notify::kClick).size(), 2u);
}

TEST_F(InWindow, PictureButtonsReportThePointerWhileEnabled) {
    auto* tile = new CHandImgSelectButtonUI;
    tile->setObjectName(QStringLiteral("picture"));
    m_root->Add(tile);
    m_window.show();
    QEnterEvent enter(QPointF(1, 1), QPointF(1, 1), QPointF(1, 1));
    QEvent leave(QEvent::Leave);
    QApplication::sendEvent(tile, &enter);
    QApplication::sendEvent(tile, &leave);
    tile->setEnabled(false);
    QApplication::sendEvent(tile, &enter);
    ASSERT_EQ(m_window.NotesOf(notify::kMsEnter).size(), 1u);
    EXPECT_EQ(m_window.NotesOf(notify::kMsEnter)[0].sender, u"picture");
    EXPECT_EQ(m_window.NotesOf(notify::kMsLeave).size(), 1u);
}

TEST(HandImageSelect, PanningStopsAtTheLeftEdgeKeepingItsWidth) {
    test::TempDir dir;
    QImage picture(400, 300, QImage::Format_RGB32);
    picture.fill(Qt::darkGreen);
    picture.save(QString::fromStdString((dir / "big.png").string()));
    CHandImgSelectButtonUI button;
    button.resize(100, 80);
    ASSERT_TRUE(button.LoadHandImage(QString::fromStdString((dir / "big.png").string())));
    EXPECT_EQ(button.GetImageString(),
              QStringLiteral("file='%1' source='0,0,100,80'")
                  .arg(QString::fromStdString((dir / "big.png").string())));
    button.PanBy(-30, -10);  // pointer left and up: the window moves right and down
    EXPECT_EQ(button.GetSourceWindow().left(), 30);
    EXPECT_EQ(button.GetSourceWindow().top(), 10);
    button.PanBy(50, 0);  // pointer right beyond the left edge
    EXPECT_EQ(button.GetSourceWindow().left(), 0);
    EXPECT_EQ(button.GetSourceWindow().right() - button.GetSourceWindow().left(), 100);
    EXPECT_FALSE(button.LoadHandImage(QStringLiteral("/nonexistent.png")));
    EXPECT_TRUE(button.GetImageString().contains(u"big.png"));
}

TEST(HandImageSelect, SmallPictureIsShownWhole) {
    test::TempDir dir;
    QImage picture(50, 40, QImage::Format_RGB32);
    picture.fill(Qt::red);
    const QString path = QString::fromStdString((dir / "small.png").string());
    picture.save(path);
    CHandImgSelectButtonUI button;
    button.resize(100, 80);
    ASSERT_TRUE(button.LoadHandImage(path));
    EXPECT_EQ(button.GetImageString(), path);
}

TEST(DeviceKeyButton, LightShowsTheKeysColourAtItsIntensity) {
    // Packed as red + blue * 256 + green * 65536.
    EXPECT_EQ(CDeviceKeyButtonUI::ShownColour(0x00FF00FF, 255), QColor(255, 255, 0));
    EXPECT_EQ(CDeviceKeyButtonUI::ShownColour(0x000000C8, 255), QColor(200, 0, 0));
    EXPECT_EQ(CDeviceKeyButtonUI::ShownColour(0x00FF0000, 128), QColor(0, 128, 0));

    test::TempDir dir;
    QImage mask(20, 20, QImage::Format_ARGB32);
    mask.fill(Qt::white);
    mask.save(QString::fromStdString((dir / "mask.png").string()));
    CResourceManager resources;
    resources.SetResourcePath(QString::fromStdString(dir.Path().string()));
    CDeviceKeyButtonUI key;
    key.SetResourceManager(&resources);
    key.SetAttribute(QStringLiteral("lightimage"), QStringLiteral("mask.png"));
    key.resize(20, 20);
    EXPECT_TRUE(key.SetLight(0x0000FF00 /* blue */, 255, true));
    EXPECT_EQ(Render(key).pixelColor(10, 10), QColor(0, 0, 255));
    // The same light again is no change, so the pages' frames repaint nothing.
    EXPECT_FALSE(key.SetLight(0x0000FF00, 255, true));
    EXPECT_TRUE(key.SetLight(0x0000FF00, 128, true));
    EXPECT_TRUE(key.SetLight(0x0000FF00, 255, false));
    EXPECT_NE(Render(key).pixelColor(10, 10), QColor(0, 0, 255));
}

TEST(DeviceKeyButton, KeySetImageHiddenUntilShown) {
    CDeviceKeyButtonUI key;
    EXPECT_TRUE(key.IsKeySetImageHidden());
    key.SetKeySetImageHidden(false);
    EXPECT_FALSE(key.IsKeySetImageHidden());
    EXPECT_TRUE(key.SetAttribute(QStringLiteral("gmnametextcolor"), QStringLiteral("#FFFFFF")));
}

TEST_F(InWindow, ComboEditRowBuildsItsFragmentAndNoticesEdits) {
    std::filesystem::create_directories(m_dir / "XML/CustomControlXML");
    test::WriteFileBytes(m_dir / "XML/CustomControlXML/ComboEditElementItem.xml",
                         "<HorizontalLayout><Label name=\"text1\"/><Label name=\"text2\"/>"
                         "<Edit name=\"delay_edit\"/></HorizontalLayout>");
    auto* row = new CComboEditContainerElementUI;
    row->SetResourceManager(&m_resources);
    m_root->Add(row);
    row->DoInit();
    ASSERT_NE(WindowImplBase::FindSubControlByName(row, QStringLiteral("delay_edit")), nullptr);
    EXPECT_NE(WindowImplBase::FindSubControlByName(row, QStringLiteral("text1")), nullptr);
    EXPECT_FALSE(row->IsChanged());
    WindowImplBase::FindSubControlByName(row, QStringLiteral("delay_edit"))
        ->SendNotify(notify::kReturn);
    EXPECT_TRUE(row->IsChanged());
}

TEST(ChartView, PieDrawsItemsInPaletteOrderAndLegendRows) {
    CChartViewUI chart;
    chart.SetAttribute(QStringLiteral("showtext"), QStringLiteral("false"));
    chart.AddItem(QStringLiteral("a"), 1);
    chart.AddItem(QStringLiteral("b"), 1);
    QImage image(110, 110, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    chart.Paint(painter, image.rect());
    painter.end();
    // Two halves: item 0 from angle 0 clockwise (lower half), item 1 the upper half.
    EXPECT_EQ(image.pixelColor(55, 80), CChartViewUI::PaletteColour(0));
    EXPECT_EQ(image.pixelColor(55, 30), CChartViewUI::PaletteColour(1));
    EXPECT_EQ(CChartViewUI::PaletteColour(18), CChartViewUI::PaletteColour(0));
}

TEST(ChartView, HistogramWithoutPillarWidthDrawsNoPillars) {
    CChartViewUI chart;
    chart.SetAttribute(QStringLiteral("view"), QStringLiteral("histpgram"));
    chart.AddItem(QStringLiteral("a"), 3);
    QImage image(100, 100, QImage::Format_ARGB32);
    image.fill(Qt::white);
    QPainter painter(&image);
    chart.Paint(painter, image.rect());  // must neither divide by zero nor draw
    painter.end();
    EXPECT_EQ(chart.GetView(), CChartViewUI::View::Histogram);
}

TEST(HostedWindow, FollowsTheControlsRectangleAndVisibility) {
    QWidget top;
    top.resize(200, 200);
    auto* host = new CWndUI(&top);
    host->setGeometry(20, 30, 50, 40);
    auto* child = new QWidget(host);
    host->Attach(child);
    top.show();
    EXPECT_EQ(child->geometry(), QRect(0, 0, 50, 40));
    host->resize(60, 45);
    EXPECT_EQ(child->size(), QSize(60, 45));
    host->hide();
    EXPECT_FALSE(child->isVisible());
}

}  // namespace
}  // namespace quaro
