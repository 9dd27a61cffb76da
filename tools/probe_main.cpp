// tapewren-probe: shows what the program would find at start-up: the host
// adapters, the devices on the first one, the drive chosen, its capacity and
// block size and its state. Like the window, it switches a variable-block
// drive to 1024-byte blocks. Messages go to stderr. Exit status: 0 when a
// usable tape drive was chosen, 1 when none, 2 when ASPI is not available or
// the command line is wrong.

#include <cstdint>
#include <cstdio>
#include <cstring>
#include <string>

#include "app/DefaultAdapters.h"
#include "aspi/HostAdapterList.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DeviceSelector.h"
#include "scsi/ScsiDevice.h"
#include "tape/ProgramVersion.h"

namespace {

// The report interfaces for a terminal: everything goes to stderr; a
// question is never confirmed, since nobody is there to answer it.
class StderrReport : public MessageSink, public StatusSink {
public:
    int Show(const Message& message) override {
        std::fprintf(stderr, "message (kind %d): %s\n", message.kind, message.text.c_str());
        return message.kind == Question ? kMessageCancel : kMessageOk;
    }
    void ShowStatus(const std::string& text) override { std::fprintf(stderr, "status:%s\n", text.c_str()); }
    void ShowProgress(std::int64_t, std::int64_t) override {}
};

const char* OutcomeName(SelectionOutcome outcome) {
    switch (outcome) {
    case SelectionOutcome::Accepted: return "accepted";
    case SelectionOutcome::NotSupported: return "not supported";
    case SelectionOutcome::NoTapeDevice: return "no tape device";
    }
    return "?";
}

constexpr char kHelp[] = R"(Usage: tapewren-probe [--help] [--version]

Shows what Tapewren finds at start-up: the host adapters, the devices on the
first adapter, the tape drive chosen, its capacity, block size and state.
Like the window, it switches a drive with variable blocks to 1024-byte
blocks. Diagnostic messages go to standard error.

Options:
  --help, -h    this text
  --version     the program's name and version

The environment variables of tapewren-cli (TAPEWREN_VTAPE, TAPEWREN_ISCSI,
...) choose the drives here too.

Exit status: 0 a usable tape drive was chosen, 1 none was, 2 the SCSI layer
is not available or the command line is wrong.
)";

}  // namespace

int main(int argc, char** argv) {
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--help") == 0 || std::strcmp(argv[i], "-h") == 0) {
            std::fputs(kHelp, stdout);
            return 0;
        }
        if (std::strcmp(argv[i], "--version") == 0) {
            std::printf("tapewren-probe %s\n", kProgramVersion);
            return 0;
        }
        std::fprintf(stderr, "tapewren-probe: unknown option %s\nTry 'tapewren-probe --help'.\n", argv[i]);
        return 2;
    }
    InstallDefaultAdapters();
    ScsiDevice device;
    DeviceSelector selector(device);
    StderrReport report;

    const AdapterListing adapters = selector.ListAdapters(report, report);
    if (!adapters.available) {
        std::printf("%s\n", adapters.statusText.c_str());
        return 2;
    }
    std::printf("Host adapters:\n");
    if (adapters.entries.empty()) std::printf("  (none)\n");
    for (const auto& entry : adapters.entries) std::printf("  %s\n", entry.c_str());

    const DeviceListing& devices = adapters.devices;
    std::printf("Devices on the first adapter:\n");
    for (std::size_t t = 0; t < devices.entries.size(); ++t)
        std::printf("%c %s\n", static_cast<int>(t) == devices.chosen ? '*' : ' ', devices.entries[t].c_str());

    const DeviceSelection& s = devices.selection;
    const DriveSelection& state = selector.Selection();
    std::printf("Selected: adapter %d, target %d: %s", state.address.adapter, state.target, OutcomeName(s.outcome));
    if (!s.notice.empty()) std::printf(" %s", s.notice.c_str());
    std::printf("\nCapacity (MB): %s\nBlock size: %s\nDrive status:%s\n", s.capacity.c_str(), s.blockSize.c_str(),
                s.status.text.c_str());
    return s.outcome == SelectionOutcome::Accepted ? 0 : 1;
}
