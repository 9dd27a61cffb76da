#pragma once
// One command handed to an IscsiSession and not yet finished. Must stay at
// its address, with its data buffer, from IscsiSession::Start until
// IscsiSession::Finish.

#include <chrono>
#include <cstddef>

struct scsi_task;

class IscsiCommand {
public:
    IscsiCommand() = default;
    IscsiCommand(const IscsiCommand&) = delete;
    IscsiCommand& operator=(const IscsiCommand&) = delete;
    ~IscsiCommand();

    bool InFlight() const { return task_ != nullptr; }
    // The target has answered (or the session broke); Finish will not wait.
    bool Answered() const { return answered_; }

private:
    friend class IscsiSession;
    scsi_task* task_ = nullptr;
    bool answered_ = false;
    int status_ = 0;
    std::size_t length_ = 0;
    std::chrono::steady_clock::time_point deadline_{};
};
