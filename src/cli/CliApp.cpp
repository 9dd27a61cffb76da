#include "cli/CliApp.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <filesystem>

#include "app/CartridgeFacts.h"
#include "cli/CatalogCommands.h"
#include "cli/CliMessages.h"
#include "cli/CliSession.h"
#include "cli/CliStatus.h"
#include "cli/CliWording.h"
#include "cli/CommandLine.h"
#include "cli/DriveCommands.h"
#include "cli/ExitStatus.h"
#include "cli/FailureWords.h"
#include "cli/HelpText.h"
#include "cli/OutputText.h"
#include "cli/TransferCommands.h"
#include "jobs/RestoreJob.h"
#include "tape/ProgramVersion.h"

namespace {

int Dispatch(const CommandLine& line, CliSession& session, std::FILE* out) {
    const std::string& c = line.command;
    DriveCommands drive(session, line, out);
    CatalogCommands catalog(session, line, out);
    TransferCommands transfer(session, line, out);
    if (c == "adapters") return drive.Adapters();
    if (c == "status") return drive.Status();
    if (c == "format") return drive.Format(line.operands.front());
    if (c == "check") return drive.Check();
    if (c == "eject") return drive.Eject();
    if (c == "selftest") return drive.SelfTest();
    if (c == "dir") return catalog.Dir();
    if (c == "find") return catalog.Find(line.operands);
    if (c == "rebuild") return catalog.Rebuild();
    if (c == "export") return catalog.Export(line.operands);
    if (c == "import") return catalog.Import(line.operands);
    if (c == "backup") return transfer.Backup(line.operands);
    if (c == "restore") return transfer.Restore(line.operands);
    if (c == "verify") return transfer.Verify(line.operands);
    if (c == "scrub") return transfer.Scrub();
    if (c == "sums") return catalog.Sums(line.operands.front());
    return kExitUsage;
}

// The catalog folder, absolute; false with why set.
bool CatalogFolder(const CommandLine& line, std::string& folder, std::string& why) {
    std::string given = line.catalogs;
    const char* variable = std::getenv("TAPEWREN_CATALOGS");
    if (given.empty() && variable != nullptr) given = variable;
    if (given.empty()) {
        std::error_code failed;
        folder = std::filesystem::current_path(failed).string();
        if (failed) why = "the current directory cannot be read: " + failed.message();
        return !failed;
    }
    char resolved[PATH_MAX];
    struct stat status {};
    if (::realpath(given.c_str(), resolved) == nullptr || ::stat(resolved, &status) != 0) {
        why = "the catalog folder '" + given + "' cannot be used: " + std::strerror(errno);
        return false;
    }
    if (!S_ISDIR(status.st_mode)) {
        why = "the catalog folder '" + given + "' is not a folder";
        return false;
    }
    folder = resolved;
    return true;
}

// The last line of a run that --quiet kept quiet until it failed: the
// command, the tape and the number of files, for the cron mail's reader.
std::string FailureLine(const CommandLine& line, CliSession& session) {
    const std::string tape = session.CurrentTapeName().empty() ? line.tape : session.CurrentTapeName();
    std::string text = "tapewren-cli " + line.command + " failed (";
    text += tape.empty() ? std::string("no tape identified") : "tape '" + TerminalText(tape, false) + "'";
    const std::string& c = line.command;
    if (c == "backup" || c == "restore" || c == "verify") {
        const std::size_t files = line.operands.size();
        if (files == 0)
            text += ", all files";
        else
            text += ", " + std::to_string(files) + (files == 1 ? " file" : " files");
    }
    return text + ")";
}

// The one line of a run that --quiet kept quiet and that succeeded: the
// command, the tape, and for a job the files and bytes it moved.
std::string SuccessLine(const CommandLine& line, CliSession& session) {
    const std::string tape = session.CurrentTapeName().empty() ? line.tape : session.CurrentTapeName();
    std::string text = "tapewren-cli " + line.command + ": done";
    const std::vector<std::string>& tapes = session.TapesUsed();
    if (tapes.size() > 1) {
        text += ", tapes";
        for (std::size_t i = 0; i < tapes.size(); ++i)
            text += (i == 0 ? " '" : ", '") + TerminalText(tapes[i], false) + "'";
    } else if (!tape.empty()) {
        text += ", tape '" + TerminalText(tape, false) + "'";
    }
    const std::string& c = line.command;
    if (c == "backup" || c == "restore" || c == "verify") {
        const int files = session.Report().Count(RecordOutcome::Done);
        text += ", " + std::to_string(files) + (files == 1 ? " file" : " files");
        if (c != "verify") text += ", " + std::to_string(session.Report().bytes) + " bytes";
    }
    // A warning the cron mail must not hold back.
    if (!session.Shortage().empty()) text += "; little room left: " + session.Shortage();
    return text;
}

// Whatever was written to standard output must have reached it.
int CheckOutput(std::FILE* out, std::FILE* err, int result) {
    errno = 0;
    const bool flushed = std::fflush(out) == 0;
    if (flushed && std::ferror(out) == 0) return result;
    // Why an earlier write failed is gone with its bytes; this flush's own
    // failure still says why.
    const int error = flushed ? 0 : errno;
    std::fprintf(err, "tapewren-cli: standard output could not be written whole%s%s\n", error != 0 ? ": " : "",
                 error != 0 ? std::strerror(error) : "");
    return result == kExitOk ? kExitFailed : result;
}

}  // namespace

