#include "aspi/iscsi/IscsiSession.h"

#include <poll.h>

#include <algorithm>
#include <cerrno>
#include <cstring>

extern "C" {
#include <iscsi/iscsi.h>
#include <iscsi/scsi-lowlevel.h>
}

namespace {

constexpr char kInitiatorName[] = "iqn.2026-12.tapewren.local:initiator";
constexpr int kLogoutSeconds = 2;

struct Completion {
    bool finished = false;
    int status = SCSI_STATUS_ERROR;
};

void Done(iscsi_context*, int status, void*, void* privateData) {
    auto* completion = static_cast<Completion*>(privateData);
    completion->status = status;
    completion->finished = true;
}

std::chrono::steady_clock::time_point After(int seconds) {
    return std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
}

int ToLibiscsiDirection(DataDirection direction) {
    switch (direction) {
    case DataDirection::In:
        return SCSI_XFER_READ;
    case DataDirection::Out:
        return SCSI_XFER_WRITE;
    case DataDirection::None:
        break;
    }
    return SCSI_XFER_NONE;
}

}  // namespace

IscsiSession::IscsiSession(IscsiPortalUrl url, int commandTimeoutSeconds, int loginTimeoutSeconds)
    : IscsiSession(std::move(url), commandTimeoutSeconds, loginTimeoutSeconds, Liveness{}) {}

IscsiSession::IscsiSession(IscsiPortalUrl url, int commandTimeoutSeconds, int loginTimeoutSeconds, Liveness liveness)
    : url_(std::move(url)),
      commandTimeoutSeconds_(std::max(1, commandTimeoutSeconds)),
      loginTimeoutSeconds_(std::max(1, loginTimeoutSeconds)),
      liveness_(liveness) {}

void IscsiSession::PingAnswered(iscsi_context*, int status, void*, void* session) {
    auto* self = static_cast<IscsiSession*>(session);
    self->pingOutstanding_ = false;
    if (status == SCSI_STATUS_GOOD) self->lastHeard_ = std::chrono::steady_clock::now();
}

IscsiSession::~IscsiSession() {
    if (context_ == nullptr) return;
    // A polite logout lets the target free the session at once; it gets a
    // short deadline because the portal may already be gone.
    Completion logout;
    if (iscsi_logout_async(context_, Done, &logout) == 0) WaitFor(logout.finished, After(kLogoutSeconds));
    Close();
}

void IscsiSession::Close() {
    if (context_ == nullptr) return;
    // Cancels whatever is still queued; callbacks run now, while their
    // completion records are still alive.
    iscsi_destroy_context(context_);
    context_ = nullptr;
}

IscsiSession::WaitResult IscsiSession::WaitFor(const bool& finished, std::chrono::steady_clock::time_point deadline,
                                               bool ping) {
    while (!finished) {
        const auto now = std::chrono::steady_clock::now();
        if (now >= deadline) return WaitResult::TimedOut;
        if (ping) {
            if (pingOutstanding_ && now - pingSent_ >= std::chrono::seconds(liveness_.answerSeconds))
                return WaitResult::TimedOut;
            if (!pingOutstanding_ && now - lastHeard_ >= std::chrono::seconds(liveness_.quietSeconds) &&
                iscsi_nop_out_async(context_, PingAnswered, nullptr, 0, this) == 0) {
                pingOutstanding_ = true;
                pingSent_ = now;
            }
        }
        const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - now).count();
        // Wake at least once a second: libiscsi expires its own PDUs only
        // while it is being serviced.
        const int wait = static_cast<int>(std::min<long long>(left + 1, 1000));
        pollfd pfd{};
        pfd.fd = iscsi_get_fd(context_);
        pfd.events = static_cast<short>(iscsi_which_events(context_));
        const int ready = poll(&pfd, 1, wait);
        if (ready < 0) {
            if (errno == EINTR) continue;
            return WaitResult::Broken;
        }
        if (iscsi_service(context_, ready > 0 ? pfd.revents : 0) < 0) return finished ? WaitResult::Finished : WaitResult::Broken;
    }
    return WaitResult::Finished;
}

