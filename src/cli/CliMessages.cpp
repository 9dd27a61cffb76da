#include "cli/CliMessages.h"

#include <cctype>

#include "cli/OutputText.h"
#include "report/MessageTitle.h"

CliMessages::CliMessages(std::FILE* out, std::FILE* in, bool inIsTerminal, Answer answer)
    : CliMessages(out, in, inIsTerminal, Options{answer, false, false}) {}

CliMessages::CliMessages(std::FILE* out, std::FILE* in, bool inIsTerminal, Options options)
    : out_(out), in_(in), inIsTerminal_(inIsTerminal), options_(options) {}

void CliMessages::AnswerYes(MessageId question, std::string why) {
    preset_ = true;
    presetQuestion_ = question;
    presetWhy_ = std::move(why);
}

const std::string* CliMessages::Guarded(MessageId id) const {
    for (const auto& [question, why] : guarded_)
        if (question == id) return &why;
    return nullptr;
}

std::string CliMessages::Heading(const std::string& text, int kind) {
    const std::string title = MessageTitle(kind);
    // Many texts already read "Error: ..."; the title is not doubled.
    if (!title.empty() && title.back() == ':') return text.rfind(title, 0) == 0 ? std::string() : title + " ";
    if (text.rfind(title + ":", 0) == 0) return {};
    if (!title.empty() && title.back() == '!') return title + " ";
    return title + ": ";
}

int CliMessages::Show(const Message& message) {
    const int kind = message.kind;
    const bool failure = kind == Error || kind == Attention || kind == Oops;
    if (failure) failed_ = true;
    if (kind == Question) return Ask(message);
    // Names in a message are bytes from files and tapes: none may drive the
    // terminal.
    const std::string text = TerminalText(wording_ ? wording_(message) : message.text, true);
    if (kind == Info && infoOut_ != nullptr) {
        if (beforeOutput_) beforeOutput_();
        std::fprintf(infoOut_, "%s\n", text.c_str());
        std::fflush(infoOut_);
        return kMessageOk;
    }
    const std::string explanation = failure && explainer_ ? TerminalText(explainer_(message), true) : std::string();
    const std::string shown = Heading(text, kind) + text + "\n";
    // Held back, not dropped: a run that fails shows them after all.
    if (options_.quiet && !failure) {
        held_ += shown;
        return kMessageOk;
    }
    if (beforeOutput_) beforeOutput_();
    std::fputs(shown.c_str(), out_);
    if (!explanation.empty()) std::fprintf(out_, "%s\n", explanation.c_str());
    std::fflush(out_);
    return kMessageOk;
}

void CliMessages::ShowHeld() {
    if (held_.empty()) return;
    if (beforeOutput_) beforeOutput_();
    std::fputs(held_.c_str(), out_);
    std::fflush(out_);
    held_.clear();
}

int CliMessages::Ask(const Message& question) {
    // The policy knows the question by its id; the terminal sees it escaped.
    const std::string text = TerminalText(wording_ ? wording_(question) : question.text, true);
    auto answered = [&](bool yes, const std::string& why) {
        const std::string line =
            Heading(text, Question) + text + " [y/N] " + (yes ? "yes" : "no") + why + "\n";
        // A question answered yes by an option is no news for --quiet,
        // unless the run fails.
        if (options_.quiet && yes) {
            held_ += line;
        } else {
            if (beforeOutput_) beforeOutput_();
            std::fputs(line.c_str(), out_);
            std::fflush(out_);
        }
        if (!yes) declined_ = true;
        return yes ? kMessageOk : kMessageCancel;
    };
    if (preset_ && question.id == presetQuestion_) return answered(true, " (" + presetWhy_ + ")");
    const std::string* guard = Guarded(question.id);
    if (options_.answer == Answer::Yes && guard != nullptr && !options_.force)
        return answered(false, " (--yes does not answer this without --force: " + *guard + ")");
    if (options_.answer == Answer::Yes)
        return answered(true, options_.force && guard != nullptr ? " (--yes --force)" : " (--yes)");
    if (options_.answer == Answer::No) return answered(false, " (--no)");
    if (!inIsTerminal_) return answered(false, " (no terminal to ask on and no --yes: taken as no)");

    if (beforeOutput_) beforeOutput_();
    std::fprintf(out_, "%s%s [y/N] ", Heading(text, Question).c_str(), text.c_str());
    std::fflush(out_);
    char line[64];
    if (std::fgets(line, sizeof line, in_) == nullptr) {
        std::fputc('\n', out_);
        declined_ = true;
        return kMessageCancel;
    }
    std::size_t i = 0;
    while (line[i] == ' ' || line[i] == '\t') ++i;
    const char c = static_cast<char>(std::tolower(static_cast<unsigned char>(line[i])));
    // A long answer leaves the rest of its line unread; the next question
    // would take it as its answer.
    bool ended = false;
    for (const char* p = line; *p != '\0'; ++p) ended = ended || *p == '\n';
    if (!ended) {
        int rest;
        while ((rest = std::fgetc(in_)) != EOF && rest != '\n') {
        }
    }
    if (c == 'y') return kMessageOk;
    declined_ = true;
    return kMessageCancel;
}
