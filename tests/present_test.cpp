// The presenter's arithmetic and its queue, without a window: where a frame
// lands in a window, the gamma table, and how many frames can be pending.
#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <thread>
#include <vector>

#include "present/frame_queue.h"
#include "present/picture.h"

namespace {

TEST(PictureFit, LargestWholeScaleCentredWithBars) {
    struct Case {
        int frameW, frameH, windowW, windowH;
        PictureFit want;
    };
    const Case cases[] = {
        {640, 480, 640, 480, {1, 0, 0, 640, 480}},        // exact
        {640, 480, 1279, 959, {1, 319, 239, 640, 480}},   // one short of 2x both ways
        {640, 480, 1300, 972, {2, 10, 6, 1280, 960}},     // 2x, bars on every side
        {640, 480, 1920, 1080, {2, 320, 60, 1280, 960}},  // wide screen: the height limits
        {512, 384, 1600, 1200, {3, 32, 24, 1536, 1152}},
        {320, 240, 320, 2000, {1, 0, 880, 320, 240}},     // tall window: bars above and below
        {640, 480, 600, 400, {1, -20, -40, 640, 480}},    // smaller window: cropped round the centre
    };
    for (const Case& c : cases) {
        const PictureFit f = FitPicture(c.frameW, c.frameH, c.windowW, c.windowH);
        EXPECT_EQ(f.scale, c.want.scale) << c.windowW << "x" << c.windowH;
        EXPECT_EQ(f.x, c.want.x) << c.windowW << "x" << c.windowH;
        EXPECT_EQ(f.y, c.want.y) << c.windowW << "x" << c.windowH;
        EXPECT_EQ(f.width, c.want.width);
        EXPECT_EQ(f.height, c.want.height);
    }
}

// A 2 x 1 frame (pure red, 565 green 1) in a 5 x 3 window: scale 2 at (0, 0)
// with one black column and row left over, gamma 1.
TEST(PictureCompose, NearestNeighbourAndBlackBars) {
    const std::uint16_t frame[2] = {0xF800, 0x0020};
    std::uint8_t gamma[256];
    BuildGammaTable(1.0f, gamma);
    std::uint32_t out[3 * 5];
    ComposePicture(frame, 2, 1, gamma, FitPicture(2, 1, 5, 3), out, 5, 3, 5);
    const std::uint32_t r = 0xFF0000, g = 0x000400;  // g8 = (1 << 2) | (1 >> 4)
    const std::uint32_t want[3 * 5] = {r, r, g, g, 0, r, r, g, g, 0, 0, 0, 0, 0, 0};
    for (int i = 0; i < 15; ++i) EXPECT_EQ(out[i], want[i]) << "pixel " << i;
}

TEST(PictureGamma, TableFollowsThePowerLaw) {
    std::uint8_t table[256];
    BuildGammaTable(1.0f, table);
    EXPECT_TRUE(GammaIsIdentity(table));
    BuildGammaTable(1.7f, table);
    // 255 * (64 / 255) ^ (1 / 1.7) = 113.08; 255 * (4 / 255) ^ (1 / 1.7) = 22.14
    EXPECT_EQ(table[0], 0);
    EXPECT_EQ(table[4], 22);
    EXPECT_EQ(table[64], 113);
    EXPECT_EQ(table[255], 255);
}

// With the presenter showing nothing, two frames are pending and a third
// swap waits until one has been shown.
TEST(FrameQueue, AtMostTwoPendingAndTheThirdWaits) {
    FrameQueue queue;
    queue.SetConsumer(true);
    const std::vector<std::uint16_t> pixels(4 * 4, 0x1234);
    queue.Push(pixels.data(), 4, 4, 0);
    queue.Push(pixels.data(), 4, 4, 0);
    EXPECT_EQ(queue.Pending(), 2);
    std::atomic<bool> pushed{false};
    std::thread third([&] {
        queue.Push(pixels.data(), 4, 4, 1);
        pushed = true;
    });
    std::this_thread::sleep_for(std::chrono::milliseconds(100));
    EXPECT_FALSE(pushed.load());
    EXPECT_EQ(queue.Pending(), 2);
    FrameQueue::Frame frame{};
    ASSERT_TRUE(queue.Peek(frame, 0));
    EXPECT_EQ(frame.pixels[15], 0x1234);
    EXPECT_EQ(frame.interval, 0);
    queue.Done();
    third.join();
    EXPECT_TRUE(pushed.load());
    EXPECT_EQ(queue.Pending(), 2);
    queue.Done();
    ASSERT_TRUE(queue.Peek(frame, 0));
    EXPECT_EQ(frame.interval, 1);  // the third frame, in order

    // The window gone: pending frames dropped, swaps return at once.
    queue.SetConsumer(false);
    EXPECT_EQ(queue.Pending(), 0);
    for (int i = 0; i < 5; ++i) queue.Push(pixels.data(), 4, 4, 0);
    EXPECT_EQ(queue.Pending(), 0);
    EXPECT_TRUE(queue.WaitEmpty(0));
}

}  // namespace
