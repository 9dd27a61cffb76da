#include "aspi/virtual/VirtualTapeDrive.h"

#include <chrono>
#include <cstdio>
#include <thread>

#include "aspi/ScsiOpcodes.h"
#include "aspi/virtual/CdbFields.h"
#include "aspi/virtual/DriveClock.h"

namespace {

namespace Op = ScsiOp;
using CdbFields::Be24;
using CdbFields::CopyOut;
using CdbFields::PutBe24;
using CdbFields::PutBe32;

constexpr std::uint8_t kLogSense = 0x4D;
constexpr std::uint8_t kTapeCapacityPage = 0x31;
constexpr std::uint8_t kRecoveredError = 0x1;
constexpr std::uint8_t kMediumTypeLoaded = 0x01;
constexpr std::uint8_t kWriteProtect = 0x80;
constexpr std::uint8_t kBufferedMode = 0x10;
constexpr std::uint32_t kMaxField = 0x00FFFFFF;

FixedSense InvalidField() { return FixedSense(SenseKey::IllegalRequest, 0x24, 0x00); }
FixedSense InvalidParameter() { return FixedSense(SenseKey::IllegalRequest, 0x26, 0x00); }
FixedSense WriteError() { return FixedSense(SenseKey::MediumError, 0x0C, 0x00); }
FixedSense NoMedium() { return FixedSense(SenseKey::NotReady, 0x3A, 0x00); }
FixedSense NeedsAttention() { return FixedSense(SenseKey::NotReady, 0x04, 0x03); }
FixedSense PowerOnReset() { return FixedSense(SenseKey::UnitAttention, 0x29, 0x00); }

FaultCommand CommandOf(std::uint8_t op) {
    switch (op) {
    case Op::TestUnitReady: return FaultCommand::TestUnitReady;
    case Op::Read6: return FaultCommand::Read;
    case Op::Write6: return FaultCommand::Write;
    case Op::WriteFilemarks: return FaultCommand::WriteFilemarks;
    case Op::Space: return FaultCommand::Space;
    case Op::Rewind: return FaultCommand::Rewind;
    case Op::LoadUnload: return FaultCommand::LoadUnload;
    case Op::ModeSense6: return FaultCommand::ModeSense;
    case Op::ModeSelect6: return FaultCommand::ModeSelect;
    default: return FaultCommand::Any;
    }
}

}  // namespace

VirtualTapeDrive::VirtualTapeDrive(const VirtualTapeConfig& config)
    : config_(config), folder_(config.source, config.sourceIsFolder, config.createFolder) {
    inquiry_[0] = 0x01;  // sequential-access device
    inquiry_[1] = 0x80;  // removable medium
    inquiry_[2] = 0x05;  // SPC-3
    inquiry_[3] = 0x02;  // response data format
    inquiry_[4] = static_cast<std::uint8_t>(inquiry_.size() - 5);
    CdbFields::PutText(&inquiry_[8], 8, "VIRTUAL");
    CdbFields::PutText(&inquiry_[16], 16, Lto() ? "LTO TAPE DRIVE" : "TAPE DRIVE");
    CdbFields::PutText(&inquiry_[32], 4, "0100");
    // A drive that cannot honour its settings touches no cartridge.
    if (!config_.problem.empty()) return;
    if (Lto()) attention_.PowerOnReset();
    Load(folder_.First());
}

VirtualTapeDrive::~VirtualTapeDrive() {
    if (config_.statisticsFile.empty()) return;
    if (!stats_.AppendTo(config_.statisticsFile))
        std::fprintf(stderr, "tapewren: cannot append the virtual drive's statistics to %s\n",
                     config_.statisticsFile.c_str());
}

void VirtualTapeDrive::Load(const std::string& path) {
    cartridge_.reset();
    busy_ = false;
    unflushed_ = false;
    currentPath_ = path;
    if (!path.empty()) {
        const auto result =
            Cartridge::Open(path, config_.capacity, config_.earlyWarning, cartridge_, config_.indexRuns);
        busy_ = result == Cartridge::OpenResult::Locked;
    }
    if (!cartridge_) return attention_.Removed();
    cartridge_->WriteWhatFits(Lto());
    if (!Lto()) return;
    blockLength_ = 0;
    attention_.Loading(DriveClockMs(), config_.readyMs, config_.loadCommandNeeded);
}

