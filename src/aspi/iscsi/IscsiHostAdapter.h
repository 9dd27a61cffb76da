#pragma once
// A host adapter for one iSCSI target: ASPI targets 0 to 7 are the target's
// LUNs 0 to 7. The device type of a LUN comes from one INQUIRY per session.
// A LUN's first commands after a login swallow the power-on/reset unit
// attention that every login produces, so the program only sees attentions
// that mean something (a tape change, a real reset).

#include <array>
#include <cstdint>
#include <string>

#include "aspi/HostAdapter.h"
#include "aspi/iscsi/IscsiSession.h"

class IscsiHostAdapter : public HostAdapter {
public:
    IscsiHostAdapter(IscsiPortalUrl url, int commandTimeoutSeconds, int loginTimeoutSeconds,
                     IscsiSession::Liveness liveness = {});

    std::string Identifier() const override;
    int DeviceType(int target) override;
    void Execute(int target, ScsiExec& exec) override;

    static constexpr int kLuns = 8;

private:
    IscsiOutcome Run(int lun, const CdbTransfer& transfer, std::uint8_t* data);
    IscsiOutcome::Kind OpenSession();
    void Finish(const IscsiOutcome& outcome, ScsiExec& exec);

    IscsiSession session_;
    std::string identifier_;
    unsigned typesGeneration_ = 0;    // session the cached types belong to
    std::array<bool, kLuns> typeKnown_{};
    std::array<int, kLuns> types_{};
    std::array<unsigned, kLuns> attentionsCleared_{};  // session generation
    std::array<std::uint8_t, 96> inquiry_{};
    std::int64_t lastFailedOpen_ = 0;  // steady clock, ms; 0 = none
};
