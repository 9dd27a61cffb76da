// The directory-file reader on arbitrary bytes: the ident, the entry walk
// and the entry count must end, stay in bounds and agree with each other.

#include <cstdint>
#include <cstdlib>
#include <string>

#include "ScratchFile.h"
#include "catalog/DirFile.h"
#include "catalog/DirFileFormat.h"
#include "report/MessageKind.h"

namespace {

class NoQuestions : public MessageSink {
public:
    int Show(const Message&) override { return kMessageCancel; }
};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    static const std::string path = ScratchFile::Path("t.twd");
    ScratchFile::Put(path, data, size);
    NoQuestions messages;
    DirFile dir(messages);
    std::string tapeName, date, version;
    const int ident = dir.ReadIdent(path, tapeName, date, version);
    if (ident != 0 && ident != -1) std::abort();

    int walked = 0;
    if (dir.OpenForReading(path) == 0) {
        if (dir.SkipIdent() == 0) {
            std::string name, fileDate, backupDate;
            std::int32_t fileSize = 0, blocks = 0;
            while (dir.ReadNextEntry(name, fileDate, backupDate, fileSize, blocks) == 0) {
                if (name.size() > DirFileFormat::kNameWidth || fileDate.size() > DirFileFormat::kDateWidth ||
                    backupDate.size() > DirFileFormat::kDateWidth)
                    std::abort();
                ++walked;
            }
        }
        dir.Close();
    }
    const int counted = dir.CountEntries(path);
    // The count stops where the walk stops, and at the most a tape holds.
    constexpr int kMost = DirFileFormat::kMaxEntries;
    if (counted != (walked < kMost ? walked : kMost)) std::abort();
    return 0;
}
