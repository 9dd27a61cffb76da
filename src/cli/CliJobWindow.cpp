#include "cli/CliJobWindow.h"

#include "lists/MarkedRows.h"
#include "scsi/DeviceSelector.h"

CliJobWindow::CliJobWindow(DeviceSelector& selector, StatusSink& status) : selector_(selector), status_(status) {}

void CliJobWindow::SetFolder(std::string folder) {
    if (folder.empty() || folder.back() != '/') folder += '/';
    folder_ = std::move(folder);
}

int CliJobWindow::RowCount() { return static_cast<int>(left_.RowCount()); }

int CliJobWindow::CountMarked(int image) { return MarkedRows::Count(left_, image); }

void CliJobWindow::NthMarkedName(int image, int k, std::string& name) { MarkedRows::NthName(left_, image, k, name); }

int CliJobWindow::IsMarkedAt(int image, int row) {
    const int marked = MarkedRows::IsMarkedAt(left_, image, row);
    if (marked == 1) lastMarkedRow_ = row;
    return marked;
}

void CliJobWindow::ShowDriveStatus() {
    if (driveSelected_) status_.ShowStatus(selector_.ReadDriveStatus().text);
}
