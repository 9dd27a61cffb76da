#pragma once
// One line that names the drive a job is about to use, so that a job that
// writes never goes to a drive the user did not mean without saying so:
// "Drive: adapter 0 (SCSI 2:0:0 (mptsas): ACME LTO-9 serial 10WT0 /dev/nst0
// at target 1), target 1: ACME    LTO-9", and for the virtual drive the
// image it works on.

#include <string>

class Session;

std::string DriveInUse(Session& session);
