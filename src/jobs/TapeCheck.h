#pragma once
// The check every job starts with: rewind, then TapeCatalogMatch (the
// tape's catalog in the start directory must carry the tape's name and date
// of formatting), with the jobs' status lines and messages.

#include "jobs/JobContext.h"
#include "jobs/TapeCatalogMatch.h"

class TapeCheck {
public:
    // Which wording of the not-found message a job shows: the backup's has
    // no blank before its line break, restore's and verify's have one.
    enum class Wording { Backup, RestoreOrVerify };

    explicit TapeCheck(JobContext& context);

    // 0 when the tape and context.currentDirFilePath's catalog belong
    // together; -1 after the failure's message.
    int Run(Wording wording);

private:
    JobContext& c_;
    TapeCatalogMatch match_;
};
