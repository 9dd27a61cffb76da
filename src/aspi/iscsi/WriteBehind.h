#pragma once
// A WRITE command answered GOOD before the target has answered it, as a tape
// drive in buffered mode does: its data is copied and the command sent, so
// that the target writes it while the caller prepares the next one. The
// next command waits for it. A failure is kept for the adapter to report as
// a deferred error, and no write is sent behind a failure already seen.
//
// One write at a time: libiscsi sends every command as a SIMPLE task, which a
// target may carry out in any order, and tgt does: it starts a write once its
// data is complete, so a short write that fits into the command's immediate
// data overtakes a long one still waiting for its R2T. With one write in
// flight the drive carries them out in the order they were given.

#include <cstddef>
#include <cstdint>
#include <vector>

#include "aspi/CdbTransfer.h"
#include "aspi/iscsi/IscsiSession.h"

class WriteBehind {
public:
    // Larger writes are not buffered: they run one at a time as before.
    static constexpr std::size_t kMaxBytes = 256 * 1024;

    explicit WriteBehind(IscsiSession& session) : session_(session) {}
    // Waits for what is still in flight.
    ~WriteBehind();
    WriteBehind(const WriteBehind&) = delete;
    WriteBehind& operator=(const WriteBehind&) = delete;

    // Waits for the write in flight, then copies the data and sends the
    // WRITE. False when nothing was sent: a failure is known (see
    // TakeFailure), the session is gone or the write is too large.
    bool Queue(int lun, const CdbTransfer& transfer, const std::uint8_t* data);
    // Takes in the answer if it has arrived, without waiting.
    void Collect();
    // Waits until the write in flight has been answered.
    void Drain();
    // The failure seen since the last call, and the LUN it belongs to.
    bool TakeFailure(int& lun, IscsiOutcome& outcome);

private:
    IscsiSession& session_;
    IscsiCommand command_;
    std::vector<std::uint8_t> data_;  // grows to the largest write, once
    int lun_ = -1;
    bool failed_ = false;
    IscsiOutcome failure_;
};
