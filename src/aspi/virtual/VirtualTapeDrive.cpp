#include "aspi/virtual/VirtualTapeDrive.h"

#include <algorithm>
#include <cstring>

#include "aspi/ScsiOpcodes.h"

namespace {

namespace Op = ScsiOp;

constexpr std::uint8_t kMediumTypeLoaded = 0x01;
constexpr std::uint8_t kWriteProtect = 0x80;
constexpr std::uint8_t kBufferedMode = 0x10;
constexpr std::uint32_t kMaxField = 0x00FFFFFF;

std::uint32_t Be24(const std::uint8_t* p) {
    return (static_cast<std::uint32_t>(p[0]) << 16) | (static_cast<std::uint32_t>(p[1]) << 8) | p[2];
}

void PutBe24(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v >> 16);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v);
}

// The 24-bit SPACE count is two's complement.
std::int64_t SignedBe24(const std::uint8_t* p) {
    const std::uint32_t v = Be24(p);
    return (v & 0x800000) ? static_cast<std::int64_t>(v) - 0x1000000 : static_cast<std::int64_t>(v);
}

FixedSense InvalidField() { return FixedSense(SenseKey::IllegalRequest, 0x24, 0x00); }
FixedSense WriteError() { return FixedSense(SenseKey::MediumError, 0x0C, 0x00); }

void CopyOut(ScsiExec& exec, const std::uint8_t* data, std::size_t length, std::size_t allocation) {
    const std::span<std::uint8_t> buffer = exec.Data();
    const std::size_t n = std::min({length, allocation, buffer.size()});
    if (n > 0) std::memcpy(buffer.data(), data, n);
}

void PutText(std::uint8_t* field, std::size_t size, const char* text) {
    std::memset(field, ' ', size);
    std::memcpy(field, text, std::min(size, std::strlen(text)));
}

}  // namespace

VirtualTapeDrive::VirtualTapeDrive(const VirtualTapeConfig& config)
    : config_(config), folder_(config.source, config.sourceIsFolder, config.createFolder) {
    inquiry_[0] = 0x01;  // sequential-access device
    inquiry_[1] = 0x80;  // removable medium
    inquiry_[2] = 0x05;  // SPC-3
    inquiry_[3] = 0x02;  // response data format
    inquiry_[4] = static_cast<std::uint8_t>(inquiry_.size() - 5);
    PutText(&inquiry_[8], 8, "VIRTUAL");
    PutText(&inquiry_[16], 16, "TAPE DRIVE");
    PutText(&inquiry_[32], 4, "0100");
    Load(folder_.First());
}

void VirtualTapeDrive::Load(const std::string& path) {
    cartridge_.reset();
    busy_ = false;
    currentPath_ = path;
    if (path.empty()) return;
    const auto result = Cartridge::Open(path, config_.capacity, config_.earlyWarning, cartridge_, config_.indexRuns);
    busy_ = result == Cartridge::OpenResult::Locked;
}

bool VirtualTapeDrive::Ready(ScsiExec& exec) {
    if (busy_) Load(currentPath_);
    if (busy_) {
        exec.FinishTargetStatus(STATUS_BUSY);
        return false;
    }
    if (!cartridge_) {
        Fail(exec, FixedSense(SenseKey::NotReady, 0x3A, 0x00));
        return false;
    }
    return true;
}

void VirtualTapeDrive::Execute(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    if (cdb.size() < 6) return Fail(exec, FixedSense(SenseKey::IllegalRequest, 0x20, 0x00));
    switch (cdb[0]) {
    case Op::TestUnitReady: return TestUnitReady(exec);
    case Op::Rewind: return Rewind(exec);
    case Op::ReadBlockLimits: return ReadBlockLimits(exec);
    case Op::Read6: return Read(exec);
    case Op::Write6: return Write(exec);
    case Op::WriteFilemarks: return WriteFilemarks(exec);
    case Op::Space: return Space(exec);
    case Op::Inquiry: return Inquiry(exec);
    case Op::ModeSelect6: return ModeSelect(exec);
    case Op::ModeSense6: return ModeSense(exec);
    case Op::LoadUnload: return LoadUnload(exec);
    default: return Fail(exec, FixedSense(SenseKey::IllegalRequest, 0x20, 0x00));
    }
}

