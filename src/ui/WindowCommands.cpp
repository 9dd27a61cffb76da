#include "ui/WindowCommands.h"

#include "ui/MainWindowLogic.h"

WindowCommands::WindowCommands(MainWindowLogic& window, MessageSink& messages, MessageSink& browserMessages,
                               const DriveAddress& drive, ScsiDevice& device, std::string mountsFile)
    : window_(window),
      dirFile_(messages),
      tape_(messages, window, window.Counters(), drive),
      browser_(browserMessages, std::move(mountsFile)),
      lister_(dirFile_, messages, [this] { ShowDriveStatus(); }),
      dirTape_(window, messages, tape_, dirFile_, lister_),
      lists_(window, browser_, lister_),
      maintenance_(messages, window, *this, tape_, dirFile_, device, drive) {}

void WindowCommands::FormatTape(const std::string& newName) {
    WindowState& state = window_.State();
    maintenance_.FormatTape(newName, {state.startDirectory, state.currentTapeName, state.currentDirFilePath});
}

int WindowCommands::Fill(ListModel& list, const std::string& directory, const std::string& pattern) {
    return browser_.Fill(list, directory, pattern);
}

int WindowCommands::ListDirFile(ListModel& list, const std::string& path, bool withUpRow) {
    return lister_.ListDirFile(list, path, withUpRow);
}

void WindowCommands::ShowDriveStatus() { window_.ShowDriveStatus(); }

void WindowCommands::ShowDirectoryFiles() {
    WindowState& state = window_.State();
    state.rightLabel = "Tape Directory Files:";
    state.shownCatalog.clear();
    browser_.Fill(state.rightList, state.startDirectory, "*.twd");
}
