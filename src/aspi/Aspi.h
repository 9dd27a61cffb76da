#pragma once
// The ASPI entry point. Management requests (SC_HA_INQUIRY, SC_GET_DEV_TYPE)
// complete inside the call and return their status. SC_EXEC_SCSI_CMD returns
// SS_PENDING once accepted; the record's status byte turns non-zero when the
// command has finished (read it with SrbStatus). An unknown adapter or target
// is answered at once, and the same value is written into the status byte so
// that a caller polling it does not wait forever.

#include "aspi/Srb.h"

DWORD SendASPI32Command(void* srb);

// The status byte is written by whoever completes the request, possibly on
// another thread; pollers read it through this.
BYTE SrbStatus(const BYTE& statusByte);
void SetSrbStatus(BYTE& statusByte, BYTE value);
