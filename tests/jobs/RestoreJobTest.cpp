// The restore job on the virtual drive: selective restore finding records
// by filemark counts, full restore without the catalog, and every failure.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include "JobFixture.h"
#include "jobs/RestoreJob.h"
#include "jobs/ScrubJob.h"
#include "support/FileSizeLimit.h"

namespace {

constexpr const char* kNotFound =
    "Error: DirFile not found on hard drive. \nYou can make or import a DirFile on the Utilities tab.";

class RestoreJobTest : public JobFixture {
protected:
    // Six files on tape "Daily", row i of the catalog holding file i.
    void SetUpTape() {
        Format();
        std::vector<std::string> names;
        for (int i = 0; i < 6; ++i) {
            names.push_back("f" + std::to_string(i) + ".bin");
            contents.push_back(MakeFile(names.back(), 1000u + 2500u * static_cast<unsigned>(i), 10 + i));
        }
        BackUp(names);
        ASSERT_EQ(Texts().size(), 1u);
        messages.shown.clear();
        ListCatalog(CatalogPath("Daily"));
        window.folder = Dst();
        cdbs.clear();
        window.driveStatus = 0;
    }
    void ExpectRestored(int i) {
        EXPECT_EQ(ReadFile(Dst() + "f" + std::to_string(i) + ".bin"), contents[static_cast<std::size_t>(i)])
            << "file " << i;
    }
    bool Restored(int i) { return std::filesystem::exists(Dst() + "f" + std::to_string(i) + ".bin"); }

    std::vector<Bytes> contents;
};

// Row 2's record is read whole, over its filemark: row 5 is two more away.
TEST_F(RestoreJobTest, RowsTwoAndFiveTakeSpacingsOfThreeAndTwo) {
    SetUpTape();
    MarkRows({2, 5}, 11, 15);
    StartCommand(kRestoreJobTab);
    ASSERT_EQ(messages.shown.size(), 1u) << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].kind, Success);
    EXPECT_EQ(Spacings(), (std::vector<int>{3, 2}));
    EXPECT_FALSE(HeldOpen(CatalogPath("Daily")));
    ExpectRestored(2);
    ExpectRestored(5);
    EXPECT_FALSE(Restored(0));
    EXPECT_FALSE(Restored(3));
    // Once, when the two files are put in place together.
    EXPECT_EQ(window.refills, 1);
    EXPECT_EQ(counters.bytesDone, 0);
    const std::int64_t bytes = 6000 + 13500;
    EXPECT_NE(messages.shown[0].text.find("Restore ended successfully!\nTotal size: " + std::to_string(bytes) +
                                          " Bytes\n"),
              std::string::npos);
    EXPECT_NE(messages.shown[0].text.find("\nTape->disk rate: "), std::string::npos);
    ExpectTapeMatchesCatalog(CatalogPath("Daily"));
}

TEST_F(RestoreJobTest, RowZeroAloneSpacesOverTheIdentBlocksFilemark) {
    SetUpTape();
    MarkRows({0}, 11, 15);
    StartCommand(kRestoreJobTab);
    EXPECT_EQ(Spacings(), std::vector<int>{1});
    ExpectRestored(0);
}

TEST_F(RestoreJobTest, NothingSelectedAndFullRestoreDeclinedLeavesTheTapeAlone) {
    SetUpTape();
    messages.answers = {kMessageCancel};
    StartCommand(kRestoreJobTab);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], (RecordedMessage{FormatMessage(MessageId::FullRestoreQuestion), Question}));
    EXPECT_TRUE(cdbs.empty());
}

TEST_F(RestoreJobTest, FullRestoreReadsEveryRecordUntilTheEndOfData) {
    SetUpTape();
    counters.bytesTotal = 77;
    StartCommand(kRestoreJobTab);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].kind, Success);
    std::int64_t sum = 0;
    for (int i = 0; i < 6; ++i) ExpectRestored(i), sum += static_cast<std::int64_t>(contents[static_cast<std::size_t>(i)].size());
    EXPECT_NE(messages.shown[1].text.find("Total size: " + std::to_string(sum) + " Bytes"), std::string::npos);
    // One spacing over the ident block's filemark: each record is read over
    // its own, and the seventh header read meets the end of data.
    EXPECT_EQ(Spacings(), std::vector<int>{1});
    EXPECT_EQ(counters.bytesDone, 0);
    EXPECT_EQ(status.progress.back().first, 0);
    EXPECT_EQ(tapeName, "Daily");
}

