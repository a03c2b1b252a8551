// Layout includes: the included file's root stands in for the Include element, and an include
// that would loop or nest without end is refused with a trace while the rest still builds.

#include "TempDir.h"
#include "TraceCapture.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CContainerUI.h"
#include "ui/toolkit/CDialogBuilder.h"
#include "ui/toolkit/CLabelUI.h"
#include "ui/toolkit/CResourceManager.h"

#include <gtest/gtest.h>

#include <memory>
#include <string>

namespace quaro {
namespace {

class LayoutInclude : public ::testing::Test {
protected:
    LayoutInclude() { m_resources.SetResourcePath(QString::fromStdString(m_dir.Path().string())); }

    void Write(const std::string& relative, const std::string& text) {
        std::filesystem::create_directories((m_dir / relative).parent_path());
        test::WriteFileBytes(m_dir / relative, text);
    }

    std::unique_ptr<CControlUI> Build(const char* file) {
        return std::unique_ptr<CControlUI>(
            m_builder.Create(QLatin1String(file), m_resources, nullptr));
    }

    static int Count(const CControlUI& root, const char* name) {
        return static_cast<int>(
            root.GetWidget()->findChildren<QWidget*>(QLatin1String(name)).size());
    }

    bool Traced(const std::string& piece) const {
        for (const std::string& line : m_traces.Lines()) {
            if (line.find(piece) != std::string::npos) {
                return true;
            }
        }
        return false;
    }

    test::TempDir m_dir;
    test::TraceCapture m_traces;
    CResourceManager m_resources;
    CDialogBuilder m_builder;
};

TEST_F(LayoutInclude, TheIncludedRootAndItsChildrenTakeTheElementsPlace) {
    Write("page.xml", R"(<VerticalLayout name="page">
  <Label name="before"/>
  <Include source="parts\piece.xml" name="ignored" width="7"/>
  <Label name="after"/>
</VerticalLayout>)");
    Write("parts/piece.xml", R"(<?xml version="1.0" encoding="UTF-8"?>
<HorizontalLayout name="piece" width="120"><Button name="inner"/></HorizontalLayout>)");

    std::unique_ptr<CControlUI> page = Build("page.xml");
    ASSERT_TRUE(page);
    EXPECT_TRUE(m_builder.Problems().isEmpty()) << m_builder.Problems().join(u' ').toStdString();
    auto* container = dynamic_cast<CContainerUI*>(page.get());
    ASSERT_NE(container, nullptr);
    ASSERT_EQ(container->GetCount(), 3);
    CControlUI* piece = container->GetItemAt(1);
    EXPECT_EQ(piece->GetName(), u"piece");
    EXPECT_EQ(piece->GetWidget()->maximumWidth(), 120);  // its own width, not the Include's
    EXPECT_NE(piece->GetWidget()->findChild<CButtonUI*>(QStringLiteral("inner")), nullptr);
    EXPECT_EQ(container->GetItemAt(2)->GetName(), u"after");
    EXPECT_EQ(Count(*page, "ignored"), 0);
}

TEST_F(LayoutInclude, AFileMayBeIncludedTwiceSideBySide) {
    Write("twice.xml", R"(<VerticalLayout>
  <Include source="leaf.xml"/><Include source="leaf.xml"/>
</VerticalLayout>)");
    Write("leaf.xml", R"(<Label name="leaf"/>)");
    std::unique_ptr<CControlUI> root = Build("twice.xml");
    ASSERT_TRUE(root);
    EXPECT_EQ(Count(*root, "leaf"), 2);
    EXPECT_TRUE(m_builder.Problems().isEmpty());
}

TEST_F(LayoutInclude, ACycleIsRefusedAndTracedWhileItsSiblingsBuild) {
    Write(
        "a.xml",
        R"(<VerticalLayout name="a"><Include source="b.xml"/><Label name="a_end"/></VerticalLayout>)");
    Write(
        "b.xml",
        R"(<VerticalLayout name="b"><Include source="a.xml"/><Label name="b_end"/></VerticalLayout>)");
    Write("self.xml",
          R"(<VerticalLayout name="self"><Include source="self.xml"/></VerticalLayout>)");

    std::unique_ptr<CControlUI> root = Build("a.xml");
    ASSERT_TRUE(root);
    EXPECT_EQ(Count(*root, "b"), 1);
    EXPECT_EQ(Count(*root, "a"), 0);  // a never appears inside itself
    EXPECT_EQ(Count(*root, "a_end"), 1);
    EXPECT_EQ(Count(*root, "b_end"), 1);
    EXPECT_TRUE(m_builder.Problems().contains(QStringLiteral("Include:cycle a.xml")));
    EXPECT_TRUE(Traced("include of a.xml refused"));

    CDialogBuilder selfBuilder;
    std::unique_ptr<CControlUI> self(selfBuilder.Create(QStringLiteral("self.xml"), m_resources));
    ASSERT_TRUE(self);
    EXPECT_TRUE(selfBuilder.Problems().contains(QStringLiteral("Include:cycle self.xml")));
}

TEST_F(LayoutInclude, ABuilderUsedAgainDoesNotTakeAnEarlierFileForACycle) {
    Write("leaf.xml", R"(<Label name="leaf"/>)");
    Write("outer.xml", R"(<VerticalLayout><Include source="leaf.xml"/></VerticalLayout>)");
    std::unique_ptr<CControlUI> leaf = Build("leaf.xml");
    std::unique_ptr<CControlUI> outer = Build("outer.xml");
    ASSERT_TRUE(outer);
    EXPECT_EQ(Count(*outer, "leaf"), 1);
    EXPECT_TRUE(m_builder.Problems().isEmpty());
}

TEST_F(LayoutInclude, NestingStopsAfterEightFiles) {
    // level0 includes level1, ... level9 is the tenth file: the ninth include is refused.
    for (int i = 0; i < 10; ++i) {
        Write("level" + std::to_string(i) + ".xml",
              "<VerticalLayout name=\"level" + std::to_string(i) + "\"><Include source=\"level" +
                  std::to_string(i + 1) + ".xml\"/></VerticalLayout>");
    }
    std::unique_ptr<CControlUI> root = Build("level0.xml");
    ASSERT_TRUE(root);
    EXPECT_EQ(Count(*root, "level8"), 1);
    EXPECT_EQ(Count(*root, "level9"), 0);
    EXPECT_TRUE(m_builder.Problems().contains(QStringLiteral("Include:too deep level9.xml")));
    EXPECT_TRUE(Traced("include of level9.xml refused"));
}

TEST_F(LayoutInclude, AMissingOrEmptySourceIsReportedAndLeftOut) {
    Write(
        "holes.xml",
        R"(<VerticalLayout><Include source="nowhere.xml"/><Include/><Label name="kept"/></VerticalLayout>)");
    std::unique_ptr<CControlUI> root = Build("holes.xml");
    ASSERT_TRUE(root);
    EXPECT_EQ(Count(*root, "kept"), 1);
    EXPECT_TRUE(m_builder.Problems().contains(QStringLiteral("load:nowhere.xml")));
    EXPECT_TRUE(m_builder.Problems().contains(QStringLiteral("Include:no source")));
}

}  // namespace
}  // namespace quaro
