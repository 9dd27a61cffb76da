#pragma once
// A tape command that failed, as the drive reported it, carried with the
// message that reports the failure so that the failure can be explained in
// words (what the drive said, what to do). The bytes of the request as it
// completed; serial tells one failure from the next.

#include <cstdint>

struct CommandFailure {
    static constexpr int kSenseBytes = 16;

    bool present = false;
    unsigned long serial = 0;
    std::uint8_t opcode = 0;  // of the command, or MODE SENSE before a transfer
    std::uint8_t status = 0;  // the request's final status byte
    std::uint8_t hostStatus = 0;
    std::uint8_t targetStatus = 0;
    std::uint8_t sense[kSenseBytes] = {};
};
