#pragma once
// Reads and writes directory files (layout in DirFileFormat.h). Every
// operation opens, uses and closes its file, except the read sequence
// OpenForReading, SkipIdent, ReadNextEntry..., Close, and the append run
// BeginAppend, AppendNext..., EndAppend, which keep one file open between
// calls. Results are return codes only; nothing is shown. Writers put what
// they wrote on the medium before they return 0, except AppendNext. Every
// writer keeps the catalog's sums file (SumFile) in step: a new catalog
// gets an empty one, each appended entry its record at the same position.

#include <cstdint>
#include <string>

#include "catalog/SumFile.h"
#include "report/MessageSink.h"
#include "tape/FileFacts.h"
#include "tape/FileHeader.h"
#include "tape/LocalFile.h"

class DirFile {
public:
    // messages: for the overwrite questions of the copies to and from
    // removable media.
    explicit DirFile(MessageSink& messages);
    virtual ~DirFile();
    DirFile(const DirFile&) = delete;
    DirFile& operator=(const DirFile&) = delete;

    // True when the file can be opened for reading.
    bool Exists(const std::string& path);
    // Writes a new file of the header with today's date and this program's
    // version in place of whatever stands under path (a symbolic link there
    // is replaced, not followed). 0 or -1.
    int CreateForNewTape(const std::string& tapeName, const std::string& path);
    // As CreateForNewTape with the date and version of a tape's ident block.
    int CreateFromIdent(const std::string& tapeName, const std::string& path, const std::string& date,
                        const std::string& version);
    // 0 with the three texts set; -2 when the file cannot be opened; -1 when
    // its first 9 bytes cannot be read or do not hold the magic.
    int ReadIdent(const std::string& path, std::string& tapeName, std::string& date, std::string& version);

    // Why a read sequence's list ended.
    enum class ListEnd {
        Clean,     // the file ends after a whole entry (or no sequence read yet)
        CutShort,  // the file ends inside an entry
        BadType,   // a type byte other than 1 or 2, with bytes after it
        TooMany,   // more than the 999 entries a catalog holds
        ReadError, // the file could not be read
    };

    // The read sequence. Each returns 0, or -1; ReadNextEntry's -1 ends the
    // list: at the end of the file, an entry cut short, a type byte other
    // than 1 or 2, a read error, or where a 1000th entry would start.
    int OpenForReading(const std::string& path);
    int SkipIdent();
    int ReadNextEntry(std::string& name, std::string& fileDate, std::string& backupDate, std::int32_t& size,
                      std::int32_t& blockCount);
    int Close();
    // After ReadNextEntry returned -1 (also once closed, until the next
    // OpenForReading): why the list ended. Anything but Clean means the
    // catalog is damaged after the entries read.
    ListEnd LastListEnd() const { return listEnd_; }
    // The whole entries the sequence read.
    int EntriesRead() const { return entriesRead_; }

    // Whole entries from the first, at most 999, stopping at the first entry
    // cut short or with a type byte other than 1 or 2; -1 when the file
    // cannot be opened.
    int CountEntries(const std::string& path);
    // Checks every byte after the header: entries holds the whole entries
    // from the first (no limit). 0 when nothing else follows them but at
    // most one entry cut short at the end (what a crash while appending
    // leaves, and what the next append writes over); 1 when anything else
    // follows (a type byte other than 1 or 2, or entries out of step after
    // bytes went missing), so that later entries cannot be trusted to stand
    // where their records are; -1 when the file cannot be opened or read.
    int ValidateEntries(const std::string& path, int& entries);
    // Appends the entry of directory + "/" + fileName, just written to tape,
    // from the file's status (a file whose status cannot be read still gets
    // its entry, with an empty date, size 0 and one block, so that later
    // entries keep their positions). The file must exist. 0 or -1.
    int AppendBackedUpFile(const std::string& path, const std::string& fileName, const std::string& directory,
                           int blockSize);
    // Appends one entry of type 1 with the given values. 0 or -1. Appends
    // write into the catalog itself: a symbolic link under its name fails.
    // Its sums record says "without checksum".
    int AppendEntry(const std::string& path, const std::string& name, const std::string& fileDate,
                    const std::string& backupDate, std::int32_t size, std::int32_t blockCount);

    // The append run of a job that adds entries one by one (backup,
    // rebuild): the file stays open, and AppendNext writes each entry as
    // AppendEntry does but leaves putting it on the medium to SyncAppended
    // or EndAppend. The jobs append an entry only once its record is
    // complete on the medium, so any entry that survives a crash names a
    // complete record; what a crash of the machine may cost is the run's
    // last entries since the last sync, which the next backup notices as
    // records the catalog does not list. The jobs sync before their
    // messages and before they end. A catalog removed or replaced during
    // the run fails the next call. Each returns 0 or -1; EndAppend syncs
    // and closes (0 when no run is open).
    int BeginAppend(const std::string& path);
    // facts: what the sums record keeps of the file (null: nothing, "without
    // checksum").
    int AppendNext(const std::string& name, const std::string& fileDate, const std::string& backupDate,
                   std::int32_t size, std::int32_t blockCount, const FileFacts* facts = nullptr);
    int SyncAppended();
    int EndAppend();

private:
    // Ends the read sequence's list for this reason: -1.
    int EndList(ListEnd end);
    // The entry's 286 bytes; -1 when a text does not fit its field.
    int EncodeEntry(std::uint8_t* entry, const std::string& name, const std::string& fileDate,
                           const std::string& backupDate, std::int32_t size, std::int32_t blockCount);
    // Writes the sums record of the entry that ends at `end`.
    int PutSums(SumFile& sums, std::int64_t end, const std::string& name, const FileFacts* facts);
    // Writes the entry after the last whole one of the open file and cuts
    // off the bytes of an entry cut short behind it; sets `end` after it.
    static int WriteAfterLastWholeEntry(LocalFile& file, const std::uint8_t* entry, std::int64_t& end);
    int WriteHeader(const std::string& path, const std::string& tapeName, const std::string& date,
                    const std::string& version);

    // The sink the catalog is made with; it reports by return codes only.
    [[maybe_unused]] MessageSink& messages_;
    LocalFile file_;
    // Scratch for the entry codec, kept so that a read or append of many
    // entries allocates nothing per entry.
    FileHeader fields_;
    int entriesRead_ = 0;
    ListEnd listEnd_ = ListEnd::Clean;
    LocalFile appendFile_;
    std::string appendPath_;
    std::int64_t appendAt_ = -1;  // where AppendNext writes; -1 before the run's first entry
    bool appendFailed_ = false;
    SumFile sums_;
    SumRecord sumRecord_;
};
