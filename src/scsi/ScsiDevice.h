#pragma once
// Sends six-byte SCSI commands to one drive through the ASPI stand-in. Owns one
// execute-request record, reused for every command; fills it field by field,
// submits it and polls its status byte every millisecond until it completes.
// Results are 0 or -1 (see each command); failures of tape commands write a
// diagnostic line to standard output and nothing else. A command that the
// drive completed with a warning (a recovered error, a cleaning request, the
// early warning of a write) succeeds; the warning is counted in Warnings().
// A READ, WRITE, WRITE FILEMARKS or SPACE is never sent twice once the drive
// answered it with sense data: the tape may have moved, or (after a unit
// attention) its position and the block length are lost.

#include <cstdint>
#include <string>

#include "aspi/Srb.h"
#include "report/CommandFailure.h"
#include "scsi/DeviceSelection.h"
#include "scsi/DriveAddress.h"
#include "scsi/DriveWarnings.h"

class ScsiDevice {
public:
    ScsiDevice();
    virtual ~ScsiDevice();
    ScsiDevice(const ScsiDevice&) = delete;
    ScsiDevice& operator=(const ScsiDevice&) = delete;

    // Management requests.
    int GetAdapterCount();
    int GetAdapterIdentifier(char* text, int adapter);  // text: >= 17 bytes
    int GetDeviceType(BYTE adapter, BYTE target, BYTE lun);
    // What the adapter reaches, in words long enough to tell two drives
    // apart; empty for an adapter that does not exist.
    std::string GetAdapterName(int adapter);

    // Returns what the submission itself returned; the record stays untouched
    // until the request has completed.
    int TestUnitReady(BYTE adapter, BYTE target, BYTE lun);
    int Inquiry(char* text, BYTE adapter, BYTE target, BYTE lun);  // text: >= 24 bytes
    int ModeSense(int& mediumType, int& blockCount, int& blockLength, BYTE adapter, BYTE target, BYTE lun);
    // The write-protect bit of a mode sense (the header's device-specific
    // parameter): 1 protected, 0 not, -1 when the drive does not answer.
    int WriteProtected(BYTE adapter, BYTE target, BYTE lun);
    // Sends the block length with the buffered-mode bits of the last MODE
    // SENSE of the drive (one is asked first when there is none since the
    // last unit attention); everything else of the list is 0.
    int ModeSelect(int& mediumType, int& blockCount, int& blockLength, BYTE adapter, BYTE target, BYTE lun);
    int Rewind(BYTE adapter, BYTE target, BYTE lun);
    int Read(BYTE* buffer, int count, BYTE adapter, BYTE target, BYTE lun);
    int Write(BYTE* buffer, int count, BYTE adapter, BYTE target, BYTE lun);
    // One filemark, not immediate: returns once everything before it is on
    // the medium.
    int WriteFilemark(BYTE adapter, BYTE target, BYTE lun);
    // count filemarks (0: none, only the flush); immediate: returns once the
    // drive has taken the command, before its buffer reaches the medium.
    int WriteFilemarks(int count, bool immediate, BYTE adapter, BYTE target, BYTE lun);
    int SpaceFilemarks(int count, BYTE adapter, BYTE target, BYTE lun);
    // The final status byte (SS_COMP, SS_ABORTED, SS_ERR, ...), or -1 when the
    // device type guard refuses.
    int SpaceToEndOfData(BYTE adapter, BYTE target, BYTE lun);
    int Eject(BYTE adapter, BYTE target, BYTE lun);
    // LOAD (LOAD/UNLOAD with the load bit), not immediate: returns once the
    // cartridge is loaded. No diagnostic line.
    int Load(BYTE adapter, BYTE target, BYTE lun);
    // TEST UNIT READY that waits for the drive's answer: 0 when it is ready;
    // otherwise -1 and Request() holds what it said.
    int CheckReady(BYTE adapter, BYTE target, BYTE lun);
    // The drive's TapeAlert flags (LOG SENSE page 2Eh; reading clears them
    // in the drive): bit n - 1 stands for flag n. 0 with flags set; 1 when
    // the drive does not support the page, which it is not asked again; -1
    // when the command failed otherwise.
    int ReadTapeAlert(std::uint64_t& flags, BYTE adapter, BYTE target, BYTE lun);
    // The loaded cartridge's room in bytes, as the drive reports it (LOG
    // SENSE page 31h, in MiB): 0 with both set; 1 when the drive does not
    // report it; -1 when the command failed otherwise.
    int ReadTapeCapacity(long long& remaining, long long& maximum, BYTE adapter, BYTE target, BYTE lun);

    // Streaming: a transfer or WRITE FILEMARKS uses the block length of the
    // last MODE SENSE of its drive instead of asking again, until anything
    // could have changed the mode: a unit attention, NOT READY, a MODE
    // SELECT, ForgetMode. Off: every one asks first.
    void SetStreaming(bool on) { streaming_ = on; }
    bool Streaming() const { return streaming_; }
    void ForgetMode();
    // The block length a transfer would use: streaming and known, the one
    // remembered, otherwise from a MODE SENSE; -1 when that fails.
    int TransferBlockLength(BYTE adapter, BYTE target, BYTE lun);
    // How many unit attentions and NOT READY answers this device has met:
    // a caller that sees it change knows the tape's position was lost.
    unsigned long Attentions() const { return attentions_; }