TEST_F(RestoreJobTest, FullRestoreEndsAtADeclinedOverwriteWithTheFilesBefore) {
    SetUpTape();
    WriteFile(Dst() + "f1.bin", Bytes{1, 2, 3});
    messages.answers = {kMessageOk, kMessageCancel};
    StartCommand(kRestoreJobTab);
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[1], (RecordedMessage{"File exist: " + Dst() + "f1.bin. Overwrite?", Question}));
    EXPECT_EQ(messages.shown[2].kind, Attention);
    EXPECT_EQ(messages.shown[2].text.rfind("Restore stopped: '" + Dst() + "f1.bin' exists and was not overwritten!\n"
                                           "Total size: 1000 Bytes\n",
                                           0),
              0u)
        << messages.shown[2].text;
    EXPECT_NE(messages.shown[2].text.find("\n1 file was restored before it; the records after it were not restored."),
              std::string::npos);
    ExpectRestored(0);
    EXPECT_EQ(ReadFile(Dst() + "f1.bin"), (Bytes{1, 2, 3}));
    EXPECT_FALSE(Restored(2));
}

TEST_F(RestoreJobTest, FullRestoreThatCannotWriteItsFileEndsWithAnError) {
    SetUpTape();
    // A disk that fills up after f0.bin (1000 bytes).
    {
        FileSizeLimit full(1000);
        EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Failed);
    }
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], "Error writing file: " + Dst() + "f1.bin");
    EXPECT_EQ(messages.shown[2], (RecordedMessage{"Restore error", Error}));
    ExpectRestored(0);
    EXPECT_FALSE(Restored(2));
    EXPECT_EQ(window.driveStatus, 1);
}

// Restored files are put in place in groups: one that cannot take its name
// then is reported, and the others of its group still go in place.
TEST_F(RestoreJobTest, FileThatCannotTakeItsNameAtTheEndOfItsGroupEndsWithAnError) {
    SetUpTape();
    // f0.bin waits in its group while f1.bin's header is read (the fourth
    // READ: f0's header, its block, its filemark, f1's header).
    int reads = 0;
    faults->beforeCommand = [&](std::uint8_t opcode) {
        if (opcode == 0x08 && ++reads == 4) std::filesystem::create_directory(Dst() + "f0.bin");
    };
    EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Failed);
    EXPECT_EQ(Texts(), (std::vector<std::string>{FormatMessage(MessageId::FullRestoreQuestion),
                                                 "Error creating file: " + Dst() + "f0.bin", "Restore error"}));
    for (int i = 1; i < 6; ++i) ExpectRestored(i);
    EXPECT_TRUE(std::filesystem::is_directory(Dst() + "f0.bin"));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dst()), std::filesystem::directory_iterator()), 6);
}

// The first copy is still waiting in its group when the second comes.
TEST_F(RestoreJobTest, FullRestoreAsksBeforeASecondRecordOfTheSameName) {
    Format();
    MakeFile("a.bin", 100, 1);
    BackUp({"a.bin"});
    const Bytes second = MakeFile("a.bin", 200, 2);
    BackUp({"a.bin"});
    messages.shown.clear();
    window.folder = Dst();
    StartCommand(kRestoreJobTab);
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], "File exist: " + Dst() + "a.bin. Overwrite?");
    EXPECT_EQ(ReadFile(Dst() + "a.bin"), second);
}

// Leaving existing files alone means those there before the job: its own
// first copy of a name does not keep out the newer one after it.
TEST_F(RestoreJobTest, SkippingExistingFilesStillGivesTheNewestCopy) {
    Format();
    MakeFile("a.bin", 100, 1);
    BackUp({"a.bin"});
    const Bytes second = MakeFile("a.bin", 200, 2);
    BackUp({"a.bin"});
    WriteFile(Dst() + "kept.bin", Bytes{7});
    messages.shown.clear();
    window.folder = Dst();
    restorePolicy.existing = RestorePolicy::Existing::Skip;
    EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Done);
    EXPECT_EQ(ReadFile(Dst() + "a.bin"), second);
    EXPECT_EQ(Texts().size(), 2u) << Texts().back();
}

TEST_F(RestoreJobTest, SelectiveRestoreThatCannotWriteItsFileEndsWithAnError) {
    SetUpTape();
    MarkRows({3, 4}, 11, 15);
    {
        FileSizeLimit full(1000);
        StartCommand(kRestoreJobTab);
    }
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Error writing file: " + Dst() + "f3.bin", "Restore error"}));
    EXPECT_FALSE(Restored(4));
}

