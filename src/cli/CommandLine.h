#pragma once
// The parsed command line: one subcommand, its operands and the options.
// Options may stand anywhere; "--" ends them.

#include <string>
#include <vector>

#include "cli/Answer.h"

class CommandLine {
public:
    // 0, or -1 with error set to what is wrong.
    int Parse(const std::vector<std::string>& arguments, std::string& error);

    std::string command;
    std::vector<std::string> operands;
    int adapter = -1;  // adapter entry, -1: the first listed
    int target = -1;   // target ID, -1: the adapter's highest tape drive
    Answer answer = Answer::Ask;
    std::string to;    // restore: target folder
    std::string in;    // verify: folder of the files to compare
    bool all = false;  // restore: every record on tape
    bool report = false;  // verify: write VerifyResults.txt
    bool help = false;
    bool version = false;

private:
    int Option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& i,
               std::string& error);
    // Which options and how many operands the command takes.
    int CheckCommand(std::string& error) const;
};
