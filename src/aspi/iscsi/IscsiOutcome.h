#pragma once
// How one command sent over an iSCSI session ended.

#include <array>
#include <cstddef>
#include <cstdint>

struct IscsiOutcome {
    enum class Kind {
        Good,            // GOOD status
        CheckCondition,  // sense holds the sense data
        TargetStatus,    // another status byte (BUSY, RESERVATION CONFLICT)
        NoConnection,    // no session could be opened
        TimedOut,        // no answer within the time-out; the session was dropped
        Failed,          // the session broke while the command was in flight
    };

    Kind kind = Kind::Failed;
    std::uint8_t targetStatus = 0;
    std::array<std::uint8_t, 32> sense{};
    std::size_t senseLength = 0;
    // Data the target moved, as far as the transport says (GOOD status).
    std::size_t transferred = 0;
};
