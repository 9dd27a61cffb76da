#pragma once
// How the user comes to a drive, without a toolkit: lists the host adapters
// and the devices on one, sets up the chosen device (a variable-block tape
// drive is switched to 1024-byte blocks) and decides whether the tape
// functions may be used; reads the drive's state for the status line. Holds
// the drive selection state; every request goes through the ScsiDevice it
// is given. The window only shows the results.

#include <vector>

#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DeviceSelection.h"
#include "scsi/DriveSelection.h"
#include "scsi/ScsiDevice.h"

class DeviceSelector {
public:
    explicit DeviceSelector(ScsiDevice& device);

    // Lists the adapters (leaving out those called exactly "ATAPI"), then
    // chooses the first entry as SelectAdapter does.
    AdapterListing ListAdapters(MessageSink& messages, StatusSink& status);
    // Only the adapter entries ("12 - name"): no drive gets a command.
    AdapterListing ListAdapterEntries();
    // Chooses entry `index` of the last adapter listing (an index without an
    // entry addresses no adapter), lists its eight targets and chooses the
    // highest tape drive, or entry 0 when there is none.
    DeviceListing SelectAdapter(int index, MessageSink& messages, StatusSink& status);
    // The eight targets of entry `index` and the one SelectAdapter would
    // choose, asking each for its INQUIRY data only; the selection stays.
    DeviceListing ListDevices(int index);
    // Chooses entry `index` (-1: the first) and target `target` (-1: its
    // highest tape drive, by device type) and sets that drive up, as
    // SelectDevice does; no other drive gets a command. Lists the adapter
    // entries first when there is no listing yet.
    DeviceSelection SelectDrive(int index, int target, MessageSink& messages, StatusSink& status);
    // The adapter entry of the selection, -1 when none is chosen.
    int SelectedEntry() const { return selectedEntry_; }
    // Chooses target `index` (0 to 7; anything else is no tape device and
    // sends nothing). A failed block length switch is shown through
    // `messages`; ends with ShowProgress(0, 0) and the drive status.
    DeviceSelection SelectDevice(int index, MessageSink& messages, StatusSink& status);
    // The drive's state, from a status query of the selected drive.
    DriveStatus ReadDriveStatus();
    // The status line for what the status query's submission returned and
    // whether its completion said NOT READY.
    // reach: whether the drive answered the query at all.
    static DriveStatus StatusFor(int submission, bool notReady, bool good, int mediumType, int deviceType,
                                 DriveReach reach = DriveReach::Answered);

    const DriveSelection& Selection() const { return selection_; }
    // Lives as long as this object; a new selection shows through it at once.
    const DriveAddress& Address() const { return selection_.address; }

private:
    // Capacity and block size fields from a mode sense result.
    static void ShowModeSense(int result, int blockCount, int blockLength, DeviceSelection& out);

    ScsiDevice& device_;
    DriveSelection selection_;
    BYTE AdapterOf(int index) const;

    std::vector<int> adapterNumbers_;  // adapter number of each adapter entry
    bool listed_ = false;
    int selectedEntry_ = -1;
};
