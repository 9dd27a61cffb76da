#pragma once
// VerifyResults.txt: a six-line header, then one line per result row,
// "%-36s%-17s%-20s" of name, status and offset; line feeds only. Names of
// more than 40 characters are cut to their first 17 and "...".

#include <string>

#include "jobs/VerifyResults.h"
#include "report/MessageSink.h"

inline constexpr char kVerifyResultsFileName[] = "VerifyResults.txt";

// The file's whole content.
std::string VerifyResultsText(const VerifyResults& results);

// Writes startDirectory + "/VerifyResults.txt" in place of what stands
// under that name (a symbolic link is replaced, not followed), and says how
// that went through messages. 0, or -1 when it could not be created or
// written whole.
int SaveResults(const std::string& startDirectory, const VerifyResults& results, MessageSink& messages);
