// Throughput of the virtual tape drive through the program's own command
// layer: 64-block transfers of 1024-byte blocks, the way a backup writes and
// a restore reads.
//   bench_vtape write|read IMAGE [MiB]  MB/s of a whole-tape write or read,
//                                       timed from loading the cartridge
//   bench_vtape load IMAGE              time from loading to the first transfer
//   bench_vtape end IMAGE               time to load and space to end of data
//   bench_vtape hostile IMAGE MiB       makes an image of 1-byte records
//                                       alternating with filemarks
// Every mode prints the peak resident set size.

#include <sys/resource.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <fstream>
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

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

bool EndsWith(const std::string& text, const char* tail) {
    const std::size_t n = std::strlen(tail);
    return text.size() >= n && text.compare(text.size() - n, n, tail) == 0;
}

// Objects of a few bytes each: the most index entries per byte of image.
int MakeHostile(const std::string& path, long long mib) {
    const bool aws = EndsWith(path, ".aws");
    const std::vector<unsigned char> pair =
        aws ? std::vector<unsigned char>{1, 0, 0, 0, 0xA0, 0, 'x', 0, 0, 1, 0, 0x40, 0}
            : std::vector<unsigned char>{1, 0, 0, 0, 'x', 0, 1, 0, 0, 0, 0, 0, 0, 0};
    std::vector<unsigned char> chunk;
    while (chunk.size() + pair.size() <= (1 << 20)) chunk.insert(chunk.end(), pair.begin(), pair.end());
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    for (long long i = 0; i < mib; ++i) out.write(reinterpret_cast<const char*>(chunk.data()), std::streamsize(chunk.size()));
    if (!out) return 1;
    std::printf("hostile image: %lld MiB, %zu runs per MiB\n", mib, chunk.size() / pair.size() * 2);
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: %s write|read|load|end|hostile IMAGE [MiB]\n", argv[0]);
        return 2;
    }
    const std::string mode = argv[1];
    const long long mib = argc > 3 ? std::atoll(argv[3]) : 1024;
    if (mode == "hostile") return MakeHostile(argv[2], mib);
    setenv("TAPEWREN_VTAPE", argv[2], 1);
    if (mode == "write" || mode == "read")
        setenv("TAPEWREN_VTAPE_CAPACITY_MB", std::to_string(mib * 2 + 64).c_str(), 1);
    const auto loading = std::chrono::steady_clock::now();
    InstallDefaultAdapters();

    ScsiDevice device;
    int mediumType = 0, blockCount = 0, blockLength = kBlock;
    if (device.ModeSelect(mediumType, blockCount, blockLength, 0, 0, 0) != 0) {
        std::fprintf(stderr, "mode select failed\n");
        return 1;
    }
    std::vector<BYTE> buffer(kBlock * kBlocksPerTransfer);
    for (std::size_t i = 0; i < buffer.size(); ++i) buffer[i] = static_cast<BYTE>(i * 7);
    if (device.Rewind(0, 0, 0) != 0) return 1;
    if (mode == "load" || mode == "end") {
        const int result = mode == "load" ? device.Read(buffer.data(), kBlocksPerTransfer, 0, 0, 0)
                                          : device.SpaceToEndOfData(0, 0, 0);
        // Read gives 0 when done, SpaceToEndOfData the request status.
        const bool good = mode == "load" ? result == 0 : result == SS_COMP;
        std::printf("vtape %s: %.4f s (%s), peak RSS %ld KiB\n", mode.c_str(), Since(loading),
                    good ? "good" : "check condition", PeakRssKb());
        HostAdapterList::Install({});
        return 0;
    }

    const long long transfers = mib * 1024 * 1024 / (kBlock * kBlocksPerTransfer);
    const double loaded = Since(loading);
    const auto start = loading;
    for (long long t = 0; t < transfers; ++t) {
        const int result = mode == "write" ? device.Write(buffer.data(), kBlocksPerTransfer, 0, 0, 0)
                                           : device.Read(buffer.data(), kBlocksPerTransfer, 0, 0, 0);
        if (result != 0) {
            std::fprintf(stderr, "%s failed at transfer %lld\n", mode.c_str(), t);
            return 1;
        }
    }
    const double transferred = Since(start);
    // The filemark puts the data on disk, as dd conv=fdatasync does.
    if (mode == "write" && device.WriteFilemark(0, 0, 0) != 0) return 1;
    const double seconds = Since(start);
    const double mb = static_cast<double>(transfers) * kBlock * kBlocksPerTransfer / 1e6;
    std::printf("vtape %s: %.0f MB in %.2f s (%.3f s of it loading", mode.c_str(), mb, seconds, loaded);
    if (mode == "write") std::printf(", %.2f s the closing filemark", seconds - transferred);
    std::printf(")");
    std::printf(" = %.1f MB/s, peak RSS %ld KiB\n", mb / seconds, PeakRssKb());
    HostAdapterList::Install({});
    return 0;
}
