#include "scsi/ScsiDevice.h"

#include <algorithm>
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
constexpr BYTE kRecoveredError = 0x1;
// Bits 6-4 of the mode header's device-specific parameter.
constexpr BYTE kBufferedModeBits = 0x70;
constexpr BYTE kLogSense = 0x4D;
constexpr BYTE kTapeAlertPage = 0x2E;
constexpr BYTE kTapeCapacityPage = 0x31;
constexpr int kTapeAlertFlags = 64;
// Page header and one 5-byte parameter per flag.
constexpr int kTapeAlertLength = 4 + kTapeAlertFlags * 5;
// Four parameters of 4-byte values, with room for a drive that sends more.
constexpr int kTapeCapacityLength = 4 + 8 * 8;
constexpr int kInquiryDataLength = 32;
constexpr int kInquiryTextOffset = 8;
constexpr int kInquiryTextLength = 23;
constexpr int kModeDataLength = 32;
constexpr BYTE kModeParameterListLength = 12;
constexpr int kMaxCount = 0xFFFFFF;  // CDB count fields are 24 bits
constexpr unsigned kRetryPauseMs = 500;
constexpr unsigned kPollMs = 1;

int Get24(const BYTE* p) { return (p[0] << 16) | (p[1] << 8) | p[2]; }
long long Get32(const BYTE* p) { return (static_cast<long long>(p[0]) << 24) | Get24(p + 1); }

bool SameAddress(const DriveAddress& a, BYTE adapter, BYTE target, BYTE lun) {
    return a.adapter == adapter && a.target == target && a.lun == lun;
}

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
    const BYTE status = Settle(RunOnce());
    if (status == SS_COMP || LastWasUnitAttention()) return status;
    SleepMs(kRetryPauseMs);
    return Settle(RunOnce());
}

bool ScsiDevice::LastWasUnitAttention() const {
    const SRB_ExecSCSICmd& r = *srbPointer_;
    return r.SRB_TargStat == STATUS_CHKCOND && SenseData::Key(r.SenseArea) == SenseKey::UnitAttention;
}

BYTE ScsiDevice::Settle(BYTE status) {
    const SRB_ExecSCSICmd& r = *srbPointer_;
    if (status == SS_COMP || r.SRB_TargStat != STATUS_CHKCOND) return status;
    const BYTE* sense = r.SenseArea;
    const BYTE key = SenseData::Key(sense);
    // A reset, a cartridge change or another initiator's MODE SELECT: the
    // block length and buffered mode may be the drive's defaults again.
    if (key == SenseKey::UnitAttention || key == SenseKey::NotReady) {
        ForgetMode();
        ++attentions_;
    }
    const BYTE flags = sense[SenseData::kFlagsAndKey];
    if ((flags & (SenseData::kFilemark | SenseData::kIncorrectLength)) != 0) return status;
    const BYTE op = r.CDBByte[0];
    const bool writing = op == ScsiOp::Write6 || op == ScsiOp::WriteFilemarks;
    const BYTE asc = sense[SenseData::kAsc];
    const BYTE ascq = sense[SenseData::kAscq];
    const bool endOfMedium = (flags & SenseData::kEndOfMedium) != 0;
    // The early warning: the write's data are on the tape (or in the
    // drive's buffer, on its way there), but little room is left.
    const bool earlyWarning = writing && endOfMedium && asc == 0 && (ascq == 0x02 || ascq == 0x07);
    if (key == kRecoveredError) {
        if (endOfMedium && !writing) return status;
        ++warnings_.recovered;
    } else if (key == SenseKey::NoSense && asc == 0 && ascq == 0x17 && !endOfMedium) {
        ++warnings_.cleaning;
    } else if (key != SenseKey::NoSense || !earlyWarning) {
        return status;
    }
    if (endOfMedium && writing) warnings_.earlyWarning = true;
    return SS_COMP;
}

DriveWarnings ScsiDevice::TakeWarnings() {
    const DriveWarnings taken = warnings_;
    warnings_ = DriveWarnings{};
    return taken;
}

void ScsiDevice::ForgetMode() {
    knownBlockLength_ = -1;
    knownDeviceSpecific_ = -1;
}

