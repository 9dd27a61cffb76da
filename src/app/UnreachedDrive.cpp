#include "app/UnreachedDrive.h"

#include <cerrno>
#include <cstring>

#include "aspi/CommandTimeLimit.h"
#include "aspi/Srb.h"

namespace {

std::string Join(const std::vector<std::string>& items) {
    std::string text;
    for (const std::string& item : items) text += (text.empty() ? "" : ", ") + item;
    return text;
}

std::string Busy(const CartridgeFacts& facts) {
    if (facts.holders.empty())
        return "The drive is busy: another program has " + facts.node +
               " open. Wait until it has finished, then run the command again.";
    return "The drive is busy: " + facts.node + " is held by process " + Join(facts.holders) +
           ". Wait until it has finished (or end it), then run the command again.";
}

std::string TimedOut(const CommandFailure& failure, bool sg) {
    const std::string command = CommandTimeLimit::CommandName(failure.opcode);
    const std::string within = sg ? " within " + CommandTimeLimit::InWords(CommandTimeLimit::For(failure.opcode)) : "";
    return "The drive did not finish the " + command + within +
           ", so the command was given up. The drive may be hung: switch it off and on again (or restart its "
           "target), then run the command again.";
}

std::string Gone(const CartridgeFacts& facts) {
    const std::string drive = "The drive at SCSI " + facts.address + " (" + facts.node + ") cannot be reached: ";
    const std::string check = " Check its cable and power, or its iSCSI session (iscsiadm -m session), then run the "
                              "command again.";
    if (facts.state.empty()) return drive + "the kernel no longer has it." + check;
    if (facts.state != "running") return drive + "the kernel reports it as " + facts.state + "." + check;
    return drive + "it does not answer." + check;
}

}  // namespace

std::string UnreachedDriveSentence(const CommandFailure& failure, const CartridgeFacts& facts) {
    const bool sg = !facts.address.empty();
    const bool timedOut = failure.hostStatus == HASTAT_TIMEOUT || failure.hostStatus == HASTAT_COMMAND_TIMEOUT;
    if (failure.targetStatus == STATUS_CHKCOND || failure.status == SS_NO_DEVICE || failure.status == SS_INVALID_HA)
        return {};
    if (timedOut) return TimedOut(failure, sg);
    if (!sg) return {};
    if (failure.targetStatus == STATUS_BUSY) return Busy(facts);
    if (failure.hostStatus == HASTAT_OK) return {};
    if (facts.node.empty())
        return "The drive at SCSI " + facts.address +
               " has no SCSI generic node. Load the sg driver (modprobe sg), then run the command again.";
    switch (facts.error) {
    case EACCES:
    case EPERM:
        return "No access to the drive's node " + facts.node +
               ": permission denied. Join the group that owns it (see ls -l " + facts.node +
               "; on Debian: adduser $USER tape), log in again, then run the command again.";
    case ENOENT:
        return "The drive's node " + facts.node + " does not exist. Look at \"tapewren-cli adapters\" for the drive.";
    case 0:
    case ENXIO:
    case ENODEV:
    case EBADF:
        return Gone(facts);
    default:
        return "The drive's node " + facts.node + " cannot be used: " + std::strerror(facts.error) + ".";
    }
}
