#include "cli/TransferCommands.h"

#include <fnmatch.h>
#include <sys/stat.h>

#include <algorithm>

#include <climits>
#include <cstdlib>

#include "app/DriveBrowser.h"
#include "app/TapeRoom.h"
#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "cli/ExitStatus.h"
#include "cli/OutputText.h"
#include "cli/ResultPrinter.h"
#include "cli/TapeCatalog.h"
#include "cli/TapeSpan.h"
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
    TapeSpan span(session_, line_);
    const bool spanning = !line_.span.empty();
    if (spanning && span.TakeLoaded(ContinueCommand(request, line_.span)) != 0) return kExitFailed;
    if (line_.changed) {
        const int kept = KeepChanged(request, total, spanning ? span.Catalogs() : std::vector<std::string>{});
        if (kept < 0) return kExitFailed;
        // Nothing new: the night's work is done.
        if (kept == 0) return skipped > 0 && !line_.skipOthers ? kExitFailed : kExitOk;
    }
    request.spanning = spanning;
    session_.Volume().SetStreaming(line_.stream);
    if (line_.sha256) session_.Context().volume.SetSumKind(SumKind::Sha256);
    JobReport all;
    int result = kExitOk;
    for (;;) {
        session_.Counters().bytesTotal = total;
        const JobReport report = BackupJob(session_.Context()).Run(request);
        all.records.insert(all.records.end(), report.records.begin(), report.records.end());
        all.result = report.result;
        const int done = report.Count(RecordOutcome::Done);
        // The bytes of the files backed up, not those of a copy cut short.
        std::int64_t doneBytes = 0;
        total = LeaveOut(request, report, doneBytes);
        all.bytes += doneBytes;
        if (!report.tapeFull || request.Count() == 0) {
            result = ExitFor(report.result);
            break;
        }
        const std::string set =
            spanning ? line_.span : TapeSpan::SetOf(session_.CurrentTapeName(), session_.StartDirectory());
        const std::string command = ContinueCommand(request, set);
        if (!spanning) {
            session_.Messages().ShowMessage(MessageId::CliContinueWith, {command});
            result = kExitFailed;
            break;
        }
        // A file larger than a whole tape would take every blank tape there is.
        if (done == 0 && span.Fresh()) {
            const std::string& first = request.archives.empty() ? request.files.front() : request.archives.front();
            span.Stop("'" + request.folder + first + "' does not fit on a whole tape.", command);
            result = kExitFailed;
            break;
        }
        if (span.Next(command) != 0) {
            result = kExitFailed;
            break;
        }
    }
    all.tapeFull = false;
    session_.Keep(std::move(all));
    if (spanning) session_.SetTapesUsed(span.Tapes());
    if (result == kExitOk) WarnOfShortage();
    // What was left out fails the run, unless the user expects it.
    return result == kExitOk && skipped > 0 && !line_.skipOthers ? kExitFailed : result;
}

void TransferCommands::WarnOfShortage() {
    const std::string shortage = RoomOf(session_, session_.CurrentDirFilePath()).Shortage();
    if (shortage.empty()) return;
    session_.Messages().ShowMessage(MessageId::TapeRoomLow, {session_.CurrentTapeName(), shortage});
    session_.SetShortage(shortage);
}

std::int64_t TransferCommands::LeaveOut(BackupRequest& request, const JobReport& report,
                                        std::int64_t& doneBytes) const {
    std::int64_t total = 0;
    doneBytes = 0;
    for (std::vector<std::string>* names : {&request.archives, &request.files}) {
        std::vector<std::string> left;
        for (const std::string& name : *names) {
            const bool done = std::any_of(report.records.begin(), report.records.end(), [&](const RecordReport& r) {
                return r.outcome == RecordOutcome::Done && r.name == name;
            });
            struct stat status {};
            const std::int64_t size = ::stat((request.folder + name).c_str(), &status) == 0 ? status.st_size : 0;
            (done ? doneBytes : total) += size;
            if (!done) left.push_back(name);
        }
        *names = std::move(left);
    }
    return total;
}

std::string TransferCommands::ContinueCommand(const BackupRequest& request, const std::string& set) const {
    std::string command = "tapewren-cli backup --span " + TapeSpan::Quoted(set);
    if (!line_.catalogs.empty()) command += " --catalogs " + TapeSpan::Quoted(session_.StartDirectory());
    if (line_.adapter >= 0) command += " --adapter " + std::to_string(line_.adapter);
    if (line_.target >= 0) command += " --target " + std::to_string(line_.target);
    if (line_.stream) command += " --stream";
    if (line_.sha256) command += " --sha256";
    for (const auto* names : {&request.archives, &request.files})
        for (const std::string& name : *names) command += " " + TapeSpan::Quoted(request.folder + name);
    return command;
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

int TransferCommands::KeepChanged(BackupRequest& request, std::int64_t& total, std::vector<std::string> catalogs) {
    std::vector<FileHeader> loaded;
    if (TapeCatalog::Load(session_, loaded) != 0) return -1;
    const bool spanning = !catalogs.empty();
    if (!spanning) catalogs.push_back(session_.CurrentDirFilePath());
    // Each catalog's entries and sums, oldest tape first.
    std::vector<std::vector<FileHeader>> entries(catalogs.size());
    std::vector<CatalogSums> sums(catalogs.size());
    for (std::size_t t = 0; t < catalogs.size(); ++t) {
        if (catalogs[t] == session_.CurrentDirFilePath())
            entries[t] = loaded;
        else if (TapeCatalog::Read(session_, catalogs[t], entries[t]) != 0)
            return -1;
        sums[t].Load(session_.Catalog(), catalogs[t]);
    }
    // The newest entry of a name is its last on the newest tape that has it.
    int newestAt = -1;
    std::size_t newestTape = 0;
    auto newest = [&](const std::string& name) -> const FileHeader* {
        for (std::size_t t = entries.size(); t-- > 0;)
            for (auto e = entries[t].rbegin(); e != entries[t].rend(); ++e)
                if (e->name == name) {
                    newestAt = static_cast<int>(entries[t].rend() - e) - 1;
                    newestTape = t;
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
            const FileFacts* facts = entry != nullptr ? sums[newestTape].Facts(newestAt) : nullptr;
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
        session_.Messages().ShowMessage(spanning ? MessageId::CliUnchangedLeftOutSpan : MessageId::CliUnchangedLeftOut,
                                        {std::to_string(unchanged) + (unchanged == 1 ? " file has" : " files have"),
                                         spanning ? line_.span : session_.CurrentTapeName()});
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
