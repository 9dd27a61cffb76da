// The backup job on the virtual drive: the tape check, the room check, the
// order of writing, the summary, refusals before the tape is touched and
// failures in the middle of a run.
#include <sys/stat.h>
#include <unistd.h>

#include "JobFixture.h"
#include "jobs/MaintenanceHost.h"
#include "jobs/RebuildDirFile.h"
#include "jobs/StopRequest.h"
#include "jobs/SummaryTexts.h"

namespace {

using BackupJobTest = JobFixture;

constexpr const char* kNotFound =
    "Error: DirFile not found on hard drive.\nYou can make or import a DirFile on the Utilities tab.";
constexpr const char* kMismatch =
    "Error: DirFile on hard drive and tape contents do not match.\nCheck that on the Utilities tab.";

TEST_F(BackupJobTest, NothingSelectedSaysOopsAndLeavesTheTapeAlone) {
    Format();
    cdbs.clear();
    Mark({{"a.txt", 10}, {"b.zip", 14}, {"sub", 6}});
    StartCommand(kBackupJobTab);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], (RecordedMessage{"No files selected", Oops}));
    EXPECT_TRUE(cdbs.empty());
}

TEST_F(BackupJobTest, ArchivesGoFirstAndEntriesFollowTheRecordsInTapeOrder) {
    Format();
    const auto alpha = MakeFile("alpha.zip", 3000, 1);
    MakeFile("beta.txt", 70000, 2);
    MakeFile("gamma.zip", 0, 3);
    MakeFile("delta.txt", 1024, 4);
    BackUp({"alpha.zip", "beta.txt", "gamma.zip", "delta.txt"});
    ASSERT_EQ(messages.shown.size(), 1u) << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].kind, Success);
    std::vector<std::string> names;
    for (const auto& e : Entries(CatalogPath("Daily"))) names.push_back(e.name);
    EXPECT_EQ(names, (std::vector<std::string>{"alpha.zip", "gamma.zip", "beta.txt", "delta.txt"}));
    ExpectTapeMatchesCatalog(CatalogPath("Daily"));
    EXPECT_EQ(window.listed, std::vector<std::string>{CatalogPath("Daily")});
    EXPECT_EQ(dirPath, CatalogPath("Daily"));
    EXPECT_EQ(tapeName, "Daily");
    // The first record after the ident block holds alpha.zip's bytes.
    ASSERT_EQ(Space(0), 0);
    Rewind();
    ASSERT_EQ(Space(1), 0);
    ASSERT_EQ(volume->RestoreNextFile(blockLength, Dst()), 0);
    EXPECT_EQ(ReadFile(Dst() + "alpha.zip"), alpha);
}

TEST_F(BackupJobTest, SecondRunAppendsAfterTheFirst) {
    Format();
    MakeFile("one.txt", 5000, 1);
    MakeFile("two.txt", 7000, 2);
    BackUp({"one.txt"});
    BackUp({"two.txt", "one.txt"});
    const auto entries = Entries(CatalogPath("Daily"));
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[1].name, "two.txt");
    EXPECT_EQ(entries[2].name, "one.txt");
    ExpectTapeMatchesCatalog(CatalogPath("Daily"));
}

TEST_F(BackupJobTest, SummaryCountsBytesTimesAndRatesThenResetsTheProgress) {
    Format();
    MakeFile("a.txt", 61440, 1);
    MakeFile("b.txt", 61440, 2);
    counters.bytesTotal = 122880;
    // Each clock reading is 30 s after the one before: start, t0/t1 around
    // each file (30 s per file), end.
    clockStep = 30;
    BackUp({"a.txt", "b.txt"});
    ASSERT_EQ(messages.shown.size(), 1u);
    // start 1000; files 1030..1060 and 1090..1120; end 1150.
    EXPECT_EQ(messages.shown[0].text, "Backup ended successfully!\nTotal size: 122880 Bytes\nTotal time: " +
                                          DurationText(150) + "\nTotal transfer rate: " + RateText(122880, 150) +
                                          " KByte/min\nDisk->tape rate: " + RateText(122880, 60) + " KByte/min");
    EXPECT_EQ(messages.shown[0].text.find("Total transfer rate: 48. KByte/min") != std::string::npos, true);
    EXPECT_EQ(counters.bytesDone, 0);
    ASSERT_FALSE(status.progress.empty());
    EXPECT_EQ(status.progress.back(), (std::pair<std::int64_t, std::int64_t>{0, 122880}));
    EXPECT_EQ(window.labelCleared, 1);
    EXPECT_GE(window.driveStatus, 1);
}

