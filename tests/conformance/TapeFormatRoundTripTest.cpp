// Format, back up, restore and verify at the level of the tape format, with
// a directory file as the program keeps it, once per drive; tgt must give the
// very results the virtual drive gives.

#include <gtest/gtest.h>

#include <cstdlib>
#include <ctime>
#include <filesystem>
#include <fstream>
#include <sstream>

#include "TestDrive.h"
#include "catalog/DirFile.h"
#include "jobs/MaintenanceHost.h"
#include "jobs/RebuildDirFile.h"
#include "scsi/Sleep.h"
#include "support/FileContents.h"
#include "support/PatternBytes.h"
#include "support/RecordingStatus.h"
#include "support/ScriptedMessages.h"
#include "tape/FileHeader.h"
#include "tape/TapeFormat.h"
#include "tape/TapeVolume.h"

namespace fs = std::filesystem;

namespace {

constexpr int kBlockLength = 1024;
constexpr char kTapeName[] = "RoundTrip";

std::vector<char> Pattern(std::size_t size, unsigned seed) { return PatternBytes<std::vector<char>>(size, seed, 1); }

std::vector<char> Contents(const std::string& path) { return FileContents<std::vector<char>>(path); }

struct CatalogEntry {
    std::string name, fileDate, backupDate;
    std::int32_t size = 0, blockCount = 0;
};

// One pass over one drive; every outcome goes into a line of the log so
// that two drives can be compared as a whole.
class RoundTrip {
public:
    explicit RoundTrip(DriveKind kind) : kind_(kind) {}
    ~RoundTrip() {
        volume_.reset();
        drive_.reset();
        std::error_code ec;
        if (!dir_.empty()) fs::remove_all(dir_, ec);
    }

    std::string Run() {
        const std::string error = Start();
        if (!error.empty()) return error;
        const std::vector<std::size_t> sizes = {0, 1, 1023, 1024, 65 * 1024, 74 * 1024 + 5, 300001};
        Log("format", volume_->WriteIdentBlock(kTapeName));
        const std::string catalog = dir_ + "/" + kTapeName + ".twd";
        Log("catalog", catalog_.CreateForNewTape(kTapeName, catalog));
        BackUp(sizes, 0, catalog);
        // A second session appends at end of data, as the backup job does.
        BackUp({4096, 2}, sizes.size(), catalog);

        std::vector<CatalogEntry> entries;
        ReadCatalog(catalog, entries);
        Log("entries", static_cast<int>(entries.size()));
        RestoreByCatalog(entries);
        VerifyByCatalog(entries);
        FullRestore(entries);
        Log("messages", static_cast<int>(messages_.shown.size()));
        if (!drive_->ImageFile().empty()) image_ = Contents(drive_->ImageFile());
        return log_.str();
    }
    // A backup cut off inside its second record, with no filemark after
    // it, then a rebuild of the catalog from the tape.
    std::string RebuildAfterACutBackup() {
        const std::string error = Start();
        if (!error.empty()) return error;
        Log("format", volume_->WriteIdentBlock(kTapeName));
        Log("catalog", catalog_.CreateForNewTape(kTapeName, dir_ + "/backup.twd"));
        BackUp({5000}, 0, dir_ + "/backup.twd");
        // The header names 3 blocks of data; 2 of them reached the tape.
        std::vector<std::uint8_t> blocks(3 * kBlockLength, 0x5A);
        EncodeFileHeader({"cut.bin", "01.02.2026 10:00:00", "01.02.2026 10:00:00", 3 * kBlockLength, 4},
                         blocks.data(), kBlockLength);
        Log("cut", device_.Write(blocks.data(), 3, address_.adapter, address_.target, 0));
        struct : MaintenanceHost {
            void ShowDriveStatus() override {}
            void ShowDirectoryFiles() override {}
        } host;
        messages_.shown.clear();
        RebuildDirFile rebuild(messages_, status_, device_, address_, *volume_, catalog_);
        Log("rebuild", static_cast<int>(rebuild.Run(dir_, host)));
        std::vector<CatalogEntry> entries;
        ReadCatalog(rebuild.Path(), entries);
        for (const auto& message : messages_.shown) log_ << "said " << message.text << "\n";
        return log_.str();
    }

