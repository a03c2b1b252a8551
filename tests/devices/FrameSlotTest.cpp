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

}  // namespace
}  // namespace quaro
