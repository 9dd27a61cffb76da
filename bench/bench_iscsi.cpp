// Write and read throughput through the program's command layer (ScsiDevice,
// 64 blocks of 1024 bytes per command, as backup and restore move data) on
// one drive. Usage:
//   bench_iscsi iscsi URL LUN MiB     a tape over iSCSI (URL as in TAPEWREN_ISCSI)
//   bench_iscsi vtape IMAGE.tap MiB   the virtual drive over a new image
// Prints one line per direction: MiB, seconds, MB/s (10^6 bytes per second).

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "aspi/iscsi/IscsiHostAdapters.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "scsi/ScsiDevice.h"

namespace {

constexpr int kBlock = 1024;
constexpr int kBlocksPerTransfer = 64;

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

void Report(const char* what, long long mib, double seconds) {
    std::printf("%-5s %lld MiB in %.2f s: %.1f MB/s\n", what, mib, seconds,
                static_cast<double>(mib) * 1048576.0 / seconds / 1e6);
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 4) {
        std::fprintf(stderr, "usage: %s iscsi URL LUN MiB | vtape IMAGE.tap MiB\n", argv[0]);
        return 2;
    }
    const std::string kind = argv[1];
    BYTE target = 0;
    long long mib = 0;
    std::vector<std::unique_ptr<HostAdapter>> adapters;
    if (kind == "iscsi" && argc >= 5) {
        adapters = CreateIscsiHostAdapters(argv[2], "120");
        target = static_cast<BYTE>(std::atoi(argv[3]));
        mib = std::atoll(argv[4]);
    } else if (kind == "vtape") {
        mib = std::atoll(argv[3]);
        setenv("TAPEWREN_VTAPE", argv[2], 1);
        setenv("TAPEWREN_VTAPE_CAPACITY_MB", std::to_string(mib * 2 + 64).c_str(), 1);
        adapters.push_back(CreateVirtualHostAdapter());
    }
    if (adapters.empty() || mib <= 0) {
        std::fprintf(stderr, "no drive or no size\n");
        return 2;
    }
    HostAdapterList::Install(std::move(adapters));

    ScsiDevice device;
    int medium = 0, count = 0, length = kBlock;
    if (device.ModeSelect(medium, count, length, 0, target, 0) != 0 || device.Rewind(0, target, 0) != 0) {
        std::fprintf(stderr, "drive not usable\n");
        return 1;
    }
    std::vector<BYTE> buffer(kBlock * kBlocksPerTransfer);
    const long long transfers = mib * 1048576 / static_cast<long long>(buffer.size());

    auto start = std::chrono::steady_clock::now();
    for (long long i = 0; i < transfers; ++i) {
        std::memcpy(buffer.data(), &i, sizeof i);
        if (device.Write(buffer.data(), kBlocksPerTransfer, 0, target, 0) != 0) return 1;
    }
    if (device.WriteFilemark(0, target, 0) != 0) return 1;
    Report("write", mib, Seconds(start));

    if (device.Rewind(0, target, 0) != 0) return 1;
    start = std::chrono::steady_clock::now();
    for (long long i = 0; i < transfers; ++i) {
        if (device.Read(buffer.data(), kBlocksPerTransfer, 0, target, 0) != 0) return 1;
        long long seen = 0;
        std::memcpy(&seen, buffer.data(), sizeof seen);
        if (seen != i) {
            std::fprintf(stderr, "transfer %lld read back as %lld\n", i, seen);
            return 1;
        }
    }
    Report("read", mib, Seconds(start));
    HostAdapterList::Install({});
    return 0;
}