// The restore stops at the file not overwritten, and says so: what was
// restored before it, and that the rest was not.
TEST_F(RestoreJobTest, DeclinedOverwriteInSelectiveRestoreStopsThereAndSaysSo) {
    SetUpTape();
    WriteFile(Dst() + "f2.bin", Bytes{9});
    MarkRows({1, 2, 4}, 11, 15);
    messages.answers = {kMessageCancel};
    EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Declined);
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 2u);
    EXPECT_EQ(texts[0], "File exist: " + Dst() + "f2.bin. Overwrite?");
    EXPECT_EQ(texts[1].rfind("Restore stopped: '" + Dst() + "f2.bin' exists and was not overwritten!\n", 0), 0u);
    EXPECT_NE(texts[1].find("\n1 file was restored before it; the files after it were not restored."),
              std::string::npos)
        << texts[1];
    EXPECT_EQ(messages.shown[1].kind, Attention);
    ExpectRestored(1);
    EXPECT_EQ(ReadFile(Dst() + "f2.bin"), Bytes{9});
    EXPECT_FALSE(Restored(4));
    EXPECT_EQ(window.driveStatus, 1);
}

TEST_F(RestoreJobTest, HeaderThatDiffersFromItsEntryIsARestoreError) {
    SetUpTape();
    // The catalog's entry 3 says another size than the tape's header.
    Bytes catalog = ReadFile(CatalogPath("Daily"));
    catalog[78 + 3 * 286 + 278] ^= 1;
    WriteFile(CatalogPath("Daily"), catalog);
    MarkRows({3}, 11, 15);
    StartCommand(kRestoreJobTab);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Error: file infos do not match", "Restore error"}));
    EXPECT_FALSE(Restored(3));
}

TEST_F(RestoreJobTest, RowsBeyondTheCatalogsEntriesEndTheRunAndCloseIt) {
    SetUpTape();
    window.rows.push_back({"ghost.bin", 10});
    MarkRows({1, 6}, 11, 15);
    StartCommand(kRestoreJobTab);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Error reading directory file from hard drive"});
    ExpectRestored(1);
    EXPECT_EQ(window.driveStatus, 1);
    EXPECT_FALSE(HeldOpen(CatalogPath("Daily")));
}

TEST_F(RestoreJobTest, MissingCatalogSaysSoWithTheBlankBeforeTheLineBreak) {
    SetUpTape();
    std::filesystem::remove(CatalogPath("Daily"));
    MarkRows({0}, 11, 15);
    StartCommand(kRestoreJobTab);
    EXPECT_EQ(Texts(), std::vector<std::string>{kNotFound});
    EXPECT_EQ(dirPath, "");
}

TEST_F(RestoreJobTest, FailedSpacingIsAMoveToFilemarkError) {
    SetUpTape();
    MarkRows({4}, 11, 15);
    faults->failOpcode = 0x11;
    StartCommand(kRestoreJobTab);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Moveto filemark error"});
    EXPECT_EQ(window.driveStatus, 1);
    EXPECT_FALSE(HeldOpen(CatalogPath("Daily")));
}

TEST_F(RestoreJobTest, TapeReadErrorInSelectiveRestoreIsARestoreError) {
    SetUpTape();
    MarkRows({5}, 11, 15);
    faults->failOpcode = 0x08;
    faults->failFrom = 3;  // ident block, header, then data
    StartCommand(kRestoreJobTab);
    ASSERT_EQ(Texts().size(), 2u);
    EXPECT_EQ(Texts()[0].rfind("Tape read error {", 0), 0u);
    EXPECT_EQ(Texts()[1], "Restore error");
}

// Damage in the middle of the tape costs the full restore that one record:
// record 3 (f2.bin, a header and six blocks) is damaged in one way each.
struct Damage {
    const char* what;
    const char* reason;
};

class FullRestoreDamageTest : public RestoreJobTest, public testing::WithParamInterface<Damage> {
protected:
    void Damage3() {
        const std::string what = GetParam().what;
        ChangeImage([&] {
            bool ok = false;
            auto objects = TapImage::Parse(image, ok);
            ASSERT_TRUE(ok);
            const std::size_t header = RecordStart(objects, 3);
            if (what == "NoHeader") objects[header].data[0] = 7;
            // 3952 bytes take 4 blocks, not the 6 the header says.
            if (what == "SizeAgainstBlockCount")
                objects[header].data[280] = static_cast<std::uint8_t>((6000 - 2048) >> 8);
            if (what == "MissingBlocks") objects.erase(objects.begin() + static_cast<std::ptrdiff_t>(header) + 4,
                                                        objects.begin() + static_cast<std::ptrdiff_t>(header) + 7);
            TapImage::Write(image, objects);
            // A block the drive reports as unreadable (SIMH's bad-data class).
            if (what == "UnreadableBlock") {
                Bytes bytes = ReadFile(image);
                const std::size_t at = TapImage::OffsetOf(objects, header + 2);
                bytes[at + 3] |= 0x80;
                bytes[at + 4 + objects[header + 2].data.size() + 3] |= 0x80;
                WriteFile(image, bytes);
            }
        });
    }
};

