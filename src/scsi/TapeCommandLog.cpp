#include "scsi/TapeCommandLog.h"

#include <cstring>

#include "aspi/Aspi.h"

namespace {
TapeCommandOutcome last;
}  // namespace

void TapeCommandLog::Record(const SRB_ExecSCSICmd& request) {
    last.status = SrbStatus(request.SRB_Status);
    last.failed = last.status != SS_COMP;
    if (!last.failed) return;
    ++last.failures;
    last.opcode = request.CDBByte[0];
    last.hostStatus = request.SRB_HaStat;
    last.targetStatus = request.SRB_TargStat;
    std::memcpy(last.sense, request.SenseArea, sizeof last.sense);
}

const TapeCommandOutcome& TapeCommandLog::Last() { return last; }
