#pragma once
// The jobs on the virtual drive: a TapeVolume over a fresh image, a catalog
// in a temporary start directory, a fake window holding the left list's rows
// and a clock the test sets. Records every CDB the drive receives.

#include <gtest/gtest.h>

#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "catalog/DirFile.h"
#include "catalog/DirFileEntry.h"
#include "catalog/DirFileFormat.h"
#include "jobs/BackupJob.h"
#include "jobs/JobContext.h"
#include "jobs/RestoreJob.h"
#include "jobs/VerifyJob.h"
#include "lists/Tab.h"
#include "support/FakeJobWindow.h"
#include "support/TapeFixture.h"
#include "support/TapeStructure.h"

struct CatalogEntry {
    std::string name, fileDate, backupDate;
    std::int32_t size = 0, blockCount = 0;
};

class JobFixture : public TapeFixture {
protected:
    // The clock the jobs read: each call returns the next second of a run
    // that starts at 1000, unless a test scripts the times.
    static inline std::int64_t clockNow = 1000;
    static inline std::int64_t clockStep = 0;
    static std::int64_t FakeClock() {
        const std::int64_t now = clockNow;
        clockNow += clockStep;
        return now;
    }

    void SetUp() override {
        TapeFixture::SetUp();
        startDirectory = dir;
        window.folder = Src();
        selection.address = drive;
        selection.blockLength = blockLength;
        clockNow = 1000;
        clockStep = 0;
        MakeJobs();
    }

    void MakeJobs() {
        context = std::make_unique<JobContext>(JobContext{*volume, device, dirFile, selection, messages, status,
                                                          counters, window, startDirectory, tapeName, dirPath,
                                                          &JobFixture::FakeClock});
        jobs = std::make_unique<Jobs>(*context, results, window);
        faults->beforeCdb = [this](std::span<const std::uint8_t> cdb) { cdbs.emplace_back(cdb.begin(), cdb.end()); };
    }

    // Takes the cartridge out, lets change work on the image file, and loads
    // it again (capacityMb 0: the drive's default), as a new run would.
    void ChangeImage(const std::function<void()>& change, int capacityMb = 0) {
        jobs.reset();
        context.reset();
        volume.reset();
        HostAdapterList::Install({});
        change();
        LoadImage(capacityMb);
        SetBlockLength(blockLength);
        volume = std::make_unique<TapeVolume>(messages, status, counters, drive);
        MakeJobs();
    }
    // Index in the image of the first object of record k (from 1): after the
    // k-th filemark.
    static std::size_t RecordStart(const std::vector<TapObject>& objects, int k) {
        std::size_t at = 0;
        for (int marks = 0; at < objects.size() && marks < k; ++at) marks += objects[at].filemark;
        return at;
    }

    void TearDown() override {
        jobs.reset();
        context.reset();
        TapeFixture::TearDown();
    }

    std::string CatalogPath(const std::string& name) const { return startDirectory + "/" + name + ".twd"; }

    // A formatted tape with an empty catalog, as FORMAT Tape leaves them.
    void Format(const std::string& name = "Daily") {
        ASSERT_EQ(volume->WriteIdentBlock(name), 0);
        ASSERT_EQ(dirFile.CreateForNewTape(name, CatalogPath(name)), 0);
        cdbs.clear();
    }

    // Adds count entries of one-byte files to the catalog in one write.
    void AddEntries(const std::string& path, int count) {
        Bytes catalog = ReadFile(path);
        Bytes entry(DirFileFormat::kEntrySize);
        for (int i = 0; i < count; ++i) {
            EncodeDirFileEntry({"f" + std::to_string(i), "", "", 1, 1}, entry.data());
            catalog.insert(catalog.end(), entry.begin(), entry.end());
        }
        WriteFile(path, catalog);
    }

    Bytes MakeFile(const std::string& name, std::size_t size, std::uint32_t seed) {
        Bytes data = Pattern(size, seed);
        WriteFile(Src() + name, data);
        return data;
    }

    void Mark(const std::vector<FakeJobWindow::Row>& rows) { window.rows = rows; }

