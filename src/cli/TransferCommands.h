#pragma once
// The three jobs behind START: backup of named files of one folder, restore
// of named catalog entries (or of every record on tape) into a folder, and
// verify of named entries (or all) against a folder. Each returns kExitOk,
// kExitFailed, or kExitUsage for files from different folders; messages
// tell why.

#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "jobs/JobReport.h"
#include "jobs/JobRequests.h"

class CliSession;
class CommandLine;

class TransferCommands {
public:
    // out: the verify results, for scripts to read.
    TransferCommands(CliSession& session, const CommandLine& line, std::FILE* out);

    // Folders and anything else that is not a regular file are left out
    // with a warning (and fail the run unless --skip-others), as are the
    // names --exclude matches, without one.
    int Backup(const std::vector<std::string>& operands);
    int Restore(const std::vector<std::string>& names);
    // The rows go to out; with --report also to VerifyResults.txt in the
    // start directory. Any row but "OK" fails the run.
    int Verify(const std::vector<std::string>& names);
    // Reads the whole loaded tape against its catalog and checksums; one
    // row per file to out (record, name, status), or JSON. Any row but OK
    // or "without checksum" fails the run.
    int Scrub();

    // Splits each path into its folder (resolved) and name; all folders must
    // be the same. kExitOk, kExitUsage for different folders (problem: what
    // to say), kExitFailed for a folder that cannot be found (problem: the
    // path whose folder it is).
    static int SplitFiles(const std::vector<std::string>& files, std::string& folder,
                          std::vector<std::string>& names, std::string& problem);

private:
    std::vector<std::string> RegularFiles(const std::vector<std::string>& files, int& skipped);
    // The folder named by --to or --in, resolved; false after an Error message.
    bool Folder(const std::string& given, std::string& resolved);
    // The files of folder the names name, in the order the folder lists
    // them (archives apart), and the sum of their sizes; -1 after an Error
    // message.
    int BackupRequestFor(const std::string& folder, const std::vector<std::string>& names, BackupRequest& request,
                         std::int64_t& total);
    // Leaves out of request the files whose newest copy on the loaded tape
    // has their size and day (says how many); the number left, or -1 after
    // an Error message. Recomputes total.
    // catalogs: those of a span's tapes, oldest first, which all count;
    // empty: the loaded tape's.
    int KeepChanged(BackupRequest& request, std::int64_t& total, std::vector<std::string> catalogs);
    // Leaves out of request the files the report has backed up; the sum of
    // the sizes of those left, and in doneBytes of those backed up.
    std::int64_t LeaveOut(BackupRequest& request, const JobReport& report, std::int64_t& doneBytes) const;
    // Warns when the tape the backup ended on has fewer than 10% of its
    // catalog entries or capacity left.
    void WarnOfShortage();
    // The command that backs up request's files on the tapes of set.
    std::string ContinueCommand(const BackupRequest& request, const std::string& set) const;
    // The inserted tape's catalog entries the names name (a name's last
    // entry, the newest copy), or all of them; listed: the catalog's entries.
    // Sets the job's bytesTotal. kExitOk, or kExitFailed after a message.
    int SelectEntries(const std::vector<std::string>& names, bool all, std::vector<int>& selected, int& listed);

    CliSession& session_;
    const CommandLine& line_;
    std::FILE* out_;
};