int CliApp::Run(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::string error;
    if (line.Parse(arguments, error) != 0) {
        std::fprintf(streams_.err, "tapewren-cli: %s\nTry 'tapewren-cli --help'.\n", error.c_str());
        return kExitUsage;
    }
    if (line.help && !line.command.empty()) {
        const std::string text = CommandHelpText(line.command);
        if (text.empty()) {
            std::fprintf(streams_.err, "tapewren-cli: unknown command '%s'\nTry 'tapewren-cli --help'.\n",
                         line.command.c_str());
            return kExitUsage;
        }
        std::fputs(text.c_str(), streams_.out);
        return CheckOutput(streams_.out, streams_.err, kExitOk);
    }
    if (line.help) {
        std::fputs(HelpText(), streams_.out);
        return CheckOutput(streams_.out, streams_.err, kExitOk);
    }
    if (line.version) {
        std::fprintf(streams_.out, "tapewren-cli %s\n", kProgramVersion);
        return CheckOutput(streams_.out, streams_.err, kExitOk);
    }

    std::string start;
    if (!CatalogFolder(line, start, error)) {
        std::fprintf(streams_.err, "tapewren-cli: %s\n", error.c_str());
        return kExitFailed;
    }
    // The raw diagnostic lines only on request: the messages say in words
    // what the drive reported.
    if (!line.verbose && streams_.diagnosticsFd >= 0) {
        const int null = ::open("/dev/null", O_WRONLY | O_CLOEXEC);
        if (null >= 0) {
            ::dup2(null, streams_.diagnosticsFd);
            ::close(null);
        }
    }

    CliStatus status(line.quiet ? -1 : streams_.statusFd, streams_.statusIsTerminal && !line.quiet, streams_.columns);
    CliMessages messages(streams_.err, streams_.in, streams_.inIsTerminal, {line.answer, line.force, line.quiet});
    messages.SetBeforeOutput([&status, this] {
        status.ClearLine();
        std::fflush(streams_.out);
    });
    if (line.all) messages.AnswerYes(MessageId::FullRestoreQuestion, "--all");
    if (line.command == "check") messages.SendInfoTo(streams_.out);

    CliSession session(messages, status, start, setup_);
    session.SetBeforeOutput([&status] { status.ClearLine(); });
    messages.SetWording([&session](const Message& message) {
        return CliWording::Reword(message, session.CurrentTapeName());
    });
    FailureWords words(
        [&session] {
            const DriveAddress& a = session.Selector().Address();
            return FactsFor(a.adapter, a.target);
        },
        line.verbose);
    messages.SetExplainer([&words](const Message& message) { return words.Explain(message); });
    int result = Dispatch(line, session, streams_.out);
    // A question answered no leaves the job undone, whatever it reported.
    if (result == kExitOk && messages.Declined()) result = kExitFailed;
    result = CheckOutput(streams_.out, streams_.err, result);
    status.Finish();
    if (line.quiet && result != kExitOk) {
        messages.ShowHeld();
        std::fprintf(streams_.err, "%s\n", FailureLine(line, session).c_str());
    }
    if (line.quiet && result == kExitOk) std::fprintf(streams_.err, "%s\n", SuccessLine(line, session).c_str());
    return result;
}
