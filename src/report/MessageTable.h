#pragma once
// Every message the program shows: its id, and in one table its usual
// kind, its text and whether it reports a failed tape command (which then
// travels with it, to be explained). "%s" in a text stands for what a
// message is given (a path, a name, a number, a line of its own); nothing
// else in a text is special. The faces decide by id (how the command line
// words a message, whether a failure gets explained), never by comparing or
// rewriting text. A new message is an id and a row here.

#include <cstddef>
#include <initializer_list>
#include <string>
#include <string_view>

#include "report/MessageKind.h"

enum class MessageId : std::uint16_t {
    // The tape: ident block, file records, end of data.
    TapeNameTooLong,
    InvalidTapeName,
    ErrorWritingFilemark,
    FileNameTooLong,
    FileNameNotAllowed,
    BlockLengthNotSupported,
    ErrorOpeningFile,
    FileTooLarge,
    ErrorReadingFile,
    FileGotShorter,
    ErrorWritingFileTransfer,
    TapeReadError,
    FileInfosDoNotMatch,
    FileNameOnTapeNotAllowed,
    FileHeaderDamaged,
    RecordDamaged,
    MoveToEodError,
    FewerRecordsThanEntries,
    // What the drive reports besides a command's result.
    DriveAlerts,
    DriveCorrectedErrors,
    DriveNeedsCleaning,
    // Restored files.
    FileExistOverwrite,
    FileExistsNotRestored,
    ErrorCreatingFile,
    ErrorWritingRestoredFile,
    // Catalogs and their copies.
    ErrorOpeningDirFile,
    ErrorSkippingToFileInfo,
    CopyOverwrite,
    // Drive selection.
    ModeSelectFailed,
    DriveNotUsable,
    // The check that tape and catalog belong together.
    RewindTapeError,
    IdentUnreadable,
    TapeNameUnusable,
    CatalogMissing,
    CatalogIdentUnreadable,
    CatalogDiffers,
    // Restore and verify by the catalog.
    ErrorReadingDirFile,
    MoveToFilemarkError,
    RestoreError,
    DamagedEntry,
    FullRestoreQuestion,
    RecordSkipped,
    StaleTemporariesRemoved,
    RestoreSummary,
    RestoreInterrupted,
    VerifyInterrupted,
    NoFilesSelectedToVerify,
    ErrorCreatingVerifyResults,
    ErrorWritingVerifyResults,
    VerifyResultsSaved,
    // Backup.
    NoFilesSelected,
    BackupFileNameTooLong,
    BackupFileNameNotAllowed,
    BackupFileTooLarge,
    WriteFileTapeError,
    TapeFull,
    TapeNearlyFull,
    TapeNowNearlyFull,
    BackupInterrupted,
    ErrorWritingCatalog,
    CannotCountEntries,
    CatalogDamaged,
    NoRoomInCatalog,
    UnlistedRecords,
    TapeDamagedAfterCatalog,
    MoveToEodFailed,
    BackupSummary,
    // Format, check, rebuild.
    NoTapeName,
    TapeNameNotAllowed,
    TapeNameExists,
    FormatQuestion,
    ErrorWritingIdentOnTape,
    ErrorWritingIdentOnDisk,
    TapeCheckResult,
    RebuildQuestion,
    ErrorWritingIdentToDisk,
    ErrorWritingFileHeaderInfo,
    RebuildSummary,
    // Floppy copies and the drive browser.
    ErrorWritingDirFileToHarddrive,
    ErrorReadingDirFileFromFloppy,
    ErrorReadingDirFileFromFloppyView,
    NoDirectoryFileSelected,
    ChangeDirError,
    ErrorWritingDirFileToFloppy,
    ErrorReadingDirFileFromHd,
    // The command line's own.
    CliNoSuchCatalog,
    CliNotACatalog,
    CliCatalogDamaged,
    CliCatalogDamagedNothingDone,
    CliNotAFolder,
    CliFolderNotFound,
    CliNotBackedUp,
    CliNotAFileToBackUp,
    CliNotInCatalog,
    CliNotAtRecord,
    CliNotOnFloppy,
    CliWrongTape,
    CliDriveInUse,
    CliUnchangedLeftOut,
    CliAdaptersUnavailable,
    CliSelfTestQuestion,
    CliSelfTestFailed,
    CliSelfTestPassed,
    // The checksums kept beside the catalog.
    RestoredDataDamaged,
    ScrubSummary,
    CliNoChecksumTool,
    CliNoChecksums,
    // What a copy of directory files to or from removable media copied.
    CatalogsExported,
    CatalogsImported,
    TapeFullGoingOn,
    TapeNearlyFullGoingOn,
    CatalogFullGoingOn,
    CliContinueWith,
    CliLoadNextTape,
    CliSpanStopped,
    CliUnchangedLeftOutSpan,
    TapeRoomLow,
    CliCannotEject,

