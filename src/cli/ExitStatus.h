#pragma once
// What tapewren-cli tells the shell.

inline constexpr int kExitOk = 0;
// The job failed, was refused, or a question was answered "no".
inline constexpr int kExitFailed = 1;
// The command line itself is wrong; nothing was touched.
inline constexpr int kExitUsage = 2;
