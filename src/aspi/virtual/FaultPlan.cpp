#include "aspi/virtual/FaultPlan.h"

#include <cctype>
#include <utility>

#include "aspi/virtual/TapeAlert.h"

namespace {

constexpr std::pair<const char*, FaultCommand> kCommands[] = {
    {"any", FaultCommand::Any},           {"tur", FaultCommand::TestUnitReady},
    {"read", FaultCommand::Read},         {"write", FaultCommand::Write},
    {"filemarks", FaultCommand::WriteFilemarks}, {"space", FaultCommand::Space},
    {"rewind", FaultCommand::Rewind},     {"load", FaultCommand::LoadUnload},
    {"modesense", FaultCommand::ModeSense}, {"modeselect", FaultCommand::ModeSelect},
};

constexpr const char* kCommandNames = "any, tur, read, write, filemarks, space, rewind, load, modesense, modeselect";
constexpr const char* kKindNames = "recovered, cleaning, reset, medium, deferred, alert:N";

// A whole decimal number without sign, or (hex) 0x followed by digits.
bool ParseNumber(const std::string& text, std::uint64_t& value, bool hexAllowed) {
    std::size_t i = 0;
    int base = 10;
    if (hexAllowed && text.size() > 2 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
        base = 16;
        i = 2;
    }
    if (i >= text.size() || text.size() - i > 12) return false;
    value = 0;
    for (; i < text.size(); ++i) {
        const unsigned char c = static_cast<unsigned char>(text[i]);
        if (!(base == 16 ? std::isxdigit(c) : std::isdigit(c))) return false;
        const int digit = std::isdigit(c) ? c - '0' : std::tolower(c) - 'a' + 10;
        value = value * static_cast<std::uint64_t>(base) + static_cast<std::uint64_t>(digit);
    }
    return true;
}

std::string Trimmed(const std::string& text) {
    const std::size_t first = text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::string();
    return text.substr(first, text.find_last_not_of(" \t") - first + 1);
}

}  // namespace

bool FaultPlan::Parse(const std::string& text, FaultPlan& plan, std::string& problem) {
    plan = FaultPlan();
    if (Trimmed(text).empty()) return true;
    std::size_t start = 0;
    for (;;) {
        const std::size_t comma = text.find(',', start);
        const std::string entry = Trimmed(text.substr(start, comma == std::string::npos ? std::string::npos : comma - start));
        const std::string quoted = "\"" + entry + "\"";
        const std::size_t hash = entry.find('#');
        const std::size_t equals = entry.find('=');
        if (hash == std::string::npos || equals == std::string::npos || equals < hash) {
            problem = "the entry " + quoted + " is not of the form command#number=fault";
            return false;
        }
        Fault fault{};
        const std::string command = entry.substr(0, hash);
        bool known = false;
        for (const auto& [name, value] : kCommands) {
            if (command == name) {
                fault.command = value;
                known = true;
            }
        }
        if (!known) {
            problem = "the entry " + quoted + " names no known command (" + kCommandNames + ")";
            return false;
        }
        if (!ParseNumber(entry.substr(hash + 1, equals - hash - 1), fault.number, false) || fault.number == 0) {
            problem = "the entry " + quoted + " needs a command number from 1 up after #";
            return false;
        }
        const std::string kind = entry.substr(equals + 1);
        std::uint64_t flag = 0;
        if (kind == "recovered") fault.kind = Kind::Recovered;
        else if (kind == "cleaning") fault.kind = Kind::Cleaning;
        else if (kind == "reset") fault.kind = Kind::Reset;
        else if (kind == "medium") fault.kind = Kind::Medium;
        else if (kind == "deferred") fault.kind = Kind::Deferred;
        else if (kind.rfind("alert:", 0) == 0 && ParseNumber(kind.substr(6), flag, true) && flag >= 1 &&
                 flag <= TapeAlert::kFlags) {
            fault.kind = Kind::Alert;
            fault.flag = static_cast<int>(flag);
        } else {
            problem = "the entry " + quoted + " names no known fault (" + kKindNames + ", N from 1 to 64)";
            return false;
        }
        const bool moves = fault.command == FaultCommand::Read || fault.command == FaultCommand::Write ||
                           fault.command == FaultCommand::WriteFilemarks || fault.command == FaultCommand::Space;
        const bool writes = fault.command == FaultCommand::Write || fault.command == FaultCommand::WriteFilemarks;
        if (fault.kind == Kind::Medium && !moves) {
            problem = "the entry " + quoted + ": a medium error needs read, write, filemarks or space";
            return false;
        }
        if (fault.kind == Kind::Deferred && !writes) {
            problem = "the entry " + quoted + ": a deferred error needs write or filemarks";
            return false;
        }
        plan.faults_.push_back(fault);
        if (comma == std::string::npos) return true;
        start = comma + 1;
    }
}

void FaultPlan::Add(const Fault& fault, DueFaults& due) {
    switch (fault.kind) {
    case Kind::Recovered: due.recovered = true; break;
    case Kind::Cleaning: due.cleaning = true; break;
    case Kind::Reset: due.reset = true; break;
    case Kind::Medium: due.medium = true; break;
    case Kind::Deferred: due.deferred = true; break;
    case Kind::Alert: due.alerts |= std::uint64_t{1} << (fault.flag - 1); break;
    }
}

DueFaults FaultPlan::Next(FaultCommand command) {
    DueFaults due;
    if (faults_.empty()) return due;
    const std::uint64_t any = ++counts_[static_cast<std::size_t>(FaultCommand::Any)];
    const std::uint64_t own = command == FaultCommand::Any ? any : ++counts_[static_cast<std::size_t>(command)];
    for (const Fault& fault : faults_) {
        if ((fault.command == FaultCommand::Any && fault.number == any) ||
            (fault.command == command && command != FaultCommand::Any && fault.number == own))
            Add(fault, due);
    }
    return due;
}