bool ScsiDevice::KnowsMode(BYTE adapter, BYTE target, BYTE lun) const {
    return knownBlockLength_ >= 0 && SameAddress(modeAddress_, adapter, target, lun);
}

long long ScsiDevice::LastResidue() const {
    const SRB_ExecSCSICmd& r = *srbPointer_;
    const BYTE* sense = r.SenseArea;
    // The INFORMATION field counts only with the valid bit.
    if (r.SRB_TargStat != STATUS_CHKCOND || (sense[0] & 0x80) == 0) return -1;
    return Get32(sense + 3);
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

bool ScsiDevice::FailureUnanswered() const {
    // With sense data the drive took the command: a READ or WRITE sent
    // again after a filemark, end of data or medium, a medium error, a
    // recovered error (it completed) or a unit attention (the tape is back
    // at its beginning and the block length lost) would read or write the
    // wrong blocks. Busy status or a transport failure never reached it.
    return srbPointer_->SRB_TargStat != STATUS_CHKCOND;
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

BYTE ScsiDevice::SenseMode(BYTE* data, BYTE adapter, BYTE target, BYTE lun) {
    std::memset(data, 0, kModeDataLength);
    Fill(SRB_DIR_IN, adapter, target, lun, kModeDataLength, data, ScsiOp::ModeSense6, 0, 0, 0, kModeParameterListLength, 0);
    const BYTE status = Settle(RunOnce());
    if (status != SS_COMP) return status;
    modeAddress_ = DriveAddress{adapter, target, lun};
    knownDeviceSpecific_ = data[2];
    knownBlockLength_ = Get24(&data[9]);
    return status;
}

int ScsiDevice::ModeSense(int& mediumType, int& blockCount, int& blockLength, BYTE adapter, BYTE target,
                          BYTE lun) {
    AwaitPendingTestUnitReady();
    BYTE data[kModeDataLength];
    const BYTE status = SenseMode(data, adapter, target, lun);
    return TakeModeData(status, data, mediumType, blockCount, blockLength);
}

int ScsiDevice::WriteProtected(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    BYTE data[kModeDataLength];
    if (SenseMode(data, adapter, target, lun) != SS_COMP) return -1;
    return (data[2] & 0x80) != 0 ? 1 : 0;
}

int ScsiDevice::ModeSelect(int& mediumType, int& blockCount, int& blockLength, BYTE adapter, BYTE target,
                           BYTE lun) {
    AwaitPendingTestUnitReady();
    BYTE data[kModeDataLength] = {};
    // The device-specific parameter is a setting, not only a report: 0 in
    // its buffered-mode bits switches a drive that buffers its writes (an
    // LTO drive does by default) to unbuffered mode, where every WRITE
    // waits for the tape. So they go back as the drive reported them; a
    // drive that answers no MODE SENSE gets 0 as before.
    if (!KnowsMode(adapter, target, lun)) SenseMode(data, adapter, target, lun);
    const BYTE buffered =
        KnowsMode(adapter, target, lun) ? static_cast<BYTE>(knownDeviceSpecific_ & kBufferedModeBits) : 0;
    std::memset(data, 0, sizeof data);
    data[2] = buffered;
    data[3] = 8;  // block descriptor length; density, block count and medium type stay 0
    Put24(&data[9], blockLength);
    Fill(SRB_DIR_OUT, adapter, target, lun, kModeDataLength, data, ScsiOp::ModeSelect6, 0x10, 0, 0, kModeParameterListLength, 0);
    const BYTE status = Settle(RunOnce());
    // The next transfer asks for the block length the drive took.
    knownBlockLength_ = -1;
    return TakeModeData(status, data, mediumType, blockCount, blockLength);
}

// ---- tape commands --------------------------------------------------------

int ScsiDevice::Rewind(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    BYTE scratch[4] = {};
    Fill(0, adapter, target, lun, 0, scratch, ScsiOp::Rewind, 0, 0, 0, 0, 0);
    return Finished(RunWithRetry(), "Rewind-Fehler: %i\n");
}

int ScsiDevice::TransferBlockLength(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (streaming_ && KnowsMode(adapter, target, lun)) return knownBlockLength_;
    int mediumType = 0, blockCount = 0, blockLength = 0;
    return ModeSense(mediumType, blockCount, blockLength, adapter, target, lun) == 0 ? blockLength : -1;
}

int ScsiDevice::CurrentBlockLength(BYTE adapter, BYTE target, BYTE lun) {
    if (streaming_ && KnowsMode(adapter, target, lun)) return knownBlockLength_;
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
    lastTransferred_ = 0;
    const int blockLength = CurrentBlockLength(adapter, target, lun);
    if (blockLength < 0) return -1;
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    // Counts beyond the 24-bit field, or blocks longer than the buffers are
    // made for, would move a different amount of data than the caller expects.
    if (count < 0 || count > kMaxCount || blockLength > kMaxDriveBlockLength) return -1;
    const DWORD dataLength = static_cast<DWORD>(count) * static_cast<DWORD>(blockLength);
    Fill(flags, adapter, target, lun, dataLength, buffer, opcode, 0x01, Byte2(count), Byte1(count), Byte0(count), 0);
    BYTE status = RunOnce();
    if (status != SS_COMP && FailureUnanswered()) {
        SleepMs(kRetryPauseMs);
        status = RunOnce();
    }
    status = Settle(status);
    if (status == SS_COMP) {
        lastTransferred_ = count;
    } else {
        // In fixed-block mode the residue counts the blocks not moved.
        const long long residue = LastResidue();
        if (residue >= 0 && residue <= count) lastTransferred_ = count - static_cast<int>(residue);
    }
    return Finished(status, opcode == ScsiOp::Read6 ? "Read-Fehler: %i\n" : "Write error: %i\n");
}

int ScsiDevice::Read(BYTE* buffer, int count, BYTE adapter, BYTE target, BYTE lun) {
    return Transfer(ScsiOp::Read6, SRB_DIR_IN, buffer, count, adapter, target, lun);
}

int ScsiDevice::Write(BYTE* buffer, int count, BYTE adapter, BYTE target, BYTE lun) {
    return Transfer(ScsiOp::Write6, SRB_DIR_OUT, buffer, count, adapter, target, lun);
}

int ScsiDevice::WriteFilemark(BYTE adapter, BYTE target, BYTE lun) { return WriteFilemarks(1, false, adapter, target, lun); }

int ScsiDevice::WriteFilemarks(int count, bool immediate, BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (CurrentBlockLength(adapter, target, lun) < 0) return -1;
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    if (count < 0 || count > kMaxCount) return -1;
    BYTE scratch[4] = {};
    Fill(SRB_DIR_OUT, adapter, target, lun, 0, scratch, ScsiOp::WriteFilemarks, immediate ? 0x01 : 0x00,
         Byte2(count), Byte1(count), Byte0(count), 0);
    return Finished(Settle(RunOnce()), "WriteFilemark error: %i\n");
}

int ScsiDevice::SpaceFilemarks(int count, BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    if (count == 0) return 0;
    // Only forward spacing is meant; a negative count would move backwards.
    if (count < 0 || count > kMaxCount) return -1;
    BYTE scratch[4] = {};
    Fill(0, adapter, target, lun, 0, scratch, ScsiOp::Space, 0x01, Byte2(count), Byte1(count), Byte0(count), 0);
    return Finished(Settle(RunOnce()), "SpaceFilemarks-Fehler: %i\n");
}

int ScsiDevice::SpaceToEndOfData(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    BYTE scratch[4] = {};
    Fill(0, adapter, target, lun, 0, scratch, ScsiOp::Space, 0x03, 0, 0, 0, 0);
    const BYTE status = Settle(RunOnce());
    KeepOutcome(status);
    return status;
}

int ScsiDevice::Eject(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    BYTE scratch[4] = {};
    Fill(0, adapter, target, lun, 0, scratch, ScsiOp::LoadUnload, 0, 0, 0, 0, 0);
    return Finished(RunWithRetry(), "Eject-Fehler: %i\n");
}

int ScsiDevice::Load(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    if (!IsTapeDevice(adapter, target, lun)) return -1;
    BYTE scratch[4] = {};
    Fill(0, adapter, target, lun, 0, scratch, ScsiOp::LoadUnload, 0, 0, 0, 0x01, 0);
    const BYTE status = Settle(RunOnce());
    KeepOutcome(status);
    return status == SS_COMP ? 0 : -1;
}

int ScsiDevice::CheckReady(BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    Fill(SRB_DIR_IN, adapter, target, lun, 0, testUnitReadyScratch_, ScsiOp::TestUnitReady, 0, 0, 0, 0, 0);
    const BYTE status = Settle(RunOnce());
    KeepOutcome(status);
    return status == SS_COMP ? 0 : -1;
}

int ScsiDevice::ReadLogPage(BYTE page, BYTE* data, int length, BYTE adapter, BYTE target, BYTE lun) {
    AwaitPendingTestUnitReady();
    // LOG SENSE(10): current cumulative values.
    Fill(SRB_DIR_IN, adapter, target, lun, length, data, kLogSense, 0, 0x40 | page, 0, 0, 0);
    SRB_ExecSCSICmd& r = *srbPointer_;
    r.SRB_CDBLen = 10;
    r.CDBByte[6] = 0;
    r.CDBByte[7] = Byte1(length);
    r.CDBByte[8] = Byte0(length);
    r.CDBByte[9] = 0;
    const BYTE status = Settle(RunOnce());
    r.SRB_CDBLen = 6;
    if (status != SS_COMP) {
        // A drive without the page (or without LOG SENSE) refuses the field.
        const bool refused = r.SRB_TargStat == STATUS_CHKCOND && SenseData::Key(r.SenseArea) == SenseKey::IllegalRequest;
        return refused ? 1 : -1;
    }
    return (data[0] & 0x3F) == page ? 0 : -1;
}

namespace {
// Calls f(code, value, valueLength) for each parameter of a log page
// (header: page code, subpage, 2-byte length; parameter: 2-byte code,
// control byte, length, value), none reaching past the page or the buffer.
template <class F>
void ForEachLogParameter(const BYTE* data, int bufferLength, F f) {
    const int end = 4 + std::min(bufferLength - 4, (data[2] << 8) | data[3]);
    for (int at = 4; at + 4 <= end;) {
        const int valueLength = data[at + 3];
        if (at + 4 + valueLength > end) break;
        f((data[at] << 8) | data[at + 1], data + at + 4, valueLength);
        at += 4 + valueLength;
    }
}
}  // namespace

int ScsiDevice::ReadTapeAlert(std::uint64_t& flags, BYTE adapter, BYTE target, BYTE lun) {
    flags = 0;
    if (tapeAlertUnsupported_ && SameAddress(tapeAlertAddress_, adapter, target, lun)) return 1;
    BYTE data[kTapeAlertLength] = {};
    const int read = ReadLogPage(kTapeAlertPage, data, sizeof data, adapter, target, lun);
    if (read == 1) {
        tapeAlertUnsupported_ = true;
        tapeAlertAddress_ = DriveAddress{adapter, target, lun};
    }
    if (read != 0) return read;
    ForEachLogParameter(data, sizeof data, [&](int code, const BYTE* value, int valueLength) {
        if (code >= 1 && code <= kTapeAlertFlags && valueLength >= 1 && (value[0] & 0x01) != 0)
            flags |= std::uint64_t{1} << (code - 1);
    });
    return 0;
}

int ScsiDevice::ReadTapeCapacity(long long& remaining, long long& maximum, BYTE adapter, BYTE target, BYTE lun) {
    remaining = maximum = -1;
    BYTE data[kTapeCapacityLength] = {};
    const int read = ReadLogPage(kTapeCapacityPage, data, sizeof data, adapter, target, lun);
    if (read != 0) return read;
    // The main partition's remaining (1) and maximum (3) capacity, in MiB.
    ForEachLogParameter(data, sizeof data, [&](int code, const BYTE* value, int valueLength) {
        if ((code != 1 && code != 3) || valueLength != 4) return;
        (code == 1 ? remaining : maximum) = Get32(value) << 20;
    });
    return remaining >= 0 && maximum >= 0 ? 0 : 1;
}

void ScsiDevice::KeepOutcome() { KeepOutcome(SrbStatus(srbPointer_->SRB_Status)); }

void ScsiDevice::KeepOutcome(BYTE status) {
    const SRB_ExecSCSICmd& request = *srbPointer_;
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
    KeepOutcome(status);
    if (status == SS_COMP) return 0;
    std::printf(failureFormat, status);
    std::fflush(stdout);
    return -1;
}
