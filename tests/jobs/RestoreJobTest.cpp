// The restore job on the virtual drive: selective restore finding records
// by filemark counts, full restore without the catalog, and every failure.
#include <unistd.h>

#include "JobFixture.h"
#include "jobs/RestoreJob.h"

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

TEST_F(RestoreJobTest, RowsTwoAndFiveTakeTwoSpacingsOfThree) {
    SetUpTape();
    MarkRows({2, 5}, 11, 15);
    jobs->StartCommand(kRestoreJobTab);
    ASSERT_EQ(messages.shown.size(), 1u) << messages.shown[0].text;
    EXPECT_EQ(messages.shown[0].kind, Success);
    EXPECT_EQ(Spacings(), (std::vector<int>{3, 3}));
    EXPECT_FALSE(HeldOpen(CatalogPath("Daily")));
    ExpectRestored(2);
    ExpectRestored(5);
    EXPECT_FALSE(Restored(0));
    EXPECT_FALSE(Restored(3));
    EXPECT_EQ(window.refills, 2);
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
    jobs->StartCommand(kRestoreJobTab);
    EXPECT_EQ(Spacings(), std::vector<int>{1});
    ExpectRestored(0);
}

TEST_F(RestoreJobTest, NothingSelectedAndFullRestoreDeclinedLeavesTheTapeAlone) {
    SetUpTape();
    messages.answers = {kMessageCancel};
    jobs->StartCommand(kRestoreJobTab);
    ASSERT_EQ(messages.shown.size(), 1u);
    EXPECT_EQ(messages.shown[0], (RecordedMessage{RestoreJob::kFullRestoreQuestion, Question}));
    EXPECT_TRUE(cdbs.empty());
}

TEST_F(RestoreJobTest, FullRestoreReadsEveryRecordUntilTheEndOfData) {
    SetUpTape();
    counters.bytesTotal = 77;
    jobs->StartCommand(kRestoreJobTab);
    ASSERT_EQ(messages.shown.size(), 2u);
    EXPECT_EQ(messages.shown[1].kind, Success);
    std::int64_t sum = 0;
    for (int i = 0; i < 6; ++i) ExpectRestored(i), sum += static_cast<std::int64_t>(contents[static_cast<std::size_t>(i)].size());
    EXPECT_NE(messages.shown[1].text.find("Total size: " + std::to_string(sum) + " Bytes"), std::string::npos);
    // Seven spacings of one: the last meets the end of data.
    EXPECT_EQ(Spacings(), std::vector<int>(7, 1));
    EXPECT_EQ(counters.bytesDone, 0);
    EXPECT_EQ(status.progress.back().first, 0);
    EXPECT_EQ(tapeName, "Daily");
}

TEST_F(RestoreJobTest, FullRestoreEndsAtADeclinedOverwriteWithTheFilesBefore) {
    SetUpTape();
    WriteFile(Dst() + "f1.bin", Bytes{1, 2, 3});
    messages.answers = {kMessageOk, kMessageCancel};
    jobs->StartCommand(kRestoreJobTab);
    ASSERT_EQ(messages.shown.size(), 3u);
    EXPECT_EQ(messages.shown[1], (RecordedMessage{"File exist: " + Dst() + "f1.bin. Overwrite?", Question}));
    EXPECT_EQ(messages.shown[2].kind, Success);
    EXPECT_NE(messages.shown[2].text.find("Total size: 1000 Bytes"), std::string::npos);
    ExpectRestored(0);
    EXPECT_EQ(ReadFile(Dst() + "f1.bin"), (Bytes{1, 2, 3}));
    EXPECT_FALSE(Restored(2));
}

TEST_F(RestoreJobTest, FullRestoreThatCannotWriteItsFileEndsWithAnError) {
    SetUpTape();
    // A full disk: every write to this name fails with ENOSPC.
    ASSERT_EQ(symlink("/dev/full", (Dst() + "f1.bin").c_str()), 0);
    jobs->StartCommand(kRestoreJobTab);
    const auto texts = Texts();
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(texts[1], "Error writing file: " + Dst() + "f1.bin");
    EXPECT_EQ(messages.shown[2], (RecordedMessage{"Restore error", Error}));
    ExpectRestored(0);
    EXPECT_FALSE(Restored(2));
    EXPECT_EQ(window.driveStatus, 1);
}

