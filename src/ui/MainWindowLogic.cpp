#include "ui/MainWindowLogic.h"

#include "app/Session.h"
#include "ui/ControlId.h"
#include "ui/DriveStatusLine.h"
#include "ui/TabLayout.h"
#include "ui/WindowState.h"
#include "ui/WindowStatus.h"

MainWindowLogic::MainWindowLogic(WindowState& state, WindowStatus& status, DriveStatusLine& driveStatus,
                                 Session& session)
    : state_(state), status_(status), driveStatus_(driveStatus), session_(session) {
    ShowDeviceState(TabAreaState::Starting, kStartingNotice);
}

bool MainWindowLogic::Start() {
    state_.tab = kBackupTab;
    ShowDeviceState(TabAreaState::Starting, kStartingNotice);
    session_.Counters() = ByteCounters{};
    state_.byteLabel.clear();

    const AdapterListing listing = session_.ListAdapters();
    if (!listing.available) {
        state_.statusText = listing.statusText;
        return false;
    }
    state_.adapterEntries = listing.entries;
    state_.adapterIndex = listing.entries.empty() ? -1 : 0;
    return ApplyDevices(listing.devices);
}

bool MainWindowLogic::ChooseAdapter(int index) {
    if (index < 0 || index >= static_cast<int>(state_.adapterEntries.size())) return false;
    state_.adapterIndex = index;
    return ApplyDevices(session_.Selector().SelectAdapter(index, session_.Messages(), status_));
}

bool MainWindowLogic::ChooseDevice(int index) {
    if (index < 0 || index >= static_cast<int>(state_.deviceEntries.size())) return false;
    state_.deviceIndex = index;
    return ApplySelection(session_.Selector().SelectDevice(index, session_.Messages(), status_));
}

bool MainWindowLogic::ApplyDevices(const DeviceListing& listing) {
    state_.deviceEntries = listing.entries;
    state_.deviceIndex = listing.chosen;
    return ApplySelection(listing.selection);
}

bool MainWindowLogic::ApplySelection(const DeviceSelection& selection) {
    state_.capacity = selection.capacity;
    state_.blockSize = selection.blockSize;
    bool laidOut = false;
    switch (selection.outcome) {
    case SelectionOutcome::Accepted:
        state_.area = TabAreaState::Ready;
        LayoutTab();
        laidOut = true;
        break;
    case SelectionOutcome::NotSupported:
        ShowDeviceState(TabAreaState::NotSupported, selection.notice);
        break;
    case SelectionOutcome::NoTapeDevice:
        ShowDeviceState(TabAreaState::NoTapeDevice, selection.notice);
        break;
    }
    // The selector reset the progress before the tab was laid out; the
    // display ends as a fresh selection leaves it, on every tab.
    status_.ShowProgress(0, 0);
    driveStatus_.Apply(selection.status);
    return laidOut;
}

bool MainWindowLogic::ChooseTab(int tab) {
    if (state_.area != TabAreaState::Ready || tab < 0 || tab >= kTabCount) return false;
    state_.tab = tab;
    LayoutTab();
    return true;
}

void MainWindowLogic::LayoutTab() {
    ByteCounters& counters = session_.Counters();
    status_.ShowProgress(0, 0);
    counters.bytesTotal = 0;

    const TabLayout& layout = TabLayout::For(state_.tab);
    for (int id : TabLayout::AreaControls()) state_.Show(id, layout.Shows(id));
    state_.Show(kDeviceStateLabel, false);
    state_.Enable(kTabControl, true);
    state_.defaultButton = layout.defaultButton;

    if (layout.leftRole == ListRole::Hidden) {
        // The left list is out of sight on this tab; only its fourth column
        // goes, as it always did.
        auto columns = state_.leftList.Columns();
        if (columns.size() > 3) {
            columns.resize(3);
            state_.leftList.SetColumns(std::move(columns));
        }
    } else {
        state_.leftList.ClearRows();
        state_.leftList.SetColumns(layout.leftColumns);
    }
    state_.rightList.ClearRows();
    state_.rightList.SetColumns(layout.rightColumns);

    if (state_.tab == kUtilitiesTab) {
        state_.byteLabel.clear();
        status_.RepaintProgress();
    } else {
        status_.ShowProgress(0, counters.bytesTotal);
    }
}

void MainWindowLogic::ShowDeviceState(TabAreaState area, const std::string& text) {
    state_.area = area;
    state_.notice = text;
    for (int id : TabLayout::AreaControls()) state_.Show(id, false);
    state_.Show(kDeviceStateLabel, true);
    state_.Enable(kTabControl, false);
    state_.defaultButton = DefaultButtonFor(area, state_.tab);
}

int MainWindowLogic::DefaultButtonFor(TabAreaState area, int tab) {
    switch (area) {
    case TabAreaState::Starting:
        return kAbout;
    case TabAreaState::NoTapeDevice:
    case TabAreaState::NotSupported:
        return kDeviceCombo;
    case TabAreaState::Ready:
        break;
    }
    return TabLayout::For(tab).defaultButton;
}