    Count
};

struct MessageEntry {
    MessageId id;
    int kind;
    const char* text;
    bool reportsTapeCommand = false;
};

inline constexpr MessageEntry kMessageTable[] = {
    {MessageId::TapeNameTooLong, Attention, "Tape name too long!"},
    {MessageId::InvalidTapeName, Attention, "Invalid tape name!"},
    {MessageId::ErrorWritingFilemark, Error, "Error writing FileMark", true},
    {MessageId::FileNameTooLong, Error, "Error: file name longer than 254 bytes: %s"},
    {MessageId::FileNameNotAllowed, Error, "Error: file name not allowed: '%s'"},
    {MessageId::BlockLengthNotSupported, Error, "Error: %s"},
    {MessageId::ErrorOpeningFile, Error, "Error opening file %s"},
    {MessageId::FileTooLarge, Error, "Error: file too large for tape (2 GiB or more): %s"},
    {MessageId::ErrorReadingFile, Error, "Error reading file %s"},
    {MessageId::FileGotShorter, Error, "Error: file got shorter during backup: %s"},
    {MessageId::ErrorWritingFileTransfer, Error, "Error writing file {%s}", true},
    {MessageId::TapeReadError, Error, "Tape read error {%s}", true},
    {MessageId::FileInfosDoNotMatch, Error, "Error: file infos do not match"},
    {MessageId::FileNameOnTapeNotAllowed, Error, "Error: file name on tape not allowed: '%s'"},
    {MessageId::FileHeaderDamaged, Error, "Error: file header of '%s' is damaged"},
    {MessageId::RecordDamaged, Error, "Error: the record of '%s' on tape is damaged: %s", true},
    {MessageId::MoveToEodError, Error, "MoveToEOD Error: %s", true},
    {MessageId::FewerRecordsThanEntries, Error, "Error: fewer file records on tape than entries in DirFile", true},

    {MessageId::DriveAlerts, Attention, "The drive reports (TapeAlert): %s."},
    {MessageId::DriveCorrectedErrors, Attention,
     "The drive had to correct %s while reading or writing the tape. The data are good; if this happens often, "
     "clean the drive or use another tape."},
    {MessageId::DriveNeedsCleaning, Attention,
     "The drive asks to be cleaned. Clean it with a cleaning cartridge before the next job."},

    {MessageId::FileExistOverwrite, Question, "File exist: %s. Overwrite?"},
    {MessageId::FileExistsNotRestored, Info, "File exists, not restored: %s"},
    {MessageId::ErrorCreatingFile, Error, "Error creating file: %s"},
    {MessageId::ErrorWritingRestoredFile, Error, "Error writing file: %s"},

    {MessageId::ErrorOpeningDirFile, Error, "Error opening dir file on hard drive"},
    {MessageId::ErrorSkippingToFileInfo, Error, "Error skipping to file info on hard drive"},
    {MessageId::CopyOverwrite, Question, "Directory File '%s' already exists on %s. Overwrite?"},

    {MessageId::ModeSelectFailed, Error, "Error: ModeSelect failed"},
    {MessageId::DriveNotUsable, Error, "%s", true},

    {MessageId::RewindTapeError, Error, "Rewind tape error", true},
    {MessageId::IdentUnreadable, Error, "Error reading IdentBlock from tape", true},
    {MessageId::TapeNameUnusable, Error, "Error: tape name not usable as a file name: '%s'"},
    {MessageId::CatalogMissing, Error,
     "Error: DirFile not found on hard drive.%s\nYou can make or import a DirFile on the Utilities tab."},
    {MessageId::CatalogIdentUnreadable, Error, "Error reading IdentBlock from hard drive"},
    {MessageId::CatalogDiffers, Error,
     "Error: DirFile on hard drive and tape contents do not match.%s\nCheck that on the Utilities tab."},

    {MessageId::ErrorReadingDirFile, Error, "Error reading directory file from hard drive"},
    {MessageId::MoveToFilemarkError, Error, "Moveto filemark error", true},
    {MessageId::RestoreError, Error, "Restore error", true},
    {MessageId::DamagedEntry, Error,
     "Error: file record %s on tape is damaged: its header could not be read when the DirFile was made from the "
     "tape"},
    {MessageId::FullRestoreQuestion, Question, "No files selected. Do you want to make a full restore of the tape?"},
    {MessageId::RecordSkipped, Error, "Error: file record %s on tape skipped: %s", true},
    {MessageId::StaleTemporariesRemoved, Info, "Removed %s that an interrupted restore had left in %s"},
    {MessageId::RestoreSummary, Success,
     "%s\nTotal size: %s Bytes\nTotal time: %s\nTotal transfer rate: %s KByte/min\nTape->disk rate: %s KByte/min%s"},
    {MessageId::RestoreInterrupted, Error,
     "The drive was reset or its tape was changed during the restore: it stopped at file record %s%s, where "
     "the tape's position was lost.\nRestored: %s.%s",
     true},
    {MessageId::VerifyInterrupted, Error,
     "The drive was reset or its tape was changed during the verify: it stopped at '%s', where the tape's position "
     "was lost. Run the verify again.",
     true},
    {MessageId::NoFilesSelectedToVerify, Error, "No files selected."},
    {MessageId::ErrorCreatingVerifyResults, Error, "Error creating verify result file"},
    {MessageId::ErrorWritingVerifyResults, Error, "Error writing verify result file"},
    {MessageId::VerifyResultsSaved, Info, "Saved verify results to: 'VerifyResults.txt'"},

    {MessageId::NoFilesSelected, Oops, "No files selected"},
    {MessageId::BackupFileNameTooLong, Error, "Error: file name longer than 254 bytes, nothing was backed up:\n%s"},
    {MessageId::BackupFileNameNotAllowed, Error, "Error: file name not allowed, nothing was backed up: '%s'"},
    {MessageId::BackupFileTooLarge, Error, "Error: file of 2 GiB or more cannot go to tape, nothing was backed up:\n%s"},
    {MessageId::WriteFileTapeError, Error, "Write file tape error", true},
    {MessageId::TapeFull, Error,
     "Write file tape error\nThe tape is full: '%s' did not fit on it. The files written before it are safe on "
     "tape and in the DirFile.\n%s", true},
    {MessageId::TapeNearlyFull, Attention,
     "The tape is nearly full: the backup stopped after '%s', which is safe on tape and in the DirFile.\n%s"},
    {MessageId::TapeNowNearlyFull, Info,
     "The tape is nearly full: every file was backed up, but the next backup needs another tape."},
    {MessageId::BackupInterrupted, Error,
     "The drive was reset or its tape was changed while '%s' was written: the backup stopped there. The files "
     "before it are safe on tape and in the DirFile.\n%s",
     true},
    {MessageId::ErrorWritingCatalog, Error, "Error writing directory file on hard drive"},
    {MessageId::CannotCountEntries, Error, "Can't get file count from hard drive"},
    {MessageId::CatalogDamaged, Error,
     "Error: DirFile on hard drive is damaged after entry %s.\nNothing was written. Create the Directory File from "
     "tape contents, or import a good copy, on the Utilities tab."},
    {MessageId::NoRoomInCatalog, Info, "Sorry, only space for %s files left on directory"},
    {MessageId::UnlistedRecords, Error,
     "Error: the tape holds %s that the DirFile on hard drive does not list.\nNothing was written. Create the "
     "Directory File from tape contents, or import the newer copy, on the Utilities tab."},
    {MessageId::TapeDamagedAfterCatalog, Error,
     "Error: the tape is damaged after the last file record the DirFile lists: it cannot be read there, and what "
     "follows would be lost.\nNothing was written.", true},
    {MessageId::MoveToEodFailed, Error, "MoveToEOD error", true},
    {MessageId::BackupSummary, Success,
     "%s\nTotal size: %s Bytes\nTotal time: %s\nTotal transfer rate: %s KByte/min\nDisk->tape rate: %s KByte/min"},

    {MessageId::NoTapeName, Error, "No tape name specified"},
    {MessageId::TapeNameNotAllowed, Attention,
     "Tape name not allowed: it must not contain \"/\" and must not be \".\" or \"..\""},
    {MessageId::TapeNameExists, Question, "A tape with that name exists already. Overwrite?"},
    {MessageId::FormatQuestion, Question, "Do you really want to format the tape and erase everything on it?"},
    {MessageId::ErrorWritingIdentOnTape, Error, "Error writing IdentBlock on Tape", true},
    {MessageId::ErrorWritingIdentOnDisk, Error, "Error writing IdentBlock on hard drive"},
    {MessageId::TapeCheckResult, Info, "Tape name: %s\nDate of formatting: %s\nFormatted with Tapewren version: %s"},
    {MessageId::RebuildQuestion, Question,
     "This function will take a while.\n(You can do a full restore without the Directory file.)\n\nCreate the "
     "Directory File anyway?"},
    {MessageId::ErrorWritingIdentToDisk, Error, "Error writing to Ident block to disk"},
    {MessageId::ErrorWritingFileHeaderInfo, Error, "Error writing file header info to disk"},
    {MessageId::RebuildSummary, Success, "Finished creating Directory File%s"},

    {MessageId::ErrorWritingDirFileToHarddrive, Error, "Error writing Directory File to harddrive"},
    {MessageId::ErrorReadingDirFileFromFloppy, Error, "Error reading Directory File from floppy"},
    {MessageId::ErrorReadingDirFileFromFloppyView, Error, "Error reading Directory File from Floppy"},
    {MessageId::NoDirectoryFileSelected, Oops, "No Directory File selected"},
    {MessageId::ChangeDirError, Error, "Change Dir Error!"},
    {MessageId::ErrorWritingDirFileToFloppy, Error, "Error writing Directory File to floppy"},
    {MessageId::ErrorReadingDirFileFromHd, Error, "Error reading Directory File from HD"},

    {MessageId::CliNoSuchCatalog, Error, "Error: no directory file of tape '%s' in %s"},
    {MessageId::CliNotACatalog, Attention, "'%s' is not a directory file: not searched"},
    {MessageId::CliCatalogDamaged, Error, "%s"},
    {MessageId::CliCatalogDamagedNothingDone, Error,
     "%s\nNothing was done: \"tapewren-cli restore --all\" restores every record on tape without the catalog."},
    {MessageId::CliNotAFolder, Error, "Error: '%s' is not a folder"},
    {MessageId::CliFolderNotFound, Error, "Error: the folder of '%s' cannot be found"},
    {MessageId::CliNotBackedUp, Attention, "'%s' %s: not backed up (a backup takes the files of one folder)"},
    {MessageId::CliNotAFileToBackUp, Error, "Error: '%s' is not a file that can be backed up from %s"},
    {MessageId::CliNotInCatalog, Error, "Error: '%s' is not in the directory file of tape '%s'"},
    {MessageId::CliNotAtRecord, Error, "Error: file record %s of tape '%s' is not '%s' (\"tapewren-cli find\" shows the records of a name)"},
    {MessageId::CliNotOnFloppy, Error, "Error: Directory File '%s' not found on floppy, nothing was copied"},
    {MessageId::CliWrongTape, Error,
     "Error: the loaded tape is '%s', not '%s'. Nothing was done. Load tape '%s' and run the command again."},
    {MessageId::CliDriveInUse, Info, "%s"},
    {MessageId::CliUnchangedLeftOut, Info, "%s not changed since their last backup on tape '%s': not backed up again."},
    {MessageId::CliAdaptersUnavailable, Error, "%s"},
    {MessageId::CliSelfTestQuestion, Question,
     "The self-test writes test records on the tape in the drive and erases everything on it. Go on?"},
    {MessageId::CliSelfTestFailed, Error, "Self-test failed: %s. The program cannot rely on this drive."},
    {MessageId::CliSelfTestPassed, Success,
     "Self-test passed: %s.\nThe tape holds test records now: format it before backing up to it."},
    {MessageId::RestoredDataDamaged, Error,
     "Error: the data of '%s' read from tape does not match the checksum taken when it was backed up: the tape "
     "is damaged there. It was kept as '%s', not under its own name."},
    {MessageId::ScrubSummary, Success, "%s\nTotal size: %s Bytes\nTotal time: %s\nTape read rate: %s KByte/min"},
    {MessageId::CliNoChecksumTool, Attention,
     "The checksums of tape '%s' are XXH3-128, which no coreutils tool checks: nothing to print. "
     "\"tapewren-cli scrub\" checks the tape against them."},
    {MessageId::CliNoChecksums, Attention,
     "The directory file of tape '%s' keeps no checksums (it was made from the tape, or by an older version): "
     "nothing to print."},
    {MessageId::CatalogsExported, Success, "Copied to %s:\n%s"},
    {MessageId::CatalogsImported, Success, "Copied from %s to %s:\n%s"},
    {MessageId::TapeFullGoingOn, Info,
     "Tape '%s' is full: '%s' did not fit whole and goes on the next tape (the part written is not listed)."},
    {MessageId::TapeNearlyFullGoingOn, Info,
     "Tape '%s' is nearly full after '%s': the other files go on the next tape."},
    {MessageId::CatalogFullGoingOn, Info,
     "The catalog of tape '%s' has room for no more files: the other files go on the next tape."},
    {MessageId::CliContinueWith, Info,
     "To back up the files that did not fit, run (it takes the next tape from the autoloader, or asks for it):\n%s"},
    {MessageId::CliLoadNextTape, Question,
     "Tape '%s' is full. Load the next tape for '%s' (a blank one, or one of its tapes), then answer yes to go on."},
    {MessageId::CliSpanStopped, Error, "Error: %s Nothing more was backed up. To back up the files left, run:\n%s"},
    {MessageId::CliUnchangedLeftOutSpan, Info,
     "%s not changed since their last backup on the tapes of '%s': not backed up again."},
    // Info: --quiet keeps its one line, which carries the warning.
    {MessageId::TapeRoomLow, Info, "Tape '%s' has little room left: %s. Have the next tape ready."},
    {MessageId::CliCannotEject, Error,
     "Error: the drive cannot eject: it is the virtual drive with the single image %s, which stays loaded. To "
     "change tapes, set TAPEWREN_VTAPE to another image, or to a folder of cartridges (an autoloader)."},
};

static_assert(sizeof kMessageTable / sizeof kMessageTable[0] == static_cast<std::size_t>(MessageId::Count),
              "one entry per message id, in the enum's order");

inline const MessageEntry& MessageInfo(MessageId id) { return kMessageTable[static_cast<std::size_t>(id)]; }

// The text of id with each "%s" replaced by the next argument (missing
// ones by nothing).
inline std::string FormatMessage(MessageId id, std::initializer_list<std::string_view> args = {}) {
    std::string text;
    const std::string_view format = MessageInfo(id).text;
    auto arg = args.begin();
    for (std::size_t i = 0; i < format.size(); ++i) {
        if (format[i] == '%' && i + 1 < format.size() && format[i + 1] == 's') {
            if (arg != args.end()) text.append(*arg++);
            ++i;
            continue;
        }
        text += format[i];
    }
    return text;
}
