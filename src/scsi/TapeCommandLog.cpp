#include "scsi/TapeCommandLog.h"

#include <cstring>

#include "aspi/Aspi.h"

namespace {
TapeCommandOutcome last;
}  // namespace

TapeCommandOutcome TapeCommandLog::OutcomeOf(const SRB_ExecSCSICmd& request) {
    TapeCommandOutcome outcome;
    outcome.status = SrbStatus(request.SRB_Status);
    outcome.failed = outcome.status != SS_COMP;
    outcome.opcode = request.CDBByte[0];
    outcome.hostStatus = request.SRB_HaStat;
    outcome.targetStatus = request.SRB_TargStat;
    std::memcpy(outcome.sense, request.SenseArea, sizeof outcome.sense);
    return outcome;
}

void TapeCommandLog::Record(const SRB_ExecSCSICmd& request) {
    const TapeCommandOutcome outcome = OutcomeOf(request);
    last.status = outcome.status;
    last.failed = outcome.failed;
    if (!last.failed) return;
    const unsigned long failures = last.failures + 1;
    last = outcome;
    last.failures = failures;
}

const TapeCommandOutcome& TapeCommandLog::Last() { return last; }
