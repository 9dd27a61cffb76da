// One phase of the backup, restore or verify job, run through the
// toolkit-free jobs as the window would run them (without drawing), on the
// virtual drive over the image TAPEWREN_VTAPE names: one process that runs
// only the job, for profiling it (perf record -g -- jobs_bench ...).
// jobs_vs_tar.sh times whole tapewren-cli jobs instead.
//
//   jobs_bench backup|restore|verify SOURCE_FOLDER RESTORE_FOLDER START_FOLDER BLOCK_LENGTH
//
// backup formats the tape "Bench" (catalog in START_FOLDER) and backs up
// every file of SOURCE_FOLDER; restore restores every catalog row into
// RESTORE_FOLDER; verify compares every row with SOURCE_FOLDER. Prints the
// phase's time, rate and peak resident memory; exits 1 when the job did not
// end as it should.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "catalog/DirFile.h"
#include "jobs/JobCommands.h"
#include "jobs/JobImages.h"
#include "jobs/JobWindow.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

namespace {

class CountedMessages : public MessageSink {
public:
    int ShowMessage(const std::string& text, int kind) override {
        if (kind != Success) std::fprintf(stderr, "message (%d): %s\n", kind, text.c_str());
        kind == Success ? ++successes : ++others;
        return kMessageOk;
    }
    int successes = 0;
    int others = 0;
};

class SilentStatus : public StatusSink {
public:
    void ShowStatus(const std::string&) override {}
    void ShowProgress(std::int64_t, std::int64_t) override {}
};

// The left list and the browsed folder, without a window.
class BenchWindow : public JobWindow, public VerifyResultsView {
public:
    struct Row {
        std::string name;
        int image;
    };
    int RowCount() override { return static_cast<int>(rows.size()); }
    int CountMarked(int image) override {
        return static_cast<int>(std::count_if(rows.begin(), rows.end(), [image](const Row& r) { return r.image == image; }));
    }
    void NthMarkedName(int image, int k, std::string& name) override {
        name.clear();
        for (const Row& r : rows)
            if (r.image == image && --k == 0) {
                name = r.name;
                return;
            }
    }
    int IsMarkedAt(int image, int row) override {
        if (row < 0 || row >= RowCount()) return -1;
        return rows[static_cast<std::size_t>(row)].image == image;
    }
    std::string CurrentPath() override { return folder; }
    void ListTapeDirectory(const std::string&) override {}
    void RefillTargetFolder() override {}
    void ShowDriveStatus() override {}
    void ClearByteLabel() override {}
    void ShowResults() override {}
    void HideResults() override {}
    void EnableButtons(bool) override {}
    void RepaintResults() override {}

    std::vector<Row> rows;
    std::string folder;
};

bool IsArchive(const std::string& name) { return name.size() >= 3 && name.compare(name.size() - 3, 3, "zip") == 0; }

}  // namespace

int main(int argc, char** argv) {
    if (argc != 6) {
        std::fprintf(stderr, "usage: %s backup|restore|verify SOURCE RESTORE START BLOCK_LENGTH\n", argv[0]);
        return 2;
    }
    const std::string phase = argv[1];
    const std::string source = std::string(argv[2]) + "/";
    const std::string restore = std::string(argv[3]) + "/";
    std::string start = argv[4];
    const int blockLength = std::atoi(argv[5]);

    std::vector<std::unique_ptr<HostAdapter>> adapters;
    adapters.push_back(CreateVirtualHostAdapter());
    HostAdapterList::Install(std::move(adapters));
    DriveSelection drive;
    drive.address = {0, static_cast<BYTE>(VirtualHostAdapter::kTarget), 0};
    drive.blockLength = blockLength;
    ScsiDevice device;
    int medium = 0, count = 0, length = blockLength;
    if (device.ModeSelect(medium, count, length, 0, drive.address.target, 0) != 0) {
        std::fprintf(stderr, "no virtual drive (TAPEWREN_VTAPE?)\n");
        return 1;
    }

    CountedMessages messages;
    SilentStatus status;
    ByteCounters counters;
    TapeVolume volume(messages, status, counters, drive.address);
    DirFile dirFile(messages);
    BenchWindow window;
    VerifyResults results;
    std::string tapeName, dirPath;
    JobContext context{volume, device, dirFile, drive, messages, status, counters, window, start, tapeName, dirPath};
    JobCommands jobs(context, results, window);
    const std::string catalog = start + "/Bench.twd";

    std::int64_t bytes = 0;
    int tab = kBackupJobTab;
    if (phase == "backup") {
        if (volume.WriteIdentBlock("Bench") != 0 || dirFile.CreateForNewTape("Bench", catalog) != 0) return 1;
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(source))
            if (e.is_regular_file()) names.push_back(e.path().filename().string()), bytes += static_cast<std::int64_t>(e.file_size());
        std::sort(names.begin(), names.end());
        for (const auto& n : names) window.rows.push_back({n, IsArchive(n) ? JobImages::kBackupArchive : JobImages::kBackupFile});
        window.folder = source;
        counters.bytesTotal = bytes;
    } else if (phase == "restore" || phase == "verify") {
        const bool verify = phase == "verify";
        tab = verify ? kVerifyJobTab : kRestoreJobTab;
        std::string name, fileDate, backupDate;
        std::int32_t size = 0, blocks = 0;
        if (dirFile.OpenForReading(catalog) != 0 || dirFile.SkipIdent() != 0) return 1;
        while (dirFile.ReadNextEntry(name, fileDate, backupDate, size, blocks) == 0) {
            const bool archive = IsArchive(name);
            const int image = verify ? (archive ? JobImages::kVerifyArchive : JobImages::kVerifyFile)
                                     : (archive ? JobImages::kRestoreArchive : JobImages::kRestoreFile);
            window.rows.push_back({name, image});
            bytes += size;
        }
        dirFile.Close();
        window.folder = verify ? source : restore;
        counters.bytesTotal = bytes;
    } else {
        std::fprintf(stderr, "unknown phase %s\n", phase.c_str());
        return 2;
    }

    const auto t0 = std::chrono::steady_clock::now();
    jobs.StartCommand(tab);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    bool ok = messages.others == 0;
    if (tab == kVerifyJobTab) {
        ok = ok && results.Rows().size() == window.rows.size();
        for (const auto& row : results.Rows()) ok = ok && row.status == "OK";
    } else {
        ok = ok && messages.successes == 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("jobs %-8s %5zu files %11lld bytes %8.2f s %8.1f MB/s  peak %6.1f MiB%s\n", phase.c_str(),
                window.rows.size(), static_cast<long long>(bytes), seconds, static_cast<double>(bytes) / 1e6 / seconds,
                static_cast<double>(usage.ru_maxrss) / 1024.0, ok ? "" : "  FAILED");
    return ok ? 0 : 1;
}