bool VirtualTapeDrive::Ready(ScsiExec& exec) {
    if (busy_) Load(currentPath_);
    if (busy_) {
        exec.FinishTargetStatus(STATUS_BUSY);
        return false;
    }
    if (!cartridge_) {
        Fail(exec, NoMedium());
        return false;
    }
    return true;
}

void VirtualTapeDrive::Reset() {
    blockLength_ = 0;
    bufferedMode_ = 1;
    attention_ = DriveAttention();
    if (cartridge_) cartridge_->Rewind();
}

void VirtualTapeDrive::FlushBeforeMoving() {
    if (!unflushed_) return;
    ++stats_.flushes;
    unflushed_ = false;
    // The modelled back-hitch: real time, not the drive clock, so that a
    // benchmark's timings include it.
    if (config_.backHitchMs > 0) std::this_thread::sleep_for(std::chrono::milliseconds(config_.backHitchMs));
}

void VirtualTapeDrive::Execute(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    if (cdb.size() < 6) return Fail(exec, FixedSense(SenseKey::IllegalRequest, 0x20, 0x00));
    ++stats_.commands;
    completion_.reset();
    const std::uint8_t op = cdb[0];
    if (op == Op::Inquiry) return Inquiry(exec);
    if (op == Op::RequestSense) return RequestSense(exec);
    if (!config_.problem.empty()) return Fail(exec, NeedsAttention());
    // A cartridge that another owner let go of is loaded, and becomes ready, first.
    if (Lto() && busy_) Load(currentPath_);
    if (const auto sense = attention_.Take(DriveClockMs(), op == Op::LoadUnload)) return Fail(exec, *sense);
    if (InjectFaults(exec)) return;
    switch (op) {
    case Op::TestUnitReady: return TestUnitReady(exec);
    case Op::Rewind: return Rewind(exec);
    case Op::ReadBlockLimits: return ReadBlockLimits(exec);
    case Op::Read6: return Read(exec);
    case Op::Write6: return Write(exec);
    case Op::WriteFilemarks: return WriteFilemarks(exec);
    case Op::Space: return Space(exec);
    case Op::ModeSelect6: return ModeSelect(exec);
    case Op::ModeSense6: return ModeSense(exec);
    case Op::LoadUnload: return LoadUnload(exec);
    case kLogSense:
        if (Lto()) return LogSense(exec);
        break;
    default:
        break;
    }
    Fail(exec, FixedSense(SenseKey::IllegalRequest, 0x20, 0x00));
}

bool VirtualTapeDrive::InjectFaults(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const DueFaults due = config_.faults.Next(CommandOf(cdb[0]));
    if (due.None()) return false;
    for (int flag = 1; flag <= TapeAlert::kFlags; ++flag)
        if ((due.alerts >> (flag - 1)) & 1) alerts_.Set(flag);
    if (due.reset) {
        Reset();
        Fail(exec, PowerOnReset());
        return true;
    }
    const bool writing = cdb[0] == Op::Write6 || cdb[0] == Op::WriteFilemarks;
    // Nothing was transferred: the whole count is the residue.
    const std::int64_t count = cdb[0] == Op::Space ? CdbFields::SignedBe24(&cdb[2]) : Be24(&cdb[2]);
    if (due.medium || due.deferred) {
        if (!Ready(exec)) return true;
        alerts_.Set(TapeAlertFlag::HardError);
        alerts_.Set(writing ? TapeAlertFlag::WriteFailure : TapeAlertFlag::ReadFailure);
        if (due.medium) alerts_.Set(TapeAlertFlag::Media);
        const FixedSense sense =
            FixedSense(SenseKey::MediumError, writing ? 0x0C : 0x11, 0x00).Information(count);
        // Without a buffer there is nothing to fail later: the write fails
        // now; so does a WRITE FILEMARKS without the immediate bit, which
        // answers only once everything before it is on the tape.
        const bool synchronizing = cdb[0] == Op::WriteFilemarks && (cdb[1] & 0x01) == 0;
        if (due.medium || (Lto() && bufferedMode_ == 0) || synchronizing) {
            Fail(exec, sense);
            return true;
        }
        attention_.Defer(FixedSense(sense).Deferred());
        exec.FinishGood();
        return true;
    }
    if (due.cleaning) {
        alerts_.Set(TapeAlertFlag::CleanNow);
        completion_ = FixedSense(SenseKey::NoSense, 0x00, 0x17);
    } else if (due.recovered) {
        completion_ = FixedSense(kRecoveredError, 0x17, 0x01);
    }
    return false;
}

