// Choosing an adapter and a drive, the selection outcome and the drive
// status, through the ASPI stand-in with scripted adapters.

#include <string>
#include <vector>

#include "ScsiFixture.h"
#include "scsi/DeviceSelector.h"
#include "support/RecordingStatus.h"
#include "support/ScriptedMessages.h"

namespace {

const std::string kVendor = "ACME    STREAMER 4000  ";  // 23 characters

class Selector : public ScsiFixture {
protected:
    // One adapter; `tapes` are tape drives, `disks` disks.
    void Adapter(const std::vector<int>& tapes, const std::vector<int>& disks = {}) {
        InstallAdapters({"SCSI HBA"});
        for (int t : tapes) {
            adapter().Model(t).type = 1;
            adapter().Model(t).vendorProduct = kVendor;
        }
        for (int t : disks) adapter().Model(t).type = 0;
    }

    std::vector<int> OpcodesTo(int target) {
        std::vector<int> result;
        for (const auto& c : adapter().commands)
            if (c.target == target) result.push_back(c.cdb[0]);
        return result;
    }

    ScsiDevice device;
    DeviceSelector selector{device};
    ScriptedMessages messages;
    RecordingStatus status;
};

TEST_F(Selector, HighestOfTwoTapeDrivesIsChosen) {
    Adapter({2, 5});
    const AdapterListing listing = selector.ListAdapters(messages, status);
    EXPECT_EQ(listing.devices.chosen, 5);
    EXPECT_EQ(selector.Selection().target, 5);
    EXPECT_EQ(selector.Address().target, 5);
    EXPECT_EQ(listing.devices.selection.outcome, SelectionOutcome::Accepted);
    EXPECT_EQ(listing.devices.selection.notice, "");
}

TEST_F(Selector, DeviceEntriesNameEveryTargetInOrder) {
    Adapter({2}, {0});
    adapter().Model(0).vendorProduct = "DISKCO  BIG DISK 1.0   ";
    adapter().Model(6).type = 5;
    adapter().Model(6).vendorProduct = "SHINY   CD DRIVE       ";
    adapter().Model(7).type = 12;
    adapter().Model(7).vendorProduct = "ODD     THING          ";
    const DeviceListing listing = selector.ListAdapters(messages, status).devices;
    EXPECT_EQ(listing.entries, (std::vector<std::string>{
                                   "0 - DISKCO  BIG DISK 1.0      Type: Disk",
                                   "1 - no device",
                                   "2 - ACME    STREAMER 4000     Type: Tape",
                                   "3 - no device",
                                   "4 - no device",
                                   "5 - no device",
                                   "6 - SHINY   CD DRIVE          Type: CD-ROM",
                                   "7 - ODD     THING             Type: ",
                               }));
}

TEST_F(Selector, DeviceAnsweringInquiryButRefusingCheckConditionStillListed) {
    Adapter({3});
    adapter().Script(3, 0x12, Reply::Check(6, 0x29));
    const DeviceListing listing = selector.ListAdapters(messages, status).devices;
    EXPECT_EQ(listing.entries[3], "3 - no device");
    EXPECT_EQ(listing.chosen, 0);
}

TEST_F(Selector, NoTapeDriveChoosesEntryZeroWithNotice) {
    Adapter({}, {1, 3});
    const DeviceListing listing = selector.ListAdapters(messages, status).devices;
    EXPECT_EQ(listing.chosen, 0);
    EXPECT_EQ(selector.Selection().target, 0);
    EXPECT_EQ(listing.selection.outcome, SelectionOutcome::NoTapeDevice);
    EXPECT_EQ(listing.selection.notice, "- no tape device selected -");
}

TEST_F(Selector, VariableBlockDriveIsSwitchedTo1024) {
    Adapter({4});
    adapter().Model(4).blockLength = 0;
    adapter().Model(4).blockCount = 1000;
    const DeviceSelection s = selector.ListAdapters(messages, status).devices.selection;
    EXPECT_EQ(OpcodesTo(4), (std::vector<int>{0x12, 0x00, 0x1A, 0x1A, 0x15, 0x1A, 0x00}));
    EXPECT_EQ(adapter().Model(4).blockLength, 1024);
    EXPECT_EQ(s.blockSize, "1024");
    EXPECT_EQ(s.outcome, SelectionOutcome::Accepted);
    EXPECT_EQ(selector.Selection().blockLength, 1024);
    EXPECT_EQ(Pauses(3), 1);
    EXPECT_TRUE(messages.shown.empty());
}

TEST_F(Selector, RefusedModeSelectIsShownAndTheDriveJudgedByWhatItUses) {
    Adapter({4});
    adapter().Model(4).blockLength = 0;
    adapter().Script(4, 0x15, Reply::Check(5, 0x26));
    const DeviceSelection s = selector.ListAdapters(messages, status).devices.selection;
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error: ModeSelect failed", Error}}));
    EXPECT_EQ(s.blockSize, "0");
    EXPECT_EQ(s.outcome, SelectionOutcome::NotSupported);
    EXPECT_EQ(s.notice, "- device not supported, must have block size >0 and <2048 -");
}

TEST_F(Selector, SelectionEndsWithProgressResetAndStatus) {
    Adapter({4});
    const DeviceSelection s = selector.ListAdapters(messages, status).devices.selection;
    EXPECT_EQ(status.progress, (std::vector<std::pair<std::int64_t, std::int64_t>>{{0, 0}}));
    EXPECT_EQ(s.status.text, " Ready.");
    EXPECT_TRUE(status.statuses.empty());
}

struct BlockLengthCase {
    const char* name;
    int blockLength;
    int blockCount;
    bool modeSenseFails;
    SelectionOutcome outcome;
    const char* capacity;
    const char* blockSize;
};

class SelectorBlockLength : public Selector, public ::testing::WithParamInterface<BlockLengthCase> {};

TEST_P(SelectorBlockLength, DecidesOutcomeAndFields) {
    const BlockLengthCase& c = GetParam();
    Adapter({1});
    adapter().Model(1).blockLength = c.blockLength;
    adapter().Model(1).blockCount = c.blockCount;
    if (c.modeSenseFails)
        for (int i = 0; i < 3; ++i) adapter().Script(1, 0x1A, Reply::Check(2, 0x3A));
    const DeviceSelection s = selector.ListAdapters(messages, status).devices.selection;
    EXPECT_EQ(s.outcome, c.outcome);
    EXPECT_EQ(s.capacity, c.capacity);
    EXPECT_EQ(s.blockSize, c.blockSize);
    if (c.outcome == SelectionOutcome::NotSupported)
        EXPECT_EQ(s.notice, "- device not supported, must have block size >0 and <2048 -");
    else
        EXPECT_EQ(s.notice, "");
    // Nothing but a variable-block drive is switched.
    EXPECT_EQ(adapter().Model(1).blockLength, c.blockLength);
}

INSTANTIATE_TEST_SUITE_P(
    Lengths, SelectorBlockLength,
    ::testing::Values(
        BlockLengthCase{"One", 1, 10, false, SelectionOutcome::Accepted, "0", "1"},
        BlockLengthCase{"Capacity976", 512, 2000000, false, SelectionOutcome::Accepted, "976", "512"},
        BlockLengthCase{"Largest2048", 2048, 1048576, false, SelectionOutcome::Accepted, "2048", "2048"},
        BlockLengthCase{"Refused2049", 2049, 0, false, SelectionOutcome::NotSupported, "n.a.", "2049"},
        BlockLengthCase{"Refused4096", 4096, 100, false, SelectionOutcome::NotSupported, "0", "4096"},
        BlockLengthCase{"NoBlockCount", 1024, 0, false, SelectionOutcome::Accepted, "n.a.", "1024"},
        BlockLengthCase{"CapacityBeyond32Bits", 0xFFFFFF, 0xFFFFFF, false, SelectionOutcome::NotSupported,
                        "268435424", "16777215"},
        BlockLengthCase{"NoModeSense", 512, 100, true, SelectionOutcome::NotSupported, "n.a.", "n.a."}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- adapters -------------------------------------------------------------

TEST_F(Selector, OnlyTheBareAtapiNameIsLeftOut) {
    InstallAdapters({std::string("ATAPI\0", 6), "ATAPI", "SCSI HBA"});
    const AdapterListing listing = selector.ListAdapters(messages, status);
    EXPECT_TRUE(listing.available);
    EXPECT_EQ(listing.entries, (std::vector<std::string>{"0 - ATAPI           ", "1 - SCSI HBA        "}));
}

TEST_F(Selector, SixteenCharacterIdentifierIsListedWhole) {
    InstallAdapters({"ABCDEFGHIJKLMNOP"});
    EXPECT_EQ(selector.ListAdapters(messages, status).entries, (std::vector<std::string>{"0 - ABCDEFGHIJKLMNOP"}));
}

TEST_F(Selector, EntryAfterALeftOutAdapterAddressesTheRightAdapter) {
    InstallAdapters({std::string("ATAPI\0", 6), "SCSI HBA"});
    adapter(0).Model(1).type = 1;
    adapter(1).Model(6).type = 1;
    const AdapterListing listing = selector.ListAdapters(messages, status);
    EXPECT_EQ(listing.entries, (std::vector<std::string>{"0 - SCSI HBA        "}));
    EXPECT_EQ(selector.Address().adapter, 1);
    EXPECT_EQ(listing.devices.chosen, 6);
    EXPECT_TRUE(adapter(0).commands.empty());
    EXPECT_FALSE(adapter(1).commands.empty());
}

TEST_F(Selector, NoQualifyingAdapterLeavesEmptyListsAndNoTapeNotice) {
    InstallAdapters({std::string("ATAPI\0", 6)});
    adapter().Model(0).type = 1;
    const AdapterListing listing = selector.ListAdapters(messages, status);
    EXPECT_TRUE(listing.available);
    EXPECT_TRUE(listing.entries.empty());
    ASSERT_EQ(listing.devices.entries.size(), 8u);
    for (int t = 0; t < 8; ++t) EXPECT_EQ(listing.devices.entries[t], std::to_string(t) + " - no device");
    EXPECT_EQ(listing.devices.selection.outcome, SelectionOutcome::NoTapeDevice);
    EXPECT_EQ(listing.devices.selection.notice, "- no tape device selected -");
    EXPECT_TRUE(adapter().commands.empty());
}

TEST_F(Selector, NoAdaptersAtAll) {
    InstallAdapters({});
    const AdapterListing listing = selector.ListAdapters(messages, status);
    EXPECT_TRUE(listing.available);
    EXPECT_TRUE(listing.entries.empty());
    EXPECT_EQ(listing.devices.entries.size(), 8u);
    EXPECT_EQ(listing.devices.selection.outcome, SelectionOutcome::NoTapeDevice);
    EXPECT_EQ(listing.devices.selection.status.text, " Aspi returns unknown number: 129");
}

TEST_F(Selector, EntriesAreNumberedInDecimalPastNine) {
    std::vector<std::string> names;
    for (int n = 0; n < 12; ++n) names.push_back("HBA " + std::to_string(n));
    InstallAdapters(names);
    const AdapterListing listing = selector.ListAdapterEntries();
    ASSERT_EQ(listing.entries.size(), 12u);
    EXPECT_EQ(listing.entries[9].substr(0, 4), "9 - ");
    EXPECT_EQ(listing.entries[10].substr(0, 5), "10 - ");
    EXPECT_EQ(listing.entries[11].substr(0, 5), "11 - ");
    EXPECT_TRUE(adapter(0).commands.empty());
}

// With an adapter and a target named, the drives of other adapters and
// the other targets of that adapter get nothing, not even an INQUIRY.
TEST_F(Selector, NamedDriveIsTheOnlyOneAsked) {
    InstallAdapters({"FIRST", "SECOND"});
    adapter(0).Model(2).type = 1;
    adapter(0).Model(0).blockLength = 0;  // would be switched to fixed blocks
    adapter(1).Model(3).type = 1;
    adapter(1).Model(5).type = 1;
    const DeviceSelection s = selector.SelectDrive(1, 3, messages, status);
    EXPECT_EQ(s.outcome, SelectionOutcome::Accepted);
    EXPECT_EQ(selector.Address().adapter, 1);
    EXPECT_EQ(selector.Address().target, 3);
    EXPECT_EQ(selector.SelectedEntry(), 1);
    EXPECT_TRUE(adapter(0).commands.empty());
    for (const auto& c : adapter(1).commands) EXPECT_EQ(c.target, 3) << "opcode " << int(c.cdb[0]);
}

TEST_F(Selector, NamedAdapterAloneChoosesItsHighestTapeDriveByType) {
    InstallAdapters({"FIRST", "SECOND"});
    adapter(0).Model(2).type = 1;
    adapter(1).Model(3).type = 1;
    adapter(1).Model(5).type = 1;
    selector.SelectDrive(1, -1, messages, status);
    EXPECT_EQ(selector.Address().target, 5);
    EXPECT_TRUE(adapter(0).commands.empty());
    for (const auto& c : adapter(1).commands) EXPECT_EQ(c.target, 5);
}

TEST_F(Selector, DriveThatIsNotReachedIsNotCalledUnsupported) {
    Adapter({4});
    adapter().Script(4, 0x1A, Reply::Transport(SS_ERR));
    adapter().Script(4, 0x1A, Reply::Transport(SS_ERR));
    adapter().Script(4, 0x1A, Reply::Transport(SS_ERR));
    // The wait for readiness, then the status query.
    adapter().Script(4, 0x00, Reply::Transport(SS_ERR));
    adapter().Script(4, 0x00, Reply::Transport(SS_ERR));
    const DeviceSelection s = selector.SelectDevice(4, messages, status);
    EXPECT_EQ(s.outcome, SelectionOutcome::NotSupported);
    EXPECT_EQ(s.notice, "- the selected drive cannot be reached -");
    EXPECT_EQ(s.status.text, " The drive does not answer.");
    EXPECT_EQ(s.failure.opcode, 0x1A) << "kept for the message that says why";
    EXPECT_EQ(s.failure.hostStatus, HASTAT_TIMEOUT);
}

TEST_F(Selector, DriveHeldByAnotherProgramIsBusy) {
    Adapter({4});
    Reply busy;
    busy.kind = Reply::Kind::TargetStatus;
    busy.targetStatus = STATUS_BUSY;
    for (int i = 0; i < 3; ++i) adapter().Script(4, 0x1A, busy);
    adapter().Script(4, 0x00, busy);
    adapter().Script(4, 0x00, busy);
    const DeviceSelection s = selector.SelectDevice(4, messages, status);
    EXPECT_EQ(s.notice, "- the selected drive cannot be reached -");
    EXPECT_EQ(s.status.text, " Device busy...");
    EXPECT_EQ(s.failure.targetStatus, STATUS_BUSY);
}

TEST_F(Selector, ChoosingAnotherAdapterEntryRescans) {
    InstallAdapters({"FIRST", "SECOND"});
    adapter(0).Model(2).type = 1;
    adapter(1).Model(3).type = 1;
    selector.ListAdapters(messages, status);
    EXPECT_EQ(selector.Address().adapter, 0);
    const DeviceListing second = selector.SelectAdapter(1, messages, status);
    EXPECT_EQ(selector.Address().adapter, 1);
    EXPECT_EQ(second.chosen, 3);
}

TEST_F(Selector, DeviceIndexOutsideTheListSendsNothing) {
    Adapter({4});
    const DeviceSelection s = selector.SelectDevice(8, messages, status);
    EXPECT_EQ(s.outcome, SelectionOutcome::NoTapeDevice);
    EXPECT_TRUE(adapter().commands.empty());
    EXPECT_EQ(selector.Selection().target, -1);
}

// ---- drive status ---------------------------------------------------------

TEST_F(Selector, ChosenEmptyTargetIsNotInstalled) {
    Adapter({4});
    EXPECT_EQ(selector.SelectDevice(5, messages, status).status.text, " Selected device not installed");
}

TEST_F(Selector, DriveWithoutCartridgeIsNotShownReady) {
    Adapter({4});
    adapter().Model(4).mediumType = 0x40;
    selector.ListAdapters(messages, status).devices;
    adapter().Script(4, 0x00, Reply::Check(2, 0x3A).Deferred(2));
    const DriveStatus s = selector.ReadDriveStatus();
    EXPECT_EQ(s.text, " Check device condition!");
    EXPECT_FALSE(s.enableTapeButtons);
}

TEST_F(Selector, StatusUsesTheMediumTypeOfTheLastSelection) {
    Adapter({4});
    adapter().Model(4).mediumType = 0;
    selector.ListAdapters(messages, status).devices;
    adapter().Model(4).mediumType = 0x40;  // not asked again
    adapter().Script(4, 0x00, Reply::Check(6, 0x28));
    EXPECT_EQ(selector.ReadDriveStatus().text, " Drive ready but no tape recognized");
}

TEST_F(Selector, TapeDriveReportingMediumTypeZeroIsReadyWhenItsQueryCompletesGood) {
    Adapter({4});
    adapter().Model(4).mediumType = 0;
    selector.ListAdapters(messages, status).devices;
    const DriveStatus s = selector.ReadDriveStatus();
    EXPECT_EQ(s.text, " Ready.");
    EXPECT_TRUE(s.enableTapeButtons);
}

struct StatusCase {
    const char* name;
    int submission;
    bool notReady;
    bool good;
    int mediumType;
    int deviceType;
    const char* text;
    bool enable;
};

class StatusText : public ::testing::TestWithParam<StatusCase> {};

TEST_P(StatusText, MapsTheSubmissionValue) {
    const StatusCase& c = GetParam();
    const DriveStatus s = DeviceSelector::StatusFor(c.submission, c.notReady, c.good, c.mediumType, c.deviceType);
    EXPECT_EQ(s.text, c.text);
    EXPECT_EQ(s.enableTapeButtons, c.enable);
}

INSTANTIATE_TEST_SUITE_P(
    EveryText, StatusText,
    ::testing::Values(StatusCase{"ReadyWithTape", 0, false, false, 0x40, 1, " Ready.", true},
                      StatusCase{"ReadyNoTape", 0, false, false, 0, 1, " Drive ready but no tape recognized", false},
                      StatusCase{"ReadyMediumTypeZeroGood", 0, false, true, 0, 1, " Ready.", true},
                      StatusCase{"ReadyNotTapeDeviceGood", 0, false, true, 0, 0, " Ready.", false},
                      StatusCase{"ReadyNotTapeDevice", 0, false, false, 0, 0, " Ready.", false},
                      StatusCase{"NotReadyCompletion", 0, true, false, 0x40, 1, " Check device condition!", false},
                      StatusCase{"Aborted", 2, false, false, 0x40, 1, " Check device condition!", false},
                      StatusCase{"Busy", 8, false, false, 0x40, 1, " Device busy...", false},
                      StatusCase{"NotInstalled", 130, false, false, 0x40, 1, " Selected device not installed", false},
                      StatusCase{"InvalidAdapter", 129, false, false, 0x40, 1, " Aspi returns unknown number: 129", false},
                      StatusCase{"Completed", 1, false, false, 0x40, 1, " Aspi returns unknown number: 1", false},
                      StatusCase{"Error", 4, true, false, 0x40, 1, " Aspi returns unknown number: 4", false}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
