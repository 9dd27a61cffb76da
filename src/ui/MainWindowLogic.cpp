#include "ui/MainWindowLogic.h"

#include <filesystem>
#include <system_error>

#include "scsi/DeviceSelector.h"
#include "ui/ControlId.h"
#include "ui/LabelText.h"
#include "ui/ListFiller.h"
#include "ui/StatusView.h"
#include "ui/TabLayout.h"

MainWindowLogic::MainWindowLogic(MessageSink& messages, DeviceSelector& selector)
    : messages_(messages), selector_(selector) {
    ShowDeviceState(TabAreaState::Starting, kStartingNotice);
}

bool MainWindowLogic::Initialise(std::uint32_t seed) {
    bool ok = true;
    std::error_code error;
    const auto start = std::filesystem::current_path(error);
    if (error) {
        ok = false;
    } else {
        state_.startDirectory = start.string();
    }
    std::filesystem::current_path("/", error);
    if (error) ok = false;
    const auto browse = std::filesystem::current_path(error);
    state_.browseDirectory = error ? std::string("/") : browse.string();
    state_.currentDirFilePath.clear();
    state_.currentTapeName.clear();
    clicks_.Seed(seed);

    state_.tab = kBackupTab;
    ShowDeviceState(TabAreaState::Starting, kStartingNotice);
    counters_ = ByteCounters{};
    state_.byteLabel.clear();
    ListAdapters();
    return ok;
}

void MainWindowLogic::ListAdapters() {
    const AdapterListing listing = selector_.ListAdapters(messages_, *this);
    if (!listing.available) {
        state_.statusText = listing.statusText;
        return;
    }
    state_.adapterEntries = listing.entries;
    state_.adapterIndex = listing.entries.empty() ? -1 : 0;
    ApplyDevices(listing.devices);
}

void MainWindowLogic::ChooseAdapter(int index) {
    if (index < 0 || index >= static_cast<int>(state_.adapterEntries.size())) return;
    state_.adapterIndex = index;
    ApplyDevices(selector_.SelectAdapter(index, messages_, *this));
}

void MainWindowLogic::ChooseDevice(int index) {
    if (index < 0 || index >= static_cast<int>(state_.deviceEntries.size())) return;
    state_.deviceIndex = index;
    ApplySelection(selector_.SelectDevice(index, messages_, *this));
}

void MainWindowLogic::ApplyDevices(const DeviceListing& listing) {
    state_.deviceEntries = listing.entries;
    state_.deviceIndex = listing.chosen;
    ApplySelection(listing.selection);
}

void MainWindowLogic::ApplySelection(const DeviceSelection& selection) {
    state_.capacity = selection.capacity;
    state_.blockSize = selection.blockSize;
    switch (selection.outcome) {
    case SelectionOutcome::Accepted:
        state_.area = TabAreaState::Ready;
        LayoutTab();
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
    ShowProgress(0, 0);
    ApplyDriveStatus(selection.status);
}

void MainWindowLogic::ShowDriveStatus() { ApplyDriveStatus(selector_.ReadDriveStatus()); }

void MainWindowLogic::ApplyDriveStatus(const DriveStatus& status) {
    state_.statusText = status.text;
    if (!status.enableTapeButtons) return;
    for (int id : {kStart, kFormatTape, kLeftDirTape, kRightDirTape}) state_.Enable(id, true);
}

void MainWindowLogic::ChooseTab(int tab) {
    if (state_.area != TabAreaState::Ready || tab < 0 || tab >= kTabCount) return;
    state_.tab = tab;
    LayoutTab();
}

void MainWindowLogic::LayoutTab() {
    ShowProgress(0, 0);
    counters_.bytesTotal = 0;

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
        FillList(state_.leftList, static_cast<int>(layout.leftRole), true);
    }
    state_.rightList.ClearRows();
    state_.rightList.SetColumns(layout.rightColumns);
    FillList(state_.rightList, static_cast<int>(layout.rightRole), false);

    if (state_.tab == kUtilitiesTab) {
        state_.byteLabel.clear();
        if (view_) view_->ProgressChanged();
    } else {
        ShowProgress(0, counters_.bytesTotal);
    }
}

void MainWindowLogic::FillList(ListModel& list, int role, bool left) {
    std::string& label = left ? state_.leftLabel : state_.rightLabel;
    if (!left) state_.shownCatalog.clear();
    switch (static_cast<ListRole>(role)) {
    case ListRole::Hidden:
        break;
    case ListRole::DriveBrowser:
        if (filler_) {
            filler_->Fill(list, state_.browseDirectory, "*.*");
            state_.browseDirectory = filler_->CurrentPath();
        }
        label = LabelText::BrowsePath(state_.browseDirectory);
        break;
    case ListRole::TapeDirectory:
        label = "Tape:";
        if (!state_.currentDirFilePath.empty()) {
            label = LabelText::TapeLabel(state_.currentTapeName, left ? LabelText::kLeftTapeLabelLimit
                                                                      : LabelText::kRightTapeLabelLimit);
            if (filler_) filler_->ListDirFile(list, state_.currentDirFilePath, false);
        }
        break;
    case ListRole::DirectoryFiles:
        label = "Tape Directory Files:";
        if (filler_) filler_->Fill(list, state_.startDirectory, "*.twd");
        break;
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

void MainWindowLogic::ShowStatus(const std::string& text) {
    state_.statusText = text;
    if (view_) view_->StatusChanged();
}

void MainWindowLogic::ShowProgress(std::int64_t done, std::int64_t total) {
    state_.progress = ProgressScale::For(done, total);
    state_.byteLabel = state_.progress.Label();
    if (view_) view_->ProgressChanged();
}
