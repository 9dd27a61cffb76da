#pragma once
// Messages on standard error, each headed by its kind's title ("Error: ...",
// "Yeah! ..."). Questions are asked on the terminal when standard input is
// one, or answered by --yes / --no; with neither and no terminal a question
// is answered "no", and the answer is printed beside it. Remembers whether
// the run showed a failure or declined a question, for the exit status.

#include <cstdio>
#include <functional>
#include <string>

#include "cli/Answer.h"
#include "report/MessageSink.h"

class CliMessages : public MessageSink {
public:
    // out: where messages go; in: where terminal answers come from, read
    // only when inIsTerminal.
    CliMessages(std::FILE* out, std::FILE* in, bool inIsTerminal, Answer answer);

    int ShowMessage(const std::string& text, int kind) override;

    // This question (text as the program asks it) is answered yes whatever
    // the policy; why: the option that stands for the answer ("--all").
    void AnswerYes(const std::string& question, std::string why);
    // Runs before each message is written, so a status line on the terminal
    // can make room.
    void SetBeforeOutput(std::function<void()> beforeOutput) { beforeOutput_ = std::move(beforeOutput); }

    // An Error, Attention or Oops message was shown.
    bool Failed() const { return failed_; }
    // A question was answered "no".
    bool Declined() const { return declined_; }
    // "Error: " for "text"; no title where the text already begins with it.
    static std::string Heading(const std::string& text, int kind);

private:
    int Ask(const std::string& text);

    std::FILE* out_;
    std::FILE* in_;
    bool inIsTerminal_;
    Answer answer_;
    std::string presetQuestion_;
    std::string presetWhy_;
    std::function<void()> beforeOutput_;
    bool failed_ = false;
    bool declined_ = false;
};
