// The command line's own words: what a failed tape command's sense data
// mean, the window's controls replaced by commands, rates in MB/s, and
// fields that cannot forge a line.
#include <gtest/gtest.h>

#include "cli/CliWording.h"
#include "cli/FailureWords.h"
#include "cli/OutputText.h"

namespace {

struct SenseCase {
    BYTE opcode;
    BYTE targetStatus;
    BYTE flagsAndKey;
    BYTE asc;
    const char* message;
    int record;
    const char* said;
};

class FailureSentenceTest : public testing::TestWithParam<SenseCase> {};

TEST_P(FailureSentenceTest, SenseDataBecomeOneSentenceThatSaysWhatToDo) {
    const SenseCase& c = GetParam();
    TapeCommandOutcome failure;
    failure.failed = true;
    failure.opcode = c.opcode;
    failure.status = SS_ERR;
    failure.targetStatus = c.targetStatus;
    failure.sense[2] = c.flagsAndKey;
    failure.sense[12] = c.asc;
    CartridgeFacts facts;
    const std::string text = FailureWords::Sentence(failure, c.message, facts, c.record);
    EXPECT_NE(text.find(c.said), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailureSentenceTest,
    testing::Values(SenseCase{0x08, STATUS_CHKCOND, 0x03, 0x11, "Restore error", 3, "Medium error at file record 3:"},
                    SenseCase{0x0A, STATUS_CHKCOND, 0x03, 0x0C, "Write file tape error", 0, "cannot write on this tape"},
                    SenseCase{0x08, STATUS_CHKCOND, 0x03, 0x31, "Error reading IdentBlock from tape", 0,
                              "the tape is blank, or written in a format"},
                    SenseCase{0x11, STATUS_CHKCOND, 0x08, 0x00, "Moveto filemark error", 0,
                              "holds fewer file records than its catalog lists"},
                    SenseCase{0x01, STATUS_CHKCOND, 0x02, 0x3A, "Rewind tape error", 0, "No cartridge in the drive."},
                    SenseCase{0x01, STATUS_CHKCOND, 0x02, 0x04, "Rewind tape error", 0, "not ready"},
                    SenseCase{0x0A, STATUS_CHKCOND, 0x40, 0x00, "Write file tape error", 0, "The cartridge is full."},
                    SenseCase{0x01, STATUS_BUSY, 0x00, 0x00, "Rewind tape error", 0, "another program is using it"},
                    SenseCase{0x08, STATUS_CHKCOND, 0x06, 0x29, "Restore error", 0, "was reset"}));

TEST(FailureWordsTest, AFailureIsExplainedOnceAndASuccessClearsIt) {
    SRB_ExecSCSICmd request{};
    request.CDBByte[0] = 0x01;
    auto record = [&request](BYTE status) {
        request.SRB_Status = status;
        request.SRB_TargStat = status == SS_COMP ? STATUS_GOOD : STATUS_CHKCOND;
        request.SenseArea[2] = 0x02;
        request.SenseArea[12] = 0x3A;
        TapeCommandLog::Record(request);
    };
    FailureWords words({}, {}, false);
    record(SS_ERR);
    EXPECT_NE(words.Explain("Rewind tape error"), "");
    EXPECT_EQ(words.Explain("Another message"), "");
    record(SS_ERR);
    record(SS_COMP);
    EXPECT_EQ(words.Explain("Restore error"), "");
}

TEST(CliWordingTest, RatesBecomeMegabytesPerSecondAndTabsBecomeCommands) {
    const std::string summary = CliWording::Reword(
        "Backup ended successfully!\nTotal size: 1 Bytes\nTotal time: 0 days, 00 h, 00 min, 10 sec\nTotal transfer "
        "rate: 1.5e+007 KByte/min\nDisk->tape rate: n.a. KByte/min",
        "Daily");
    EXPECT_NE(summary.find("Total transfer rate: 256 MB/s\nDisk->tape rate: n.a."), std::string::npos) << summary;
    EXPECT_EQ(summary.find("KByte"), std::string::npos) << summary;
    EXPECT_EQ(CliWording::MegabytesPerSecond("4096."), "0.07 MB/s");
    const std::string catalog = CliWording::Reword(
        "Error: DirFile on hard drive and tape contents do not match.\nCheck that on the Utilities tab.", "Daily");
    EXPECT_EQ(catalog.find("tab"), std::string::npos) << catalog;
    EXPECT_NE(catalog.find("tapewren-cli check"), std::string::npos) << catalog;
}

TEST(OutputTextTest, FieldsCannotForgeAFieldOrALineAndDatesAreIso) {
    EXPECT_EQ(TsvField("a\tb\nc\rd\\e"), "a\\tb\\nc\\rd\\\\e");
    EXPECT_EQ(IsoDate("05.03.2021"), "2021-03-05");
    EXPECT_TRUE(IsoDate("").is_null());
    EXPECT_TRUE(IsoDate("5.3.2021xx").is_null());
}

}  // namespace
