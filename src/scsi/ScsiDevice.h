#pragma once
// Sends six-byte SCSI commands to one drive through the ASPI stand-in. Owns one
// execute-request record, reused for every command; fills it field by field,
// submits it and polls its status byte every millisecond until it completes.
// Results are 0 or -1 (see each command); failures of tape commands write a
// diagnostic line to standard output and nothing else.

#include <cstdint>
#include <string>

#include "aspi/Srb.h"
#include "report/CommandFailure.h"
#include "scsi/DeviceSelection.h"

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
    int ModeSelect(int& mediumType, int& blockCount, int& blockLength, BYTE adapter, BYTE target, BYTE lun);
    int Rewind(BYTE adapter, BYTE target, BYTE lun);
    int Read(BYTE* buffer, int count, BYTE adapter, BYTE target, BYTE lun);
    int Write(BYTE* buffer, int count, BYTE adapter, BYTE target, BYTE lun);
    int WriteFilemark(BYTE adapter, BYTE target, BYTE lun);
    int SpaceFilemarks(int count, BYTE adapter, BYTE target, BYTE lun);
    // The final status byte (SS_COMP, SS_ABORTED, SS_ERR, ...), or -1 when the
    // device type guard refuses.
    int SpaceToEndOfData(BYTE adapter, BYTE target, BYTE lun);
    int Eject(BYTE adapter, BYTE target, BYTE lun);

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

    // Every command fills all the fields it relies on; bytes 6 to 15 of the
    // CDB and the sense area are left alone.
    void Fill(BYTE flags, BYTE adapter, BYTE target, BYTE lun, DWORD dataLength, BYTE* data,
              BYTE c0, BYTE c1, BYTE c2, BYTE c3, BYTE c4, BYTE c5);
    // Submits the record and polls its status byte until ASPI is done with it.
    BYTE RunOnce();
    // Runs once; on failure pauses 500 ms and submits the unchanged record again.
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
    // Whether the failed command just run left the tape where it was, so
    // that sending it again cannot skip or repeat blocks.
    bool FailureKeptPosition() const;

    SRB_ExecSCSICmd srb_;
    SRB_ExecSCSICmd* srbPointer_;
    CommandFailure lastFailure_;
    bool testUnitReadyPending_ = false;
    bool testUnitReadyNotReady_ = false;
    bool testUnitReadyGood_ = false;
    DriveReach testUnitReadyReach_ = DriveReach::Answered;
    // Never transferred (data length 0), but a TestUnitReady may still be in
    // flight after the call returns, so its pointer must outlive the call.
    BYTE testUnitReadyScratch_[4] = {};
};
