#include "aspi/iscsi/IscsiHostAdapter.h"

#include <chrono>
#include <cstring>

#include "aspi/ScsiExec.h"
#include "aspi/ScsiOpcodes.h"
#include "aspi/SenseData.h"
#include "aspi/iscsi/ReadDataCount.h"
#include "aspi/iscsi/TapeOpcodes.h"

namespace {

constexpr std::uint8_t kInquiryCdb[6] = {ScsiOp::Inquiry, 0, 0, 0, 36, 0};
constexpr int kAttentionRounds = 4;
// Discovery asks every target of every adapter; an unreachable portal is
// tried again only after this pause.
constexpr std::int64_t kRetryOpenAfterMs = 2000;

std::int64_t NowMs() {
    return std::chrono::duration_cast<std::chrono::milliseconds>(std::chrono::steady_clock::now().time_since_epoch())
        .count();
}

bool IsLoginAttention(const IscsiOutcome& outcome) {
    return outcome.kind == IscsiOutcome::Kind::CheckCondition && outcome.senseLength > SenseData::kAsc &&
           SenseData::Key(outcome.sense.data()) == SenseKey::UnitAttention && outcome.sense[SenseData::kAsc] == 0x29;
}

// An outcome after which the drive's mode data may differ from what it last
// reported: anything but GOOD or a CHECK CONDITION about the command itself
// (sense keys other than NOT READY and UNIT ATTENTION).
bool MayHaveChangedModeData(const IscsiOutcome& outcome) {
    if (outcome.kind == IscsiOutcome::Kind::Good) return false;
    if (outcome.kind != IscsiOutcome::Kind::CheckCondition || outcome.senseLength <= SenseData::kFlagsAndKey) return true;
    const std::uint8_t key = SenseData::Key(outcome.sense.data());
    return key == SenseKey::NotReady || key == SenseKey::UnitAttention;
}

}  // namespace

IscsiHostAdapter::IscsiHostAdapter(IscsiPortalUrl url, int commandTimeoutSeconds, int loginTimeoutSeconds,
                                   IscsiSession::Liveness liveness)
    : session_(url, commandTimeoutSeconds, loginTimeoutSeconds, liveness), identifier_(("iSCSI " + url.host).substr(0, 16)),
      name_("iSCSI " + url.Portal() + " " + url.targetName) {
    types_.fill(-1);
}

std::string IscsiHostAdapter::Identifier() const { return identifier_; }

IscsiOutcome::Kind IscsiHostAdapter::OpenSession() {
    if (session_.IsOpen()) return IscsiOutcome::Kind::Good;
    const IscsiOutcome::Kind opened = session_.Open();
    lastFailedOpen_ = opened == IscsiOutcome::Kind::Good ? 0 : NowMs();
    return opened;
}

IscsiOutcome IscsiHostAdapter::Run(int lun, const CdbTransfer& transfer, std::uint8_t* data) {
    IscsiOutcome outcome = session_.Run(lun, transfer, data);
    if (session_.Generation() != attentionsCleared_[lun]) {
        // INQUIRY passes a pending attention by; anything else meets it.
        const bool inquiry = transfer.cdb[0] == ScsiOp::Inquiry;
        for (int round = 0; round < kAttentionRounds && IsLoginAttention(outcome); ++round)
            outcome = session_.Run(lun, transfer, data);
        if (!inquiry && session_.IsOpen()) attentionsCleared_[lun] = session_.Generation();
    }
    return outcome;
}

int IscsiHostAdapter::DeviceType(int target) {
    if (target < 0 || target >= kLuns) return -1;
    const std::lock_guard<std::mutex> lock(mutex_);
    if (session_.IsOpen() && typesGeneration_ == session_.Generation() && typeKnown_[target]) return types_[target];
    if (!session_.IsOpen()) {
        const bool recentlyFailed = lastFailedOpen_ != 0 && NowMs() - lastFailedOpen_ < kRetryOpenAfterMs;
        // No device while the portal cannot be reached: requests are then
        // refused at once with SS_NO_DEVICE, and the drive status shows the
        // drive as not installed instead of ready.
        if (recentlyFailed || OpenSession() != IscsiOutcome::Kind::Good) return -1;
    }
    if (typesGeneration_ != session_.Generation()) {
        typeKnown_.fill(false);
        typesGeneration_ = session_.Generation();
    }
    const CdbTransfer transfer = CdbTransfer::Shape(kInquiryCdb, DataDirection::In, kInquiryCdb[4]);
    inquiry_.fill(0);
    DrainWrites();
    const IscsiOutcome outcome = Run(target, transfer, inquiry_.data());
    Observe(target, transfer, outcome, inquiry_.data());
    switch (outcome.kind) {
    case IscsiOutcome::Kind::Good: {
        // Qualifier 1 (not connected) and 3 (no such LUN) mean no device.
        const int qualifier = inquiry_[0] >> 5;
        types_[target] = (qualifier == 1 || qualifier == 3) ? -1 : (inquiry_[0] & 0x1f);
        typeKnown_[target] = true;
        break;
    }
    case IscsiOutcome::Kind::CheckCondition:
    case IscsiOutcome::Kind::TargetStatus:
        types_[target] = -1;
        typeKnown_[target] = true;
        break;
    default:
        // The session broke; ask again when it is back.
        return -1;
    }
    return types_[target];
}

