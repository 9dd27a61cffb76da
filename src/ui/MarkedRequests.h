#pragma once
// The requests START makes of the jobs, from the marks in the window's left
// list: on the Backup tab the browsed folder's marked files (archives apart,
// each in list order), on the Restore and Verify tabs the catalog's marked
// rows, row i being entry i.

#include <string>

#include "jobs/JobRequests.h"

class ListModel;

namespace MarkedRequests {

BackupRequest Backup(const ListModel& list, const std::string& folder);
RestoreRequest Restore(const ListModel& list, const std::string& folder);
VerifyRequest Verify(const ListModel& list, const std::string& folder);

}  // namespace MarkedRequests
