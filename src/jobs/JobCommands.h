#pragma once
// The three jobs behind START, chosen by the selected tab.

#include "jobs/BackupJob.h"
#include "jobs/JobContext.h"
#include "jobs/JobResult.h"
#include "jobs/RestoreJob.h"
#include "jobs/VerifyJob.h"
#include "lists/Tab.h"

inline constexpr int kBackupJobTab = kBackupTab;
inline constexpr int kRestoreJobTab = kRestoreTab;
inline constexpr int kVerifyJobTab = kVerifyTab;

class JobCommands {
public:
    JobCommands(JobContext& context, VerifyResults& results, VerifyResultsView& view);

    // Backup on tab 0, restore on 1, verify on 2; nothing (Done) on any other.
    JobResult StartCommand(int tab);

private:
    BackupJob backup_;
    RestoreJob restore_;
    VerifyJob verify_;
};
