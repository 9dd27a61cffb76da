// Rebuilding a directory file from the tape in the virtual drive: after real
// backups the rebuilt catalog equals the lost one; hand-built tapes give the
// edge cases (ident block only, more than 999 records, type-2 headers, names
// that must not reach a catalog); every question answered both ways.

#include <gtest/gtest.h>

#include <csignal>
#include <filesystem>
#include <sys/resource.h>

#include "catalog/DirFile.h"
#include "jobs/MaintenanceHost.h"
#include "jobs/RebuildDirFile.h"
#include "support/HandBuiltBlocks.h"
#include "support/TapeFixture.h"

namespace {

const std::string kQuestion =
    "This function will take a while.\n(You can do a full restore without the Directory file.)\n\nCreate the "
    "Directory File anyway?";
const std::string kOverwrite = "A tape with that name exists already. Overwrite?";
// The last line of the closing message of a rebuild that listed files.
const std::string kNoSums =
    "\nA DirFile made from the tape holds no checksums: scrub, restore and verify cannot check these files' data "
    "against the data that was backed up.";

// Records the host calls in one sequence with the messages shown, so that
// their order can be checked.
class RecordingHost : public MaintenanceHost {
public:
    explicit RecordingHost(std::vector<std::string>& log) : log_(log) {}
    void ShowDriveStatus() override { log_.push_back("drive status"); }
    void ShowDirectoryFiles() override { log_.push_back("directory files"); }

private:
    std::vector<std::string>& log_;
};

class LoggingMessages : public ScriptedMessages {
public:
    explicit LoggingMessages(std::vector<std::string>& log) : log_(log) {}
    int Answer(const std::string& text, int kind) override {
        log_.push_back("message " + std::to_string(kind) + ": " + text);
        return ScriptedMessages::Answer(text, kind);
    }

private:
    std::vector<std::string>& log_;
};

class RebuildDirFileTest : public TapeFixture {
protected:
    void SetUp() override {
        TapeFixture::SetUp();
        start = dir + "/start";
        std::filesystem::create_directories(start);
    }
    void TearDown() override {
        if (!memoryFolder.empty()) std::filesystem::remove_all(memoryFolder);
        TapeFixture::TearDown();
    }

    JobResult Rebuild() {
        RebuildDirFile rebuild(window, status, device, drive, *volume, dirFile);
        return rebuild.Run(start, host);
    }

    // Writes the image by hand (ident block, filemark, then each record's
    // blocks and a filemark, but none after the last when it is unfinished)
    // and loads it as a fresh cartridge.
    void HandBuiltTape(const std::vector<std::vector<Bytes>>& records, const std::string& name = "Hand",
                       const std::string& date = "01.02.2003", const std::string& version = "1.4",
                       bool lastUnfinished = false) {
        std::vector<TapObject> objects;
        objects.push_back({false, HandBuilt::Ident(static_cast<std::size_t>(blockLength), name, date, version)});
        objects.push_back({true, {}});
        for (const auto& blocks : records) {
            for (const auto& block : blocks) objects.push_back({false, block});
            objects.push_back({true, {}});
        }
        if (lastUnfinished) objects.pop_back();
        UseImage(objects);
    }

    // Marks block `index` of the image as one the drive cannot read
    // (SIMH's bad-data class) and loads the image again.
    void MarkUnreadable(std::size_t index) {
        volume.reset();
        HostAdapterList::Install({});
        bool ok = false;
        const auto objects = TapImage::Parse(image, ok);
        ASSERT_TRUE(ok);
        Bytes bytes = ReadFile(image);
        const std::size_t at = TapImage::OffsetOf(objects, index);
        bytes[at + 3] |= 0x80;
        bytes[at + 4 + objects[index].data.size() + 3] |= 0x80;
        WriteFile(image, bytes);
        LoadImage();
        SetBlockLength(blockLength);
        volume = std::make_unique<TapeVolume>(messages, status, counters, drive);
    }

