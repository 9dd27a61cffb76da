// The jobs against what a real drive does, on the virtual drive in its
// LTO-like personality: a cartridge that is still loading, a reset in the
// middle of a backup or a restore, blocks of another length and records cut
// short, errors the drive corrected, cleaning requests and TapeAlert flags.

#include "LtoJobFixture.h"

namespace {

bool StartsWith(const std::string& text, const std::string& start) { return text.rfind(start, 0) == 0; }

// ---- a cartridge that is loading when the job starts ----

struct Loading {
    const char* name;
    const char* readySeconds;
    const char* load;    // "command": the cartridge waits for a LOAD
    const char* status;  // the status line that says what the job waits for
};

class LoadingDriveTest : public LtoJobFixture, public testing::WithParamInterface<Loading> {};

// The drive comes up with the unit attentions of a power-on and a load, in
// variable-block mode: the backup waits, takes them, sets the block length
// again and writes.
TEST_P(LoadingDriveTest, BackupWaitsForTheCartridgeAndSetsTheBlockLengthAgain) {
    Format();
    MakeFile("a.bin", 70000, 1);
    Restart(nullptr, false, GetParam().readySeconds, GetParam().load);
    Mark({{"a.bin", 12}});
    EXPECT_EQ(StartCommand(kBackupJobTab), JobResult::Done) << (Texts().empty() ? "" : Texts().back());
    int waiting = 0;
    for (const std::string& line : status.statuses) waiting += StartsWith(line, GetParam().status);
    EXPECT_GE(waiting, 1) << "the status line says what the job waits for";
    ExpectTapeMatchesCatalog(CatalogPath("Daily"));
}

INSTANTIATE_TEST_SUITE_P(
    Cartridges, LoadingDriveTest,
    testing::Values(Loading{"BecomingReady", "90", nullptr, " The drive is loading the tape: waiting until it is ready ("},
                    Loading{"WaitingForLoad", "0", "command", " Loading the tape ..."}),
    [](const auto& info) { return std::string(info.param.name); });

// The drive buffers its writes as it came up: only the filemark after the
// record waits for the tape, not every WRITE.
TEST_F(LtoJobFixture, BackupLeavesTheDriveBuffering) {
    Format();
    MakeFile("a.bin", 150000, 1);
    const std::string stats = dir + "/drive.stats";
    env.Set("TAPEWREN_VTAPE_STATS", stats.c_str());
    Restart(nullptr);
    Mark({{"a.bin", 12}});
    ASSERT_EQ(StartCommand(kBackupJobTab), JobResult::Done) << testing::PrintToString(Texts());
    // The drive appends its statistics when it goes away.
    Restart(nullptr);
    const Bytes line = ReadFile(stats);
    const std::string text(line.begin(), line.end());
    EXPECT_NE(text.find(" flushes=1\n"), std::string::npos) << text;
    EXPECT_EQ(text.find(" writes=1 "), std::string::npos) << text;
}

// Without an early warning zone the second file meets the end of the
// cartridge: its record is incomplete, so it is not listed, and the first
// one restores whole.
TEST_F(LtoJobFixture, RecordCutShortAtTheEndOfTheTapeIsNotListed) {
    env.Set("TAPEWREN_VTAPE_EARLY_WARNING_KB", "0");
    capacityMb = 1;
    Restart(nullptr);
    Format();
    const Bytes a = MakeFile("a.bin", 300000, 1);
    MakeFile("b.bin", 900000, 2);
    Mark({{"a.bin", 12}, {"b.bin", 12}});
    EXPECT_EQ(StartCommand(kBackupJobTab), JobResult::Failed);
    EXPECT_EQ(ShownWith("The tape is full: 'b.bin' did not fit on it."), 1) << testing::PrintToString(Texts());
    const auto entries = Entries(CatalogPath("Daily"));
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0].name, "a.bin");
    Restart(nullptr);
    ListCatalog(CatalogPath("Daily"));
    MarkRows({0}, 11, 15);
    window.folder = Dst();
    EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Done);
    EXPECT_EQ(ReadFile(Dst() + "a.bin"), a);
}

// ---- a reset in the middle of a job ----

class ResetTest : public LtoJobFixture, public testing::WithParamInterface<bool> {};

