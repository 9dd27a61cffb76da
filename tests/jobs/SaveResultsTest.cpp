// VerifyResults.txt byte for byte.
#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <iterator>

#include "jobs/SaveResults.h"
#include "support/FileContents.h"
#include "support/FileSizeLimit.h"
#include "support/ScriptedMessages.h"

namespace {

class SaveResultsTest : public testing::Test {
protected:
    void SetUp() override {
        char pattern[] = "/tmp/tw-results-XXXXXX";
        ASSERT_NE(mkdtemp(pattern), nullptr);
        dir = pattern;
    }
    void TearDown() override { std::filesystem::remove_all(dir); }
    std::string Saved() {
        return FileContents<std::string>(dir + "/VerifyResults.txt");
    }

    std::string dir;
    VerifyResults results;
    ScriptedMessages messages;
};

const std::string kHeader =
    "-------------------------------------------------------------------------\n"
    "                             Verify Results                              \n"
    "-------------------------------------------------------------------------\n"
    "\n"
    "Filename                            Verify           Error starts at byte\n"
    "--------                            ------           --------------------\n";

TEST_F(SaveResultsTest, HeaderIsSixLinesOf371Bytes) {
    EXPECT_EQ(kHeader.size(), 371u);
    ASSERT_EQ(SaveResults(dir, results, messages), 0);
    EXPECT_EQ(Saved(), kHeader);
    EXPECT_EQ(messages.shown,
              (std::vector<RecordedMessage>{{"Saved verify results to: 'VerifyResults.txt'", Info}}));
}

TEST_F(SaveResultsTest, RowsArePaddedToTheirColumnsWithLineFeedsOnly) {
    results.Add({"same.txt", "OK", "", 17});
    results.Add({"changed.txt", "Failed", "5000", 18});
    results.Add({"gone.txt", "File not found", "", 18});
    ASSERT_EQ(SaveResults(dir, results, messages), 0);
    const std::string expected = kHeader +
                                 "same.txt                            OK                                   \n"
                                 "changed.txt                         Failed           5000                \n"
                                 "gone.txt                            File not found                       \n";
    EXPECT_EQ(Saved(), expected);
    EXPECT_EQ(Saved().find('\r'), std::string::npos);
}

TEST_F(SaveResultsTest, NamesOverFortyAreCutToSeventeenAndDots) {
    const std::string name45 = "abcdefghijklmnopqrstuvwxyz0123456789ABCDEFGHI";
    const std::string name40(40, 'x');
    const std::string name37(37, 'y');
    results.Add({name45, "OK", "", 17});
    results.Add({name40, "OK", "", 17});
    results.Add({name37, "Failed", "12", 18});
    results.Add({std::string(41, 'z'), "OK", "", 17});
    ASSERT_EQ(SaveResults(dir, results, messages), 0);
    const std::string expected = kHeader + "abcdefghijklmnopq...                OK                                   \n" +
                                 name40 + "OK                                   \n" + name37 +
                                 "Failed           12                  \n" + std::string(17, 'z') +
                                 "...                OK                                   \n";
    EXPECT_EQ(Saved(), expected);
}

TEST_F(SaveResultsTest, ReplacesAnEarlierFile) {
    std::ofstream(dir + "/VerifyResults.txt") << std::string(5000, '#');
    ASSERT_EQ(SaveResults(dir, results, messages), 0);
    EXPECT_EQ(Saved(), kHeader);
}

TEST_F(SaveResultsTest, FolderThatCannotTakeTheFileIsAnError) {
    ASSERT_EQ(SaveResults(dir + "/missing", results, messages), -1);
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error creating verify result file", Error}}));
}

TEST_F(SaveResultsTest, FailedWriteIsAnErrorNotASavedMessageAndKeepsTheOldFile) {
    std::ofstream(dir + "/VerifyResults.txt") << "before";
    {
        FileSizeLimit full(100);  // the header alone is longer
        ASSERT_EQ(SaveResults(dir, results, messages), -1);
    }
    EXPECT_EQ(messages.shown, (std::vector<RecordedMessage>{{"Error writing verify result file", Error}}));
    EXPECT_EQ(Saved(), "before");
    EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir), std::filesystem::directory_iterator()), 1);
}

}  // namespace