TEST_P(FullRestoreDamageTest, ReportsTheRecordAndRestoresTheOthers) {
    SetUpTape();
    Damage3();
    EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Failed);
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(messages.shown[1],
              (RecordedMessage{std::string("Error: file record 3 on tape skipped: ") + GetParam().reason, Error}));
    EXPECT_EQ(texts[2].rfind("Restore ended with 1 file record skipped!\nTotal size: " +
                                 std::to_string(1000 + 3500 + 8500 + 11000 + 13500) + " Bytes\n",
                             0),
              0u)
        << texts[2];
    EXPECT_EQ(messages.shown[2].kind, Attention);
    for (int i : {0, 1, 3, 4, 5}) ExpectRestored(i);
    EXPECT_FALSE(Restored(2));
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(Dst()), std::filesystem::directory_iterator()), 5);
}

INSTANTIATE_TEST_SUITE_P(Kinds, FullRestoreDamageTest,
                         testing::Values(Damage{"NoHeader", "no file header"},
                                         Damage{"SizeAgainstBlockCount", "its header is damaged"},
                                         Damage{"UnreadableBlock", "it cannot be read"},
                                         Damage{"MissingBlocks", "fewer blocks than its header says"}),
                         [](const auto& info) { return std::string(info.param.what); });

// A backup that did not end leaves a record without its filemark: not
// damage, but not a file either, so not a restore that did all it was
// asked.
TEST_F(RestoreJobTest, FullRestoreNotesAnUnfinishedLastRecord) {
    SetUpTape();
    MakeFile("late.bin", 30000, 40);
    faults->failOpcode = 0x0A;
    faults->failFrom = 3;
    BackUp({"late.bin"});
    faults->failOpcode = -1;
    messages.shown.clear();
    window.folder = Dst();
    window.rows.clear();
    EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Failed);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].kind, Attention);
    EXPECT_EQ(messages.shown[1].text.rfind("Restore ended with 1 file record not restored!\n", 0), 0u);
    EXPECT_NE(messages.shown[1].text.find("\nThe last file record on tape, 'late.bin', is unfinished and was not "
                                          "restored: the end of data follows after 10 of its 30 data blocks."),
              std::string::npos)
        << messages.shown[1].text;
    for (int i = 0; i < 6; ++i) ExpectRestored(i);
    EXPECT_FALSE(std::filesystem::exists(Dst() + "late.bin"));
}

}  // namespace

namespace {

// The sums file keeps each file's exact time and permission bits: the
// restore gives them back when asked to.
TEST_F(RestoreJobTest, KeepDatesAndModesTakeTheExactTimeAndBitsFromTheSumsFile) {
    Format();
    contents.push_back(MakeFile("f0.bin", 3000, 5));
    const std::string source = Src() + "f0.bin";
    const timespec times[2] = {{1700000000, 123456789}, {1700000000, 123456789}};
    ASSERT_EQ(::utimensat(AT_FDCWD, source.c_str(), times, 0), 0);
    ASSERT_EQ(::chmod(source.c_str(), 0604), 0);
    BackUp({"f0.bin"});
    ListCatalog(CatalogPath("Daily"));
    MarkRows({0}, 11, 15);
    window.folder = Dst();
    restorePolicy.keepDates = true;
    restorePolicy.keepModes = true;
    ASSERT_EQ(StartCommand(kRestoreJobTab), JobResult::Done) << Texts().back();
    struct stat restored {};
    ASSERT_EQ(::stat((Dst() + "f0.bin").c_str(), &restored), 0);
    EXPECT_EQ(restored.st_mtim.tv_sec, 1700000000);
    EXPECT_EQ(restored.st_mtim.tv_nsec, 123456789);
    EXPECT_EQ(restored.st_mode & 07777, 0604u);
}

// A catalog without its sums file (an older version's, or one imported
// alone) works as before: restore and scrub read every file, "without
// checksum".
TEST_F(RestoreJobTest, ACatalogWithoutSumsFileWorksAsBefore) {
    SetUpTape();
    std::filesystem::remove(startDirectory + "/Daily.tws");
    MarkRows({1, 4}, 11, 15);
    EXPECT_EQ(StartCommand(kRestoreJobTab), JobResult::Done) << Texts().back();
    ExpectRestored(1);
    ExpectRestored(4);
    ScrubJob scrub(*context);
    EXPECT_EQ(scrub.Run().result, JobResult::Done);
    ASSERT_EQ(scrub.Rows().size(), 6u);
    for (const ScrubRow& row : scrub.Rows()) EXPECT_EQ(ScrubStatusText(row), "without checksum") << row.name;
}

}  // namespace
