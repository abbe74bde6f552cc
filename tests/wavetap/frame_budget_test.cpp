// The leaky bucket that drops raw video frames when the encoder runs ahead of the rate: how
// it drains over the frames' times, what it expects the next frame to cost, that it never
// stops the video for good, that it makes room for the encoder's key frames within any one
// second, and that it holds an encoder stuck above the rate.

#include "engine/frame_budget.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdint>
#include <deque>
#include <utility>
#include <vector>

using wavetap::engine::FrameBudget;
using wavetap::engine::VideoRateLimit;

namespace {

constexpr std::uint64_t kMs = 1000000;  // nanoseconds

// 100 kb/s with 20 kbit of depth, of which frames are let into 18 kbit.
FrameBudget SmallBudget() { return FrameBudget({100000, 20000}); }

}  // namespace

TEST(FrameBudget, DrainsAtItsRateOverTheFramesTimes) {
    FrameBudget budget = SmallBudget();
    EXPECT_TRUE(budget.Admit(0));
    budget.Spend(25000, true);  // over the depth: frames are measured from now on
    EXPECT_FALSE(budget.Admit(50 * kMs)) << "20 kbit left";
    EXPECT_TRUE(budget.Admit(75 * kMs)) << "17.5 kbit left, no delta frame seen yet";
    budget.Spend(10000, false);
    EXPECT_FALSE(budget.Admit(100 * kMs)) << "25 kbit left: no room for 10";
    EXPECT_FALSE(budget.Admit(265 * kMs)) << "8.5 kbit left: no room for 10";
    EXPECT_TRUE(budget.Admit(285 * kMs)) << "6.5 kbit left";
    EXPECT_EQ(budget.Dropped(), 3u);
}

TEST(FrameBudget, AnEncoderThatKeepsWithinTheDepthLosesNoFrame) {
    FrameBudget budget = SmallBudget();
    EXPECT_TRUE(budget.Admit(0));
    budget.Spend(19000, false);
    EXPECT_TRUE(budget.Admit(0)) << "a frame like the last would not fit, but the encoder has not overrun";
    budget.Spend(1000, false);
    EXPECT_TRUE(budget.Admit(10 * kMs));
    EXPECT_EQ(budget.Dropped(), 0u);
}

TEST(FrameBudget, HoldsFramesBackFromTheFirstOverrunOn) {
    FrameBudget budget = SmallBudget();
    EXPECT_TRUE(budget.Admit(0));
    budget.Spend(30000, false);
    EXPECT_FALSE(budget.Admit(100 * kMs));
    EXPECT_TRUE(budget.Admit(5000 * kMs)) << "empty";
    budget.Spend(15000, false);
    EXPECT_FALSE(budget.Admit(5100 * kMs)) << "5 kbit left, 30 expected";
    EXPECT_EQ(budget.Dropped(), 2u);
}

TEST(FrameBudget, KeyFramesDoNotMakeTheNextFrameDearer) {
    FrameBudget budget = SmallBudget();
    EXPECT_TRUE(budget.Admit(0));
    budget.Spend(16000, true);  // the stream's key frame
    EXPECT_TRUE(budget.Admit(0)) << "no delta frame seen yet";
    budget.Spend(2000, false);
    EXPECT_TRUE(budget.Admit(0)) << "18 kbit in, a 2 kbit frame still fits";
    budget.Spend(6000, true);
    EXPECT_FALSE(budget.Admit(30 * kMs)) << "21 kbit left";
    EXPECT_TRUE(budget.Admit(85 * kMs)) << "15.5 kbit left, 2 more fit";
}

