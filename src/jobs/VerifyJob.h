#pragma once
// Compares the catalog entries a VerifyRequest names with the files of the
// same names in its folder, finding each record by counting filemarks as
// the selective restore does; one result row per file, and one record in
// the report. Where the catalog keeps a checksum, tape data that does not
// match it is reported as damage on tape ("Tape damaged"), not as a file
// that differs.

#include <string>

#include "jobs/CatalogSums.h"
#include "jobs/JobContext.h"
#include "jobs/JobDrive.h"
#include "jobs/JobReport.h"
#include "jobs/JobRequests.h"
#include "jobs/TapeCheck.h"
#include "jobs/VerifyResults.h"
#include "jobs/VerifyResultsSink.h"

class VerifyJob {
public:
    VerifyJob(JobContext& context, VerifyResults& results, VerifyResultsSink& view);
    // Done when every named file was compared (whatever the rows say).
    JobReport Run(const VerifyRequest& request);

private:
    JobResult Verify(const VerifyRequest& request);
    // The row for VerifyFile's result; false when the run must end.
    bool AddResult(int record, const std::string& name, int result);

    JobContext& c_;
    VerifyResults& results_;
    VerifyResultsSink& view_;
    TapeCheck check_;
    JobDrive drive_;
    CatalogSums sums_;
    JobReport report_;
};
