#include "aspi/virtual/DriveAttention.h"

void DriveAttention::PowerOnReset() {
    powerOn_ = true;
    deferred_.reset();
}

void DriveAttention::Loading(std::uint64_t now, std::uint64_t readyMs, bool waitForLoad) {
    mediumChanged_ = false;
    state_ = waitForLoad ? State::WaitingForLoad : State::BecomingReady;
    readyAt_ = now + readyMs;
}

void DriveAttention::Removed() {
    mediumChanged_ = false;
    state_ = State::Ready;
}

std::optional<FixedSense> DriveAttention::Take(std::uint64_t now, bool loadCommand) {
    if (deferred_) {
        std::optional<FixedSense> sense = deferred_;
        deferred_.reset();
        return sense;
    }
    if (powerOn_) {
        powerOn_ = false;
        return FixedSense(SenseKey::UnitAttention, 0x29, 0x00);
    }
    if (state_ == State::BecomingReady && now >= readyAt_) {
        state_ = State::Ready;
        mediumChanged_ = true;
    }
    if (mediumChanged_) {
        mediumChanged_ = false;
        return FixedSense(SenseKey::UnitAttention, 0x28, 0x00);
    }
    if (state_ == State::BecomingReady) return FixedSense(SenseKey::NotReady, 0x04, 0x01);
    if (state_ == State::WaitingForLoad && !loadCommand) return FixedSense(SenseKey::NotReady, 0x04, 0x02);
    return std::nullopt;
}
