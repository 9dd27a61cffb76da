// Time and memory of rebuilding a directory file from tape and of copying
// it to the floppy folder and back. Builds a tape image of RECORDS file
// records (a header block and one data block of 512 bytes each) in FOLDER,
// rebuilds its directory file there through the virtual drive, then copies
// it out and in. Usage: bench_rebuild FOLDER [RECORDS]
// Prints seconds per step, records per second and the peak resident set.

#include <sys/resource.h>

#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <fstream>
#include <memory>
#include <string>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "catalog/DirFile.h"
#include "catalog/DirFileCopy.h"
#include "jobs/MaintenanceHost.h"
#include "jobs/RebuildDirFile.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

namespace {

constexpr int kBlock = 512;

struct Quiet : MessageSink, StatusSink, MaintenanceHost {
    int Show(const Message& message) override {
        const std::string& text = message.text;
        const int kind = message.kind;
        if (kind == Error) std::fprintf(stderr, "error: %s\n", text.c_str());
        return kMessageOk;
    }
    void ShowStatus(const std::string&) override {}
    void ShowProgress(std::int64_t, std::int64_t) override {}
    void ShowDriveStatus() override {}
    void ShowDirectoryFiles() override {}
};

void PutRecord(std::ofstream& out, const std::vector<std::uint8_t>& data) {
    const auto n = static_cast<std::uint32_t>(data.size());
    out.write(reinterpret_cast<const char*>(&n), 4);  // little-endian hosts only
    out.write(reinterpret_cast<const char*>(data.data()), n);
    out.write(reinterpret_cast<const char*>(&n), 4);
}
void PutFilemark(std::ofstream& out) {
    const std::uint32_t zero = 0;
    out.write(reinterpret_cast<const char*>(&zero), 4);
}

void WriteTape(const std::string& path, long records) {
    std::ofstream out(path, std::ios::binary | std::ios::trunc);
    std::vector<std::uint8_t> block(kBlock, 0);
    std::memcpy(block.data(), "TAPEWREN", 8);
    std::memcpy(block.data() + 9, "Bench", 5);
    std::memcpy(block.data() + 59, "01.01.2026", 10);
    std::memcpy(block.data() + 70, "1.6", 3);
    PutRecord(out, block);
    PutFilemark(out);
    for (long i = 0; i < records; ++i) {
        std::fill(block.begin(), block.end(), 0);
        block[0] = 1;
        const std::string name = "file" + std::to_string(i) + ".bin";
        std::memcpy(block.data() + 1, name.data(), name.size());
        std::memcpy(block.data() + 257, "01.01.2026", 10);
        std::memcpy(block.data() + 268, "02.01.2026", 10);
        block[279] = 100;
        block[283] = 1;
        PutRecord(out, block);
        PutRecord(out, std::vector<std::uint8_t>(kBlock, 0));
        PutFilemark(out);
    }
}

double Since(std::chrono::steady_clock::time_point start) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - start).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 2) {
        std::fprintf(stderr, "usage: bench_rebuild FOLDER [RECORDS]\n");
        return 2;
    }
    const std::string folder = argv[1];
    const long records = argc > 2 ? std::atol(argv[2]) : 999;
    const std::string floppy = folder + "/floppy";
    std::filesystem::create_directories(floppy);
    const std::string image = folder + "/bench.tap";
    WriteTape(image, records);

    setenv("TAPEWREN_VTAPE", image.c_str(), 1);
    std::vector<std::unique_ptr<HostAdapter>> adapters;
    adapters.push_back(CreateVirtualHostAdapter());
    HostAdapterList::Install(std::move(adapters));
    DriveAddress drive{0, static_cast<BYTE>(VirtualHostAdapter::kTarget), 0};
    ScsiDevice device;
    int medium = 0, count = 0, length = kBlock;
    if (device.ModeSelect(medium, count, length, drive.adapter, drive.target, drive.lun) != 0) return 1;

    Quiet quiet;
    ByteCounters counters;
    TapeVolume volume(quiet, quiet, counters, drive);
    DirFile dirFile(quiet);
    RebuildDirFile rebuild(quiet, quiet, device, drive, volume, dirFile);
    auto start = std::chrono::steady_clock::now();
    if (rebuild.Run(folder, quiet) != JobResult::Done) return 1;
    const double rebuildSeconds = Since(start);
    std::printf("rebuild %ld records: %.3f s, %.0f records/s\n", records, rebuildSeconds,
                rebuildSeconds > 0 ? records / rebuildSeconds : 0.0);

    DirFileCopy copy(quiet, folder + "/in", floppy);
    std::filesystem::create_directories(folder + "/in");
    start = std::chrono::steady_clock::now();
    if (copy.CopyToFloppy(rebuild.Path()) != kCopyDone) return 1;
    if (copy.CopyToHardDrive(floppy + "/Bench.twd") != kCopyDone) return 1;
    std::printf("copy out and in, %ju bytes: %.3f s\n",
                static_cast<std::uintmax_t>(std::filesystem::file_size(rebuild.Path())), Since(start));

    HostAdapterList::Install({});
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("peak resident set: %ld KiB\n", usage.ru_maxrss);
    return 0;
}
