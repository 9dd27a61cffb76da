#pragma once
// One iSCSI login to one target, opened on demand and dropped after any
// transport failure so that the next command logs in afresh. Commands go
// through libiscsi's asynchronous interface with our own poll loop, because
// only that lets every wait end at a deadline: a portal that stops answering
// must not block the program for ever. While a command runs long (a SPACE to
// end of data may take an hour), the target is pinged with NOP-Out; one that
// does not answer counts as hung well before the command's own time-out.
// Several commands may be in flight (Start ... Finish); the target receives
// them in the order they were started.

#include <chrono>
#include <cstdint>

#include "aspi/CdbTransfer.h"
#include "aspi/iscsi/IscsiCommand.h"
#include "aspi/iscsi/IscsiOutcome.h"
#include "aspi/iscsi/IscsiPortalUrl.h"

struct iscsi_context;

class IscsiSession {
public:
    struct Liveness {
        int quietSeconds = 10;   // ping after this long without an answer
        int answerSeconds = 20;  // a ping unanswered this long: hung
    };

    IscsiSession(IscsiPortalUrl url, int commandTimeoutSeconds, int loginTimeoutSeconds);
    IscsiSession(IscsiPortalUrl url, int commandTimeoutSeconds, int loginTimeoutSeconds, Liveness liveness);
    ~IscsiSession();
    IscsiSession(const IscsiSession&) = delete;
    IscsiSession& operator=(const IscsiSession&) = delete;

    // Logs in unless a session is open. NoConnection or TimedOut on failure.
    IscsiOutcome::Kind Open();
    bool IsOpen() const { return context_ != nullptr; }
    void Close();
    // Counts successful logins, so callers can tell a new session (and the
    // unit attentions that come with it) from the old one.
    unsigned Generation() const { return generation_; }

    // Runs one command on lun; data is read into or written from `data`
    // (transfer.dataLength bytes). Opens the session first if needed.
    IscsiOutcome Run(int lun, const CdbTransfer& transfer, std::uint8_t* data);
    // Sends a command without waiting for its answer; Good once it is on its
    // way (the session must be open), the reason otherwise.
    IscsiOutcome::Kind Start(int lun, const CdbTransfer& transfer, std::uint8_t* data, IscsiCommand& command);
    // Waits for a started command's answer (within its time-out) and frees it.
    IscsiOutcome Finish(IscsiCommand& command);
    // Takes in whatever answers have arrived, without waiting.
    void Poll();

    const IscsiPortalUrl& Url() const { return url_; }

private:
    enum class WaitResult { Finished, TimedOut, Broken };
    // ping: check the target's liveness while waiting.
    WaitResult WaitFor(const bool& finished, std::chrono::steady_clock::time_point deadline, bool ping = false);
    static void PingAnswered(iscsi_context*, int status, void*, void* session);
    static void Answered(iscsi_context*, int status, void*, void* command);

    IscsiPortalUrl url_;
    int commandTimeoutSeconds_;
    int loginTimeoutSeconds_;
    iscsi_context* context_ = nullptr;
    unsigned generation_ = 0;
    Liveness liveness_;
    bool pingOutstanding_ = false;
    std::chrono::steady_clock::time_point lastHeard_{};
    std::chrono::steady_clock::time_point pingSent_{};
};
