#pragma once
// A host adapter for one iSCSI target: ASPI targets 0 to 7 are the target's
// LUNs 0 to 7. The device type of a LUN comes from one INQUIRY per session.
// A LUN's first commands after a login swallow the power-on/reset unit
// attention that every login produces, so the program only sees attentions
// that mean something (a tape change, a real reset).
//
// Two things save round trips without changing what the drive is sent or in
// which order: MODE SENSE is answered from memory while nothing can have
// changed the answer (ModeSenseMemory), and WRITE commands are buffered
// (WriteBehind) and answered at once, like a drive in buffered mode. Every
// other command waits until the buffered writes have been answered, so
// WRITE FILEMARKS still returns only once everything before it is on the
// tape; a buffered write that failed is reported as a deferred error
// (HeldFailure). Commands may come from any thread; one runs at a time.

#include <array>
#include <cstdint>
#include <mutex>
#include <string>

#include "aspi/HostAdapter.h"
#include "aspi/iscsi/HeldFailure.h"
#include "aspi/iscsi/IscsiSession.h"
#include "aspi/iscsi/ModeSenseMemory.h"
#include "aspi/iscsi/WriteBehind.h"

class IscsiHostAdapter : public HostAdapter {
public:
    IscsiHostAdapter(IscsiPortalUrl url, int commandTimeoutSeconds, int loginTimeoutSeconds,
                     IscsiSession::Liveness liveness = {});

    std::string Identifier() const override;
    // "iSCSI host:port target-iqn": two targets on one portal differ.
    std::string Name() const override { return name_; }
    int DeviceType(int target) override;
    void Execute(int target, ScsiExec& exec) override;

    static constexpr int kLuns = 8;

private:
    struct Lun {
        ModeSenseMemory modeSense;
        HeldFailure held;
        // The caller's last MODE SENSE was answered from memory, in this session.
        bool answeredFromMemory = false;
        unsigned answeredSession = 0;
    };

    IscsiOutcome Run(int lun, const CdbTransfer& transfer, std::uint8_t* data);
    IscsiOutcome::Kind OpenSession();
    bool AnswerFromMemory(int lun, const CdbTransfer& transfer, std::uint8_t* data);
    // A READ, WRITE or WRITE FILEMARKS built on a remembered answer whose
    // session has gone: refused (lost) like a command that met the break.
    bool SessionLostUnder(int lun, const CdbTransfer& transfer, IscsiOutcome& lost);
    bool Buffer(int lun, const CdbTransfer& transfer, const std::uint8_t* data);
    // Waits for the buffered writes; a failure among them is held.
    void DrainWrites();
    void TakeWriteFailure();
    void Observe(int lun, const CdbTransfer& transfer, const IscsiOutcome& outcome, const std::uint8_t* data);
    void Finish(const IscsiOutcome& outcome, ScsiExec& exec);

    std::mutex mutex_;
    IscsiSession session_;
    // Destroyed before the session, which it waits on.
    WriteBehind writes_{session_};
    std::array<Lun, kLuns> luns_{};
    std::string identifier_;
    std::string name_;
    unsigned typesGeneration_ = 0;    // session the cached types belong to
    std::array<bool, kLuns> typeKnown_{};
    std::array<int, kLuns> types_{};
    std::array<unsigned, kLuns> attentionsCleared_{};  // session generation
    std::array<std::uint8_t, 96> inquiry_{};
    std::int64_t lastFailedOpen_ = 0;  // steady clock, ms; 0 = none
};
