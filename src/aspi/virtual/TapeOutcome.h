#pragma once
// What a movement or transfer on a cartridge ran into. The drive turns it
// into status and sense data.

#include <cstdint>

enum class TapeEvent {
    Done,
    Filemark,        // stopped after (forward) or before (reverse) a filemark
    EndOfData,
    BeginningOfTape,
    WrongLength,     // a record of another length than asked for
    BadRecord,       // a record the image marks as unreliable; position not moved past it
    Damaged,         // unreadable framing; position not moved past it
    AtDamage,        // a write refused at damaged framing, or reaching into it; nothing was written
    ReadFailed,      // the image file could not be read
    WriteFailed,     // the image file could not be written; nothing was added
    ReadOnly,
    Overflow,        // does not fit on the cartridge; nothing was written
    EarlyWarning,    // written, but within the early-warning zone
};

struct TapeOutcome {
    TapeEvent event = TapeEvent::Done;
    std::uint64_t done = 0;          // blocks, records or filemarks transferred or passed
    std::uint32_t recordLength = 0;  // length of the record read (WrongLength, variable reads)
};
