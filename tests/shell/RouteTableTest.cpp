// The route table every capability of the main window fills: which row a notification's type and
// sender name select (exact names, cased names, prefix and number, row order), and that only a
// sender inside the owner's scope reaches an action.

#include "shell/RouteTable.h"
#include "support/QtTestApp.h"
#include "ui/toolkit/CButtonUI.h"
#include "ui/toolkit/CContainerUI.h"

#include <gtest/gtest.h>

#include <cctype>
#include <memory>
#include <optional>
#include <string>
#include <vector>

namespace quaro {
namespace {

enum Action { kPick, kSave, kRate, kMove, kSaveAgain, kExactZero };

const RouteTable<Action> kTable = {
    {notify::kClick, "key_", RouteMatch::kIndexed, kPick},
    {notify::kClick, "key_save", RouteMatch::kExact, kSave},
    {notify::kSelectChanged, "rate_option_", RouteMatch::kIndexed, kRate},
    {notify::kClick, "Move_Left_btn", RouteMatch::kCased, kMove},
    // Never reached: the rows above take these names first.
    {notify::kClick, "key_save", RouteMatch::kExact, kSaveAgain},
    {notify::kClick, "key_0", RouteMatch::kExact, kExactZero},
};

struct FindCase {
    const char* name;
    const QString* type;
    std::optional<Action> action;  // nullopt: no row
    int index;
};

// A page stand-in holding one button named after the case.
class RouteTableFind : public ::testing::TestWithParam<FindCase> {};

TEST_P(RouteTableFind, SelectsTheFirstMatchingRowOrNone) {
    const FindCase& c = GetParam();
    CButtonUI sender;
    sender.SetName(QLatin1String(c.name));
    const auto hit = kTable.Find(TNotifyUI{*c.type, &sender});
    if (!c.action) {
        EXPECT_FALSE(hit.has_value()) << c.name << " took row " << hit->row.name;
        return;
    }
    ASSERT_TRUE(hit.has_value()) << c.name;
    EXPECT_EQ(hit->row.action, *c.action) << c.name;
    EXPECT_EQ(hit->index, c.index) << c.name;
}

// Names the test runner can list and filter on: the case's number and its sender's name.
std::string CaseName(const ::testing::TestParamInfo<FindCase>& info) {
    std::string name = std::to_string(info.index) + "_" + info.param.name;
    for (char& c : name) {
        if (!std::isalnum(static_cast<unsigned char>(c))) {
            c = '_';
        }
    }
    return name;
}

INSTANTIATE_TEST_SUITE_P(
    Names, RouteTableFind,
    ::testing::Values(
        // Prefix and number, the prefix without regard to case, the number handed on.
        FindCase{"key_17", &notify::kClick, kPick, 17},
        FindCase{"KEY_3", &notify::kClick, kPick, 3},
        FindCase{"rate_option_2", &notify::kSelectChanged, kRate, 2},
        // The earlier indexed row wins over a later exact row of the same name.
        FindCase{"key_0", &notify::kClick, kPick, 0},
        // Exact names carry no index; a repeated row is never reached.
        FindCase{"key_save", &notify::kClick, kSave, kRouteNoIndex},
        FindCase{"KEY_Save", &notify::kClick, kSave, kRouteNoIndex},
        // Cased names match only as written.
        FindCase{"Move_Left_btn", &notify::kClick, kMove, kRouteNoIndex},
        FindCase{"move_left_btn", &notify::kClick, std::nullopt, 0},
        // The wrong notification type.
        FindCase{"key_17", &notify::kSelectChanged, std::nullopt, 0},
        FindCase{"key_save", &notify::kSelectChanged, std::nullopt, 0},
        FindCase{"rate_option_2", &notify::kClick, std::nullopt, 0},
        // No number, a suffix that is no number, a number past the int range.
        FindCase{"key_", &notify::kClick, std::nullopt, 0},
        FindCase{"key_x", &notify::kClick, std::nullopt, 0},
        FindCase{"key_1x", &notify::kClick, std::nullopt, 0},
        FindCase{"key_99999999999", &notify::kClick, std::nullopt, 0},
        // Another prefix that merely ends or starts like ours.
        FindCase{"mykey_3", &notify::kClick, std::nullopt, 0},
        FindCase{"key_save2", &notify::kClick, std::nullopt, 0},
        FindCase{"key_save_extra", &notify::kClick, std::nullopt, 0}),
    CaseName);

TEST(RouteTable, FindsNothingWithoutASender) {
    EXPECT_FALSE(kTable.Find(TNotifyUI{notify::kClick, nullptr}).has_value());
}

// Two pages carrying controls of the same names, as the window's pages do.
class RouteTableDispatch : public ::testing::Test {
protected:
    RouteTableDispatch() {
        m_current.Add(m_currentKey = NewButton("key_5"));
        auto* nested = new CVerticalLayoutUI();
        m_current.Add(nested);
        nested->Add(m_nestedSave = NewButton("key_save"));
        m_other.Add(m_otherKey = NewButton("key_5"));
    }

