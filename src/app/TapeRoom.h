#pragma once
// How much room the loaded tape has left: its catalog's entries and, where
// known (the virtual drive's cartridge, or a drive's tape capacity log
// page), its bytes; so that a nightly backup can warn before the tape fills.

#include <cstdint>
#include <string>

class Session;

struct TapeRoom {
    int entries = -1;             // catalog entries used; -1: no catalog read
    std::int64_t fileBytes = 0;   // the sizes of the files the catalog lists
    long long capacity = -1;      // of the cartridge; -1: not reported
    long long used = -1;          // bytes recorded on it

    int EntriesLeft() const;
    long long BytesLeft() const { return capacity < 0 || used < 0 ? -1 : capacity > used ? capacity - used : 0; }
    // Fewer than 10% of the entries or of the capacity left: what is
    // short, in words ("87 of 999 catalog entries left"); else empty.
    std::string Shortage() const;
};

// The room of the loaded tape, whose catalog is at catalogPath (empty: no
// catalog known).
TapeRoom RoomOf(Session& session, const std::string& catalogPath);
