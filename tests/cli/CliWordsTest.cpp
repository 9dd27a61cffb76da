// The command line's own words: what a failed tape command's sense data
// mean, decided by the message's id and the outcome it carries; the
// window's controls replaced by commands; rates in MB/s; fields that cannot
// forge a line.
#include <gtest/gtest.h>

#include "app/FailureExplanation.h"
#include "aspi/Srb.h"
#include "cli/CliWording.h"
#include "cli/FailureWords.h"
#include "cli/OutputText.h"
#include "report/MessageSink.h"

namespace {

CommandFailure Failed(std::uint8_t opcode, std::uint8_t targetStatus, std::uint8_t flagsAndKey, std::uint8_t asc,
                      std::uint8_t ascq = 0, unsigned long serial = 1) {
    CommandFailure failure;
    failure.present = true;
    failure.serial = serial;
    failure.opcode = opcode;
    failure.status = SS_ERR;
    failure.targetStatus = targetStatus;
    failure.sense[2] = flagsAndKey;
    failure.sense[12] = asc;
    failure.sense[13] = ascq;
    return failure;
}

Message Reporting(MessageId id, const CommandFailure& failure, int record = 0) {
    Message message = MessageSink::Make(id, Error, {});
    message.failure = failure;
    message.record = record;
    return message;
}

struct SenseCase {
    std::uint8_t opcode;
    std::uint8_t targetStatus;
    std::uint8_t flagsAndKey;
    std::uint8_t asc;
    MessageId id;
    int record;
    const char* said;
};

class FailureSentenceTest : public testing::TestWithParam<SenseCase> {};

TEST_P(FailureSentenceTest, SenseDataBecomeOneSentenceThatSaysWhatToDo) {
    const SenseCase& c = GetParam();
    const Message message = Reporting(c.id, Failed(c.opcode, c.targetStatus, c.flagsAndKey, c.asc), c.record);
    const std::string text = FailureExplanation::Sentence(message, CartridgeFacts{});
    EXPECT_NE(text.find(c.said), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailureSentenceTest,
    testing::Values(SenseCase{0x08, STATUS_CHKCOND, 0x03, 0x11, MessageId::RestoreError, 3, "Medium error at file record 3:"},
                    SenseCase{0x0A, STATUS_CHKCOND, 0x03, 0x0C, MessageId::WriteFileTapeError, 0,
                              "cannot write on this tape"},
                    SenseCase{0x08, STATUS_CHKCOND, 0x03, 0x31, MessageId::IdentUnreadable, 0,
                              "the tape is blank, or written in a format"},
                    SenseCase{0x11, STATUS_CHKCOND, 0x08, 0x00, MessageId::MoveToFilemarkError, 0,
                              "holds fewer file records than its catalog lists"},
                    SenseCase{0x01, STATUS_CHKCOND, 0x02, 0x3A, MessageId::RewindTapeError, 0,
                              "No cartridge in the drive."},
                    SenseCase{0x01, STATUS_CHKCOND, 0x02, 0x04, MessageId::RewindTapeError, 0, "not ready"},
                    SenseCase{0x0A, STATUS_CHKCOND, 0x40, 0x00, MessageId::WriteFileTapeError, 0,
                              "The cartridge is full."},
                    SenseCase{0x01, STATUS_BUSY, 0x00, 0x00, MessageId::RewindTapeError, 0,
                              "another program is using it"},
                    SenseCase{0x08, STATUS_CHKCOND, 0x06, 0x29, MessageId::RestoreError, 0, "was reset"}));

// One failure reported by two messages ("Tape read error", then "Restore
// error") is explained once; another failure is explained again.
TEST(FailureWordsTest, AFailureIsExplainedOnce) {
    FailureWords words({}, false);
    const CommandFailure failure = Failed(0x01, STATUS_CHKCOND, 0x02, 0x3A);
    EXPECT_NE(words.Explain(Reporting(MessageId::RewindTapeError, failure)), "");
    EXPECT_EQ(words.Explain(Reporting(MessageId::RestoreError, failure)), "");
    EXPECT_NE(words.Explain(Reporting(MessageId::RestoreError, Failed(0x01, STATUS_CHKCOND, 0x02, 0x3A, 0, 2))), "");
    EXPECT_EQ(words.Explain(Reporting(MessageId::RestoreError, {})), "");
}

// A damaged tape gives many explained failures in one job: what is known of
// the cartridge (a look at every process's open files) is asked only by the
// failures it explains, and once.
TEST(FailureWordsTest, CartridgeFactsAreAskedOncePerJobAndOnlyWhenTheyExplain) {
    int asked = 0;
    FailureWords words([&asked] { return ++asked, CartridgeFacts{}; }, false);
    for (unsigned long serial = 1; serial <= 3; ++serial)
        EXPECT_NE(words.Explain(Reporting(MessageId::TapeReadError, Failed(0x08, STATUS_CHKCOND, 0x03, 0x11, 0, serial))),
                  "");
    EXPECT_EQ(asked, 0);
    for (unsigned long serial = 4; serial <= 5; ++serial)
        EXPECT_NE(
            words.Explain(Reporting(MessageId::WriteFileTapeError, Failed(0x0A, STATUS_CHKCOND, 0x07, 0x27, 0, serial))),
            "");
    EXPECT_EQ(asked, 1);
}

// Jobs run into the end of data on purpose (a SPACE that ends a full
// restore or a rebuild, the read that finds where a backup appends); only a
// message that reports the failed command is explained, and the end of data
// is "fewer records than the catalog" only while spacing to a catalog entry.
struct ExplainCase {
    const char* name;
    std::uint8_t opcode;
    std::uint8_t flagsAndKey;
    std::uint8_t ascq;
    MessageId id;
    const char* said;  // empty: nothing may be added
};

class FailureExplanationTest : public testing::TestWithParam<ExplainCase> {};

TEST_P(FailureExplanationTest, OnlyTheCommandThatFailedTheJobIsExplained) {
    const ExplainCase& c = GetParam();
    FailureWords words({}, false);
    const std::string text = words.Explain(Reporting(c.id, Failed(c.opcode, STATUS_CHKCOND, c.flagsAndKey, 0, c.ascq)));
    if (*c.said == '\0')
        EXPECT_EQ(text, "");
    else
        EXPECT_NE(text.find(c.said), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Cases, FailureExplanationTest,
    testing::Values(ExplainCase{"BackupRefusal", 0x11, 0x08, 0x05, MessageId::UnlistedRecords, ""},
                    ExplainCase{"RebuildSummary", 0x11, 0x08, 0x05, MessageId::RebuildSummary, ""},
                    ExplainCase{"DamagedFullRestore", 0x11, 0x08, 0x05, MessageId::RestoreSummary, ""},
                    ExplainCase{"SpacingToACatalogEntry", 0x11, 0x08, 0x05, MessageId::MoveToFilemarkError,
                                "holds fewer file records than its catalog lists"},
                    ExplainCase{"ReadingIntoTheEnd", 0x08, 0x08, 0x05, MessageId::TapeReadError,
                                "nothing is recorded after"},
                    ExplainCase{"BlankTape", 0x08, 0x08, 0x05, MessageId::IdentUnreadable, "The tape is blank"},
                    ExplainCase{"FilemarkOnARead", 0x08, 0x80, 0x01, MessageId::TapeReadError, ""}),
    [](const testing::TestParamInfo<ExplainCase>& info) { return std::string(info.param.name); });

TEST(CliWordingTest, RatesBecomeMegabytesPerSecondAndTabsBecomeCommands) {
    const std::string summary = CliWording::Reword(
        MessageSink::Make(MessageId::BackupSummary, Success,
                          {"Backup ended successfully!", "1", "0 days, 00 h, 00 min, 10 sec", "1.5e+007", "n.a."}),
        "Daily");
    EXPECT_NE(summary.find("Total transfer rate: 256 MB/s\nDisk->tape rate: n.a."), std::string::npos) << summary;
    EXPECT_EQ(summary.find("KByte"), std::string::npos) << summary;
    EXPECT_EQ(CliWording::MegabytesPerSecond("4096."), "0.07 MB/s");
    const std::string catalog =
        CliWording::Reword(MessageSink::Make(MessageId::CatalogDiffers, Error, {""}), "Daily");
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
