#include "cli/CliMessages.h"

#include <algorithm>
#include <cctype>

#include "report/MessageTitle.h"

CliMessages::CliMessages(std::FILE* out, std::FILE* in, bool inIsTerminal, Answer answer)
    : CliMessages(out, in, inIsTerminal, Options{answer, false, false}) {}

CliMessages::CliMessages(std::FILE* out, std::FILE* in, bool inIsTerminal, Options options)
    : out_(out), in_(in), inIsTerminal_(inIsTerminal), options_(options) {}

void CliMessages::AnswerYes(const std::string& question, std::string why) {
    presetQuestion_ = question;
    presetWhy_ = std::move(why);
}

bool CliMessages::Guarded(const std::string& text) const {
    return std::find(guarded_.begin(), guarded_.end(), text) != guarded_.end();
}

std::string CliMessages::Heading(const std::string& text, int kind) {
    const std::string title = MessageTitle(kind);
    // Many texts already read "Error: ..."; the title is not doubled.
    if (!title.empty() && title.back() == ':') return text.rfind(title, 0) == 0 ? std::string() : title + " ";
    if (text.rfind(title + ":", 0) == 0) return {};
    if (!title.empty() && title.back() == '!') return title + " ";
    return title + ": ";
}

int CliMessages::ShowMessage(const std::string& given, int kind) {
    const bool failure = kind == Error || kind == Attention || kind == Oops;
    if (failure) failed_ = true;
    if (kind == Question) return Ask(given);
    const std::string text = wording_ ? wording_(given) : given;
    if (kind == Info && infoOut_ != nullptr) {
        if (beforeOutput_) beforeOutput_();
        std::fprintf(infoOut_, "%s\n", text.c_str());
        std::fflush(infoOut_);
        return kMessageOk;
    }
    const std::string explanation = failure && explainer_ ? explainer_(given) : std::string();
    if (options_.quiet && !failure && kind != Success) return kMessageOk;
    if (beforeOutput_) beforeOutput_();
    std::fputs(Heading(text, kind).c_str(), out_);
    std::fputs(text.c_str(), out_);
    std::fputc('\n', out_);
    if (!explanation.empty()) std::fprintf(out_, "%s\n", explanation.c_str());
    std::fflush(out_);
    return kMessageOk;
}

int CliMessages::Ask(const std::string& text) {
    auto answered = [&](bool yes, const std::string& why) {
        // A question answered yes by an option is no news for --quiet.
        if (!(options_.quiet && yes)) {
            if (beforeOutput_) beforeOutput_();
            std::fprintf(out_, "%s%s [y/N] %s%s\n", Heading(text, Question).c_str(), text.c_str(), yes ? "yes" : "no",
                         why.c_str());
            std::fflush(out_);
        }
        if (!yes) declined_ = true;
        return yes ? kMessageOk : kMessageCancel;
    };
    if (!presetQuestion_.empty() && text == presetQuestion_) return answered(true, " (" + presetWhy_ + ")");
    if (options_.answer == Answer::Yes && Guarded(text) && !options_.force)
        return answered(false, " (--yes does not answer this without --force)");
    if (options_.answer == Answer::Yes) return answered(true, options_.force && Guarded(text) ? " (--yes --force)" : " (--yes)");
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
