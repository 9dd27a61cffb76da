#pragma once
// How long an adapter lets one command run before it gives it up, by
// operation code. A command that does not move the tape is answered within
// seconds, so a drive that has not answered it in a minute has stopped
// answering. READ, WRITE and WRITE FILEMARKS may spend minutes in the
// drive's own error recovery or flushing its buffer. Positioning and
// loading take longest: drives document up to 13 minutes for a REWIND, 50
// for a SPACE and two hours for the first LOAD of a new LTO-9 cartridge,
// which calibrates it. A command not named here gets the longest limit, so
// that nothing legitimate is cut short.

#include <cstdint>
#include <string>

namespace CommandTimeLimit {

inline constexpr unsigned kStillMs = 60u * 1000u;
inline constexpr unsigned kTransferMs = 30u * 60u * 1000u;
inline constexpr unsigned kPositioningMs = 3u * 3600u * 1000u;

unsigned For(std::uint8_t opcode);
// The command's name for a message: "REWIND", "READ", ...; "command 3Bh"
// for one the program does not send.
std::string CommandName(std::uint8_t opcode);
// "1 minute", "30 minutes", "3 hours".
std::string InWords(unsigned ms);

}  // namespace CommandTimeLimit