TEST(FrameBudget, ExpectsWhatTheRecentDeltaFramesCostOnAverage) {
    FrameBudget budget = SmallBudget();
    EXPECT_TRUE(budget.Admit(0));
    budget.Spend(25000, true);  // over the depth: frames are measured from now on
    EXPECT_TRUE(budget.Admit(300 * kMs)) << "empty";
    budget.Spend(2000, false);
    EXPECT_TRUE(budget.Admit(310 * kMs));
    budget.Spend(2000, false);
    EXPECT_TRUE(budget.Admit(320 * kMs));
    budget.Spend(15000, false);
    // Busy pictures swing between small and large frames: the large one counts, but is
    // not taken for the next.
    EXPECT_FALSE(budget.Admit(360 * kMs)) << "13 kbit left and 6.3 expected";
    EXPECT_TRUE(budget.Admit(400 * kMs)) << "9 kbit left and 6.3 expected";
}

TEST(FrameBudget, NeverHoldsTheVideoBackForGood) {
    FrameBudget budget = SmallBudget();
    EXPECT_TRUE(budget.Admit(1000 * kMs));
    budget.Spend(50000, false);  // more than the whole depth, at the coarsest quantizer
    EXPECT_FALSE(budget.Admit(1100 * kMs));
    EXPECT_FALSE(budget.Admit(1499 * kMs));
    EXPECT_TRUE(budget.Admit(1500 * kMs)) << "the bucket is empty again";
}

TEST(FrameBudget, AFrameBeforeTheLastOneDrainsNothing) {
    FrameBudget budget = SmallBudget();
    EXPECT_TRUE(budget.Admit(1000 * kMs));
    budget.Spend(25000, false);
    EXPECT_FALSE(budget.Admit(500 * kMs));
    EXPECT_FALSE(budget.Admit(1000 * kMs));
    EXPECT_FALSE(budget.Admit(1249 * kMs));
    EXPECT_TRUE(budget.Admit(1250 * kMs)) << "drained from the later time";
}

TEST(FrameBudget, StartsOverAfterAReset) {
    FrameBudget budget = SmallBudget();
    EXPECT_TRUE(budget.Admit(1000 * kMs));
    budget.Spend(40000, false);
    EXPECT_FALSE(budget.Admit(1000 * kMs));
    budget.Reset();
    EXPECT_TRUE(budget.Admit(0)) << "a new segment starting at zero";
}

TEST(FrameBudget, ExpectsTheNextKeyFrameToCostWhatTheLastOneDid) {
    // 100 kb/s, 20 kbit deep, at most 120 kbit in any second, a key frame every 4 frames.
    FrameBudget budget(VideoRateLimit{100000, 20000, 120000, 4});
    EXPECT_TRUE(budget.Admit(0));
    budget.Spend(40000, true);  // twice the depth
    EXPECT_TRUE(budget.Admit(400 * kMs)) << "empty";
    budget.Spend(5000, false);
    EXPECT_TRUE(budget.Admit(420 * kMs));
    budget.Spend(5000, false);
    EXPECT_TRUE(budget.Admit(440 * kMs));
    budget.Spend(5000, false);
    // The next is a key frame: 40 kbit expected, which the bucket has room for only when empty.
    EXPECT_FALSE(budget.Admit(460 * kMs)) << "9 kbit left";
    EXPECT_TRUE(budget.Admit(550 * kMs)) << "empty, and 55 kbit in the last second";
    budget.Spend(40000, true);
    EXPECT_TRUE(budget.Admit(1250 * kMs)) << "a delta frame again: 5 kbit expected";
    EXPECT_EQ(budget.Dropped(), 1u);
}

TEST(FrameBudget, HoldsTheKeyFrameBackUntilTheLastSecondHasRoomForIt) {
    FrameBudget budget(VideoRateLimit{100000, 20000, 120000, 3});
    EXPECT_TRUE(budget.Admit(0));
    budget.Spend(70000, true);  // a key frame of seven tenths of a second's rate
    EXPECT_TRUE(budget.Admit(700 * kMs)) << "the bucket is empty again";
    budget.Spend(2000, false);
    EXPECT_TRUE(budget.Admit(800 * kMs));
    budget.Spend(2000, false);
    EXPECT_FALSE(budget.Admit(990 * kMs)) << "the bucket is empty, but 74 kbit are in the last second and 70 expected";
    EXPECT_TRUE(budget.Admit(1000 * kMs)) << "the first key frame has left the last second";
    EXPECT_EQ(budget.Dropped(), 1u);
    budget.Reset();
    EXPECT_TRUE(budget.Admit(0)) << "a new segment starting at zero";
}

