#include "cli/CliApp.h"

#include <filesystem>

#include "cli/CatalogCommands.h"
#include "cli/CliMessages.h"
#include "cli/CliSession.h"
#include "cli/CliStatus.h"
#include "cli/CommandLine.h"
#include "cli/DriveCommands.h"
#include "cli/ExitStatus.h"
#include "cli/HelpText.h"
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
    if (c == "dir") return catalog.Dir();
    if (c == "rebuild") return catalog.Rebuild();
    if (c == "export") return catalog.Export(line.operands);
    if (c == "import") return catalog.Import(line.operands);
    if (c == "backup") return transfer.Backup(line.operands);
    if (c == "restore") return transfer.Restore(line.operands);
    if (c == "verify") return transfer.Verify(line.operands);
    return kExitUsage;
}

}  // namespace

int CliApp::Run(const std::vector<std::string>& arguments) {
    CommandLine line;
    std::string error;
    if (line.Parse(arguments, error) != 0) {
        std::fprintf(streams_.err, "tapewren-cli: %s\nTry 'tapewren-cli --help'.\n", error.c_str());
        return kExitUsage;
    }
    if (line.help) {
        std::fputs(HelpText(), streams_.out);
        return kExitOk;
    }
    if (line.version) {
        std::fprintf(streams_.out, "tapewren-cli %s\n", kProgramVersion);
        return kExitOk;
    }

    std::error_code failed;
    const std::filesystem::path start = std::filesystem::current_path(failed);
    if (failed) {
        std::fprintf(streams_.err, "tapewren-cli: the current directory cannot be read: %s\n",
                     failed.message().c_str());
        return kExitFailed;
    }

    CliStatus status(streams_.statusFd, streams_.statusIsTerminal, streams_.columns);
    CliMessages messages(streams_.err, streams_.in, streams_.inIsTerminal, line.answer);
    messages.SetBeforeOutput([&status, this] {
        status.ClearLine();
        std::fflush(streams_.out);
    });
    if (line.all) messages.AnswerYes(RestoreJob::kFullRestoreQuestion, "--all");

    CliSession session(messages, status, start.string(), setup_);
    session.SetBeforeOutput([&status] { status.ClearLine(); });
    const int result = Dispatch(line, session, streams_.out);
    status.Finish();
    return result;
}