// The reset hits the second 64-block write of b.bin. Nothing is written
// again where the tape then stands (its beginning); the backup stops at the
// last complete record and names what it did not back up. Streaming, the
// records not yet flushed are not trusted after the reset either.
TEST_P(ResetTest, BackupStopsAtTheLastCompleteRecordAndSaysSo) {
    const bool streaming = GetParam();
    Format();
    const Bytes a = MakeFile("a.bin", 100000, 1);
    MakeFile("b.bin", 300000, 2);
    MakeFile("c.bin", 5000, 3);
    // a.bin takes writes 1 to 9 without streaming (header, 64, 10, 10, 10,
    // four single blocks), write 1 streaming, header and data together.
    Restart(streaming ? "write#2=reset" : "write#12=reset");
    volume->SetStreaming(streaming);
    Mark({{"a.bin", 12}, {"b.bin", 12}, {"c.bin", 12}});
    EXPECT_EQ(StartCommand(kBackupJobTab), JobResult::Failed);
    const std::string notBackedUp =
        streaming ? "Not backed up: a.bin, b.bin, c.bin. Run the backup again for them."
                  : "Not backed up: b.bin, c.bin. Run the backup again for them.";
    EXPECT_EQ(ShownWith("The drive was reset or its tape was changed while 'b.bin' was written: the backup "
                        "stopped there. The files before it are safe on tape and in the DirFile.\n" +
                        notBackedUp),
              1)
        << testing::PrintToString(Texts());
    const auto entries = Entries(CatalogPath("Daily"));
    ASSERT_EQ(entries.size(), streaming ? 0u : 1u);
    if (streaming) return;
    // What the catalog lists reads back whole.
    Restart(nullptr);
    ListCatalog(CatalogPath("Daily"));
    MarkRows({0}, 11, 15);
    window.folder = Dst();
    EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Done);
    EXPECT_EQ(ReadFile(Dst() + "a.bin"), a);
}

INSTANTIATE_TEST_SUITE_P(Modes, ResetTest, testing::Bool(),
                         [](const auto& info) { return info.param ? "Streaming" : "Plain"; });

// The reset hits the first data block of the second record: the restore
// puts the first file in place, names it and stops, without spacing on from
// wherever the tape now stands.
TEST_F(LtoJobFixture, RestoreInterruptedByAResetNamesWhatItRestored) {
    Format();
    const Bytes first = MakeFile("f0.bin", 1000, 1);
    MakeFile("f1.bin", 3500, 2);
    MakeFile("f2.bin", 6000, 3);
    BackUp({"f0.bin", "f1.bin", "f2.bin"});
    // Reads: the ident block, f0.bin's header, block and filemark, f1.bin's
    // header, then its first block.
    Restart("read#6=reset");
    messages.shown.clear();
    window.rows.clear();
    window.folder = Dst();
    EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Failed);
    EXPECT_EQ(ShownWith("The drive was reset or its tape was changed during the restore: it stopped at file "
                        "record 2 ('f1.bin'), where the tape's position was lost.\nRestored: f0.bin."),
              1)
        << testing::PrintToString(Texts());
    EXPECT_EQ(ReadFile(Dst() + "f0.bin"), first);
    EXPECT_FALSE(std::filesystem::exists(Dst() + "f1.bin"));
    EXPECT_FALSE(std::filesystem::exists(Dst() + "f2.bin"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dst()), std::filesystem::directory_iterator()), 1);
}

// The same reset during a verify: the first file is verified, the verify
// stops at the second and says so, and no row calls a file on disk changed.
TEST_F(LtoJobFixture, VerifyInterruptedByAResetStopsAndSaysWhere) {
    Format();
    MakeFile("f0.bin", 1000, 1);
    MakeFile("f1.bin", 3500, 2);
    MakeFile("f2.bin", 6000, 3);
    BackUp({"f0.bin", "f1.bin", "f2.bin"});
    Restart("read#6=reset");
    messages.shown.clear();
    ListCatalog(CatalogPath("Daily"));
    MarkRows({0, 1, 2}, 19, 20);
    window.folder = Src();
    EXPECT_EQ(StartCommand(kVerifyJobTab), JobResult::Failed);
    EXPECT_EQ(ShownWith("The drive was reset or its tape was changed during the verify: it stopped at 'f1.bin', "
                        "where the tape's position was lost. Run the verify again."),
              1)
        << testing::PrintToString(Texts());
    ASSERT_EQ(results.Rows().size(), 1u);
    EXPECT_EQ(results.Rows()[0].name, "f0.bin");
    EXPECT_EQ(results.Rows()[0].status, "OK");
}

