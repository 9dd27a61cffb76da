#include "cli/CliJobWindow.h"

#include "scsi/DeviceSelector.h"
#include "ui/DriveBrowser.h"

CliJobWindow::CliJobWindow(DeviceSelector& selector, StatusSink& status) : selector_(selector), status_(status) {}

void CliJobWindow::SetFolder(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    folder_ = std::move(folder);
}

int CliJobWindow::RowCount() { return static_cast<int>(left_.RowCount()); }

int CliJobWindow::CountMarked(int image) { return DriveBrowser::CountMarked(left_, image); }

void CliJobWindow::NthMarkedName(int image, int k, std::string& name) {
    // Assigned into the caller's buffer, which the jobs keep reserved.
    int seen = 0;
    for (const ListRow& row : left_.Rows()) {
        if (row.image == image && ++seen == k) {
            name.assign(row.Text(0));
            return;
        }
    }
    name.clear();
}

int CliJobWindow::IsMarkedAt(int image, int row) { return DriveBrowser::IsMarkedAt(left_, image, row); }

void CliJobWindow::ShowDriveStatus() {
    if (driveSelected_) status_.ShowStatus(selector_.ReadDriveStatus().text);
}
