#include "jobs/JobCommands.h"

JobCommands::JobCommands(JobContext& context, VerifyResults& results, VerifyResultsView& view)
    : backup_(context), restore_(context), verify_(context, results, view) {}

void JobCommands::StartCommand(int tab) {
    switch (tab) {
    case kBackupJobTab:
        backup_.RunBackup();
        break;
    case kRestoreJobTab:
        restore_.RunRestore();
        break;
    case kVerifyJobTab:
        verify_.RunVerify();
        break;
    default:
        break;
    }
}