    // The cartridge's image as Run left it (built-in drives only).
    const std::vector<char>& Image() const { return image_; }

private:
    void Log(const std::string& what, long long value) { log_ << what << ' ' << value << '\n'; }

    // A drive with a blank tape, ready, at the block length; "" or what failed.
    std::string Start() {
        char pattern[] = "/tmp/tw-roundtrip-XXXXXX";
        if (mkdtemp(pattern) == nullptr) return "no temporary folder";
        dir_ = pattern;
        fs::create_directories(dir_ + "/src");
        fs::create_directories(dir_ + "/dst");
        fs::create_directories(dir_ + "/full");
        drive_ = TestDrive::Make(kind_);
        std::string error;
        if (!drive_->Prepare(false, error)) return "drive: " + error;
        address_ = drive_->Address();
        error = AwaitReady(address_);
        if (!error.empty()) return "drive: " + error;
        int medium = 0, count = 0, length = kBlockLength;
        Log("select", device_.ModeSelect(medium, count, length, address_.adapter, address_.target, 0));
        volume_ = std::make_unique<TapeVolume>(messages_, status_, counters_, address_);
        return {};
    }

    void BackUp(const std::vector<std::size_t>& sizes, std::size_t first, const std::string& catalog) {
        Log("eod", volume_->MoveToEOD());
        for (std::size_t i = 0; i < sizes.size(); ++i) {
            const std::string name = "file" + std::to_string(first + i) + ".bin";
            const std::vector<char> bytes = Pattern(sizes[i], static_cast<unsigned>(first + i + 3));
            std::ofstream(dir_ + "/src/" + name, std::ios::binary).write(bytes.data(),
                                                                         static_cast<std::streamsize>(bytes.size()));
            Log("backup " + name, volume_->BackupFile(name, dir_ + "/src", kBlockLength));
            Log("append " + name, catalog_.AppendBackedUpFile(catalog, name, dir_ + "/src", kBlockLength));
        }
    }

    void ReadCatalog(const std::string& catalog, std::vector<CatalogEntry>& entries) {
        Log("open", catalog_.OpenForReading(catalog));
        Log("skip", catalog_.SkipIdent());
        CatalogEntry e;
        while (catalog_.ReadNextEntry(e.name, e.fileDate, e.backupDate, e.size, e.blockCount) == 0) {
            entries.push_back(e);
            log_ << "entry " << e.name << ' ' << e.size << ' ' << e.blockCount << '\n';
        }
        catalog_.Close();
    }

    bool Same(const std::string& name, const std::string& folder) {
        return Contents(dir_ + "/src/" + name) == Contents(dir_ + "/" + folder + "/" + name);
    }

    // Entry k is the record after the k-th filemark: one filemark from the
    // ident block to the first, and each record is read over its own.
    void RestoreByCatalog(const std::vector<CatalogEntry>& entries) {
        std::string name, date, version;
        Log("ident", volume_->ReadIdentBlock(name, date, version));
        log_ << "tape " << name << ' ' << version << '\n';
        Log("space", device_.SpaceFilemarks(1, address_.adapter, address_.target, 0));
        for (const CatalogEntry& e : entries) {
            Log("restore " + e.name,
                volume_->RestoreFile(e.name, e.fileDate, e.size, e.blockCount, kBlockLength, dir_ + "/dst"));
            Log("same " + e.name, Same(e.name, "dst"));
        }
    }

    void VerifyByCatalog(const std::vector<CatalogEntry>& entries) {
        std::string name, date, version;
        Log("ident", volume_->ReadIdentBlock(name, date, version));
        Log("space", device_.SpaceFilemarks(1, address_.adapter, address_.target, 0));
        for (const CatalogEntry& e : entries) {
            Log("verify " + e.name,
                volume_->VerifyFile(e.name, e.fileDate, e.size, e.blockCount, kBlockLength, dir_ + "/src"));
        }
    }

    void FullRestore(const std::vector<CatalogEntry>& entries) {
        std::string name, date, version;
        Log("ident", volume_->ReadIdentBlock(name, date, version));
        Log("space", device_.SpaceFilemarks(1, address_.adapter, address_.target, 0));
        for (std::size_t i = 0; i < entries.size(); ++i) {
            Log("full " + entries[i].name, volume_->RestoreNextFile(kBlockLength, dir_ + "/full"));
            Log("same " + entries[i].name, Same(entries[i].name, "full"));
        }
        // Past the last record's filemark there is nothing more to read.
        std::string n, m, b;
        std::int32_t size = 0, blocks = 0;
        Log("header at end fails", volume_->ReadFileHeader(n, m, b, size, blocks) == -1);
    }

