#include "cli/TransferCommands.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>

#include <climits>
#include <cstdlib>

#include "app/DriveBrowser.h"
#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/OutputText.h"
#include "cli/ResultPrinter.h"
#include "cli/TapeCatalog.h"
#include "jobs/BackupJob.h"
#include "jobs/RestoreJob.h"
#include "jobs/CatalogSums.h"
#include "jobs/SaveResults.h"
#include "jobs/ScrubJob.h"
#include "jobs/VerifyJob.h"
#include "jobs/VerifyResults.h"
#include "lists/ListImage.h"
#include "tape/DateText.h"
#include "lists/ListModel.h"
#include "report/MessageKind.h"

namespace {

bool Resolve(const std::string& path, std::string& resolved) {
    char buffer[PATH_MAX];
    if (realpath(path.c_str(), buffer) == nullptr) return false;
    resolved = buffer;
    return true;
}

}  // namespace

TransferCommands::TransferCommands(CliSession& session, const CommandLine& line, std::FILE* out)
    : session_(session), line_(line), out_(out) {}

int TransferCommands::SplitFiles(const std::vector<std::string>& files, std::string& folder,
                                 std::vector<std::string>& names, std::string& problem) {
    folder.clear();
    names.clear();
    for (const std::string& file : files) {
        const std::size_t slash = file.rfind('/');
        const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
        // Built whole: GCC 12 warns (-Wrestrict) on a later assignment.
        const std::string parent =
            slash == std::string::npos ? std::string(".") : (slash == 0 ? std::string("/") : file.substr(0, slash));
        std::string resolved;
        if (!Resolve(parent, resolved)) {
            problem = file;
            return kExitFailed;
        }
        if (!folder.empty() && resolved != folder) {
            problem = "backup: the files must all be in one folder ('" + file + "' is not in " + folder + ")";
            return kExitUsage;
        }
        folder = resolved;
        names.push_back(name);
    }
    return kExitOk;
}

bool TransferCommands::Folder(const std::string& given, std::string& resolved) {
    struct stat status {};
    if (!Resolve(given, resolved) || ::stat(resolved.c_str(), &status) != 0 || !S_ISDIR(status.st_mode)) {
        session_.Messages().ShowMessage(MessageId::CliNotAFolder, {given});
        return false;
    }
    return true;
}

std::vector<std::string> TransferCommands::RegularFiles(const std::vector<std::string>& files, int& skipped) {
    std::vector<std::string> kept;
    skipped = 0;
    for (const std::string& file : files) {
        const std::size_t slash = file.rfind('/');
        const std::string name = slash == std::string::npos ? file : file.substr(slash + 1);
        if (std::any_of(line_.excludes.begin(), line_.excludes.end(), [&](const std::string& pattern) {
                return ::fnmatch(pattern.c_str(), name.c_str(), 0) == 0;
            }))
            continue;
        struct stat status {};
        // What cannot be looked at is named by the check that follows.
        if (::stat(file.c_str(), &status) == 0 && !S_ISREG(status.st_mode)) {
            ++skipped;
            session_.Messages().ShowMessage(MessageId::CliNotBackedUp,
                                            {file, S_ISDIR(status.st_mode) ? "is a folder" : "is not a regular file"});
            continue;
        }
        kept.push_back(file);
    }
    return kept;
}

int TransferCommands::Backup(const std::vector<std::string>& operands) {
    int skipped = 0;
    const std::vector<std::string> files = RegularFiles(operands, skipped);
    std::string folder, problem;
    std::vector<std::string> names;
    const int split = SplitFiles(files, folder, names, problem);
    if (split == kExitUsage) {
        std::fprintf(stderr, "tapewren-cli: %s\n", problem.c_str());
        return kExitUsage;
    }
    if (split != kExitOk) {
        session_.Messages().ShowMessage(MessageId::CliFolderNotFound, {problem});
        return kExitFailed;
    }
    BackupRequest request;
    std::int64_t total = 0;
    if (BackupRequestFor(folder, names, request, total) != 0) return kExitFailed;

    if (session_.SelectDriveToWrite(line_.adapter, line_.target) != 0) return kExitFailed;
    if (session_.RequireTape(line_.tape) != 0) return kExitFailed;
    if (line_.changed) {
        const int kept = KeepChanged(request, total);
        if (kept < 0) return kExitFailed;
        // Nothing new: the night's work is done.
        if (kept == 0) return skipped > 0 && !line_.skipOthers ? kExitFailed : kExitOk;
    }
    session_.Counters().bytesTotal = total;
    session_.Volume().SetStreaming(line_.stream);
    if (line_.sha256) session_.Context().volume.SetSumKind(SumKind::Sha256);
    const int result = ExitFor(session_.Keep(BackupJob(session_.Context()).Run(request)).result);
    // What was left out fails the run, unless the user expects it.
    return result == kExitOk && skipped > 0 && !line_.skipOthers ? kExitFailed : result;
}

