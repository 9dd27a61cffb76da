#include "cli/CommandLine.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <cstring>

namespace {

struct CommandRule {
    const char* name;
    int minOperands;
    int maxOperands;  // -1: any number
};

constexpr CommandRule kRules[] = {
    {"adapters", 0, 0}, {"status", 0, 0},  {"format", 1, 1},   {"check", 0, 0},    {"eject", 0, 0},
    {"dir", 0, 0},      {"find", 1, -1},   {"backup", 1, -1},  {"restore", 0, -1}, {"verify", 0, -1},
    {"rebuild", 0, 0},  {"export", 1, -1}, {"import", 1, -1},  {"selftest", 0, 0},  {"scrub", 0, 0},
    {"sums", 1, 1},
};

// Options that belong to some commands only; the others go with any.
struct OptionRule {
    const char* option;
    const char* commands;  // blank-separated
};

constexpr OptionRule kOptionRules[] = {
    {"--to", "restore"},
    {"--in", "verify"},
    {"--all", "restore"},
    {"--report", "verify"},
    {"--skip-existing", "restore"},
    {"--overwrite", "restore"},
    {"--keep-dates", "restore"},
    {"--keep-modes", "restore"},
    {"--exclude", "backup"},
    {"--skip-others", "backup"},
    {"--stream", "backup restore verify"},
    {"--changed", "backup"},
    {"--span", "backup"},
    {"--sha256", "backup"},
    {"--record", "restore"},
    {"--ignore-case", "find"},
    {"--tape", "dir backup restore verify rebuild scrub"},
    {"--json", "dir find verify status adapters scrub"},
};

// Flags: the long name, a short one (or null) and the member they set.
struct Flag {
    const char* name;
    const char* shortName;
    bool CommandLine::*member;
};

constexpr Flag kFlags[] = {
    {"--help", "-h", &CommandLine::help},
    {"--version", nullptr, &CommandLine::version},
    {"--all", nullptr, &CommandLine::all},
    {"--report", nullptr, &CommandLine::report},
    {"--force", nullptr, &CommandLine::force},
    {"--skip-existing", nullptr, &CommandLine::skipExisting},
    {"--overwrite", nullptr, &CommandLine::overwrite},
    {"--keep-dates", nullptr, &CommandLine::keepDates},
    {"--keep-modes", nullptr, &CommandLine::keepModes},
    {"--changed", nullptr, &CommandLine::changed},
    {"--sha256", nullptr, &CommandLine::sha256},
    {"--skip-others", nullptr, &CommandLine::skipOthers},
    {"--stream", nullptr, &CommandLine::stream},
    {"--ignore-case", "-i", &CommandLine::ignoreCase},
    {"--json", nullptr, &CommandLine::json},
    {"--quiet", "-q", &CommandLine::quiet},
    {"--verbose", "-v", &CommandLine::verbose},
};

// Options with a text value and the member that takes it.
struct Value {
    const char* name;
    std::string CommandLine::*member;
};

constexpr Value kValues[] = {
    {"--to", &CommandLine::to},
    {"--in", &CommandLine::in},
    {"--tape", &CommandLine::tape},
    {"--catalogs", &CommandLine::catalogs},
    {"--span", &CommandLine::span},
};

const CommandRule* RuleFor(const std::string& command) {
    for (const CommandRule& rule : kRules)
        if (command == rule.name) return &rule;
    return nullptr;
}

bool Listed(const char* words, const std::string& word) {
    const std::string list = std::string(" ") + words + " ";
    return list.find(" " + word + " ") != std::string::npos;
}

// A whole decimal number from 0 to limit.
bool Number(const std::string& text, int limit, int& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::atoi(text.c_str());
    return value <= limit;
}

}  // namespace

bool CommandLine::OptionBelongs(const std::string& option, const std::string& command) {
    for (const OptionRule& rule : kOptionRules)
        if (option == rule.option) return Listed(rule.commands, command);
    return true;
}