TEST_F(RestoreJobTest, SelectiveRestoreThatCannotWriteItsFileEndsWithAnError) {
    SetUpTape();
    ASSERT_EQ(symlink("/dev/full", (Dst() + "f3.bin").c_str()), 0);
    MarkRows({3, 4}, 11, 15);
    jobs->StartCommand(kRestoreJobTab);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Error writing file: " + Dst() + "f3.bin", "Restore error"}));
    EXPECT_FALSE(Restored(4));
}

TEST_F(RestoreJobTest, DeclinedOverwriteInSelectiveRestoreIsARestoreError) {
    SetUpTape();
    WriteFile(Dst() + "f2.bin", Bytes{9});
    MarkRows({2}, 11, 15);
    messages.answers = {kMessageCancel};
    jobs->StartCommand(kRestoreJobTab);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"File exist: " + Dst() + "f2.bin. Overwrite?", "Restore error"}));
    EXPECT_EQ(ReadFile(Dst() + "f2.bin"), Bytes{9});
    EXPECT_EQ(window.driveStatus, 1);
}

TEST_F(RestoreJobTest, HeaderThatDiffersFromItsEntryIsARestoreError) {
    SetUpTape();
    // The catalog's entry 3 says another size than the tape's header.
    Bytes catalog = ReadFile(CatalogPath("Daily"));
    catalog[78 + 3 * 286 + 278] ^= 1;
    WriteFile(CatalogPath("Daily"), catalog);
    MarkRows({3}, 11, 15);
    jobs->StartCommand(kRestoreJobTab);
    EXPECT_EQ(Texts(), (std::vector<std::string>{"Error: file infos do not match", "Restore error"}));
    EXPECT_FALSE(Restored(3));
}

TEST_F(RestoreJobTest, RowsBeyondTheCatalogsEntriesEndTheRunAndCloseIt) {
    SetUpTape();
    window.rows.push_back({"ghost.bin", 10});
    MarkRows({1, 6}, 11, 15);
    jobs->StartCommand(kRestoreJobTab);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Error reading directory file from hard drive"});
    ExpectRestored(1);
    EXPECT_EQ(window.driveStatus, 1);
    EXPECT_FALSE(HeldOpen(CatalogPath("Daily")));
}

TEST_F(RestoreJobTest, MissingCatalogSaysSoWithTheBlankBeforeTheLineBreak) {
    SetUpTape();
    std::filesystem::remove(CatalogPath("Daily"));
    MarkRows({0}, 11, 15);
    jobs->StartCommand(kRestoreJobTab);
    EXPECT_EQ(Texts(), std::vector<std::string>{kNotFound});
    EXPECT_EQ(dirPath, "");
}

TEST_F(RestoreJobTest, FailedSpacingIsAMoveToFilemarkError) {
    SetUpTape();
    MarkRows({4}, 11, 15);
    faults->failOpcode = 0x11;
    jobs->StartCommand(kRestoreJobTab);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Moveto filemark error"});
    EXPECT_EQ(window.driveStatus, 1);
    EXPECT_FALSE(HeldOpen(CatalogPath("Daily")));
}

TEST_F(RestoreJobTest, TapeReadErrorInSelectiveRestoreIsARestoreError) {
    SetUpTape();
    MarkRows({5}, 11, 15);
    faults->failOpcode = 0x08;
    faults->failFrom = 3;  // ident block, header, then data
    jobs->StartCommand(kRestoreJobTab);
    ASSERT_EQ(Texts().size(), 2u);
    EXPECT_EQ(Texts()[0].rfind("Tape read error {", 0), 0u);
    EXPECT_EQ(Texts()[1], "Restore error");
}

}  // namespace
