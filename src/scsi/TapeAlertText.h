#pragma once
// The TapeAlert flags a drive reports (LOG SENSE page 2Eh), in words for
// the user: flag n is bit n - 1 of flags.

#include <cstdint>
#include <string>

// The set flags' meanings, "; " between them, in the flags' order; empty
// when none is set. A flag without a meaning of its own is named by number.
std::string TapeAlertText(std::uint64_t flags);
