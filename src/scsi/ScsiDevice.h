#pragma once
// Sends six-byte SCSI commands to one drive through the ASPI stand-in. Owns one
// execute-request record, reused for every command; fills it field by field,
// submits it and polls its status byte every millisecond until it completes.
// Results are 0 or -1 (see each command); failures of tape commands write a
// diagnostic line to standard output and nothing else.

#include <cstdint>

#include "aspi/Srb.h"

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

    // Returns what the submission itself returned; the record stays untouched
    // until the request has completed.
    int TestUnitReady(BYTE adapter, BYTE target, BYTE lun);
    int Inquiry(char* text, BYTE adapter, BYTE target, BYTE lun);  // text: >= 24 bytes
    int ModeSense(int& mediumType, int& blockCount, int& blockLength, BYTE adapter, BYTE target, BYTE lun);
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

private:
    SRB_ExecSCSICmd srb_;
    SRB_ExecSCSICmd* srbPointer_;
};
