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
    m.ShowMessage("Rewind tape error", Error);
    m.ShowMessage("Error: file infos do not match", Error);
    m.ShowMessage("Backup ended successfully!", Success);
    m.ShowMessage("No files selected", Oops);
    m.ShowMessage("Saved", Info);
    m.ShowMessage("Tape name too long!", Attention);
    EXPECT_EQ(Written(),
              "Error: Rewind tape error\nError: file infos do not match\nYeah! Backup ended successfully!\n"
              "Ooops! No files selected\nInfo: Saved\nAttention: Tape name too long!\n");
}

TEST_F(CliMessagesTest, FailureKindsMarkTheRunFailedOthersDoNot) {
    CliMessages& m = Make(Answer::Yes, false);
    m.ShowMessage("fine", Info);
    m.ShowMessage("fine", Success);
    EXPECT_FALSE(m.Failed());
    m.ShowMessage("oops", Oops);
    EXPECT_TRUE(m.Failed());
}

TEST_F(CliMessagesTest, YesAndNoOptionsAnswerEveryQuestion) {
    CliMessages& yes = Make(Answer::Yes, true, "n\n");
    EXPECT_EQ(yes.ShowMessage("Overwrite?", Question), kMessageOk);
    EXPECT_FALSE(yes.Declined());
    EXPECT_EQ(Written(), "Question: Overwrite? [y/N] yes (--yes)\n");
    TearDown();
    CliMessages& no = Make(Answer::No, true, "y\n");
    EXPECT_EQ(no.ShowMessage("Overwrite?", Question), kMessageCancel);
    EXPECT_TRUE(no.Declined());
    EXPECT_FALSE(no.Failed());
}

TEST_F(CliMessagesTest, WithoutTerminalOrOptionTheAnswerIsNoAndSaidSo) {
    CliMessages& m = Make(Answer::Ask, false, "y\n");
    EXPECT_EQ(m.ShowMessage("Overwrite?", Question), kMessageCancel);
    EXPECT_TRUE(m.Declined());
    EXPECT_NE(Written().find("taken as no"), std::string::npos);
}

TEST_F(CliMessagesTest, TerminalAnswersAreReadLineByLine) {
    // A long answer must not leave its rest for the next question.
    CliMessages& m = Make(Answer::Ask, true, "Yes\n" + std::string(100, 'y') + "x\nno\n");
    EXPECT_EQ(m.ShowMessage("First?", Question), kMessageOk);
    EXPECT_EQ(m.ShowMessage("Second?", Question), kMessageOk);
    EXPECT_EQ(m.ShowMessage("Third?", Question), kMessageCancel);
    EXPECT_EQ(m.ShowMessage("Fourth, at end of input?", Question), kMessageCancel);
    EXPECT_TRUE(m.Declined());
}

TEST_F(CliMessagesTest, APresetQuestionIsAnsweredYesWhateverThePolicy) {
    CliMessages& m = Make(Answer::No, false);
    m.AnswerYes("Full restore?", "--all");
    EXPECT_EQ(m.ShowMessage("Full restore?", Question), kMessageOk);
    EXPECT_EQ(m.ShowMessage("Overwrite?", Question), kMessageCancel);
    EXPECT_NE(Written().find("Question: Full restore? [y/N] yes (--all)\n"), std::string::npos);
}

}  // namespace
