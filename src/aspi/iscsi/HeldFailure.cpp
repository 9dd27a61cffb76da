#include "aspi/iscsi/HeldFailure.h"

#include "aspi/iscsi/TapeOpcodes.h"

using namespace TapeOpcodes;

void HeldFailure::Hold(const IscsiOutcome& outcome, Until until, bool reported) {
    if (holding_) return;
    holding_ = true;
    reported_ = reported;
    until_ = until;
    outcome_ = outcome;
}

bool HeldFailure::Refuses(std::uint8_t opcode, IscsiOutcome& outcome) {
    if (!holding_) return false;
    bool refused = false;
    if (until_ == Until::Positioned) {
        const bool describes = opcode == ScsiOp::ModeSense6 || opcode == ScsiOp::Inquiry;
        refused = opcode == ScsiOp::Write6 || opcode == ScsiOp::WriteFilemarks || (!reported_ && !describes);
    } else {
        refused = MovesBlocks(opcode);
    }
    if (refused) {
        reported_ = true;
        outcome = outcome_;
    }
    return refused;
}

void HeldFailure::Sent(std::uint8_t opcode, const IscsiOutcome& outcome) {
    if (!holding_) return;
    if (until_ == Until::Positioned)
        holding_ = !(Positions(opcode) && outcome.kind == IscsiOutcome::Kind::Good);
    else
        holding_ = !(opcode == ScsiOp::ModeSense6 || opcode == ScsiOp::ModeSelect6);
}

IscsiOutcome HeldFailure::Deferred(const IscsiOutcome& outcome) {
    IscsiOutcome deferred = outcome;
    if (deferred.kind == IscsiOutcome::Kind::CheckCondition && deferred.senseLength > 0) {
        std::uint8_t& code = deferred.sense[0];
        if ((code & 0x7F) == 0x70) code = static_cast<std::uint8_t>((code & 0x80) | 0x71);
        if ((code & 0x7F) == 0x72) code = static_cast<std::uint8_t>((code & 0x80) | 0x73);
    }
    return deferred;
}
