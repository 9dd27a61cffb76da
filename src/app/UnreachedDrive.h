#pragma once
// Says in one sentence why a command never reached a drive behind the SCSI
// generic driver, and what to do: another program holds it, no access to
// its node, no node at all, the device offline or gone. For any drive, a
// command given up after its time limit. Empty for everything else: a
// failure the drive reported itself, or one of another kind of drive.

#include <string>

#include "app/CartridgeFacts.h"
#include "report/CommandFailure.h"

std::string UnreachedDriveSentence(const CommandFailure& failure, const CartridgeFacts& facts);
