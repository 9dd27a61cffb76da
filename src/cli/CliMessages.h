#pragma once
// Messages on standard error, each headed by its kind's title ("Error: ...",
// "Yeah! ..."), in the command line's own words where the shared texts name
// the window's controls. Questions are asked on the terminal when standard
// input is one, or answered by --yes / --no; with neither and no terminal a
// question is answered "no", and the answer is printed beside it. A guarded
// question (one that destroys another tape's data) is answered yes by --yes
// only with --force. Remembers whether the run showed a failure or declined
// a question, for the exit status.

#include <cstdio>
#include <functional>
#include <string>
#include <utility>
#include <vector>

#include "cli/Answer.h"
#include "report/MessageSink.h"

class CliMessages : public MessageSink {
public:
    struct Options {
        Answer answer = Answer::Ask;
        bool force = false;  // --yes answers guarded questions too
        // Only failures, declined questions and the final result, unless the
        // run fails (ShowHeld).
        bool quiet = false;
    };

    // out: where messages go; in: where terminal answers come from, read
    // only when inIsTerminal.
    CliMessages(std::FILE* out, std::FILE* in, bool inIsTerminal, Answer answer);
    CliMessages(std::FILE* out, std::FILE* in, bool inIsTerminal, Options options);

    int Show(const Message& message) override;

    // This question is answered yes whatever the policy; why: the option
    // that stands for the answer ("--all").
    void AnswerYes(MessageId question, std::string why);
    // This question destroys data that --yes alone must not give away; why:
    // what the data is, said with the answer "no".
    void Guard(MessageId question, std::string why) { guarded_.push_back({question, std::move(why)}); }
    // Info messages are the command's result: written to results, plain.
    void SendInfoTo(std::FILE* results) { infoOut_ = results; }
    // Runs before each message is written, so a status line on the terminal
    // can make room.
    void SetBeforeOutput(std::function<void()> beforeOutput) { beforeOutput_ = std::move(beforeOutput); }
    // The command line's own text for a message.
    void SetWording(std::function<std::string(const Message&)> wording) { wording_ = std::move(wording); }
    // A line to add after a failure's message, saying in words what the
    // drive reported (empty: nothing to add).
    void SetExplainer(std::function<std::string(const Message&)> explainer) { explainer_ = std::move(explainer); }

    // --quiet holds back all but failures, declined questions and the
    // result; a run that fails shows what was held back with this, in order.
    void ShowHeld();

    // An Error, Attention or Oops message was shown.
    bool Failed() const { return failed_; }
    // A question was answered "no".
    bool Declined() const { return declined_; }
    // "Error: " for "text"; no title where the text already begins with it.
    static std::string Heading(const std::string& text, int kind);

private:
    int Ask(const Message& question);
    // The reason the question is guarded; null when it is not.
    const std::string* Guarded(MessageId question) const;

    std::FILE* out_;
    std::FILE* in_;
    bool inIsTerminal_;
    Options options_;
    bool preset_ = false;
    MessageId presetQuestion_ = MessageId::Count;
    std::string presetWhy_;
    std::vector<std::pair<MessageId, std::string>> guarded_;  // question, why
    std::FILE* infoOut_ = nullptr;
    std::function<void()> beforeOutput_;
    std::function<std::string(const Message&)> wording_;
    std::function<std::string(const Message&)> explainer_;
    std::string held_;  // what --quiet held back
    bool failed_ = false;
    bool declined_ = false;
};