void VirtualTapeDrive::Finish(ScsiExec& exec, const TapeOutcome& outcome, std::int64_t residue) {
    switch (outcome.event) {
    case TapeEvent::Done:
        return exec.FinishGood();
    case TapeEvent::Filemark:
        return Fail(exec, FixedSense(SenseKey::NoSense, 0x00, 0x01).Filemark().Information(residue));
    case TapeEvent::EndOfData:
        return Fail(exec, FixedSense(SenseKey::BlankCheck, 0x00, 0x05).Information(residue));
    case TapeEvent::BeginningOfTape:
        return Fail(exec, FixedSense(SenseKey::NoSense, 0x00, 0x04).EndOfMedium().Information(residue));
    case TapeEvent::WrongLength:
        return Fail(exec, FixedSense(SenseKey::NoSense, 0x00, 0x00).IncorrectLength().Information(residue));
    case TapeEvent::BadRecord:
    case TapeEvent::ReadFailed:
    case TapeEvent::Damaged:
        return Fail(exec, FixedSense(SenseKey::MediumError, 0x11, 0x00).Information(residue));
    case TapeEvent::AtDamage:
        return Fail(exec, FixedSense(SenseKey::MediumError, 0x31, 0x00).Information(residue));
    case TapeEvent::WriteFailed:
        return Fail(exec, WriteError().Information(residue));
    case TapeEvent::ReadOnly:
        return Fail(exec, FixedSense(SenseKey::DataProtect, 0x27, 0x00));
    case TapeEvent::Overflow:
        return Fail(exec, FixedSense(SenseKey::VolumeOverflow, 0x00, 0x02).EndOfMedium().Information(residue));
    case TapeEvent::EarlyWarning:
        return Fail(exec, FixedSense(SenseKey::NoSense, 0x00, 0x02).EndOfMedium().Information(residue));
    }
}

void VirtualTapeDrive::TestUnitReady(ScsiExec& exec) {
    if (Ready(exec)) exec.FinishGood();
}

void VirtualTapeDrive::Inquiry(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    if ((cdb[1] & 0x01) != 0 || cdb[2] != 0) return Fail(exec, InvalidField());  // no vital product data pages
    CopyOut(exec, inquiry_.data(), inquiry_.size(), (static_cast<std::size_t>(cdb[3]) << 8) | cdb[4]);
    exec.FinishGood();
}

void VirtualTapeDrive::ModeSense(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const std::uint8_t page = cdb[2] & 0x3F;
    if (page != 0x00 && page != 0x3F) return Fail(exec, InvalidField());
    if (busy_) Load(currentPath_);
    const bool withDescriptor = (cdb[1] & 0x08) == 0;
    std::uint8_t data[12] = {};
    const std::size_t length = withDescriptor ? 12 : 4;
    data[0] = static_cast<std::uint8_t>(length - 1);
    data[2] = kBufferedMode;
    data[3] = withDescriptor ? 8 : 0;
    if (cartridge_) {
        data[1] = kMediumTypeLoaded;
        if (cartridge_->ReadOnly()) data[2] |= kWriteProtect;
        const std::uint64_t blocks = cartridge_->Capacity() / (blockLength_ != 0 ? blockLength_ : 512);
        PutBe24(&data[5], static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks, kMaxField)));
    }
    PutBe24(&data[9], blockLength_);
    CopyOut(exec, data, length, cdb[4]);
    exec.FinishGood();
}

void VirtualTapeDrive::ModeSelect(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const std::size_t listLength = cdb[4];
    const std::span<std::uint8_t> list = exec.Data();
    if (listLength == 0) return exec.FinishGood();
    if (listLength < 4 || listLength > list.size()) return Fail(exec, FixedSense(SenseKey::IllegalRequest, 0x1A, 0x00));
    const std::size_t descriptorLength = list[3];
    if (descriptorLength != 0 && descriptorLength != 8)
        return Fail(exec, FixedSense(SenseKey::IllegalRequest, 0x26, 0x00));
    if (listLength < 4 + descriptorLength) return Fail(exec, FixedSense(SenseKey::IllegalRequest, 0x1A, 0x00));
    // Mode pages after the descriptor are accepted and have no effect.
    if (descriptorLength == 8) blockLength_ = Be24(&list[9]);
    exec.FinishGood();
}

void VirtualTapeDrive::ReadBlockLimits(ScsiExec& exec) {
    std::uint8_t data[6] = {};
    PutBe24(&data[1], kMaxField);
    data[5] = 1;
    CopyOut(exec, data, sizeof data, sizeof data);
    exec.FinishGood();
}

void VirtualTapeDrive::Rewind(ScsiExec& exec) {
    if (!Ready(exec)) return;
    const bool synced = cartridge_->Sync();
    cartridge_->Rewind();
    if (!synced) return Fail(exec, WriteError());
    exec.FinishGood();
}

