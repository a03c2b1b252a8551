// The macro recorder against synthesized key and pointer events over rows kept in a vector: the
// delays written into the row above, the repeat and same-message filters, the placements, the
// stop-button click, the row cap and the looks of stored events.

#include "devices/keyboard/MacroRecorder.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace quaro {
namespace {

constexpr unsigned kUp = 257;
constexpr std::uint8_t kScanA = 0x1E;
constexpr std::uint8_t kScanB = 0x30;
constexpr std::uint8_t kScanCtrl = 0x1D;

class VectorRows : public MacroRowModel {
public:
    int RowCount() const override { return static_cast<int>(rows.size()); }
    int SelectedRow() const override { return selected; }
    void InsertRow(int index, const MacroRow& row) override {
        rows.insert(rows.begin() + index, row);
    }
    Json::Value RowEvent(int index) const override {
        return rows[static_cast<std::size_t>(index)].event;
    }
    void SetRowDelay(int index, const std::string& delay) override {
        rows[static_cast<std::size_t>(index)].event["Delay"] = delay;
    }
    void SetRowName(int index, const Json::Value& event, const MacroRowLook& look) override {
        MacroRow& row = rows[static_cast<std::size_t>(index)];
        row.event = event;
        row.look.captionId = look.captionId;
        row.look.nameStyle = look.nameStyle;
    }
    void SelectRow(int index) override { selected = index; }
    void ShowSelectionSoon() override { ++scrolls; }
    bool IsOnStopButton(int x, int y) const override {
        return x >= 100 && x < 180 && y >= 10 && y < 40;
    }

    // The "Delay" of every row as text ("#0" for the integer 0 of a first row).
    std::vector<std::string> Delays() const {
        std::vector<std::string> delays;
        for (const MacroRow& row : rows) {
            const Json::Value& delay = row.event["Delay"];
            delays.push_back(delay.isString() ? delay.asString() : "#" + delay.asString());
        }
        return delays;
    }
    std::string Row(int index) const {
        const Json::Value& event = rows[static_cast<std::size_t>(index)].event;
        return event["Action"].asString() + " " + std::to_string(event["Type"].asInt()) + " " +
               std::to_string(event["Button"].asInt());
    }

    std::vector<MacroRow> rows;
    int selected = -1;
    int scrolls = 0;
};

class Recorder : public ::testing::Test {
protected:
    Recorder() : m_recorder([this] { return m_now; }) {}

    void Key(std::uint8_t scan, bool down, MacroPlacement at = MacroPlacement::kAppend,
             bool extended = false) {
        m_recorder.OnKey(at, down ? MacroRecorder::kKeyDown : kUp, scan, extended, m_rows);
    }

