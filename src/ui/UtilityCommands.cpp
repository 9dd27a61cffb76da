#include "ui/UtilityCommands.h"

#include "catalog/DirFileCopy.h"
#include "catalog/FloppyFolder.h"
#include "jobs/RebuildDirFile.h"
#include "app/FloppyExport.h"
#include "ui/MainWindowLogic.h"
#include "ui/WindowCommands.h"

UtilityCommands::UtilityCommands(MainWindowLogic& window, WindowCommands& commands, MessageSink& messages,
                                 ScsiDevice& device, const DriveAddress& drive)
    : window_(window), commands_(commands), messages_(messages), device_(device), drive_(drive) {}

void UtilityCommands::CreateDirFileFromTape() {
    RebuildDirFile rebuild(messages_, window_, device_, drive_, commands_.Tape(), commands_.Catalog());
    rebuild.Run(window_.State().startDirectory, commands_);
}

void UtilityCommands::ExportToFloppy() {
    WindowState& state = window_.State();
    // The floppy folder is looked up per command, as a disk is per insertion.
    DirFileCopy copy(messages_, state.startDirectory, FloppyFolder(state.startDirectory));
    FloppyExport(messages_, window_, copy).Run(state.shownCatalog, state.rightList, commands_);
}

void UtilityCommands::ImportFinished() {
    commands_.ShowDirectoryFiles();
    commands_.ShowDriveStatus();
}
