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
    // Whether command takes option (by its long name): those that belong to
    // some commands only, and every other.
    static bool OptionBelongs(const std::string& option, const std::string& command);

    std::string command;
    std::vector<std::string> operands;
    int adapter = -1;  // adapter entry, -1: the first listed
    int target = -1;   // target ID, -1: the adapter's highest tape drive
    Answer answer = Answer::Ask;
    // --yes also answers the questions that destroy another tape's data.
    bool force = false;
    std::string catalogs;  // the catalog folder; empty: $TAPEWREN_CATALOGS or "."
    std::string tape;      // the tape the job must find loaded (dir: the catalog to list)
    std::string to;    // restore: target folder
    std::string in;    // verify: folder of the files to compare
    bool all = false;  // restore: every record on tape
    bool report = false;  // verify: write VerifyResults.txt
    bool skipExisting = false;  // restore: leave files that exist
    bool overwrite = false;     // restore: replace them without asking
    bool keepDates = false;     // restore: date files from their records
    bool keepModes = false;     // restore: permission bits from the catalog's sums file
    bool sha256 = false;        // backup: SHA-256 checksums in place of XXH3-128
    std::vector<std::string> excludes;  // backup: names left out
    int record = -1;            // restore: the record (from 1) of the one name given
    bool skipOthers = false;    // backup: skipping folders and such is no failure
    bool stream = false;        // backup, restore, verify: the drive's streaming mode
    bool changed = false;       // backup: only files new or changed since their last backup
    // backup: the name of a set of tapes (NAME, NAME-2, ...) the backup
    // goes on when one fills; empty: none.
    std::string span;
    bool ignoreCase = false;    // find
    bool json = false;
    bool quiet = false;
    bool verbose = false;
    bool help = false;
    bool version = false;

private:
    int Option(const std::string& name, const std::vector<std::string>& arguments, std::size_t& i,
               std::string& error);
    // Which options and how many operands the command takes.
    int CheckCommand(std::string& error) const;
    int CheckOptions(std::string& error) const;

    std::vector<std::string> given_;  // the options used, by their long names
};
