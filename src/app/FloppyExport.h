#pragma once
// "Export Directory File to Floppy": copies directory files from the start
// directory into the floppy folder, in order, up to the first error. A
// successful export shows no message of its own; the drive's state ends in
// the status line.

#include <string>
#include <vector>

#include "jobs/JobResult.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"

class DirFileCopy;
class ListModel;
class MaintenanceHost;

class FloppyExport {
public:
    FloppyExport(MessageSink& messages, StatusSink& status, DirFileCopy& copy);

    // The Utilities tab's list as the user left it: while it shows the
    // entries of one directory file (shownCatalog, its tape name), that file;
    // otherwise (shownCatalog empty) every selected row of the list of
    // directory files, in list order. host: the drive's state at the end.
    // Done when every file meant was copied; Declined when the user kept
    // a file on the floppy rather than replace it.
    JobResult Run(const std::string& shownCatalog, const ListModel& list, MaintenanceHost& host);
    // The directory files of these tapes; "No Directory File selected" for
    // none.
    JobResult ExportCatalogs(const std::vector<std::string>& tapeNames, MaintenanceHost& host);
    // The file names ("NAME.twd") the last run copied, in order.
    const std::vector<std::string>& Copied() const { return copied_; }

private:
    // The kCopy* result; an error has been shown for the failures.
    int Export(const std::string& name);

    MessageSink& messages_;
    StatusSink& status_;
    DirFileCopy& copy_;
    std::vector<std::string> copied_;
};
