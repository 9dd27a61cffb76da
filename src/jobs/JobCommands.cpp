#include "jobs/JobCommands.h"

JobCommands::JobCommands(JobContext& context, VerifyResults& results, VerifyResultsView& view)
    : backup_(context), restore_(context), verify_(context, results, view) {}

JobResult JobCommands::StartCommand(int tab) {
    switch (tab) {
    case kBackupJobTab:
        return backup_.RunBackup();
    case kRestoreJobTab:
        return restore_.RunRestore();
    case kVerifyJobTab:
        return verify_.RunVerify();
    default:
        return JobResult::Done;
    }
}
