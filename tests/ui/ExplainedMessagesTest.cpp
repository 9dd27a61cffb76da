// The window's messages say what a failure means and what to do, as the
// command line does, and name the tape and catalog folder a catalog
// message is about; other messages pass unchanged.
#include <gtest/gtest.h>

#include "aspi/ScsiOpcodes.h"
#include "aspi/SenseData.h"
#include "aspi/Srb.h"
#include "support/ScriptedMessages.h"
#include "ui/ExplainedMessages.h"

namespace {

struct Case {
    const char* name;
    MessageId id;
    bool busy;            // carries a failed command: the drive was busy
    const char* expected;  // what follows the message's own text
};

class ExplainedMessagesTest : public testing::TestWithParam<Case> {};

TEST_P(ExplainedMessagesTest, AddsWhatHappenedAndWhatToDo) {
    ScriptedMessages dialog;
    ExplainedMessages messages(dialog);
    const std::string tape = "Daily";
    const std::string folder = "/home/u/catalogs";
    messages.Attach(
        [] {
            CartridgeFacts facts;
            facts.virtualDrive = true;
            facts.image = "/t/a.tap";
            facts.holders = {"42 (tapewren-cli)"};
            return facts;
        },
        tape, folder);
    CommandFailure failure;
    failure.present = GetParam().busy;
    failure.serial = 7;
    failure.targetStatus = STATUS_BUSY;
    messages.ShowFailure(GetParam().id, failure, {""});
    ASSERT_EQ(dialog.shown.size(), 1u);
    const std::string own = MessageSink::Make(GetParam().id, 0, {""}).text;
    EXPECT_EQ(dialog.shown[0].text, own + GetParam().expected);
}

// The window names its own control for what to do, not a command to type.
TEST(ExplainedMessagesWindowTest, BlankTapeSendsTheUserToTheFormatButton) {
    ScriptedMessages dialog;
    ExplainedMessages messages(dialog);
    CommandFailure failure;
    failure.present = true;
    failure.serial = 1;
    failure.status = SS_ERR;
    failure.targetStatus = STATUS_CHKCOND;
    failure.opcode = ScsiOp::Read6;
    failure.sense[0] = 0x70;
    failure.sense[SenseData::kFlagsAndKey] = SenseKey::BlankCheck;
    failure.sense[SenseData::kAscq] = 0x05;  // end of data
    messages.ShowFailure(MessageId::IdentUnreadable, failure, {""});
    ASSERT_EQ(dialog.shown.size(), 1u);
    const std::string& text = dialog.shown[0].text;
    EXPECT_NE(text.find("The tape is blank"), std::string::npos) << text;
    EXPECT_NE(text.find("\"FORMAT Tape\""), std::string::npos) << text;
    EXPECT_EQ(text.find("tapewren-cli"), std::string::npos) << text;
}

INSTANTIATE_TEST_SUITE_P(
    Messages, ExplainedMessagesTest,
    testing::Values(Case{"BusyDriveNamesTheHolder", MessageId::IdentUnreadable, true,
                         "\n\nThe drive is busy: the image /t/a.tap is held by process 42 (tapewren-cli). Wait "
                         "until it has finished (or end it), then run the command again."},
                    Case{"MissingCatalogNamesTapeAndFolder", MessageId::CatalogMissing, false,
                         "\n\nTape: Daily\nCatalog: /home/u/catalogs/Daily.twd"},
                    Case{"RefusalPassesUnchanged", MessageId::NoFilesSelected, false, ""}),
    [](const auto& info) { return std::string(info.param.name); });

}  // namespace
