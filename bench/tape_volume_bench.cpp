// Backs up, restores and verifies every file of a folder through TapeVolume
// on the virtual drive, one phase after the other, and prints the rate of
// each phase. Driven by tape_vs_tar.sh, which sets TAPEWREN_VTAPE to a fresh
// image and compares with tar on the same files.
//
//   tape_volume_bench SOURCE_FOLDER RESTORE_FOLDER BLOCK_LENGTH

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "report/ByteCounters.h"
#include "report/MessageSink.h"
#include "report/StatusSink.h"
#include "scsi/DriveAddress.h"
#include "scsi/ScsiDevice.h"
#include "tape/DateText.h"
#include "tape/TapeVolume.h"

namespace {

class PrintedMessages : public MessageSink {
public:
    int ShowMessage(const std::string& text, int kind) override {
        std::fprintf(stderr, "message (%d): %s\n", kind, text.c_str());
        ++count;
        return kMessageOk;
    }
    int count = 0;
};

class SilentStatus : public StatusSink {
public:
    void ShowStatus(const std::string&) override {}
    void ShowProgress(std::int64_t, std::int64_t) override {}
};

struct Entry {
    std::string name;
    std::string date;
    std::int32_t size;
};

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 4) {
        std::fprintf(stderr, "usage: %s SOURCE_FOLDER RESTORE_FOLDER BLOCK_LENGTH\n", argv[0]);
        return 2;
    }
    const std::string source = argv[1];
    const std::string restore = argv[2];
    const int blockLength = std::atoi(argv[3]);

    std::vector<Entry> files;
    std::int64_t total = 0;
    for (const auto& item : std::filesystem::directory_iterator(source)) {
        if (!item.is_regular_file()) continue;
        const auto size = static_cast<std::int32_t>(item.file_size());
        files.push_back({item.path().filename().string(), "", size});
        total += size;
    }
    std::sort(files.begin(), files.end(), [](const Entry& a, const Entry& b) { return a.name < b.name; });

    std::vector<std::unique_ptr<HostAdapter>> adapters;
    adapters.push_back(CreateVirtualHostAdapter());
    HostAdapterList::Install(std::move(adapters));
    DriveAddress drive;
    drive.target = VirtualHostAdapter::kTarget;
    ScsiDevice device;
    int medium = 0, count = 0, length = blockLength;
    if (device.ModeSelect(medium, count, length, drive.adapter, drive.target, drive.lun) != 0) {
        std::fprintf(stderr, "cannot set block length %d\n", blockLength);
        return 1;
    }

    PrintedMessages messages;
    SilentStatus status;
    ByteCounters counters;
    TapeVolume volume(messages, status, counters, drive);
    if (volume.WriteIdentBlock("Bench") != 0) return 1;

    const double mb = static_cast<double>(total) / 1e6;
    auto start = std::chrono::steady_clock::now();
    for (auto& f : files) {
        if (volume.BackupFile(f.name, source, blockLength) != 0) return 1;
        f.date = volume.LastWrittenHeader().modificationDate;
    }
    const double backup = Seconds(start);

    std::string name, date, version;
    start = std::chrono::steady_clock::now();
    if (volume.ReadIdentBlock(name, date, version) != 0) return 1;
    for (const auto& f : files) {
        if (device.SpaceFilemarks(1, drive.adapter, drive.target, drive.lun) != 0) return 1;
        if (volume.RestoreFile(f.name, f.date, f.size, f.size / blockLength + 1, blockLength, restore) != 0) return 1;
    }
    const double restoreTime = Seconds(start);

    start = std::chrono::steady_clock::now();
    if (volume.ReadIdentBlock(name, date, version) != 0) return 1;
    for (const auto& f : files) {
        if (device.SpaceFilemarks(1, drive.adapter, drive.target, drive.lun) != 0) return 1;
        if (volume.VerifyFile(f.name, f.date, f.size, f.size / blockLength + 1, blockLength, source) != 0) return 1;
    }
    const double verify = Seconds(start);

    std::printf("files %zu, %.1f MB, block length %d\n", files.size(), mb, blockLength);
    std::printf("tapewren backup  %7.2f s %8.1f MB/s\n", backup, mb / backup);
    std::printf("tapewren restore %7.2f s %8.1f MB/s\n", restoreTime, mb / restoreTime);
    std::printf("tapewren verify  %7.2f s %8.1f MB/s\n", verify, mb / verify);
    HostAdapterList::Install({});
    return messages.count == 0 ? 0 : 1;
}