    // A record of one header and one zero data block.
    std::vector<Bytes> Record(const std::string& name, std::uint8_t type = 1, std::uint32_t size = 10) {
        const auto length = static_cast<std::size_t>(blockLength);
        return {HandBuilt::Header(length, type, name, "03.04.2005", "06.07.2008", size, 1), Bytes(length, 0)};
    }

    struct Entry {
        std::string name, fileDate, backupDate;
        std::int32_t size, blocks;
    };
    std::vector<Entry> Entries(const std::string& path) {
        std::vector<Entry> entries;
        if (dirFile.OpenForReading(path) != 0 || dirFile.SkipIdent() != 0) return entries;
        Entry e;
        while (dirFile.ReadNextEntry(e.name, e.fileDate, e.backupDate, e.size, e.blocks) == 0) entries.push_back(e);
        dirFile.Close();
        return entries;
    }

    std::vector<std::string> Texts() const {
        std::vector<std::string> texts;
        for (const auto& m : window.shown) texts.push_back(m.text);
        return texts;
    }

    std::string start;
    std::string memoryFolder;
    std::vector<std::string> log;
    LoggingMessages window{log};
    RecordingHost host{log};
    ScriptedMessages dirFileMessages;
    DirFile dirFile{dirFileMessages};
};

TEST_F(RebuildDirFileTest, LostCatalogComesBackByteForByte) {
    const std::string today = TodayText();
    const std::string path = start + "/Weekly.twd";
    ASSERT_EQ(volume->WriteIdentBlock("Weekly"), 0);
    ASSERT_EQ(dirFile.CreateForNewTape("Weekly", path), 0);
    const std::vector<std::pair<std::string, std::size_t>> files = {
        {"empty.txt", 0}, {"one-block.bin", 1024}, {"report.zip", 70000}, {"notes.txt", 5}};
    std::uint32_t seed = 1;
    for (const auto& [name, size] : files) {
        WriteFile(Src() + name, Pattern(size, seed++));
        ASSERT_EQ(volume->BackupFile(name, Src(), blockLength), 0) << name;
        ASSERT_EQ(dirFile.AppendBackedUpFile(path, name, Src(), blockLength), 0) << name;
    }
    const Bytes lost = ReadFile(path);
    ASSERT_EQ(lost.size(), 78u + 4u * 286u);
    std::filesystem::remove(path);

    EXPECT_EQ(Rebuild(), JobResult::Done);
    if (TodayText() != today) GTEST_SKIP() << "ran across midnight: the backup dates differ legitimately";
    EXPECT_EQ(ReadFile(path), lost);
    EXPECT_EQ(dirFile.CountEntries(path), 4);
    EXPECT_EQ(status.statuses,
              (std::vector<std::string>{" Rewinding tape ...", " Reading tape ...",
                                        " Reading File Info: empty.txt ...", " Reading File Info: one-block.bin ...",
                                        " Reading File Info: report.zip ...", " Reading File Info: notes.txt ...",
                                        "Finished."}));
    EXPECT_EQ(log, (std::vector<std::string>{"message 1: " + kQuestion, "directory files",
                                             "message 5: Finished creating Directory File" + kNoSums, "drive status"}));
}

TEST_F(RebuildDirFileTest, TapeWithOnlyAnIdentBlockGivesBareHeaderWithTheTapesDateAndVersion) {
    HandBuiltTape({}, "Bare", "29.02.2000", "1.2");
    EXPECT_EQ(Rebuild(), JobResult::Done);
    const std::string path = start + "/Bare.twd";
    ASSERT_EQ(std::filesystem::file_size(path), 78u);
    std::string name, date, version;
    ASSERT_EQ(dirFile.ReadIdent(path, name, date, version), 0);
    EXPECT_EQ(name, "Bare");
    EXPECT_EQ(date, "29.02.2000");
    EXPECT_EQ(version, "1.2");
    EXPECT_EQ(Texts(), (std::vector<std::string>{kQuestion, "Finished creating Directory File"}));
}

TEST_F(RebuildDirFileTest, EntriesKeepTapeOrderAndEveryHeaderField) {
    const auto length = static_cast<std::size_t>(blockLength);
    HandBuiltTape({{HandBuilt::Header(length, 1, "b.txt", "01.01.2001", "02.02.2002", 2048, 3), Bytes(length),
                    Bytes(length), Bytes(length)},
                   {HandBuilt::Header(length, 2, "A.ZIP", "03.03.2003", "04.04.2004", 1030, 2), Bytes(length),
                    Bytes(length)}});
    ASSERT_EQ(Rebuild(), JobResult::Done);
    const auto entries = Entries(start + "/Hand.twd");
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0].name, "b.txt");
    EXPECT_EQ(entries[0].fileDate, "01.01.2001");
    EXPECT_EQ(entries[0].backupDate, "02.02.2002");
    EXPECT_EQ(entries[0].size, 2048);
    EXPECT_EQ(entries[0].blocks, 3);
    EXPECT_EQ(entries[1].name, "A.ZIP");
    EXPECT_EQ(entries[1].size, 1030);
    EXPECT_EQ(entries[1].blocks, 2);
    // A type-2 header is written back as an ordinary entry of type 1.
    const Bytes bytes = ReadFile(start + "/Hand.twd");
    ASSERT_EQ(bytes.size(), 78u + 2u * 286u);
    EXPECT_EQ(bytes[78 + 286], 1);
}

