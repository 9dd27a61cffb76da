// One phase of the backup, restore or verify job, run through the
// toolkit-free jobs as the window would run them (without drawing), on the
// virtual drive over the image TAPEWREN_VTAPE names: one process that runs
// only the job, for profiling it (perf record -g -- jobs_bench ...).
// jobs_vs_tar.sh times whole tapewren-cli jobs instead.
//
//   jobs_bench backup|restore|restore-all|verify|scrub SOURCE_FOLDER RESTORE_FOLDER START_FOLDER BLOCK_LENGTH
//
// backup formats the tape "Bench" (catalog in START_FOLDER) and backs up
// every file of SOURCE_FOLDER, with the checksum TW_BENCH_SUM names (none,
// xxh3, sha256; default the program's own); restore restores every catalog
// row into RESTORE_FOLDER, restore-all every record on tape; verify compares
// every row with SOURCE_FOLDER; scrub reads the whole tape against the
// catalog's checksums. Prints the
// phase's time, rate and peak resident memory; exits 1 when the job did not
// end as it should.
#include <sys/resource.h>

#include <algorithm>
#include <chrono>
#include <cstdlib>
#include <cstdio>
#include <filesystem>
#include <string>
#include <vector>

#include "aspi/HostAdapterList.h"
#include "aspi/virtual/VirtualHostAdapter.h"
#include "catalog/DirFile.h"
#include "jobs/BackupJob.h"
#include "jobs/RestoreJob.h"
#include "jobs/ScrubJob.h"
#include "jobs/VerifyJob.h"
#include "jobs/JobEvents.h"
#include "scsi/ScsiDevice.h"
#include "tape/TapeVolume.h"

namespace {

class CountedMessages : public MessageSink {
public:
    int Show(const Message& message) override {
        const std::string& text = message.text;
        const int kind = message.kind;
        if (kind != Success && kind != Question) std::fprintf(stderr, "message (%d): %s\n", kind, text.c_str());
        kind == Success ? ++successes : kind == Question ? ++questions : ++others;
        return kMessageOk;
    }
    int successes = 0;
    int others = 0;
    int questions = 0;
};

class SilentStatus : public StatusSink {
public:
    void ShowStatus(const std::string&) override {}
    void ShowProgress(std::int64_t, std::int64_t) override {}
};

// What the jobs tell a face, unheard.
class Quiet : public JobEvents, public VerifyResultsSink {
public:
    void CatalogChanged(const std::string&) override {}
    void TargetFolderChanged() override {}
    void ShowDriveStatus() override {}
    void ClearByteLabel() override {}
    void ShowResults() override {}
    void HideResults() override {}
    void EnableButtons(bool) override {}
    void RepaintResults() override {}
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
    const char* sum = std::getenv("TW_BENCH_SUM");
    if (sum != nullptr && std::string(sum) == "none") volume.SetSumKind(SumKind::None);
    if (sum != nullptr && std::string(sum) == "xxh3") volume.SetSumKind(SumKind::Xxh3_128);
    if (sum != nullptr && std::string(sum) == "sha256") volume.SetSumKind(SumKind::Sha256);
    DirFile dirFile(messages);
    Quiet window;
    VerifyResults results;
    std::string tapeName, dirPath;
    JobContext context{volume, device, dirFile, drive, messages, status, counters, window, start, tapeName, dirPath};
    BackupRequest backup;
    RestoreRequest restoreRequest;
    VerifyRequest verifyRequest;
    std::size_t files = 0;
    const std::string catalog = start + "/Bench.twd";

    std::int64_t bytes = 0;
    if (phase == "backup") {
        if (volume.WriteIdentBlock("Bench") != 0 || dirFile.CreateForNewTape("Bench", catalog) != 0) return 1;
        std::vector<std::string> names;
        for (const auto& e : std::filesystem::directory_iterator(source))
            if (e.is_regular_file()) names.push_back(e.path().filename().string()), bytes += static_cast<std::int64_t>(e.file_size());
        std::sort(names.begin(), names.end());
        for (const auto& n : names) (IsArchive(n) ? backup.archives : backup.files).push_back(n);
        backup.folder = source;
        files = names.size();
        counters.bytesTotal = bytes;
    } else if (phase == "restore" || phase == "verify" || phase == "restore-all" || phase == "scrub") {
        const bool verify = phase == "verify";
        std::string name, fileDate, backupDate;
        std::int32_t size = 0, blocks = 0;
        if (dirFile.OpenForReading(catalog) != 0 || dirFile.SkipIdent() != 0) return 1;
        while (dirFile.ReadNextEntry(name, fileDate, backupDate, size, blocks) == 0) {
            (verify ? verifyRequest.entries : restoreRequest.entries).push_back(static_cast<int>(files++));
            bytes += size;
        }
        dirFile.Close();
        verifyRequest.listed = restoreRequest.listed = static_cast<int>(files);
        if (phase == "restore-all" || phase == "scrub") restoreRequest.entries.clear();
        tapeName = "Bench";
        dirPath = catalog;
        verifyRequest.folder = source;
        restoreRequest.folder = restore;
        counters.bytesTotal = bytes;
    } else {
        std::fprintf(stderr, "unknown phase %s\n", phase.c_str());
        return 2;
    }

    bool scrubbed = true;
    const auto t0 = std::chrono::steady_clock::now();
    if (phase == "backup") BackupJob(context).Run(backup);
    if (phase == "restore" || phase == "restore-all") RestoreJob(context).Run(restoreRequest);
    if (phase == "scrub") scrubbed = ScrubJob(context).Run().result == JobResult::Done;
    if (phase == "verify") VerifyJob(context, results, window).Run(verifyRequest);
    const double seconds = std::chrono::duration<double>(std::chrono::steady_clock::now() - t0).count();

    bool ok = messages.others == 0 && scrubbed;
    if (phase == "verify") {
        ok = ok && results.Rows().size() == files;
        for (const auto& row : results.Rows()) ok = ok && row.status == "OK";
    } else {
        ok = ok && messages.successes == 1;
    }
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    std::printf("jobs %-8s %5zu files %11lld bytes %8.2f s %8.1f MB/s  peak %6.1f MiB%s\n", phase.c_str(),
                files, static_cast<long long>(bytes), seconds, static_cast<double>(bytes) / 1e6 / seconds,
                static_cast<double>(usage.ru_maxrss) / 1024.0, ok ? "" : "  FAILED");
    return ok ? 0 : 1;
}