TEST_F(BackupJobTest, RoomCheckReportsWhatIsLeftAndWritesNothing) {
    Format();
    AddEntries(CatalogPath("Daily"), 990);
    ASSERT_EQ(dirFile.CountEntries(CatalogPath("Daily")), 990);
    std::vector<std::string> names;
    for (int i = 0; i < 10; ++i) names.push_back(std::to_string(i) + ".txt"), MakeFile(names.back(), 10, i);
    const auto before = ReadFile(image);
    BackUp(names);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], (RecordedMessage{"Sorry, only space for 9 files left on directory", Info}));
    EXPECT_EQ(window.driveStatus, 1);
    EXPECT_FALSE(Sent(0x0A)) << "nothing written";
    EXPECT_EQ(ReadFile(image), before);
    EXPECT_EQ(dirFile.CountEntries(CatalogPath("Daily")), 990);

    // Nine pass the room check. The tape does not hold the 990 records this
    // catalog claims, so the job will not append at a wrong place either.
    names.pop_back();
    messages.shown.clear();
    BackUp(names);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Error: fewer file records on tape than entries in DirFile",
                                                 "MoveToEOD error"}));
    EXPECT_FALSE(Sent(0x0A)) << "nothing written";
    EXPECT_EQ(dirFile.CountEntries(CatalogPath("Daily")), 990);

    AddEntries(CatalogPath("Daily"), 9);
    messages.shown.clear();
    BackUp({"0.txt"});
    EXPECT_EQ(messages.shown[0].text, "Sorry, only space for 0 files left on directory");
}

TEST_F(BackupJobTest, MissingCatalogEmptiesThePathAndWritesNothing) {
    ASSERT_EQ(volume->WriteIdentBlock("Lost"), 0);
    cdbs.clear();
    dirPath = "/previous/path.twd";
    MakeFile("a.txt", 10, 1);
    BackUp({"a.txt"});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], (RecordedMessage{kNotFound, Error}));
    EXPECT_EQ(dirPath, "");
    EXPECT_EQ(tapeName, "Lost");
    EXPECT_FALSE(Sent(0x0A));
}

TEST_F(BackupJobTest, CatalogOfAnotherFormattingIsRefused) {
    Format();
    // Same name, other date of formatting: the tape was formatted again.
    ASSERT_EQ(dirFile.CreateFromIdent("Daily", CatalogPath("Daily"), "01.01.1999", "1.6"), 0);
    MakeFile("a.txt", 10, 1);
    BackUp({"a.txt"});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], (RecordedMessage{kMismatch, Error}));
    EXPECT_FALSE(Sent(0x0A));
    EXPECT_EQ(dirFile.CountEntries(CatalogPath("Daily")), 0);
}

TEST_F(BackupJobTest, UnformattedTapeIsRefused) {
    MakeFile("a.txt", 10, 1);
    BackUp({"a.txt"});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], (RecordedMessage{"Error reading IdentBlock from tape", Error}));
    EXPECT_EQ(window.driveStatus, 0);
}

TEST_F(BackupJobTest, TapeNameThatWouldLeaveTheStartDirectoryNamesNoCatalog) {
    // Labelled elsewhere: its catalog path would lead out of the start
    // directory.
    Bytes ident(static_cast<std::size_t>(blockLength), 0);
    const std::string fields[] = {"TAPEWREN", "../x", "01.02.2026", "1.6"};
    const std::size_t offsets[] = {0, 9, 59, 70};
    for (int i = 0; i < 4; ++i) std::copy(fields[i].begin(), fields[i].end(), ident.begin() + offsets[i]);
    UseImage({{false, ident}, {true, {}}});
    context = std::make_unique<JobContext>(JobContext{*volume, device, dirFile, selection, messages, status, counters,
                                                      window, startDirectory, tapeName, dirPath,
                                                      &JobFixture::FakeClock});
    jobs = std::make_unique<Jobs>(*context, results, window);
    faults->beforeCdb = [this](std::span<const std::uint8_t> cdb) { cdbs.emplace_back(cdb.begin(), cdb.end()); };
    MakeFile("a.txt", 10, 1);
    dirPath = "/old.twd";
    BackUp({"a.txt"});
    EXPECT_EQ(Texts(), std::vector<std::string>{"Error: tape name not usable as a file name: '../x'"});
    EXPECT_EQ(dirPath, "");
    EXPECT_FALSE(Sent(0x0A));
}