int CommandLine::Option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& i,
                        std::string& error) {
    auto value = [&](std::string& out) {
        if (i + 1 >= arguments.size()) {
            error = name + " needs a value";
            return -1;
        }
        out = arguments[++i];
        return 0;
    };
    for (const Flag& flag : kFlags) {
        if (name == flag.name || (flag.shortName != nullptr && name == flag.shortName)) {
            this->*flag.member = true;
            given_.push_back(flag.name);
            return 0;
        }
    }
    for (const Value& option : kValues) {
        if (name == option.name) {
            given_.push_back(option.name);
            if (value(this->*option.member) != 0) return -1;
            if ((this->*option.member).empty()) return error = name + " needs a value", -1;
            return 0;
        }
    }
    std::string text;
    if (name == "--yes" || name == "-y") {
        if (answer == Answer::No) return error = "--yes and --no exclude each other", -1;
        answer = Answer::Yes;
    } else if (name == "--no" || name == "-n") {
        if (answer == Answer::Yes) return error = "--yes and --no exclude each other", -1;
        answer = Answer::No;
    } else if (name == "--exclude") {
        given_.push_back(name);
        if (value(text) != 0) return -1;
        excludes.push_back(text);
    } else if (name == "--record") {
        given_.push_back(name);
        if (value(text) != 0) return -1;
        if (!Number(text, 999999, record) || record == 0)
            return error = "--record takes the number of a file record (1, 2, ...), not '" + text + "'", -1;
    } else if (name == "--adapter" || name == "--target") {
        if (value(text) != 0) return -1;
        // Adapter entries are single digits after "0"; targets 0 to 7.
        int& out = name == "--adapter" ? adapter : target;
        if (!Number(text, name == "--adapter" ? 254 : 7, out)) {
            error = name + " takes a number" + (name == "--target" ? " from 0 to 7" : "") + ", not '" + text + "'";
            return -1;
        }
    } else {
        error = "unknown option " + name;
        return -1;
    }
    return 0;
}

int CommandLine::Parse(const std::vector<std::string>& arguments, std::string& error) {
    bool optionsEnded = false;
    for (std::size_t i = 0; i < arguments.size(); ++i) {
        const std::string& a = arguments[i];
        if (!optionsEnded && a == "--") {
            optionsEnded = true;
        } else if (!optionsEnded && a.size() > 1 && a[0] == '-') {
            const std::size_t equals = a.find('=');
            if (a.rfind("--", 0) == 0 && equals != std::string::npos) {
                // "--to=DIR" as "--to DIR".
                const std::vector<std::string> pair = {a.substr(0, equals), a.substr(equals + 1)};
                std::size_t j = 0;
                if (Option(pair[0], pair, j, error) != 0) return -1;
                if (j != 1) return error = pair[0] + " takes no value", -1;
                continue;
            }
            if (Option(a, arguments, i, error) != 0) return -1;
        } else if (command.empty()) {
            command = a;
        } else {
            operands.push_back(a);
        }
    }
    if (help || version) return 0;
    return CheckCommand(error);
}

int CommandLine::CheckOptions(std::string& error) const {
    for (const std::string& option : given_) {
        for (const OptionRule& rule : kOptionRules) {
            if (option != rule.option || Listed(rule.commands, command)) continue;
            std::string owners = rule.commands;
            std::replace(owners.begin(), owners.end(), ' ', ',');
            error = option + " belongs to " + owners;
            return -1;
        }
    }
    if (quiet && verbose) return error = "--quiet and --verbose exclude each other", -1;
    if (skipExisting && overwrite) return error = "--skip-existing and --overwrite exclude each other", -1;
    return 0;
}

int CommandLine::CheckCommand(std::string& error) const {
    if (command.empty()) {
        error = "no command given";
        return -1;
    }
    const CommandRule* rule = RuleFor(command);
    if (rule == nullptr) {
        error = "unknown command '" + command + "'";
        return -1;
    }
    const int count = static_cast<int>(operands.size());
    if (count < rule->minOperands) {
        error = command + ": missing operand";
        return -1;
    }
    if (rule->maxOperands >= 0 && count > rule->maxOperands) {
        error = command + ": too many operands";
        return -1;
    }
    if (CheckOptions(error) != 0) return -1;
    if (command == "restore" && to.empty()) return error = "restore: --to DIR is required", -1;
    if (command == "restore" && all && count > 0) return error = "restore: --all takes no names", -1;
    if (command == "restore" && record > 0 && count != 1) return error = "restore: --record takes one name", -1;
    // The tapes of a span change under the backup.
    if (!span.empty() && !tape.empty()) return error = "--span and --tape exclude each other", -1;
    if (command == "verify" && in.empty()) return error = "verify: --in DIR is required", -1;
    return 0;
}