IscsiOutcome::Kind IscsiSession::Open() {
    if (context_ != nullptr) return IscsiOutcome::Kind::Good;
    context_ = iscsi_create_context(kInitiatorName);
    if (context_ == nullptr) return IscsiOutcome::Kind::NoConnection;
    if (iscsi_set_targetname(context_, url_.targetName.c_str()) != 0 ||
        iscsi_set_session_type(context_, ISCSI_SESSION_NORMAL) != 0 ||
        iscsi_set_header_digest(context_, ISCSI_HEADER_DIGEST_NONE_CRC32C) != 0) {
        Close();
        return IscsiOutcome::Kind::NoConnection;
    }
    // Reconnecting is ours to do: libiscsi's own retries forever and would
    // hang the caller.
    iscsi_set_noautoreconnect(context_, 1);

    const auto deadline = After(loginTimeoutSeconds_);
    const std::string portal = url_.Portal();
    Completion connect;
    if (iscsi_connect_async(context_, portal.c_str(), Done, &connect) != 0) {
        Close();
        return IscsiOutcome::Kind::NoConnection;
    }
    WaitResult waited = WaitFor(connect.finished, deadline);
    if (waited != WaitResult::Finished || connect.status != SCSI_STATUS_GOOD) {
        Close();
        return waited == WaitResult::TimedOut ? IscsiOutcome::Kind::TimedOut : IscsiOutcome::Kind::NoConnection;
    }
    Completion login;
    if (iscsi_login_async(context_, Done, &login) != 0) {
        Close();
        return IscsiOutcome::Kind::NoConnection;
    }
    waited = WaitFor(login.finished, deadline);
    if (waited != WaitResult::Finished || login.status != SCSI_STATUS_GOOD) {
        Close();
        return waited == WaitResult::TimedOut ? IscsiOutcome::Kind::TimedOut : IscsiOutcome::Kind::NoConnection;
    }
    // Set only now: the login has its own, shorter deadline.
    iscsi_set_timeout(context_, commandTimeoutSeconds_);
    pingOutstanding_ = false;
    ++generation_;
    return IscsiOutcome::Kind::Good;
}

IscsiOutcome IscsiSession::Run(int lun, const CdbTransfer& transfer, std::uint8_t* data) {
    IscsiOutcome outcome;
    const IscsiOutcome::Kind opened = Open();
    if (opened != IscsiOutcome::Kind::Good) {
        outcome.kind = opened;
        return outcome;
    }
    IscsiCommand command;
    const IscsiOutcome::Kind started = Start(lun, transfer, data, command);
    if (started != IscsiOutcome::Kind::Good) {
        outcome.kind = started;
        return outcome;
    }
    return Finish(command);
}

void IscsiSession::Answered(iscsi_context*, int status, void*, void* command) {
    auto* self = static_cast<IscsiCommand*>(command);
    self->status_ = status;
    self->answered_ = true;
}

