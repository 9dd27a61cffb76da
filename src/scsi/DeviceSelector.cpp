#include "scsi/DeviceSelector.h"

#include <cstring>
#include <string>

#include "aspi/Srb.h"
#include "report/MessageKind.h"
#include "scsi/BlockLimits.h"
#include "scsi/DeviceTypeName.h"
#include "scsi/DriveReadiness.h"
#include "scsi/Sleep.h"

namespace {

constexpr int kTargets = 8;
constexpr int kSequentialAccess = 1;
constexpr int kFixedBlockLength = 1024;
// Host adapter inquiry reports at most 255 adapters, numbered 0 to 254.
constexpr BYTE kNoAdapter = 0xFF;
constexpr unsigned kModeSensePauseMs = 3;
constexpr double kBytesPerMegabyte = 1048576.0;

}  // namespace

DeviceSelector::DeviceSelector(ScsiDevice& device) : device_(device) {}

AdapterListing DeviceSelector::ListAdapterEntries() {
    AdapterListing listing;
    adapterNumbers_.clear();
    listed_ = true;
    const int count = device_.GetAdapterCount();
    if (count < 0) {
        listing.statusText = "Aspi is not available";
        return listing;
    }
    listing.available = true;
    for (int h = 0; h < count; ++h) {
        char identifier[17];
        if (device_.GetAdapterIdentifier(identifier, h) != 0) continue;
        // Only the bare name: "ATAPI" padded with blanks is a different adapter.
        if (std::strcmp(identifier, "ATAPI") == 0) continue;
        // The identifier as ASPI pads it, unless the adapter has a longer name.
        std::string name = device_.GetAdapterName(h);
        std::string bare = identifier;
        while (!bare.empty() && bare.back() == ' ') bare.pop_back();
        if (name.empty() || name == bare) name = identifier;
        listing.entries.push_back(std::to_string(adapterNumbers_.size()) + " - " + name);
        listing.names.push_back(name);
        adapterNumbers_.push_back(h);
    }
    return listing;
}

AdapterListing DeviceSelector::ListAdapters(MessageSink& messages, StatusSink& status) {
    AdapterListing listing = ListAdapterEntries();
    if (listing.available) listing.devices = SelectAdapter(0, messages, status);
    return listing;
}

BYTE DeviceSelector::AdapterOf(int index) const {
    const bool known = index >= 0 && index < static_cast<int>(adapterNumbers_.size());
    return known ? static_cast<BYTE>(adapterNumbers_[static_cast<std::size_t>(index)]) : kNoAdapter;
}

DeviceListing DeviceSelector::SelectAdapter(int index, MessageSink& messages, StatusSink& status) {
    selection_.address.adapter = AdapterOf(index);
    selectedEntry_ = selection_.address.adapter == kNoAdapter ? -1 : index;
    DeviceListing listing = ListDevices(index);
    listing.selection = SelectDevice(listing.chosen, messages, status);
    return listing;
}

DeviceSelection DeviceSelector::SelectDrive(int index, int target, MessageSink& messages, StatusSink& status) {
    if (!listed_) ListAdapterEntries();
    if (index < 0) index = 0;
    selection_.address.adapter = AdapterOf(index);
    selectedEntry_ = selection_.address.adapter == kNoAdapter ? -1 : index;
    if (target < 0) {
        target = 0;
        for (int t = 0; t < kTargets; ++t)
            if (device_.GetDeviceType(selection_.address.adapter, static_cast<BYTE>(t), 0) == kSequentialAccess)
                target = t;
    }
    return SelectDevice(target, messages, status);
}

DeviceListing DeviceSelector::ListDevices(int index) {
    const BYTE adapter = AdapterOf(index);
    DeviceListing listing;
    int highestTape = -1;
    for (int t = 0; t < kTargets; ++t) {
        std::string entry = std::to_string(t) + " - ";
        DeviceEntry device;
        char text[24];
        if (device_.Inquiry(text, adapter, static_cast<BYTE>(t), 0) != 0) {
            entry += "no device";
        } else {
            const int type = device_.GetDeviceType(adapter, static_cast<BYTE>(t), 0);
            if (type == kSequentialAccess) highestTape = t;
            device.present = true;
            device.product = text;
            while (!device.product.empty() && device.product.back() == ' ') device.product.pop_back();
            device.type = DeviceTypeName(type);
            entry += std::string(text) + "   Type: " + device.type;
        }
        listing.entries.push_back(std::move(entry));
        listing.devices.push_back(std::move(device));
    }
    listing.chosen = highestTape >= 0 ? highestTape : 0;
    return listing;
}

void DeviceSelector::ShowModeSense(int result, int blockCount, int blockLength, DeviceSelection& out) {
    out.capacityMb = -1;
    out.blockBytes = -1;
    if (result != 0) {
        out.capacity = "n.a.";
        out.blockSize = "n.a.";
        return;
    }
    if (blockCount == 0) {
        out.capacity = "n.a.";
    } else {
        const double megabytes = static_cast<double>(blockCount) * static_cast<double>(blockLength) / kBytesPerMegabyte;
        out.capacityMb = static_cast<long long>(megabytes);
        out.capacity = std::to_string(out.capacityMb);
    }
    out.blockBytes = blockLength;
    out.blockSize = std::to_string(blockLength);
}

