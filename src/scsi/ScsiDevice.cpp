#include "scsi/ScsiDevice.h"

#include <cstdio>
#include <cstring>

#include "aspi/Aspi.h"
#include "aspi/HostAdapterList.h"
#include "aspi/ScsiOpcodes.h"
#include "aspi/SenseData.h"
#include "scsi/BlockLimits.h"
#include "scsi/Sleep.h"

namespace {

constexpr BYTE kSequentialAccess = 1;
constexpr int kInquiryDataLength = 32;
constexpr int kInquiryTextOffset = 8;
constexpr int kInquiryTextLength = 23;
constexpr int kModeDataLength = 32;
constexpr BYTE kModeParameterListLength = 12;
constexpr int kMaxCount = 0xFFFFFF;  // CDB count fields are 24 bits
constexpr unsigned kRetryPauseMs = 500;
constexpr unsigned kPollMs = 1;

int Get24(const BYTE* p) { return (p[0] << 16) | (p[1] << 8) | p[2]; }

BYTE Byte2(int n) { return static_cast<BYTE>((n >> 16) & 0xFF); }
BYTE Byte1(int n) { return static_cast<BYTE>((n >> 8) & 0xFF); }
BYTE Byte0(int n) { return static_cast<BYTE>(n & 0xFF); }

void Put24(BYTE* p, int n) {
    p[0] = Byte2(n);
    p[1] = Byte1(n);
    p[2] = Byte0(n);
}


// MODE SENSE and MODE SELECT report the same block descriptor, or -1 for
// both values when the command failed.
int TakeModeData(BYTE status, const BYTE* data, int& mediumType, int& blockCount, int& blockLength) {
    if (status != SS_COMP) {
        blockCount = -1;
        blockLength = -1;
        return -1;
    }
    // Mode parameter header (4 bytes), then the first block descriptor.
    mediumType = data[1];
    blockCount = Get24(&data[5]);
    blockLength = Get24(&data[9]);
    return 0;
}

}  // namespace

ScsiDevice::ScsiDevice() : srbPointer_(&srb_) { std::memset(&srb_, 0, sizeof srb_); }

ScsiDevice::~ScsiDevice() { AwaitPendingTestUnitReady(); }

// ---- execution ------------------------------------------------------------

void ScsiDevice::Fill(BYTE flags, BYTE adapter, BYTE target, BYTE lun, DWORD dataLength, BYTE* data, BYTE c0,
                      BYTE c1, BYTE c2, BYTE c3, BYTE c4, BYTE c5) {
    SRB_ExecSCSICmd& r = *srbPointer_;
    r.SRB_Cmd = SC_EXEC_SCSI_CMD;
    r.SRB_HaId = adapter;
    r.SRB_Flags = flags;
    r.SRB_Hdr_Rsvd = 0;
    r.SRB_Target = target;
    r.SRB_Lun = lun;
    r.SRB_Rsvd1 = 0;
    r.SRB_BufLen = dataLength;
    r.SRB_BufPointer = data;
    r.SRB_SenseLen = SENSE_LEN;
    r.SRB_CDBLen = 6;
    r.SRB_PostProc = nullptr;
    r.SRB_Rsvd2 = nullptr;
    std::memset(r.SRB_Rsvd3, 0, sizeof r.SRB_Rsvd3);
    r.CDBByte[0] = c0;
    r.CDBByte[1] = c1;
    r.CDBByte[2] = c2;
    r.CDBByte[3] = c3;
    r.CDBByte[4] = c4;
    r.CDBByte[5] = c5;
}

void ScsiDevice::WaitForCompletion() {
    // No time limit: a drive may take minutes to rewind or space.
    while (SrbStatus(srbPointer_->SRB_Status) == SS_PENDING) SleepMs(kPollMs);
}

BYTE ScsiDevice::RunOnce() {
    // A refused submission writes its error into the status byte as well, so
    // the poll ends either way; the returned value adds nothing.
    SendASPI32Command(srbPointer_);
    WaitForCompletion();
    return SrbStatus(srbPointer_->SRB_Status);
}