IscsiOutcome::Kind IscsiSession::Start(int lun, const CdbTransfer& transfer, std::uint8_t* data,
                                       IscsiCommand& command) {
    if (context_ == nullptr) return IscsiOutcome::Kind::NoConnection;
    std::array<unsigned char, 16> cdb = transfer.cdb;
    const int length = static_cast<int>(transfer.dataLength);
    scsi_task* task = scsi_create_task(static_cast<int>(transfer.cdbLength), cdb.data(),
                                       ToLibiscsiDirection(transfer.direction), length);
    if (task == nullptr) return IscsiOutcome::Kind::Failed;  // the session itself is fine
    // Data goes straight between the caller's buffer and the socket.
    if (transfer.direction == DataDirection::In && length > 0 &&
        scsi_task_add_data_in_buffer(task, length, data) != 0) {
        scsi_free_scsi_task(task);
        return IscsiOutcome::Kind::Failed;
    }
    iscsi_data out{};
    out.size = transfer.dataLength;
    out.data = data;
    const bool sending = transfer.direction == DataDirection::Out && length > 0;

    command.task_ = task;
    command.answered_ = false;
    command.status_ = SCSI_STATUS_ERROR;
    command.length_ = transfer.dataLength;
    command.deadline_ = After(commandTimeoutSeconds_);
    if (iscsi_scsi_command_async(context_, lun, task, Answered, sending ? &out : nullptr, &command) != 0) {
        scsi_free_scsi_task(task);
        command.task_ = nullptr;
        Close();
        return IscsiOutcome::Kind::Failed;
    }
    lastHeard_ = std::chrono::steady_clock::now();
    // A ping from an earlier command may still be answered now that the
    // socket is serviced again; it gets a fresh window.
    if (pingOutstanding_) pingSent_ = lastHeard_;
    return IscsiOutcome::Kind::Good;
}

void IscsiSession::Poll() {
    if (context_ == nullptr) return;
    pollfd pfd{};
    pfd.fd = iscsi_get_fd(context_);
    pfd.events = static_cast<short>(iscsi_which_events(context_));
    const int ready = poll(&pfd, 1, 0);
    if (ready < 0) return;  // the next wait sees the same
    if (iscsi_service(context_, ready > 0 ? pfd.revents : 0) < 0) Close();
}

IscsiOutcome IscsiSession::Finish(IscsiCommand& command) {
    IscsiOutcome outcome;
    scsi_task* task = command.task_;
    if (task == nullptr) return outcome;
    const WaitResult waited =
        command.answered_ ? WaitResult::Finished : WaitFor(command.answered_, command.deadline_, true);
    command.task_ = nullptr;
    if (waited != WaitResult::Finished) {
        // Closing answers every other command in flight as well.
        Close();
        scsi_free_scsi_task(task);
        outcome.kind = waited == WaitResult::TimedOut ? IscsiOutcome::Kind::TimedOut : IscsiOutcome::Kind::Failed;
        return outcome;
    }

    switch (command.status_) {
    case SCSI_STATUS_GOOD:
        outcome.kind = IscsiOutcome::Kind::Good;
        outcome.transferred = command.length_;
        if (task->residual_status == SCSI_RESIDUAL_UNDERFLOW)
            outcome.transferred -= std::min(command.length_, task->residual);
        break;
    case SCSI_STATUS_CHECK_CONDITION: {
        outcome.kind = IscsiOutcome::Kind::CheckCondition;
        outcome.targetStatus = SCSI_STATUS_CHECK_CONDITION;
        // The response's data segment: a two-byte sense length, then the sense.
        const unsigned char* raw = task->datain.data;
        const std::size_t size = task->datain.data ? static_cast<std::size_t>(task->datain.size) : 0;
        if (size >= 2) {
            const std::size_t declared = (std::size_t{raw[0]} << 8) | raw[1];
            outcome.senseLength = std::min({declared, size - 2, outcome.sense.size()});
            std::memcpy(outcome.sense.data(), raw + 2, outcome.senseLength);
        }
        break;
    }
    case SCSI_STATUS_TIMEOUT:
        Close();
        outcome.kind = IscsiOutcome::Kind::TimedOut;
        break;
    case SCSI_STATUS_CANCELLED:
    case SCSI_STATUS_ERROR:
        Close();
        outcome.kind = IscsiOutcome::Kind::Failed;
        break;
    default:
        if (command.status_ >= 0 && command.status_ <= 0xff) {
            outcome.kind = IscsiOutcome::Kind::TargetStatus;
            outcome.targetStatus = static_cast<std::uint8_t>(command.status_);
        } else {
            Close();
        }
        break;
    }
    scsi_free_scsi_task(task);
    return outcome;
}