// A catalog holds 999 entries: the rest of the tape is said to be unlisted.
TEST_F(RebuildDirFileTest, MoreThan999RecordsListTheFirst999AndSaySo) {
    SetBlockLength(512);
    std::vector<std::vector<Bytes>> records;
    for (int i = 0; i < 1001; ++i) records.push_back(Record("f" + std::to_string(i)));
    HandBuiltTape(records);
    ASSERT_EQ(Rebuild(), JobResult::Failed);
    const std::string path = start + "/Hand.twd";
    EXPECT_EQ(std::filesystem::file_size(path), 78u + 999u * 286u);
    EXPECT_EQ(Entries(path).back().name, "f998");
    EXPECT_EQ(Texts().back(), "Finished creating Directory File\nThe tape holds more file records than a DirFile can "
                              "list (999): those after record 999 are not listed. A full restore reads them all." + kNoSums);
    EXPECT_EQ(window.shown.back().kind, Attention);
}

// Every record keeps its place: record 3 is damaged in one way each, and
// record 4 is still entry 4. A header that cannot be read or used gets the
// entry that stands for a damaged record; damage behind a readable header
// is not looked for (the rebuild reads no data) and shows in a restore.
struct RecordDamage {
    const char* what;
    bool listedAsDamaged;
};

class RebuildDamageTest : public RebuildDirFileTest, public ::testing::WithParamInterface<RecordDamage> {};

TEST_P(RebuildDamageTest, KeepsTheRecordsPlace) {
    const std::string what = GetParam().what;
    const auto length = static_cast<std::size_t>(blockLength);
    auto header = [&](std::uint8_t type, std::uint32_t size, std::uint32_t blocks) {
        return HandBuilt::Header(length, type, "x", "03.04.2005", "06.07.2008", size, blocks);
    };
    std::vector<Bytes> third = Record("x");
    if (what == "NoHeader") third = {Bytes(length, 0)};
    if (what == "BadType") third = {header(7, 10, 1), Bytes(length)};
    if (what == "EmptyTapeFile") third = {};
    if (what == "SizeAgainstBlockCount") third = {header(1, 5000, 1), Bytes(length)};
    if (what == "FewerBlocks") third = {header(1, 3000, 3), Bytes(length)};
    if (what == "MoreBlocks") third = {header(1, 10, 1), Bytes(length), Bytes(length), Bytes(length)};
    HandBuiltTape({Record("one"), Record("two"), third, Record("four")});
    // Objects: ident, mark, one (header, block, mark), two (the same), x (header 8, block 9, ...).
    if (what == "UnreadableBlock") MarkUnreadable(9);
    if (what == "UnreadableHeader") MarkUnreadable(8);

    const bool damaged = GetParam().listedAsDamaged;
    EXPECT_EQ(Rebuild(), damaged ? JobResult::Failed : JobResult::Done);
    std::vector<std::string> names;
    for (const auto& e : Entries(start + "/Hand.twd")) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"one", "two", damaged ? "/damaged file record/" : "x", "four"}));
    EXPECT_EQ(Texts(), (std::vector<std::string>{
                           kQuestion, (damaged ? "Finished creating Directory File\nFile record 3 is damaged: the "
                                                 "DirFile lists it as damaged, so that every other entry keeps its place."
                                               : "Finished creating Directory File") + kNoSums}));
    EXPECT_EQ(window.shown.back().kind, damaged ? Attention : Success);
}

