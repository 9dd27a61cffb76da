#pragma once
// Compares the files marked in the tape's catalog with the files of the same
// names in the browsed folder, finding each record by counting filemarks as
// the selective restore does; one result row per file.

#include <string>

#include "jobs/JobContext.h"
#include "jobs/JobResult.h"
#include "jobs/TapeCheck.h"
#include "jobs/VerifyResults.h"
#include "jobs/VerifyResultsView.h"

class VerifyJob {
public:
    VerifyJob(JobContext& context, VerifyResults& results, VerifyResultsView& view);
    // Done when every marked file was compared (whatever the rows say).
    JobResult RunVerify();

private:
    // The row for VerifyFile's result; false when the run must end.
    bool AddResult(const std::string& name, int result);

    JobContext& c_;
    VerifyResults& results_;
    VerifyResultsView& view_;
    TapeCheck check_;
    std::string folder_;
};
