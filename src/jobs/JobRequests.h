#pragma once
// What a face asks a job to do, as values: the window builds them from the
// marks in its lists, the command line from its arguments. Catalog entries
// are numbered from 0 (entry i is the record after filemark i + 1).

#include <string>
#include <vector>

#include "tape/RestorePolicy.h"

struct BackupRequest {
    std::string folder;                 // where the files are
    std::vector<std::string> archives;  // written first, in this order
    std::vector<std::string> files;     // then these
    // The files that do not fit go on another tape: a full tape or catalog
    // ends the run with a notice instead of an error, and as many files as
    // the catalog has room for are written.
    bool spanning = false;

    std::size_t Count() const { return archives.size() + files.size(); }
};

struct RestoreRequest {
    // Ascending. None: the whole tape without the catalog, once the user
    // has agreed.
    std::vector<int> entries;
    // The entries the face lists (its rows): each is read from the catalog
    // in turn, also after the last one asked for.
    int listed = 0;
    std::string folder;  // where the files go
    RestorePolicy policy;
};

struct VerifyRequest {
    std::vector<int> entries;  // ascending
    int listed = 0;            // as in RestoreRequest
    std::string folder;        // where the files to compare are
};
