#pragma once
// The message for a file record that a walk over the whole tape (full
// restore, rebuild) leaves behind, and the counts and numbers of such
// records in the closing message.

#include <string>
#include <vector>

#include "tape/RecordFault.h"

// Why a record was skipped ("no file header") for the message that says so
// (MessageId::RecordSkipped); name: the header's name, quoted for a name
// that cannot be used.
std::string RecordDamageText(RecordFault fault, const std::string& name);

// "1 file record", "2 file records".
std::string RecordCountText(int count);

// "3", "3 and 7", "3, 7 and 9", "3, 7, 9 and 12 more": the numbers kept of
// total records.
std::string RecordListText(const std::vector<int>& records, int total);
