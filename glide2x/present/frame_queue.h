// Finished frames on their way from grBufferSwap to the window. A swap copies
// the front buffer into a free slot and returns, so the presenter shows one
// frame while the host draws the next. A frame stays pending until the
// presenter has shown it; at most kSlots are pending, as a card queues swaps.
#pragma once

#include <cstdint>
#include <vector>

#include "present/sync.h"

class FrameQueue {
public:
    static constexpr int kSlots = 2;

    // Producer: copies a w x h RGB 565 frame into the next slot, waiting
    // while every slot is pending. Without a consumer the frame is dropped.
    void Push(const std::uint16_t* pixels, int width, int height, int interval);
    // Frames handed over and not yet shown. With `waitMs`, a non-zero count
    // is read again after the next frame is shown or the time runs out.
    int Pending(int waitMs = 0);
    // Waits until nothing is pending or the time runs out; true when empty.
    bool WaitEmpty(int milliseconds);

    // Consumer: the oldest pending frame, waiting up to `milliseconds` for
    // one (or for Wake). The slot is not written again until Done.
    struct Frame {
        const std::uint16_t* pixels;
        int width;
        int height;
        int interval;
    };
    bool Peek(Frame& frame, int milliseconds);
    void Done();  // the frame Peek gave has been shown
    // Attached: frames queue up for the consumer. Detached: pending frames
    // are dropped and Push returns at once.
    void SetConsumer(bool attached);
    // Ends a consumer's wait in Peek early (a setting changed).
    void Wake();

private:
    PresentLock lock_;
    std::vector<std::uint16_t> slots_[kSlots];
    Frame frames_[kSlots] = {};
    int head_ = 0;
    int count_ = 0;
    bool consumer_ = false;
    bool woken_ = false;
};
