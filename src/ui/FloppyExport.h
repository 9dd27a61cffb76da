#pragma once
// "Export Directory File to Floppy": copies directory files from the start
// directory into the floppy folder. When the Utilities list shows the
// contents of one directory file (its label reads "Contents of tape '" + name
// + "':"), that file is copied; otherwise every selected row of the list of
// directory files, in list order, up to the first error. A successful export
// shows no message of its own; the drive's state ends in the status line.

#include <string>

#include "jobs/JobResult.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"

class DirFileCopy;
class ListModel;
class MaintenanceHost;

class FloppyExport {
public:
    FloppyExport(MessageSink& messages, StatusSink& status, DirFileCopy& copy);

    // rightLabel and rightList: the Utilities tab's right list as the user
    // left it; host: the drive's state at the end. Done when every file
    // meant was copied.
    JobResult Run(const std::string& rightLabel, const ListModel& rightList, MaintenanceHost& host);

private:
    // false when the export is to end: an error was shown.
    bool Export(const std::string& name);

    MessageSink& messages_;
    StatusSink& status_;
    DirFileCopy& copy_;
};
