// The verify job on the virtual drive: one result row per marked file, the
// results window's buttons, and the runs that end early.
#include "JobFixture.h"

namespace {

class VerifyJobTest : public JobFixture {
protected:
    // Files of 9000 bytes (several transfers at 1024-byte blocks) on tape
    // "Daily"; the catalog listed left, the folder the originals are in.
    void SetUpTape(const std::vector<std::string>& names) {
        Format();
        for (std::size_t i = 0; i < names.size(); ++i) MakeFile(names[i], 9000, static_cast<std::uint32_t>(i + 3));
        BackUp(names);
        ASSERT_EQ(Texts().size(), 1u);
        messages.shown.clear();
        ListCatalog(CatalogPath("Daily"));
        window.folder = Src();
        cdbs.clear();
        window.driveStatus = 0;
    }
    void Change(const std::string& name, std::size_t offset) {
        Bytes b = ReadFile(Src() + name);
        b[offset] ^= 0x5A;
        WriteFile(Src() + name, b);
    }
    std::vector<std::string> Row(std::size_t i) const {
        const auto& r = results.Rows()[i];
        return {r.name, r.status, r.difference, std::to_string(r.image)};
    }
    using Texts4 = std::vector<std::string>;
};

TEST_F(VerifyJobTest, EachMarkedFileGetsItsRow) {
    SetUpTape({"same.txt", "gone.txt", "changed.txt", "first.bin", "short.txt", "skipped.txt"});
    std::filesystem::remove(Src() + "gone.txt");
    Change("changed.txt", 5000);
    Change("first.bin", 0);
    std::filesystem::resize_file(Src() + "short.txt", 4000);
    MarkRows({0, 1, 2, 3, 4}, 19, 20);
    StartCommand(kVerifyJobTab);
    EXPECT_TRUE(messages.shown.empty()) << messages.shown[0].text;
    ASSERT_EQ(results.Rows().size(), 5u);
    EXPECT_EQ(Row(0), (Texts4{"same.txt", "OK", "", "17"}));
    EXPECT_EQ(Row(1), (Texts4{"gone.txt", "File not found", "", "18"}));
    EXPECT_EQ(Row(2), (Texts4{"changed.txt", "Failed", "5000", "18"}));
    // A difference in the very first byte is not "identical".
    EXPECT_EQ(Row(3), (Texts4{"first.bin", "Failed", "0", "18"}));
    // A file shorter than recorded differs where it ends.
    EXPECT_EQ(Row(4), (Texts4{"short.txt", "Failed", "4000", "18"}));
    // Every record but gone.txt's is read over its filemark (those that
    // differ to their end, to check the tape against the checksum), so
    // only the file that cannot be opened leaves its record to space over.
    EXPECT_EQ(Spacings(), (std::vector<int>{1, 1}));
    EXPECT_TRUE(window.resultsShown);
    EXPECT_TRUE(window.buttonsEnabled);
    EXPECT_EQ(window.driveStatus, 1);
    EXPECT_EQ(counters.bytesDone, 0);
    EXPECT_EQ(counters.bytesTotal, 0);
    EXPECT_EQ(status.progress.back(), (std::pair<std::int64_t, std::int64_t>{0, 0}));
    ExpectTapeMatchesCatalog(CatalogPath("Daily"));
}

TEST_F(VerifyJobTest, UnmarkedRowsAreSkippedByCountingFilemarks) {
    SetUpTape({"a", "b", "c", "d", "e", "f"});
    MarkRows({2, 5}, 19, 20);
    StartCommand(kVerifyJobTab);
    EXPECT_EQ(Spacings(), (std::vector<int>{3, 2}));
    ASSERT_EQ(results.Rows().size(), 2u);
    EXPECT_EQ(Row(0), (Texts4{"c", "OK", "", "17"}));
    EXPECT_EQ(Row(1), (Texts4{"f", "OK", "", "17"}));
}

TEST_F(VerifyJobTest, NothingMarkedEmptiesTheResultsAndKeepsTheWindowHidden) {
    SetUpTape({"a"});
    results.Add({"old", "OK", "", 17});
    window.resultsShown = false;
    StartCommand(kVerifyJobTab);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"No files selected.", Error}}));
    EXPECT_TRUE(results.Rows().empty());
    EXPECT_FALSE(window.resultsShown);
    EXPECT_TRUE(cdbs.empty());
}

TEST_F(VerifyJobTest, HeaderThatDiffersEndsTheRunWithTheWindowHidden) {
    SetUpTape({"a", "b", "c"});
    Bytes catalog = ReadFile(CatalogPath("Daily"));
    catalog[78 + 1 * 286 + 282] ^= 1;  // block count of entry 2
    WriteFile(CatalogPath("Daily"), catalog);
    MarkRows({0, 1, 2}, 19, 20);
    StartCommand(kVerifyJobTab);
    EXPECT_EQ(Texts(), std::vector<std::string>{"Error: file infos do not match"});
    ASSERT_EQ(results.Rows().size(), 1u);
    EXPECT_FALSE(window.resultsShown);
    EXPECT_FALSE(window.buttonsEnabled);
    EXPECT_EQ(window.driveStatus, 0);
    EXPECT_FALSE(HeldOpen(CatalogPath("Daily")));
}

TEST_F(VerifyJobTest, TapeCheckFailureAfterShowingLeavesButtonsDisabled) {
    SetUpTape({"a"});
    ASSERT_EQ(dirFile.CreateFromIdent("Daily", CatalogPath("Daily"), "02.02.2002", "1.6"), 0);
    MarkRows({0}, 19, 20);
    StartCommand(kVerifyJobTab);
    EXPECT_EQ(Texts(), std::vector<std::string>{
                           "Error: DirFile on hard drive and tape contents do not match.\nCheck that on the Utilities tab."});
    EXPECT_TRUE(window.resultsShown);
    EXPECT_FALSE(window.buttonsEnabled);
}

// START by tab: 0 backup, 1 restore, 2 verify, 3 nothing. With nothing
// marked, each job says so in its own words.
struct Dispatch {
    int tab;
    std::vector<RecordedMessage> expected;
};

class StartCommandTest : public JobFixture, public testing::WithParamInterface<Dispatch> {};

TEST_P(StartCommandTest, RunsTheJobOfTheSelectedTab) {
    messages.answers = {kMessageCancel};
    StartCommand(GetParam().tab);
    EXPECT_EQ(messages.shown, GetParam().expected);
    EXPECT_TRUE(cdbs.empty());
}

INSTANTIATE_TEST_SUITE_P(
    Tabs, StartCommandTest,
    testing::Values(Dispatch{0, {{"No files selected", Oops}}},
                    Dispatch{1, {{"No files selected. Do you want to make a full restore of the tape?", Question}}},
                    Dispatch{2, {{"No files selected.", Error}}}, Dispatch{3, {}}, Dispatch{-1, {}}));

}  // namespace