// ---- reads that stop early: residues ----

struct ShortRead {
    const char* name;
    // Writes a.bin, then the second record the way the case needs it.
    void (*secondRecord)(LtoJobFixture& f);
    const char* says;
};

class ShortReadTest : public LtoJobFixture, public testing::WithParamInterface<ShortRead> {
public:
    void SetBlocks(int length) { SetBlockLength(length); }
    int Write(const std::string& name, int length) { return volume->BackupFile(name, Src(), length); }
    void FailWrites(int from) {
        faults->failOpcode = 0x0A;
        faults->failFrom = from;
    }
};

TEST_P(ShortReadTest, FullRestoreSaysWhatIsWrongWithTheRecord) {
    Format();
    const Bytes a = MakeFile("a.bin", 5000, 1);
    MakeFile("b.bin", 30000, 2);
    BackUp({"a.bin"});
    GetParam().secondRecord(*this);
    faults->failOpcode = -1;
    messages.shown.clear();
    window.rows.clear();
    window.folder = Dst();
    EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Failed);
    EXPECT_EQ(ShownWith(GetParam().says), 1) << testing::PrintToString(Texts());
    EXPECT_EQ(ReadFile(Dst() + "a.bin"), a);
    EXPECT_FALSE(std::filesystem::exists(Dst() + "b.bin"));
}

INSTANTIATE_TEST_SUITE_P(
    Records, ShortReadTest,
    testing::Values(
        // Incorrect length: blocks of 512 bytes read at 1024.
        ShortRead{"OtherBlockSize",
                  [](LtoJobFixture& f) {
                      auto& t = static_cast<ShortReadTest&>(f);
                      t.SetBlocks(512);
                      EXPECT_EQ(t.Write("b.bin", 512), 0);
                      t.SetBlocks(1024);
                  },
                  "Error: file record 2 on tape skipped: it was written with another block size"},
        // Blank check inside the record: header, 10 blocks, then nothing.
        ShortRead{"Unfinished",
                  [](LtoJobFixture& f) {
                      auto& t = static_cast<ShortReadTest&>(f);
                      t.FailWrites(3);
                      EXPECT_EQ(t.Write("b.bin", 1024), -1);
                  },
                  "The last file record on tape, 'b.bin', is unfinished and was not restored: the end of data "
                  "follows after 10 of its 30 data blocks."}),
    [](const auto& info) { return std::string(info.param.name); });

// ---- what commands that completed report besides ----

struct Warning {
    const char* name;
    const char* faults;
    int tab;  // the job that meets them
    const char* says;
};

class DriveWarningTest : public LtoJobFixture, public testing::WithParamInterface<Warning> {};

// The job succeeds, and the warning is said once, however many blocks met it.
TEST_P(DriveWarningTest, JobSucceedsWithTheWarningSaidOnce) {
    Format();
    MakeFile("a.bin", 150000, 1);
    if (GetParam().tab == kRestoreJobTab) {
        BackUp({"a.bin"});
        ListCatalog(CatalogPath("Daily"));
        MarkRows({0}, 11, 15);
        window.folder = Dst();
    } else {
        Mark({{"a.bin", 12}});
    }
    Restart(GetParam().faults);
    messages.shown.clear();
    EXPECT_EQ(StartCommand(GetParam().tab), JobResult::Done) << testing::PrintToString(Texts());
    EXPECT_EQ(ShownWith(GetParam().says), 1) << testing::PrintToString(Texts());
}

INSTANTIATE_TEST_SUITE_P(
    Kinds, DriveWarningTest,
    testing::Values(Warning{"RecoveredWrites", "write#2=recovered,write#3=recovered", kBackupTab,
                            "The drive had to correct 2 errors while reading or writing the tape."},
                    Warning{"CleaningRequestOnRead", "read#3=cleaning", kRestoreTab,
                            "The drive reports (TapeAlert): the drive needs cleaning now."},
                    Warning{"AlertRaisedDuringTheJob", "write#2=alert:7", kBackupTab,
                            "The drive reports (TapeAlert): the tape is at the end of its life"}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