TEST_F(BackupJobTest, RewindFailureEndsWithTheDriveState) {
    Format();
    MakeFile("a.txt", 10, 1);
    faults->failOpcode = 0x01;
    BackUp({"a.txt"});
    EXPECT_EQ(Texts(), std::vector<std::string>{"Rewind tape error"});
    EXPECT_EQ(window.driveStatus, 1);
}

TEST_F(BackupJobTest, FailedWriteKeepsEarlierFilesCatalogued) {
    Format();
    MakeFile("a.txt", 3000, 1);
    MakeFile("b.txt", 3000, 2);
    BackUp({"a.txt"});
    // b.txt's header goes to tape, its first data transfer fails.
    faults->failOpcode = 0x0A;
    faults->failFrom = 2;
    messages.shown.clear();
    BackUp({"b.txt"});
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1], (RecordedMessage{"Write file tape error", Error}));
    EXPECT_EQ(dirFile.CountEntries(CatalogPath("Daily")), 1);
    EXPECT_GE(window.driveStatus, 1);
}

TEST_F(BackupJobTest, FailedCatalogWriteEndsWithItsMessage) {
    Format();
    MakeFile("a.txt", 10, 1);
    // The catalog vanishes once the record is on tape (its filemark goes).
    faults->beforeCommand = [this](std::uint8_t opcode) {
        if (opcode == 0x10) std::filesystem::remove(CatalogPath("Daily"));
    };
    BackUp({"a.txt"});
    EXPECT_EQ(Texts(), std::vector<std::string>{"Error writing directory file on hard drive"});
    EXPECT_EQ(window.driveStatus, 1);
    EXPECT_TRUE(window.listed.empty());
}

TEST_F(BackupJobTest, FileThatGrowsOnceOnTapeGetsTheEntryOfItsRecord) {
    Format();
    MakeFile("log.txt", 5000, 1);
    // Someone appends to the file between its record and its entry.
    faults->beforeCommand = [this](std::uint8_t opcode) {
        if (opcode == 0x10) std::ofstream(Src() + "log.txt", std::ios::app) << "more";
    };
    BackUp({"log.txt"});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(Entries(CatalogPath("Daily"))[0].size, 5000);
    ExpectTapeMatchesCatalog(CatalogPath("Daily"));
}

TEST_F(BackupJobTest, PositioningFailureEndsBeforeAnyFile) {
    Format();
    MakeFile("a.txt", 10, 1);
    faults->failOpcode = 0x11;
    faults->how = FaultyAdapter::How::Aborted;
    BackUp({"a.txt"});
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Error: fewer file records on tape than entries in DirFile",
                                                 "MoveToEOD error"}));
    EXPECT_EQ(dirFile.CountEntries(CatalogPath("Daily")), 0);
}

TEST_F(BackupJobTest, RunAfterAFailedOneAppendsAfterTheLastCataloguedRecord) {
    Format();
    MakeFile("one.txt", 5000, 1);
    MakeFile("big.txt", 300000, 2);
    MakeFile("two.txt", 7000, 3);
    BackUp({"one.txt"});
    // The second run dies in the middle of big.txt's data: its header and
    // some blocks are on tape, without a filemark and without an entry.
    faults->failOpcode = 0x0A;
    faults->failFrom = 3;
    BackUp({"big.txt"});
    ASSERT_EQ(messages.shown.back().text, "Write file tape error");
    faults->failOpcode = -1;
    messages.shown.clear();
    BackUp({"two.txt"});
    ASSERT_EQ(messages.shown.size(), 1u) << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].kind, Success);
    const auto entries = Entries(CatalogPath("Daily"));
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[1].name, "two.txt");
    // Entry 2 is the record after the second filemark: two.txt, not the
    // remains of big.txt.
    ExpectTapeMatchesCatalog(CatalogPath("Daily"));
}