    DriveKind kind_;
    std::string dir_;
    std::unique_ptr<TestDrive> drive_;
    DriveAddress address_;
    ScsiDevice device_;
    ScriptedMessages messages_;
    RecordingStatus status_;
    ByteCounters counters_;
    DirFile catalog_{messages_};
    std::unique_ptr<TapeVolume> volume_;
    std::ostringstream log_;
    std::vector<char> image_;
};

class TapeFormatRoundTrip : public ::testing::Test {
protected:
    void SetUp() override { SetSleepFunction(TestSleep); }
    void TearDown() override { SetSleepFunction(nullptr); }
};

TEST_F(TapeFormatRoundTrip, VirtualDriveRestoresAndVerifiesEveryFile) {
    const std::string log = RoundTrip(DriveKind::Virtual).Run();
    std::istringstream lines(log);
    int same = 0;
    for (std::string line; std::getline(lines, line);) {
        const std::string value = line.substr(line.rfind(' ') + 1);
        const bool flag = line.compare(0, 5, "same ") == 0 || line.find(" fails") != std::string::npos;
        if (flag) {
            EXPECT_EQ(value, "1") << line;
            same += line.compare(0, 5, "same ") == 0;
        } else if (line.compare(0, 6, "entry ") != 0 && line.compare(0, 5, "tape ") != 0 &&
                   line.compare(0, 8, "entries ") != 0) {
            EXPECT_EQ(value, "0") << line;
        }
    }
    EXPECT_EQ(same, 18) << "nine files restored twice";
    EXPECT_NE(log.find("entries 9\n"), std::string::npos) << log;
    EXPECT_NE(log.find("tape RoundTrip 1.6\n"), std::string::npos) << log;
}

int Today() {
    const std::time_t now = std::time(nullptr);
    std::tm local{};
    localtime_r(&now, &local);
    return local.tm_yday;
}

TEST_F(TapeFormatRoundTrip, LtoPersonalityGivesTheSameResultsAndTheSameImage) {
    const int day = Today();
    RoundTrip plain(DriveKind::Virtual);
    RoundTrip lto(DriveKind::Lto);
    const std::string plainLog = plain.Run();
    EXPECT_EQ(lto.Run(), plainLog);
    ASSERT_FALSE(plain.Image().empty());
    // The images hold the day's date: a run across midnight cannot compare them.
    if (Today() != day) GTEST_SKIP() << "the date changed during the runs";
    EXPECT_TRUE(lto.Image() == plain.Image()) << "the images differ";
}

// The unfinished last record is left out and said to be, on every drive,
// however it reports the end of data inside that record's file.
TEST_F(TapeFormatRoundTrip, RebuildLeavesOutTheRecordACutBackupLeft) {
    const std::string virtualLog = RoundTrip(DriveKind::Virtual).RebuildAfterACutBackup();
    EXPECT_NE(virtualLog.find("rebuild 0\n"), std::string::npos) << virtualLog;
    EXPECT_NE(virtualLog.find("append file0.bin 0\ncut 0\n"), std::string::npos) << virtualLog;
    EXPECT_NE(virtualLog.find("skip 0\nentry file0.bin 5000 5\nsaid"), std::string::npos) << "cut.bin is not listed\n"
                                                                                          << virtualLog;
    EXPECT_NE(virtualLog.find("The last file record on tape is unfinished and was left out"), std::string::npos)
        << virtualLog;
    EXPECT_EQ(RoundTrip(DriveKind::Lto).RebuildAfterACutBackup(), virtualLog);
    EXPECT_EQ(RoundTrip(DriveKind::Tgt).RebuildAfterACutBackup(), virtualLog);
}

TEST_F(TapeFormatRoundTrip, TgtGivesTheSameResultsAsTheVirtualDrive) {
    const std::string virtualLog = RoundTrip(DriveKind::Virtual).Run();
    const std::string tgtLog = RoundTrip(DriveKind::Tgt).Run();
    EXPECT_EQ(tgtLog, virtualLog);
}

}  // namespace