BYTE ScsiDevice::RunWithRetry() {
    BYTE status = RunOnce();
    if (status == SS_COMP) return status;
    SleepMs(kRetryPauseMs);
    return RunOnce();
}

void ScsiDevice::AwaitPendingTestUnitReady() {
    if (!testUnitReadyPending_) return;
    WaitForCompletion();
    testUnitReadyPending_ = false;
    const SRB_ExecSCSICmd& r = *srbPointer_;
    testUnitReadyNotReady_ =
        r.SRB_TargStat == STATUS_CHKCOND && SenseData::Key(r.SenseArea) == SenseKey::NotReady;
    testUnitReadyGood_ = SrbStatus(r.SRB_Status) == SS_COMP;
    testUnitReadyReach_ = r.SRB_TargStat == STATUS_BUSY ? DriveReach::Busy
                          : SrbStatus(r.SRB_Status) != SS_COMP && r.SRB_HaStat != HASTAT_OK ? DriveReach::NoAnswer
                                                                                             : DriveReach::Answered;
}

DriveReach ScsiDevice::LastTestUnitReadyReach() {
    AwaitPendingTestUnitReady();
    return testUnitReadyReach_;
}

bool ScsiDevice::LastTestUnitReadyGood() {
    AwaitPendingTestUnitReady();
    return testUnitReadyGood_;
}

bool ScsiDevice::FailureKeptPosition() const {
    const SRB_ExecSCSICmd& r = *srbPointer_;
    // A failure without sense data (busy, a transport error) is sent again as
    // always. With sense data, only a drive that was not ready or reported a
    // unit attention is known not to have moved: after a filemark, end of
    // data, end of medium or a medium error, the same READ would return the
    // next record's blocks as this one's, and the same WRITE would store its
    // blocks twice.
    if (r.SRB_TargStat != STATUS_CHKCOND) return true;
    const BYTE positionFlags = SenseData::kFilemark | SenseData::kEndOfMedium | SenseData::kIncorrectLength;
    const BYTE key = SenseData::Key(r.SenseArea);
    return (r.SenseArea[SenseData::kFlagsAndKey] & positionFlags) == 0 &&
           (key == SenseKey::NotReady || key == SenseKey::UnitAttention);
}

bool ScsiDevice::LastTestUnitReadyNotReady() {
    AwaitPendingTestUnitReady();
    return testUnitReadyNotReady_;
}

bool ScsiDevice::IsTapeDevice(BYTE adapter, BYTE target, BYTE lun) {
    return GetDeviceType(adapter, target, lun) == kSequentialAccess;
}

// ---- management requests --------------------------------------------------

int ScsiDevice::GetAdapterCount() {
    SRB_HAInquiry srb{};
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.SRB_HaId = 0;
    srb.SRB_Flags = 0;
    srb.SRB_Hdr_Rsvd = 0;
    if (SendASPI32Command(&srb) != SS_COMP) return -1;
    return srb.HA_Count;
}

int ScsiDevice::GetAdapterIdentifier(char* text, int adapter) {
    if (adapter < 0 || adapter > 0xFF) return -1;
    SRB_HAInquiry srb{};
    srb.SRB_Cmd = SC_HA_INQUIRY;
    srb.SRB_HaId = static_cast<BYTE>(adapter);
    srb.SRB_Flags = 0;
    srb.SRB_Hdr_Rsvd = 0;
    if (SendASPI32Command(&srb) != SS_COMP) return -1;
    // The identifier field is 16 bytes with no terminator of its own.
    std::memcpy(text, srb.HA_Identifier, sizeof srb.HA_Identifier);
    text[sizeof srb.HA_Identifier] = '\0';
    return 0;
}

std::string ScsiDevice::GetAdapterName(int adapter) { return HostAdapterList::Name(adapter); }

int ScsiDevice::GetDeviceType(BYTE adapter, BYTE target, BYTE lun) {
    SRB_GDEVBlock srb{};
    srb.SRB_Cmd = SC_GET_DEV_TYPE;
    srb.SRB_HaId = adapter;
    srb.SRB_Flags = 0;
    srb.SRB_Hdr_Rsvd = 0;
    srb.SRB_Target = target;
    srb.SRB_Lun = lun;
    if (SendASPI32Command(&srb) != SS_COMP) return -1;
    return srb.SRB_DeviceType;
}