void VirtualTapeDrive::Read(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const bool fixed = (cdb[1] & 0x01) != 0;
    const bool suppressIncorrectLength = (cdb[1] & 0x02) != 0;
    const std::uint32_t count = Be24(&cdb[2]);
    if (fixed && (suppressIncorrectLength || blockLength_ == 0)) return Fail(exec, InvalidField());
    const std::uint64_t bytes = fixed ? static_cast<std::uint64_t>(count) * blockLength_ : count;
    if (bytes > exec.Data().size()) return Fail(exec, InvalidField());
    if (!Ready(exec)) return;
    if (count == 0) return exec.FinishGood();
    if (fixed) {
        const TapeOutcome outcome = cartridge_->Read(exec.Data().data(), count, blockLength_);
        return Finish(exec, outcome, static_cast<std::int64_t>(count - outcome.done));
    }
    const TapeOutcome outcome = cartridge_->ReadVariable(exec.Data().data(), count);
    if (outcome.event == TapeEvent::WrongLength) {
        if (suppressIncorrectLength && outcome.recordLength < count) return exec.FinishGood();
        return Finish(exec, outcome, static_cast<std::int64_t>(count) - outcome.recordLength);
    }
    Finish(exec, outcome, outcome.event == TapeEvent::Done ? 0 : count);
}

void VirtualTapeDrive::Write(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const bool fixed = (cdb[1] & 0x01) != 0;
    const std::uint32_t count = Be24(&cdb[2]);
    if (fixed && blockLength_ == 0) return Fail(exec, InvalidField());
    const std::uint64_t bytes = fixed ? static_cast<std::uint64_t>(count) * blockLength_ : count;
    if (bytes > exec.Data().size()) return Fail(exec, InvalidField());
    if (!Ready(exec)) return;
    if (count == 0) return exec.FinishGood();
    const TapeOutcome outcome = fixed ? cartridge_->Write(exec.Data().data(), count, blockLength_)
                                      : cartridge_->Write(exec.Data().data(), 1, count);
    const std::int64_t residue = outcome.event == TapeEvent::EarlyWarning || outcome.event == TapeEvent::Done ? 0 : count;
    Finish(exec, outcome, residue);
}

void VirtualTapeDrive::WriteFilemarks(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const bool immediate = (cdb[1] & 0x01) != 0;
    if ((cdb[1] & 0x02) != 0) return Fail(exec, InvalidField());  // setmarks
    const std::uint32_t count = Be24(&cdb[2]);
    if (!Ready(exec)) return;
    const TapeOutcome outcome = cartridge_->WriteFilemarks(count);
    const bool written = outcome.event == TapeEvent::Done || outcome.event == TapeEvent::EarlyWarning;
    // Without the immediate bit the filemark is a commit point: GOOD only
    // once everything before it is on disk.
    if (written && !immediate && !cartridge_->Sync()) return Fail(exec, WriteError());
    Finish(exec, outcome, written ? 0 : count);
}

void VirtualTapeDrive::Space(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const std::uint8_t code = cdb[1] & 0x07;
    const std::int64_t count = SignedBe24(&cdb[2]);
    if (code != 0 && code != 1 && code != 3) return Fail(exec, InvalidField());
    if (!Ready(exec)) return;
    if (code == 3) return Finish(exec, cartridge_->SpaceToEnd(), 0);
    const TapeOutcome outcome = code == 0 ? cartridge_->SpaceBlocks(count) : cartridge_->SpaceFilemarks(count);
    const auto done = static_cast<std::int64_t>(outcome.done);
    Finish(exec, outcome, count >= 0 ? count - done : count + done);
}

void VirtualTapeDrive::LoadUnload(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const bool load = (cdb[4] & 0x01) != 0;
    if (load && (cdb[4] & 0x04) != 0) return Fail(exec, InvalidField());
    if (load) {
        if (!cartridge_ && !busy_) Load(currentPath_.empty() ? folder_.First() : currentPath_);
        if (!Ready(exec)) return;
        const bool synced = cartridge_->Sync();
        cartridge_->Rewind();
        if (!synced) return Fail(exec, WriteError());
        return exec.FinishGood();
    }
    if (cartridge_ && !cartridge_->Sync()) return Fail(exec, WriteError());  // keep it loaded: nothing is lost
    // A cartridge that another owner holds cannot be taken out: the magazine
    // stays where it is.
    if (busy_) Load(currentPath_);
    if (busy_) return exec.FinishTargetStatus(STATUS_BUSY);
    if (!cartridge_) return Fail(exec, FixedSense(SenseKey::NotReady, 0x3A, 0x00));
    const std::string ejected = currentPath_;
    cartridge_.reset();  // releases the lock
    busy_ = false;
    const std::string next = folder_.After(ejected);
    if (!next.empty()) {
        Load(next);
    } else if (folder_.IsFolder()) {
        currentPath_.clear();
    }
    exec.FinishGood();
}
