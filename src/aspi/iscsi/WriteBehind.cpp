#include "aspi/iscsi/WriteBehind.h"

#include <cstdio>
#include <cstring>

WriteBehind::~WriteBehind() {
    Drain();
    int lun = 0;
    IscsiOutcome lost;
    // Nobody is left to be told; say so rather than lose it silently.
    if (TakeFailure(lun, lost))
        std::fprintf(stderr, "iSCSI: a buffered write to LUN %d failed after its program had finished\n", lun);
}

bool WriteBehind::Queue(int lun, const CdbTransfer& transfer, const std::uint8_t* data) {
    Drain();
    // A write behind a failed one could leave a gap on the tape.
    if (failed_ || !session_.IsOpen() || transfer.dataLength > kMaxBytes) return false;
    if (data_.size() < transfer.dataLength) data_.resize(transfer.dataLength);
    std::memcpy(data_.data(), data, transfer.dataLength);
    lun_ = lun;
    return session_.Start(lun, transfer, data_.data(), command_) == IscsiOutcome::Kind::Good;
}

void WriteBehind::Collect() {
    if (!command_.InFlight()) return;
    session_.Poll();
    if (command_.Answered()) Drain();
}

void WriteBehind::Drain() {
    if (!command_.InFlight()) return;
    const IscsiOutcome outcome = session_.Finish(command_);
    if (outcome.kind != IscsiOutcome::Kind::Good && !failed_) {
        failed_ = true;
        failure_ = outcome;
    }
}

bool WriteBehind::TakeFailure(int& lun, IscsiOutcome& outcome) {
    if (!failed_) return false;
    failed_ = false;
    lun = lun_;
    outcome = failure_;
    return true;
}
