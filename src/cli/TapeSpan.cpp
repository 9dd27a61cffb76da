#include "cli/TapeSpan.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>

#include "app/CartridgeFacts.h"
#include "app/TapeProbe.h"
#include "catalog/DirFilePath.h"
#include "cli/CliSession.h"
#include "cli/CommandLine.h"
#include "report/MessageKind.h"

namespace {
// Long enough for a drive to load and thread a cartridge.
constexpr int kReadyWaitMs = 120000;
constexpr int kPollMs = 250;

// k of "NAME-k" when tape is that, else 0.
int NumberIn(const std::string& tape, const std::string& name) {
    if (tape.size() <= name.size() + 1 || tape.compare(0, name.size(), name) != 0 || tape[name.size()] != '-')
        return 0;
    const std::string digits = tape.substr(name.size() + 1);
    if (digits.size() > 6 || digits.find_first_not_of("0123456789") != std::string::npos || digits[0] == '0')
        return 0;
    const int k = std::stoi(digits);
    return k >= 2 ? k : 0;
}
}  // namespace

TapeSpan::TapeSpan(CliSession& session, const CommandLine& line) : session_(session), line_(line) {}

std::string TapeSpan::Quoted(const std::string& text) {
    if (!text.empty() && text.find_first_not_of("abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789_-./=+:,@") ==
                             std::string::npos)
        return text;
    std::string quoted = "'";
    for (const char c : text) quoted += c == '\'' ? std::string("'\\''") : std::string(1, c);
    return quoted + "'";
}

bool TapeSpan::CatalogExists(const std::string& tape) const {
    std::string path;
    struct stat status {};
    return DirFilePath(session_.StartDirectory(), tape, path) == 0 && ::stat(path.c_str(), &status) == 0;
}

std::string TapeSpan::SetOf(const std::string& tape, const std::string& startDirectory) {
    const std::size_t dash = tape.rfind('-');
    if (dash == std::string::npos || dash == 0) return tape;
    const std::string name = tape.substr(0, dash);
    std::string path;
    struct stat status {};
    if (NumberIn(tape, name) == 0 || DirFilePath(startDirectory, name, path) != 0 || ::stat(path.c_str(), &status) != 0)
        return tape;
    return name;
}

bool TapeSpan::InSet(const std::string& tape) const { return tape == line_.span || NumberIn(tape, line_.span) > 0; }

std::string TapeSpan::FreeName() const {
    if (!CatalogExists(line_.span)) return line_.span;
    for (int k = 2;; ++k)
        if (!CatalogExists(line_.span + "-" + std::to_string(k))) return line_.span + "-" + std::to_string(k);
}

std::vector<std::string> TapeSpan::Catalogs() const {
    std::vector<std::pair<int, std::string>> found;
    std::string path;
    if (CatalogExists(line_.span) && DirFilePath(session_.StartDirectory(), line_.span, path) == 0)
        found.push_back({1, path});
    // The numbers need not be contiguous: a tape may have been lost.
    for (int k = 2, missing = 0; missing < 100; ++k) {
        const std::string tape = line_.span + "-" + std::to_string(k);
        if (!CatalogExists(tape)) {
            ++missing;
            continue;
        }
        missing = 0;
        if (DirFilePath(session_.StartDirectory(), tape, path) == 0) found.push_back({k, path});
    }
    std::vector<std::string> paths;
    for (const auto& [k, p] : found) paths.push_back(p);
    return paths;
}

int TapeSpan::Stop(const std::string& why, const std::string& command) {
    session_.Messages().ShowMessage(MessageId::CliSpanStopped, {why, command});
    return -1;
}

int TapeSpan::TakeLoaded(const std::string& command) {
    fresh_ = false;
    const TapeContents contents = ProbeTape(session_);
    std::string name, date, version;
    if (contents == TapeContents::Blank) {
        name = FreeName();
        session_.Answers().AnswerYes(MessageId::FormatQuestion, "--span");
        if (session_.MaintenanceFor(session_.Events()).FormatTape(name, session_.Tape()) != JobResult::Done)
            return Stop("the blank tape could not be formatted as '" + name + "'.", command);
        fresh_ = true;
    } else if (contents == TapeContents::Formatted || contents == TapeContents::Written) {
        if (session_.Volume().ReadIdentBlock(name, date, version) < 0)
            return Stop("the loaded tape's ident block cannot be read.", command);
        if (!InSet(name))
            return Stop("the loaded tape is '" + name + "', not one of the tapes of '" + line_.span + "' ('" +
                            line_.span + "', '" + line_.span + "-2', ...) nor a blank one: nothing was written on it.",
                        command);
    } else {
        return Stop("the loaded tape does not begin with a tape's ident block and is not blank: nothing was written "
                    "on it.",
                    command);
    }
    if (std::find(tapes_.begin(), tapes_.end(), name) != tapes_.end())
        return Stop("the next tape is '" + name + "' again, which is full.", command);
    tapes_.push_back(name);
    return 0;
}

bool TapeSpan::WaitReady() {
    const DriveAddress& a = session_.Selector().Address();
    // A drive that does not load an inserted cartridge by itself (and the
    // virtual drive, whose image the operator replaced) is asked to.
    session_.Device().Load(a.adapter, a.target, a.lun);
    for (int waited = 0; waited <= kReadyWaitMs; waited += kPollMs) {
        session_.Device().TestUnitReady(a.adapter, a.target, a.lun);
        if (session_.Device().LastTestUnitReadyGood()) return true;
        ::usleep(kPollMs * 1000);
    }
    return false;
}

int TapeSpan::Next(const std::string& command) {
    const std::string full = tapes_.empty() ? line_.span : tapes_.back();
    const DriveAddress& a = session_.Selector().Address();
    const bool autoloader = VirtualAutoloader(a.adapter);
    if (!autoloader && line_.answer == Answer::Yes)
        return Stop("tape '" + full + "' is full, and --yes cannot wait for the next tape on a drive without an "
                    "autoloader.",
                    command);
    session_.Status().ShowStatus(" Ejecting tape...");
    if (session_.Device().Eject(a.adapter, a.target, a.lun) != 0)
        return Stop("tape '" + full + "' is full and could not be ejected.", command);
    if (!autoloader &&
        session_.Messages().ShowMessage(MessageId::CliLoadNextTape, {full, line_.span}) != kMessageOk)
        return Stop("tape '" + full + "' is full and no next tape was loaded.", command);
    session_.Status().ShowStatus(" Waiting for the next tape ...");
    if (!WaitReady())
        return Stop("the next tape did not become ready within " + std::to_string(kReadyWaitMs / 1000) + " seconds.",
                    command);
    if (session_.SelectDriveToWrite(line_.adapter, line_.target) != 0)
        return Stop("the drive cannot be used with the next tape.", command);
    return TakeLoaded(command);
}
