#include "ui/DirTapeCommand.h"

#include "catalog/DirFile.h"
#include "catalog/DirFilePath.h"
#include "report/MessageSink.h"
#include "tape/TapeVolume.h"
#include "catalog/DirFileLister.h"
#include "ui/LabelText.h"
#include "ui/MainWindowLogic.h"

DirTapeCommand::DirTapeCommand(MainWindowLogic& window, MessageSink& messages, TapeVolume& tape, DirFile& dirFile,
                               DirFileLister& lister)
    : window_(window), messages_(messages), tape_(tape), dirFile_(dirFile), lister_(lister) {}

void DirTapeCommand::Run(bool leftSide) {
    WindowState& state = window_.State();
    window_.ShowStatus(" Reading tape directory...");

    std::string date, version;
    if (tape_.ReadIdentBlock(state.currentTapeName, date, version) < 0) {
        messages_.ShowMessage("Error reading IdentBlock from tape", Error);
        return;
    }
    // The name comes from the tape: one that would lead out of the start
    // directory is not used as a path.
    if (DirFilePath(state.startDirectory, state.currentTapeName, state.currentDirFilePath) != 0) {
        messages_.ShowMessage("Error: tape name '" + state.currentTapeName + "' cannot name a DirFile on hard drive",
                              Error);
        return;
    }

    std::string fileTapeName, fileDate, fileVersion;
    const int identResult = dirFile_.ReadIdent(state.currentDirFilePath, fileTapeName, fileDate, fileVersion);
    if (identResult == -2) {
        messages_.ShowMessage("Error: DirFile not found on hard drive. \nYou can make or import a DirFile on the "
                              "Utilities tab.",
                              Error);
        state.currentDirFilePath.clear();
        return;
    }
    if (identResult != 0) {
        messages_.ShowMessage("Error reading IdentBlock from hard drive", Error);
        return;
    }
    if (state.currentTapeName != fileTapeName || date != fileDate) {
        messages_.ShowMessage(leftSide ? "Error: DirFile on hard drive and tape contents do not match. \nCheck "
                                         "that on the Utilities tab."
                                       : "Error: DirFile on hard drive and tape contents do not match.\nCheck "
                                         "that on the Utilities tab.",
                              Error);
        return;
    }

    if (leftSide) {
        state.leftLabel = LabelText::TapeLabel(state.currentTapeName, LabelText::kLeftTapeLabelLimit);
        lister_.ListDirFile(state.leftList, state.currentDirFilePath, false);
        // The refill dropped the marks, so their total goes with them.
        window_.Counters().bytesTotal = 0;
        window_.ShowProgress(0, 0);
    } else {
        state.rightLabel = LabelText::TapeLabel(state.currentTapeName, LabelText::kRightTapeLabelLimit);
        state.shownCatalog.clear();
        lister_.ListDirFile(state.rightList, state.currentDirFilePath, false);
    }
    window_.ShowDriveStatus();
}