void VirtualTapeDrive::Complete(ScsiExec& exec) {
    if (completion_) return Fail(exec, *completion_);
    exec.FinishGood();
}

void VirtualTapeDrive::Finish(ScsiExec& exec, const TapeOutcome& outcome, std::int64_t residue) {
    switch (outcome.event) {
    case TapeEvent::Done:
        return Complete(exec);
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
    if (Ready(exec)) Complete(exec);
}

void VirtualTapeDrive::Inquiry(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    if ((cdb[1] & 0x01) != 0 || cdb[2] != 0) return Fail(exec, InvalidField());  // no vital product data pages
    CopyOut(exec, inquiry_.data(), inquiry_.size(), (static_cast<std::size_t>(cdb[3]) << 8) | cdb[4]);
    exec.FinishGood();
}

void VirtualTapeDrive::RequestSense(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    if ((cdb[1] & 0x01) != 0) return Fail(exec, InvalidField());  // descriptor format
    FixedSense sense(SenseKey::NoSense, 0x00, 0x00);
    if (!config_.problem.empty()) {
        sense = NeedsAttention();
    } else if (const auto pending = attention_.Take(DriveClockMs(), false)) {
        sense = *pending;
    } else if (!cartridge_ && !busy_) {
        sense = NoMedium();
    }
    CopyOut(exec, sense.Bytes().data(), sense.Bytes().size(), cdb[4]);
    exec.FinishGood();
}

void VirtualTapeDrive::LogSense(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    // Neither saving parameters nor a parameter pointer or subpage.
    if (cdb.size() < 10 || (cdb[1] & 0x03) != 0 || cdb[3] != 0 || cdb[5] != 0 || cdb[6] != 0)
        return Fail(exec, InvalidField());
    const std::size_t allocation = (static_cast<std::size_t>(cdb[7]) << 8) | cdb[8];
    const std::uint8_t page = cdb[2] & 0x3F;
    if (page == 0x00) {
        const std::uint8_t supported[] = {0x00, 0x00, 0x00, 0x03, 0x00, TapeAlert::kPage, kTapeCapacityPage};
        CopyOut(exec, supported, sizeof supported, allocation);
    } else if (page == kTapeCapacityPage) {
        if (!cartridge_) return Fail(exec, NoMedium());
        // Remaining and maximum capacity of the main partition (parameters 1
        // and 3) and of the alternate one (2 and 4, none here), in MiB.
        const std::uint64_t capacity = cartridge_->Capacity();
        const std::uint64_t used = std::min(cartridge_->Used(), capacity);
        const std::uint64_t values[4] = {(capacity - used) >> 20, 0, capacity >> 20, 0};
        std::uint8_t data[4 + 4 * 8] = {kTapeCapacityPage, 0, 0, 4 * 8};
        for (int i = 0; i < 4; ++i) {
            std::uint8_t* parameter = &data[4 + i * 8];
            parameter[1] = static_cast<std::uint8_t>(i + 1);
            parameter[3] = 4;
            PutBe32(&parameter[4], static_cast<std::uint32_t>(std::min<std::uint64_t>(values[i], 0xFFFFFFFF)));
        }
        CopyOut(exec, data, sizeof data, allocation);
    } else if (page == TapeAlert::kPage) {
        std::uint8_t data[TapeAlert::kPageLength];
        alerts_.TakePage(data);
        CopyOut(exec, data, sizeof data, allocation);
    } else {
        return Fail(exec, InvalidField());
    }
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
    data[2] = Lto() ? static_cast<std::uint8_t>(bufferedMode_ << 4) : kBufferedMode;
    data[3] = withDescriptor ? 8 : 0;
    if (cartridge_) {
        data[1] = kMediumTypeLoaded;
        if (cartridge_->ReadOnly()) data[2] |= kWriteProtect;
        const std::uint64_t blocks = cartridge_->Capacity() / (blockLength_ != 0 ? blockLength_ : 512);
        PutBe24(&data[5], static_cast<std::uint32_t>(std::min<std::uint64_t>(blocks, kMaxField)));
    }
    PutBe24(&data[9], blockLength_);
    CopyOut(exec, data, length, cdb[4]);
    Complete(exec);
}

void VirtualTapeDrive::ModeSelect(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const std::size_t listLength = cdb[4];
    const std::span<std::uint8_t> list = exec.Data();
    if (listLength == 0) return Complete(exec);
    if (listLength < 4 || listLength > list.size()) return Fail(exec, FixedSense(SenseKey::IllegalRequest, 0x1A, 0x00));
    const std::size_t descriptorLength = list[3];
    if (descriptorLength != 0 && descriptorLength != 8) return Fail(exec, InvalidParameter());
    if (listLength < 4 + descriptorLength) return Fail(exec, FixedSense(SenseKey::IllegalRequest, 0x1A, 0x00));
    // Buffered modes 0 (off), 1 (on) and 2 (on, shared between initiators).
    const std::uint8_t buffered = (list[2] >> 4) & 0x07;
    if (Lto() && buffered > 2) return Fail(exec, InvalidParameter());
    // Mode pages after the descriptor are accepted and have no effect.
    if (descriptorLength == 8) blockLength_ = Be24(&list[9]);
    if (Lto()) bufferedMode_ = buffered;
    Complete(exec);
}

void VirtualTapeDrive::ReadBlockLimits(ScsiExec& exec) {
    std::uint8_t data[6] = {};
    PutBe24(&data[1], kMaxField);
    data[5] = 1;
    CopyOut(exec, data, sizeof data, sizeof data);
    Complete(exec);
}

void VirtualTapeDrive::Rewind(ScsiExec& exec) {
    if (!Ready(exec)) return;
    FlushBeforeMoving();
    const bool synced = cartridge_->Sync();
    cartridge_->Rewind();
    if (!synced) return Fail(exec, WriteError());
    Complete(exec);
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
    if (count == 0) return Complete(exec);
    if (config_.cartridgeKind == CartridgeKind::Encrypted)
        return Fail(exec, FixedSense(SenseKey::DataProtect, 0x74, 0x01));  // unable to decrypt: no key
    if (config_.cartridgeKind == CartridgeKind::Unsupported)
        return Fail(exec, FixedSense(SenseKey::MediumError, 0x30, 0x00));
    ++stats_.reads;
    if (fixed) {
        const TapeOutcome outcome = cartridge_->Read(exec.Data().data(), count, blockLength_);
        stats_.bytesRead += outcome.done * blockLength_;
        return Finish(exec, outcome, static_cast<std::int64_t>(count - outcome.done));
    }
    const TapeOutcome outcome = cartridge_->ReadVariable(exec.Data().data(), count);
    if (outcome.done > 0) stats_.bytesRead += std::min(count, outcome.recordLength);
    if (outcome.event == TapeEvent::WrongLength) {
        if (suppressIncorrectLength && outcome.recordLength < count) return Complete(exec);
        return Finish(exec, outcome, static_cast<std::int64_t>(count) - outcome.recordLength);
    }
    Finish(exec, outcome, outcome.event == TapeEvent::Done ? 0 : count);
}

std::optional<FixedSense> VirtualTapeDrive::WriteRefusal() {
    if (cartridge_->ReadOnly()) return std::nullopt;  // the cartridge's own refusal comes first
    if (config_.cartridgeKind == CartridgeKind::Unsupported)
        return FixedSense(SenseKey::DataProtect, 0x30, 0x05);  // cannot write this generation
    if (config_.cartridgeKind == CartridgeKind::Worm && !cartridge_->AtEndOfData())
        return FixedSense(SenseKey::DataProtect, 0x30, 0x0C);  // WORM: overwrite attempted
    return std::nullopt;
}

void VirtualTapeDrive::Write(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const bool fixed = (cdb[1] & 0x01) != 0;
    const std::uint32_t count = Be24(&cdb[2]);
    if (fixed && blockLength_ == 0) return Fail(exec, InvalidField());
    const std::uint64_t bytes = fixed ? static_cast<std::uint64_t>(count) * blockLength_ : count;
    if (bytes > exec.Data().size()) return Fail(exec, InvalidField());
    if (!Ready(exec)) return;
    if (count == 0) return Complete(exec);
    if (const auto refusal = WriteRefusal()) return Fail(exec, *refusal);
    ++stats_.writes;
    const TapeOutcome outcome = fixed ? cartridge_->Write(exec.Data().data(), count, blockLength_)
                                      : cartridge_->Write(exec.Data().data(), 1, count);
    if (outcome.done > 0) {
        stats_.bytesWritten += fixed ? outcome.done * blockLength_ : count;
        unflushed_ = true;
        if (Lto() && bufferedMode_ == 0) {
            FlushBeforeMoving();
            if (!cartridge_->Sync()) return Fail(exec, WriteError());
        }
    }
    const bool written = outcome.event == TapeEvent::EarlyWarning || outcome.event == TapeEvent::Done;
    const std::int64_t residue = written ? 0 : fixed ? count - outcome.done : count;
    Finish(exec, outcome, residue);
}

void VirtualTapeDrive::WriteFilemarks(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const bool immediate = (cdb[1] & 0x01) != 0;
    if ((cdb[1] & 0x02) != 0) return Fail(exec, InvalidField());  // setmarks
    const std::uint32_t count = Be24(&cdb[2]);
    if (!Ready(exec)) return;
    if (count > 0) {
        if (const auto refusal = WriteRefusal()) return Fail(exec, *refusal);
    }
    const TapeOutcome outcome = cartridge_->WriteFilemarks(count);
    stats_.filemarks += outcome.done;
    if (outcome.done > 0) unflushed_ = true;
    const bool written = outcome.event == TapeEvent::Done || outcome.event == TapeEvent::EarlyWarning;
    // Without the immediate bit the filemark is a commit point: GOOD only
    // once everything before it is on disk. Unbuffered, everything is.
    if ((written || outcome.done > 0) && (!immediate || (Lto() && bufferedMode_ == 0))) {
        unflushed_ = true;  // even WRITE FILEMARKS 0 makes the drive stop and flush
        FlushBeforeMoving();
        if (!cartridge_->Sync()) return Fail(exec, WriteError());
    }
    Finish(exec, outcome, written ? 0 : count - outcome.done);
}

void VirtualTapeDrive::Space(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const std::uint8_t code = cdb[1] & 0x07;
    const std::int64_t count = CdbFields::SignedBe24(&cdb[2]);
    if (code != 0 && code != 1 && code != 3) return Fail(exec, InvalidField());
    if (!Ready(exec)) return;
    FlushBeforeMoving();
    if (code == 3) return Finish(exec, cartridge_->SpaceToEnd(), 0);
    const TapeOutcome outcome = code == 0 ? cartridge_->SpaceBlocks(count) : cartridge_->SpaceFilemarks(count);
    const auto done = static_cast<std::int64_t>(outcome.done);
    Finish(exec, outcome, count >= 0 ? count - done : count + done);
}

void VirtualTapeDrive::LoadUnload(ScsiExec& exec) {
    const auto cdb = exec.Cdb();
    const bool load = (cdb[4] & 0x01) != 0;
    const bool immediate = (cdb[1] & 0x01) != 0;
    if (load && (cdb[4] & 0x04) != 0) return Fail(exec, InvalidField());
    if (load) {
        bool loading = attention_.WaitsForLoad();
        if (!cartridge_ && !busy_) {
            Load(currentPath_.empty() ? folder_.First() : currentPath_);
            loading = cartridge_ != nullptr;
        }
        if (!Ready(exec)) return;
        FlushBeforeMoving();
        const bool synced = cartridge_->Sync();
        cartridge_->Rewind();
        if (!synced) return Fail(exec, WriteError());
        // Without the immediate bit LOAD returns once the cartridge is ready.
        if (Lto() && loading) attention_.Loading(DriveClockMs(), immediate ? config_.readyMs : 0, false);
        return Complete(exec);
    }
    if (cartridge_) FlushBeforeMoving();
    if (cartridge_ && !cartridge_->Sync()) return Fail(exec, WriteError());  // keep it loaded: nothing is lost
    // A cartridge that another owner holds cannot be taken out: the magazine
    // stays where it is.
    if (busy_) Load(currentPath_);
    if (busy_) return exec.FinishTargetStatus(STATUS_BUSY);
    if (!cartridge_) return Fail(exec, NoMedium());
    const std::string ejected = currentPath_;
    cartridge_.reset();  // releases the lock
    attention_.Removed();
    busy_ = false;
    const std::string next = folder_.After(ejected);
    if (!next.empty()) {
        Load(next);
    } else if (folder_.IsFolder()) {
        currentPath_.clear();
    }
    Complete(exec);
}