INSTANTIATE_TEST_SUITE_P(Kinds, RebuildDamageTest,
                         ::testing::Values(RecordDamage{"NoHeader", true}, RecordDamage{"BadType", true},
                                           RecordDamage{"EmptyTapeFile", true},
                                           RecordDamage{"SizeAgainstBlockCount", true},
                                           RecordDamage{"UnreadableHeader", true}, RecordDamage{"FewerBlocks", false},
                                           RecordDamage{"MoreBlocks", false}, RecordDamage{"UnreadableBlock", false}),
                         [](const auto& info) { return std::string(info.param.what); });

// What a backup that did not end leaves (a full cartridge, a crash) is no
// file record: listing it would make every later backup and its restore fail.
TEST_F(RebuildDirFileTest, UnfinishedLastRecordIsLeftOutAndSaidSo) {
    HandBuiltTape({Record("one"), Record("two"), Record("three")}, "Hand", "01.02.2003", "1.4", true);
    EXPECT_EQ(Rebuild(), JobResult::Done);
    std::vector<std::string> names;
    for (const auto& e : Entries(start + "/Hand.twd")) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"one", "two"}));
    EXPECT_EQ(Texts().back(), "Finished creating Directory File\nThe last file record on tape is unfinished and was "
                              "left out; the next backup writes over it." + kNoSums);
    EXPECT_EQ(window.shown.back().kind, Success);
}

TEST_F(RebuildDirFileTest, DecliningTheFirstQuestionDoesNothing) {
    HandBuiltTape({Record("one")});
    window.answers = {kMessageCancel};
    EXPECT_EQ(Rebuild(), JobResult::Declined);
    EXPECT_FALSE(std::filesystem::exists(start + "/Hand.twd"));
    EXPECT_TRUE(status.statuses.empty());
    EXPECT_EQ(log, (std::vector<std::string>{"message 1: " + kQuestion}));
}

TEST_F(RebuildDirFileTest, DecliningTheOverwriteKeepsTheOldFileByteForByte) {
    HandBuiltTape({Record("one")});
    const Bytes old = {'o', 'l', 'd', 0, 1, 2, 3};
    WriteFile(start + "/Hand.twd", old);
    window.answers = {kMessageOk, kMessageCancel};
    EXPECT_EQ(Rebuild(), JobResult::Declined);
    EXPECT_EQ(ReadFile(start + "/Hand.twd"), old);
    EXPECT_EQ(log, (std::vector<std::string>{"message 1: " + kQuestion, "message 1: " + kOverwrite, "drive status"}));
}

TEST_F(RebuildDirFileTest, ConfirmedOverwriteReplacesTheOldFileWhole) {
    HandBuiltTape({Record("one")});
    WriteFile(start + "/Hand.twd", Bytes(5000, 0x55));
    window.answers = {kMessageOk, kMessageOk};
    EXPECT_EQ(Rebuild(), JobResult::Done);
    EXPECT_EQ(std::filesystem::file_size(start + "/Hand.twd"), 78u + 286u);
    EXPECT_EQ(Texts(), (std::vector<std::string>{kQuestion, kOverwrite, "Finished creating Directory File" + kNoSums}));
}