int TransferCommands::BackupRequestFor(const std::string& folder, const std::vector<std::string>& names,
                                       BackupRequest& request, std::int64_t& total) {
    // The folder as the browser lists it, so that files are ordered and
    // told apart (archives) exactly as in the window.
    ListModel listing;
    DriveBrowser browser(session_.Messages());
    if (browser.Fill(listing, folder, "*.*") != 0) return -1;
    request.folder = browser.CurrentPath();
    std::vector<bool> named(listing.RowCount(), false);
    for (const std::string& name : names) {
        bool found = false;
        for (std::size_t i = 0; i < listing.RowCount(); ++i) {
            const ListRow& row = listing.Row(i);
            if (row.Text(0) != name || (row.image != kImageFile && row.image != kImageArchive)) continue;
            found = true;
            named[i] = true;
        }
        if (!found) {
            session_.Messages().ShowMessage(MessageId::CliNotAFileToBackUp, {name, request.folder});
            return -1;
        }
    }
    total = 0;
    for (std::size_t i = 0; i < listing.RowCount(); ++i) {
        if (!named[i]) continue;
        const ListRow& row = listing.Row(i);
        (row.image == kImageArchive ? request.archives : request.files).push_back(row.Text(0));
        struct stat status {};
        if (::stat((request.folder + row.Text(0)).c_str(), &status) == 0) total += status.st_size;
    }
    return 0;
}

int TransferCommands::KeepChanged(BackupRequest& request, std::int64_t& total) {
    std::vector<FileHeader> entries;
    if (TapeCatalog::Load(session_, entries) != 0) return -1;
    CatalogSums sums;
    sums.Load(session_.Catalog(), session_.CurrentDirFilePath());
    // The newest entry of a name is its last.
    int newestAt = -1;
    auto newest = [&entries, &newestAt](const std::string& name) -> const FileHeader* {
        for (auto e = entries.rbegin(); e != entries.rend(); ++e)
            if (e->name == name) {
                newestAt = static_cast<int>(entries.rend() - e) - 1;
                return &*e;
            }
        return nullptr;
    };
    int unchanged = 0;
    total = 0;
    for (std::vector<std::string>* names : {&request.archives, &request.files}) {
        std::vector<std::string> kept;
        for (const std::string& name : *names) {
            struct stat status {};
            const bool known = ::stat((request.folder + name).c_str(), &status) == 0;
            const FileHeader* entry = newest(name);
            // The catalog keeps the day of a file's date; its sums file,
            // where it has one for the entry, the exact time.
            const FileFacts* facts = entry != nullptr ? sums.Facts(newestAt) : nullptr;
            const bool same =
                facts != nullptr && facts->known
                    ? facts->size == status.st_size &&
                          facts->modifiedNs == static_cast<std::int64_t>(status.st_mtim.tv_sec) * 1000000000 +
                                                   status.st_mtim.tv_nsec
                    : entry != nullptr && entry->size == status.st_size &&
                          entry->modificationDate == DateText(status.st_mtime);
            if (known && same) {
                ++unchanged;
                continue;
            }
            if (known) total += status.st_size;
            kept.push_back(name);
        }
        *names = std::move(kept);
    }
    const int left = static_cast<int>(request.Count());
    if (unchanged > 0)
        session_.Messages().ShowMessage(MessageId::CliUnchangedLeftOut,
                                        {std::to_string(unchanged) + (unchanged == 1 ? " file has" : " files have"),
                                         session_.CurrentTapeName()});
    return left;
}

