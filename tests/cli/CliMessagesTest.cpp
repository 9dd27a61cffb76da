// How messages are headed and how questions are answered: by the options,
// on a terminal, or "no" when nobody can be asked.
#include <gtest/gtest.h>

#include <cstdio>
#include <cstdlib>
#include <optional>
#include <string>

#include "cli/CliMessages.h"
#include "report/MessageKind.h"

namespace {

// A message as the jobs show them, with an id only where the test needs it.
int Say(CliMessages& m, const std::string& text, int kind, MessageId id = MessageId::Count) {
    return m.Show({id, kind, text, {}, {}, 0});
}

class CliMessagesTest : public testing::Test {
protected:
    void TearDown() override {
        messages_.reset();
        if (out_ != nullptr) std::fclose(out_);
        if (in_ != nullptr) std::fclose(in_);
        std::free(buffer_);
        out_ = in_ = nullptr;
        buffer_ = nullptr;
        size_ = 0;
    }
    // typed: what the terminal holds.
    CliMessages& Make(Answer answer, bool terminal, const std::string& typed = "") {
        out_ = open_memstream(&buffer_, &size_);
        typed_ = typed;
        in_ = fmemopen(typed_.data(), typed_.size() + 1, "r");
        messages_.emplace(out_, in_, terminal, answer);
        return *messages_;
    }
    std::string Written() {
        std::fflush(out_);
        return std::string(buffer_, size_);
    }
    // fmemopen counts the terminating zero; reads stop there.
    std::string typed_;
    std::FILE* out_ = nullptr;
    std::FILE* in_ = nullptr;
    char* buffer_ = nullptr;
    std::size_t size_ = 0;
    std::optional<CliMessages> messages_;
};

TEST_F(CliMessagesTest, EachKindIsHeadedByItsTitleAndErrorsAreNotDoubled) {
    CliMessages& m = Make(Answer::Yes, false);
    Say(m, "Rewind tape error", Error);
    Say(m, "Error: file infos do not match", Error);
    Say(m, "Backup ended successfully!", Success);
    Say(m, "No files selected", Oops);
    Say(m, "Saved", Info);
    Say(m, "Tape name too long!", Attention);
    EXPECT_EQ(Written(),
              "Error: Rewind tape error\nError: file infos do not match\nYeah! Backup ended successfully!\n"
              "Ooops! No files selected\nInfo: Saved\nAttention: Tape name too long!\n");
}

TEST_F(CliMessagesTest, FailureKindsMarkTheRunFailedOthersDoNot) {
    CliMessages& m = Make(Answer::Yes, false);
    Say(m, "fine", Info);
    Say(m, "fine", Success);
    EXPECT_FALSE(m.Failed());
    Say(m, "oops", Oops);
    EXPECT_TRUE(m.Failed());
}

TEST_F(CliMessagesTest, YesAndNoOptionsAnswerEveryQuestion) {
    CliMessages& yes = Make(Answer::Yes, true, "n\n");
    EXPECT_EQ(Say(yes, "Overwrite?", Question), kMessageOk);
    EXPECT_FALSE(yes.Declined());
    EXPECT_EQ(Written(), "Question: Overwrite? [y/N] yes (--yes)\n");
    TearDown();
    CliMessages& no = Make(Answer::No, true, "y\n");
    EXPECT_EQ(Say(no, "Overwrite?", Question), kMessageCancel);
    EXPECT_TRUE(no.Declined());
    EXPECT_FALSE(no.Failed());
}

TEST_F(CliMessagesTest, WithoutTerminalOrOptionTheAnswerIsNoAndSaidSo) {
    CliMessages& m = Make(Answer::Ask, false, "y\n");
    EXPECT_EQ(Say(m, "Overwrite?", Question), kMessageCancel);
    EXPECT_TRUE(m.Declined());
    EXPECT_NE(Written().find("taken as no"), std::string::npos);
}

TEST_F(CliMessagesTest, TerminalAnswersAreReadLineByLine) {
    // A long answer must not leave its rest for the next question.
    CliMessages& m = Make(Answer::Ask, true, "Yes\n" + std::string(100, 'y') + "x\nno\n");
    EXPECT_EQ(Say(m, "First?", Question), kMessageOk);
    EXPECT_EQ(Say(m, "Second?", Question), kMessageOk);
    EXPECT_EQ(Say(m, "Third?", Question), kMessageCancel);
    EXPECT_EQ(Say(m, "Fourth, at end of input?", Question), kMessageCancel);
    EXPECT_TRUE(m.Declined());
}

TEST_F(CliMessagesTest, APresetQuestionIsAnsweredYesWhateverThePolicy) {
    CliMessages& m = Make(Answer::No, false);
    m.AnswerYes(MessageId::FullRestoreQuestion, "--all");
    EXPECT_EQ(Say(m, "Full restore?", Question, MessageId::FullRestoreQuestion), kMessageOk);
    EXPECT_EQ(Say(m, "Overwrite?", Question), kMessageCancel);
    EXPECT_NE(Written().find("Question: Full restore? [y/N] yes (--all)\n"), std::string::npos);
}

}  // namespace