TEST_F(RebuildDirFileTest, BlankTapeIsAnIdentBlockErrorAndWritesNothing) {
    SetUpDrive(1024);  // a fresh, empty cartridge
    EXPECT_EQ(Rebuild(), JobResult::Failed);
    EXPECT_TRUE(std::filesystem::is_empty(start));
    EXPECT_EQ(log, (std::vector<std::string>{"message 1: " + kQuestion,
                                             "message 3: Error reading IdentBlock from tape", "drive status"}));
}

TEST_F(RebuildDirFileTest, FailedRewindIsReportedAndWritesNothing) {
    HandBuiltTape({Record("one")});
    faults->failOpcode = 0x01;  // REWIND
    EXPECT_EQ(Rebuild(), JobResult::Failed);
    EXPECT_TRUE(std::filesystem::is_empty(start));
    EXPECT_EQ(log, (std::vector<std::string>{"message 1: " + kQuestion, "message 3: Rewind tape error",
                                             "drive status"}));
}

TEST_F(RebuildDirFileTest, TapeNameThatWouldLeaveTheStartDirectoryIsRefused) {
    HandBuiltTape({Record("one")}, "..");
    EXPECT_EQ(Rebuild(), JobResult::Failed);
    EXPECT_TRUE(std::filesystem::is_empty(start));
    EXPECT_FALSE(std::filesystem::exists(dir + "/...twd"));
    EXPECT_EQ(Texts().back(), "Error: tape name not usable as a file name: '..'");
}

// A disk that fills up after the first entry.
TEST_F(RebuildDirFileTest, FailedEntryWriteStopsAndKeepsTheEntriesBefore) {
    HandBuiltTape({Record("one"), Record("two"), Record("three")});
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    auto* previous = std::signal(SIGXFSZ, SIG_IGN);
    rlimit small = saved;
    small.rlim_cur = 78 + 286;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const JobResult result = Rebuild();
    setrlimit(RLIMIT_FSIZE, &saved);
    std::signal(SIGXFSZ, previous);

    EXPECT_EQ(result, JobResult::Failed);
    const auto entries = Entries(start + "/Hand.twd");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "one");
    EXPECT_EQ(log.back(), "drive status");
    EXPECT_EQ(Texts().back(), "Error writing file header info to disk");
}

// Names read from tape that must not become catalog entries: they would
// leave the restore folder or not fit the entry's 254-byte name field. The
// record keeps its place as a damaged one.
class RebuildUnsafeNameTest : public RebuildDirFileTest, public ::testing::WithParamInterface<std::string> {};

TEST_P(RebuildUnsafeNameTest, ListsThatRecordAsDamaged) {
    HandBuiltTape({Record("first.txt"), Record("second.txt"), Record(GetParam()), Record("after.txt")});
    EXPECT_EQ(Rebuild(), JobResult::Failed);
    const auto entries = Entries(start + "/Hand.twd");
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[2].name, "/damaged file record/");
    EXPECT_EQ(entries[3].name, "after.txt");
    EXPECT_EQ(Texts().size(), 2u);
    EXPECT_EQ(log.back(), "drive status");
}

INSTANTIATE_TEST_SUITE_P(Names, RebuildUnsafeNameTest,
                         ::testing::Values("", ".", "..", "../escape.txt", "sub/file.txt", "/etc/passwd",
                                           std::string(255, 'n'), std::string(256, 'n')));

TEST_F(RebuildDirFileTest, NameOf254BytesIsTheLongestKept) {
    HandBuiltTape({Record(std::string(254, 'n'))});
    ASSERT_EQ(Rebuild(), JobResult::Done);
    const auto entries = Entries(start + "/Hand.twd");
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, std::string(254, 'n'));
}

}  // namespace