    std::uint32_t m_now = 5000;
    MacroRecorder m_recorder;
    VectorRows m_rows;
};

TEST_F(Recorder, RealGapsGoIntoTheRowAbove) {
    m_recorder.Start(MacroRecorder::kRealGaps);
    m_now += 40;
    Key(kScanA, true);
    m_now += 120;
    Key(kScanA, false);
    m_now += 300;
    Key(kScanB, true);
    EXPECT_EQ(m_rows.Delays(), (std::vector<std::string>{"120", "300", "0"}));
    EXPECT_EQ(m_rows.Row(0), "down 10 4");
    EXPECT_EQ(m_rows.Row(1), "up 10 4");
    EXPECT_EQ(m_rows.Row(2), "down 10 5");
    EXPECT_EQ(m_rows.selected, 2);
    EXPECT_EQ(m_rows.rows[0].look.captionId, "keyboard_key_A");
    EXPECT_EQ(m_rows.rows[0].look.nameStyle, MacroNameStyle::kKeyboard);
    EXPECT_EQ(m_rows.rows[1].look.actionStyle, MacroActionStyle::kUp);

    // A pause of over a minute is stored as the longest delay the device holds.
    m_now += 90000;
    Key(kScanB, false);
    EXPECT_EQ(m_rows.Delays()[2], "65535");
}

TEST_F(Recorder, HeldKeyRepeatsGiveOneDownAndOneUp) {
    m_recorder.Start(MacroRecorder::kNoDelay);
    for (int repeat = 0; repeat < 5; ++repeat) {
        Key(kScanA, true);
    }
    Key(kScanA, false);
    // The key is free again: pressed once more, it records once more.
    Key(kScanA, true);
    ASSERT_EQ(m_rows.RowCount(), 3);
    EXPECT_EQ(m_rows.Row(0), "down 10 4");
    EXPECT_EQ(m_rows.Row(1), "up 10 4");
    EXPECT_EQ(m_rows.Row(2), "down 10 4");
}

TEST_F(Recorder, ConstantDelayEverywhereButALoneFirstRow) {
    m_recorder.SetConstantDelay(50);
    m_recorder.Start(MacroRecorder::kConstantDelay);
    Key(kScanA, true);
    EXPECT_EQ(m_rows.Delays(), (std::vector<std::string>{"#0"}));
    Key(kScanA, false);
    Key(kScanCtrl, true);
    EXPECT_EQ(m_rows.Delays(), (std::vector<std::string>{"50", "50", "50"}));
    // Left Ctrl is a modifier: type 9 with its bit; right Ctrl is its extended twin.
    EXPECT_EQ(m_rows.Row(2), "down 9 1");
    Key(kScanCtrl, true, MacroPlacement::kAppend, true);
    EXPECT_EQ(m_rows.Row(3), "down 9 16");

    m_recorder.SetConstantDelay(70000);
    EXPECT_EQ(m_recorder.ConstantDelay(), 65535);
}

TEST_F(Recorder, KeysWithoutARowAreIgnored) {
    m_recorder.Start(MacroRecorder::kNoDelay);
    Key(0x7F, true);
    // Scan 0x1E with the extended flag is no key of the table.
    Key(kScanA, true, MacroPlacement::kAppend, true);
    EXPECT_EQ(m_rows.RowCount(), 0);
    EXPECT_EQ(m_rows.scrolls, 0);
}

TEST_F(Recorder, PlacementsBeforeAfterAndReplace) {
    m_recorder.Start(MacroRecorder::kNoDelay);
    // Without a selected row the placed handlers do nothing.
    Key(kScanA, true, MacroPlacement::kBefore);
    Key(kScanA, true, MacroPlacement::kAfter);
    Key(kScanA, true, MacroPlacement::kReplace);
    EXPECT_EQ(m_rows.RowCount(), 0);

    Key(kScanA, true);
    Key(kScanA, false);
    m_rows.selected = 0;
    Key(kScanB, true, MacroPlacement::kBefore);
    // The new top row is a first row: the integer 0 until the next event writes its gap.
    EXPECT_EQ(m_rows.Delays()[0], "#0");
    Key(kScanB, false, MacroPlacement::kBefore);
    // Both went before row "A down", which stays selected.
    ASSERT_EQ(m_rows.RowCount(), 4);
    EXPECT_EQ(m_rows.Row(0), "down 10 5");
    EXPECT_EQ(m_rows.Row(1), "up 10 5");
    EXPECT_EQ(m_rows.Row(2), "down 10 4");
    EXPECT_EQ(m_rows.selected, 2);
    EXPECT_EQ(m_rows.Delays()[0], "0");

    Key(kScanCtrl, true, MacroPlacement::kAfter);
    EXPECT_EQ(m_rows.Row(3), "down 9 1");
    EXPECT_EQ(m_rows.selected, 3);

    m_rows.SetRowDelay(3, "77");
    Key(kScanB, false, MacroPlacement::kReplace);
    EXPECT_EQ(m_rows.Row(3), "down 10 5");
    EXPECT_EQ(m_rows.Delays()[3], "77");
    EXPECT_EQ(m_rows.rows[3].look.captionId, "keyboard_key_B");
    EXPECT_EQ(m_rows.RowCount(), 5);
}

TEST_F(Recorder, MouseButtonsStopClickAndRepeatedMessages) {
    m_recorder.Start(MacroRecorder::kNoDelay);
    const auto mouse = [this](unsigned message, int extra = 0, int x = 0, int y = 0) {
        return m_recorder.OnMouse(MacroPlacement::kAppend, message, extra, x, y, m_rows);
    };
    EXPECT_TRUE(mouse(0x204));
    EXPECT_FALSE(mouse(0x204));  // the same message twice
    EXPECT_TRUE(mouse(0x205));
    EXPECT_TRUE(mouse(0x20B, 2));
    EXPECT_TRUE(mouse(0x20C, 2));
    EXPECT_TRUE(mouse(0x20B, 1));
    EXPECT_FALSE(mouse(0x20C, 3));  // no such extra button
    EXPECT_FALSE(mouse(0x20A));     // the wheel is not recorded
    EXPECT_FALSE(mouse(0x200));
    ASSERT_EQ(m_rows.RowCount(), 5);
    EXPECT_EQ(m_rows.Row(0), "down 1 2");
    EXPECT_EQ(m_rows.Row(1), "up 1 2");
    EXPECT_EQ(m_rows.Row(2), "down 1 16");
    EXPECT_EQ(m_rows.Row(3), "up 1 16");
    EXPECT_EQ(m_rows.Row(4), "down 1 8");
    EXPECT_EQ(m_rows.rows[4].look.captionId, "mouse_key_back");
    EXPECT_EQ(m_rows.rows[4].look.nameStyle, MacroNameStyle::kMouse);

    // The click on the stop button is not recorded; a left click elsewhere is.
    EXPECT_FALSE(mouse(0x201, 0, 120, 20));
    EXPECT_FALSE(mouse(0x202, 0, 121, 21));
    EXPECT_EQ(m_rows.RowCount(), 5);
    EXPECT_TRUE(mouse(0x201, 0, 20, 20));
    EXPECT_EQ(m_rows.Row(5), "down 1 1");
}

TEST_F(Recorder, InsertedEventsCarryTheConstantDelay) {
    m_recorder.SetConstantDelay(30);
    EXPECT_TRUE(m_recorder.InsertMouseEvent(0x200, 2, 300, m_rows));
    // 300 does not fit the distance byte: 300 & 0xFF = 44.
    EXPECT_EQ(m_rows.Row(0), "down 5 44");
    EXPECT_EQ(m_rows.rows[0].look.actionStyle, MacroActionStyle::kText);
    EXPECT_EQ(m_rows.rows[0].look.actionText, "44");
    EXPECT_EQ(m_rows.rows[0].look.captionId, "mouse_move_to_up_text");
    EXPECT_EQ(m_rows.Delays(), (std::vector<std::string>{"30"}));

    EXPECT_TRUE(m_recorder.InsertMouseEvent(0x20C, 1, 0, m_rows));
    EXPECT_TRUE(m_recorder.InsertMouseEvent(0x200, 1, 7, m_rows));
    m_rows.selected = -1;
    EXPECT_TRUE(m_recorder.InsertMouseEvent(0x207, 0, 0, m_rows));
    EXPECT_FALSE(m_recorder.InsertMouseEvent(0x200, 4, 7, m_rows));
    EXPECT_FALSE(m_recorder.InsertMouseEvent(0x20B, 2, 0, m_rows));
    ASSERT_EQ(m_rows.RowCount(), 4);
    EXPECT_EQ(m_rows.Row(0), "down 1 4");  // without a selection: first
    EXPECT_EQ(m_rows.Row(1), "down 5 44");
    EXPECT_EQ(m_rows.Row(2), "up 1 8");
    EXPECT_EQ(m_rows.Row(3), "up 4 7");
}

TEST_F(Recorder, NoRowPastTwoThousand) {
    m_recorder.Start(MacroRecorder::kNoDelay);
    for (int i = 0; i < MacroRecorder::kMaxRows / 2; ++i) {
        Key(kScanA, true);
        Key(kScanA, false);
    }
    ASSERT_EQ(m_rows.RowCount(), MacroRecorder::kMaxRows);
    Key(kScanB, true);
    EXPECT_FALSE(m_recorder.InsertMouseEvent(0x201, 0, 0, m_rows));
    EXPECT_EQ(m_rows.RowCount(), MacroRecorder::kMaxRows);
}

TEST(MacroRowLooks, StoredEventsShowTheirCaptions) {
    const auto look = [](const char* action, int type, int button) {
        Json::Value event;
        event["Action"] = action;
        event["Type"] = type;
        event["Button"] = button;
        return MacroRecorder::LookOfEvent(event);
    };
    EXPECT_EQ(look("down", 10, 0x2C).captionId, "keyboard_key_Space");
    EXPECT_EQ(look("up", 9, 0x40).captionId, "keyboard_key_RAlt");
    EXPECT_EQ(look("up", 9, 0x40).actionStyle, MacroActionStyle::kUp);
    EXPECT_EQ(look("down", 1, 0x10).captionId, "mouse_key_forward");
    EXPECT_EQ(look("up", 4, 9).captionId, "mouse_move_to_right_text");
    EXPECT_EQ(look("down", 4, 9).captionId, "mouse_move_to_left_text");
    EXPECT_EQ(look("down", 4, 9).actionText, "9");
    EXPECT_EQ(look("down", 2, 1).actionStyle, MacroActionStyle::kText);
    EXPECT_TRUE(look("down", 2, 1).captionId.empty());
    EXPECT_EQ(look("down", 77, 1).nameStyle, MacroNameStyle::kNone);

    Json::Value event;
    event["Delay"] = "70000";
    EXPECT_EQ(MacroRecorder::DelayText(event), "65535");
    event["Delay"] = 0;
    EXPECT_EQ(MacroRecorder::DelayText(event), "0");
}

}  // namespace
}  // namespace quaro