// Files the tape format cannot hold are refused before the tape is touched,
// naming the file, whatever else is marked.
struct Unfit {
    const char* what;
    std::string name;
    std::int64_t size;  // -1: no file on disk
    std::string expected;
};

class BackupRefusalTest : public JobFixture, public testing::WithParamInterface<Unfit> {};

TEST_P(BackupRefusalTest, RefusedBeforeTheTapeIsTouched) {
    const Unfit& unfit = GetParam();
    Format();
    MakeFile("fine.txt", 100, 1);
    if (unfit.size >= 0) {
        MakeFile(unfit.name, 0, 2);
        // Sparse: takes no room on disk.
        ASSERT_EQ(truncate((Src() + unfit.name).c_str(), unfit.size), 0);
    }
    cdbs.clear();
    const auto before = ReadFile(image);
    BackUp({"fine.txt", unfit.name});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, Error);
    EXPECT_NE(messages.shown[0].text.find(unfit.expected), std::string::npos) << messages.shown[0].text;
    EXPECT_TRUE(cdbs.empty()) << "no command for the drive";
    EXPECT_EQ(ReadFile(image), before);
    EXPECT_EQ(dirFile.CountEntries(CatalogPath("Daily")), 0);
}

INSTANTIATE_TEST_SUITE_P(
    Unfit, BackupRefusalTest,
    testing::Values(Unfit{"TwoGiB", "big.bin", std::int64_t{1} << 31, "big.bin"},
                    Unfit{"FourGiB", "huge.zip", std::int64_t{1} << 32, "huge.zip"},
                    Unfit{"NameOf255Bytes", std::string(255, 'n'), 1, std::string(255, 'n')},
                    Unfit{"NameWithSlash", "sub/x.txt", -1, "'sub/x.txt'"},
                    Unfit{"FullRestoreMarker", "@@full**", 10, "'@@full**'"},
                    Unfit{"DotDot", "..", -1, "'..'"}),
    [](const testing::TestParamInfo<Unfit>& info) { return std::string(info.param.what); });

TEST_F(BackupJobTest, LargestFileThatFitsIsNotRefusedByThePreCheck) {
    Format();
    const std::string longName(254, 'n');
    MakeFile(longName, 300, 2);
    BackUp({longName});
    ASSERT_EQ(messages.shown.size(), 1u) << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].kind, Success);
    ExpectTapeMatchesCatalog(CatalogPath("Daily"));
}

// ---- a catalog that is behind the tape, or damaged ----

// An older copy of the catalog (imported from the floppy, say) lists fewer
// records than the tape holds: writing after its last one would cut off the
// records it does not know.
TEST_F(BackupJobTest, CatalogBehindTheTapeIsRefusedAndTheRecordsStay) {
    Format();
    for (const char* name : {"one.txt", "two.txt", "three.txt", "four.txt"}) MakeFile(name, 3000, name[1]);
    BackUp({"one.txt"});
    const Bytes older = ReadFile(CatalogPath("Daily"));
    BackUp({"two.txt", "three.txt"});
    WriteFile(CatalogPath("Daily"), older);
    const Bytes tape = ReadFile(image);
    messages.shown.clear();
    cdbs.clear();

    BackUp({"four.txt"});
    EXPECT_EQ(Texts(), std::vector<std::string>{
                           "Error: the tape holds 2 file records that the DirFile on hard drive does not list.\n"
                           "Nothing was written. Create the Directory File from tape contents, or import the newer "
                           "copy, on the Utilities tab."});
    EXPECT_FALSE(Sent(0x0A) || Sent(0x10)) << "nothing written";
    EXPECT_EQ(ReadFile(image), tape);
    EXPECT_EQ(ReadFile(CatalogPath("Daily")), older);
}

// Entries after a bad type byte, or out of step after bytes went missing,
// cannot be trusted to stand where their records are.
class DamagedCatalogTest : public JobFixture, public testing::WithParamInterface<const char*> {};

