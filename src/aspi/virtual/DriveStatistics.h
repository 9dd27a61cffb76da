#pragma once
// What went through the virtual drive since it was made, for tests and
// benchmarks. A flush is what costs a real drive a back-hitch: the tape
// stops until everything buffered is on it.

#include <cstdint>
#include <string>

struct DriveStatistics {
    std::uint64_t commands = 0;      // every command, INQUIRY and refused ones included
    std::uint64_t reads = 0;         // READ commands carried out
    std::uint64_t writes = 0;        // WRITE commands carried out
    std::uint64_t bytesRead = 0;     // data bytes sent to the host
    std::uint64_t bytesWritten = 0;  // data bytes recorded
    std::uint64_t filemarks = 0;     // filemarks recorded
    // WRITE FILEMARKS without the immediate bit (whatever the count), every
    // WRITE in unbuffered mode, and REWIND, SPACE or LOAD/UNLOAD while
    // recorded data were not yet flushed.
    std::uint64_t flushes = 0;

    // One line: "commands=N reads=N writes=N bytes_read=N bytes_written=N
    // filemarks=N flushes=N".
    std::string Line() const;
    // Appends Line() and a line end to the file; false when that fails.
    bool AppendTo(const std::string& path) const;
};