// An encoder at its coarsest quantizer making every frame twice its share of the rate, at
// 15 frames a second for 20 seconds: no one-second window of what is encoded goes over
// rate + depth, and the frames kept still carry close to the whole rate.
TEST(FrameBudget, HoldsAnEncoderThatCannotShrinkItsFramesToTheRate) {
    constexpr double kRate = 230400;
    constexpr double kDepth = 51200;
    constexpr double kFrameBits = 2 * kRate / 15;
    FrameBudget budget({kRate, kDepth});
    std::deque<std::pair<std::uint64_t, double>> window;  // the frames of the last second
    double inWindow = 0;
    double largest = 0;
    double total = 0;
    int kept = 0;
    for (int frame = 0; frame < 20 * 15; ++frame) {
        const std::uint64_t time = static_cast<std::uint64_t>(frame) * 1000 * kMs / 15;
        if (!budget.Admit(time)) continue;
        budget.Spend(kFrameBits, false);
        ++kept;
        total += kFrameBits;
        window.emplace_back(time, kFrameBits);
        inWindow += kFrameBits;
        while (window.front().first + 1000 * kMs <= time) {
            inWindow -= window.front().second;
            window.pop_front();
        }
        largest = std::max(largest, inWindow);
    }
    EXPECT_LE(largest, kRate + kDepth);
    EXPECT_GT(total / 20, 0.9 * kRate);
    EXPECT_LT(kept, 20 * 15 * 6 / 10);
    EXPECT_GT(kept, 20 * 15 * 4 / 10);
    EXPECT_EQ(budget.Dropped(), static_cast<std::uint64_t>(20 * 15 - kept));
}

// The same encoder with a key frame of three times the depth every 15 frames it encodes:
// no one-second window goes over the bits per second, and the video keeps going.
TEST(FrameBudget, KeepsEverySecondWithinItsBitsAcrossKeyFramesLargerThanTheDepth) {
    constexpr double kRate = 230400;
    constexpr double kDepth = 51200;
    constexpr double kSecondBits = 268800;
    constexpr int kInterval = 15;
    FrameBudget budget(VideoRateLimit{kRate, kDepth, kSecondBits, kInterval});
    std::vector<std::pair<std::uint64_t, double>> encoded;
    for (int frame = 0; frame < 20 * 15; ++frame) {
        const std::uint64_t time = static_cast<std::uint64_t>(frame) * 1000 * kMs / 15;
        if (!budget.Admit(time)) continue;
        const bool key = encoded.size() % kInterval == 0;
        const double bits = key ? 3 * kDepth : 2 * kRate / 15;
        budget.Spend(bits, key);
        encoded.emplace_back(time, bits);
    }
    double largest = 0;
    double total = 0;
    for (std::size_t first = 0; first < encoded.size(); ++first) {
        double inWindow = 0;
        for (std::size_t i = first; i < encoded.size() && encoded[i].first < encoded[first].first + 1000 * kMs; ++i)
            inWindow += encoded[i].second;
        // The first second is the encoder's own, before it has overrun.
        if (encoded[first].first >= 1000 * kMs) largest = std::max(largest, inWindow);
        total += encoded[first].second;
    }
    EXPECT_LE(largest, kSecondBits);
    EXPECT_GT(total / 20, 0.75 * kRate);
    EXPECT_GT(encoded.size(), 20u * 15 / 4) << "the video is not held back for good";
}
