#pragma once
// What the drive reports before it carries out a command: an earlier
// buffered write that failed (deferred error), a unit attention (29/00 after
// power-on or reset, 28/00 when a loaded cartridge has become ready), or a
// cartridge that is not ready yet (04/01 becoming ready, 04/02 waiting for a
// LOAD). Attentions and deferred errors are reported once; not being ready
// lasts until it ends.

#include <cstdint>
#include <optional>

#include "aspi/virtual/FixedSense.h"

class DriveAttention {
public:
    // 29/00 on the next command; a deferred error is gone with the reset.
    void PowerOnReset();
    // A cartridge went in at `now` (DriveClock ms): becoming ready for
    // readyMs, or waiting for a LOAD; 28/00 once it is ready.
    void Loading(std::uint64_t now, std::uint64_t readyMs, bool waitForLoad);
    // The cartridge went out: nothing to wait for or to report about it.
    void Removed();
    void Defer(const FixedSense& sense) { deferred_ = sense; }

    bool WaitsForLoad() const { return state_ == State::WaitingForLoad; }
    // The sense a command must end with instead of running, if any.
    // `loadCommand`: a LOAD/UNLOAD, which a cartridge waiting for a LOAD takes.
    std::optional<FixedSense> Take(std::uint64_t now, bool loadCommand);

private:
    enum class State { Ready, BecomingReady, WaitingForLoad };

    std::optional<FixedSense> deferred_;
    bool powerOn_ = false;
    bool mediumChanged_ = false;
    State state_ = State::Ready;
    std::uint64_t readyAt_ = 0;
};
