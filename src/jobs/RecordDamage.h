#pragma once
// The message for a file record that a walk over the whole tape (full
// restore, rebuild) leaves behind, and the count of such records in the
// closing message.

#include <string>

#include "tape/RecordFault.h"

// "Error: file record 3 on tape skipped: no file header"; name: the header's
// name, quoted for a name that cannot be used.
std::string RecordDamageText(int record, RecordFault fault, const std::string& name);

// "1 file record", "2 file records".
std::string RecordCountText(int count);