TEST_P(DamagedCatalogTest, IsRefusedBeforeTheTapeMoves) {
    Format();
    for (const char* name : {"a.txt", "b.txt", "c.txt", "d.txt"}) MakeFile(name, 100, name[0]);
    BackUp({"a.txt", "b.txt", "c.txt"});
    Bytes catalog = ReadFile(CatalogPath("Daily"));
    const auto second = static_cast<std::ptrdiff_t>(78 + 286);
    if (std::string(GetParam()) == "BadTypeByte") catalog[static_cast<std::size_t>(second)] = 0;
    if (std::string(GetParam()) == "CutInTheMiddle")
        catalog.erase(catalog.begin() + second + 100, catalog.begin() + second + 150);
    WriteFile(CatalogPath("Daily"), catalog);
    const Bytes tape = ReadFile(image);
    messages.shown.clear();
    cdbs.clear();

    BackUp({"d.txt"});
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, Error);
    EXPECT_EQ(messages.shown[0].text.rfind("Error: DirFile on hard drive is damaged after entry ", 0), 0u)
        << messages.shown[0].text;
    EXPECT_FALSE(Sent(0x11) || Sent(0x0A) || Sent(0x10)) << "no spacing, nothing written";
    EXPECT_EQ(ReadFile(image), tape);
    EXPECT_EQ(ReadFile(CatalogPath("Daily")), catalog);
}

INSTANTIATE_TEST_SUITE_P(Kinds, DamagedCatalogTest, testing::Values("BadTypeByte", "CutInTheMiddle"));

// ---- a full cartridge ----

class NoHost : public MaintenanceHost {
public:
    void ShowDriveStatus() override {}
    void ShowDirectoryFiles() override {}
};

// The backup that meets the end of the cartridge says which file did not
// fit; the rebuilt catalog leaves out what it left; the next backup writes
// over that.
TEST_F(BackupJobTest, FullCartridgeThenRebuildThenTheNextBackupWritesOverTheRest) {
    ChangeImage([] {}, 1);
    Format();
    MakeFile("a.bin", 400000, 1);
    MakeFile("b.bin", 800000, 2);
    MakeFile("c.bin", 100000, 3);
    BackUp({"a.bin"});
    messages.shown.clear();
    BackUp({"b.bin"});
    ASSERT_FALSE(messages.shown.empty());
    EXPECT_EQ(messages.shown.back(),
              (RecordedMessage{"Write file tape error\nThe tape is full: 'b.bin' did not fit on it. The files "
                               "written before it are safe on tape and in the DirFile.\nNot backed up: b.bin. The "
                               "next tape can take it.",
                               Error}));
    ASSERT_EQ(dirFile.CountEntries(CatalogPath("Daily")), 1);

    std::filesystem::remove(CatalogPath("Daily"));
    messages.shown.clear();
    NoHost host;
    EXPECT_EQ(RebuildDirFile(messages, status, device, drive, *volume, dirFile).Run(startDirectory, host),
              JobResult::Done);
    EXPECT_EQ(Entries(CatalogPath("Daily")).size(), 1u);
    EXPECT_NE(messages.shown.back().text.find("The last file record on tape is unfinished"), std::string::npos);

    messages.shown.clear();
    BackUp({"c.bin"});
    ASSERT_EQ(messages.shown.size(), 1u) << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].kind, Success);
    ExpectTapeMatchesCatalog(CatalogPath("Daily"));
}

// A stop asked for while the first file is written ends the run before the
// second: the first is on tape with its entry (streaming too, where the
// entry waits for a flush), the summary says what was left.
class StoppedBackupTest : public JobFixture, public testing::WithParamInterface<bool> {};

TEST_P(StoppedBackupTest, EndsAtTheRecordBoundaryWithTheCatalogInStep) {
    Format();
    volume->SetStreaming(GetParam());
    MakeFile("one.txt", 70000, 1);
    MakeFile("two.txt", 5000, 2);
    MakeFile("three.txt", 5000, 3);
    StopRequest stop;
    context->stop = &stop;
    stop.Request();
    window.rows = {{"one.txt", 12}, {"two.txt", 12}, {"three.txt", 12}};
    EXPECT_EQ(StartCommand(kBackupJobTab), JobResult::Declined);
    const auto entries = Entries(CatalogPath("Daily"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "one.txt");
    ExpectTapeMatchesCatalog(CatalogPath("Daily"));
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0].kind, Success);
    EXPECT_TRUE(messages.shown[0].text.starts_with(
        "Backup stopped as asked: 1 of 3 files backed up.\nNot backed up: two.txt, three.txt."))
        << messages.shown[0].text;
}

INSTANTIATE_TEST_SUITE_P(BothModes, StoppedBackupTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Streaming" : "Plain"; });

}  // namespace
