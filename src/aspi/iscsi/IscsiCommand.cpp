#include "aspi/iscsi/IscsiCommand.h"

extern "C" {
#include <iscsi/iscsi.h>
#include <iscsi/scsi-lowlevel.h>
}

IscsiCommand::~IscsiCommand() {
    // A command still in flight belongs to libiscsi until it is answered;
    // its owner finishes it before letting go.
    if (task_ != nullptr && answered_) scsi_free_scsi_task(task_);
}
