#include "cli/CommandLine.h"

#include <cerrno>
#include <cstdlib>

namespace {

struct CommandRule {
    const char* name;
    int minOperands;
    int maxOperands;  // -1: any number
};

constexpr CommandRule kRules[] = {
    {"adapters", 0, 0}, {"status", 0, 0}, {"format", 1, 1},  {"check", 0, 0},   {"eject", 0, 0},
    {"dir", 0, 0},      {"backup", 1, -1}, {"restore", 0, -1}, {"verify", 0, -1}, {"rebuild", 0, 0},
    {"export", 1, -1},  {"import", 1, -1},
};

const CommandRule* RuleFor(const std::string& command) {
    for (const CommandRule& rule : kRules)
        if (command == rule.name) return &rule;
    return nullptr;
}

// A whole decimal number from 0 to limit.
bool Number(const std::string& text, int limit, int& value) {
    if (text.empty() || text.size() > 9 || text.find_first_not_of("0123456789") != std::string::npos) return false;
    value = std::atoi(text.c_str());
    return value <= limit;
}

}  // namespace

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
    std::string text;
    if (name == "--help" || name == "-h") {
        help = true;
    } else if (name == "--version") {
        version = true;
    } else if (name == "--yes" || name == "-y") {
        if (answer == Answer::No) return error = "--yes and --no exclude each other", -1;
        answer = Answer::Yes;
    } else if (name == "--no" || name == "-n") {
        if (answer == Answer::Yes) return error = "--yes and --no exclude each other", -1;
        answer = Answer::No;
    } else if (name == "--all") {
        all = true;
    } else if (name == "--report") {
        report = true;
    } else if (name == "--to") {
        return value(to);
    } else if (name == "--in") {
        return value(in);
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
    if (!to.empty() && command != "restore") return error = "--to belongs to restore", -1;
    if (!in.empty() && command != "verify") return error = "--in belongs to verify", -1;
    if (all && command != "restore") return error = "--all belongs to restore", -1;
    if (report && command != "verify") return error = "--report belongs to verify", -1;
    if (command == "restore" && to.empty()) return error = "restore: --to DIR is required", -1;
    if (command == "restore" && all && count > 0) return error = "restore: --all takes no names", -1;
    if (command == "verify" && in.empty()) return error = "verify: --in DIR is required", -1;
    return 0;
}