DeviceSelection DeviceSelector::SelectDevice(int index, MessageSink& messages, StatusSink& status) {
    DeviceSelection result;
    if (index < 0 || index >= kTargets) {
        result.notice = kNoTapeDeviceNotice;
        return result;
    }
    DriveSelection& s = selection_;
    DriveAddress& a = s.address;
    s.target = index;
    a.target = static_cast<BYTE>(index);

    // A drive still loading its cartridge, or waiting for a LOAD, gives no
    // block length yet; its unit attentions are taken on the way.
    if (device_.GetDeviceType(a.adapter, a.target, a.lun) == kSequentialAccess) AwaitReady(device_, a, status);
    // The first command a drive gets after a reset or cartridge change may
    // only report a unit attention, so the first answer is not trusted.
    int blockCount = 0;
    device_.ModeSense(s.mediumType, blockCount, s.blockLength, a.adapter, a.target, a.lun);
    SleepMs(kModeSensePauseMs);
    int sensed = device_.ModeSense(s.mediumType, blockCount, s.blockLength, a.adapter, a.target, a.lun);
    ShowModeSense(sensed, blockCount, s.blockLength, result);
    // Kept for a message that explains why the drive cannot be used.
    if (sensed != 0) {
        device_.KeepOutcome();
        result.failure = device_.LastFailure();
    }
    const bool unanswered = sensed != 0 && device_.Request().SRB_TargStat != STATUS_CHKCOND;

    if (s.blockLength == 0) {
        // Variable-block mode: every transfer here is in fixed blocks.
        s.blockLength = kFixedBlockLength;
        if (device_.ModeSelect(s.mediumType, blockCount, s.blockLength, a.adapter, a.target, a.lun) != 0)
            messages.ShowMessage(MessageId::ModeSelectFailed);
    }
    sensed = device_.ModeSense(s.mediumType, blockCount, s.blockLength, a.adapter, a.target, a.lun);
    ShowModeSense(sensed, blockCount, s.blockLength, result);

    s.deviceType = device_.GetDeviceType(a.adapter, a.target, 0);
    if (s.deviceType != kSequentialAccess) {
        result.outcome = SelectionOutcome::NoTapeDevice;
        result.notice = kNoTapeDeviceNotice;
    } else if (unanswered) {
        // Busy, no access to its node, or gone: nothing is known of its blocks.
        result.outcome = SelectionOutcome::NotSupported;
        result.notice = kNotReachedNotice;
    } else if (s.blockLength < 1 || s.blockLength > kMaxDriveBlockLength) {
        result.outcome = SelectionOutcome::NotSupported;
        result.notice = kNotSupportedNotice;
    } else {
        result.outcome = SelectionOutcome::Accepted;
    }

    status.ShowProgress(0, 0);
    result.status = ReadDriveStatus();
    return result;
}

DriveStatus DeviceSelector::ReadDriveStatus() {
    const DriveAddress& a = selection_.address;
    const int r = device_.TestUnitReady(a.adapter, a.target, 0);
    const bool notReady = r == SS_PENDING && device_.LastTestUnitReadyNotReady();
    const bool good = r == SS_PENDING && device_.LastTestUnitReadyGood();
    const DriveReach reach = r == SS_PENDING ? device_.LastTestUnitReadyReach() : DriveReach::Answered;
    return StatusFor(r, notReady, good, selection_.mediumType, selection_.deviceType, reach);
}

DriveStatus DeviceSelector::StatusFor(int submission, bool notReady, bool good, int mediumType, int deviceType,
                                      DriveReach reach) {
    // The submission only says the request was accepted; a drive without a
    // cartridge says so in the completion, and must not be shown as ready.
    if (submission == SS_PENDING && notReady) return {" Check device condition!", false};
    if (submission == SS_PENDING && reach == DriveReach::Busy) return {" Device busy...", false};
    if (submission == SS_PENDING && reach == DriveReach::NoAnswer) return {" The drive does not answer.", false};
    switch (submission) {
    case SS_PENDING:
        if (mediumType != 0) return {" Ready.", true};
        // Many tape drives report medium type 0 for every data cartridge; a
        // tape drive that answered the query with GOOD has its tape loaded.
        if (good && deviceType == kSequentialAccess) return {" Ready.", true};
        if (deviceType == kSequentialAccess) return {" Drive ready but no tape recognized", false};
        return {" Ready.", false};
    case SS_ABORTED:
        return {" Check device condition!", false};
    case 8:
        return {" Device busy...", false};
    case SS_NO_DEVICE:
        return {" Selected device not installed", false};
    default:
        return {" Aspi returns unknown number: " + std::to_string(submission), false};
    }
}
