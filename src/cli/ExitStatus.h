#pragma once
// What tapewren-cli tells the shell.

#include "jobs/JobResult.h"

inline constexpr int kExitOk = 0;
// The job failed, was refused, or a question was answered "no".
inline constexpr int kExitFailed = 1;
// The command line itself is wrong; nothing was touched.
inline constexpr int kExitUsage = 2;

// A job that did not do all it was asked fails the run, whatever it showed.
inline int ExitFor(JobResult result) { return result == JobResult::Done ? kExitOk : kExitFailed; }
