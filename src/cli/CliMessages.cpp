#include "cli/CliMessages.h"

#include <cctype>

#include "report/MessageTitle.h"

CliMessages::CliMessages(std::FILE* out, std::FILE* in, bool inIsTerminal, Answer answer)
    : out_(out), in_(in), inIsTerminal_(inIsTerminal), answer_(answer) {}

void CliMessages::AnswerYes(const std::string& question, std::string why) {
    presetQuestion_ = question;
    presetWhy_ = std::move(why);
}

std::string CliMessages::Heading(const std::string& text, int kind) {
    const std::string title = MessageTitle(kind);
    // Many texts already read "Error: ..."; the title is not doubled.
    if (!title.empty() && title.back() == ':') return text.rfind(title, 0) == 0 ? std::string() : title + " ";
    if (text.rfind(title + ":", 0) == 0) return {};
    if (!title.empty() && title.back() == '!') return title + " ";
    return title + ": ";
}

int CliMessages::ShowMessage(const std::string& text, int kind) {
    if (beforeOutput_) beforeOutput_();
    std::fputs(Heading(text, kind).c_str(), out_);
    std::fputs(text.c_str(), out_);
    if (kind == Question) return Ask(text);
    std::fputc('\n', out_);
    std::fflush(out_);
    if (kind == Error || kind == Attention || kind == Oops) failed_ = true;
    return kMessageOk;
}

int CliMessages::Ask(const std::string& text) {
    auto answered = [this](bool yes, const char* why) {
        std::fprintf(out_, " [y/N] %s%s\n", yes ? "yes" : "no", why);
        std::fflush(out_);
        if (!yes) declined_ = true;
        return yes ? kMessageOk : kMessageCancel;
    };
    if (!presetQuestion_.empty() && text == presetQuestion_)
        return answered(true, (" (" + presetWhy_ + ")").c_str());
    if (answer_ == Answer::Yes) return answered(true, " (--yes)");
    if (answer_ == Answer::No) return answered(false, " (--no)");
    if (!inIsTerminal_) return answered(false, " (no terminal to ask on and no --yes: taken as no)");

    std::fputs(" [y/N] ", out_);
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