// ---- commands without the guard -------------------------------------------

// Returns before the drive has answered, so that a status query never blocks.
// The request stays in flight inside our record: every later command (and the
// destructor) first waits for its status byte to turn non-zero, which keeps
// the record untouched until ASPI has finished with it.
int ScsiDevice::TestUnitReady(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    Fill(SRB_DIR_IN, adapter, target, lun, 0, testUnitReadyScratch_, ScsiOp::TestUnitReady, 0, 0, 0, 0, 0);
    testUnitReadyNotReady_ = false;
    testUnitReadyGood_ = false;
    testUnitReadyReach_ = DriveReach::Answered;
    const DWORD submitted = SendASPI32Command(srbPointer_);
    // Anything but SS_PENDING was answered at once and left nothing in flight.
    testUnitReadyPending_ = submitted == SS_PENDING;
    return static_cast<int>(submitted);
}

int ScsiDevice::Inquiry(char* text, BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    BYTE data[100] = {};
    // The drive may send up to 96 bytes, but only the first 32 are asked for.
    Fill(SRB_DIR_IN, adapter, target, lun, kInquiryDataLength, data, ScsiOp::Inquiry, 0, 0, 0, 0x60, 0);
    if (RunOnce() != SS_COMP) return -1;
    // Vendor identification and the first 15 bytes of the product identification.
    std::memcpy(text, srbPointer_->SRB_BufPointer + kInquiryTextOffset, kInquiryTextLength);
    text[kInquiryTextLength] = '\0';
    return 0;
}

int ScsiDevice::ModeSense(int& mediumType, int& blockCount, int& blockLength, BYTE adapter, BYTE target,
                          BYTE lun) {
    AwaitPendingTestUnitReady();
    BYTE data[kModeDataLength] = {};
    Fill(SRB_DIR_IN, adapter, target, lun, kModeDataLength, data, ScsiOp::ModeSense6, 0, 0, 0, kModeParameterListLength, 0);
    return TakeModeData(RunOnce(), data, mediumType, blockCount, blockLength);
}

int ScsiDevice::WriteProtected(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    BYTE data[kModeDataLength] = {};
    Fill(SRB_DIR_IN, adapter, target, lun, kModeDataLength, data, ScsiOp::ModeSense6, 0, 0, 0, kModeParameterListLength, 0);
    if (RunOnce() != SS_COMP) return -1;
    return (data[2] & 0x80) != 0 ? 1 : 0;
}

int ScsiDevice::ModeSelect(int& mediumType, int& blockCount, int& blockLength, BYTE adapter, BYTE target,
                           BYTE lun) {
    AwaitPendingTestUnitReady();
    BYTE data[kModeDataLength] = {};
    data[3] = 8;  // block descriptor length; density, block count and medium type stay 0
    Put24(&data[9], blockLength);
    Fill(SRB_DIR_OUT, adapter, target, lun, kModeDataLength, data, ScsiOp::ModeSelect6, 0x10, 0, 0, kModeParameterListLength, 0);
    return TakeModeData(RunOnce(), data, mediumType, blockCount, blockLength);
}

// ---- tape commands --------------------------------------------------------

int ScsiDevice::Rewind(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    BYTE scratch[4] = {};
    Fill(0, adapter, target, lun, 0, scratch, ScsiOp::Rewind, 0, 0, 0, 0, 0);
    return Finished(RunWithRetry(), "Rewind-Fehler: %i\n");
}

int ScsiDevice::CurrentBlockLength(BYTE adapter, BYTE target, BYTE lun) {
    int mediumType = 0;
    int blockCount = 0;
    int blockLength = 0;
    if (ModeSense(mediumType, blockCount, blockLength, adapter, target, lun) != 0) {
        KeepOutcome();
        std::printf("Error: no mode sense!");
        std::fflush(stdout);
        return -1;
    }
    return blockLength;
}

