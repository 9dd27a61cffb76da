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

// A damaged tape gives many explained failures in one job: what is known of
// the cartridge (a look at every process's open files) is asked only by the
// failures it explains, and once.
TEST(FailureWordsTest, CartridgeFactsAreAskedOncePerJobAndOnlyWhenTheyExplain) {
    int asked = 0;
    FailureWords words([&asked] { return ++asked, CartridgeFacts{}; }, {}, false);
    SRB_ExecSCSICmd request{};
    request.SRB_Status = SS_ERR;
    request.SRB_TargStat = STATUS_CHKCOND;
    request.CDBByte[0] = 0x08;
    request.SenseArea[2] = 0x03;  // MEDIUM ERROR
    for (int i = 0; i < 3; ++i) {
        TapeCommandLog::Record(request);
        EXPECT_NE(words.Explain("Tape read error {1}"), "");
    }
    EXPECT_EQ(asked, 0);
    request.SenseArea[2] = 0x07;  // DATA PROTECT
    for (int i = 0; i < 2; ++i) {
        TapeCommandLog::Record(request);
        EXPECT_NE(words.Explain("Write file tape error"), "");
    }
    EXPECT_EQ(asked, 1);
}

// Jobs run into the end of data on purpose (a SPACE that ends a full
// restore or a rebuild, the read that finds where a backup appends); only a
// message that reports the failed command is explained, and the end of data
// is "fewer records than the catalog" only while spacing to a catalog entry.
struct ExplainCase {
    const char* name;
    BYTE opcode;
    BYTE flagsAndKey;
    BYTE ascq;
    const char* message;
    const char* said;  // empty: nothing may be added
};

class FailureExplanationTest : public testing::TestWithParam<ExplainCase> {};

TEST_P(FailureExplanationTest, OnlyTheCommandThatFailedTheJobIsExplained) {
    const ExplainCase& c = GetParam();
    FailureWords words({}, {}, false);
    SRB_ExecSCSICmd request{};
    request.CDBByte[0] = c.opcode;
    request.SRB_Status = SS_ERR;
    request.SRB_TargStat = STATUS_CHKCOND;
    request.SenseArea[2] = c.flagsAndKey;
    request.SenseArea[13] = c.ascq;
    TapeCommandLog::Record(request);
    const std::string text = words.Explain(c.message);
    if (*c.said == '\0')
        EXPECT_EQ(text, "");
    else
        EXPECT_NE(text.find(c.said), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailureExplanationTest,
    testing::Values(
        ExplainCase{"BackupRefusal", 0x11, 0x08, 0x05,
                    "Error: the tape holds 2 file records that the DirFile on hard drive does not list.\nNothing was "
                    "written.",
                    ""},
        ExplainCase{"RebuildSummary", 0x11, 0x08, 0x05,
                    "Finished creating Directory File\n1 file record was left out.", ""},
        ExplainCase{"DamagedFullRestore", 0x11, 0x08, 0x05, "Restore ended with 1 file record skipped!\nTotal size: 1",
                    ""},
        ExplainCase{"SpacingToACatalogEntry", 0x11, 0x08, 0x05, "Moveto filemark error",
                    "holds fewer file records than its catalog lists"},
        ExplainCase{"ReadingIntoTheEnd", 0x08, 0x08, 0x05, "Tape read error {1}", "nothing is recorded after"},
        ExplainCase{"BlankTape", 0x08, 0x08, 0x05, "Error reading IdentBlock from tape", "The tape is blank"},
        ExplainCase{"FilemarkOnARead", 0x08, 0x80, 0x01, "Tape read error {1}", ""}),
    [](const testing::TestParamInfo<ExplainCase>& info) { return std::string(info.param.name); });

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
    EXPECT_EQ(IsoDate("29.02.2024"), "2024-02-29");
    for (const char* impossible : {"31.02.2026", "29.02.2025", "00.01.2020", "31.04.2021", "01.13.2021", "01.00.2021"})
        EXPECT_TRUE(IsoDate(impossible).is_null()) << impossible;
}

TEST(OutputTextTest, ControlCharactersReachNoTerminal) {
    EXPECT_EQ(TsvField("a\x1b[31mb\a\x7f"), "a\\x1b[31mb\\x07\\x7f");
    // Messages keep their line breaks; the status line keeps none.
    EXPECT_EQ(TerminalText("name \x1b]0;x\a\nnext", true), "name \\x1b]0;x\\x07\nnext");
    EXPECT_EQ(TerminalText("a\nb\rc\td", false), "a\\nb\\rc\\td");
    // The two bytes of a C1 control in UTF-8; other characters stay.
    EXPECT_EQ(TerminalText("\xc2\x9b" "2J \xc3\xa9", true), "\\xc2\\x9b" "2J \xc3\xa9");
}

}  // namespace
