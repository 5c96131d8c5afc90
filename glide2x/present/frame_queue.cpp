#include "present/frame_queue.h"

#include <algorithm>

void FrameQueue::Push(const std::uint16_t* pixels, int width, int height, int interval) {
    PresentLocked held(lock_);
    while (consumer_ && count_ == kSlots) lock_.Wait(100);
    if (!consumer_) return;
    const int slot = (head_ + count_) % kSlots;
    const std::size_t size = std::size_t(width) * std::size_t(height);
    slots_[slot].assign(pixels, pixels + size);
    frames_[slot] = Frame{slots_[slot].data(), width, height, interval};
    ++count_;
    lock_.WakeAll();
}

int FrameQueue::Pending(int waitMs) {
    PresentLocked held(lock_);
    if (count_ > 0 && waitMs > 0) lock_.Wait(waitMs);
    return count_;
}

bool FrameQueue::WaitEmpty(int milliseconds) {
    PresentLocked held(lock_);
    for (int waited = 0; count_ > 0 && waited < milliseconds; waited += 10) lock_.Wait(10);
    return count_ == 0;
}

bool FrameQueue::Peek(Frame& frame, int milliseconds) {
    PresentLocked held(lock_);
    if (count_ == 0 && !woken_ && milliseconds > 0) lock_.Wait(milliseconds);
    woken_ = false;
    if (count_ == 0) return false;
    frame = frames_[head_];
    return true;
}

void FrameQueue::Done() {
    PresentLocked held(lock_);
    if (count_ == 0) return;
    head_ = (head_ + 1) % kSlots;
    --count_;
    lock_.WakeAll();
}

void FrameQueue::SetConsumer(bool attached) {
    PresentLocked held(lock_);
    consumer_ = attached;
    if (!attached) count_ = 0;
    lock_.WakeAll();
}

void FrameQueue::Wake() {
    PresentLocked held(lock_);
    woken_ = true;
    lock_.WakeAll();
}
