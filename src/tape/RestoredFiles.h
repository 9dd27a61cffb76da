#pragma once
// The files a restore writes, made durable: each goes to a new temporary
// file beside its name (RestoreTemporaries), put on the medium and then
// renamed over the name, so that a link under the name is replaced, never
// followed, and a failed or killed restore leaves no half-written file
// under a real name. A replaced file's permission bits go to its successor.
//
// A job's files are put on the medium and renamed in groups: one sync of
// the file system serves a group, where each file on its own costs a sync
// of the file and of its folder. Between BeginGroup and EndGroup a
// completed file waits in the group until the group is full, until Finish,
// or until a question or message needs the files before it in place (the
// user hears of anything with everything before it done). Outside a group
// each file is finished before Complete returns.
//
// Questions and errors are shown here: "File exist: PATH. Overwrite?",
// "File exists, not restored: PATH" (Info), "Error creating file: PATH",
// "Error writing file: PATH".

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "report/MessageSink.h"
#include "tape/FileFacts.h"
#include "tape/LocalFile.h"
#include "tape/RecordFault.h"
#include "tape/RestorePolicy.h"

class RestoredFiles {
public:
    explicit RestoredFiles(MessageSink& messages);
    // Files restored in a group are not given up: they go in place, silently.
    ~RestoredFiles();
    RestoredFiles(const RestoredFiles&) = delete;
    RestoredFiles& operator=(const RestoredFiles&) = delete;

    // What is done about a file under the name, and which date it gets.
    // Skipping looks at the files that were there before the job: one the
    // same job restored is replaced by a later record of its name.
    void SetPolicy(const RestorePolicy& policy) { policy_ = policy; }

    // BeginGroup also starts the job's list of the files it restored.
    void BeginGroup();
    // 0, or -1 when a file could not be put in place (message shown, its
    // temporary removed, the group's other files in place).
    int Finish();
    int EndGroup();
    bool Waiting() const { return pendingCount_ > 0; }

    // Removes what restores killed before they finished left in folder; the
    // number removed, or -1 when the folder cannot be read.
    int RemoveStale(const std::string& folder);

    // Starts the file `name` in folder: asks about or skips what is under
    // the name, as the policy says, and creates its temporary file. 0, or
    // -1 with fault Skipped, Declined or Disk.
    int Open(const std::string& folder, const std::string& name, RecordFault& fault);
    // Appends to the file Open started. 0, or -1 (message shown).
    int Write(const std::uint8_t* data, std::size_t count);
    // The file's data is whole: its date (when the policy keeps dates; the
    // exact time of facts when they are known), its permission bits (when
    // the policy keeps modes and facts are known), then it waits in the
    // group or is finished. 0, or -1 with fault Disk.
    int Complete(const std::string& modificationDate, const FileFacts* facts, RecordFault& fault);
    // The file's data does not match its checksum: it is put in place as
    // its name + kDamagedSuffix, never under its name, and the message says
    // so. Always -1 with fault SumDiffers (Disk when even that failed).
    int CompleteDamaged(RecordFault& fault);
    static constexpr char kDamagedSuffix[] = ".tapewren-damaged";
    // The file Open started is given up: its temporary is removed.
    void Abandon();
    // Shows an error about the record being restored once the files before
    // it are in place. Always -1.
    int Report(const Message& message);

    // The path of the file Open started.
    const std::string& Path() const { return path_; }

private:
    struct Pending {
        LocalFile file;
        std::string temporary;
        std::string path;
    };
    struct FileId {
        std::uint64_t device;
        std::uint64_t inode;
    };
    static constexpr int kGroupFiles = 32;
    static constexpr std::int64_t kGroupBytes = 64 << 20;
    static constexpr std::size_t kRestoredReserve = 1024;

    int FinishPending(bool report);
    bool IsPending(const std::string& path) const;
    bool RestoredByThisJob(std::uint64_t device, std::uint64_t inode) const;
    // The temporary file beside path_, with mode (or the umask's when < 0).
    int CreateTemporary(const std::string& folder, int mode);
    int Fail(MessageId id, const std::string& path);
    int Report(MessageId id, const std::string& path);

    MessageSink& messages_;
    RestorePolicy policy_;
    std::unique_ptr<Pending[]> pending_;
    int pendingCount_ = 0;
    std::int64_t pendingBytes_ = 0;
    std::string pendingFolder_;
    bool grouping_ = false;
    std::vector<FileId> restored_;
    unsigned temporaryCount_ = 0;
    // The file Open started: its path, whether its name is restored alone
    // (the short temporary name of earlier versions), the bytes written and
    // handed to the device so far.
    std::string path_;
    std::string text_;
    bool alone_ = false;
    std::int64_t written_ = 0;
    std::int64_t writtenBack_ = 0;
};
