#pragma once
// The iSCSI adapters of the stand-in's configuration: one per URL in
// TAPEWREN_ISCSI. Every command has a time-out, TAPEWREN_ISCSI_TIMEOUT
// seconds (default one hour, long enough for a full-length SPACE or REWIND
// of a slow drive); logging in gives up after 15 seconds or that time-out,
// whichever is shorter. A target that stops answering its pings during a
// command is given up after about half a minute (IscsiSession::Liveness).

#include <memory>
#include <vector>

#include "aspi/HostAdapter.h"

inline constexpr int kIscsiDefaultTimeoutSeconds = 3600;
inline constexpr int kIscsiLoginTimeoutSeconds = 15;

// Invalid entries are left out with a line on standard error.
std::vector<std::unique_ptr<HostAdapter>> CreateIscsiHostAdapters(const char* urlList, const char* timeoutSeconds);
// Reads both variables from the environment.
std::vector<std::unique_ptr<HostAdapter>> CreateIscsiHostAdapters();

// A positive number of seconds, or the default for anything else.
int IscsiTimeoutSeconds(const char* text);