    static CButtonUI* NewButton(const char* name) {
        auto* button = new CButtonUI();
        button->SetName(QLatin1String(name));
        return button;
    }

    // Dispatches with an act that records what it was given and answers taken.
    bool Dispatch(CControlUI* sender, const CControlUI* scope, bool taken = true) {
        return kTable.Dispatch(TNotifyUI{notify::kClick, sender}, scope,
                               [&](Action action, int index) {
                                   m_acted.push_back({action, index});
                                   return taken;
                               });
    }

    struct Acted {
        Action action;
        int index;
    };

    CContainerUI m_current;
    CContainerUI m_other;
    CButtonUI* m_currentKey = nullptr;
    CButtonUI* m_nestedSave = nullptr;
    CButtonUI* m_otherKey = nullptr;
    std::vector<Acted> m_acted;
};

TEST_F(RouteTableDispatch, ActsOnASenderInsideTheScopeAtAnyDepth) {
    EXPECT_TRUE(Dispatch(m_currentKey, &m_current));
    EXPECT_TRUE(Dispatch(m_nestedSave, &m_current));
    ASSERT_EQ(m_acted.size(), 2u);
    EXPECT_EQ(m_acted[0].action, kPick);
    EXPECT_EQ(m_acted[0].index, 5);
    EXPECT_EQ(m_acted[1].action, kSave);
    EXPECT_EQ(m_acted[1].index, kRouteNoIndex);
}

TEST_F(RouteTableDispatch, LeavesASenderOutsideTheScopeAlone) {
    // The same name on a page that is not the owner's, and an owner with no page now.
    EXPECT_FALSE(Dispatch(m_otherKey, &m_current));
    EXPECT_FALSE(Dispatch(m_currentKey, &m_other));
    EXPECT_FALSE(Dispatch(m_currentKey, nullptr));
    EXPECT_FALSE(Dispatch(nullptr, &m_current));
    EXPECT_TRUE(m_acted.empty());
}

TEST_F(RouteTableDispatch, AnswersWhatTheActionAnswers) {
    EXPECT_FALSE(Dispatch(m_currentKey, &m_current, false));
    EXPECT_EQ(m_acted.size(), 1u);
}

TEST_F(RouteTableDispatch, LeavesAnUnknownNameAloneInsideTheScope) {
    m_currentKey->SetName(QStringLiteral("unknown_btn"));
    EXPECT_FALSE(Dispatch(m_currentKey, &m_current));
    EXPECT_TRUE(m_acted.empty());
}

TEST_F(RouteTableDispatch, SenderInsideFollowsTheWidgetTree) {
    const TNotifyUI fromNested{notify::kClick, m_nestedSave};
    EXPECT_TRUE(SenderInside(&m_current, fromNested));
    EXPECT_FALSE(SenderInside(&m_other, fromNested));
    EXPECT_FALSE(SenderInside(nullptr, fromNested));
    EXPECT_FALSE(SenderInside(&m_current, TNotifyUI{notify::kClick, nullptr}));
}

}  // namespace
}  // namespace quaro
