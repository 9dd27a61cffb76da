#pragma once
// What a restore did, counted as it goes, and the first line, notes, kind
// and result of its closing message: only a restore that restored everything
// it was asked for says "successfully".

#include <string>

#include "jobs/JobResult.h"

struct RestoreOutcome {
    bool selective = false;
    int restored = 0;
    int leftExisting = 0;  // files that existed and the restore policy left alone
    int damaged = 0;       // records skipped as damaged
    int stuckAt = -1;      // the record past which the tape cannot be read (0: the ident block)
    bool unfinished = false;
    // The unfinished record's name, and how many of its data blocks the
    // tape holds (-1: not known) of how many.
    std::string unfinishedName;
    int unfinishedBlocks = -1;
    int unfinishedOf = 0;
    std::string declinedPath;  // the file whose overwrite was declined: the restore stopped there
    bool stopped = false;      // the user asked it to stop after a file

    std::string FirstLine() const;
    // Lines after the rates, each beginning with a line break.
    std::string Notes() const;
    int Kind() const;
    JobResult Result() const;
};
