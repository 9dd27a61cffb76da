#pragma once
// "Create Directory File from Tape Contents": reads the inserted tape from
// its start and writes a new directory file for it in the start directory,
// the header from the ident block and one entry per file record, in tape
// order, every field as the record's header block holds it. Each record
// costs a read of its header and a space over its filemark, never a read of
// its data. Entry k always names the record after filemark k: a record
// whose header cannot be read or used gets the entry that keeps its place
// (DirFileFormat::kDamagedRecordName). Left out are only what no backup
// needs: a last record that runs into the end of data without its filemark
// (a backup that did not end; the next backup writes over it), empty tape
// files at the very end, and records beyond the 999 a catalog can hold.

#include <string>
#include <vector>

#include "jobs/JobResult.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DriveAddress.h"

class DirFile;
class MaintenanceHost;
class ScsiDevice;
class TapeVolume;

class RebuildDirFile {
public:
    // device: rewinds and spaces; volume: reads the ident block and headers.
    RebuildDirFile(MessageSink& messages, StatusSink& status, ScsiDevice& device, const DriveAddress& drive,
                   TapeVolume& volume, DirFile& dirFile);

    // host: the drive's state after the run, the list of directory files
    // shown again after a finished one. Failed also when the tape holds
    // damaged records, cannot be read to its end, or holds more records
    // than a catalog lists.
    JobResult Run(const std::string& startDirectory, MaintenanceHost& host);

    // The path of the directory file the last run wrote or meant to write.
    const std::string& Path() const { return path_; }

private:
    class Lister;
    // What the walk over the tape found, for the closing message.
    struct Findings {
        int entries = 0;
        int damaged = 0;
        int stuckAt = -1;  // the record past which the tape cannot be read (0: the ident block)
        int emptyAtEnd = 0;
        bool unfinished = false;
        bool tooMany = false;
    };

    JobResult Fail(MessageId id, MaintenanceHost& host, std::initializer_list<std::string_view> args = {},
                   const CommandFailure& failure = {});
    // Spaces over the filemarks and reads the headers; -1 when an entry
    // could not be written (message shown).
    int ListRecords(Findings& found, MaintenanceHost& host);
    // Appends the entry of record `record` (the header just read, or the
    // damaged-record entry); false when the catalog is full or cannot be
    // written (writeFailed).
    bool Append(int record, bool damaged, Findings& found, bool& writeFailed);
    // The lines after "Finished creating Directory File".
    std::string ClosingNotes(const Findings& found) const;

    MessageSink& messages_;
    StatusSink& status_;
    ScsiDevice& device_;
    const DriveAddress& drive_;
    TapeVolume& volume_;
    DirFile& dirFile_;
    std::string path_;
    // The numbers of the first damaged records, for the closing message.
    std::vector<int> damagedNumbers_;
};
