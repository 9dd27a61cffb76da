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
#include "cli/ResultPrinter.h"
#include "cli/RowMarker.h"
#include "cli/TapeCatalog.h"
#include "jobs/BackupJob.h"
#include "jobs/RestoreJob.h"
#include "jobs/SaveResults.h"
#include "jobs/VerifyJob.h"
#include "jobs/VerifyResults.h"
#include "lists/Tab.h"
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
            problem = "Error: the folder of '" + file + "' cannot be found";
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
        session_.Messages().ShowMessage("Error: '" + given + "' is not a folder", Error);
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
            session_.Messages().ShowMessage(
                "'" + file + (S_ISDIR(status.st_mode) ? "' is a folder" : "' is not a regular file") +
                    ": not backed up (a backup takes the files of one folder)",
                Attention);
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
        session_.Messages().ShowMessage(problem, Error);
        return kExitFailed;
    }

    // The folder as the browser lists it, so that files are marked, ordered
    // and told apart (archives) exactly as in the window.
    CliJobWindow& window = session_.Window();
    DriveBrowser browser(session_.Messages());
    if (browser.Fill(window.Left(), folder, "*.*") != 0) return kExitFailed;
    std::string missing;
    const std::int64_t total = RowMarker::MarkFiles(window.Left(), names, missing);
    if (total < 0) {
        session_.Messages().ShowMessage(
            "Error: '" + missing + "' is not a file that can be backed up from " + browser.CurrentPath(), Error);
        return kExitFailed;
    }
    window.SetFolder(browser.CurrentPath());

    if (session_.SelectDriveToWrite(line_.adapter, line_.target) != 0) return kExitFailed;
    if (session_.RequireTape(line_.tape) != 0) return kExitFailed;
    session_.Counters().bytesTotal = total;
    const int result = ExitFor(BackupJob(session_.Context()).RunBackup());
    // What was left out fails the run, unless the user expects it.
    return result == kExitOk && skipped > 0 && !line_.skipOthers ? kExitFailed : result;
}

int TransferCommands::MarkCatalog(int tab, const std::vector<std::string>& names, bool all) {
    if (TapeCatalog::Load(session_) != 0) return kExitFailed;
    // Entries behind damage cannot be trusted to stand where their records
    // are, and "all" would quietly mean "those before the damage".
    const std::string damage = TapeCatalog::DamageText(session_.Catalog(), session_.CurrentTapeName(), "read");
    if (!damage.empty()) {
        session_.Messages().ShowMessage(damage +
                                            "\nNothing was done: \"tapewren-cli restore --all\" restores every "
                                            "record on tape without the catalog.",
                                        Error);
        return kExitFailed;
    }
    ListModel& list = session_.Window().Left();
    std::int64_t total = 0;
    if (all) {
        total = RowMarker::MarkAllEntries(list, tab);
    } else {
        std::string missing;
        total = RowMarker::MarkEntries(list, tab, names, missing);
        if (total < 0) {
            session_.Messages().ShowMessage(
                "Error: '" + missing + "' is not in the directory file of tape '" + session_.CurrentTapeName() + "'",
                Error);
            return kExitFailed;
        }
    }
    session_.Counters().bytesTotal = total;
    return kExitOk;
}

int TransferCommands::Restore(const std::vector<std::string>& names) {
    std::string folder;
    if (!Folder(line_.to, folder)) return kExitFailed;
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    if (session_.RequireTape(line_.tape) != 0) return kExitFailed;
    if (!names.empty() && MarkCatalog(kRestoreTab, names, false) != kExitOk) return kExitFailed;
    session_.Window().SetFolder(folder);
    RestorePolicy& policy = session_.Context().restore;
    policy.keepDates = line_.keepDates;
    if (line_.skipExisting) policy.existing = RestorePolicy::Existing::Skip;
    if (line_.overwrite) policy.existing = RestorePolicy::Existing::Overwrite;
    return ExitFor(RestoreJob(session_.Context()).RunRestore());
}

int TransferCommands::Verify(const std::vector<std::string>& names) {
    std::string folder;
    if (!Folder(line_.in, folder)) return kExitFailed;
    if (session_.SelectDrive(line_.adapter, line_.target) != 0) return kExitFailed;
    if (session_.RequireTape(line_.tape) != 0) return kExitFailed;
    if (MarkCatalog(kVerifyTab, names, names.empty()) != kExitOk) return kExitFailed;
    session_.Window().SetFolder(folder);

    VerifyResults results;
    ResultPrinter printer(results, out_, [this] { session_.BeforeOutput(); }, line_.json);
    const JobResult verified = VerifyJob(session_.Context(), results, printer).RunVerify();
    if (line_.json) printer.PrintJson(session_.CurrentTapeName());
    if (verified != JobResult::Done) return kExitFailed;
    if (line_.report && SaveResults(session_.StartDirectory(), results, session_.Messages()) != 0) return kExitFailed;
    return printer.AllIdentical() ? kExitOk : kExitFailed;
}
