#include "devices/driver/FrameSlot.h"

#include <gtest/gtest.h>

#include <vector>

namespace quaro {
namespace {

using namespace std::chrono_literals;

FrameSlot::TimePoint At(std::chrono::milliseconds ms) {
    return FrameSlot::TimePoint(ms);
}

TEST(FrameSlotTest, NewestFrameWinsAndTakingEmptiesTheSlot) {
    FrameSlot slot;
    std::vector<uint8_t> frame;
    EXPECT_FALSE(slot.Take(frame));
    EXPECT_TRUE(slot.Offer(std::vector<uint8_t>{1, 1, 1}, At(0ms)));
    EXPECT_TRUE(slot.Offer(std::vector<uint8_t>{2, 2}, At(1ms)));
    ASSERT_TRUE(slot.Take(frame));
    EXPECT_EQ(frame, (std::vector<uint8_t>{2, 2}));
    EXPECT_FALSE(slot.HasFrame());
    EXPECT_FALSE(slot.Take(frame));
    EXPECT_EQ(slot.Stats().replaced, 1u);
}

TEST(FrameSlotTest, FailureDropsTheWaitingFrameAndPausesUntilItsEnd) {
    FrameSlot slot;
    std::vector<uint8_t> frame;
    slot.Offer(std::vector<uint8_t>{1}, At(0ms));
    slot.Take(frame);
    slot.Offer(std::vector<uint8_t>{2}, At(3ms));  // offered while frame 1 was on the wire
    slot.Finished(false, At(10ms));
    EXPECT_FALSE(slot.HasFrame());
    EXPECT_FALSE(slot.Offer(std::vector<uint8_t>{3}, At(209ms)));
    EXPECT_TRUE(slot.Offer(std::vector<uint8_t>{4}, At(210ms)));
    EXPECT_EQ(slot.Stats().skipped, 2u);
    EXPECT_EQ(slot.Stats().failed, 1u);

    // A reset (the device went and came back) ends the pause at once.
    slot.Take(frame);
    slot.Finished(false, At(300ms));
    slot.Reset();
    EXPECT_TRUE(slot.Offer(std::vector<uint8_t>{5}, At(301ms)));
}

TEST(FrameSlotTest, AFrameTheDeviceShowsOrIsBeingSentIsUnchangedOnlyWhileNothingNewerWaits) {
    FrameSlot slot;
    std::vector<uint8_t> frame;
    const std::vector<uint8_t> lit{7, 7, 7};
    EXPECT_FALSE(slot.IsUnchanged(lit));  // nothing went out yet
    slot.Offer(lit, At(0ms));
    EXPECT_FALSE(slot.IsUnchanged(lit));  // waiting, not taken
    slot.Take(frame);
    EXPECT_TRUE(slot.IsUnchanged(lit));  // on its way
    EXPECT_FALSE(slot.IsSettled());
    EXPECT_FALSE(slot.IsUnchanged(std::vector<uint8_t>{7, 7}));
    slot.Finished(true, At(3ms));
    EXPECT_TRUE(slot.IsSettled());
    EXPECT_TRUE(slot.IsUnchanged(lit));
    EXPECT_EQ(slot.Stats().unchanged, 2u);

    // A newer frame waiting makes the shown one worth sending again.
    slot.Offer(std::vector<uint8_t>{8}, At(4ms));
    EXPECT_FALSE(slot.IsSettled());
    EXPECT_FALSE(slot.IsUnchanged(lit));
}

TEST(FrameSlotTest, AFrameThatLostPacketsFailedOrWasResetIsNotShown) {
    FrameSlot slot;
    std::vector<uint8_t> frame;
    const std::vector<uint8_t> lit{5, 5};
    slot.Offer(lit, At(0ms));
    slot.Take(frame);
    slot.Finished(true, At(1ms), false);  // the channel dropped a piece of it
    EXPECT_FALSE(slot.IsSettled());
    EXPECT_FALSE(slot.IsUnchanged(lit));

    slot.Offer(lit, At(2ms));
    slot.Take(frame);
    slot.Finished(false, At(3ms));
    EXPECT_FALSE(slot.IsSettled());
    EXPECT_FALSE(slot.IsUnchanged(lit));

    slot.Reset();
    slot.Offer(lit, At(300ms));
    slot.Take(frame);
    slot.Finished(true, At(301ms));
    ASSERT_TRUE(slot.IsSettled());
    slot.Reset();  // the device went and came back: it shows nothing of ours
    EXPECT_FALSE(slot.IsSettled());
    EXPECT_FALSE(slot.IsUnchanged(lit));
}

}  // namespace
}  // namespace quaro
