// Throughput of the virtual tape drive through the program's own command
// layer: 64-block transfers of 1024-byte blocks, the way a backup writes and
// a restore reads. Usage: bench_vtape write|read IMAGE.tap [MiB]
// Prints MB/s and the peak resident set size.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "app/DefaultAdapters.h"
#include "aspi/HostAdapterList.h"
#include "scsi/ScsiDevice.h"

namespace {

constexpr int kBlock = 1024;
constexpr int kBlocksPerTransfer = 64;

long PeakRssKb() {
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    return usage.ru_maxrss;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s write|read IMAGE.tap [MiB]\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const long long mib = argc > 3 ? std::atoll(argv[3]) : 1024;
    setenv("TAPEWREN_VTAPE", argv[2], 1);
    setenv("TAPEWREN_VTAPE_CAPACITY_MB", std::to_string(mib * 2 + 64).c_str(), 1);
    InstallDefaultAdapters();

    ScsiDevice device;
    int mediumType = 0, blockCount = 0, blockLength = kBlock;
    if (device.ModeSelect(mediumType, blockCount, blockLength, 0, 0, 0) != 0) {
        std::fprintf(stderr, "mode select failed\n");
        return 1;
    }
    std::vector<BYTE> buffer(kBlock * kBlocksPerTransfer);
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<BYTE>(i * 7);
    const long long transfers = mib * 1024 * 1024 / (kBlock * kBlocksPerTransfer);

    if (device.Rewind(0, 0, 0) != 0) return 1;
    const auto start = std::chrono::steady_clock::now();
    for (long long t = 0; t < transfers; ++t) {
        const int result = mode == "write" ? device.Write(buffer.data(), kBlocksPerTransfer, 0, 0, 0)
                                           : device.Read(buffer.data(), kBlocksPerTransfer, 0, 0, 0);
        if (result != 0) {
            std::fprintf(stderr, "%s failed at transfer %lld\n", mode.c_str(), t);
            return 1;
        }
    }
    const auto transferred = std::chrono::steady_clock::now();
    // The filemark puts the data on disk, as dd conv=fdatasync does.
    if (mode == "write" && device.WriteFilemark(0, 0, 0) != 0) return 1;
    const auto end = std::chrono::steady_clock::now();
    const double seconds = std::chrono::duration<double>(end - start).count();
    const double syncSeconds = std::chrono::duration<double>(end - transferred).count();
    const double mb = static_cast<double>(transfers) * kBlock * kBlocksPerTransfer / 1e6;
    std::printf("vtape %s: %.0f MB in %.2f s", mode.c_str(), mb, seconds);
    if (mode == "write") std::printf(" (%.2f s of it the closing filemark)", syncSeconds);
    std::printf(" = %.1f MB/s, peak RSS %ld KiB\n", mb / seconds, PeakRssKb());
    HostAdapterList::Install({});
    return 0;
}
