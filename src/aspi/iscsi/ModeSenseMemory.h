#pragma once
// What MODE SENSE(6) last answered on one LUN, so that the next one with the
// same CDB is answered without a round trip while nothing can have changed
// the drive's answer. Strict: the answer is forgotten on anything that might
// change it: MODE SELECT, LOAD/UNLOAD or any other command not known to leave
// mode data alone, every answer but GOOD (a unit attention, any CHECK
// CONDITION, a transport failure), another session, and the first READ,
// WRITE or WRITE FILEMARKS after the tape was positioned (a drive settles the
// density it reports when it first reads or writes at the beginning).

#include <array>
#include <cstddef>
#include <cstdint>

#include "aspi/CdbTransfer.h"
#include "aspi/iscsi/IscsiOutcome.h"

class ModeSenseMemory {
public:
    // Copies the remembered answer into data (the transfer's buffer) when it
    // answers exactly this CDB and length in this session.
    bool Answer(const CdbTransfer& transfer, unsigned session, std::uint8_t* data) const;
    // A command on its way to the drive; a WRITE that is not waited for is
    // seen here only.
    void Sending(const CdbTransfer& transfer);
    // The drive's answer to a command (after Sending); data is its buffer.
    void Answered(const CdbTransfer& transfer, const IscsiOutcome& outcome, unsigned session,
                  const std::uint8_t* data);
    void Forget() { known_ = false; }
    // The remembered answer of this session says the tape is not write-
    // protected (the header's device-specific byte).
    bool SaysWritable(unsigned session) const;

private:
    bool known_ = false;
    unsigned session_ = 0;
    std::array<std::uint8_t, 16> cdb_{};
    std::size_t length_ = 0;
    std::size_t bytes_ = 0;
    std::array<std::uint8_t, 255> data_{};
    // Until the first data command: the position is unknown at the start.
    bool positioned_ = true;
};