void IscsiHostAdapter::Execute(int target, ScsiExec& exec) {
    const std::lock_guard<std::mutex> lock(mutex_);
    const std::span<std::uint8_t> data = exec.Data();
    const CdbTransfer transfer = CdbTransfer::Shape(exec.Cdb(), exec.Direction(), data.size());
    writes_.Collect();
    TakeWriteFailure();
    if (AnswerFromMemory(target, transfer, data.data()) || Buffer(target, transfer, data.data())) {
        exec.FinishGood();
        return;
    }
    // Everything else goes to the drive alone, after the buffered writes.
    DrainWrites();
    if (IscsiOutcome held; luns_[target].held.Refuses(transfer.cdb[0], held)) {
        Finish(held, exec);
        return;
    }
    if (const IscsiOutcome::Kind opened = OpenSession(); opened != IscsiOutcome::Kind::Good) {
        IscsiOutcome failed;
        failed.kind = opened;
        Finish(failed, exec);
        return;
    }
    if (IscsiOutcome lost; SessionLostUnder(target, transfer, lost)) {
        Finish(lost, exec);
        return;
    }
    const IscsiOutcome outcome = Run(target, transfer, data.data());
    if (outcome.kind == IscsiOutcome::Kind::CheckCondition && transfer.direction == DataDirection::In) {
        // The target may send stale bytes beyond what it really read; only
        // the count the sense data gives is data.
        const std::size_t valid = ReadDataCount::ValidBytes(transfer, outcome.sense.data(), outcome.senseLength);
        if (valid < transfer.dataLength) std::memset(data.data() + valid, 0, transfer.dataLength - valid);
    }
    Observe(target, transfer, outcome, data.data());
    Finish(outcome, exec);
}

bool IscsiHostAdapter::AnswerFromMemory(int lun, const CdbTransfer& transfer, std::uint8_t* data) {
    Lun& state = luns_[lun];
    if (!session_.IsOpen() || state.held.Holding() ||
        !state.modeSense.Answer(transfer, session_.Generation(), data))
        return false;
    state.answeredFromMemory = true;
    state.answeredSession = session_.Generation();
    return true;
}

bool IscsiHostAdapter::SessionLostUnder(int lun, const CdbTransfer& transfer, IscsiOutcome& lost) {
    Lun& state = luns_[lun];
    if (!state.answeredFromMemory || !TapeOpcodes::MovesBlocks(transfer.cdb[0]) ||
        state.answeredSession == session_.Generation())
        return false;
    // The remembered answer came from a session that has since broken; the
    // drive behind the new one may have been reset.
    lost.kind = IscsiOutcome::Kind::Failed;
    state.held.Hold(lost, HeldFailure::Until::ModeRead, true);
    return true;
}

bool IscsiHostAdapter::Buffer(int lun, const CdbTransfer& transfer, const std::uint8_t* data) {
    Lun& state = luns_[lun];
    // The first commands after a login go one at a time: they may meet the
    // login's unit attention, which Run swallows. A drive refuses a write to
    // a protected tape at once, so only a tape the drive itself has just
    // called writable gets buffered writes.
    if (transfer.cdb[0] != ScsiOp::Write6 || transfer.direction != DataDirection::Out ||
        !session_.IsOpen() || attentionsCleared_[lun] != session_.Generation() || state.held.Holding() ||
        !state.modeSense.SaysWritable(session_.Generation()))
        return false;
    state.modeSense.Sending(transfer);
    if (writes_.Queue(lun, transfer, data)) return true;
    TakeWriteFailure();
    return false;
}

void IscsiHostAdapter::DrainWrites() {
    writes_.Drain();
    TakeWriteFailure();
}

void IscsiHostAdapter::TakeWriteFailure() {
    int lun = 0;
    IscsiOutcome failure;
    if (!writes_.TakeFailure(lun, failure)) return;
    Lun& state = luns_[lun];
    state.modeSense.Forget();
    state.held.Hold(HeldFailure::Deferred(failure), HeldFailure::Until::Positioned, false);
}

void IscsiHostAdapter::Observe(int lun, const CdbTransfer& transfer, const IscsiOutcome& outcome,
                               const std::uint8_t* data) {
    Lun& state = luns_[lun];
    const std::uint8_t opcode = transfer.cdb[0];
    state.modeSense.Sending(transfer);
    state.modeSense.Answered(transfer, outcome, session_.Generation(), data);
    state.held.Sent(opcode, outcome);
    if (opcode == ScsiOp::ModeSense6 || opcode == ScsiOp::ModeSelect6) {
        state.answeredFromMemory = false;
    } else if (state.answeredFromMemory && TapeOpcodes::MovesBlocks(opcode) && MayHaveChangedModeData(outcome)) {
        // The caller built this command on the remembered answer; had it
        // asked the drive, the MODE SENSE would have met this failure.
        state.held.Hold(outcome, HeldFailure::Until::ModeRead, true);
    }
}

void IscsiHostAdapter::Finish(const IscsiOutcome& outcome, ScsiExec& exec) {
    switch (outcome.kind) {
    case IscsiOutcome::Kind::Good:
        exec.FinishGood();
        return;
    case IscsiOutcome::Kind::CheckCondition:
        exec.FinishCheckCondition({outcome.sense.data(), outcome.senseLength});
        return;
    case IscsiOutcome::Kind::TargetStatus:
        exec.FinishTargetStatus(outcome.targetStatus);
        return;
    case IscsiOutcome::Kind::NoConnection:
        exec.FinishTransportError(HASTAT_SEL_TO);
        return;
    case IscsiOutcome::Kind::TimedOut:
        exec.FinishTransportError(HASTAT_TIMEOUT);
        return;
    case IscsiOutcome::Kind::Failed:
        exec.FinishTransportError(HASTAT_BUS_FREE);
        return;
    }
}