    // Blocks the last READ or WRITE moved: all on success, else what the
    // residue in its sense data leaves (0 when it reported none).
    int LastTransferred() const { return lastTransferred_; }
    // The residue (INFORMATION) of the last command's sense data; -1 when
    // it reported none.
    long long LastResidue() const;

    // The warnings of the commands since they were last taken.
    const DriveWarnings& Warnings() const { return warnings_; }
    DriveWarnings TakeWarnings();

    // The record, for tests and for callers that want the sense data of the
    // last command.
    const SRB_ExecSCSICmd& Request() const { return *srbPointer_; }
    // The last tape command (rewind, read, write, write filemarks, space,
    // unload, or the mode sense before a transfer), when it failed: what
    // the drive reported, for the message that says so.
    const CommandFailure& LastFailure() const { return lastFailure_; }

    // Whether the last TestUnitReady completed with CHECK CONDITION, sense key
    // NOT READY (no cartridge). Waits for that request to complete first.
    bool LastTestUnitReadyNotReady();
    // Whether the last accepted TestUnitReady completed with GOOD status.
    bool LastTestUnitReadyGood();
    // Whether the drive answered the last accepted TestUnitReady at all.
    DriveReach LastTestUnitReadyReach();

    // Takes the request just completed as the last command's outcome: the
    // tape commands do so themselves; a caller may for another command
    // whose failure it wants to explain (the mode sense of a selection).
    void KeepOutcome();

private:
    int Finished(BYTE status, const char* failureFormat);
    // LOG SENSE of one page into data: 0 when it came; 1 when the drive
    // refused it as not supported; -1 otherwise.
    int ReadLogPage(BYTE page, BYTE* data, int length, BYTE adapter, BYTE target, BYTE lun);
    // KeepOutcome for the request's status as Settle judged it.
    void KeepOutcome(BYTE status);
    // The status of the command just run, with SS_COMP for one the drive
    // completed with a warning (counted); forgets the mode after an
    // attention.
    BYTE Settle(BYTE status);
    bool LastWasUnitAttention() const;
    // MODE SENSE into data (kModeDataLength bytes); remembers the
    // device-specific parameter and the block length. The status.
    BYTE SenseMode(BYTE* data, BYTE adapter, BYTE target, BYTE lun);
    bool KnowsMode(BYTE adapter, BYTE target, BYTE lun) const;

    // Every command fills all the fields it relies on; bytes 6 to 15 of the
    // CDB and the sense area are left alone.
    void Fill(BYTE flags, BYTE adapter, BYTE target, BYTE lun, DWORD dataLength, BYTE* data,
              BYTE c0, BYTE c1, BYTE c2, BYTE c3, BYTE c4, BYTE c5);
    // Submits the record and polls its status byte until ASPI is done with it.
    BYTE RunOnce();
    // Runs once; on failure pauses 500 ms and submits the unchanged record
    // again, unless the drive reported a unit attention: then the caller
    // must know that the tape's position and mode may be lost.
    BYTE RunWithRetry();
    void WaitForCompletion();
    // A TestUnitReady leaves its request in flight; the record may be reused
    // (or destroyed) only after ASPI has finished with it.
    void AwaitPendingTestUnitReady();
    // The device type guard: only sequential-access devices take tape commands.
    bool IsTapeDevice(BYTE adapter, BYTE target, BYTE lun);
    // The block length of a fixed-block transfer, from a fresh mode sense; -1
    // (and the diagnostic line) when the drive does not answer.
    int CurrentBlockLength(BYTE adapter, BYTE target, BYTE lun);
    int Transfer(BYTE opcode, BYTE flags, BYTE* buffer, int count, BYTE adapter, BYTE target, BYTE lun);
    // Whether the failed command just run never reached the drive (busy, a
    // transport failure): only then is a transfer sent again.
    bool FailureUnanswered() const;

    SRB_ExecSCSICmd srb_;
    SRB_ExecSCSICmd* srbPointer_;
    CommandFailure lastFailure_;
    DriveWarnings warnings_;
    bool streaming_ = false;
    // What the last MODE SENSE said, for the drive at modeAddress_; -1 (and
    // not known) once anything could have changed it.
    DriveAddress modeAddress_;
    int knownBlockLength_ = -1;
    int knownDeviceSpecific_ = -1;
    int lastTransferred_ = 0;
    unsigned long attentions_ = 0;
    // LOG SENSE page 2Eh refused by the drive at that address.
    bool tapeAlertUnsupported_ = false;
    DriveAddress tapeAlertAddress_;
    bool testUnitReadyPending_ = false;
    bool testUnitReadyNotReady_ = false;
    bool testUnitReadyGood_ = false;
    DriveReach testUnitReadyReach_ = DriveReach::Answered;
    // Never transferred (data length 0), but a TestUnitReady may still be in
    // flight after the call returns, so its pointer must outlive the call.
    BYTE testUnitReadyScratch_[4] = {};
};