int ScsiDevice::Transfer(BYTE opcode, BYTE flags, BYTE* buffer, int count, BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    const int blockLength = CurrentBlockLength(adapter, target, lun);
    if (blockLength < 0) return -1;
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    // Counts beyond the 24-bit field, or blocks longer than the buffers are
    // made for, would move a different amount of data than the caller expects.
    if (count < 0 || count > kMaxCount || blockLength > kMaxDriveBlockLength) return -1;
    const DWORD dataLength = static_cast<DWORD>(count) * static_cast<DWORD>(blockLength);
    Fill(flags, adapter, target, lun, dataLength, buffer, opcode, 0x01, Byte2(count), Byte1(count), Byte0(count), 0);
    // A failed first attempt is sent again in full, unless the drive's answer
    // shows that the tape moved.
    BYTE status = RunOnce();
    if (status != SS_COMP && FailureKeptPosition()) {
        SleepMs(kRetryPauseMs);
        status = RunOnce();
    }
    return Finished(status, opcode == ScsiOp::Read6 ? "Read-Fehler: %i\n" : "Write error: %i\n");
}

int ScsiDevice::Read(BYTE* buffer, int count, BYTE adapter, BYTE target, BYTE lun) {
    return Transfer(ScsiOp::Read6, SRB_DIR_IN, buffer, count, adapter, target, lun);
}

int ScsiDevice::Write(BYTE* buffer, int count, BYTE adapter, BYTE target, BYTE lun) {
    return Transfer(ScsiOp::Write6, SRB_DIR_OUT, buffer, count, adapter, target, lun);
}

int ScsiDevice::WriteFilemark(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (CurrentBlockLength(adapter, target, lun) < 0) return -1;
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    BYTE scratch[4] = {};
    Fill(SRB_DIR_OUT, adapter, target, lun, 0, scratch, ScsiOp::WriteFilemarks, 0, 0, 0, 1, 0);
    return Finished(RunOnce(), "WriteFilemark error: %i\n");
}

int ScsiDevice::SpaceFilemarks(int count, BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    if (count == 0) return 0;
    // Only forward spacing is meant; a negative count would move backwards.
    if (count < 0 || count > kMaxCount) return -1;
    BYTE scratch[4] = {};
    Fill(0, adapter, target, lun, 0, scratch, ScsiOp::Space, 0x01, Byte2(count), Byte1(count), Byte0(count), 0);
    return Finished(RunOnce(), "SpaceFilemarks-Fehler: %i\n");
}

int ScsiDevice::SpaceToEndOfData(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    BYTE scratch[4] = {};
    Fill(0, adapter, target, lun, 0, scratch, ScsiOp::Space, 0x03, 0, 0, 0, 0);
    const BYTE status = RunOnce();
    KeepOutcome();
    return status;
}

int ScsiDevice::Eject(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    BYTE scratch[4] = {};
    Fill(0, adapter, target, lun, 0, scratch, ScsiOp::LoadUnload, 0, 0, 0, 0, 0);
    return Finished(RunWithRetry(), "Eject-Fehler: %i\n");
}

void ScsiDevice::KeepOutcome() {
    const SRB_ExecSCSICmd& request = *srbPointer_;
    const BYTE status = SrbStatus(request.SRB_Status);
    lastFailure_.present = status != SS_COMP;
    if (!lastFailure_.present) return;
    ++lastFailure_.serial;
    lastFailure_.opcode = request.CDBByte[0];
    lastFailure_.status = status;
    lastFailure_.hostStatus = request.SRB_HaStat;
    lastFailure_.targetStatus = request.SRB_TargStat;
    static_assert(sizeof lastFailure_.sense <= sizeof request.SenseArea);
    std::memcpy(lastFailure_.sense, request.SenseArea, sizeof lastFailure_.sense);
}

// Tape commands print the failing status with their own message.
int ScsiDevice::Finished(BYTE status, const char* failureFormat) {
    KeepOutcome();
    if (status == SS_COMP) return 0;
    std::printf(failureFormat, status);
    std::fflush(stdout);
    return -1;
}
