#pragma once
// A failure one LUN keeps giving to the commands it concerns, so that a
// command the caller simply sends again cannot carry on past it.
//  - A buffered write that failed (a deferred error): the next command is
//    answered with it instead of being carried out (MODE SENSE and INQUIRY,
//    which only describe the drive, are let through), and every WRITE and
//    WRITE FILEMARKS until the tape has been positioned again (REWIND,
//    SPACE, LOAD/UNLOAD, LOCATE with GOOD status): blocks after the failed
//    one must never land on the tape as if nothing were missing.
//  - A read or write built on a MODE SENSE answered from memory that met
//    something that might have changed the mode data (a unit attention, a
//    drive not ready, a transport failure, another target status): READ,
//    WRITE and WRITE FILEMARKS get the same answer until MODE SENSE or
//    MODE SELECT has reached the drive, as they would have had the MODE SENSE
//    itself met it.

#include <cstdint>

#include "aspi/iscsi/IscsiOutcome.h"

class HeldFailure {
public:
    enum class Until { Positioned, ModeRead };

    // Keeps the first failure until it is released; a later one is dropped.
    void Hold(const IscsiOutcome& outcome, Until until, bool reported);
    bool Holding() const { return holding_; }
    // Whether a command with this opcode must be answered with the held
    // failure (put into outcome) instead of being sent.
    bool Refuses(std::uint8_t opcode, IscsiOutcome& outcome);
    // A command that reached the drive, with its outcome.
    void Sent(std::uint8_t opcode, const IscsiOutcome& outcome);

    // The same failure in the form a drive reports an error of a command it
    // had already completed: sense response code 71h (73h in descriptor form).
    static IscsiOutcome Deferred(const IscsiOutcome& outcome);

private:
    bool holding_ = false;
    bool reported_ = false;
    Until until_ = Until::Positioned;
    IscsiOutcome outcome_;
};
