// tapewren-cli: the jobs of the window, run from a shell, a script or cron.
#include <sys/ioctl.h>
#include <unistd.h>

#include <cstdio>
#include <string>
#include <vector>

#include "app/DefaultAdapters.h"
#include "aspi/HostAdapterList.h"
#include "cli/CliApp.h"

int main(int argc, char** argv) {
    // The device layer writes its diagnostic lines to standard output; they
    // belong with the messages (and are shown with --verbose only), so
    // standard output keeps only what scripts read (listings, results).
    const int resultsFd = dup(STDOUT_FILENO);
    std::FILE* results = resultsFd >= 0 ? fdopen(resultsFd, "w") : nullptr;
    if (results == nullptr || dup2(STDERR_FILENO, STDOUT_FILENO) < 0) {
        std::perror("tapewren-cli: standard output");
        return 1;
    }

    winsize size{};
    const bool statusIsTerminal = isatty(STDERR_FILENO) == 1;
    const int columns = statusIsTerminal && ioctl(STDERR_FILENO, TIOCGWINSZ, &size) == 0 && size.ws_col > 0
                            ? size.ws_col
                            : 80;

    const std::vector<std::string> arguments(argv + 1, argv + argc);
    CliApp app({results, stderr, STDERR_FILENO, STDOUT_FILENO, stdin, isatty(STDIN_FILENO) == 1, statusIsTerminal, columns},
               InstallDefaultAdapters);
    const int status = app.Run(arguments);
    HostAdapterList::Install({});
    // A failed write has been reported by the run already.
    const bool reported = std::ferror(results) != 0;
    if (std::fclose(results) != 0 && !reported) {
        std::perror("tapewren-cli: standard output");
        return status == 0 ? 1 : status;
    }
    return status;
}
