#pragma once
// The main window's long-lived working objects and the commands its buttons
// and lists run, without a toolkit: the catalog object (DirFile), the tape
// in the drive (TapeVolume), the hard-drive browser, the catalog listing,
// "Dir Tape", format / check / eject and the list handlers. Fills the
// window's lists for the tab layout (ListFiller). Later commands (rebuild,
// floppy copies, the jobs) use Catalog(), Tape(), Browser() and Lister().

#include <string>

#include "catalog/DirFile.h"
#include "jobs/MaintenanceHost.h"
#include "jobs/TapeMaintenance.h"
#include "report/MessageSink.h"
#include "scsi/DriveAddress.h"
#include "tape/TapeVolume.h"
#include "catalog/DirFileLister.h"
#include "ui/DirTapeCommand.h"
#include "app/DriveBrowser.h"
#include "ui/ListFiller.h"
#include "ui/ListHandlers.h"

class MainWindowLogic;
class ScsiDevice;

class WindowCommands : public ListFiller, public MaintenanceHost {
public:
    // messages: the window's message dialog (also the tape's and the
    // catalog's); browserMessages: the browser's own. drive: the selected
    // drive (DeviceSelector::Address()); device: the window's ScsiDevice,
    // which ejects. All must outlive this object.
    WindowCommands(MainWindowLogic& window, MessageSink& messages, MessageSink& browserMessages,
                   const DriveAddress& drive, ScsiDevice& device, std::string mountsFile = "/proc/self/mounts");

    DirFile& Catalog() { return dirFile_; }
    TapeVolume& Tape() { return tape_; }
    DriveBrowser& Browser() { return browser_; }
    DirFileLister& Lister() { return lister_; }
    ListHandlers& Lists() { return lists_; }

    void DirTapeLeft() { dirTape_.Run(true); }
    void DirTapeRight() { dirTape_.Run(false); }
    // newName: the text of the field "Name of new tape:".
    void FormatTape(const std::string& newName);
    void CheckTape() { maintenance_.CheckTape(); }
    void EjectTape() { maintenance_.EjectTape(); }

    int Fill(ListModel& list, const std::string& directory, const std::string& pattern) override;
    std::string CurrentPath() const override { return browser_.CurrentPath(); }
    int ListDirFile(ListModel& list, const std::string& path, bool withUpRow) override;

    void ShowDriveStatus() override;
    // The right list and its label as the Utilities tab first shows them.
    void ShowDirectoryFiles() override;

private:
    MainWindowLogic& window_;
    DirFile dirFile_;
    TapeVolume tape_;
    DriveBrowser browser_;
    DirFileLister lister_;
    DirTapeCommand dirTape_;
    ListHandlers lists_;
    TapeMaintenance maintenance_;
};
