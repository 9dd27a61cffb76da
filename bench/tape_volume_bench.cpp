// One phase of a backup, restore or verify of every file of a folder
// through TapeVolume on the virtual drive, with the drive over the image
// that TAPEWREN_VTAPE names; prints the phase's time and rate. Driven by
// tape_vs_tar.sh, which drops the page cache between phases and compares
// with tar on the same files.
//
//   tape_volume_bench backup|restore|verify SOURCE_FOLDER RESTORE_FOLDER BLOCK_LENGTH
//
// Restore and verify take the expected header values from the source files,
// as the catalog would hold them.
#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>
#include <vector>

#include <sys/stat.h>

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
    int Show(const Message& message) override {
        const std::string& text = message.text;
        const int kind = message.kind;
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
    if (argc != 5) {
        std::fprintf(stderr, "usage: %s backup|restore|verify SOURCE_FOLDER RESTORE_FOLDER BLOCK_LENGTH\n", argv[0]);
        return 2;
    }
    const std::string phase = argv[1];
    const std::string source = argv[2];
    const std::string restore = argv[3];
    const int blockLength = std::atoi(argv[4]);

    std::vector<Entry> files;
    std::int64_t total = 0;
    for (const auto& item : std::filesystem::directory_iterator(source)) {
        if (!item.is_regular_file()) continue;
        const auto size = static_cast<std::int32_t>(item.file_size());
        struct stat st {};
        if (::stat(item.path().c_str(), &st) != 0) return 1;
        files.push_back({item.path().filename().string(), DateText(st.st_mtime), size});
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
    std::string name, date, version;
    int failed = 0;
    const auto start = std::chrono::steady_clock::now();
    if (phase == "backup") {
        failed = volume.WriteIdentBlock("Bench");
        for (const auto& f : files)
            if (failed == 0) failed = volume.BackupFile(f.name, source, blockLength);
    } else {
        failed = volume.ReadIdentBlock(name, date, version);
        for (const auto& f : files) {
            if (failed != 0) break;
            failed = device.SpaceFilemarks(1, drive.adapter, drive.target, drive.lun);
            if (failed != 0) break;
            const std::int32_t blocks = f.size / blockLength + 1;
            failed = phase == "restore" ? volume.RestoreFile(f.name, f.date, f.size, blocks, blockLength, restore)
                                        : volume.VerifyFile(f.name, f.date, f.size, blocks, blockLength, source);
        }
    }
    const double seconds = Seconds(start);
    HostAdapterList::Install({});
    if (failed != 0 || messages.count != 0) {
        std::fprintf(stderr, "%s failed\n", phase.c_str());
        return 1;
    }
    const double mb = static_cast<double>(total) / 1e6;
    std::printf("tapewren %-8s %7.2f s %8.1f MB/s\n", phase.c_str(), seconds, mb / seconds);
    return 0;
}
