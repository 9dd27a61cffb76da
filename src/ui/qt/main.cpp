// Starts the window; without a display says how to run it instead of
// letting the toolkit abort. --help and --version need no display.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "tape/ProgramVersion.h"
#include "ui/qt/BackupApp.h"

namespace {

constexpr char kHelp[] = R"(Usage: tapewren [--help] [--version] [toolkit options]

Backs up files to a SCSI tape drive, restores and verifies them, in one
window. Directory files (catalogs, TAPE.twd) live in the folder the program
is started from. tapewren-cli runs the same jobs without a window.

Options:
  --help, -h    this text
  --version     the program's name and version

Other options go to the Qt toolkit, for example -platform NAME or
-display DISPLAY.

Environment:
  TAPEWREN_VTAPE               image file or folder of cartridges of the
                               virtual drive (default
                               $XDG_DATA_HOME/tapewren/tapes)
  TAPEWREN_VTAPE_CAPACITY_MB   size of a virtual cartridge (default 4096)
  TAPEWREN_ISCSI               iSCSI tape targets,
                               iscsi://host[:port]/target-iqn ...
  TAPEWREN_ISCSI_TIMEOUT       time-out of one iSCSI command in seconds
                               (default 3600)
  TAPEWREN_FLOPPY              the floppy folder (default /media/floppy0),
                               used when no removable medium is mounted
                               under /media/$USER or /run/media/$USER
  TAPEWREN_MEDIA               folders (':'-separated) searched for a
                               mounted medium instead of those two

Exit status: 0 when the window was closed, 1 without a display.
)";

// --help or --version anywhere on the command line: prints and returns 0;
// otherwise -1, and the toolkit gets the arguments.
int AnswerInformationOption(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tapewren %s\n", kProgramVersion);
            return 0;
        }
    }
    return -1;
}

bool Set(const char* name) {
    const char* value = std::getenv(name);
    return value != nullptr && value[0] != '\0';
}

}  // namespace

int main(int argc, char** argv) {
    const auto started = std::chrono::steady_clock::now();
    if (AnswerInformationOption(argc, argv) == 0) return 0;
    if (!Set("DISPLAY") && !Set("WAYLAND_DISPLAY") && !Set("QT_QPA_PLATFORM")) {
        // Name the program as it was started, so the line can be pasted.
        std::fprintf(stderr,
                     "tapewren: no display found (DISPLAY and WAYLAND_DISPLAY are not set).\n"
                     "Tapewren is a desktop program. Run it on a desktop, or on a virtual display with:\n"
                     "    xvfb-run -a %s\n",
                     argc > 0 && argv[0] && *argv[0] ? argv[0] : "tapewren");
        return 1;
    }
    BackupApp app(argc, argv);
    const char* exitWhenReady = std::getenv("TAPEWREN_EXIT_WHEN_READY");
    return app.Run(exitWhenReady != nullptr && std::strcmp(exitWhenReady, "1") == 0, started);
}