    // Marks these files of src/ for backup (".zip" names as archives) and
    // runs the backup; the summary is answered OK.
    void BackUp(const std::vector<std::string>& names) {
        window.rows.clear();
        for (const auto& name : names)
            window.rows.push_back({name, name.ends_with("zip") ? 16 : 12});
        window.folder = Src();
        StartCommand(kBackupJobTab);
    }

    // The catalog as the jobs would list it: rows with image 10 or 14.
    std::vector<CatalogEntry> Entries(const std::string& path) {
        std::vector<CatalogEntry> entries;
        EXPECT_EQ(dirFile.OpenForReading(path), 0);
        EXPECT_EQ(dirFile.SkipIdent(), 0);
        CatalogEntry e;
        while (dirFile.ReadNextEntry(e.name, e.fileDate, e.backupDate, e.size, e.blockCount) == 0)
            entries.push_back(e);
        dirFile.Close();
        return entries;
    }
    void ListCatalog(const std::string& path) {
        window.rows.clear();
        for (const auto& e : Entries(path)) window.rows.push_back({e.name, e.name.ends_with("zip") ? 14 : 10});
    }
    void MarkRows(const std::vector<int>& rows, int file, int archive) {
        for (int i : rows) {
            auto& row = window.rows[static_cast<std::size_t>(i)];
            row.image = row.image == 14 ? archive : file;
        }
    }

    // Counts of the SPACE-over-filemarks commands the drive received.
    std::vector<int> Spacings() const {
        std::vector<int> counts;
        for (const auto& cdb : cdbs)
            if (cdb.size() >= 5 && cdb[0] == 0x11 && cdb[1] == 0x01) counts.push_back(cdb[2] << 16 | cdb[3] << 8 | cdb[4]);
        return counts;
    }
    bool Sent(std::uint8_t opcode) const {
        for (const auto& cdb : cdbs)
            if (!cdb.empty() && cdb[0] == opcode) return true;
        return false;
    }
    std::size_t Count(std::uint8_t opcode) const {
        std::size_t n = 0;
        for (const auto& cdb : cdbs) n += !cdb.empty() && cdb[0] == opcode;
        return n;
    }

    void ExpectTapeMatchesCatalog(const std::string& path) {
        TapeStructure::ExpectMatches(image, path, blockLength, dir);
    }

    // Whether this process holds the file open (the catalog's read
    // sequence keeps it open until Close).
    static bool HeldOpen(const std::string& path) {
        const auto target = std::filesystem::weakly_canonical(path);
        for (const auto& fd : std::filesystem::directory_iterator("/proc/self/fd")) {
            std::error_code error;
            const auto link = std::filesystem::read_symlink(fd.path(), error);
            if (!error && link == target) return true;
        }
        return false;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : messages.shown) texts.push_back(m.text);
        return texts;
    }

    DirFile dirFile{messages};
    DriveSelection selection;
    FakeJobWindow window;
    VerifyResults results;
    std::string startDirectory;
    std::string tapeName;
    std::string dirPath;
    std::unique_ptr<JobContext> context;
    // The three jobs behind START, run with the requests of the rows' marks
    // as the window makes them.
    struct Jobs {
        Jobs(JobContext& context, VerifyResults& results, VerifyResultsSink& view)
            : backup(context), restore(context), verify(context, results, view) {}
        BackupJob backup;
        RestoreJob restore;
        VerifyJob verify;
    };
    JobResult StartCommand(int tab) {
        switch (tab) {
        case kBackupJobTab:
            return jobs->backup.Run(window.Backup()).result;
        case kRestoreJobTab:
            return jobs->restore
                .Run({window.Marked(11, 15), static_cast<int>(window.rows.size()), window.folder, restorePolicy})
                .result;
        case kVerifyJobTab:
            return jobs->verify.Run({window.Marked(19, 20), static_cast<int>(window.rows.size()), window.folder})
                .result;
        default:
            return JobResult::Done;
        }
    }
    static constexpr int kBackupJobTab = kBackupTab;
    static constexpr int kRestoreJobTab = kRestoreTab;
    static constexpr int kVerifyJobTab = kVerifyTab;

    RestorePolicy restorePolicy;
    std::unique_ptr<Jobs> jobs;
    std::vector<std::vector<std::uint8_t>> cdbs;
};