int TransferCommands::SelectEntries(const std::vector<std::string>& names, bool all, std::vector<int>& selected,
                                    int& listed) {
    std::vector<FileHeader> entries;
    if (TapeCatalog::Load(session_, entries) != 0) return kExitFailed;
    // Entries behind damage cannot be trusted to stand where their records
    // are, and "all" would quietly mean "those before the damage".
    const std::string damage = TapeCatalog::DamageText(session_.Catalog(), session_.CurrentTapeName(), "read");
    if (!damage.empty()) {
        session_.Messages().ShowMessage(MessageId::CliCatalogDamagedNothingDone, {damage});
        return kExitFailed;
    }
    listed = static_cast<int>(entries.size());
    selected.clear();
    std::vector<bool> chosen(entries.size(), all);
    for (const std::string& name : names) {
        // A name found twice: its last entry, the newest copy on tape,
        // unless --record names another.
        int last = -1;
        for (std::size_t i = 0; i < entries.size(); ++i)
            if (entries[i].name == name && (line_.record < 0 || static_cast<int>(i) + 1 == line_.record))
                last = static_cast<int>(i);
        if (last < 0 && line_.record > 0) {
            session_.Messages().ShowMessage(MessageId::CliNotAtRecord,
                                            {std::to_string(line_.record), session_.CurrentTapeName(), name});
            return kExitFailed;
        }
        if (last < 0) {
            session_.Messages().ShowMessage(MessageId::CliNotInCatalog, {name, session_.CurrentTapeName()});
            return kExitFailed;
        }
        chosen[static_cast<std::size_t>(last)] = true;
    }
    std::int64_t total = 0;
    for (std::size_t i = 0; i < entries.size(); ++i) {
        if (!chosen[i]) continue;
        selected.push_back(static_cast<int>(i));
        total += entries[i].size;
    }
    session_.Counters().bytesTotal = total;
    return kExitOk;
}

int TransferCommands::Restore(const std::vector<std::string>& names) {
    std::string folder;
    if (!Folder(line_.to, folder)) return kExitFailed;
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    if (session_.RequireTape(line_.tape) != 0) return kExitFailed;
    RestoreRequest request;
    if (!names.empty() && SelectEntries(names, false, request.entries, request.listed) != kExitOk) return kExitFailed;
    request.folder = folder;
    request.policy.keepDates = line_.keepDates;
    request.policy.keepModes = line_.keepModes;
    if (line_.skipExisting) request.policy.existing = RestorePolicy::Existing::Skip;
    if (line_.overwrite) request.policy.existing = RestorePolicy::Existing::Overwrite;
    session_.Volume().SetStreaming(line_.stream);
    return ExitFor(session_.Keep(RestoreJob(session_.Context()).Run(request)).result);
}

int TransferCommands::Verify(const std::vector<std::string>& names) {
    std::string folder;
    if (!Folder(line_.in, folder)) return kExitFailed;
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    if (session_.RequireTape(line_.tape) != 0) return kExitFailed;
    VerifyRequest request;
    if (SelectEntries(names, names.empty(), request.entries, request.listed) != kExitOk) return kExitFailed;
    request.folder = folder;

    session_.Volume().SetStreaming(line_.stream);
    VerifyResults results;
    ResultPrinter printer(results, out_, [this] { session_.BeforeOutput(); }, line_.json);
    const JobResult verified = session_.Keep(VerifyJob(session_.Context(), results, printer).Run(request)).result;
    if (line_.json) printer.PrintJson(session_.CurrentTapeName());
    if (verified != JobResult::Done) return kExitFailed;
    if (line_.report && SaveResults(session_.StartDirectory(), results, session_.Messages()) != 0) return kExitFailed;
    return printer.AllIdentical() ? kExitOk : kExitFailed;
}

int TransferCommands::Scrub() {
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    if (session_.RequireTape(line_.tape) != 0) return kExitFailed;
    ScrubJob job(session_.Context());
    const JobResult result = session_.Keep(job.Run()).result;
    session_.BeforeOutput();
    if (line_.json) {
        static const char* const kStatus[] = {"ok", "without-checksum", "checksum-differs",
                                              "damaged", "not-listed", "not-on-tape"};
        nlohmann::json files = nlohmann::json::array();
        for (const ScrubRow& row : job.Rows())
            files.push_back({{"record", row.record},
                             {"name", row.name},
                             {"status", kStatus[static_cast<int>(row.status)]},
                             {"text", ScrubStatusText(row)}});
        WriteJson(out_, {{"tape", session_.CurrentTapeName()}, {"files", files}});
    } else {
        for (const ScrubRow& row : job.Rows())
            std::fprintf(out_, "%d\t%s\t%s\n", row.record, TsvField(row.name).c_str(), ScrubStatusText(row).c_str());
    }
    return result == JobResult::Done ? kExitOk : kExitFailed;
}
